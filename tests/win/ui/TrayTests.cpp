// The window in the tray and back, the player executable dialog, and one
// scheduler per folder. (Entries firing while the window is in the tray are
// among the clock's tests.)
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>

#include <algorithm>

#include "scheduler/core/InstanceLock.h"
#include "tests/win/ui/CuelarkRun.h"
#include "tools/player/StandInControl.h"

namespace cuelark::test {
namespace {

constexpr unsigned kTrayUid = 1;

class TrayTest : public ::testing::Test {
 protected:
  void Tray() { TrayClick(run.Main(), ids::kTrayMessage, kTrayUid); }
  HWND OpenDialog() {
    SendMenuCommand(run.Main(), ids::kSelectPlayerCommand);
    return run.app().Window(ids::kPlayerDialogClass);
  }
  // Browse in the player dialog and choose this file.
  void Choose(HWND dialog, const std::filesystem::path& exe) {
    ClickAsync(FindControl(dialog, ids::kPlayerBrowseButton));
    const HWND files = FindFileDialog(run.app().ProcessId(), kDefaultTimeoutMs);
    ASSERT_NE(files, nullptr);
    FileDialogSetName(files, exe);
    FileDialogOk(files);
    WaitUntilGone(files, kDefaultTimeoutMs);
    WaitUntil([&] { return GetText(FindControl(dialog, ids::kCancelSaveButton)) == L"Save"; }, kDefaultTimeoutMs,
              "the button to offer Save");
  }
  // Another start of the program from the same folder, not waited for.
  struct Started {
    DWORD processId;
    unique_handle process;
  };
  Started StartAnotherCopy() {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started{};
    std::wstring commandLine = L"\"" + (run.Folder() / "Cuelark.exe").wstring() + L"\"";
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, run.Folder().c_str(),
                        &startup, &started))
      throw DriverError("Cuelark.exe did not start");
    CloseHandle(started.hThread);
    return {started.dwProcessId, unique_handle(started.hProcess)};
  }
  // Another start that must show a box naming `why`, and end with a failure
  // and no window.
  void ExpectRefusedStart(const std::wstring& why) {
    const Started started = StartAnotherCopy();
    std::wstring text;
    try {
      text = AnswerMessageBox(started.processId, L"Cuelark");
    } catch (const DriverError&) {
      TerminateProcess(started.process.get(), 1);
      throw;
    }
    EXPECT_NE(text.find(why), std::wstring::npos) << text;
    ASSERT_EQ(WaitForSingleObject(started.process.get(), kDefaultTimeoutMs), WAIT_OBJECT_0);
    DWORD exitCode = 0;
    GetExitCodeProcess(started.process.get(), &exitCode);
    EXPECT_NE(exitCode, 0u);
    EXPECT_EQ(TopLevelWindows(started.processId, ids::kMainWindowClass).size(), 0u);
  }

  CuelarkRun run;
};

TEST_F(TrayTest, MinimisingHidesTheWindowAndTheTrayOrASecondStartBringsItBackUnchanged) {
  run.Start();
  run.SaveEntry(L"Kept", L"C:\\kept.mp3");
  SetText(run[ids::kNameBox], L"half typed");
  RECT before;
  ASSERT_TRUE(GetWindowRect(run.Main(), &before));

  Minimize(run.Main());
  WaitUntil([&] { return !IsWindowVisible(run.Main()); }, kDefaultTimeoutMs, "the window to hide");
  EXPECT_TRUE(IsMinimized(run.Main()));

  Tray();
  WaitUntil([&] { return IsWindowShown(run.Main()); }, kDefaultTimeoutMs, "the window to come back");
  RECT after;
  ASSERT_TRUE(GetWindowRect(run.Main(), &after));
  EXPECT_EQ(after.left, before.left);
  EXPECT_EQ(after.top, before.top);
  EXPECT_EQ(GetText(run[ids::kNameBox]), L"half typed");
  EXPECT_EQ(ItemCount(run[ids::kSavedList]), 1);

  // While shown, the tray changes nothing.
  Tray();
  EXPECT_TRUE(IsWindowShown(run.Main()));
  ASSERT_TRUE(GetWindowRect(run.Main(), &after));
  EXPECT_EQ(after.left, before.left);

  // A second start from the same folder brings it back as well, and ends.
  Minimize(run.Main());
  WaitUntil([&] { return !IsWindowVisible(run.Main()); }, kDefaultTimeoutMs, "the window to hide again");
  const Started second = StartAnotherCopy();
  ASSERT_EQ(WaitForSingleObject(second.process.get(), kDefaultTimeoutMs), WAIT_OBJECT_0);
  DWORD exitCode = 1;
  GetExitCodeProcess(second.process.get(), &exitCode);
  EXPECT_EQ(exitCode, 0u);
  WaitUntil([&] { return IsWindowShown(run.Main()); }, kDefaultTimeoutMs, "the running window to show");
  EXPECT_EQ(TopLevelWindows(second.processId, ids::kMainWindowClass).size(), 0u);
}

