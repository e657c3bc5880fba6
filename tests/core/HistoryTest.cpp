#include "scheduler/core/History.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "scheduler/core/DiskHistoryFiles.h"
#include "tests/engine/TempFolder.h"

namespace cuelark {

void PrintTo(const HistoryLine& line, std::ostream* out) { *out << FormatHistoryLine(line); }

namespace {

using brevoni::testing::ReadBytes;
using brevoni::testing::TempFolder;

const std::string kBom = "\xEF\xBB\xBF";
const std::string kHeader = kBom + "due\tstarted\tname\tcommand\toutcome\tdetail\r\n";

HistoryEvent Played(std::wstring name, std::wstring command) {
  return {{{2026, 12, 9}, {7, 30, 0}}, StartedAt{{{2026, 12, 9}, {7, 30, 1}}, 42}, std::move(name),
          std::move(command), Outcome::kPlayed, L""};
}

HistoryEvent Missed(LocalDateTime due, std::wstring detail = L"program not running") {
  return {due, std::nullopt, L"Morning", L"C:\\Music\\wake.mp3", Outcome::kMissed, std::move(detail)};
}

RunMarker Started(LocalDateTime at) { return {RunMarker::Kind::kStarted, at}; }
RunMarker Stopped(LocalDateTime at) { return {RunMarker::Kind::kStopped, at}; }

TEST(HistoryFormatTest, LinesAreWrittenInTheDocumentedColumns) {
  const struct {
    const char* what;
    HistoryLine line;
    std::string text;
  } kCases[] = {
      {"played", Played(L"Morning", L"C:\\Music\\wake.mp3"),
       "2026-12-09 07:30:00\t2026-12-09 07:30:01.042\tMorning\tC:\\\\Music\\\\wake.mp3\tplayed\t\r\n"},
      {"missed", Missed({{2026, 12, 9}, {7, 30, 0}}),
       "2026-12-09 07:30:00\t\tMorning\tC:\\\\Music\\\\wake.mp3\tmissed\tprogram not running\r\n"},
      {"refused by hand",
       HistoryEvent{{{2026, 1, 2}, {3, 4, 5}}, StartedAt{{{2026, 1, 2}, {3, 4, 6}}, 7}, L"N", L"c",
                    Outcome::kRefused, L"by hand"},
       "2026-01-02 03:04:05\t2026-01-02 03:04:06.007\tN\tc\trefused\tby hand\r\n"},
      {"not started", HistoryEvent{{{2026, 1, 2}, {3, 4, 5}}, std::nullopt, L"N", L"c", Outcome::kNotStarted, L""},
       "2026-01-02 03:04:05\t\tN\tc\tnot-started\t\r\n"},
      {"not responding",
       HistoryEvent{{{2026, 1, 2}, {3, 4, 5}}, StartedAt{{{2026, 1, 2}, {3, 4, 5}}, 999}, L"N", L"c",
                    Outcome::kNotResponding, L"Winamp Is Not Responding"},
       "2026-01-02 03:04:05\t2026-01-02 03:04:05.999\tN\tc\tnot-responding\tWinamp Is Not Responding\r\n"},
      {"check failed",
       HistoryEvent{{{2026, 1, 2}, {3, 4, 5}}, std::nullopt, L"N", L"c", Outcome::kCheckFailed, L"not found: c"},
       "2026-01-02 03:04:05\t\tN\tc\tcheck-failed\tnot found: c\r\n"},
      {"run started", Started({{2026, 12, 9}, {6, 0, 0}}), "2026-12-09 06:00:00\t\t\t\tstarted\t\r\n"},
      {"run stopped", Stopped({{2026, 12, 9}, {23, 0, 59}}), "2026-12-09 23:00:59\t\t\t\tstopped\t\r\n"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(FormatHistoryLine(c.line), c.text);
    EXPECT_EQ(ParseHistory(c.text), std::vector<HistoryLine>{c.line});
  }
}

TEST(HistoryFormatTest, TextsThatCouldBreakALineRoundTrip) {
  const std::wstring kTexts[] = {
      L"tab\there",       L"line\nbreak",     L"carriage\rreturn", L"C:\\ends with backslash\\",
      L"\\t is no tab",   L"\\\\n",           L"\t\n\r\\",        L"M\u00FCsik \u4E2D \U0001F3B5",
      L"",                L"trailing space ",
  };
  for (const std::wstring& text : kTexts) {
    SCOPED_TRACE(testing::PrintToString(text));
    HistoryEvent event = Played(text, L"cmd " + text);
    event.detail = text;
    const std::string line = FormatHistoryLine(event);
    EXPECT_EQ(line.find_first_of("\t\r\n"), std::string("2026-12-09 07:30:00").size());
    EXPECT_EQ(std::count(line.begin(), line.end(), '\t'), 5);
    EXPECT_EQ(line.find_first_of("\r\n"), line.size() - 2);
    EXPECT_EQ(ParseHistory(line), std::vector<HistoryLine>{event});
  }
}

TEST(HistoryFormatTest, ReadersSkipTheHeaderATornLastLineAndLinesNotInTheFormat) {
  const std::string good1 = FormatHistoryLine(Missed({{2026, 12, 9}, {7, 0, 0}}));
  const std::string good2 = FormatHistoryLine(Missed({{2026, 12, 9}, {8, 0, 0}}));
  const std::string good3 = FormatHistoryLine(Missed({{2026, 12, 9}, {9, 0, 0}}));
  const std::vector<HistoryLine> all = {Missed({{2026, 12, 9}, {7, 0, 0}}), Missed({{2026, 12, 9}, {8, 0, 0}})};
  const struct {
    const char* what;
    std::string bytes;
    std::size_t lines;
  } kCases[] = {
      {"header and lines", kHeader + good1 + good2, 2},
      {"no byte-order mark", kHeader.substr(3) + good1 + good2, 2},
      {"plain line ends", good1.substr(0, good1.size() - 2) + "\n" + good2, 2},
      {"torn last line", kHeader + good1 + good2 + good3.substr(0, 30), 2},
      {"torn just before the line end", kHeader + good1 + good2 + good3.substr(0, good3.size() - 1), 2},
      {"torn in a UTF-8 sequence", kHeader + good1 + good2 + "2026-12-09 09:00:00\t\tM\xC3", 2},
      {"empty", "", 0},
      {"byte-order mark only", kBom, 0},
      {"blank line", kHeader + "\r\n" + good1 + good2, 2},
      {"five columns", kHeader + "2026-12-09 07:00:00\t\tMorning\tc\tmissed\r\n" + good1 + good2, 2},
      {"seven columns", kHeader + "2026-12-09 07:00:00\t\tMorning\tc\tmissed\t\tx\r\n" + good1 + good2, 2},
      {"unknown outcome", kHeader + "2026-12-09 07:00:00\t\tMorning\tc\tskipped\t\r\n" + good1 + good2, 2},
      {"bad due", kHeader + "2026-12-09 7:00:00\t\tMorning\tc\tmissed\t\r\n" + good1 + good2, 2},
      {"bad started", kHeader + "2026-12-09 07:00:00\t2026-12-09 07:00:01\tM\tc\tplayed\t\r\n" + good1 + good2, 2},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.what);
    const std::vector<HistoryLine> lines = ParseHistory(c.bytes);
    EXPECT_EQ(lines, std::vector<HistoryLine>(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(c.lines)));
  }
}

TEST(HistoryFormatTest, AHandWrittenBackslashStaysAsItIs) {
  const auto lines = ParseHistory("2026-12-09 07:00:00\t\tMorning\tC:\\Music\\wake.mp3\tmissed\t\r\n");
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(std::get<HistoryEvent>(lines[0]).command, L"C:\\Music\\wake.mp3");
}

// Files in memory, with the writes counted and failures on request.
class FakeFiles : public HistoryFiles {
 public:
  std::map<std::filesystem::path, std::string> files;
  std::vector<std::string> writes;
  bool failAppend = false;
  bool failReplace = false;
  // Files that are there but cannot be read, as when held open by another program.
  std::set<std::filesystem::path> locked;

