// Running the stand-in player from tests and benchmarks: installed as
// "Winamp.exe" in a folder of the caller's own, started directly or found
// after something else started it by its bare name, and read through its
// log. Processes are the driver's App, so every stand-in a caller starts is
// terminated by its process handle.
//
// The calling program must live two folders below the build tree (as
// tests/win/X.exe and bench/player/X.exe do): the stand-in is found from
// there.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "scheduler/win/PlayerMessages.h"
#include "tools/driver/Driver.h"
#include "tools/player/StandInLog.h"

namespace cuelark::test {

using player::kWindowClass;

// Copies the stand-in into folder as "Winamp.exe". options are those a copy
// started by its bare name reads from "Winamp.options" beside it.
std::filesystem::path InstallStandIn(const std::filesystem::path& folder, const std::wstring& options = L"");

// The log the stand-in installed in folder writes by default.
std::filesystem::path StandInLogPath(const std::filesystem::path& folder);
// Its window messages so far.
std::vector<standin::LoggedMessage> StandInMessages(const std::filesystem::path& folder);

// Starts the stand-in installed in folder with these command-line options and
// waits for its window.
App LaunchStandIn(const std::filesystem::path& folder, const std::wstring& arguments = L"");

// Takes charge of the stand-in that something else started from folder,
// through the process id it logs before anything else.
App AdoptStandIn(const std::filesystem::path& folder);

// The stand-in in a temporary folder of its own, for one test.
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
  std::filesystem::path Log() const { return StandInLogPath(Folder()); }
  // The window messages received so far, in order.
  std::vector<standin::LoggedMessage> Messages() const { return StandInMessages(Folder()); }
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
// The text of a UTF-16 copy-data message, without its final zero.
std::wstring CopyDataWideText(const standin::LoggedMessage& message);
// One line per message, in the terms of the player's interface, so that a
// failure shows the whole exchange: "USER <wParam> <lParam>", "COMMAND
// <wParam> <lParam>", "COPYDATA <dwData> <text>" (its lParam is an address in
// the player; a UTF-16 text is shown in UTF-8).
std::vector<std::string> Exchange(const std::vector<standin::LoggedMessage>& messages);

// Replaces PATH for this process, and so for the programs it starts.
class PathOverride {
 public:
  explicit PathOverride(const std::wstring& path);
  ~PathOverride();
  PathOverride(const PathOverride&) = delete;
  PathOverride& operator=(const PathOverride&) = delete;

 private:
  std::optional<std::wstring> saved_;
};

}  // namespace cuelark::test
