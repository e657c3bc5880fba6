// One schedule entry. Field names are the key words of the store file.
#pragma once

#include <cstdint>
#include <string>

#include "scheduler/core/ScheduleRule.h"

namespace cuelark {

// Entry numbers shift when an entry before them is removed, and a removal can
// happen while an execution waits for the player; an id keeps naming the
// same entry through that.
using EntryId = std::uint64_t;

struct SavedCommand {
  EntryId id = 0;
  std::wstring name;
  std::wstring command;
  // As read or saved: shown in the list and written back unchanged.
  std::wstring startDate;  // a date, a weekday label or "EVERY DAY"
  std::wstring startTime;  // "HH:MM:SS"
  bool isChecked = true;
  bool remWhenDone = false;
  // What the two texts say, read when the entry was loaded or saved.
  ScheduleRule rule{};
  friend bool operator==(const SavedCommand&, const SavedCommand&) = default;
};

}  // namespace cuelark
