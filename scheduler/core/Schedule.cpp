#include "scheduler/core/Schedule.h"

#include <algorithm>
#include <deque>
#include <string>
#include <unordered_map>
#include <iterator>

namespace cuelark {

EntryId Schedule::Append(SavedCommand entry) {
  entry.id = nextId_++;
  entries_.push_back(std::move(entry));
  return entries_.back().id;
}

void Schedule::Assign(std::vector<SavedCommand> entries) {
  for (SavedCommand& entry : entries) entry.id = nextId_++;
  entries_ = std::move(entries);
}

void Schedule::InsertFront(std::vector<SavedCommand> entries) {
  for (SavedCommand& entry : entries) entry.id = nextId_++;
  entries_.insert(entries_.begin(), std::make_move_iterator(entries.begin()), std::make_move_iterator(entries.end()));
}

void Schedule::Reconcile(std::vector<SavedCommand> entries) {
  const auto content = [](const SavedCommand& entry) {
    return entry.name + L'\0' + entry.command + L'\0' + entry.startDate + L'\0' + entry.startTime + L'\0' +
           (entry.isChecked ? L'1' : L'0') + (entry.remWhenDone ? L'1' : L'0');
  };
  std::unordered_map<std::wstring, std::deque<EntryId>> present;
  for (const SavedCommand& entry : entries_) present[content(entry)].push_back(entry.id);
  for (SavedCommand& entry : entries) {
    std::deque<EntryId>& ids = present[content(entry)];
    if (ids.empty()) {
      entry.id = nextId_++;
    } else {
      entry.id = ids.front();
      ids.pop_front();
    }
  }
  entries_ = std::move(entries);
}

bool Schedule::Remove(EntryId id) {
  const std::optional<std::size_t> index = IndexOf(id);
  if (!index) return false;
  entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(*index));
  return true;
}

std::optional<std::size_t> Schedule::IndexOf(EntryId id) const {
  const auto found = std::find_if(entries_.begin(), entries_.end(),
                                  [id](const SavedCommand& entry) { return entry.id == id; });
  if (found == entries_.end()) return std::nullopt;
  return static_cast<std::size_t>(found - entries_.begin());
}

const SavedCommand* Schedule::Find(EntryId id) const {
  const std::optional<std::size_t> index = IndexOf(id);
  return index ? &entries_[*index] : nullptr;
}

bool Schedule::SetChecked(EntryId id, bool checked) {
  const std::optional<std::size_t> index = IndexOf(id);
  if (!index) return false;
  entries_[*index].isChecked = checked;
  return true;
}

}  // namespace cuelark
