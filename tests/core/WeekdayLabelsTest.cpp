#include "scheduler/core/WeekdayLabels.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "tests/core/EnglishWeek.h"

namespace cuelark {
namespace {

using test::kAllHeld;
using test::kEnglish;
using test::kGerman;
using test::Storable;

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
