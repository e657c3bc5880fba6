#include "scheduler/core/History.h"

#include <algorithm>
#include <array>
#include <utility>

#include "scheduler/core/Digits.h"
#include "scheduler/core/Utf8.h"

namespace cuelark {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::size_t kColumns = 6;
constexpr std::wstring_view kStartedWord = L"started";
constexpr std::wstring_view kStoppedWord = L"stopped";
constexpr std::array kOutcomes = {Outcome::kPlayed, Outcome::kNotStarted, Outcome::kNotResponding, Outcome::kRefused,
                                  Outcome::kMissed, Outcome::kInterrupted, Outcome::kNotPlaying,
                                  Outcome::kCheckFailed};

void AppendEscaped(std::wstring& line, std::wstring_view text) {
  for (const wchar_t c : text) {
    switch (c) {
      case L'\\': line += L"\\\\"; break;
      case L'\t': line += L"\\t"; break;
      case L'\n': line += L"\\n"; break;
      case L'\r': line += L"\\r"; break;
      default: line += c;
    }
  }
}

// A backslash before anything else stays as it is: a hand-edited file with
// a plain "C:\Music" keeps its path.
std::wstring Unescaped(std::wstring_view text) {
  std::wstring plain;
  plain.reserve(text.size());
  for (std::size_t k = 0; k < text.size(); ++k) {
    if (text[k] == L'\\' && k + 1 < text.size()) {
      const wchar_t next = text[k + 1];
      const wchar_t meant = next == L'\\' ? L'\\' : next == L't' ? L'\t' : next == L'n' ? L'\n' : next == L'r' ? L'\r' : 0;
      if (meant != 0) {
        plain += meant;
        ++k;
        continue;
      }
    }
    plain += text[k];
  }
  return plain;
}

std::wstring MomentText(const LocalDateTime& moment) {
  return FormatDate(moment.date) + L' ' + FormatTime(moment.time);
}

std::optional<LocalDateTime> ParseMoment(std::wstring_view text) {
  if (text.size() != 19 || text[10] != L' ') return std::nullopt;
  const std::optional<CivilDate> date = ParseDate(text.substr(0, 10));
  const std::optional<TimeOfDay> time = ParseTime(text.substr(11));
  if (!date || !time) return std::nullopt;
  return LocalDateTime{*date, *time};
}

std::optional<StartedAt> ParseStarted(std::wstring_view text) {
  if (text.size() != 23 || text[19] != L'.') return std::nullopt;
  const std::optional<LocalDateTime> second = ParseMoment(text.substr(0, 19));
  const std::optional<std::int64_t> millisecond = ParseDigits(text.substr(20));
  if (!second || !millisecond) return std::nullopt;
  return StartedAt{*second, static_cast<int>(*millisecond)};
}

std::optional<HistoryLine> ParseLine(std::wstring_view line) {
  std::array<std::wstring_view, kColumns> fields;
  std::size_t count = 0;
  for (std::size_t start = 0;;) {
    if (count == kColumns) return std::nullopt;
    const std::size_t tab = line.find(L'\t', start);
    fields[count++] = line.substr(start, tab - start);
    if (tab == std::wstring_view::npos) break;
    start = tab + 1;
  }
  if (count != kColumns) return std::nullopt;
  const auto& [dueText, startedText, name, command, outcomeText, detail] = fields;
  const std::optional<LocalDateTime> due = ParseMoment(dueText);
  if (!due) return std::nullopt;
  if (outcomeText == kStartedWord || outcomeText == kStoppedWord) {
    return RunMarker{outcomeText == kStartedWord ? RunMarker::Kind::kStarted : RunMarker::Kind::kStopped, *due};
  }
  const auto outcome = std::find_if(kOutcomes.begin(), kOutcomes.end(),
                                    [&text = outcomeText](Outcome known) { return OutcomeText(known) == text; });
  if (outcome == kOutcomes.end()) return std::nullopt;
  std::optional<StartedAt> started;
  if (!startedText.empty()) {
    started = ParseStarted(startedText);
    if (!started) return std::nullopt;
  }
  return HistoryEvent{*due, started, Unescaped(name), Unescaped(command), *outcome, Unescaped(detail)};
}

LocalDateTime MomentOf(const HistoryLine& line) {
  if (const auto* marker = std::get_if<RunMarker>(&line)) return marker->at;
  const auto& event = std::get<HistoryEvent>(line);
  return event.started ? std::max(event.due, event.started->second) : event.due;
}

}  // namespace

std::wstring_view OutcomeText(Outcome outcome) {
  switch (outcome) {
    case Outcome::kPlayed: return L"played";
    case Outcome::kNotStarted: return L"not-started";
    case Outcome::kNotResponding: return L"not-responding";
    case Outcome::kRefused: return L"refused";
    case Outcome::kMissed: return L"missed";
    case Outcome::kInterrupted: return L"interrupted";
    case Outcome::kNotPlaying: return L"not-playing";
    case Outcome::kCheckFailed: return L"check-failed";
  }
  return L"";
}

