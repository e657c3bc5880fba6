// The schedule clock: decides which entries fall due, second by second.
//
// The timer that drives it is only roughly regular: ticks come early, late,
// twice in one second or not at all for a while (a busy player start, a
// modal box), and the wall clock itself moves (sleep, time sync, the hour
// that repeats when daylight saving ends). The clock therefore remembers the
// last second it examined and examines each second at most once, catching up
// on the seconds a late tick skipped.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "scheduler/core/SavedCommand.h"
#include "scheduler/core/Texts.h"

namespace cuelark {

// Seconds a tick may come late and still have the missed seconds fire.
// Beyond this the program was not running in any useful sense (sleep,
// hibernation, the clock set forward) and firing a burst of stale entries
// would be worse than skipping them.
inline constexpr std::int64_t kCatchUpSeconds = 60;

// A backward step of the clock up to this size (the repeated daylight-saving
// hour, a time sync) waits for the clock to pass the seconds already
// examined. A larger step is taken as the user correcting the clock, and the
// clock starts afresh from the new time.
inline constexpr std::int64_t kCorrectionSeconds = 10800;

struct Firing {
  EntryId id;
  LocalDateTime second;
};

// The due rule for one entry at one second. Comparisons are exact and
// case-sensitive; a weekly entry is due by either name of its day.
bool IsDue(const SavedCommand& entry, const LocalDateTime& second, const WeekLocale& locale);

class ScheduleClock {
 public:
  // Examines, in order, each second after the last one examined up to `now`
  // inclusive, and returns the entries due in them: second by second, in
  // list order within a second.
  std::vector<Firing> Advance(const LocalDateTime& now, const std::vector<SavedCommand>& entries,
                              const WeekLocale& locale);

 private:
  std::optional<std::int64_t> lastExamined_;
};

}  // namespace cuelark
