#include "scheduler/core/Calendar.h"

#include "scheduler/core/Digits.h"

namespace cuelark {

namespace {

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

// A number of the fixed forms: as many digits as the form has, no sign.
std::optional<int> FieldOf(std::wstring_view text) {
  const std::optional<std::int64_t> value = ParseDigits(text);
  if (!value) return std::nullopt;
  return static_cast<int>(*value);
}

// "first<separator>second<separator>third", each part zero-padded: the first
// to firstWidth digits, the others to two.
std::wstring Fields(int first, std::size_t firstWidth, wchar_t separator, int second, int third) {
  return Padded(first, firstWidth) + separator + Padded(second, 2) + separator + Padded(third, 2);
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
  const auto year = FieldOf(text.substr(0, 4));
  const auto month = FieldOf(text.substr(5, 2));
  const auto day = FieldOf(text.substr(8, 2));
  if (!year || !month || !day || *month < 1 || *month > 12 || *day < 1) return std::nullopt;
  const CivilDate date{*year, *month, *day};
  // A day past the month's end counts on into the next month.
  if (CivilFromDays(DaysFromCivil(date)) != date) return std::nullopt;
  return date;
}

std::optional<TimeOfDay> ParseTime(std::wstring_view text) {
  if (text.size() != 8 || text[2] != L':' || text[5] != L':') return std::nullopt;
  const auto hour = FieldOf(text.substr(0, 2));
  const auto minute = FieldOf(text.substr(3, 2));
  const auto second = FieldOf(text.substr(6, 2));
  if (!hour || !minute || !second || *hour > 23 || *minute > 59 || *second > 59) return std::nullopt;
  return TimeOfDay{*hour, *minute, *second};
}

std::wstring FormatDate(CivilDate date) { return Fields(date.year, 4, L'-', date.month, date.day); }

std::wstring FormatTime(TimeOfDay time) { return Fields(time.hour, 2, L':', time.minute, time.second); }

}  // namespace cuelark