TEST_F(TrayTest, TheIconComesBackWhenTheShellRestarts) {
  run.Start();
  NOTIFYICONDATAW icon{};
  icon.cbSize = sizeof(icon);
  icon.hWnd = run.Main();
  icon.uID = kTrayUid;
  // A modify finds only an icon the shell knows.
  const auto shown = [&] { return Shell_NotifyIconW(NIM_MODIFY, &icon) != FALSE; };
  ASSERT_TRUE(shown());
  // A restarted shell has lost every icon, and says so to all windows.
  ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &icon));
  ASSERT_FALSE(shown());
  ASSERT_TRUE(SendNotifyMessageW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0));
  WaitUntil(shown, kDefaultTimeoutMs, "the icon to be added again");
}

TEST_F(TrayTest, TheDialogWritesNothingUntilSaveThenStoresTheChosenPlayerAndItsPlaylist) {
  WriteFileText(run.WinampIni(), "[Winamp]\r\nExe=[ Not Found ]\r\n");
  run.Start();
  const std::string before = ReadFileText(run.WinampIni());
  const std::filesystem::path exe = run.Folder() / "Program Files" / "Player" / "winamp.exe";
  std::filesystem::create_directories(exe.parent_path());
  WriteFileText(exe, "MZ");

  HWND dialog = OpenDialog();
  EXPECT_FALSE(IsWindowVisible(run.Main()));
  EXPECT_EQ(GetText(dialog), L"Select Winamp Executable ...");
  EXPECT_EQ(GetText(FindControl(dialog, ids::kPlayerPathBox)), L"");
  EXPECT_EQ(GetText(FindControl(dialog, ids::kCancelSaveButton)), L"Cancel");
  // The tray does not bring the main window back while the dialog is open.
  Tray();
  EXPECT_FALSE(IsWindowVisible(run.Main()));
  // Typed text and Cancel, then a choice and the close box: nothing is written.
  SetText(FindControl(dialog, ids::kPlayerPathBox), L"C:\\typed\\winamp.exe");
  Click(FindControl(dialog, ids::kCancelSaveButton));
  WaitUntil([&] { return IsWindowShown(run.Main()); }, kDefaultTimeoutMs, "the main window after Cancel");
  dialog = OpenDialog();
  Choose(dialog, exe);
  SendMessageW(dialog, WM_CLOSE, 0, 0);
  WaitUntil([&] { return IsWindowShown(run.Main()); }, kDefaultTimeoutMs, "the main window after the close box");
  EXPECT_EQ(ReadFileText(run.WinampIni()), before);

  dialog = OpenDialog();
  Choose(dialog, exe);
  EXPECT_TRUE(std::filesystem::equivalent(GetText(FindControl(dialog, ids::kPlayerPathBox)), exe));
  Click(FindControl(dialog, ids::kCancelSaveButton));
  WaitUntil([&] { return IsWindowShown(run.Main()); }, kDefaultTimeoutMs, "the main window after the Save");
  const std::wstring storedExe = *run.IniValue(run.WinampIni(), L"Winamp", L"Exe");
  EXPECT_TRUE(std::filesystem::equivalent(storedExe, exe));
  const std::wstring storedPlaylist = *run.IniValue(run.WinampIni(), L"Winamp", L"Playlist");
  EXPECT_EQ(storedPlaylist, storedExe.substr(0, storedExe.size() - 3) + L"m3u");

  // The next opening shows what was stored.
  const HWND again = OpenDialog();
  EXPECT_EQ(GetText(FindControl(again, ids::kPlayerPathBox)), storedExe);
  SendMessageW(again, WM_CLOSE, 0, 0);
}

