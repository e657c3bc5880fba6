// The persistent copy of the schedule and the window position in "cue.ini".
// Each operation is one batch on the INI control: the file is read once and,
// for writes, replaced in one step, so a crash or a full disk never leaves
// half a schedule behind.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "scheduler/core/IniStore.h"
#include "scheduler/core/SavedCommand.h"
#include "scheduler/core/WeekdayLabels.h"
#include "scheduler/core/WindowPosition.h"

namespace cuelark {

// What tells one state of the store file from another without reading it.
struct StoreStamp {
  bool exists = false;
  std::uint64_t size = 0;
  std::int64_t lastWrite = 0;
  friend bool operator==(const StoreStamp&, const StoreStamp&) = default;
};

// At most this many entries are loaded: the count has always been read as a
// 16-bit signed number, and files in use may rely on that limit.
inline constexpr int kMaxSavedCommands = 32767;

class SavedCommandStore {
 public:
  // Weekly entries are read in `weekLocale`'s week.
  SavedCommandStore(IniStore& iniStore, std::wstring iniPath, WeekLocale weekLocale);

  struct Loaded {
    std::vector<SavedCommand> entries;
    // Not ok when the file exists but could not be read (held open without
    // sharing, no permission): the entries are then empty but not gone.
    StoreResult result;
  };
  // Reads every entry it can make sense of, with its rule; never fails on
  // file contents. Ids are left 0 (Schedule::Assign gives them).
  Loaded LoadSavedCommands();
  // Rewrites all entries, numbered from 1 in list order, keeping the window
  // position. On failure the file is unchanged. unchangedSinceRead, when
  // given, is asked once the file has been read for the rewrite and again
  // after a failed one: false means another program changed the file since
  // the caller last read it, and nothing is written over that change.
  StoreResult WriteSavedCommands(const std::vector<SavedCommand>& entries,
                                 const std::function<bool()>& unchangedSinceRead = {});

  // The raw "Left" and "Top" texts, or nothing when "Left" is absent. "Top"
  // is returned as read (possibly "[ Not Found ]"); its meaning is the
  // window's business.
  // Nothing when "Left" is absent or not a number.
  std::optional<TwipsPosition> ReadPosition();
  StoreResult WritePosition(const TwipsPosition& position);

 private:
  IniStore& iniStore_;
  std::wstring iniPath_;
  WeekLocale weekLocale_;
};

}  // namespace cuelark
