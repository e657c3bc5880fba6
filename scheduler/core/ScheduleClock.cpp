#include "scheduler/core/ScheduleClock.h"

#include <algorithm>

#include "scheduler/core/DueTimes.h"

namespace cuelark {

bool IsDue(const SavedCommand& entry, const LocalDateTime& second, const WeekLocale& locale) {
  if (!entry.isChecked || entry.startTime != FormatTime(second.time)) return false;
  const std::wstring& day = entry.startDate;
  // Dates are told from weekday labels by their leading "20"; a date in any
  // other form falls through to the label test and never matches.
  if (day.starts_with(L"20")) return day == FormatDate(second.date);
  return day == kEveryDay || NamesWeekdayOf(day, second.date, locale);
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
                                 const std::vector<SavedCommand>& entries, const WeekLocale& locale) {
  const std::int64_t nowSerial = SerialSecond(now);
  std::int64_t first = nowSerial;
  std::optional<std::int64_t> skippedLocalEnd;
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
      if (spring) skippedLocalEnd = last + offsetChange;
      first = spring ? last + 1 : std::max(last + 1, nowSerial - kCatchUpSeconds);
      if (first > last + 1) step.skipped = MissedFirings(entries, locale, FromSerialSecond(last), now);
    }
  }
  step.due = DueBetween(entries, locale, FromSerialSecond(first), now);
  // Where within the step the change came is not known; a tick on time
  // comes right after it, so the skipped hour is taken to follow the last
  // second examined.
  if (skippedLocalEnd) {
    for (Firing& firing : step.due) firing.daylightSaving = SerialSecond(firing.second) <= *skippedLocalEnd;
  }
  lastExamined_ = nowSerial;
  lastOffsetMinutes_ = utcOffsetMinutes;
  return step;
}

}  // namespace cuelark

