// When the computer is woken for the next firing: shortly before it, so that
// the player has started and the clock has ticked by the time it is due.
//
// The schedule runs on the local wall clock, the wake timer on UTC. The core
// knows no time zone: the shell hands in the UTC offset in effect at any
// instant, the same local-minus-UTC minutes the clock is given, and the
// local second is placed where the clock will reach it.
#pragma once

#include <compare>
#include <cstdint>
#include <functional>
#include <optional>

#include "scheduler/core/Calendar.h"

namespace cuelark {

// Seconds since 1970-01-01 00:00:00 UTC.
struct UtcInstant {
  std::int64_t serial = 0;
  friend auto operator<=>(const UtcInstant&, const UtcInstant&) = default;
};

// Local time minus UTC, in minutes, in effect at an instant.
using UtcOffsetAt = std::function<int(UtcInstant)>;

inline constexpr std::int64_t kWakeAheadSeconds = 60;

// The instant the clock fires an entry due at local second `due`, asked at
// `now`. A second that the spring change skips fires right after the change;
// a second of the hour that repeats in autumn fires on its first pass, or on
// the second pass when the first is over. A second already past fires now.
UtcInstant FiringInstant(const LocalDateTime& due, UtcInstant now, const UtcOffsetAt& offsetAt);

// When the wake timer is due for the next firing: kWakeAheadSeconds before
// it, or now when that is past. Nothing when no entry will fire: the timer is
// cancelled.
std::optional<UtcInstant> WakeTimerDue(const std::optional<LocalDateTime>& nextFiring, UtcInstant now,
                                       const UtcOffsetAt& offsetAt);

}  // namespace cuelark
