// The saved commands as a user keeps them: saved, removed, reloaded, and
// never lost when the file cannot be written or the program dies.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>

#include "inicontrol/BrevoniClient.h"
#include "tests/win/ui/CuelarkRun.h"

namespace cuelark::test {
namespace {

// A store written by hand: entries "One", "Two", "Three" and a position.
const std::string kThreeEntries =
    StoreText(EntryText(1, "One", "C:\\one.mp3", "EVERY DAY", "01:00:00") +
                  EntryText(2, "Two", "C:\\two.mp3", "2090-01-02", "02:00:00", false, true) +
                  EntryText(3, "Three", "C:\\three.mp3", "MONDAY", "03:00:00", true, true),
              3) +
    "[Position]\r\nLeft=1500\r\nTop=1200\r\n";

class StoreTest : public ::testing::Test {
 protected:
  CuelarkRun run;
};

TEST_F(StoreTest, FirstSaveCreatesTheEntryAndItsCountAndRemovingItLeavesNone) {
  run.Start();
  run.SaveEntry(L"Morning", L"C:\\Music\\morning.mp3", true);
  const std::string entry = EntryText(1, "Morning", "C:\\Music\\morning.mp3", DateText(LocalTimeIn(0)), "00:00:00",
                                      true, true);
  EXPECT_EQ(run.CueIniBytes(), StoreText(entry, 1));
  EXPECT_TRUE(IsEnabled(run[ids::kRemoveButton]));
  EXPECT_TRUE(IsEnabled(run[ids::kExecuteButton]));
  EXPECT_EQ(SelectedTab(run[ids::kTabs]), 0);

  run.SelectTab(1);
  run.RemoveRow(0, IDOK);
  EXPECT_EQ(ItemCount(run[ids::kSavedList]), 0);
  EXPECT_FALSE(IsEnabled(run[ids::kRemoveButton]));
  EXPECT_FALSE(IsEnabled(run[ids::kExecuteButton]));
  EXPECT_EQ(run.CueIniBytes(), "");
}

TEST_F(StoreTest, LoadsEveryEntryAndItsPositionAndRemovesTheSelectedRowAfterACancel) {
  WriteFileText(run.CueIni(), kThreeEntries);
  run.Start();
  const HWND list = run[ids::kSavedList];
  ASSERT_EQ(ItemCount(list), 3);
  EXPECT_FALSE(IsItemChecked(list, 1));
  // Stored as "MONDAY" under the rig's week from Sunday: the entry fires on
  // Tuesdays, and the list says so.
  EXPECT_EQ(ItemText(list, 2, 2), L"TUESDAY");
  RECT window;
  ASSERT_TRUE(GetWindowRect(run.Main(), &window));
  const int dpi = WindowDpi(run.Main());
  EXPECT_NEAR(window.left, TwipsToPixels(1500, dpi), 1);
  EXPECT_NEAR(window.top, TwipsToPixels(1200, dpi), 1);

  run.SelectTab(1);
  run.RemoveRow(0, IDCANCEL);
  EXPECT_EQ(ItemCount(list), 3);
  EXPECT_EQ(run.CueIniBytes(), kThreeEntries);
  run.RemoveRow(1, IDOK);

  // The selected row's entry went, in the list and in the file.
  EXPECT_EQ(ItemCount(list), 2);
  EXPECT_EQ(ItemText(list, 1, 0), L"Three");
  EXPECT_EQ(run.IniValue(run.CueIni(), L"Saved Commands", L"name2"), L"Three");
}

TEST_F(StoreTest, RemoveWithNoRowSelectedAsksNothing) {
  WriteFileText(run.CueIni(), kThreeEntries);
  run.Start();
  run.SelectTab(1);
  Click(run[ids::kRemoveButton]);
  EXPECT_EQ(FindMessageBox(run.app().ProcessId(), L"Remove from list", 300), nullptr);
  EXPECT_EQ(ItemCount(run[ids::kSavedList]), 3);
}

TEST_F(StoreTest, ClosingWritesTheWindowsPositionInTwips) {
  run.Start();
  ASSERT_TRUE(SetWindowPos(run.Main(), nullptr, 210, 160, 0, 0, SWP_NOSIZE | SWP_NOZORDER));
  const int dpi = WindowDpi(run.Main());
  run.app().Close();

  const int left = std::stoi(*run.IniValue(run.CueIni(), L"Position", L"Left"));
  const int top = std::stoi(*run.IniValue(run.CueIni(), L"Position", L"Top"));
  EXPECT_NEAR(left, MulDiv(210, 1440, dpi), 15);
  EXPECT_NEAR(top, MulDiv(160, 1440, dpi), 15);
}

TEST_F(StoreTest, APositionOffEveryScreenBringsTheWindowUpWholeOnOne) {
  // How each text reads is the native tests' part; these prove the window uses it.
  const char* const kPositions[][2] = {{"1e20", "1e20"}, {"99999", "50"}};
  for (const auto& [left, top] : kPositions) {
    SCOPED_TRACE(std::string(left) + " " + top);
    WriteFileText(run.CueIni(), std::string("[Position]\r\nLeft=") + left + "\r\nTop=" + top + "\r\n");
    run.Start();
    RECT window{};
    ASSERT_TRUE(GetWindowRect(run.Main(), &window));
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    ASSERT_TRUE(GetMonitorInfoW(MonitorFromWindow(run.Main(), MONITOR_DEFAULTTONEAREST), &monitor));
    EXPECT_GE(window.left, monitor.rcWork.left);
    EXPECT_GE(window.top, monitor.rcWork.top);
    EXPECT_LE(window.right, monitor.rcWork.right);
    EXPECT_LE(window.bottom, monitor.rcWork.bottom);
    SendMenuCommand(run.Main(), ids::kExitCommand);
    ASSERT_TRUE(run.app().WaitForExit(kDefaultTimeoutMs));
    EXPECT_EQ(run.app().ExitCode(), 0u);
  }
}

// A click, the space bar and the standard state message of automation tools
// each tick a row as the user sees it and save it at once.
TEST_F(StoreTest, EveryWayOfTickingARowIsShownAndSavedAtOnceWithoutTouchingTheEditor) {
  WriteFileText(run.CueIni(), kThreeEntries);
  run.Start();
  SetText(run[ids::kNameBox], L"half typed");
  run.SelectTab(1);
  const HWND list = run[ids::kSavedList];
  const auto saved = [&](const wchar_t* key, const wchar_t* value) {
    WaitUntil([&] { return run.IniValue(run.CueIni(), L"Saved Commands", key) == value; }, kDefaultTimeoutMs,
              "the tick in the file");
  };
  SelectItem(list, 1);
  ASSERT_TRUE(PostMessageW(list, WM_KEYDOWN, VK_SPACE, 0));
  ASSERT_TRUE(PostMessageW(list, WM_KEYUP, VK_SPACE, 0));
  saved(L"isChecked2", L"True");
  EXPECT_TRUE(IsItemChecked(list, 1));
  SetItemChecked(list, 1, false);
  saved(L"isChecked2", L"False");
  for (const bool ticked : {false, true}) {
    SetCheckState(list, 0, ticked);
    saved(L"isChecked1", ticked ? L"True" : L"False");
    EXPECT_EQ(IsItemChecked(list, 0), ticked);
  }
  EXPECT_TRUE(IsItemChecked(list, 2));
  EXPECT_EQ(GetText(run[ids::kNameBox]), L"half typed");
}

// What every later action does is the controller's tests' part; this proves
// that the program's file access takes a file held open for what it is.
TEST_F(StoreTest, AStoreHeldOpenAtStartIsReportedAndNoneOfItsEntriesIsLost) {
  WriteFileText(run.CueIni(), kThreeEntries);
  {
    // Held open without sharing, as a backup tool or a virus scanner might.
    const HANDLE file = CreateFileW(run.CueIni().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    unique_handle lock(file);
    run.Start();
    EXPECT_NE(AnswerMessageBox(run.app().ProcessId(), L"Cuelark").find(run.CueIni().filename().wstring()),
              std::wstring::npos);
    SetText(run[ids::kNameBox], L"Typed");
    SetText(run[ids::kCommandBox], L"C:\\typed.mp3");
    ClickAsync(run[ids::kSaveButton]);
    EXPECT_NE(AnswerMessageBox(run.app().ProcessId(), L"Cuelark").find(run.CueIni().filename().wstring()),
              std::wstring::npos);
  }
  EXPECT_EQ(run.CueIniBytes(), kThreeEntries);
}

TEST_F(StoreTest, AKilledProgramLeavesAStoreItWroteWhole) {
  // A store large enough that its rewrite takes a while, so that kills
  // land inside it rather than before the click or after the write.
  constexpr int kEntries = 1500;
  std::string entries;
  for (int n = 1; n <= kEntries; ++n) {
    const std::string k = std::to_string(n);
    entries += EntryText(n, "Entry " + k, "C:\\music\\" + k + ".mp3", "EVERY DAY", "01:00:00");
  }
  const std::string before = StoreText(entries, kEntries);

  // One Save without interruption gives the state after, and how long it takes.
  WriteFileText(run.CueIni(), before);
  run.Start();
  const auto started = std::chrono::steady_clock::now();
  run.SaveEntry(L"Added", L"C:\\added.mp3");
  WaitUntil([&] { return run.CueIniBytes() != before; }, kDefaultTimeoutMs, "the Save to be written");
  const auto saveMs = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started);
  const std::string after = run.CueIniBytes();
  run.app().Kill();

  const char* fixed = std::getenv("CUELARK_KILL_SEED");
  const unsigned seed = fixed ? static_cast<unsigned>(std::strtoul(fixed, nullptr, 10)) : GetTickCount();
  std::printf("kill test: seed %u (CUELARK_KILL_SEED repeats it), one Save takes %lld ms\n", seed,
              static_cast<long long>(saveMs.count()));
  std::mt19937 random(seed);
  std::uniform_int_distribution<DWORD> moment(0, static_cast<DWORD>(saveMs.count()));
  // The Save is under way from the click on, so a kill that leaves the old
  // store landed inside its write; one that leaves the new store came after.
  int duringWrite = 0;
  constexpr int kRounds = 16;
  for (int round = 0; round < kRounds; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    WriteFileText(run.CueIni(), before);
    run.Start();
    SetText(run[ids::kNameBox], L"Added");
    SetText(run[ids::kCommandBox], L"C:\\added.mp3");
    SetChecked(run[ids::kRemoveWhenDoneBox], false);
    ClickAsync(run[ids::kSaveButton]);
    // The random moment of the crash, not a wait for anything.
    Sleep(moment(random));
    run.app().Kill();
    const std::string left = run.CueIniBytes();
    EXPECT_TRUE(left == before || left == after) << "torn store of " << left.size() << " bytes";
    if (left == before) ++duringWrite;
  }
  std::printf("kill test: %d of %d kills landed during a store write\n", duringWrite, kRounds);
  EXPECT_GE(duringWrite, kRounds / 4) << "too few kills landed inside a write for the test to mean anything";
}

// cue.ini is there to be edited by other programs too: a text editor, or a
// script through the INI control. Their entries must survive Cuelark's
// next write, and the list must show them.
TEST_F(StoreTest, AnotherProgramsChangesAreReadAgainAndNeverWrittenOver) {
  const std::string mine = EntryText(1, "Mine", "C:\\mine.mp3", "EVERY DAY", "01:00:00");
  WriteFileText(run.CueIni(), StoreText(mine, 1));
  run.Start();
  const HWND list = run[ids::kSavedList];
  const std::wstring kReadAgain = L"cue.ini was changed by another program and has been read again";

  // An editor rewrites the file while Cuelark is idle.
  WriteFileText(run.CueIni(), StoreText(mine + EntryText(2, "Theirs", "C:\\theirs.mp3", "EVERY DAY", "02:00:00"), 2));
  WaitUntil([&] { return ItemCount(list) == 2; }, 5000, "the edited file to be read again");
  EXPECT_EQ(ItemText(list, 1), L"Theirs");
  EXPECT_EQ(AnswerMessageBox(run.app().ProcessId(), L"Cuelark"), kReadAgain);

  // A script adds an entry through the control, and the user saves at once.
  ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
  {
    Microsoft::WRL::ComPtr<IDispatch> control;
    ASSERT_TRUE(SUCCEEDED(brevoni::client::CreateFromFile(brevoni::client::BuiltControlPath(), control)));
    const std::wstring file = run.CueIni().wstring();
    ASSERT_TRUE(SUCCEEDED(brevoni::client::Call(control.Get(), brevoni::kDispIdBeginUpdate, {file})));
    for (const auto& [key, value] : {std::pair{L"name3", L"Scripted"}, {L"command3", L"C:\\scripted.mp3"},
                                     {L"startDate3", L"EVERY DAY"}, {L"startTime3", L"03:00:00"},
                                     {L"isChecked3", L"True"}, {L"remWhenDone3", L"0"}})
      ASSERT_TRUE(SUCCEEDED(brevoni::client::WriteINI(control.Get(), L"Saved Commands", key, value, file)));
    ASSERT_TRUE(SUCCEEDED(brevoni::client::WriteINI(control.Get(), L"Total Count", L"count", L"3", file)));
    ASSERT_TRUE(SUCCEEDED(brevoni::client::Call(control.Get(), brevoni::kDispIdCommitUpdate, {})));
  }
  CoUninitialize();
  run.SaveEntry(L"New", L"C:\\new.mp3");
  WaitUntil([&] { return ItemCount(list) == 4; }, 5000, "the list to hold every entry");
  const std::vector<std::wstring> kNames = {L"Mine", L"Theirs", L"Scripted", L"New"};
  for (int n = 1; n <= 4; ++n) {
    EXPECT_EQ(ItemText(list, n - 1), kNames[n - 1]);
    EXPECT_EQ(run.IniValue(run.CueIni(), L"Saved Commands", (L"name" + std::to_wstring(n)).c_str()),
              kNames[n - 1]);
  }
  EXPECT_EQ(AnswerMessageBox(run.app().ProcessId(), L"Cuelark"), kReadAgain);
}

}  // namespace
}  // namespace cuelark::test
