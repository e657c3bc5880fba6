#include "inicontrol/WinText.h"

#include <cwchar>
#include <new>
#include <stdexcept>

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

win32::unique_bstr CodePageToBstr(UINT codePage, std::string_view text) {
  // A code page never needs more UTF-16 units than bytes; with a single-byte
  // code page the count is exact.
  win32::unique_bstr bstr = MakeBstr(std::wstring_view(nullptr, 0));
  if (text.empty()) return bstr;
  bstr.reset(SysAllocStringLen(nullptr, static_cast<UINT>(text.size())));
  if (!bstr) throw std::bad_alloc();
  const int size = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), bstr.get(),
                                       static_cast<int>(text.size()));
  if (size == 0) {
    throw std::runtime_error("text conversion from code page " + std::to_string(codePage) +
                             " failed: " + win32::DescribeError(GetLastError()));
  }
  if (static_cast<std::size_t>(size) < text.size()) bstr = MakeBstr(std::wstring_view(bstr.get(), size));
  return bstr;
}

}  // namespace brevoni
