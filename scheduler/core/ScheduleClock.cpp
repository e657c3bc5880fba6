#include "scheduler/core/ScheduleClock.h"

#include <algorithm>

namespace cuelark {

namespace {

void Examine(std::int64_t serial, const std::vector<SavedCommand>& entries, const WeekLocale& locale,
             std::vector<Firing>& firings) {
  const LocalDateTime moment = FromSerialSecond(serial);
  for (const SavedCommand& entry : entries) {
    if (IsDue(entry, moment, locale)) firings.push_back({entry.id, moment});
  }
}

}  // namespace

bool IsDue(const SavedCommand& entry, const LocalDateTime& second, const WeekLocale& locale) {
  if (!entry.isChecked || entry.startTime != FormatTime(second.time)) return false;
  const std::wstring& day = entry.startDate;
  // Dates are told from weekday labels by their leading "20"; a date in any
  // other form falls through to the label test and never matches.
  if (day.starts_with(L"20")) return day == FormatDate(second.date);
  return day == kEveryDay || NamesWeekdayOf(day, second.date, locale);
}

std::vector<Firing> ScheduleClock::Advance(const LocalDateTime& now,
                                           const std::vector<SavedCommand>& entries,
                                           const WeekLocale& locale) {
  const std::int64_t nowSerial = SerialSecond(now);
  std::int64_t first = nowSerial;
  if (lastExamined_) {
    const std::int64_t last = *lastExamined_;
    const bool corrected = last - nowSerial > kCorrectionSeconds;
    if (nowSerial <= last && !corrected) return {};
    if (!corrected) first = std::max(last + 1, nowSerial - kCatchUpSeconds);
  }
  std::vector<Firing> firings;
  for (std::int64_t serial = first; serial <= nowSerial; ++serial) {
    Examine(serial, entries, locale, firings);
  }
  lastExamined_ = nowSerial;
  return firings;
}

}  // namespace cuelark

