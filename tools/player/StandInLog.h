// The stand-in player's message log: one line per event, written by the
// stand-in and read back by tests in other processes.
//
// A line is a local wall-clock time, then space-separated key=value fields:
//   2026-12-06 21:06:49.123456 qpc=81234567890 kind=USER wParam=0 lParam=120 answer=3
//   2026-12-06 21:06:49.123789 qpc=81234571200 kind=COPYDATA wParam=0 lParam=5431104
//     dwData=100 cbData=3 data=613a00 answer=1            (one line in the file)
// The stand-in writes each line with a single write, so a reader never sees
// half a line except possibly the last one while the stand-in is writing it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cuelark::standin {

enum class LoggedKind {
  kStarted,   // the process began (before any late-start delay); carries pid
  kCreated,   // the player window now exists
  kUser,      // WM_USER
  kCopyData,  // WM_COPYDATA
  kCommand,   // WM_COMMAND not sent by the stand-in's own controls
};

struct LoggedMessage {
  std::string localTime;  // "YYYY-MM-DD HH:MM:SS.ffffff"
  std::int64_t qpc = 0;   // QueryPerformanceCounter at receipt; comparable across processes
  LoggedKind kind = LoggedKind::kUser;
  std::int64_t wParam = 0;
  std::int64_t lParam = 0;
  // What the stand-in answered; absent when it hung on this message.
  std::optional<std::int64_t> answer;
  std::uint32_t processId = 0;  // kStarted only
  std::uint64_t dwData = 0;     // kCopyData only, like cbData and data
  std::uint32_t cbData = 0;
  std::vector<std::uint8_t> data;

  bool operator==(const LoggedMessage&) const = default;
};

// Without the trailing newline.
std::string FormatStandInLogLine(const LoggedMessage& message);

std::optional<LoggedMessage> ParseStandInLogLine(std::string_view line);

// Every complete line of the log; an unfinished last line is left for the
// next read. A missing file reads as no messages. Throws std::runtime_error
// on a complete line that does not parse, so that a garbled log fails a test
// instead of hiding messages.
std::vector<LoggedMessage> ReadStandInLog(const std::filesystem::path& path);

// Only the window messages (USER, COPYDATA, COMMAND), in order.
std::vector<LoggedMessage> PlayerMessages(const std::vector<LoggedMessage>& log);

}  // namespace cuelark::standin
