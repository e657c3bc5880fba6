// The user's choices for running unattended, in "cue.ini" section "Options".
// A file from before these choices existed holds none of them and behaves as
// it always did: every choice off, no fallback.
#pragma once

#include <string>

#include "scheduler/core/IniStore.h"

namespace cuelark {

struct Options {
  bool startAtLogOn = false;
  bool wakeForFirings = false;
  bool checkAhead = false;
  // The input played when an entry's own cannot play; empty for none.
  std::wstring fallback;
  friend bool operator==(const Options&, const Options&) = default;
};

class OptionsStore {
 public:
  OptionsStore(IniStore& iniStore, std::wstring iniPath);

  // A choice is on only when its key holds "1": a missing key or any other
  // text reads as off, so that a damaged file never turns something on.
  Options Read();
  // All four in one replace of the file, beside whatever else it holds; on
  // failure the file is unchanged.
  StoreResult Write(const Options& options);

 private:
  IniStore& iniStore_;
  std::wstring iniPath_;
};

}  // namespace cuelark
