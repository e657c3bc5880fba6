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

#include "tools/driver/Driver.h"
#include "tools/player/StandInLog.h"

namespace cuelark::test {

inline constexpr wchar_t kPlayerClass[] = L"Winamp v1.x";

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
