// How long showing a full history takes: a history file just under the size
// at which it is set aside, written through the log, then read newest first
// as the History window reads it.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "scheduler/core/DiskHistoryFiles.h"

using namespace cuelark;

namespace {

constexpr int kReadings = 5;

// Lines like a busy year's: names and folders of ordinary length, some
// failures with their reasons, some non-ASCII text, a start and stop a day.
std::vector<HistoryLine> AlmostFullHistory() {
  const wchar_t* const kNames[] = {L"Morning news", L"Wake-up music", L"Caf\u00E9 jingle", L"Evening show \u266B"};
  const Outcome kOutcomes[] = {Outcome::kPlayed, Outcome::kPlayed, Outcome::kPlayed, Outcome::kNotStarted,
                               Outcome::kMissed};
  std::vector<HistoryLine> lines;
  std::uint64_t size = 0;
  for (int k = 0;; ++k) {
    const LocalDateTime due = FromSerialSecond(SerialSecond({{2026, 1, 1}, {7, 0, 0}}) + k * 3547LL);
    HistoryLine line;
    if (k % 25 == 0) {
      line = RunMarker{k % 50 == 0 ? RunMarker::Kind::kStarted : RunMarker::Kind::kStopped, due};
    } else {
      const Outcome outcome = kOutcomes[k % 5];
      std::optional<StartedAt> started;
      if (outcome != Outcome::kMissed) started = StartedAt{due, k % 1000};
      line = HistoryEvent{due, started, kNames[k % 4],
                          L"C:\\Users\\Radio\\Music\\Shows\\Show " + std::to_wstring(k) + L"\\playlist.m3u", outcome,
                          outcome == Outcome::kPlayed    ? L""
                          : outcome == Outcome::kMissed ? L"program not running"
                                                        : L"Winamp Is Not Started"};
    }
    size += FormatHistoryLine(line).size();
    if (size + 64 > kHistoryFileLimit) return lines;
    lines.push_back(std::move(line));
  }
}

int Run() {
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() /
      ("cuelark-history-bench-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
  std::filesystem::create_directories(folder);
  DiskHistoryFiles files;
  HistoryLog log(files, folder);
  const std::vector<HistoryLine> lines = AlmostFullHistory();
  int status = 0;
  if (!log.Append(lines)) {
    std::fprintf(stderr, "history bench: the history could not be written\n");
    status = 1;
  }
  std::vector<double> milliseconds;
  for (int reading = 0; reading < kReadings && status == 0; ++reading) {
    const auto start = std::chrono::steady_clock::now();
    const std::vector<HistoryLine> read = log.ReadNewestFirst();
    milliseconds.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    if (read.size() != lines.size() || read.front() != lines.back()) {
      std::fprintf(stderr, "history bench: read %zu lines of %zu\n", read.size(), lines.size());
      status = 1;
    }
  }
  const std::uint64_t bytes = files.Size(log.File()).value_or(0);
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
  if (status != 0) return status;
  std::printf("bench: history.file_bytes %llu bytes\n", static_cast<unsigned long long>(bytes));
  std::printf("bench: history.lines %zu count\n", lines.size());
  // The slowest reading: the window opens once, and that one counts.
  std::printf("bench: history.view_1mb_ms %.1f ms\n", *std::max_element(milliseconds.begin(), milliseconds.end()));
  return 0;
}

}  // namespace

int main() {
  try {
    return Run();
  } catch (const std::exception& error) {
    std::fprintf(stderr, "history bench: %s\n", error.what());
    return 1;
  }
}
