// The week read from the system's locales: local names where the ANSI code
// page holds them, English names where it does not.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "scheduler/core/ScheduleRule.h"
#include "scheduler/win/SystemWeekLocale.h"
#include "scheduler/win/WinText.h"

namespace cuelark {
namespace {

// The labels of Monday 2026-12-07 through Sunday 2026-12-13.
std::array<std::wstring, 7> LabelsOfAWeek(const WeekLocale& week) {
  std::array<std::wstring, 7> labels;
  for (int k = 0; k < 7; ++k) labels[static_cast<std::size_t>(k)] = WeekdayLabel({2026, 12, 7 + k}, week);
  return labels;
}

TEST(WeekLocaleTest, LabelsAreLocalWhereTheWesternCodePageHoldsThemElseEnglish) {
  if (GetACP() != 1252) GTEST_SKIP() << "the cases are written for the Western code page 1252";
  const std::array<std::wstring, 7> kEnglish = {L"MONDAY", L"TUESDAY", L"WEDNESDAY", L"THURSDAY",
                                                L"FRIDAY", L"SATURDAY", L"SUNDAY"};
  struct Case {
    const wchar_t* locale;
    std::array<std::wstring, 7> labels;  // Monday .. Sunday
    const wchar_t* fridayLocalName;
  };
  const Case kCases[] = {
      {L"de-DE", {L"MONTAG", L"DIENSTAG", L"MITTWOCH", L"DONNERSTAG", L"FREITAG", L"SAMSTAG", L"SONNTAG"}, L"FREITAG"},
      // Three Polish names have letters the code page lacks.
      {L"pl-PL", kEnglish, L"PI\u0104TEK"},
      {L"zh-CN", kEnglish, L"\u661F\u671F\u4E94"},
  };
  const CivilDate friday{2026, 12, 11};
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(c.locale)));
    const WeekLocale week = WeekLocaleOf(c.locale);
    EXPECT_EQ(LabelsOfAWeek(week), c.labels);
    EXPECT_TRUE(ScheduleRule::Read(c.fridayLocalName, L"12:00:00", week).FallsOn(friday))
        << "the local name still names its day";
    EXPECT_TRUE(ScheduleRule::Read(L"FRIDAY", L"12:00:00", week).FallsOn(friday)) << "and so does the English one";
  }
}

TEST(WeekLocaleTest, AWeekFromSundayShiftsTheEnglishLabelsAsItShiftsLocalOnes) {
  const WeekLocale week = WeekLocaleOf(L"en-US");
  ASSERT_EQ(LocaleText(LOCALE_IFIRSTDAYOFWEEK, L"en-US"), L"6") << "the case needs a week from Sunday";
  EXPECT_EQ(WeekdayLabel({2026, 12, 7}, week), L"SUNDAY") << "a Monday";
  EXPECT_EQ(WeekdayLabel({2026, 12, 13}, week), L"SATURDAY") << "a Sunday";
}

}  // namespace
}  // namespace cuelark
