#include "scheduler/core/ScheduleRule.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/core/EnglishWeek.h"

namespace cuelark {
namespace {

using namespace test;

TEST(ScheduleRuleTest, TextsOutsideTheFixedFormsNeverFire) {
  const struct {
    const wchar_t* dayDate;
    const wchar_t* time;
    bool fires;
  } kCases[] = {
      {L"2026-12-09", L"09:05:00", true},
      {L"EVERY DAY", L"00:00:00", true},
      {L"WEDNESDAY", L"23:59:59", true},
      {L"EVERY DAY", L"24:00:00", false},
      {L"EVERY DAY", L"9:05:00", false},
      {L"EVERY DAY", L"09:05", false},
      {L"EVERY DAY", L"", false},
      {L"EVERY DAY", L"[ Not Found ]", false},
      {L"Every Day", L"09:05:00", false},
      {L"Wednesday", L"09:05:00", false},
      {L"MITTWOCH", L"09:05:00", false},
      {L"", L"09:05:00", false},
      {L"[ Not Found ]", L"09:05:00", false},
      {L"2027-02-29", L"09:05:00", false},
      {L"2026-2-9", L"09:05:00", false},
      {L"09-12-2026", L"09:05:00", false},
      {L"20", L"09:05:00", false},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(c.dayDate) + L" " + c.time));
    const ScheduleRule rule = ScheduleRule::Read(c.dayDate, c.time, kMondayFirst);
    EXPECT_EQ(rule.NeverFires(), !c.fires);
    EXPECT_EQ(rule.FirstDueFrom(SerialSecond({{2026, 12, 9}, {0, 0, 0}})).has_value(), c.fires);
  }
  EXPECT_TRUE(ScheduleRule().NeverFires());
}

TEST(ScheduleRuleTest, ADateIsADateInAnyCentury) {
  for (const CivilDate date : {CivilDate{1999, 12, 31}, CivilDate{2100, 3, 1}, CivilDate{2026, 12, 9}}) {
    const ScheduleRule rule = ScheduleRule::Read(FormatDate(date), L"08:00:00", kMondayFirst);
    EXPECT_TRUE(rule.IsDueAt({date, {8, 0, 0}})) << FormatDate(date);
    EXPECT_FALSE(rule.IsDueAt({date, {8, 0, 1}})) << FormatDate(date);
  }
}

TEST(ScheduleRuleTest, ALabelThatIsAlsoAnotherDaysNameFiresOnBothDays) {
  // Monday's local name is Tuesday's English one.
  const WeekLocale overlapping = MakeWeekLocale(
      std::array<std::wstring, 7>{L"TUESDAY", L"B", L"C", L"D", L"E", L"F", L"G"}, 1);
  const ScheduleRule rule = ScheduleRule::Read(L"TUESDAY", L"12:00:00", overlapping);
  EXPECT_TRUE(rule.FallsOn({2026, 12, 7}));
  EXPECT_TRUE(rule.FallsOn({2026, 12, 8}));
  EXPECT_FALSE(rule.FallsOn({2026, 12, 9}));
}

// The next due second agrees with asking the rule second by second, for
// every kind of rule and from seconds around its time, before 1970 too.
TEST(ScheduleRuleTest, TheFirstDueSecondIsTheFirstTheRuleNames) {
  const ScheduleRule kRules[] = {
      ScheduleRule::Read(L"EVERY DAY", L"00:00:00", kMondayFirst),
      ScheduleRule::Read(L"EVERY DAY", L"23:59:59", kMondayFirst),
      ScheduleRule::Read(L"SUNDAY", L"12:00:00", kMondayFirst),
      ScheduleRule::Read(L"SUNDAY", L"12:00:00", kSundayFirst),
      ScheduleRule::Read(L"2026-12-13", L"12:00:00", kMondayFirst),
      ScheduleRule::Read(L"1969-12-31", L"23:59:59", kMondayFirst),
  };
  const std::int64_t kFroms[] = {SerialSecond({{2026, 12, 13}, {11, 59, 59}}),
                                 SerialSecond({{2026, 12, 13}, {12, 0, 0}}),
                                 SerialSecond({{2026, 12, 13}, {12, 0, 1}}), SerialSecond({{2026, 12, 7}, {0, 0, 0}}),
                                 SerialSecond({{1969, 12, 31}, {0, 0, 0}}), -1};
  constexpr std::int64_t kHorizon = 8 * kSecondsPerDay;
  for (std::size_t r = 0; r < std::size(kRules); ++r) {
    for (const std::int64_t from : kFroms) {
      SCOPED_TRACE(testing::Message() << "rule " << r << " from " << from);
      std::optional<std::int64_t> expected;
      for (std::int64_t serial = from; serial < from + kHorizon && !expected; ++serial)
        if (kRules[r].IsDueAt(FromSerialSecond(serial))) expected = serial;
      const std::optional<std::int64_t> first = kRules[r].FirstDueFrom(from);
      EXPECT_EQ(first && *first < from + kHorizon ? first : std::nullopt, expected);
    }
  }
}

TEST(ScheduleRuleTest, AWeekdayTextNamesItsDayByItsLabelOrEitherName) {
  const CivilDate wednesday{2026, 12, 9};
  struct Case {
    const char* what;
    WeekLocale locale;
    std::wstring text;
    bool names;
  };
  const std::array<std::wstring, 7> kUnheld = {L"\u0100", L"\u0101", L"\u0102", L"\u0103", L"\u0104", L"\u0105", L"\u0106"};
  const WeekLocale german = MakeWeekLocale(kGerman, 1);
  const WeekLocale germanFromSunday = MakeWeekLocale(kGerman, 7);
  const WeekLocale unheld = MakeWeekLocale(Storable(kUnheld, {}), 1);
  const Case kCases[] = {
      {"the local label", german, L"MITTWOCH", true},
      {"the English name of a day labelled locally", german, L"WEDNESDAY", true},
      {"another day's local name", german, L"DONNERSTAG", false},
      {"another day's English name", german, L"THURSDAY", false},
      {"the local name in other case", german, L"Mittwoch", false},
      {"the English name shifts with a week from Sunday", germanFromSunday, L"TUESDAY", true},
      {"and so does the local one", germanFromSunday, L"DIENSTAG", true},
      {"the English label of a name the code page cannot hold", unheld, L"WEDNESDAY", true},
      {"the name as the code page mangled it", unheld, L"?", false},
      {"a name two days share", MakeWeekLocale(Storable({L"A", L"B", L"C", L"D", L"E", L"F", L"C"}, kAllHeld), 1),
       L"C", false},
      {"an empty text", german, L"", false},
      {"an empty text where the system gave no names", WeekLocale{}, L"", false},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(ScheduleRule::Read(c.text, L"12:00:00", c.locale).FallsOn(wednesday), c.names);
  }
}

}  // namespace
}  // namespace cuelark
