#include "scheduler/core/Texts.h"

#include <set>
#include <stdexcept>

namespace cuelark {

namespace {

constexpr std::array<std::wstring_view, 7> kEnglishWeekdays = {L"MONDAY", L"TUESDAY", L"WEDNESDAY", L"THURSDAY",
                                                                L"FRIDAY", L"SATURDAY", L"SUNDAY"};

// Floor division: serial numbers before 1970 are negative, and their day
// must still start at 00:00:00, not end there.
std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
  const std::int64_t q = a / b;
  return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

// Days since 1970-01-01; the calendar is counted in 400-year eras from
// 0000-03-01 so that the leap day falls at the end of each counted year.
std::int64_t DaysFromCivil(CivilDate date) {
  const std::int64_t year = date.year - (date.month <= 2 ? 1 : 0);
  const std::int64_t era = FloorDiv(year, 400);
  const std::int64_t yearOfEra = year - era * 400;
  const std::int64_t monthFromMarch = date.month > 2 ? date.month - 3 : date.month + 9;
  const std::int64_t dayOfYear = (153 * monthFromMarch + 2) / 5 + date.day - 1;
  const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

CivilDate CivilFromDays(std::int64_t days) {
  const std::int64_t shifted = days + 719468;
  const std::int64_t era = FloorDiv(shifted, 146097);
  const std::int64_t dayOfEra = shifted - era * 146097;
  const std::int64_t yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const std::int64_t monthFromMarch = (5 * dayOfYear + 2) / 153;
  const int day = static_cast<int>(dayOfYear - (153 * monthFromMarch + 2) / 5 + 1);
  const int month = static_cast<int>(monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9);
  const int year = static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
  return {year, month, day};
}

// All of `text` as a decimal number; no sign, no blanks.
std::optional<int> ParseDigits(std::wstring_view text) {
  int value = 0;
  for (const wchar_t c : text) {
    if (c < L'0' || c > L'9') return std::nullopt;
    value = value * 10 + (c - L'0');
  }
  return value;
}

void AppendPadded(std::wstring& text, int value, std::size_t width) {
  std::wstring digits = std::to_wstring(value);
  if (digits.size() < width) text.append(width - digits.size(), L'0');
  text += digits;
}

}  // namespace

int IsoWeekday(CivilDate date) {
  // 1970-01-01 was a Thursday (ISO 4).
  const std::int64_t daysSinceMonday = DaysFromCivil(date) + 3;
  return static_cast<int>(daysSinceMonday - FloorDiv(daysSinceMonday, 7) * 7) + 1;
}

std::int64_t SerialSecond(const LocalDateTime& moment) {
  return DaysFromCivil(moment.date) * kSecondsPerDay + SecondOfDay(moment.time);
}

LocalDateTime FromSerialSecond(std::int64_t serial) {
  const std::int64_t days = FloorDiv(serial, kSecondsPerDay);
  const auto secondOfDay = static_cast<int>(serial - days * kSecondsPerDay);
  return {CivilFromDays(days), {secondOfDay / 3600, secondOfDay / 60 % 60, secondOfDay % 60}};
}

std::optional<CivilDate> ParseDate(std::wstring_view text) {
  if (text.size() != 10 || text[4] != L'-' || text[7] != L'-') return std::nullopt;
  const auto year = ParseDigits(text.substr(0, 4));
  const auto month = ParseDigits(text.substr(5, 2));
  const auto day = ParseDigits(text.substr(8, 2));
  if (!year || !month || !day || *month < 1 || *month > 12 || *day < 1) return std::nullopt;
  const CivilDate date{*year, *month, *day};
  // A day past the month's end counts on into the next month.
  if (CivilFromDays(DaysFromCivil(date)) != date) return std::nullopt;
  return date;
}

std::optional<TimeOfDay> ParseTime(std::wstring_view text) {
  if (text.size() != 8 || text[2] != L':' || text[5] != L':') return std::nullopt;
  const auto hour = ParseDigits(text.substr(0, 2));
  const auto minute = ParseDigits(text.substr(3, 2));
  const auto second = ParseDigits(text.substr(6, 2));
  if (!hour || !minute || !second || *hour > 23 || *minute > 59 || *second > 59) return std::nullopt;
  return TimeOfDay{*hour, *minute, *second};
}

std::wstring FormatDate(CivilDate date) {
  std::wstring text;
  AppendPadded(text, date.year, 4);
  text += L'-';
  AppendPadded(text, date.month, 2);
  text += L'-';
  AppendPadded(text, date.day, 2);
  return text;
}

std::wstring FormatTime(TimeOfDay time) {
  std::wstring text;
  AppendPadded(text, time.hour, 2);
  text += L':';
  AppendPadded(text, time.minute, 2);
  text += L':';
  AppendPadded(text, time.second, 2);
  return text;
}

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
