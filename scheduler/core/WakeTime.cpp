#include "scheduler/core/WakeTime.h"

#include <algorithm>
#include <vector>

#include "scheduler/core/ScheduleClock.h"

namespace cuelark {

namespace {

// No place changes its offset twice within a day of a given second, and no
// offset is a day or more: the offsets a day either side are the ones the
// local second can be in.
constexpr std::int64_t kOffsetSpan = kSecondsPerDay;

UtcInstant At(std::int64_t localSerial, int offsetMinutes) { return {localSerial - offsetMinutes * std::int64_t{60}}; }

// The first instant in (before, after] whose offset is no longer that of
// `before`: where the clock changed.
UtcInstant ChangeBetween(UtcInstant before, UtcInstant after, const UtcOffsetAt& offsetAt) {
  const int old = offsetAt(before);
  while (after.serial - before.serial > 1) {
    const UtcInstant middle{before.serial + (after.serial - before.serial) / 2};
    (offsetAt(middle) == old ? before : after) = middle;
  }
  return after;
}

}  // namespace

UtcInstant FiringInstant(const LocalDateTime& due, UtcInstant now, const UtcOffsetAt& offsetAt) {
  const std::int64_t local = SerialSecond(due);
  const int earlier = offsetAt({local - kOffsetSpan});
  const int later = offsetAt({local + kOffsetSpan});
  const UtcInstant inEarlier = At(local, earlier);
  const UtcInstant inLater = At(local, later);
  // The clock passes the second once, twice in the hour that repeats, or
  // never in the hour that is skipped.
  std::vector<UtcInstant> passes;
  if (offsetAt(inEarlier) == earlier) passes.push_back(inEarlier);
  if (later != earlier && offsetAt(inLater) == later) passes.push_back(inLater);
  if (passes.empty()) {
    // In the later offset the second lies after the change, in the earlier
    // one before it; the clock fires it on the first tick after.
    return std::max(now, ChangeBetween(std::min(inEarlier, inLater), std::max(inEarlier, inLater), offsetAt));
  }
  std::sort(passes.begin(), passes.end());
  // A pass the clock has only just gone by still fires on its next tick.
  for (const UtcInstant pass : passes) {
    if (pass.serial >= now.serial - kCatchUpSeconds) return std::max(now, pass);
  }
  return now;
}

std::optional<UtcInstant> WakeTimerDue(const std::optional<LocalDateTime>& nextFiring, UtcInstant now,
                                       const UtcOffsetAt& offsetAt) {
  if (!nextFiring) return std::nullopt;
  const UtcInstant firing = FiringInstant(*nextFiring, now, offsetAt);
  return std::max(now, UtcInstant{firing.serial - kWakeAheadSeconds});
}

}  // namespace cuelark
