// The schedule clock: decides which entries fall due, second by second.
//
// The timer that drives it is only roughly regular: ticks come early, late,
// twice in one second or not at all for a while (a busy player start, a
// modal box), and the wall clock itself moves (sleep, time sync, the user
// setting it, daylight saving). The clock therefore remembers the last second
// it examined and examines each second at most once, catching up on the
// seconds a late tick skipped.
//
// Daylight saving is told from the user's own clock changes by the UTC
// offset handed in with each local time: a step of the local clock that the
// change of the offset explains is daylight saving. Forward (spring), the
// skipped hour's entries fire at once, late; back (autumn), the repeated
// hour fires nothing a second time.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "scheduler/core/SavedCommand.h"
#include "scheduler/core/Calendar.h"

namespace cuelark {

// Seconds a tick may come late and still have the missed seconds fire.
// Beyond this the program was not running in any useful sense (sleep,
// hibernation, the clock set forward) and firing a burst of stale entries
// would be worse than skipping them.
inline constexpr std::int64_t kCatchUpSeconds = 60;

// A backward step of the clock up to this size (a time sync, a small
// correction) waits for the clock to pass the seconds already examined, as
// does any step back that a change of the UTC offset explains (the hour that
// repeats when daylight saving ends, a new time zone). A larger step is
// taken as the user correcting the clock, and the clock starts afresh from
// the new time.
inline constexpr std::int64_t kCorrectionSeconds = 10800;

struct Firing {
  EntryId id;
  LocalDateTime second;
  // Due in the local hour that a spring change skipped: fired late, once,
  // right after the change.
  bool daylightSaving = false;
};

struct ClockStep {
  // To execute now: second by second, in list order within a second.
  std::vector<Firing> due;
  // Due in seconds the clock jumped over rather than caught up on (sleep,
  // the clock set forward, the time the program was not running), at most
  // seven days back, in order. They will not fire.
  std::vector<Firing> skipped;
};

// The due rule for one entry at one second: ticked, and its rule names the
// second.
bool IsDue(const SavedCommand& entry, const LocalDateTime& second);

class ScheduleClock {
 public:
  // Examines, in order, each second after the last one examined up to `now`
  // inclusive, and returns the entries due in them. `utcOffsetMinutes` is
  // local time minus UTC in effect at `now` (Berlin: 60 in winter, 120 in
  // summer; New York: -300 and -240).
  ClockStep Advance(const LocalDateTime& now, int utcOffsetMinutes, const std::vector<SavedCommand>& entries);

  // Before the first Advance: the previous run accounted for every second
  // up to `lastSecond`, so the first tick catches up on the last minute and
  // reports what fell due before it as skipped.
  void ContinueAfter(const LocalDateTime& lastSecond);

  // Later than `now` while the clock waits for a repeated hour to pass: the
  // next firing is looked for after this second.
  std::optional<LocalDateTime> LastExamined() const;

 private:
  std::optional<std::int64_t> lastExamined_;
  // In effect when lastExamined_ was examined, when known.
  std::optional<int> lastOffsetMinutes_;
};

}  // namespace cuelark
