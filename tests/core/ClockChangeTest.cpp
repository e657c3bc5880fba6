// The schedule clock: ticks early, late and doubled, and changes of the wall
// clock (daylight saving in two zones, the user's own changes, sleep and a
// restart), with the UTC offset injected as the system would report it.
#include "scheduler/core/ScheduleClock.h"

#include <gtest/gtest.h>

#include "scheduler/core/DueTimes.h"
#include "tests/core/EnglishWeek.h"
#include "tests/core/ZoneTimer.h"

namespace cuelark {
namespace {

using namespace test;

TimeOfDay Plus(TimeOfDay time, int seconds) { return FromSerialSecond(SerialSecond({{2026, 1, 1}, time}) + seconds).time; }

// Entries at the given local times, ids 1, 2, ... in that order.
std::vector<SavedCommand> EveryDayAt(const std::vector<TimeOfDay>& times) {
  std::vector<SavedCommand> entries;
  for (const TimeOfDay& time : times) {
    SavedCommand entry;
    entry.id = entries.size() + 1;
    entry.startDate = L"EVERY DAY";
    entry.startTime = FormatTime(time);
    entry.rule = ScheduleRule::Read(entry.startDate, entry.startTime, kMondayFirst);
    entries.push_back(entry);
  }
  return entries;
}

std::vector<EntryId> Ids(EntryId first, EntryId last) {
  std::vector<EntryId> ids;
  for (EntryId id = first; id <= last; ++id) ids.push_back(id);
  return ids;
}

// A day without a change of the clock.
constexpr CivilDate kWinterDay{2026, 12, 9};

// One entry for each of `count` seconds from `first` on.
std::vector<SavedCommand> EverySecondFrom(TimeOfDay first, int count) {
  std::vector<TimeOfDay> times;
  for (int k = 0; k < count; ++k) times.push_back(Plus(first, k));
  return EveryDayAt(times);
}

TEST(ScheduleClockTest, TheFirstTickExaminesOnlyItsOwnSecond) {
  ZoneTimer timer(kBerlin, EverySecondFrom({11, 59, 55}, 6));
  timer.TickAt({kWinterDay, {12, 0, 0}}, 60);
  EXPECT_EQ(timer.FiredIds(), std::vector<EntryId>{6});
}

TEST(ScheduleClockTest, EarlyLateAndDoubledTicksFireEverySecondExactlyOnce) {
  const std::int64_t start = Serial(kWinterDay, {10, 0, 0});
  ZoneTimer timer(kBerlin, EverySecondFrom({10, 0, 0}, 40));
  for (const int ms : {0, 5, 998, 1000, 1001, 3999, 4000, 4000, 9500, 9999, 10001, 39999}) {
    timer.TickAt(FromSerialSecond(start + ms / 1000), 60);
  }
  EXPECT_EQ(timer.FiredIds(), Ids(1, 40));
  // Each firing carries the second it belongs to, not the tick's.
  EXPECT_EQ(SerialSecond(timer.AllFired()[5].firing.second), start + 5);
}

TEST(ScheduleClockTest, ALateTickCatchesUpOnTheLastMinuteAndReportsTheRest) {
  const std::int64_t start = Serial(kWinterDay, {10, 0, 0});
  const struct {
    int late;  // seconds after the first tick
    EntryId firstCaughtUp;
  } kCases[] = {{60, 2}, {120, 61}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.late);
    ZoneTimer timer(kBerlin, EverySecondFrom({10, 0, 0}, c.late + 1));
    timer.TickAt(FromSerialSecond(start), 60);
    timer.TickAt(FromSerialSecond(start + c.late), 60);
    std::vector<EntryId> fired = Ids(c.firstCaughtUp, c.late + 1);
    fired.insert(fired.begin(), 1);
    EXPECT_EQ(timer.FiredIds(), fired);
    EXPECT_EQ(timer.SkippedIds(), Ids(2, c.firstCaughtUp - 1));
  }
}

TEST(DaylightSavingTest, TheHourSpringSkipsFiresOnceRightAfterTheChange) {
  for (const Zone* zone : kZones) {
    SCOPED_TRACE(zone->name);
    const TimeOfDay skipped = zone->skippedHour;
    const TimeOfDay after = Plus(skipped, 3600);
    // Ids 3..5 lie in the skipped hour.
    ZoneTimer timer(*zone, EveryDayAt({Plus(skipped, -1800), Plus(skipped, -1), skipped, Plus(skipped, 1800),
                                       Plus(skipped, 3599), after, Plus(after, 1)}));
    timer.TickEvery(zone->springUtc - 7200, zone->springUtc + 7200, 999);

    EXPECT_EQ(timer.FiredIds(), (std::vector<EntryId>{1, 2, 3, 4, 5, 6, 7}));
    EXPECT_TRUE(timer.SkippedIds().empty());
    for (const Fired& fired : timer.AllFired()) {
      SCOPED_TRACE(testing::Message() << "entry " << fired.firing.id);
      const bool inSkippedHour = fired.firing.id >= 3 && fired.firing.id <= 5;
      EXPECT_EQ(fired.firing.daylightSaving, inSkippedHour);
      EXPECT_EQ(fired.tick.time, inSkippedHour ? after : fired.firing.second.time);
    }
  }
}

TEST(DaylightSavingTest, TheHourAutumnRepeatsFiresOnceInItsFirstPass) {
  for (const Zone* zone : kZones) {
    SCOPED_TRACE(zone->name);
    const TimeOfDay repeated = zone->repeatedHour;
    ZoneTimer timer(*zone, EveryDayAt({Plus(repeated, -1), repeated, Plus(repeated, 1800), Plus(repeated, 3599),
                                       Plus(repeated, 3600)}));
    timer.TickEvery(zone->autumnUtc - 7200, zone->autumnUtc + 7200, 999);

    EXPECT_EQ(timer.FiredIds(), (std::vector<EntryId>{1, 2, 3, 4, 5}));
    EXPECT_TRUE(timer.SkippedIds().empty());
    for (const Fired& fired : timer.AllFired()) {
      SCOPED_TRACE(testing::Message() << "entry " << fired.firing.id);
      EXPECT_FALSE(fired.firing.daylightSaving);
      EXPECT_EQ(fired.tick.time, fired.firing.second.time);
      const bool firstPass = fired.firing.id <= 4;
      EXPECT_EQ(fired.tickOffset, firstPass ? zone->daylightMinutes : zone->standardMinutes);
    }
  }
}

TEST(DaylightSavingTest, ALateTickAcrossTheSpringChangeStillFiresEverything) {
  for (const Zone* zone : kZones) {
    SCOPED_TRACE(zone->name);
    const TimeOfDay skipped = zone->skippedHour;
    ZoneTimer timer(*zone, EveryDayAt({Plus(skipped, -20), Plus(skipped, 1800), Plus(skipped, 3620)}));
    timer.TickAt(zone->springUtc - 30);
    timer.TickAt(zone->springUtc + 25);  // 55 s later: within the catch-up
    EXPECT_EQ(timer.FiredIds(), (std::vector<EntryId>{1, 2, 3}));
    EXPECT_TRUE(timer.SkippedIds().empty());
    ASSERT_EQ(timer.AllFired().size(), 3u);
    EXPECT_FALSE(timer.AllFired()[0].firing.daylightSaving) << "due before the change, only fired late";
    EXPECT_TRUE(timer.AllFired()[1].firing.daylightSaving);
    EXPECT_FALSE(timer.AllFired()[2].firing.daylightSaving);
  }
}

TEST(DaylightSavingTest, SleepingThroughTheSpringChangeReportsTheSkippedHourInsteadOfABurst) {
  for (const Zone* zone : kZones) {
    SCOPED_TRACE(zone->name);
    const TimeOfDay skipped = zone->skippedHour;
    ZoneTimer timer(*zone, EveryDayAt({Plus(skipped, 1800), Plus(skipped, 3600 + 1800), Plus(skipped, 3600 + 3570)}));
    timer.TickAt(zone->springUtc - 3600);
    timer.TickAt(zone->springUtc + 3600);  // the last one is 30 s old
    EXPECT_EQ(timer.FiredIds(), std::vector<EntryId>{3});
    EXPECT_EQ(timer.SkippedIds(), (std::vector<EntryId>{1, 2}));
    EXPECT_FALSE(timer.AllFired()[0].firing.daylightSaving);
  }
}

struct OwnChange {
  const char* what;
  TimeOfDay to;  // from 12:00:00 on a winter day
  int offsetChangeMinutes;
  std::vector<EntryId> fired;
  std::vector<EntryId> skipped;
};

TEST(ClockChangeTest, TheUsersOwnChangesKeepTheirRulesAndWhatIsJumpedOverIsReported) {
  const CivilDate day{2026, 1, 14};
  const std::vector<TimeOfDay> times = {{9, 30, 0}, {11, 30, 0}, {12, 30, 0}, {14, 30, 0}, {14, 59, 30}};
  const OwnChange kCases[] = {
      {"set forward three hours", {15, 0, 0}, 0, {5}, {3, 4}},
      {"set forward a minute", {12, 1, 0}, 0, {}, {}},
      {"set back three hours: nothing twice", {9, 0, 0}, 0, {}, {}},
      {"set back more than three hours: afresh", {8, 59, 59}, 0, {1, 2}, {}},
      // A new time zone: the offset explains the step, but only steps of up
      // to three hours are taken as daylight saving.
      {"a zone three hours west: nothing twice", {9, 0, 0}, -180, {}, {}},
      {"a zone seven hours west: nothing twice", {5, 0, 0}, -420, {}, {}},
      {"a zone three hours east: as daylight saving", {15, 0, 0}, 180, {3, 4, 5}, {}},
      {"a zone nine hours east: no burst", {21, 0, 0}, 540, {}, {3, 4, 5}},
  };
  for (const OwnChange& c : kCases) {
    SCOPED_TRACE(c.what);
    ZoneTimer timer(kBerlin, EveryDayAt(times));
    timer.TickThrough(Serial(day, {9, 0, 0}), Serial(day, {12, 0, 0}), 60);
    ASSERT_EQ(timer.FiredIds(), (std::vector<EntryId>{1, 2}));
    // The change, then ticks up to noon of the new clock.
    const int offset = 60 + c.offsetChangeMinutes;
    timer.TickThrough(Serial(day, c.to), std::max(Serial(day, c.to), Serial(day, {12, 0, 0})), offset);
    const std::vector<EntryId> all = timer.FiredIds();
    EXPECT_EQ(std::vector<EntryId>(all.begin() + 2, all.end()), c.fired);
    EXPECT_EQ(timer.SkippedIds(), c.skipped);
  }
}

TEST(ClockChangeTest, ARestartCatchesUpOnTheLastMinuteAndReportsTheRest) {
  const LocalDateTime now{{2026, 12, 9}, {12, 0, 0}};
  const struct {
    const char* what;
    LocalDateTime previousEnd;
    std::vector<EntryId> fired;
    std::vector<EntryId> skipped;
  } kCases[] = {
      {"stopped a second ago", {{2026, 12, 9}, {11, 59, 59}}, {5}, {}},
      {"stopped half a minute ago", {{2026, 12, 9}, {11, 59, 30}}, {4, 5}, {}},
      {"stopped this morning", {{2026, 12, 9}, {8, 0, 0}}, {4, 5}, {1, 2, 3}},
      {"stopped an hour in the future", {{2026, 12, 9}, {13, 0, 0}}, {}, {}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.what);
    ZoneTimer timer(kBerlin, EveryDayAt({{9, 0, 0}, {11, 0, 0}, {11, 58, 59}, {11, 59, 40}, {12, 0, 0}}));
    timer.ContinueAfter(c.previousEnd);
    timer.TickAt(now, 60);
    EXPECT_EQ(timer.FiredIds(), c.fired);
    EXPECT_EQ(timer.SkippedIds(), c.skipped);
  }
}

}  // namespace
}  // namespace cuelark
