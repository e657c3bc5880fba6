#include "scheduler/core/Texts.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "tests/core/EnglishWeek.h"

namespace cuelark {
namespace {

using test::kAllHeld;
using test::kEnglish;
using test::kGerman;
using test::Storable;

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

TEST(TextFormTest, OnlyTheFixedFormsReadBackAndTheyAreWhatIsWritten) {
  const struct {
    const wchar_t* text;
    std::optional<CivilDate> date;
  } kDates[] = {
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
  };
  for (const auto& c : kDates) {
    EXPECT_EQ(ParseDate(c.text), c.date) << testing::PrintToString(std::wstring(c.text));
    if (c.date) {
      EXPECT_EQ(FormatDate(*c.date), c.text);
    }
  }

  const struct {
    const wchar_t* text;
    std::optional<TimeOfDay> time;
  } kTimes[] = {
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
  };
  for (const auto& c : kTimes) {
    EXPECT_EQ(ParseTime(c.text), c.time) << testing::PrintToString(std::wstring(c.text));
    if (c.time) {
      EXPECT_EQ(FormatTime(*c.time), c.text);
    }
  }
}

// The labels of Monday 2026-12-07 through Sunday 2026-12-13, in that order.
std::array<std::wstring, 7> LabelsOfAWeek(const WeekLocale& locale) {
  std::array<std::wstring, 7> labels;
  for (int k = 0; k < 7; ++k) labels[static_cast<std::size_t>(k)] = WeekdayLabel({2026, 12, 7 + k}, locale);
  return labels;
}

TEST(WeekdayLabelTest, LocalNamesWhereTheCodePageHoldsThemElseEnglish) {
  struct Case {
    const char* what;
    std::array<LocalDayName, 7> names;
    int firstDayIso;
    std::array<std::wstring, 7> labels;  // Monday .. Sunday
  };
  const std::array<std::wstring, 7> kPolish = {L"PONIEDZIA\u0141EK", L"WTOREK", L"\u015aRODA", L"CZWARTEK",
                                               L"PI\u0104TEK", L"SOBOTA", L"NIEDZIELA"};
  const std::array<std::wstring, 7> kChinese = {L"\u661f\u671f\u4e00", L"\u661f\u671f\u4e8c", L"\u661f\u671f\u4e09",
                                                L"\u661f\u671f\u56db", L"\u661f\u671f\u4e94", L"\u661f\u671f\u516d",
                                                L"\u661f\u671f\u65e5"};
  const std::array<std::wstring, 7> kEnglishBeforeEach = {L"SUNDAY",   L"MONDAY", L"TUESDAY", L"WEDNESDAY",
                                                          L"THURSDAY", L"FRIDAY", L"SATURDAY"};
  const Case kCases[] = {
      {"English, week from Monday", Storable(kEnglish, kAllHeld), 1, kEnglish},
      {"English, week from Sunday: each day has the name of the day before", Storable(kEnglish, kAllHeld), 7,
       kEnglishBeforeEach},
      {"German on a Western code page", Storable(kGerman, kAllHeld), 1, kGerman},
      {"Polish on a Western code page: three names cannot be held",
       Storable(kPolish, {false, true, false, true, false, true, true}), 1, kEnglish},
      {"Polish on a Central European code page", Storable(kPolish, kAllHeld), 1, kPolish},
      {"Chinese on a Western code page", Storable(kChinese, {}), 1, kEnglish},
      {"Chinese on a Western code page, week from Sunday", Storable(kChinese, {}), 7, kEnglishBeforeEach},
      {"a day the system gave no name", Storable({L"", L"B", L"C", L"D", L"E", L"F", L"G"}, kAllHeld), 1, kEnglish},
      {"two days with one name", Storable({L"A", L"B", L"C", L"D", L"E", L"F", L"A"}, kAllHeld), 1, kEnglish},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(LabelsOfAWeek(MakeWeekLocale(c.names, c.firstDayIso)), c.labels);
  }
}

// Stored labels keep the shifted rule; what the user reads is the day the
// entry really fires on.
TEST(ShownDayDateTest, AWeekdayLabelIsShownAsTheDayTheEntryFiresOn) {
  const CivilDate friday{2026, 12, 11};
  const WeekLocale germanFromSunday = MakeWeekLocale(kGerman, 7);
  struct Case {
    const char* what;
    WeekLocale locale;
    std::wstring stored;
    std::wstring shown;
  };
  const Case kCases[] = {
      {"week from Monday", MakeWeekLocale(kEnglish, 1), WeekdayLabel(friday, MakeWeekLocale(kEnglish, 1)), L"FRIDAY"},
      {"week from Sunday: stored as the day before", MakeWeekLocale(kEnglish, 7),
       WeekdayLabel(friday, MakeWeekLocale(kEnglish, 7)), L"FRIDAY"},
      {"week from Saturday", MakeWeekLocale(kEnglish, 6), WeekdayLabel(friday, MakeWeekLocale(kEnglish, 6)),
       L"FRIDAY"},
      {"German labels", germanFromSunday, WeekdayLabel(friday, germanFromSunday), L"FREITAG"},
      {"the English name of a German label", germanFromSunday, L"THURSDAY", L"FREITAG"},
      {"a date", germanFromSunday, L"2026-12-11", L"2026-12-11"},
      {"every day", germanFromSunday, L"EVERY DAY", L"EVERY DAY"},
      {"a text that names no day", germanFromSunday, L"Freitag", L"Freitag"},
      {"empty", germanFromSunday, L"", L""},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(ShownDayDate(c.stored, c.locale), c.shown);
  }
  EXPECT_EQ(WeekdayLabel(friday, MakeWeekLocale(kEnglish, 7)), L"THURSDAY") << "storage keeps the rule";
}

TEST(WeekdayLabelTest, ADayOutsideTheWeekIsRejected) {
  EXPECT_THROW(MakeWeekLocale(kEnglish, 0), std::invalid_argument);
  EXPECT_THROW(MakeWeekLocale(kEnglish, 8), std::invalid_argument);
}

}  // namespace
}  // namespace cuelark
