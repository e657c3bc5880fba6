// The driver against its own test window program, for what the end-to-end
// tests could not notice themselves: a process left behind, a call that
// returns before the program handled it, a box taken for another one.
#include <gtest/gtest.h>

#include <windows.h>

#include "tools/driver/Driver.h"
#include "tools/driver/testapp/TestAppIds.h"

namespace cuelark::test {
namespace {

namespace app = testapp;

// The message of the DriverError the action throws, or "" if it throws none.
std::string ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const DriverError& error) {
    return error.what();
  }
  return {};
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class DriverTest : public testing::Test {
 protected:
  App Launch(std::wstring_view arguments = {}, const Environment& environment = {}) {
    return App::Launch(ProgramFolder() / L"driver_testapp.exe", folder_.Path(), arguments, environment, app::kMainClass);
  }
  static std::wstring LastEvent(const App& program) { return GetText(program.Control(app::kEvent)); }
  static void WaitForEvent(const App& program, const std::wstring& event) {
    WaitUntil([&] { return LastEvent(program) == event; }, kDefaultTimeoutMs, "the program to report an event");
  }

  TempFolder folder_;
};

TEST_F(DriverTest, LaunchPassesArgumentsFolderAndEnvironmentAndCloseReturnsTheExitCode) {
  App program = Launch(L"alpha \"b c\"", {{app::kExitCodeVariable, L"7"}});
  EXPECT_EQ(GetText(program.Control(app::kStartup)), L"args=alpha \"b c\"|folder=" + folder_.Path().wstring());
  EXPECT_EQ(ClassName(program.MainWindow()), app::kMainClass);
  DWORD owner = 0;
  GetWindowThreadProcessId(program.MainWindow(), &owner);
  EXPECT_EQ(owner, program.ProcessId());
  EXPECT_TRUE(program.IsRunning());
  EXPECT_TRUE(Contains(ErrorOf([&] { program.ExitCode(); }), "still running"));

  program.Close();
  EXPECT_FALSE(program.IsRunning());
  EXPECT_EQ(program.ExitCode(), 7u);
}

TEST_F(DriverTest, AProgramThatRefusesToCloseIsEndedWhenItsAppGoes) {
  unique_handle watcher;
  {
    App program = Launch(app::kIgnoreClose);
    watcher.reset(OpenProcess(SYNCHRONIZE, FALSE, program.ProcessId()));
    ASSERT_TRUE(watcher);
    EXPECT_TRUE(Contains(ErrorOf([&] { program.Close(200); }), "did not exit"));
    EXPECT_TRUE(program.IsRunning());
  }
  EXPECT_EQ(WaitForSingleObject(watcher.get(), 0), WAIT_OBJECT_0);
}

TEST_F(DriverTest, MovedAndAttachedAppsShareOneProcessSafely) {
  App first = Launch();
  App owner = std::move(first);
  EXPECT_TRUE(Contains(ErrorOf([&] { first.ProcessId(); }), "moved from"));

  App attached = App::Attach(owner.ProcessId(), app::kMainClass);
  EXPECT_EQ(attached.MainWindow(), owner.MainWindow());
  attached.Kill();
  EXPECT_TRUE(owner.WaitForExit(kDefaultTimeoutMs));
  EXPECT_EQ(owner.ExitCode(), 1u);
}

TEST_F(DriverTest, AMessageBoxIsFoundByItsTitleReadAndAnswered) {
  App program = Launch();
  ClickAsync(program.Control(app::kShowBox));
  ASSERT_NE(FindMessageBox(program.ProcessId(), app::kBoxTitle, kDefaultTimeoutMs), nullptr);
  EXPECT_EQ(FindMessageBox(program.ProcessId(), L"Another title", 50), nullptr);
  EXPECT_EQ(AnswerMessageBox(program.ProcessId(), app::kBoxTitle, IDCANCEL), app::kBoxText);
  WaitForEvent(program, L"box " + std::to_wstring(IDCANCEL));
}

// These return only after the program's handler ran. The effect is read
// with GetWindowTextW, which takes the text without sending a message: a
// sent WM_GETTEXT would queue behind the command and wait for it by itself.
TEST_F(DriverTest, MenuTrayAndMinimizeReturnAfterTheHandlerRan) {
  App program = Launch();
  const HWND main = program.MainWindow();
  const HWND event = program.Control(app::kEvent);
  auto eventNow = [event] {
    wchar_t text[64] = L"";
    GetWindowTextW(event, text, 64);
    return std::wstring(text);
  };
  SendMenuCommand(main, app::kMenuMark);
  EXPECT_EQ(eventNow(), L"menu mark");
  TrayClick(main, ids::kTrayMessage, app::kTrayUid);
  EXPECT_EQ(eventNow(), L"tray 1 " + std::to_wstring(WM_LBUTTONUP));
  Minimize(main);
  EXPECT_TRUE(IsMinimized(main));
  EXPECT_EQ(eventNow(), L"minimized");
  EXPECT_TRUE(IsVisible(main));
  EXPECT_FALSE(IsWindowShown(main));
}

}  // namespace
}  // namespace cuelark::test
