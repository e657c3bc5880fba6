#include "scheduler/core/Calendar.h"

#include <gtest/gtest.h>

namespace cuelark {
namespace {

// Independent of the era arithmetic under test: step the calendar one day at
// a time the way a wall calendar does.
bool IsLeap(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeap(year) ? 29 : kDays[month - 1];
}

CivilDate NextDay(CivilDate date) {
  if (date.day < DaysInMonth(date.year, date.month)) return {date.year, date.month, date.day + 1};
  if (date.month < 12) return {date.year, date.month + 1, 1};
  return {date.year + 1, 1, 1};
}

struct KnownDay {
  CivilDate date;
  int isoWeekday;
  std::int64_t serialMidnight;
};

// One day inside the walk below pins every other day of it; the first day of
// the era lies outside.
TEST(CalendarTest, KnownDaysHaveTheirWeekdayAndSerial) {
  const KnownDay kDays[] = {
      {{1970, 1, 1}, 4, 0},
      {{1, 1, 1}, 1, -62135596800},
  };
  for (const KnownDay& known : kDays) {
    SCOPED_TRACE(testing::Message() << known.date.year << "-" << known.date.month << "-" << known.date.day);
    EXPECT_EQ(IsoWeekday(known.date), known.isoWeekday);
    EXPECT_EQ(SerialSecond({known.date, {0, 0, 0}}), known.serialMidnight);
  }
}

TEST(CalendarTest, EveryDayFrom1600To2400FollowsTheWallCalendar) {
  CivilDate date{1600, 1, 1};
  std::int64_t expectedSerial = SerialSecond({date, {0, 0, 0}});
  int expectedWeekday = IsoWeekday(date);
  while (date.year < 2400) {
    const LocalDateTime lastSecond{date, {23, 59, 59}};
    ASSERT_EQ(SerialSecond({date, {0, 0, 0}}), expectedSerial) << date.year << "-" << date.month << "-" << date.day;
    ASSERT_EQ(IsoWeekday(date), expectedWeekday);
    ASSERT_EQ(FromSerialSecond(expectedSerial), (LocalDateTime{date, {0, 0, 0}}));
    ASSERT_EQ(SerialSecond(lastSecond), expectedSerial + 86399);
    ASSERT_EQ(FromSerialSecond(expectedSerial + 86399), lastSecond);
    date = NextDay(date);
    expectedSerial += 86400;
    expectedWeekday = expectedWeekday % 7 + 1;
  }
}

template <typename Value>
struct TextCase {
  const wchar_t* text;
  std::optional<Value> value;
};

// A text that reads is written back exactly as it was read.
template <typename Value, typename Parse, typename Format>
void ExpectOnlyFixedFormsRead(std::initializer_list<TextCase<Value>> cases, Parse parse, Format format) {
  for (const TextCase<Value>& c : cases) {
    EXPECT_EQ(parse(c.text), c.value) << testing::PrintToString(std::wstring(c.text));
    if (c.value) {
      EXPECT_EQ(format(*c.value), c.text);
    }
  }
}

TEST(TextFormTest, OnlyTheFixedFormsReadBackAndTheyAreWhatIsWritten) {
  ExpectOnlyFixedFormsRead<CivilDate>(
      {
          {L"2026-12-06", CivilDate{2026, 12, 6}},
          {L"2028-02-29", CivilDate{2028, 2, 29}},
          {L"0987-01-01", CivilDate{987, 1, 1}},
          {L"2027-02-29", std::nullopt},  // no leap day that year
          {L"2026-04-31", std::nullopt},
          {L"2026-13-01", std::nullopt},
          {L"2026-00-10", std::nullopt},
          {L"2026-12-00", std::nullopt},
          {L"2026-2-09", std::nullopt},
          {L"2026/12/06", std::nullopt},
          {L"2026-12-06 ", std::nullopt},
          {L"+026-12-06", std::nullopt},
          {L"MONDAY", std::nullopt},
          {L"", std::nullopt},
      },
      [](const wchar_t* text) { return ParseDate(text); }, [](const CivilDate& date) { return FormatDate(date); });
  ExpectOnlyFixedFormsRead<TimeOfDay>(
      {
          {L"00:00:00", TimeOfDay{0, 0, 0}},
          {L"23:59:59", TimeOfDay{23, 59, 59}},
          {L"09:05:07", TimeOfDay{9, 5, 7}},
          {L"24:00:00", std::nullopt},
          {L"12:60:00", std::nullopt},
          {L"12:00:60", std::nullopt},
          {L"9:05:07", std::nullopt},
          {L"09:05", std::nullopt},
          {L"09-05-07", std::nullopt},
          {L" 9:05:07", std::nullopt},
          {L"[ Not Found ]", std::nullopt},
      },
      [](const wchar_t* text) { return ParseTime(text); }, [](const TimeOfDay& time) { return FormatTime(time); });
}

}  // namespace
}  // namespace cuelark