  std::optional<std::uint64_t> Size(const std::filesystem::path& file) override {
    const auto found = files.find(file);
    if (found == files.end()) return std::nullopt;
    return found->second.size();
  }
  bool Append(const std::filesystem::path& file, std::string_view bytes) override {
    if (failAppend) return false;
    writes.emplace_back(bytes);
    files[file] += bytes;
    return true;
  }
  bool Replace(const std::filesystem::path& from, const std::filesystem::path& to) override {
    const auto found = files.find(from);
    if (failReplace || found == files.end()) return false;
    files[to] = std::move(found->second);
    files.erase(from);
    return true;
  }
  std::optional<std::string> Read(const std::filesystem::path& file) override {
    const auto found = files.find(file);
    if (found == files.end() || locked.contains(file)) return std::nullopt;
    return found->second;
  }
};

const std::filesystem::path kFolder = "prog";
// Long lines, so that a megabyte takes few of them, and how many of them fit
// in a file with its header.
const HistoryEvent kLongLine = Played(L"Morning", L"C:\\Music\\" + std::wstring(1000, L'x') + L".mp3");
const std::size_t kLineSize = FormatHistoryLine(kLongLine).size();
const std::size_t kFitting = (kHistoryFileLimit - kHeader.size()) / kLineSize;
const std::filesystem::path kCurrent = kFolder / "history.tsv";
const std::filesystem::path kOlder = kFolder / "history.1.tsv";

TEST(HistoryLogTest, ANewFileGetsTheHeaderOnceAndEachLineOneWrite) {
  FakeFiles files;
  HistoryLog log(files, kFolder);
  const HistoryEvent first = Played(L"Morning", L"a.mp3");
  const HistoryEvent second = Missed({{2026, 12, 9}, {8, 0, 0}});
  ASSERT_TRUE(log.Append(first));
  ASSERT_TRUE(log.Append(second));
  EXPECT_EQ(files.writes, (std::vector<std::string>{kHeader + FormatHistoryLine(first), FormatHistoryLine(second)}));
  EXPECT_EQ(log.ReadNewestFirst(), (std::vector<HistoryLine>{second, first}));
}

TEST(HistoryLogTest, AFileThatWouldPassOneMegabyteBecomesTheOlderOne) {
  FakeFiles files;
  files.files[kOlder] = "an older history that goes";
  HistoryLog log(files, kFolder);
  for (std::size_t k = 0; k < kFitting; ++k) ASSERT_TRUE(log.Append(kLongLine));
  ASSERT_EQ(files.files[kCurrent].size(), kHeader.size() + kFitting * kLineSize);
  ASSERT_LE(files.files[kCurrent].size(), kHistoryFileLimit);
  const std::string full = files.files[kCurrent];

  HistoryEvent next = kLongLine;
  next.due = {{2026, 12, 10}, {7, 0, 0}};
  ASSERT_TRUE(log.Append(next));
  EXPECT_EQ(files.files[kOlder], full);
  EXPECT_EQ(files.files[kCurrent], kHeader + FormatHistoryLine(next));
  EXPECT_EQ(log.ReadNewestFirst(), std::vector<HistoryLine>{next});
}

TEST(HistoryLogTest, ABatchRotatesBetweenWholeLines) {
  FakeFiles files;
  HistoryLog log(files, kFolder);
  ASSERT_TRUE(log.Append(std::vector<HistoryLine>(kFitting + 3, kLongLine)));
  ASSERT_EQ(files.writes.size(), 2u);
  EXPECT_EQ(files.files[kOlder].size(), kHeader.size() + kFitting * kLineSize);
  EXPECT_EQ(files.files[kCurrent].size(), kHeader.size() + 3 * kLineSize);
  EXPECT_EQ(ParseHistory(files.files[kOlder]).size() + ParseHistory(files.files[kCurrent]).size(), kFitting + 3);
}

TEST(HistoryLogTest, ALineLargerThanTheLimitStillGoesIntoAFreshFile) {
  FakeFiles files;
  HistoryLog log(files, kFolder);
  const HistoryEvent huge = Played(L"Huge", std::wstring(kHistoryFileLimit, L'x'));
  ASSERT_TRUE(log.Append(huge));
  EXPECT_EQ(files.files.count(kOlder), 0u);
  EXPECT_EQ(log.ReadNewestFirst(), std::vector<HistoryLine>{huge});
}

TEST(HistoryLogTest, FailuresAreReportedAndAFileThatCannotMoveGrowsOn) {
  FakeFiles files;
  HistoryLog log(files, kFolder);
  files.failAppend = true;
  EXPECT_FALSE(log.Append(Played(L"Morning", L"a.mp3")));
  files.failAppend = false;

  files.failReplace = true;
  ASSERT_TRUE(log.Append(std::vector<HistoryLine>(kFitting + 2, kLongLine)));
  EXPECT_EQ(files.files.count(kOlder), 0u);
  EXPECT_EQ(log.ReadNewestFirst().size(), kFitting + 2);
}

TEST(HistoryLogTest, WhatCannotBeReadIsSaidAndWhatCanIsShown) {
  const HistoryEvent older = Played(L"Older", L"C:\\older.mp3");
  const HistoryEvent current = Played(L"Current", L"C:\\current.mp3");
  struct Case {
    const char* what;
    bool locked;
    bool olderFile;
    std::string extra;  // lines after the current one
    std::vector<HistoryLine> shown;
    std::vector<std::wstring> said;  // parts of the problem text
  };
  const Case kCases[] = {
      {"readable", false, true, "", {current}, {}},
      {"locked, with an older file", true, true, "", {older}, {L"history.tsv cannot be read now", L"history.1.tsv"}},
      {"locked, without one", true, false, "", {}, {L"history.tsv cannot be read now", L"Nothing can be shown"}},
      {"broken lines", false, true, "garbage\r\n\x01\x02\r\n", {current}, {L"2 lines are not in the history's format"}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    FakeFiles files;
    files.files[kCurrent] = kHeader + FormatHistoryLine(current) + c.extra;
    if (c.olderFile) files.files[kOlder] = kHeader + FormatHistoryLine(older);
    if (c.locked) files.locked.insert(kCurrent);
    HistoryLog log(files, kFolder);
    const HistoryReading reading = log.ReadForShowing();
    EXPECT_EQ(reading.lines, c.shown);
    EXPECT_EQ(reading.problem.empty(), c.said.empty()) << testing::PrintToString(reading.problem);
    for (const std::wstring& part : c.said)
      EXPECT_NE(reading.problem.find(part), std::wstring::npos) << testing::PrintToString(reading.problem);
  }
  FakeFiles none;
  EXPECT_EQ(HistoryLog(none, kFolder).ReadForShowing().problem, L"") << "no history yet is no problem";
}

TEST(HistoryLogTest, ThePreviousRunEndsAtItsLatestMoment) {
  const LocalDateTime start{{2026, 12, 9}, {6, 0, 0}};
  const LocalDateTime played{{2026, 12, 9}, {7, 30, 1}};  // when Played() lines started
  const LocalDateTime playedLate{{2026, 12, 9}, {22, 0, 5}};
  const LocalDateTime stop{{2026, 12, 9}, {23, 0, 0}};
  HistoryEvent late = Played(L"Late", L"x");
  late.started->second = playedLate;
  const struct {
    const char* what;
    std::vector<HistoryLine> current;
    std::vector<HistoryLine> older;
    std::optional<LocalDateTime> end;
  } kCases[] = {
      {"no history", {}, {}, std::nullopt},
      {"stopped", {Started(start), Played(L"M", L"x"), Stopped(stop)}, {}, stop},
      {"crashed after playing", {Started(start), Played(L"M", L"x")}, {}, played},
      {"started after the due second", {Started(start), late}, {}, playedLate},
      {"crashed right after writing what it missed",
       {Started(start), Missed({{2026, 12, 8}, {7, 0, 0}}), Missed({{2026, 12, 8}, {9, 0, 0}})}, {}, start},
      {"only the last run counts, though an earlier one ran later (clock set back)",
       {Started({{2026, 12, 20}, {6, 0, 0}}), Stopped({{2026, 12, 20}, {7, 0, 0}}), Started(start), Stopped(stop)}, {},
       stop},
      {"a run that began in the older file", {Played(L"M", L"x")}, {Started(start)}, played},
      {"just rotated, nothing in the current file yet", {}, {Started(start), late}, playedLate},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.what);
    FakeFiles files;
    HistoryLog log(files, kFolder);
    // Written straight to the files: the log itself would rotate nothing here.
    if (!c.older.empty()) {
      files.files[kOlder] = kHeader;
      for (const HistoryLine& line : c.older) files.files[kOlder] += FormatHistoryLine(line);
    }
    if (!c.current.empty() || !c.older.empty()) files.files[kCurrent] = kHeader;
    for (const HistoryLine& line : c.current) files.files[kCurrent] += FormatHistoryLine(line);
    EXPECT_EQ(log.PreviousRunEnd(), c.end);
  }
}

TEST(DiskHistoryFilesTest, AppendsRotatesAndReadsRealFilesWithAUnicodeName) {
  TempFolder temp;
  const std::filesystem::path folder = temp.path() / u8"Cuelark M\u00FCsik \u4E2D";
  std::filesystem::create_directory(folder);
  DiskHistoryFiles files;
  const std::filesystem::path file = folder / L"history.tsv";
  const std::filesystem::path older = folder / L"history.1.tsv";

  EXPECT_EQ(files.Size(file), std::nullopt);
  EXPECT_EQ(files.Read(file), std::nullopt);
  ASSERT_TRUE(files.Append(file, "one\r\n"));
  ASSERT_TRUE(files.Append(file, "two\r\n"));
  EXPECT_EQ(files.Size(file), 10u);
  EXPECT_EQ(files.Read(file), "one\r\ntwo\r\n");

  ASSERT_TRUE(files.Append(older, "stale\r\n"));
  ASSERT_TRUE(files.Replace(file, older));
  EXPECT_EQ(ReadBytes(older), "one\r\ntwo\r\n");
  EXPECT_FALSE(std::filesystem::exists(file));
  EXPECT_FALSE(files.Replace(file, older));

  EXPECT_FALSE(files.Append(folder / "no such folder" / "history.tsv", "x\r\n"));
}

}  // namespace
}  // namespace cuelark
