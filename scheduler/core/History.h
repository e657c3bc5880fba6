// The history file: one line for each execution attempt and each missed
// firing, and a line where each run of the program starts and where it
// stops, so that the next run can tell what fell due while it was away.
//
// The file is UTF-8 text with a byte-order mark, tab-separated, under a
// first line naming the columns:
//
//   due  started  name  command  outcome  detail
//
// "due" is the second the entry was due, "YYYY-MM-DD HH:MM:SS" local;
// "started" the moment the first player message went out, with
// milliseconds, empty when no message reached the player (a missed firing,
// a player that could not be started). A tab, line break or backslash
// inside a text is written as \t, \n (\r) or \\. A run's marker line holds
// its moment under "due" and "started" or "stopped" under "outcome".
//
// Each line is appended in one write, so a crash can cut at most the last
// line; readers skip a last line that has no line end.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "scheduler/core/Calendar.h"

namespace cuelark {

enum class Outcome {
  kPlayed,
  kNotStarted,
  kNotResponding,
  kRefused,  // the text could not be given to the player
  kMissed,
  kInterrupted,  // the program ended before the execution was done
  kNotPlaying,   // the player took the entry and Play, but never played
  kCheckFailed,  // the input was found unable to play before or when it was due
};

// "played", "not-started", "not-responding", "refused", "missed",
// "interrupted", "not-playing", "check-failed".
std::wstring_view OutcomeText(Outcome outcome);

struct StartedAt {
  LocalDateTime second;
  int millisecond = 0;
  friend bool operator==(const StartedAt&, const StartedAt&) = default;
};

struct HistoryEvent {
  LocalDateTime due;  // the moment of the click for an execution by hand
  std::optional<StartedAt> started;
  std::wstring name;
  std::wstring command;
  Outcome outcome = Outcome::kPlayed;
  std::wstring detail;  // a short reason in words
  friend bool operator==(const HistoryEvent&, const HistoryEvent&) = default;
};

struct RunMarker {
  enum class Kind { kStarted, kStopped };
  Kind kind;
  LocalDateTime at;
  friend bool operator==(const RunMarker&, const RunMarker&) = default;
};

using HistoryLine = std::variant<HistoryEvent, RunMarker>;

// The file's first line, byte-order mark and line end included.
inline constexpr std::string_view kHistoryHeader = "\xEF\xBB\xBF" "due\tstarted\tname\tcommand\toutcome\tdetail\r\n";

// One line of the file in UTF-8, line end included.
std::string FormatHistoryLine(const HistoryLine& line);

// The lines of a history file, oldest first. The header, lines that are not
// in the format (edited by hand, from a newer version) and a last line
// without its line end are left out; `unreadable`, when given, counts the
// lines not in the format.
std::vector<HistoryLine> ParseHistory(std::string_view bytes, std::size_t* unreadable = nullptr);

// What the History window shows: the lines newest first, and why they are
// not the whole history (empty when they are).
struct HistoryReading {
  std::vector<HistoryLine> lines;
  std::wstring problem;
};

// The files under the history, so that tests can stand in for the disk.
class HistoryFiles {
 public:
  virtual ~HistoryFiles() = default;
  // nullopt: the file does not exist or cannot be examined.
  virtual std::optional<std::uint64_t> Size(const std::filesystem::path& file) = 0;
  // Adds `bytes` at the end, creating the file when missing, in one write.
  // False when not all of them were written.
  virtual bool Append(const std::filesystem::path& file, std::string_view bytes) = 0;
  // Renames `from` to `to`, replacing an existing `to`.
  virtual bool Replace(const std::filesystem::path& from, const std::filesystem::path& to) = 0;
  // nullopt: the file does not exist or cannot be read.
  virtual std::optional<std::string> Read(const std::filesystem::path& file) = 0;
};

// A file that would grow past this becomes "history.1.tsv" first.
inline constexpr std::uint64_t kHistoryFileLimit = 1024 * 1024;

// "history.tsv" and "history.1.tsv" in one folder.
class HistoryLog {
 public:
  HistoryLog(HistoryFiles& files, std::filesystem::path folder);

  const std::filesystem::path& File() const { return file_; }

  // Appends the lines in order, as few writes as the size limit allows, each
  // holding whole lines. False when some could not be written; a file that
  // could not be renamed out of the way grows on rather than lose lines.
  bool Append(const std::vector<HistoryLine>& lines);
  bool Append(const HistoryLine& line);

  // The current file's lines, newest first.
  std::vector<HistoryLine> ReadNewestFirst() { return ReadForShowing().lines; }
  // The same, saying what could not be read; when the current file cannot
  // be read at all (held open by another program, no permission), the lines
  // of the older one.
  HistoryReading ReadForShowing();

  // The latest moment the previous run wrote down: its stop, or after a
  // crash the latest moment among its lines; nullopt without any history.
  std::optional<LocalDateTime> PreviousRunEnd();

 private:
  HistoryFiles& files_;
  std::filesystem::path file_;
  std::filesystem::path olderFile_;
};

}  // namespace cuelark
