#include "scheduler/core/ScheduleRule.h"

namespace cuelark {

ScheduleRule ScheduleRule::Read(std::wstring_view dayDate, std::wstring_view time, const WeekLocale& locale) {
  ScheduleRule rule;
  const std::optional<TimeOfDay> timeOfDay = ParseTime(time);
  if (!timeOfDay) return rule;
  if (const std::optional<CivilDate> date = ParseDate(dayDate)) {
    rule.days_ = Days::kOnDate;
    rule.date_ = *date;
  } else if (dayDate == kEveryDay) {
    rule.days_ = Days::kEveryDay;
  } else if (!dayDate.empty()) {
    for (std::size_t k = 0; k < 7; ++k) {
      if (dayDate == locale.labels[k] || dayDate == locale.localNames[k] || dayDate == locale.englishNames[k])
        rule.weekdays_ |= static_cast<std::uint8_t>(1u << k);
    }
    if (rule.weekdays_ == 0) return rule;
    rule.days_ = Days::kWeekly;
  } else {
    return rule;
  }
  rule.secondOfDay_ = SecondOfDay(*timeOfDay);
  return rule;
}

bool ScheduleRule::FallsOn(CivilDate date) const {
  switch (days_) {
    case Days::kNever: return false;
    case Days::kOnDate: return date == date_;
    case Days::kWeekly: return (weekdays_ >> (IsoWeekday(date) - 1) & 1u) != 0;
    case Days::kEveryDay: return true;
  }
  return false;
}

bool ScheduleRule::IsDueAt(const LocalDateTime& moment) const {
  return !NeverFires() && SecondOfDay(moment.time) == secondOfDay_ && FallsOn(moment.date);
}

std::optional<std::int64_t> ScheduleRule::FirstDueFrom(std::int64_t from) const {
  switch (days_) {
    case Days::kNever: return std::nullopt;
    case Days::kOnDate: {
      const std::int64_t due = SerialSecond({date_, {0, 0, 0}}) + secondOfDay_;
      return due >= from ? std::optional(due) : std::nullopt;
    }
    case Days::kEveryDay:
    case Days::kWeekly: {
      const LocalDateTime start = FromSerialSecond(from);
      std::int64_t due = from - SecondOfDay(start.time) + secondOfDay_;
      int weekday = IsoWeekday(start.date) - 1;
      if (due < from) {
        due += kSecondsPerDay;
        weekday = (weekday + 1) % 7;
      }
      if (days_ == Days::kEveryDay) return due;
      // A weekly rule names at least one day, so the next one is within a week.
      for (int ahead = 0; ahead < 7; ++ahead) {
        if ((weekdays_ >> ((weekday + ahead) % 7) & 1u) != 0) return due + ahead * kSecondsPerDay;
      }
      return std::nullopt;
    }
  }
  return std::nullopt;
}

}  // namespace cuelark
