#include "inicontrol/WinText.h"

#include <cwchar>
#include <new>

namespace brevoni {

std::wstring_view BstrText(BSTR text) {
  if (text == nullptr) return {};
  return std::wstring_view(text, wcsnlen(text, SysStringLen(text)));
}

win32::unique_bstr MakeBstr(std::wstring_view text) {
  win32::unique_bstr bstr(SysAllocStringLen(text.data(), static_cast<UINT>(text.size())));
  if (!bstr) throw std::bad_alloc();
  return bstr;
}

}  // namespace brevoni
