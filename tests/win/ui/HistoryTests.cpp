// The history from outside: what a run plays and what it finds missed are
// written to history.tsv and listed in the History window, and the next
// firing shows in the window and in the tray icon's tip.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/win/ui/CuelarkRun.h"
#include "tools/player/StandInControl.h"

namespace cuelark::test {
namespace {

constexpr char kHeader[] = "\xEF\xBB\xBF" "due\tstarted\tname\tcommand\toutcome\tdetail\r\n";

std::string MomentText(const SYSTEMTIME& t) { return DateText(t) + " " + TimeText(t); }
std::wstring Wide(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

std::vector<std::string> Split(const std::string& text, const std::string& separator) {
  std::vector<std::string> parts;
  for (std::size_t start = 0;;) {
    const std::size_t end = text.find(separator, start);
    parts.push_back(text.substr(start, end - start));
    if (end == std::string::npos) return parts;
    start = end + separator.size();
  }
}

std::vector<std::wstring> Row(HWND list, int row) {
  std::vector<std::wstring> texts;
  for (int column = 0; column < ColumnCount(list); ++column) texts.push_back(ItemText(list, row, column));
  return texts;
}

class HistoryTest : public ::testing::Test {
 protected:
  HWND OpenHistory() {
    SendMenuCommand(run.Main(), ids::kHistoryCommand);
    return run.app().Window(ids::kHistoryWindowClass);
  }
  std::filesystem::path HistoryFile() const { return run.Folder() / "history.tsv"; }

  CuelarkRun run;
};

TEST_F(HistoryTest, AFiringAndAFiringMissedWhileNotRunningAreWrittenAndListedNewestFirst) {
  // The previous run stopped an hour ago; "Missed" fell due while no
  // Cuelark ran, "Fired" falls due in this run.
  const SYSTEMTIME previousStart = LocalTimeIn(-7200);
  const SYSTEMTIME previousStop = LocalTimeIn(-3600);
  const SYSTEMTIME missedDue = LocalTimeIn(-600);
  const SYSTEMTIME firedDue = LocalTimeIn(8);
  WriteFileText("C:\\fired.mp3", "");  // the stand-in plays only what exists
  WriteFileText(run.CueIni(),
                StoreText(EntryText(1, "Missed", "C:\\missed.mp3", DateText(missedDue), TimeText(missedDue)) +
                              EntryText(2, "Fired", "C:\\fired.mp3", DateText(firedDue), TimeText(firedDue)),
                          2));
  const std::string previousRun = std::string(kHeader) + MomentText(previousStart) + "\t\t\t\tstarted\t\r\n" +
                                  MomentText(previousStop) + "\t\t\t\tstopped\t\r\n";
  WriteFileText(HistoryFile(), previousRun);
  StandIn player;
  player.WriteSettings(run.WinampIni());
  player.Start();
  run.Start();

  const HWND history = OpenHistory();
  const HWND list = FindControl(history, ids::kHistoryList);
  const HWND nextLine = FindControl(history, ids::kHistoryNextLine);
  ASSERT_EQ(ColumnCount(list), 5);
  const std::vector<std::wstring> columns{L"Due", L"Started", L"Name", L"Outcome", L"Detail"};
  for (int column = 0; column < 5; ++column) EXPECT_EQ(ColumnText(list, column), columns[column]);

  // Before the firing: the missed line, and "Fired" as the next firing
  // once the first tick has caught up with the time away.
  WaitUntil([&] { return ItemCount(list) >= 1; }, kDefaultTimeoutMs, "the missed firing to be listed");
  SYSTEMTIME today;
  GetLocalTime(&today);
  const std::wstring firedWhen =
      (DateText(firedDue) == DateText(today) ? L"today " : L"tomorrow ") + Wide(TimeText(firedDue));
  const std::wstring nextTip = L"Cuelark: next Fired " + firedWhen;
  WaitUntil([&] { return GetText(nextLine) == nextTip; }, kDefaultTimeoutMs, "the line to name the next firing");
  const auto tipShown = [&](const std::wstring& tip) {
    const std::vector<std::wstring> tips = TrayTips();
    return std::find(tips.begin(), tips.end(), tip) != tips.end();
  };
  WaitUntil([&] { return tipShown(nextTip); }, kDefaultTimeoutMs, "the tray tip to name the next firing");

  // The open window follows the played line and the end of the schedule.
  WaitUntil([&] { return ItemCount(list) == 2; }, 20000, "the played line to be listed");
  WaitUntil([&] { return GetText(nextLine) == L"Cuelark: nothing scheduled"; }, kDefaultTimeoutMs,
            "the next-firing line to show that nothing is left");
  WaitUntil([&] { return tipShown(L"Cuelark: nothing scheduled"); }, kDefaultTimeoutMs,
            "the tray tip to show that nothing is left");

  // The lines' format is the native tests' part; here, what this run wrote
  // after the previous run's lines: its start, the missed and the played line.
  const std::string file = ReadFileText(HistoryFile());
  EXPECT_EQ(file.substr(0, previousRun.size()), previousRun);
  const std::vector<std::string> lines = Split(file.substr(previousRun.size()), "\r\n");
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(Split(lines[0], "\t").at(4), "started");
  EXPECT_EQ(lines[1], MomentText(missedDue) + "\t\tMissed\tC:\\\\missed.mp3\tmissed\tprogram not running");
  const std::vector<std::string> played = Split(lines[2], "\t");
  ASSERT_EQ(played.size(), 6u);
  // Started when the first message went out, not before it was due.
  EXPECT_GE(played[1], played[0]);
  EXPECT_EQ(Row(list, 0),
            (std::vector<std::wstring>{Wide(MomentText(firedDue)), Wide(played[1]), L"Fired", L"played", L""}));
  EXPECT_EQ(Row(list, 1),
            (std::vector<std::wstring>{Wide(MomentText(missedDue)), L"", L"Missed", L"missed", L"program not running"}));
}

TEST_F(HistoryTest, TheWindowOpensOnceEscClosesItAndTheNextOpeningReadsTheFileAgain) {
  WriteFileText(HistoryFile(), std::string(kHeader) +
                                   "2024-01-02 03:04:05\t2024-01-02 03:04:05.250\tNews \\\\ weather\tC:\\\\news.mp3\t"
                                   "not-responding\tWinamp Is Not Responding, Command not Executed!\r\n");
  run.Start();
  const HWND first = OpenHistory();
  EXPECT_EQ(GetText(first), L"History");
  const HWND list = FindControl(first, ids::kHistoryList);
  ASSERT_EQ(ItemCount(list), 1);
  EXPECT_EQ(Row(list, 0), (std::vector<std::wstring>{L"2024-01-02 03:04:05", L"2024-01-02 03:04:05.250",
                                                     L"News \\ weather", L"not-responding",
                                                     L"Winamp Is Not Responding, Command not Executed!"}));

  EXPECT_EQ(OpenHistory(), first);
  EXPECT_EQ(TopLevelWindows(run.app().ProcessId(), ids::kHistoryWindowClass).size(), 1u);

  PressKey(list, VK_ESCAPE);
  WaitUntilGone(first, kDefaultTimeoutMs);
  EXPECT_TRUE(IsWindowShown(run.Main()));

  // A line written while the window was closed shows at the next opening.
  std::string grown = ReadFileText(HistoryFile());
  grown += "2024-01-03 04:05:06\t\tLater\tC:\\\\later.mp3\tmissed\tcomputer asleep\r\n";
  WriteFileText(HistoryFile(), grown);
  const HWND second = OpenHistory();
  const HWND reopenedList = FindControl(second, ids::kHistoryList);
  ASSERT_EQ(ItemCount(reopenedList), 2);
  EXPECT_EQ(ItemText(reopenedList, 0, 2), L"Later");
  EXPECT_EQ(ItemText(reopenedList, 0, 4), L"computer asleep");
}

// A history.tsv held open by another program (a backup, an editor) still
// lets the window tell why its list is short, and show the older file.
TEST_F(HistoryTest, AHistoryHeldOpenByAnotherProgramIsExplainedAboveWhatCanBeShown) {
  const SYSTEMTIME before = LocalTimeIn(-86400);
  WriteFileText(run.Folder() / "history.1.tsv",
                std::string(kHeader) + MomentText(before) + "\t\tOld\tC:\\old.mp3\tmissed\tprogram not running\r\n");
  run.Start();
  WaitUntil([&] { return std::filesystem::exists(HistoryFile()); }, kDefaultTimeoutMs, "the run's start to be written");
  const unique_handle held = win32::OwnFile(
      CreateFileW(HistoryFile().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(held);

  const HWND history = OpenHistory();
  const HWND problem = FindControl(history, ids::kHistoryProblemLine);
  EXPECT_TRUE(IsVisible(problem));
  EXPECT_NE(GetText(problem).find(L"history.tsv cannot be read now"), std::wstring::npos);
  EXPECT_NE(GetText(problem).find(L"history.1.tsv"), std::wstring::npos);
  const HWND list = FindControl(history, ids::kHistoryList);
  ASSERT_EQ(ItemCount(list), 1);
  EXPECT_EQ(ItemText(list, 0, 2), L"Old");
}

}  // namespace
}  // namespace cuelark::test
