// The driver against its own test window program: each call must reach the
// other process and, where a user's action would, run the program's handler.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdio>

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

std::string Stamp(const SYSTEMTIME& time) {
  char text[32];
  std::snprintf(text, sizeof(text), "%04u-%02u-%02u %02u:%02u:%02u", time.wYear, time.wMonth, time.wDay, time.wHour,
                time.wMinute, time.wSecond);
  return text;
}

std::string Day(const SYSTEMTIME& time) { return Stamp(time).substr(0, 10); }

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

TEST_F(DriverTest, LaunchFailsAtOnceWithTheReasonWhenNoWindowCanAppear) {
  EXPECT_TRUE(Contains(ErrorOf([&] { Launch(app::kExitAtOnce); }),
                       "exited with code " + std::to_string(app::kExitAtOnceCode)));
  EXPECT_TRUE(Contains(ErrorOf([&] { App::Launch(folder_ / L"missing.exe", folder_.Path()); }), "Starting"));
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

TEST_F(DriverTest, ControlsAreFoundInNestedPagesAndOtherTopLevelWindows) {
  App program = Launch();
  const HWND list = program.Control(app::kList);
  EXPECT_EQ(ClassName(list), WC_LISTVIEWW);
  EXPECT_EQ(GetParent(list), program.Control(app::kPage));
  EXPECT_TRUE(Contains(ErrorOf([&] { program.Control(4242); }), "4242"));
  EXPECT_TRUE(Contains(ErrorOf([&] { program.Window(app::kSecondClass, 100); }), "Timed out"));

  Click(program.Control(app::kOpenSecond));
  const HWND second = program.Window(app::kSecondClass);
  EXPECT_EQ(GetAncestor(program.Control(app::kSecondEdit), GA_ROOT), second);
  EXPECT_EQ(FindControl(second, app::kSecondEdit), program.Control(app::kSecondEdit));
}

TEST_F(DriverTest, TextSetOrTypedReachesTheProgramsHandlers) {
  App program = Launch();
  const HWND name = program.Control(app::kName);
  SetText(name, L"\u00c9vora 7");
  EXPECT_EQ(GetText(name), L"\u00c9vora 7");
  EXPECT_EQ(LastEvent(program), L"name: \u00c9vora 7");

  SetText(name, L"");
  TypeText(name, L"abc");
  EXPECT_EQ(GetText(name), L"abc");
  EXPECT_EQ(LastEvent(program), L"name: abc");
}

TEST_F(DriverTest, SetCheckedClicksOnlyWhenTheStateDiffers) {
  App program = Launch();
  const HWND check = program.Control(app::kCheck);
  const struct {
    bool wanted;
    const wchar_t* event;
  } steps[] = {{true, L"check 1 on"}, {true, L"check 1 on"}, {false, L"check 2 off"}, {false, L"check 2 off"}};
  for (const auto& step : steps) {
    SetChecked(check, step.wanted);
    EXPECT_EQ(IsChecked(check), step.wanted);
    EXPECT_EQ(LastEvent(program), step.event);
  }
}

TEST_F(DriverTest, StatesOfWindowsAreRead) {
  App program = Launch();
  EXPECT_FALSE(IsEnabled(program.Control(app::kDisabled)));
  EXPECT_TRUE(IsEnabled(program.Control(app::kShowBox)));
  EXPECT_TRUE(IsVisible(program.Control(app::kList)));
  EXPECT_TRUE(IsWindowShown(program.MainWindow()));
  EXPECT_FALSE(IsMinimized(program.MainWindow()));
}

TEST_F(DriverTest, SelectTabClicksTheTabSoTheProgramSeesTheChange) {
  App program = Launch();
  const HWND tabs = program.Control(app::kTabs);
  ASSERT_EQ(TabCount(tabs), 2);
  EXPECT_EQ(TabText(tabs, 1), app::kTabNames[1]);
  EXPECT_EQ(SelectedTab(tabs), 0);
  for (const int index : {1, 0}) {
    SelectTab(tabs, index);
    EXPECT_EQ(SelectedTab(tabs), index);
    EXPECT_EQ(LastEvent(program), L"tab " + std::to_wstring(index));
  }
  EXPECT_TRUE(Contains(ErrorOf([&] { SelectTab(tabs, 2); }), "out of range"));
}

TEST_F(DriverTest, ListViewRowsAndColumnsAreRead) {
  App program = Launch();
  const HWND list = program.Control(app::kList);
  EXPECT_TRUE(IsReportView(list));
  EXPECT_TRUE(HasCheckBoxes(list));
  ASSERT_EQ(ColumnCount(list), 2);
  EXPECT_EQ(ColumnText(list, 0), app::kColumns[0]);
  EXPECT_EQ(ColumnText(list, 1), app::kColumns[1]);
  EXPECT_EQ(ColumnWidth(list, 0), app::kNameColumnWidth);
  EXPECT_EQ(ColumnWidth(list, 1), app::kWhenColumnWidth);
  ASSERT_EQ(ItemCount(list), 3);
  for (int row = 0; row < 3; ++row) {
    EXPECT_EQ(ItemText(list, row, 0), app::kRows[row][0]);
    EXPECT_EQ(ItemText(list, row, 1), app::kRows[row][1]);
    EXPECT_EQ(IsItemChecked(list, row), row == app::kInitiallyCheckedRow);
  }
  EXPECT_EQ(SelectedItem(list), -1);
  EXPECT_TRUE(Contains(ErrorOf([&] { ItemText(list, 3); }), "Row 3 is out of range"));
  EXPECT_TRUE(Contains(ErrorOf([&] { ItemText(list, 0, 2); }), "Column 2 is out of range"));
}

TEST_F(DriverTest, ListViewTicksAndSelectionsReachTheProgram) {
  App program = Launch();
  const HWND list = program.Control(app::kList);
  SetItemChecked(list, 0, true);
  EXPECT_TRUE(IsItemChecked(list, 0));
  EXPECT_EQ(LastEvent(program), L"row 0 checked");
  SetItemChecked(list, app::kInitiallyCheckedRow, false);
  EXPECT_FALSE(IsItemChecked(list, app::kInitiallyCheckedRow));
  EXPECT_EQ(LastEvent(program), L"row 1 unchecked");

  for (const int row : {0, 2}) {
    SelectItem(list, row);
    EXPECT_EQ(SelectedItem(list), row);
    EXPECT_EQ(LastEvent(program), L"row " + std::to_wstring(row) + L" selected");
  }
}

TEST_F(DriverTest, PickerTimesAreReadAndWrittenAndTheRangeHolds) {
  App program = Launch();
  const HWND date = program.Control(app::kDate);
  const HWND time = program.Control(app::kTime);
  EXPECT_EQ(Stamp(GetPickerTime(date)), Stamp(app::kStartTime));
  const PickerRange range = GetPickerRange(date);
  ASSERT_TRUE(range.min && range.max);
  EXPECT_EQ(Day(*range.min), Day(app::kDateMin));
  EXPECT_EQ(Day(*range.max), Day(app::kDateMax));

  const SYSTEMTIME inRange{2026, 12, 0, 6, 10, 11, 12, 0};
  const SYSTEMTIME beforeRange{1999, 12, 5, 31, 10, 11, 12, 0};
  const SYSTEMTIME evening{2024, 2, 4, 29, 23, 59, 58, 0};
  const struct {
    HWND picker;
    SYSTEMTIME set;
    SYSTEMTIME expected;
  } cases[] = {{date, inRange, inRange}, {date, beforeRange, inRange}, {time, evening, evening}};
  for (const auto& step : cases) {
    SetPickerTime(step.picker, step.set);
    EXPECT_EQ(Stamp(GetPickerTime(step.picker)), Stamp(step.expected)) << "after setting " << Stamp(step.set);
  }
}

TEST_F(DriverTest, StatusBarPanelsAreRead) {
  App program = Launch();
  const HWND status = program.Control(app::kStatus);
  ASSERT_EQ(PanelCount(status), 2);
  EXPECT_EQ(PanelRightEdges(status), (std::vector<int>{app::kFirstPanelEdge, -1}));
  EXPECT_EQ(PanelText(status, 0), L"Ready");
  // The program wrote the DPI it sees for itself.
  EXPECT_EQ(PanelText(status, 1), L"dpi " + std::to_wstring(WindowDpi(program.MainWindow())));
  EXPECT_TRUE(Contains(ErrorOf([&] { PanelText(status, 2); }), "out of range"));
}

TEST_F(DriverTest, GeometryAndStylesAreWhatTheProgramCreated) {
  App program = Launch();
  const RECT button = RectInParent(program.Control(app::kShowBox));
  EXPECT_EQ(button.left, app::kButtonLeft);
  EXPECT_EQ(button.top, app::kButtonTop);
  EXPECT_EQ(button.right, app::kButtonLeft + app::kButtonWidth);
  EXPECT_EQ(button.bottom, app::kButtonTop + app::kButtonHeight);
  // The list view fills its page, so its rectangle is relative to the page.
  const RECT list = RectInParent(program.Control(app::kList));
  EXPECT_EQ(list.left, 0);
  EXPECT_EQ(list.top, 0);

  const SIZE client = ClientSize(program.MainWindow());
  EXPECT_EQ(client.cx, app::kClientWidth);
  EXPECT_EQ(client.cy, app::kClientHeight);
  EXPECT_TRUE(StyleOf(program.Control(app::kShowBox)) & WS_CHILD);
  EXPECT_TRUE(StyleOf(program.Control(app::kDisabled)) & WS_DISABLED);
  EXPECT_FALSE(StyleOf(program.Control(app::kShowBox)) & WS_DISABLED);
  EXPECT_TRUE(ExStyleOf(program.MainWindow()) & WS_EX_WINDOWEDGE);
}

TEST_F(DriverTest, MessageBoxIsFoundReadAndAnswered) {
  App program = Launch();
  ClickAsync(program.Control(app::kShowBox));
  const HWND box = FindMessageBox(program.ProcessId(), app::kBoxTitle, kDefaultTimeoutMs);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(FindMessageBox(program.ProcessId(), L"Another title", 50), nullptr);
  EXPECT_EQ(MessageBoxText(box), app::kBoxText);
  PressDialogButton(box, IDCANCEL);
  WaitUntilGone(box, kDefaultTimeoutMs);
  WaitForEvent(program, L"box " + std::to_wstring(IDCANCEL));
}

TEST_F(DriverTest, FileDialogIsCancelledOrGivenAName) {
  App program = Launch();
  const std::filesystem::path file = folder_ / L"pick me.txt";
  WriteFileText(file, "x");
  const struct {
    bool choose;
    std::wstring event;
  } cases[] = {{false, L"file cancelled"}, {true, L"file " + file.wstring()}};
  for (const auto& step : cases) {
    ClickAsync(program.Control(app::kBrowse));
    const HWND dialog = FindFileDialog(program.ProcessId(), kDefaultTimeoutMs);
    ASSERT_NE(dialog, nullptr);
    if (step.choose) {
      FileDialogSetName(dialog, file);
      FileDialogOk(dialog);
    } else {
      FileDialogCancel(dialog);
    }
    WaitUntilGone(dialog, kDefaultTimeoutMs);
    WaitForEvent(program, step.event);
  }
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
