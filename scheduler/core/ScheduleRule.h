// When an entry fires, read once from its Day/Date and Time texts: on one
// date, on a weekday, every day, or never, at one second of the day. The
// clock, the catch-up and the next-firing search work on this rule alone;
// the texts stay with the entry only to be shown and written back.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "scheduler/core/WeekdayLabels.h"

namespace cuelark {

class ScheduleRule {
 public:
  // Never fires.
  ScheduleRule() = default;

  // Reads texts as the store holds them. Comparisons are exact and
  // case-sensitive: a date and a time in the fixed forms, "EVERY DAY", or a
  // weekday by its label or by either name of that day (several days when
  // the week's names overlap). Anything else never fires.
  static ScheduleRule Read(std::wstring_view dayDate, std::wstring_view time, const WeekLocale& locale);

  // The date/time texts are not understood: the entry can never fire.
  bool NeverFires() const { return days_ == Days::kNever; }
  bool FallsOn(CivilDate date) const;
  bool IsDueAt(const LocalDateTime& moment) const;
  // The first serial second at or after `from` that the rule names.
  std::optional<std::int64_t> FirstDueFrom(std::int64_t from) const;

  friend bool operator==(const ScheduleRule&, const ScheduleRule&) = default;

 private:
  enum class Days : std::uint8_t { kNever, kOnDate, kWeekly, kEveryDay };

  Days days_ = Days::kNever;
  CivilDate date_{};
  // Bit k: the week's day k (IsoWeekday - 1, the day WeekdayLabel names).
  std::uint8_t weekdays_ = 0;
  std::int32_t secondOfDay_ = 0;
};

}  // namespace cuelark
