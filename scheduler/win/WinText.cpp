#include "scheduler/win/WinText.h"

#include <array>

#include "common/win32/ModulePath.h"
#include "scheduler/win/SystemWeekLocale.h"

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

WeekLocale WeekLocaleOf(const wchar_t* locale) {
  std::array<LocalDayName, 7> names;
  for (std::size_t day = 0; day < 7; ++day) {
    names[day].upper = UpperCase(LocaleText(static_cast<LCTYPE>(LOCALE_SDAYNAME1 + day), locale), locale);
    names[day].storable = CanStoreAsAnsi(names[day].upper);
  }
  // The system counts 0 for Monday through 6 for Sunday; anything else (an
  // unreadable setting) is taken as Monday.
  const std::wstring firstDay = LocaleText(LOCALE_IFIRSTDAYOFWEEK, locale);
  const int first = firstDay.size() == 1 && firstDay[0] >= L'0' && firstDay[0] <= L'6' ? firstDay[0] - L'0' : 0;
  return MakeWeekLocale(names, first + 1);
}

WeekLocale SystemWeekLocale() { return WeekLocaleOf(LOCALE_NAME_USER_DEFAULT); }

}  // namespace cuelark
