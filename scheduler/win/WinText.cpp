#include "scheduler/win/WinText.h"

#include "common/win32/ModulePath.h"

namespace cuelark {

std::wstring WindowText(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

std::wstring ProgramFolder() {
  const std::wstring folder = win32::ModuleFolder();
  return folder.empty() ? L"." : folder;
}

std::wstring LocaleText(LCTYPE type, const wchar_t* locale) {
  const int size = GetLocaleInfoEx(locale, type, nullptr, 0);
  if (size <= 0) return {};
  std::wstring text(static_cast<std::size_t>(size), L'\0');
  const int written = GetLocaleInfoEx(locale, type, text.data(), size);
  text.resize(written > 0 ? static_cast<std::size_t>(written - 1) : 0);
  return text;
}

std::wstring UpperCase(const std::wstring& text, const wchar_t* locale) {
  if (text.empty()) return text;
  const int size =
      LCMapStringEx(locale, LCMAP_UPPERCASE, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr, 0);
  if (size <= 0) return text;
  std::wstring upper(static_cast<std::size_t>(size), L'\0');
  if (LCMapStringEx(locale, LCMAP_UPPERCASE, text.data(), static_cast<int>(text.size()), upper.data(), size, nullptr,
                    nullptr, 0) != size)
    return text;
  return upper;
}

}  // namespace cuelark
