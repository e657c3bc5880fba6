#include "scheduler/win/WinText.h"

#include "common/win32/ModulePath.h"

#include <array>
#include <cwchar>

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

std::wstring LocaleText(LCTYPE type) {
  const int size = GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, type, nullptr, 0);
  if (size <= 0) return {};
  std::wstring text(static_cast<std::size_t>(size), L'\0');
  const int written = GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, type, text.data(), size);
  text.resize(written > 0 ? static_cast<std::size_t>(written - 1) : 0);
  return text;
}

std::wstring UpperCase(const std::wstring& text) {
  if (text.empty()) return text;
  const int size = LCMapStringEx(LOCALE_NAME_USER_DEFAULT, LCMAP_UPPERCASE, text.data(), static_cast<int>(text.size()),
                                 nullptr, 0, nullptr, nullptr, 0);
  if (size <= 0) return text;
  std::wstring upper(static_cast<std::size_t>(size), L'\0');
  if (LCMapStringEx(LOCALE_NAME_USER_DEFAULT, LCMAP_UPPERCASE, text.data(), static_cast<int>(text.size()),
                    upper.data(), size, nullptr, nullptr, 0) != size)
    return text;
  return upper;
}

WeekLocale SystemWeekLocale() {
  std::array<std::wstring, 7> names;
  for (int day = 0; day < 7; ++day)
    names[static_cast<std::size_t>(day)] = UpperCase(LocaleText(static_cast<LCTYPE>(LOCALE_SDAYNAME1 + day)));
  // The system counts 0 for Monday through 6 for Sunday.
  const int firstDay = _wtoi(LocaleText(LOCALE_IFIRSTDAYOFWEEK).c_str());
  return MakeWeekLocale(names, firstDay + 1);
}

}  // namespace cuelark
