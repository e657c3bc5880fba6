#include "scheduler/core/ScheduleClock.h"

#include <gtest/gtest.h>

#include <map>
#include <utility>

namespace cuelark {
namespace {

const std::array<std::wstring, 7> kEnglish = {L"MONDAY", L"TUESDAY", L"WEDNESDAY", L"THURSDAY",
                                              L"FRIDAY", L"SATURDAY", L"SUNDAY"};
const WeekLocale kMondayFirst = MakeWeekLocale(kEnglish, 1);
const WeekLocale kSundayFirst = MakeWeekLocale(kEnglish, 7);

SavedCommand Entry(EntryId id, std::wstring day, std::wstring time, bool checked = true) {
  SavedCommand entry;
  entry.id = id;
  entry.startDate = std::move(day);
  entry.startTime = std::move(time);
  entry.isChecked = checked;
  return entry;
}

std::int64_t Serial(CivilDate date, TimeOfDay time) { return SerialSecond({date, time}); }

// Drives a clock the way the window's timer does, in simulated time.
class SimulatedTimer {
 public:
  SimulatedTimer(std::vector<SavedCommand> entries, WeekLocale locale = kMondayFirst)
      : entries_(std::move(entries)), locale_(std::move(locale)) {}

  std::vector<Firing> TickAt(std::int64_t serial) {
    // A zone without daylight saving: every step of the clock is the user's own.
    std::vector<Firing> firings = clock_.Advance(FromSerialSecond(serial), 0, entries_, locale_).due;
    all_.insert(all_.end(), firings.begin(), firings.end());
    return firings;
  }
  // Ticks every `periodMs` from `startMs` to `endMs` (milliseconds after
  // `baseSerial`), as a timer whose ticks land anywhere within a second.
  void TickEvery(std::int64_t baseSerial, std::int64_t startMs, std::int64_t endMs, std::int64_t periodMs) {
    for (std::int64_t ms = startMs; ms <= endMs; ms += periodMs) TickAt(baseSerial + ms / 1000);
  }

  const std::vector<Firing>& All() const { return all_; }
  std::vector<EntryId> FiredIds() const {
    std::vector<EntryId> ids;
    for (const Firing& firing : all_) ids.push_back(firing.id);
    return ids;
  }

