#include "scheduler/core/ScheduleClock.h"

#include <algorithm>
#include <utility>

#include "scheduler/core/DueTimes.h"

namespace cuelark {
namespace {

// Where a spring change began within a step that spans it: clocks change
// on the hour or the half hour, so the skipped span starts at the first such
// second after the last one examined, as far on as the real time that passed
// allows. Without one, a tick on time comes right after the change, so the
// span is taken to follow the last second examined.
std::int64_t SkippedSpanStart(std::int64_t lastExamined, std::int64_t elapsedSeconds) {
  constexpr std::int64_t kHalfHour = 1800;
  const std::int64_t boundary = (lastExamined / kHalfHour + 1) * kHalfHour;
  return boundary <= lastExamined + 1 + elapsedSeconds ? boundary : lastExamined + 1;
}

}  // namespace

bool IsDue(const SavedCommand& entry, const LocalDateTime& second) {
  return entry.isChecked && entry.rule.IsDueAt(second);
}

void ScheduleClock::ContinueAfter(const LocalDateTime& lastSecond) {
  lastExamined_ = SerialSecond(lastSecond);
  lastOffsetMinutes_.reset();
}

std::optional<LocalDateTime> ScheduleClock::LastExamined() const {
  if (!lastExamined_) return std::nullopt;
  return FromSerialSecond(*lastExamined_);
}

ClockStep ScheduleClock::Advance(const LocalDateTime& now, int utcOffsetMinutes,
                                 const std::vector<SavedCommand>& entries) {
  const std::int64_t nowSerial = SerialSecond(now);
  std::int64_t first = nowSerial;
  // Local seconds that the spring change skipped: [begin, end).
  std::optional<std::pair<std::int64_t, std::int64_t>> skippedSpan;
  ClockStep step;
  if (lastExamined_) {
    const std::int64_t last = *lastExamined_;
    const std::int64_t offsetChange =
        lastOffsetMinutes_ ? (utcOffsetMinutes - *lastOffsetMinutes_) * std::int64_t{60} : 0;
    const std::int64_t localStep = nowSerial - last;
    // What really passed, daylight saving taken out; the user's own change
    // of the clock stays in.
    const std::int64_t elapsed = localStep - offsetChange;
    const bool corrected = elapsed < -kCorrectionSeconds;
    if (!corrected) {
      if (localStep <= 0) return {};
      // No daylight-saving change moves the clock by more than the largest
      // correction; a larger change of the offset is a new time zone.
      const bool spring = offsetChange > 0 && offsetChange <= kCorrectionSeconds && elapsed >= 0 &&
                          elapsed <= kCatchUpSeconds;
      if (spring) {
        const std::int64_t begin = SkippedSpanStart(last, elapsed);
        skippedSpan = {begin, begin + offsetChange};
      }
      first = spring ? last + 1 : std::max(last + 1, nowSerial - kCatchUpSeconds);
      if (first > last + 1) step.skipped = MissedFirings(entries, FromSerialSecond(last), now);
    }
  }
  step.due = DueBetween(entries, FromSerialSecond(first), now);
  if (skippedSpan) {
    for (Firing& firing : step.due) {
      const std::int64_t second = SerialSecond(firing.second);
      firing.daylightSaving = second >= skippedSpan->first && second < skippedSpan->second;
    }
  }
  lastExamined_ = nowSerial;
  lastOffsetMinutes_ = utcOffsetMinutes;
  return step;
}

}  // namespace cuelark

