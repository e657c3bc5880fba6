// Time zones with daylight saving, and a machine in one whose timer drives
// the schedule clock in real time, for tests that follow the wall clock
// through its changes.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "scheduler/core/ScheduleClock.h"

namespace cuelark::test {

inline std::int64_t Serial(CivilDate date, TimeOfDay time) { return SerialSecond({date, time}); }

// A zone's rules for one year. Real moments are UTC wall-clock serials.
struct Zone {
  const char* name;
  int standardMinutes;
  int daylightMinutes;
  std::int64_t springUtc;  // daylight saving starts
  std::int64_t autumnUtc;  // and ends
  TimeOfDay skippedHour;   // local, in spring
  TimeOfDay repeatedHour;  // local, in autumn

  int OffsetAt(std::int64_t utc) const {
    return utc >= springUtc && utc < autumnUtc ? daylightMinutes : standardMinutes;
  }
};

// The last Sunday of March and of October at 01:00 UTC.
inline const Zone kBerlin{"Europe/Berlin", 60, 120, Serial({2026, 3, 29}, {1, 0, 0}),
                          Serial({2026, 10, 25}, {1, 0, 0}), {2, 0, 0}, {2, 0, 0}};
// The second Sunday of March at 02:00 standard time, the first of November
// at 02:00 daylight time.
inline const Zone kNewYork{"America/New_York", -300, -240, Serial({2026, 3, 8}, {7, 0, 0}),
                           Serial({2026, 11, 1}, {6, 0, 0}), {2, 0, 0}, {1, 0, 0}};
inline const Zone* const kZones[] = {&kBerlin, &kNewYork};

struct Fired {
  Firing firing;
  LocalDateTime tick;
  int tickOffset;
};

// A machine in a zone whose timer ticks in real time.
class ZoneTimer {
 public:
  ZoneTimer(const Zone& zone, std::vector<SavedCommand> entries) : zone_(zone), entries_(std::move(entries)) {}

  LocalDateTime LocalAt(std::int64_t utc) const { return FromSerialSecond(utc + zone_.OffsetAt(utc) * 60); }

  void TickAt(std::int64_t utc) { TickAt(LocalAt(utc), zone_.OffsetAt(utc)); }
  // A local time and offset of one's own: the user's change of the clock or
  // of the time zone.
  void TickAt(const LocalDateTime& local, int offsetMinutes) {
    const ClockStep step = clock_.Advance(local, offsetMinutes, entries_);
    for (const Firing& firing : step.due) fired_.push_back({firing, local, offsetMinutes});
    skipped_.insert(skipped_.end(), step.skipped.begin(), step.skipped.end());
  }
  void TickEvery(std::int64_t fromUtc, std::int64_t toUtc, std::int64_t periodMs) {
    for (std::int64_t ms = 0; fromUtc + ms / 1000 <= toUtc; ms += periodMs) TickAt(fromUtc + ms / 1000);
  }
  // Local ticks half a minute apart, within the catch-up, ending at `to`.
  void TickThrough(std::int64_t fromLocal, std::int64_t toLocal, int offsetMinutes) {
    for (std::int64_t s = fromLocal; s < toLocal; s += 30) TickAt(FromSerialSecond(s), offsetMinutes);
    TickAt(FromSerialSecond(toLocal), offsetMinutes);
  }
  void ContinueAfter(const LocalDateTime& lastSecond) { clock_.ContinueAfter(lastSecond); }

  const std::vector<Fired>& AllFired() const { return fired_; }
  std::vector<EntryId> FiredIds() const {
    std::vector<EntryId> ids;
    for (const Fired& fired : fired_) ids.push_back(fired.firing.id);
    return ids;
  }
  std::vector<EntryId> SkippedIds() const {
    std::vector<EntryId> ids;
    for (const Firing& firing : skipped_) ids.push_back(firing.id);
    return ids;
  }

 private:
  const Zone& zone_;
  std::vector<SavedCommand> entries_;
  ScheduleClock clock_;
  std::vector<Fired> fired_;
  std::vector<Firing> skipped_;
};

}  // namespace cuelark::test
