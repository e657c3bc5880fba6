// When entries fall due over a span of time, and when next.
//
// Worked out per entry rather than second by second: a week holds 604800
// seconds, but an entry's rule names at most one second a day, so a span
// costs one step of arithmetic per entry and firing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "scheduler/core/SavedCommand.h"
#include "scheduler/core/ScheduleClock.h"
#include "scheduler/core/Calendar.h"

namespace cuelark {

// How far back firings missed while the program was not running, or the
// computer slept, are looked for: older ones no longer help anybody.
inline constexpr std::int64_t kMissedLookBackSeconds = 7 * 86400;

// Entries due from `first` to `last` inclusive: second by second, in list
// order within a second.
std::vector<Firing> DueBetween(const std::vector<SavedCommand>& entries, const LocalDateTime& first,
                               const LocalDateTime& last);

// Entries due after `since` (the last moment the program accounted for) and
// before the clock's catch-up window at `now`, at most seven days back:
// those the clock will never fire.
std::vector<Firing> MissedFirings(const std::vector<SavedCommand>& entries, const LocalDateTime& since,
                                  const LocalDateTime& now);

struct NextFiring {
  EntryId id;
  std::wstring name;
  LocalDateTime second;
};

// The entry due first at or after `from`, the first in list order on a tie
// as the clock fires them; none when no entry will fire. An entry never
// fires when unticked, dated in the past, or when its rule never fires.
//
// `from` is the second after the clock's last examined one. While the list
// and the week stay the same and the clock only ticks on, the result stays
// right until its second has been examined: no need to look on every tick.
std::optional<NextFiring> FindNextFiring(const std::vector<SavedCommand>& entries, const LocalDateTime& from);

// "Cuelark: next <name> <when>" with <when> "today HH:MM:SS", "tomorrow
// HH:MM:SS" or "YYYY-MM-DD HH:MM:SS", or "Cuelark: nothing scheduled". A
// name too long for `maxLength` characters is shortened with an ellipsis,
// so that the time always shows.
std::wstring NextFiringTip(const std::optional<NextFiring>& next, CivilDate today, std::size_t maxLength);

}  // namespace cuelark