 private:
  ScheduleClock clock_;
  std::vector<SavedCommand> entries_;
  WeekLocale locale_;
  std::vector<Firing> all_;
};

// One "EVERY DAY" entry for each second from `first` for `count` seconds,
// ids 1..count in time order.
std::vector<SavedCommand> EntryPerSecond(std::int64_t first, int count) {
  std::vector<SavedCommand> entries;
  for (int k = 0; k < count; ++k) {
    entries.push_back(
        Entry(static_cast<EntryId>(k + 1), L"EVERY DAY", FormatTime(FromSerialSecond(first + k).time)));
  }
  return entries;
}

std::vector<EntryId> Ids(EntryId first, EntryId last) {
  std::vector<EntryId> ids;
  for (EntryId id = first; id <= last; ++id) ids.push_back(id);
  return ids;
}

struct DueCase {
  const wchar_t* what;
  const wchar_t* startDate;
  const wchar_t* startTime;
  bool checked;
  bool due;
};

TEST(IsDueTest, OnlyExactTextsInTheFixedFormsAreDue) {
  const LocalDateTime wednesdayMorning{{2026, 12, 9}, {9, 5, 0}};
  const DueCase kCases[] = {
      {L"date and time", L"2026-12-09", L"09:05:00", true, true},
      {L"other date", L"2026-12-10", L"09:05:00", true, false},
      {L"other second", L"2026-12-09", L"09:05:01", true, false},
      {L"weekday label", L"WEDNESDAY", L"09:05:00", true, true},
      {L"other weekday", L"THURSDAY", L"09:05:00", true, false},
      {L"label in other case", L"Wednesday", L"09:05:00", true, false},
      {L"every day", L"EVERY DAY", L"09:05:00", true, true},
      {L"every day in other case", L"Every Day", L"09:05:00", true, false},
      {L"unchecked every day", L"EVERY DAY", L"09:05:00", false, false},
      {L"day first date", L"09-12-2026", L"09:05:00", true, false},
      {L"month first date", L"12/09/2026", L"09:05:00", true, false},
      {L"hour without leading zero", L"EVERY DAY", L"9:05:00", true, false},
      {L"empty day", L"", L"09:05:00", true, false},
      {L"missing day", L"[ Not Found ]", L"09:05:00", true, false},
      {L"missing time", L"EVERY DAY", L"[ Not Found ]", true, false},
  };
  for (const DueCase& c : kCases) {
    EXPECT_EQ(IsDue(Entry(1, c.startDate, c.startTime, c.checked), wednesdayMorning, kMondayFirst), c.due)
        << testing::PrintToString(std::wstring(c.what));
  }
}

TEST(IsDueTest, AWeeklyEntryIsDueByEitherNameOfItsDay) {
  const LocalDateTime wednesdayMorning{{2026, 12, 9}, {9, 5, 0}};
  const std::array<std::wstring, 7> germanNames = {L"MONTAG",  L"DIENSTAG", L"MITTWOCH", L"DONNERSTAG",
                                                    L"FREITAG", L"SAMSTAG",  L"SONNTAG"};
  const WeekLocale german = MakeWeekLocale(germanNames, 1);
  const WeekLocale unheld = MakeWeekLocale(
      std::array<LocalDayName, 7>{{{L"\u661f\u671f\u4e00", false}, {L"\u661f\u671f\u4e8c", false},
                                   {L"\u661f\u671f\u4e09", false}, {L"\u661f\u671f\u56db", false},
                                   {L"\u661f\u671f\u4e94", false}, {L"\u661f\u671f\u516d", false},
                                   {L"\u661f\u671f\u65e5", false}}},
      1);
  // Names that came back alike, as a code page without them makes them.
  std::array<LocalDayName, 7> alike;
  alike.fill({L"???", true});
  const WeekLocale mangled = MakeWeekLocale(alike, 1);
  struct Case {
    const wchar_t* what;
    const WeekLocale& locale;
    const wchar_t* startDate;
    bool due;
  };
  const Case kCases[] = {
      {L"local label", german, L"MITTWOCH", true},
      {L"English name under a local week", german, L"WEDNESDAY", true},
      {L"another day's local name", german, L"DONNERSTAG", false},
      {L"English label where the local names are not stored", unheld, L"WEDNESDAY", true},
      {L"a label the code page mangled", unheld, L"???", false},
      {L"a name every day shares", mangled, L"???", false},
  };
  for (const Case& c : kCases) {
    EXPECT_EQ(IsDue(Entry(1, c.startDate, L"09:05:00"), wednesdayMorning, c.locale), c.due)
        << testing::PrintToString(std::wstring(c.what));
  }
}

TEST(ScheduleClockTest, TheFirstTickExaminesOnlyItsOwnSecond) {
  const std::int64_t noon = Serial({2026, 12, 9}, {12, 0, 0});
  SimulatedTimer timer(EntryPerSecond(noon - 5, 6));  // 11:59:55 .. 12:00:00
  timer.TickAt(noon);
  EXPECT_EQ(timer.FiredIds(), std::vector<EntryId>{6});
}

TEST(ScheduleClockTest, A999MillisecondTimerFiresEverySecondExactlyOnce) {
  // Over 1000 ticks the 999 ms period drifts through a whole second, so two
  // ticks land in the same second once.
  const std::int64_t start = Serial({2026, 12, 9}, {10, 0, 0});
  SimulatedTimer timer(EntryPerSecond(start, 998));
  timer.TickEvery(start, 0, 999 * 999, 999);
  EXPECT_EQ(timer.FiredIds(), Ids(1, 998));
}

TEST(ScheduleClockTest, EarlyLateAndDoubledTicksFireEverySecondExactlyOnce) {
  const std::int64_t start = Serial({2026, 12, 9}, {10, 0, 0});
  SimulatedTimer timer(EntryPerSecond(start, 40));
  const std::int64_t kTickMs[] = {0, 5, 998, 1000, 1001, 3999, 4000, 4000, 9500, 9999, 10001, 39999};
  for (const std::int64_t ms : kTickMs) timer.TickAt(start + ms / 1000);
  EXPECT_EQ(timer.FiredIds(), Ids(1, 40));
  // Each firing carries the second it belongs to, not the tick's.
  EXPECT_EQ(SerialSecond(timer.All()[5].second), start + 5);
}

TEST(ScheduleClockTest, ALateTickCatchesUpOnTheLastMinuteOnly) {
  const std::int64_t start = Serial({2026, 12, 9}, {10, 0, 0});
  SimulatedTimer exactlyLate(EntryPerSecond(start, 61));
  exactlyLate.TickAt(start);
  exactlyLate.TickAt(start + 60);
  EXPECT_EQ(exactlyLate.FiredIds(), Ids(1, 61));

  SimulatedTimer tooLate(EntryPerSecond(start, 121));
  tooLate.TickAt(start);
  tooLate.TickAt(start + 120);
  // Seconds 1..59 were more than a minute old; 60..120 still fire, in order.
  std::vector<EntryId> expected{1};
  const std::vector<EntryId> recent = Ids(61, 121);
  expected.insert(expected.end(), recent.begin(), recent.end());
  EXPECT_EQ(tooLate.FiredIds(), expected);
}

TEST(ScheduleClockTest, EntriesFireAcrossMidnightYearEndAndLeapDay) {
  struct Case {
    const char* what;
    LocalDateTime before;
    LocalDateTime after;  // within the catch-up window of `before`
    std::vector<SavedCommand> entries;
    std::vector<EntryId> fired;
  };
  const std::vector<Case> kCases = {
      {"midnight",
       {{2026, 12, 6}, {23, 59, 40}},
       {{2026, 12, 7}, {0, 0, 20}},
       {Entry(1, L"2026-12-06", L"00:00:00"), Entry(2, L"2026-12-07", L"00:00:00"),
        Entry(3, L"EVERY DAY", L"00:00:00"), Entry(4, L"2026-12-06", L"23:59:59"),
        Entry(5, L"MONDAY", L"00:00:10"), Entry(6, L"SUNDAY", L"00:00:10")},
       {4, 2, 3, 5}},
      {"year end",
       {{2026, 12, 31}, {23, 59, 50}},
       {{2027, 1, 1}, {0, 0, 5}},
       {Entry(1, L"2027-01-01", L"00:00:00"), Entry(2, L"2026-12-31", L"23:59:59"),
        Entry(3, L"2026-01-01", L"00:00:00"), Entry(4, L"2027-12-31", L"23:59:59")},
       {2, 1}},
      {"leap day",
       {{2028, 2, 28}, {23, 59, 30}},
       {{2028, 2, 29}, {0, 0, 20}},
       {Entry(1, L"2028-02-29", L"00:00:10"), Entry(2, L"2028-03-01", L"00:00:10")},
       {1}},
      {"no leap day in a common year",
       {{2027, 2, 28}, {23, 59, 30}},
       {{2027, 3, 1}, {0, 0, 20}},
       {Entry(1, L"2027-02-29", L"00:00:10"), Entry(2, L"2027-03-01", L"00:00:10")},
       {2}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    SimulatedTimer timer(c.entries);
    timer.TickAt(SerialSecond(c.before));
    timer.TickAt(SerialSecond(c.after));
    EXPECT_EQ(timer.FiredIds(), c.fired);
  }
}

TEST(ScheduleClockTest, AWeeklyEntrySavedOnAWednesdayFiresEveryWednesdayInAnyWeek) {
  const CivilDate wednesday{2026, 12, 9};
  std::array<LocalDayName, 7> unheld;
  unheld.fill({L"?", false});
  const WeekLocale kUnheldSundayFirst = MakeWeekLocale(unheld, 7);
  for (const WeekLocale* locale : {&kMondayFirst, &kSundayFirst, &kUnheldSundayFirst}) {
    SCOPED_TRACE(locale == &kMondayFirst ? "Monday first" : locale == &kSundayFirst ? "Sunday first" : "English labels, Sunday first");
    SavedCommand weekly = Entry(1, DayDateText(wednesday, true, false, *locale), L"08:00:00");
    SimulatedTimer timer({weekly}, *locale);
    const std::int64_t firstMorning = Serial({2026, 12, 1}, {8, 0, 0});
    for (int day = 0; day < 28; ++day) timer.TickAt(firstMorning + day * 86400);
    std::vector<CivilDate> firedOn;
    for (const Firing& firing : timer.All()) firedOn.push_back(firing.second.date);
    EXPECT_EQ(firedOn, (std::vector<CivilDate>{{2026, 12, 2}, {2026, 12, 9}, {2026, 12, 16}, {2026, 12, 23}}));
  }
}

TEST(ScheduleClockTest, EntriesDueInTheSameSecondFireInListOrder) {
  const CivilDate day{2026, 12, 9};
  SimulatedTimer timer({Entry(7, L"EVERY DAY", L"10:00:01"), Entry(3, L"EVERY DAY", L"10:00:00"),
                        Entry(5, L"2026-12-09", L"10:00:00"), Entry(4, L"WEDNESDAY", L"10:00:01"),
                        Entry(9, L"EVERY DAY", L"10:00:00", false)});
  timer.TickAt(Serial(day, {9, 59, 59}));
  timer.TickAt(Serial(day, {10, 0, 1}));
  EXPECT_EQ(timer.FiredIds(), (std::vector<EntryId>{3, 5, 7, 4}));
}

}  // namespace
}  // namespace cuelark