std::string FormatHistoryLine(const HistoryLine& line) {
  std::wstring text;
  if (const auto* marker = std::get_if<RunMarker>(&line)) {
    text = MomentText(marker->at) + L"\t\t\t\t";
    text += marker->kind == RunMarker::Kind::kStarted ? kStartedWord : kStoppedWord;
    text += L'\t';
  } else {
    const auto& event = std::get<HistoryEvent>(line);
    text = MomentText(event.due) + L'\t';
    if (event.started) {
      // Three digits: 1000 + ms drops its leading 1.
      text += MomentText(event.started->second) + L'.' + Padded(event.started->millisecond % 1000, 3);
    }
    text += L'\t';
    AppendEscaped(text, event.name);
    text += L'\t';
    AppendEscaped(text, event.command);
    text += L'\t';
    text += OutcomeText(event.outcome);
    text += L'\t';
    AppendEscaped(text, event.detail);
  }
  text += L"\r\n";
  return ToUtf8(text);
}

std::vector<HistoryLine> ParseHistory(std::string_view bytes, std::size_t* unreadable) {
  std::vector<HistoryLine> lines;
  if (bytes.starts_with(kByteOrderMark)) bytes.remove_prefix(kByteOrderMark.size());
  const std::string_view header = kHistoryHeader.substr(kByteOrderMark.size(), kHistoryHeader.size() - 5);
  for (std::size_t start = 0;;) {
    const std::size_t end = bytes.find('\n', start);
    if (end == std::string_view::npos) break;
    std::string_view line = bytes.substr(start, end - start);
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (std::optional<HistoryLine> parsed = ParseLine(FromUtf8(line))) {
      lines.push_back(std::move(*parsed));
    } else if (unreadable && !(start == 0 && line == header)) {
      ++*unreadable;
    }
    start = end + 1;
  }
  return lines;
}

HistoryLog::HistoryLog(HistoryFiles& files, std::filesystem::path folder)
    : files_(files), file_(folder / L"history.tsv"), olderFile_(folder / L"history.1.tsv") {}

bool HistoryLog::Append(const HistoryLine& line) { return Append(std::vector<HistoryLine>{line}); }

bool HistoryLog::Append(const std::vector<HistoryLine>& lines) {
  bool written = true;
  std::uint64_t onDisk = files_.Size(file_).value_or(0);
  std::string pending;
  const auto flush = [&] {
    if (pending.empty()) return;
    written = files_.Append(file_, pending) && written;
    pending.clear();
    onDisk = files_.Size(file_).value_or(0);
  };
  for (const HistoryLine& line : lines) {
    const std::string text = FormatHistoryLine(line);
    const std::uint64_t filled = onDisk + pending.size();
    // A file holding nothing but its header stays, even for a line larger
    // than the limit.
    if (filled + text.size() > kHistoryFileLimit && filled > kHistoryHeader.size()) {
      flush();
      if (files_.Replace(file_, olderFile_)) onDisk = 0;
    }
    if (onDisk == 0 && pending.empty()) pending = kHistoryHeader;
    pending += text;
  }
  flush();
  return written;
}

HistoryReading HistoryLog::ReadForShowing() {
  HistoryReading reading;
  std::optional<std::string> bytes = files_.Read(file_);
  // A file that is there but gives nothing is held open or forbidden; a
  // missing one is only a history not begun.
  if (!bytes && files_.Size(file_)) {
    reading.problem = file_.filename().wstring() +
                      L" cannot be read now: another program holds it open, or it may not be read.";
    bytes = files_.Read(olderFile_);
    reading.problem += bytes ? L" Shown are the lines of the older " + olderFile_.filename().wstring() + L"."
                             : L" Nothing can be shown.";
  }
  if (!bytes) return reading;
  std::size_t unreadable = 0;
  reading.lines = ParseHistory(*bytes, &unreadable);
  std::reverse(reading.lines.begin(), reading.lines.end());
  if (unreadable > 0)
    reading.problem += (reading.problem.empty() ? L"" : L" ") + std::to_wstring(unreadable) +
                       (unreadable == 1 ? L" line is" : L" lines are") +
                       L" not in the history's format and not shown.";
  return reading;
}

std::optional<LocalDateTime> HistoryLog::PreviousRunEnd() {
  // Just after a rotation the current file may hold no line yet.
  for (const std::filesystem::path& file : {file_, olderFile_}) {
    const std::optional<std::string> bytes = files_.Read(file);
    if (!bytes) continue;
    const std::vector<HistoryLine> lines = ParseHistory(*bytes);
    if (lines.empty()) continue;
    // The run's lines go back to its start marker. The latest moment, not
    // the last line's: missed firings are written with their old due time.
    LocalDateTime latest = MomentOf(lines.back());
    for (auto line = lines.rbegin(); line != lines.rend(); ++line) {
      latest = std::max(latest, MomentOf(*line));
      const auto* marker = std::get_if<RunMarker>(&*line);
      if (marker && marker->kind == RunMarker::Kind::kStarted) break;
    }
    return latest;
  }
  return std::nullopt;
}

}  // namespace cuelark
