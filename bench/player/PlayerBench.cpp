// Speed of the player link against the stand-in player: one message's round
// trip, one whole execution, and the processor time spent waiting for the
// window of a player that starts late. Prints `bench: NAME VALUE UNIT` lines.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <vector>

#include "bench/Percentile.h"
#include "scheduler/win/PlayerRemote.h"
#include "tools/player/StandInControl.h"

namespace {

using cuelark::PlayerStatus;
using cuelark::test::App;
using cuelark::test::TempFolder;

constexpr int kRoundTrips = 2000;
constexpr int kExecutions = 50;
constexpr int kWarmUp = 20;
constexpr DWORD kLateWindowMs = 5000;

double Milliseconds(std::chrono::steady_clock::duration duration) {
  return std::chrono::duration<double, std::milli>(duration).count();
}

void Check(PlayerStatus status, const char* what) {
  if (status != PlayerStatus::kOk) throw std::runtime_error(std::string(what) + " failed");
}

// Median duration in milliseconds of run, after a few unmeasured runs that
// let both processes settle.
double MedianOf(int count, const std::function<void()>& run) {
  for (int i = 0; i < kWarmUp; ++i) run();
  std::vector<double> samples;
  for (int i = 0; i < count; ++i) {
    const auto start = std::chrono::steady_clock::now();
    run();
    samples.push_back(Milliseconds(std::chrono::steady_clock::now() - start));
  }
  return cuelark::bench::Percentile(samples, 0.5);
}

// Asks until the player plays; how long that took from Play.
double UntilPlaying(cuelark::WindowPlayer& player, std::chrono::steady_clock::time_point played) {
  for (;;) {
    std::optional<std::int32_t> state;
    Check(player.GetPlayingState(state), "GetPlayingState");
    if (state == cuelark::kPlaying) return Milliseconds(std::chrono::steady_clock::now() - played);
  }
}

// An execution's steps, in its order, up to the player's first "playing".
// Gives the time from Play to that answer.
double Execute(cuelark::WindowPlayer& player, const std::wstring& command) {
  std::int32_t position = 0;
  Check(player.GetPlayListPos(position), "GetPlayListPos");
  Check(player.WritePlayList(position), "WritePlayList");
  std::optional<cuelark::PlaylistFolder> folder;
  Check(player.GetPlaylistFolder(folder), "GetPlaylistFolder");
  if (!folder) throw std::runtime_error("the player named no playlist folder");
  Check(player.ClearPlayList(), "ClearPlayList");
  Check(player.AddToPlayList(command), "AddToPlayList");
  std::optional<std::int32_t> length;
  Check(player.GetListLength(length), "GetListLength");
  Check(player.PressButton(1, 0), "PressButton");
  const auto played = std::chrono::steady_clock::now();
  Check(player.ClearPlayList(), "ClearPlayList");
  return UntilPlaying(player, played);
}

ULONGLONG ProcessorTime100ns() {
  FILETIME created, exited, kernel, user;
  if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) {
    throw std::runtime_error("GetProcessTimes failed");
  }
  const auto ticks = [](const FILETIME& time) { return (ULONGLONG{time.dwHighDateTime} << 32) | time.dwLowDateTime; };
  return ticks(kernel) + ticks(user);
}

void Run() {
  {
    const TempFolder folder;
    const TempFolder profile;
    cuelark::test::InstallStandIn(folder.Path());
    const std::filesystem::path cue = folder.Path() / L"cue.mp3";
    cuelark::test::WriteFileText(cue, "");
    const App standIn = cuelark::test::LaunchStandIn(
        folder.Path(), L"--entry C:\\Music\\own.mp3 --ini-dir \"" + profile.Path().wstring() + L"\"");
    const double roundTrip = MedianOf(kRoundTrips, [] {
      std::int32_t position = 0;
      Check(cuelark::WindowPlayer().GetPlayListPos(position), "GetPlayListPos");
    });
    std::printf("bench: player.roundtrip_ms %.3f ms\n", roundTrip);
    cuelark::WindowPlayer player;
    std::vector<double> confirmed;
    std::printf("bench: execute.total_ms %.3f ms\n",
                MedianOf(kExecutions, [&] { confirmed.push_back(Execute(player, cue.wstring())); }));
    std::printf("bench: execute.playing_confirmed_ms %.3f ms\n", cuelark::bench::Percentile(confirmed, 0.5));
  }

  // The wait: the player is started by its bare name and shows its window
  // only after kLateWindowMs.
  const TempFolder folder;
  cuelark::test::InstallStandIn(folder.Path(), L"--late-ms " + std::to_wstring(kLateWindowMs));
  const cuelark::test::PathOverride path(folder.Path().wstring());
  const ULONGLONG processorBefore = ProcessorTime100ns();
  const auto start = std::chrono::steady_clock::now();
  HWND window = nullptr;
  const PlayerStatus found = cuelark::WindowPlayer().FindPlayerWindow(window);
  const double wallMs = Milliseconds(std::chrono::steady_clock::now() - start);
  const double processorMs = static_cast<double>(ProcessorTime100ns() - processorBefore) / 10'000.0;
  const App late = cuelark::test::AdoptStandIn(folder.Path());
  Check(found, "FindPlayerWindow");
  if (wallMs < kLateWindowMs) throw std::runtime_error("the wait ended before the late window came");
  std::printf("bench: player.wait_cpu_percent %.2f %%\n", 100.0 * processorMs / wallMs);
}

}  // namespace

int main() {
  try {
    Run();
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "player bench: %s\n", error.what());
    return 1;
  }
}
