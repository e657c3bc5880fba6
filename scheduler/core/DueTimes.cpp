#include "scheduler/core/DueTimes.h"

#include <algorithm>

namespace cuelark {

std::vector<Firing> DueBetween(const std::vector<SavedCommand>& entries, const LocalDateTime& first,
                               const LocalDateTime& last) {
  const std::int64_t firstSerial = SerialSecond(first);
  const std::int64_t lastSerial = SerialSecond(last);
  struct Due {
    std::int64_t serial;
    std::size_t index;
    auto operator<=>(const Due&) const = default;
  };
  std::vector<Due> due;
  for (std::size_t index = 0; index < entries.size(); ++index) {
    const SavedCommand& entry = entries[index];
    if (!entry.isChecked) continue;
    for (std::optional<std::int64_t> serial = entry.rule.FirstDueFrom(firstSerial); serial && *serial <= lastSerial;
         serial = entry.rule.FirstDueFrom(*serial + 1)) {
      due.push_back({*serial, index});
    }
  }
  std::sort(due.begin(), due.end());
  std::vector<Firing> firings;
  firings.reserve(due.size());
  for (const Due& d : due) firings.push_back({entries[d.index].id, FromSerialSecond(d.serial)});
  return firings;
}

std::vector<Firing> MissedFirings(const std::vector<SavedCommand>& entries, const LocalDateTime& since,
                                  const LocalDateTime& now) {
  const std::int64_t nowSerial = SerialSecond(now);
  const std::int64_t first = std::max(SerialSecond(since) + 1, nowSerial - kMissedLookBackSeconds);
  return DueBetween(entries, FromSerialSecond(first), FromSerialSecond(nowSerial - kCatchUpSeconds - 1));
}

std::optional<NextFiring> FindNextFiring(const std::vector<SavedCommand>& entries, const LocalDateTime& from) {
  const std::int64_t fromSerial = SerialSecond(from);
  const SavedCommand* next = nullptr;
  std::int64_t nextSerial = 0;
  for (const SavedCommand& entry : entries) {
    if (!entry.isChecked) continue;
    const std::optional<std::int64_t> serial = entry.rule.FirstDueFrom(fromSerial);
    if (!serial || (next && *serial >= nextSerial)) continue;
    next = &entry;
    nextSerial = *serial;
  }
  if (!next) return std::nullopt;
  return NextFiring{next->id, next->name, FromSerialSecond(nextSerial)};
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
