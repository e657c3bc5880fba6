// The live schedule: the entries in list order, as the list view shows them.
// Entry number n (the store's key suffix) is index n-1 here.
#pragma once

#include <cstddef>
#include <optional>
#include <utility>
#include <vector>

#include "scheduler/core/SavedCommand.h"

namespace cuelark {

class Schedule {
 public:
  const std::vector<SavedCommand>& Entries() const { return entries_; }

  // Appends as the last entry; the list is never sorted.
  EntryId Append(SavedCommand entry);
  // Replaces every entry, giving each a fresh id.
  void Assign(std::vector<SavedCommand> entries);
  // Puts entries, with fresh ids, before the present ones, which keep theirs.
  void InsertFront(std::vector<SavedCommand> entries);
  // Replaces every entry by these, read again from the store. An entry that
  // equals a present one takes over its id (pairs found in list order), so
  // that an execution waiting for it still finds it.
  void Reconcile(std::vector<SavedCommand> entries);
  // Puts back entries taken from Entries() earlier, ids and all.
  void Restore(std::vector<SavedCommand> entries) { entries_ = std::move(entries); }
  bool Remove(EntryId id);
  std::optional<std::size_t> IndexOf(EntryId id) const;
  const SavedCommand* Find(EntryId id) const;
  bool SetChecked(EntryId id, bool checked);

 private:
  std::vector<SavedCommand> entries_;
  // Ids are never reused, so a stale id held across a removal finds nothing
  // rather than a different entry.
  EntryId nextId_ = 1;
};

}  // namespace cuelark