// A player installed under a folder name the ANSI code page cannot hold is
// shown, stored and started exactly, not as question marks.
TEST_F(TrayTest, APlayerPathOutsideTheCodePageIsShownStoredAndStartedExactly) {
  const std::filesystem::path folder = run.Folder() / L"\u041f\u043b\u0435\u0435\u0440 \u266b";
  std::filesystem::create_directories(folder);
  const std::filesystem::path exe = InstallStandIn(folder);
  // Off the search path: only the chosen path finds it.
  run.Start({{L"PATH", L"C:\\windows\\system32;C:\\windows"}});

  HWND dialog = OpenDialog();
  Choose(dialog, exe);
  EXPECT_EQ(GetText(FindControl(dialog, ids::kPlayerPathBox)), exe.wstring());
  Click(FindControl(dialog, ids::kCancelSaveButton));
  WaitUntil([&] { return IsWindowShown(run.Main()); }, kDefaultTimeoutMs, "the main window after the Save");
  EXPECT_EQ(ReadFileText(run.WinampIni()).substr(0, 3), "\xEF\xBB\xBF") << "UTF-8 once a path needs it";
  const HWND again = OpenDialog();
  EXPECT_EQ(GetText(FindControl(again, ids::kPlayerPathBox)), exe.wstring());
  SendMessageW(again, WM_CLOSE, 0, 0);
  WaitUntil([&] { return IsWindowShown(run.Main()); }, kDefaultTimeoutMs, "the main window after the close box");

  run.SaveEntry(L"Unicode player", L"C:\\song.mp3");
  run.SelectTab(1);
  SelectItem(run[ids::kSavedList], 0);
  ClickAsync(run[ids::kExecuteButton]);
  App player = AdoptStandIn(folder);
  WaitUntil(
      [&] {
        const std::vector<std::string> exchange = Exchange(StandInMessages(folder));
        return std::find(exchange.begin(), exchange.end(), "COPYDATA 100 C:\\song.mp3") != exchange.end();
      },
      kDefaultTimeoutMs, "the chosen player to be started and given the command");
}

TEST_F(TrayTest, ASaveThatCannotBeWrittenIsReportedAndTheDialogStays) {
  WriteFileText(run.WinampIni(), "[Winamp]\r\n");
  run.Start();
  const std::filesystem::path exe = run.Folder() / "winamp.exe";
  WriteFileText(exe, "MZ");
  const HWND dialog = OpenDialog();
  Choose(dialog, exe);
  {
    // Held open without sharing, as another program might.
    const HANDLE file = CreateFileW(run.WinampIni().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    unique_handle lock(file);
    ClickAsync(FindControl(dialog, ids::kCancelSaveButton));
    EXPECT_NE(AnswerMessageBox(run.app().ProcessId(), L"Select Winamp Executable ...").find(L"winamp.ini"),
              std::wstring::npos);
  }
  EXPECT_TRUE(IsWindowVisible(dialog));
  EXPECT_FALSE(IsWindowVisible(run.Main()));
  EXPECT_EQ(run.IniValue(run.WinampIni(), L"Winamp", L"Exe"), std::nullopt);

  Click(FindControl(dialog, ids::kCancelSaveButton));
  WaitUntil([&] { return IsWindowShown(run.Main()); }, kDefaultTimeoutMs, "the main window after the Save");
  EXPECT_TRUE(run.IniValue(run.WinampIni(), L"Winamp", L"Playlist").has_value());
}

TEST_F(TrayTest, WithoutItsIniControlTheProgramSaysSoAndEnds) {
  std::filesystem::remove(run.Folder() / "BrevoniControlX.dll");
  ExpectRefusedStart(L"BrevoniControlX.Brevoni");
  EXPECT_FALSE(std::filesystem::exists(run.CueIni()));
}

TEST_F(TrayTest, AStartThatCannotTakeTheFolderLockSaysSoAndEnds) {
  // An object of another kind under the lock's name makes the lock fail, as
  // a lock named after a folder too deep for an object name once did.
  const unique_handle squatter(
      CreateEventW(nullptr, TRUE, FALSE, InstanceLockName(run.Folder().wstring()).c_str()));
  ASSERT_TRUE(squatter);
  ExpectRefusedStart(L"Cuelark cannot start");
}

}  // namespace
}  // namespace cuelark::test
