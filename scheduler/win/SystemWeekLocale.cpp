#include "scheduler/win/SystemWeekLocale.h"

#include <array>

#include "scheduler/win/WinText.h"

namespace cuelark {

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
