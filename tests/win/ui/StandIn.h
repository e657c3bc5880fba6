// The stand-in player in a folder of its own, named "Winamp.exe" as the
// real player is, with its message log for the tests to read.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "tools/driver/Driver.h"
#include "tools/player/StandInLog.h"

namespace cuelark::test {

class StandIn {
 public:
  // options: the stand-in's command-line options, also written to its
  // options file so that a copy the scheduler starts by name obeys them.
  explicit StandIn(const std::wstring& options = L"");
  // Also ends every copy that the scheduler started from this folder.
  ~StandIn();
  StandIn(const StandIn&) = delete;
  StandIn& operator=(const StandIn&) = delete;

  // Starts it from the test, as a player the user had already running.
  void Start();
  const std::filesystem::path& Folder() const { return folder_.Path(); }
  std::filesystem::path Playlist() const { return folder_ / "Winamp.m3u"; }
  std::filesystem::path Log() const { return folder_ / "Winamp.log"; }
  // The window messages received so far, in order.
  std::vector<standin::LoggedMessage> Messages() const;
  // Waits until at least count window messages have arrived, then returns them.
  std::vector<standin::LoggedMessage> WaitForMessages(std::size_t count, DWORD timeoutMs = kDefaultTimeoutMs) const;
  // Points the scheduler's player settings at this player.
  void WriteSettings(const std::filesystem::path& winampIni) const;
  // The path for an environment where only this folder holds "Winamp.exe".
  std::wstring SearchPath() const;

 private:
  TempFolder folder_;
  std::wstring options_;
  std::optional<App> app_;
};

// The text of a copy-data message, without its final zero.
std::string CopyDataText(const standin::LoggedMessage& message);

}  // namespace cuelark::test
