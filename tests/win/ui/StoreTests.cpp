// The saved commands as a user keeps them: saved, removed, reloaded, and
// never lost when the file cannot be written or the program dies.
#include <gtest/gtest.h>

#include <random>

#include "tests/win/ui/CuelarkRun.h"

namespace cuelark::test {
namespace {

std::string TodayText() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  char text[16];
  snprintf(text, sizeof text, "%04d-%02d-%02d", now.wYear, now.wMonth, now.wDay);
  return text;
}

std::vector<IniLine> Concat(std::initializer_list<std::vector<IniLine>> parts) {
  std::vector<IniLine> all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

IniLine Count(int n) { return {"Total Count", "count", std::to_string(n)}; }

// A store written by hand: entries "One", "Two", "Three" and a position.
constexpr char kThreeEntries[] =
    "[Saved Commands]\r\n"
    "name1=One\r\ncommand1=C:\\one.mp3\r\nstartDate1=EVERY DAY\r\nstartTime1=01:00:00\r\nisChecked1=True\r\n"
    "remWhenDone1=0\r\n"
    "name2=Two\r\ncommand2=C:\\two.mp3\r\nstartDate2=2090-01-02\r\nstartTime2=02:00:00\r\nisChecked2=False\r\n"
    "remWhenDone2=1\r\n"
    "name3=Three\r\ncommand3=C:\\three.mp3\r\nstartDate3=MONDAY\r\nstartTime3=03:00:00\r\nisChecked3=True\r\n"
    "remWhenDone3=1\r\n"
    "[Total Count]\r\ncount=3\r\n"
    "[Position]\r\nLeft=1500\r\nTop=1200\r\n";

class StoreTest : public ::testing::Test {
 protected:
  HWND operator[](int id) const { return run[id]; }
  CuelarkRun run;
};

TEST_F(StoreTest, FirstSaveCreatesTheEntryAndItsCount) {
  run.Start();
  run.SaveEntry(L"Morning", L"C:\\Music\\morning.mp3", true);

  EXPECT_EQ(IniLines(run.CueIniBytes()),
            Concat({EntryLines(1, "Morning", "C:\\Music\\morning.mp3", TodayText(), "00:00:00", true, true),
                    {Count(1)}}));
  EXPECT_TRUE(IsEnabled(run[ids::kRemoveButton]));
  EXPECT_TRUE(IsEnabled(run[ids::kExecuteButton]));
  // The editor is cleared, the remove box kept.
  EXPECT_EQ(GetText(run[ids::kNameBox]), L"");
  EXPECT_EQ(GetText(run[ids::kCommandBox]), L"");
  EXPECT_TRUE(IsChecked(run[ids::kRemoveWhenDoneBox]));
  EXPECT_EQ(SelectedTab(run[ids::kTabs]), 0);
}

TEST_F(StoreTest, ASecondSaveKeepsTheFirstEntryWithItsOwnRemoveFlag) {
  run.Start();
  run.SaveEntry(L"First", L"C:\\first.mp3", true);
  SetChecked(run[ids::kEveryDayBox], true);
  run.SaveEntry(L"Second", L"C:\\second.m3u", false);

  EXPECT_EQ(IniLines(run.CueIniBytes()),
            Concat({EntryLines(1, "First", "C:\\first.mp3", TodayText(), "00:00:00", true, true),
                    EntryLines(2, "Second", "C:\\second.m3u", "EVERY DAY", "00:00:00", true, false), {Count(2)}}));
  const HWND list = run[ids::kSavedList];
  EXPECT_EQ(ItemText(list, 1, 0), L"Second");
  EXPECT_EQ(ItemText(list, 1, 1), L"C:\\second.m3u");
  EXPECT_EQ(ItemText(list, 1, 2), L"EVERY DAY");
  EXPECT_EQ(ItemText(list, 1, 3), L"00:00:00");
  EXPECT_TRUE(IsItemChecked(list, 1));
}

TEST_F(StoreTest, LoadsEveryEntryAndRemovingTheMiddleOneRenumbersAndKeepsThePosition) {
  WriteFileText(run.CueIni(), kThreeEntries);
  run.Start();
  const HWND list = run[ids::kSavedList];
  ASSERT_EQ(ItemCount(list), 3);
  EXPECT_FALSE(IsItemChecked(list, 1));
  EXPECT_EQ(ItemText(list, 2, 2), L"MONDAY");
  RECT window;
  ASSERT_TRUE(GetWindowRect(run.Main(), &window));
  const int dpi = WindowDpi(run.Main());
  EXPECT_NEAR(window.left, TwipsToPixels(1500, dpi), 1);
  EXPECT_NEAR(window.top, TwipsToPixels(1200, dpi), 1);

  run.SelectTab(1);
  run.RemoveRow(1, IDOK);

  EXPECT_EQ(ItemCount(list), 2);
  EXPECT_EQ(ItemText(list, 1, 0), L"Three");
  EXPECT_EQ(IniLines(run.CueIniBytes()),
            Concat({EntryLines(1, "One", "C:\\one.mp3", "EVERY DAY", "01:00:00", true, false),
                    EntryLines(2, "Three", "C:\\three.mp3", "MONDAY", "03:00:00", true, true),
                    {Count(2), {"Position", "Left", "1500"}, {"Position", "Top", "1200"}}}));
}

TEST_F(StoreTest, CancellingTheRemovalChangesNothing) {
  WriteFileText(run.CueIni(), kThreeEntries);
  run.Start();
  run.SelectTab(1);
  run.RemoveRow(0, IDCANCEL);
  EXPECT_EQ(ItemCount(run[ids::kSavedList]), 3);
  EXPECT_EQ(run.CueIniBytes(), kThreeEntries);
}

TEST_F(StoreTest, RemovingTheLastEntryLeavesNoEntriesAndDisablesTheButtons) {
  run.Start();
  run.SaveEntry(L"Only", L"C:\\only.mp3");
  run.SelectTab(1);
  run.RemoveRow(0, IDOK);
  EXPECT_EQ(ItemCount(run[ids::kSavedList]), 0);
  EXPECT_FALSE(IsEnabled(run[ids::kRemoveButton]));
  EXPECT_FALSE(IsEnabled(run[ids::kExecuteButton]));
  EXPECT_TRUE(IniLines(run.CueIniBytes()).empty());
}

TEST_F(StoreTest, RemoveWithNoRowSelectedAsksNothing) {
  WriteFileText(run.CueIni(), kThreeEntries);
  run.Start();
  run.SelectTab(1);
  Click(run[ids::kRemoveButton]);
  EXPECT_EQ(FindMessageBox(run.app().ProcessId(), L"Remove from list", 300), nullptr);
  EXPECT_EQ(ItemCount(run[ids::kSavedList]), 3);
}

TEST_F(StoreTest, ClosingWritesThePositionThatTheNextStartUses) {
  run.Start();
  ASSERT_TRUE(SetWindowPos(run.Main(), nullptr, 210, 160, 0, 0, SWP_NOSIZE | SWP_NOZORDER));
  const int dpi = WindowDpi(run.Main());
  run.app().Close();

  const int left = std::stoi(*run.IniValue(run.CueIni(), L"Position", L"Left"));
  const int top = std::stoi(*run.IniValue(run.CueIni(), L"Position", L"Top"));
  EXPECT_NEAR(left, MulDiv(210, 1440, dpi), 15);
  EXPECT_NEAR(top, MulDiv(160, 1440, dpi), 15);

  run.Start();
  RECT window;
  ASSERT_TRUE(GetWindowRect(run.Main(), &window));
  EXPECT_NEAR(window.left, 210, 1);
  EXPECT_NEAR(window.top, 160, 1);
}

TEST_F(StoreTest, TopWithoutLeftIsIgnoredAndExitWritesNoPosition) {
  WriteFileText(run.CueIni(), "[Position]\r\nTop=3000\r\n");
  run.Start();
  RECT window;
  ASSERT_TRUE(GetWindowRect(run.Main(), &window));
  EXPECT_GT(std::abs(window.top - TwipsToPixels(3000, WindowDpi(run.Main()))), 1);
  SendMenuCommand(run.Main(), ids::kExitCommand);
  ASSERT_TRUE(run.app().WaitForExit(kDefaultTimeoutMs));
  EXPECT_EQ(run.CueIniBytes(), "[Position]\r\nTop=3000\r\n");
}

TEST_F(StoreTest, ATickIsSavedAtOnceWithoutTouchingTheEditor) {
  WriteFileText(run.CueIni(), kThreeEntries);
  run.Start();
  SetText(run[ids::kNameBox], L"half typed");
  run.SelectTab(1);
  SetItemChecked(run[ids::kSavedList], 0, false);
  WaitUntil([&] { return run.IniValue(run.CueIni(), L"Saved Commands", L"isChecked1") == L"False"; },
            kDefaultTimeoutMs, "the unticked entry in the file");
  EXPECT_EQ(GetText(run[ids::kNameBox]), L"half typed");

  SendMenuCommand(run.Main(), ids::kExitCommand);
  ASSERT_TRUE(run.app().WaitForExit(kDefaultTimeoutMs));
  run.Start();
  EXPECT_FALSE(IsItemChecked(run[ids::kSavedList], 0));
  EXPECT_TRUE(IsItemChecked(run[ids::kSavedList], 2));
}

TEST_F(StoreTest, TheSpaceBarTicksTheFocusedRowAsAClickDoes) {
  WriteFileText(run.CueIni(), kThreeEntries);
  run.Start();
  run.SelectTab(1);
  const HWND list = run[ids::kSavedList];
  SelectItem(list, 1);
  ASSERT_TRUE(PostMessageW(list, WM_KEYDOWN, VK_SPACE, 0));
  ASSERT_TRUE(PostMessageW(list, WM_KEYUP, VK_SPACE, 0));
  WaitUntil([&] { return run.IniValue(run.CueIni(), L"Saved Commands", L"isChecked2") == L"True"; },
            kDefaultTimeoutMs, "the ticked entry in the file");
  EXPECT_TRUE(IsItemChecked(list, 1));
  SetItemChecked(list, 1, false);
  WaitUntil([&] { return run.IniValue(run.CueIni(), L"Saved Commands", L"isChecked2") == L"False"; },
            kDefaultTimeoutMs, "the unticked entry in the file");
  EXPECT_TRUE(IsItemChecked(list, 0));
  EXPECT_TRUE(IsItemChecked(list, 2));
}

TEST_F(StoreTest, AStoreThatCannotBeWrittenIsReportedAndNothingIsLost) {
  run.Start();
  run.SaveEntry(L"Kept", L"C:\\kept.mp3");
  const std::string before = run.CueIniBytes();
  {
    // Held open without sharing, as an editor or a backup tool might.
    const HANDLE file = CreateFileW(run.CueIni().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    unique_handle lock(file);
    SetText(run[ids::kNameBox], L"Blocked");
    SetText(run[ids::kCommandBox], L"C:\\blocked.mp3");
    ClickAsync(run[ids::kSaveButton]);
    const HWND box = FindMessageBox(run.app().ProcessId(), L"Cuelark", kDefaultTimeoutMs);
    ASSERT_NE(box, nullptr);
    EXPECT_NE(MessageBoxText(box).find(run.CueIni().filename().wstring()), std::wstring::npos);
    PressDialogButton(box, IDOK);
    WaitUntilGone(box, kDefaultTimeoutMs);
  }
  EXPECT_EQ(run.CueIniBytes(), before);
  EXPECT_EQ(ItemCount(run[ids::kSavedList]), 2);

  run.SaveEntry(L"After", L"C:\\after.mp3");
  EXPECT_EQ(run.IniValue(run.CueIni(), L"Total Count", L"count"), L"3");
  EXPECT_EQ(run.IniValue(run.CueIni(), L"Saved Commands", L"name2"), L"Blocked");
}

TEST_F(StoreTest, TextTheCodePageCannotHoldIsRefusedAtSave) {
  run.Start();
  SetText(run[ids::kNameBox], L"\u65e5\u672c\u8a9e news");
  SetText(run[ids::kCommandBox], L"C:\\news.mp3");
  ClickAsync(run[ids::kSaveButton]);
  const HWND box = FindMessageBox(run.app().ProcessId(), L"Save", kDefaultTimeoutMs);
  ASSERT_NE(box, nullptr);
  PressDialogButton(box, IDOK);
  WaitUntilGone(box, kDefaultTimeoutMs);
  EXPECT_EQ(ItemCount(run[ids::kSavedList]), 0);
  EXPECT_FALSE(std::filesystem::exists(run.CueIni()));
}

TEST_F(StoreTest, AMalformedStoreLoadsWhatCanBeRead) {
  const std::string longCommand(5000, 'x');
  WriteFileText(run.CueIni(), "[Saved Commands]\r\n"
                              "name1=Good\r\ncommand1=" + longCommand + "\r\nstartDate1=EVERY DAY\r\n"
                              "startTime1=01:00:00\r\nisChecked1=maybe\r\nremWhenDone1=junk\r\n"
                              "name2=No command\r\nstartDate2=\x01\x02\xff\r\n"
                              "[Total Count]\r\ncount=99999\r\n");
  run.Start();
  const HWND list = run[ids::kSavedList];
  ASSERT_EQ(ItemCount(list), 2);
  EXPECT_EQ(ItemText(list, 0, 1).size(), longCommand.size());
  EXPECT_FALSE(IsItemChecked(list, 0));
  EXPECT_EQ(ItemText(list, 1, 1), L"[ Not Found ]");
}

// Kills the program at random moments while it rewrites its store: the file
// left behind is always one the program wrote whole, never a torn one.
TEST_F(StoreTest, AKilledProgramLeavesAStoreItWroteWhole) {
  // The states a run without interruption goes through.
  run.Start();
  std::vector<std::string> states{""};
  for (int i = 1; i <= 6; ++i) {
    run.SaveEntry(L"Entry " + std::to_wstring(i), L"C:\\music\\" + std::to_wstring(i) + L".mp3");
    states.push_back(run.CueIniBytes());
  }
  run.SelectTab(1);
  run.RemoveRow(0, IDOK);
  const std::string afterRemoval = run.CueIniBytes();
  run.app().Kill();

  std::mt19937 random(GetTickCount());
  for (int round = 0; round < 12; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    const bool removal = round % 3 == 2;
    const int from = removal ? 6 : static_cast<int>(random() % 6);
    WriteFileText(run.CueIni(), states[from]);
    run.Start();
    const DWORD delayMs = random() % 15;
    std::string expectedAfter;
    if (removal) {
      run.SelectTab(1);
      SelectItem(run[ids::kSavedList], 0);
      ClickAsync(run[ids::kRemoveButton]);
      const HWND box = FindMessageBox(run.app().ProcessId(), L"Remove from list", kDefaultTimeoutMs);
      ASSERT_NE(box, nullptr);
      ClickAsync(GetDlgItem(box, IDOK));
      expectedAfter = afterRemoval;
    } else {
      SetText(run[ids::kNameBox], L"Entry " + std::to_wstring(from + 1));
      SetText(run[ids::kCommandBox], L"C:\\music\\" + std::to_wstring(from + 1) + L".mp3");
      SetChecked(run[ids::kRemoveWhenDoneBox], false);
      ClickAsync(run[ids::kSaveButton]);
      expectedAfter = states[from + 1];
    }
    // The random moment of the crash, not a wait for anything.
    Sleep(delayMs);
    run.app().Kill();
    const std::string left = run.CueIniBytes();
    EXPECT_TRUE(left == states[from] || left == expectedAfter) << "torn store:\n" << left;
  }
}

}  // namespace
}  // namespace cuelark::test
