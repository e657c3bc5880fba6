// One schedule entry. Field names are the key words of the store file.
#pragma once

#include <cstdint>
#include <string>

namespace cuelark {

// Entry numbers shift when an entry before them is removed, and a removal can
// happen while an execution waits for the player; an id keeps naming the
// same entry through that.
using EntryId = std::uint64_t;

struct SavedCommand {
  EntryId id = 0;
  std::wstring name;
  std::wstring command;
  std::wstring startDate;  // a date, a weekday label or "EVERY DAY"
  std::wstring startTime;  // "HH:MM:SS"
  bool isChecked = true;
  bool remWhenDone = false;
  friend bool operator==(const SavedCommand&, const SavedCommand&) = default;
};

}  // namespace cuelark
