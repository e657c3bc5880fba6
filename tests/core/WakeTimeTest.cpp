#include "scheduler/core/WakeTime.h"

#include <gtest/gtest.h>

#include <map>
#include <ostream>

#include "tests/core/EnglishWeek.h"
#include "tests/core/ZoneTimer.h"

namespace cuelark {

void PrintTo(const UtcInstant& instant, std::ostream* out) {
  const LocalDateTime moment = FromSerialSecond(instant.serial);
  *out << testing::PrintToString(FormatDate(moment.date) + L" " + FormatTime(moment.time)) << " UTC";
}

namespace {

using namespace test;

UtcOffsetAt OffsetsOf(const Zone& zone) {
  return [&zone](UtcInstant at) { return zone.OffsetAt(at.serial); };
}

UtcInstant Utc(CivilDate date, TimeOfDay time) { return {Serial(date, time)}; }

// Entries on `date` every few minutes through the night, and on the edges of
// the hour the clock changes.
std::vector<SavedCommand> NightOf(CivilDate date) {
  std::vector<SavedCommand> entries;
  const auto add = [&](TimeOfDay time) {
    entries.push_back(Entry(entries.size() + 1, FormatDate(date), FormatTime(time)));
  };
  for (int minute = 0; minute < 4 * 60; minute += 7) add({minute / 60, minute % 60, 13});
  for (const int hour : {0, 1, 2, 3}) {
    add({hour, 0, 0});
    add({hour, 59, 59});
  }
  return entries;
}

// Where the clock really fires each entry, asked at `start`: the schedule
// clock itself, ticking every second of the night.
TEST(FiringInstantTest, IsWhereTheClockFiresThroughEveryChangeOfTheWallClock) {
  for (const Zone* zone : kZones) {
    for (const std::int64_t change : {zone->springUtc, zone->autumnUtc}) {
      // From the evening before, and from inside the hour that repeats.
      for (const std::int64_t start : {change - 3 * 3600, change + 600}) {
        SCOPED_TRACE(std::string(zone->name) + " " + testing::PrintToString(FormatDate(FromSerialSecond(change).date)) +
                     " from " + std::to_string(start - change));
        const std::vector<SavedCommand> entries = NightOf(FromSerialSecond(change + zone->OffsetAt(change) * 60).date);
        ZoneTimer timer(*zone, entries);
        timer.TickEvery(start, change + 3 * 3600, 1000);
        std::map<EntryId, std::int64_t> firedAt;
        for (const Fired& fired : timer.AllFired())
          firedAt.emplace(fired.firing.id, SerialSecond(fired.tick) - fired.tickOffset * 60);
        for (const SavedCommand& entry : entries) {
          SCOPED_TRACE(testing::PrintToString(entry.startTime));
          const LocalDateTime due{*ParseDate(entry.startDate), *ParseTime(entry.startTime)};
          const UtcInstant instant = FiringInstant(due, {start}, OffsetsOf(*zone));
          const auto fired = firedAt.find(entry.id);
          // One the clock never fires was past when asked.
          EXPECT_EQ(instant, UtcInstant{fired == firedAt.end() ? start : fired->second});
        }
      }
    }
  }
}

TEST(WakeTimerDueTest, AMinuteBeforeTheFiringOrNowOrNotAtAll) {
  const struct {
    const char* what;
    const Zone* zone;
    std::optional<LocalDateTime> next;
    UtcInstant now;
    std::optional<UtcInstant> due;
  } kCases[] = {
      {"winter", &kBerlin, LocalDateTime{{2026, 12, 9}, {12, 0, 0}}, Utc({2026, 12, 9}, {3, 0, 0}),
       Utc({2026, 12, 9}, {10, 59, 0})},
      {"summer", &kBerlin, LocalDateTime{{2026, 7, 1}, {12, 0, 0}}, Utc({2026, 6, 30}, {3, 0, 0}),
       Utc({2026, 7, 1}, {9, 59, 0})},
      {"west of UTC", &kNewYork, LocalDateTime{{2026, 12, 9}, {0, 0, 30}}, Utc({2026, 12, 1}, {0, 0, 0}),
       Utc({2026, 12, 9}, {4, 59, 30})},
      {"a minute ahead", &kBerlin, LocalDateTime{{2026, 12, 9}, {12, 0, 0}}, Utc({2026, 12, 9}, {10, 59, 0}),
       Utc({2026, 12, 9}, {10, 59, 0})},
      {"less than a minute ahead", &kBerlin, LocalDateTime{{2026, 12, 9}, {12, 0, 0}},
       Utc({2026, 12, 9}, {10, 59, 31}), Utc({2026, 12, 9}, {10, 59, 31})},
      {"due now", &kBerlin, LocalDateTime{{2026, 12, 9}, {12, 0, 0}}, Utc({2026, 12, 9}, {11, 0, 0}),
       Utc({2026, 12, 9}, {11, 0, 0})},
      {"past", &kBerlin, LocalDateTime{{2026, 12, 9}, {12, 0, 0}}, Utc({2026, 12, 10}, {0, 0, 0}),
       Utc({2026, 12, 10}, {0, 0, 0})},
      {"skipped hour", &kBerlin, LocalDateTime{{2026, 3, 29}, {2, 30, 0}}, Utc({2026, 3, 28}, {12, 0, 0}),
       Utc({2026, 3, 29}, {0, 59, 0})},
      {"skipped hour, west", &kNewYork, LocalDateTime{{2026, 3, 8}, {2, 0, 0}}, Utc({2026, 3, 7}, {12, 0, 0}),
       Utc({2026, 3, 8}, {6, 59, 0})},
      {"repeated hour", &kBerlin, LocalDateTime{{2026, 10, 25}, {2, 30, 0}}, Utc({2026, 10, 24}, {12, 0, 0}),
       Utc({2026, 10, 25}, {0, 29, 0})},
      {"repeated hour, second pass", &kBerlin, LocalDateTime{{2026, 10, 25}, {2, 30, 0}},
       Utc({2026, 10, 25}, {1, 10, 0}), Utc({2026, 10, 25}, {1, 29, 0})},
      {"repeated hour, west", &kNewYork, LocalDateTime{{2026, 11, 1}, {1, 30, 0}}, Utc({2026, 10, 31}, {12, 0, 0}),
       Utc({2026, 11, 1}, {5, 29, 0})},
      {"nothing scheduled", &kBerlin, std::nullopt, Utc({2026, 12, 9}, {3, 0, 0}), std::nullopt},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.what);
    const std::optional<UtcInstant> due = WakeTimerDue(c.next, c.now, OffsetsOf(*c.zone));
    EXPECT_EQ(due, c.due);
  }
}

}  // namespace
}  // namespace cuelark
