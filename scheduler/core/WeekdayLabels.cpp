#include "scheduler/core/WeekdayLabels.h"

#include <set>
#include <stdexcept>

namespace cuelark {

namespace {

constexpr std::array<std::wstring_view, 7> kEnglishWeekdays = {L"MONDAY", L"TUESDAY", L"WEDNESDAY", L"THURSDAY",
                                                                L"FRIDAY", L"SATURDAY", L"SUNDAY"};

}  // namespace

WeekLocale MakeWeekLocale(const std::array<LocalDayName, 7>& namesMondayFirst, int firstDayIso) {
  if (firstDayIso < 1 || firstDayIso > 7) {
    throw std::invalid_argument("first day of the week must be 1 (Monday) to 7 (Sunday)");
  }
  // Names that do not tell the seven days apart (one missing, two alike)
  // name no day: a label would fire on every day that shares it.
  std::set<std::wstring> distinct;
  bool storable = true;
  for (const LocalDayName& name : namesMondayFirst) {
    if (!name.upper.empty()) distinct.insert(name.upper);
    storable = storable && name.storable;
  }
  const bool distinctNames = distinct.size() == 7;
  // A name the code page cannot hold comes back from the file as other text,
  // so its entries would never fire again.
  const bool localLabels = distinctNames && storable;
  WeekLocale locale;
  for (std::size_t k = 0; k < 7; ++k) {
    const std::size_t day = (static_cast<std::size_t>(firstDayIso) - 1 + k) % 7;
    if (distinctNames) locale.localNames[k] = namesMondayFirst[day].upper;
    locale.englishNames[k] = kEnglishWeekdays[day];
    locale.labels[k] = localLabels ? locale.localNames[k] : locale.englishNames[k];
    // The label at k is WeekdayLabel of ISO day k + 1.
    locale.firingDayNames[k] = localLabels ? namesMondayFirst[k].upper : std::wstring(kEnglishWeekdays[k]);
  }
  return locale;
}

WeekLocale MakeWeekLocale(const std::array<std::wstring, 7>& upperNamesMondayFirst, int firstDayIso) {
  std::array<LocalDayName, 7> names;
  for (std::size_t day = 0; day < 7; ++day) names[day] = {upperNamesMondayFirst[day], true};
  return MakeWeekLocale(names, firstDayIso);
}

std::wstring WeekdayLabel(CivilDate date, const WeekLocale& locale) {
  return locale.labels[static_cast<std::size_t>(IsoWeekday(date)) - 1];
}

std::wstring ShownDayDate(const std::wstring& text, const WeekLocale& locale) {
  if (text.empty()) return text;
  for (std::size_t k = 0; k < 7; ++k)
    if (text == locale.labels[k] || text == locale.localNames[k] || text == locale.englishNames[k])
      return locale.firingDayNames[k];
  return text;
}

std::wstring DayDateText(CivilDate picked, bool weekly, bool everyDay, const WeekLocale& locale) {
  if (everyDay) return std::wstring(kEveryDay);
  if (weekly) return WeekdayLabel(picked, locale);
  return FormatDate(picked);
}

}  // namespace cuelark
