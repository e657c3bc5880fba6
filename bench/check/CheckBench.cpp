// How long checking a busy schedule's inputs ahead takes: 100 entries due
// within the look-ahead, half of them local files and half playlists of 20
// files each, some listed relative to the playlist, all of them present.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "scheduler/core/DiskInputFiles.h"

using namespace cuelark;

namespace {

constexpr int kEntries = 100;
constexpr int kPlaylistEntries = 20;
constexpr int kRounds = 5;

class NoAddresses final : public InputAddresses {
 public:
  std::optional<std::wstring> Reach(const std::wstring&) override { return L"no address was expected"; }
};

void WriteFile(const std::filesystem::path& file, const std::string& bytes) {
  std::ofstream out(file, std::ios::binary);
  out << bytes;
  if (!out) throw std::runtime_error("cannot write " + file.string());
}

// Entries due one after another from 12:00:00 on, every day.
std::vector<SavedCommand> Schedule(const std::filesystem::path& folder) {
  std::filesystem::create_directories(folder / "Music" / "Shows");
  std::vector<SavedCommand> entries;
  for (int k = 0; k < kEntries; ++k) {
    SavedCommand entry;
    entry.id = static_cast<EntryId>(k + 1);
    entry.name = L"Entry " + std::to_wstring(k + 1);
    const std::filesystem::path song = folder / "Music" / ("song " + std::to_string(k) + ".mp3");
    WriteFile(song, "ID3");
    if (k % 2 == 0) {
      entry.command = song.wstring();
    } else {
      const std::filesystem::path list = folder / "Music" / ("show " + std::to_string(k) + ".m3u8");
      std::string text = "#EXTM3U\r\n";
      for (int n = 0; n < kPlaylistEntries; ++n) {
        const std::string name = "part " + std::to_string(k) + "-" + std::to_string(n) + ".mp3";
        WriteFile(folder / "Music" / "Shows" / name, "ID3");
        text += "#EXTINF:180,Part " + std::to_string(n) + "\r\n";
        text += n % 2 == 0 ? "Shows/" + name : (folder / "Music" / "Shows" / name).string();
        text += "\r\n";
      }
      WriteFile(list, text);
      entry.command = list.wstring();
    }
    entry.startDate = L"EVERY DAY";
    entry.startTime = FormatTime({12, k / 60, k % 60});
    entry.rule = ScheduleRule::Read(entry.startDate, entry.startTime, WeekLocale{});
    entries.push_back(std::move(entry));
  }
  return entries;
}

int Run() {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() /
      ("cuelark-check-bench-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
  int status = 0;
  std::vector<double> milliseconds;
  try {
    const std::vector<SavedCommand> entries = Schedule(folder);
    DiskInputFiles files([](std::string_view bytes) { return std::wstring(bytes.begin(), bytes.end()); });
    NoAddresses addresses;
    const LocalDateTime now{{2026, 12, 9}, {11, 58, 0}};
    for (int round = 0; round < kRounds && status == 0; ++round) {
      const auto start = std::chrono::steady_clock::now();
      std::size_t checked = 0;
      std::size_t failed = 0;
      for (const Firing& firing : DueForCheckAhead(entries, std::nullopt, now)) {
        ++checked;
        if (CheckCommand(entries[firing.id - 1].command, files, addresses)) ++failed;
      }
      const auto elapsed = std::chrono::steady_clock::now() - start;
      milliseconds.push_back(std::chrono::duration<double, std::milli>(elapsed).count());
      if (checked != kEntries || failed != 0) {
        std::fprintf(stderr, "check bench: %zu entries checked, %zu failed\n", checked, failed);
        status = 1;
      }
    }
  } catch (const std::exception& error) {
    std::fprintf(stderr, "check bench: %s\n", error.what());
    status = 1;
  }
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
  if (status != 0) return status;
  // The slowest round: a check ahead runs once for each firing.
  std::printf("bench: check.ahead_ms %.1f ms\n", *std::max_element(milliseconds.begin(), milliseconds.end()));
  return 0;
}

}  // namespace

int main() { return Run(); }
