// The player settings file "winamp.ini", section "Winamp": the player's
// executable the user picked ("Exe") and the playlist file kept beside it
// ("Playlist"). Shared by the player dialog, which writes them, and the
// program, which reads them when it starts the player or restores its list.
#pragma once

#include <string>

#include "scheduler/core/IniStore.h"

namespace cuelark {

class PlayerSettings {
 public:
  PlayerSettings(IniStore& iniStore, std::wstring iniPath);

  const std::wstring& File() const { return iniPath_; }
  // Each read looks at the file afresh, so that a choice made meanwhile
  // counts. A value the file does not hold reads as empty.
  std::wstring ReadExe();
  std::wstring ReadPlaylist();
  // Both values in one replace of the file; on failure the file is unchanged.
  StoreResult Write(const std::wstring& exe, const std::wstring& playlist);

 private:
  IniStore& iniStore_;
  std::wstring iniPath_;
};

}  // namespace cuelark
