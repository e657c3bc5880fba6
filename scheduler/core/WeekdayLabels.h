// The labels weekly entries are saved under, in the user's week and
// language, and how a stored Day/Date text is shown.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "scheduler/core/Calendar.h"

namespace cuelark {

// A day's full name in the user's language, upper case, and whether the
// ANSI code page that store files are written in holds it exactly.
struct LocalDayName {
  std::wstring upper;
  bool storable = true;
};

// The system's week as the user's regional settings count it; index k is
// day k+1 of that week, day 1 being the system's first day of the week.
struct WeekLocale {
  // What weekly entries are saved under.
  std::array<std::wstring, 7> labels;
  // What a stored label may also say for the same day: the local name
  // (empty when the local names do not tell the days apart) and the English
  // one, so that labels written before a change of code page or regional
  // format keep their day.
  std::array<std::wstring, 7> localNames;
  std::array<std::wstring, 7> englishNames;
  // The name, in the labels' language, of the day on which an entry saved
  // under labels[k] really fires: under a week that does not begin on
  // Monday, another day than the label says (see WeekdayLabel).
  std::array<std::wstring, 7> firingDayNames;
};

// namesMondayFirst[0] names Monday; firstDayIso is the ISO number
// (Monday 1 .. Sunday 7) of the day the system's week begins with.
// The labels are the local names when the store can hold all seven exactly
// and tells them apart, else the English names, so that every day keeps a
// label of its own and the list shows one language.
// Throws std::invalid_argument when firstDayIso is outside 1..7.
WeekLocale MakeWeekLocale(const std::array<LocalDayName, 7>& namesMondayFirst, int firstDayIso);
// The same for names the store is known to hold.
WeekLocale MakeWeekLocale(const std::array<std::wstring, 7>& upperNamesMondayFirst, int firstDayIso);

// The label that weekly entries are saved under and that the clock looks for
// today. It deliberately indexes the system's week with the ISO weekday
// number: under a Sunday-first week a Monday gets Sunday's name. Saved
// entries depend on that shift, and because saving and the clock both use
// it, a weekly entry still fires on the weekday it was saved from.
std::wstring WeekdayLabel(CivilDate date, const WeekLocale& locale);

// What the user is shown for a stored Day/Date text: a weekday label as the
// name of the day on which the entry fires, any other text as it is stored.
std::wstring ShownDayDate(const std::wstring& text, const WeekLocale& locale);

inline constexpr std::wstring_view kEveryDay = L"EVERY DAY";

// The Day/Date text of a new entry: every day wins over weekly, weekly over
// the picked date itself.
std::wstring DayDateText(CivilDate picked, bool weekly, bool everyDay, const WeekLocale& locale);

}  // namespace cuelark
