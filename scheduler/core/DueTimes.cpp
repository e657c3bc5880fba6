#include "scheduler/core/DueTimes.h"

#include <algorithm>

namespace cuelark {

namespace {

constexpr std::int64_t kSecondsPerDay = 86400;

// What the due rule compares on one day.
struct Day {
  std::int64_t midnight;
  CivilDate date;
};

Day DayOf(std::int64_t serial) {
  const CivilDate date = FromSerialSecond(serial).date;
  return {SerialSecond({date, {0, 0, 0}}), date};
}

std::int64_t SecondOfDay(TimeOfDay time) { return time.hour * 3600 + time.minute * 60 + time.second; }

// The due rule at the one second of `day` that the entry's time names.
bool DueOn(const SavedCommand& entry, const Day& day, TimeOfDay time, const WeekLocale& locale) {
  return IsDue(entry, {day.date, time}, locale);
}

}  // namespace

std::vector<Firing> DueBetween(const std::vector<SavedCommand>& entries, const WeekLocale& locale,
                               const LocalDateTime& first, const LocalDateTime& last) {
  if (last < first) return {};
  // A day's part of the span, as time texts: the fixed form sorts in time
  // order, so most entries are passed over by comparing two texts, which
  // matters for the clock's tick of a second or two.
  struct Part {
    Day day;
    std::wstring firstTime;
    std::wstring lastTime;
  };
  std::vector<Part> parts;
  const std::int64_t lastSerial = SerialSecond(last);
  for (std::int64_t serial = SerialSecond(first); serial <= lastSerial;) {
    Day day = DayOf(serial);
    const std::int64_t partEnd = std::min(day.midnight + kSecondsPerDay - 1, lastSerial);
    parts.push_back({std::move(day), FormatTime(FromSerialSecond(serial).time), FormatTime(FromSerialSecond(partEnd).time)});
    serial = partEnd + 1;
  }
  struct Due {
    std::int64_t serial;
    std::size_t index;
    auto operator<=>(const Due&) const = default;
  };
  std::vector<Due> due;
  for (std::size_t index = 0; index < entries.size(); ++index) {
    const SavedCommand& entry = entries[index];
    for (const Part& part : parts) {
      if (entry.startTime < part.firstTime || entry.startTime > part.lastTime) continue;
      const std::optional<TimeOfDay> time = ParseTime(entry.startTime);
      if (time && DueOn(entry, part.day, *time, locale)) due.push_back({part.day.midnight + SecondOfDay(*time), index});
    }
  }
  std::sort(due.begin(), due.end());
  std::vector<Firing> firings;
  firings.reserve(due.size());
  for (const Due& d : due) firings.push_back({entries[d.index].id, FromSerialSecond(d.serial)});
  return firings;
}

std::vector<Firing> MissedFirings(const std::vector<SavedCommand>& entries, const WeekLocale& locale,
                                  const LocalDateTime& since, const LocalDateTime& now) {
  const std::int64_t nowSerial = SerialSecond(now);
  const std::int64_t first = std::max(SerialSecond(since) + 1, nowSerial - kMissedLookBackSeconds);
  return DueBetween(entries, locale, FromSerialSecond(first), FromSerialSecond(nowSerial - kCatchUpSeconds - 1));
}

std::optional<NextFiring> FindNextFiring(const std::vector<SavedCommand>& entries, const WeekLocale& locale,
                                         const LocalDateTime& from) {
  // Every weekly and daily entry is due within a week of any day; a dated
  // one may lie further ahead, on the day its text names.
  const std::int64_t fromSerial = SerialSecond(from);
  std::vector<Day> week{DayOf(fromSerial)};
  while (week.size() < 8) week.push_back(DayOf(week.back().midnight + kSecondsPerDay));
  const auto nextDue = [&](const SavedCommand& entry) -> std::optional<std::int64_t> {
    const std::optional<TimeOfDay> time = ParseTime(entry.startTime);
    if (!time) return std::nullopt;
    for (const Day& day : week) {
      const std::int64_t serial = day.midnight + SecondOfDay(*time);
      if (serial >= fromSerial && DueOn(entry, day, *time, locale)) return serial;
    }
    const std::optional<CivilDate> named = ParseDate(entry.startDate);
    if (!named) return std::nullopt;
    const std::int64_t serial = SerialSecond({*named, *time});
    if (serial >= fromSerial && DueOn(entry, DayOf(serial), *time, locale)) return serial;
    return std::nullopt;
  };
  std::optional<NextFiring> next;
  std::int64_t nextSerial = 0;
  for (const SavedCommand& entry : entries) {
    const std::optional<std::int64_t> serial = nextDue(entry);
    if (!serial || (next && *serial >= nextSerial)) continue;
    next = NextFiring{entry.id, entry.name, FromSerialSecond(*serial)};
    nextSerial = *serial;
  }
  return next;
}

std::wstring NextFiringTip(const std::optional<NextFiring>& next, CivilDate today, std::size_t maxLength) {
  if (!next) return L"Cuelark: nothing scheduled";
  const CivilDate tomorrow = FromSerialSecond(SerialSecond({today, {0, 0, 0}}) + kSecondsPerDay).date;
  const CivilDate date = next->second.date;
  const std::wstring day = date == today ? L"today" : date == tomorrow ? L"tomorrow" : FormatDate(date);
  const std::wstring prefix = L"Cuelark: next ";
  const std::wstring when = L" " + day + L" " + FormatTime(next->second.time);
  std::wstring name = next->name;
  const std::size_t fixed = prefix.size() + when.size();
  const std::size_t room = maxLength > fixed ? maxLength - fixed : 0;
  if (name.size() > room) {
    std::size_t keep = room > 0 ? room - 1 : 0;
    // Never half of a UTF-16 surrogate pair.
    if (keep > 0 && name[keep - 1] >= 0xD800 && name[keep - 1] <= 0xDBFF) --keep;
    name.resize(keep);
    name += L'\u2026';
  }
  return prefix + name + when;
}

}  // namespace cuelark
