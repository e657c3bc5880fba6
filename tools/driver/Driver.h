// Drives a running Cuelark (or any Win32 program) from another process, the
// way a user would: through its windows and messages only. End-to-end tests
// use it; every failure throws DriverError with a message that says what was
// being attempted, so a failing test explains itself.
//
// Messages whose parameters point at memory (list view items, picker times,
// status bar text, tab rectangles) are answered through a buffer allocated in
// the target process, because a pointer into this process means nothing
// there.
#pragma once

#include <windows.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/win32/Handles.h"
#include "common/win32/Twips.h"
#include "scheduler/win/ControlIds.h"

namespace cuelark::test {

struct DriverError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

using win32::unique_handle;
using win32::TwipsToPixels;

// Long enough for a cold Wine start on a busy machine, short enough that a
// hung program fails the test instead of hanging it.
constexpr DWORD kDefaultTimeoutMs = 10000;

// Variables added to (or replacing) the driver's own environment.
using Environment = std::vector<std::pair<std::wstring, std::wstring>>;

// A launched program. Move-only; the destructor ends the program if it is
// still running (WM_CLOSE first, then TerminateProcess), so no test leaves a
// process behind even when it fails half-way.
class App {
 public:
  // Starts exe in folder and waits until the program is idle and shows a
  // top-level window of mainClass. arguments is the raw command-line tail.
  static App Launch(const std::filesystem::path& exe, const std::filesystem::path& folder,
                    std::wstring_view arguments = {}, const Environment& environment = {},
                    std::wstring_view mainClass = ids::kMainWindowClass);
  // Takes ownership of a process started by someone else (for example a
  // second instance, or a player the program started).
  static App Attach(DWORD processId, std::wstring_view mainClass = ids::kMainWindowClass);

  App(App&& other) noexcept = default;
  App& operator=(App&& other) noexcept;
  App(const App&) = delete;
  App& operator=(const App&) = delete;
  ~App();

  // The process's top-level window of the main class, shown or hidden (a
  // program in the notification area hides it).
  HWND MainWindow() const;
  // A visible top-level window of the process with this class; waits for it.
  HWND Window(std::wstring_view className, DWORD timeoutMs = kDefaultTimeoutMs) const;
  // A control with this id in the main window, else in any other top-level
  // window of the process; throws if there is none.
  HWND Control(int id) const;

  DWORD ProcessId() const;
  HANDLE Process() const;
  bool IsRunning() const;
  bool WaitForExit(DWORD timeoutMs);
  // Throws while the program is still running.
  DWORD ExitCode() const;
  // Asks the main window to close and throws unless the program then exits.
  void Close(DWORD timeoutMs = kDefaultTimeoutMs);
  void Kill();

 private:
  App(unique_handle process, DWORD processId, std::wstring mainClass);
  HANDLE Handle() const;
  void End() noexcept;

  unique_handle process_;
  DWORD processId_ = 0;
  std::wstring mainClass_;
};

// Windows of a process, in z-order; an empty class name matches any class.
std::vector<HWND> TopLevelWindows(DWORD processId, std::wstring_view className = {});
// Searches all descendants of parent; throws if no control has this id.
HWND FindControl(HWND parent, int id);

// Text and buttons.
std::wstring GetText(HWND window);
// The target sees WM_SETTEXT, so an edit control notifies EN_CHANGE.
void SetText(HWND window, std::wstring_view text);
// One WM_CHAR per UTF-16 unit, for handlers that react to keystrokes.
void TypeText(HWND window, std::wstring_view text);
// Returns once the program has handled the click. A click that opens a modal
// window would never return: use ClickAsync for those.
void Click(HWND button);
void ClickAsync(HWND button);
bool IsChecked(HWND button);
// Clicks only when the state differs, so the program's handler runs as it
// would for a user.
void SetChecked(HWND button, bool checked);
bool IsEnabled(HWND window);
// Visible on screen: the window and all its ancestors have WS_VISIBLE.
bool IsVisible(HWND window);
// Shown to the user: visible and not minimized.
bool IsWindowShown(HWND window);
bool IsMinimized(HWND window);
// Returns once the program has handled the command (see SendMenuCommand).
void Minimize(HWND window);

// Tab control.
int TabCount(HWND tabs);
std::wstring TabText(HWND tabs, int index);
int SelectedTab(HWND tabs);
// Clicks the tab, so the program gets TCN_SELCHANGING and TCN_SELCHANGE.
void SelectTab(HWND tabs, int index);

// List view.
int ItemCount(HWND list);
std::wstring ItemText(HWND list, int row, int subItem = 0);
bool IsItemChecked(HWND list, int row);
// Clicks the row's check box, as a user does, and waits for the tick; a
// list that keeps its items itself (owner data) takes no state from outside.
void SetItemChecked(HWND list, int row, bool checked);
// Ticks a row as automation and accessibility tools do, with the standard
// state message (ListView_SetCheckState from another process), whoever
// keeps the list's states.
void SetCheckState(HWND list, int row, bool checked);
// Selects and focuses one row and clears the selection of the others.
void SelectItem(HWND list, int row);
// The first selected row, or -1.
int SelectedItem(HWND list);
int ColumnCount(HWND list);
std::wstring ColumnText(HWND list, int column);
int ColumnWidth(HWND list, int column);
bool HasCheckBoxes(HWND list);
bool IsReportView(HWND list);

// Date and time pickers. Setting does not notify the program; a value
// outside the picker's range is silently refused, so read it back.
SYSTEMTIME GetPickerTime(HWND picker);
void SetPickerTime(HWND picker, const SYSTEMTIME& time);
struct PickerRange {
  std::optional<SYSTEMTIME> min;
  std::optional<SYSTEMTIME> max;
};
PickerRange GetPickerRange(HWND picker);

// Status bar.
int PanelCount(HWND statusBar);
std::wstring PanelText(HWND statusBar, int index);
// Right edge of each part in client coordinates; -1 means "to the end".
std::vector<int> PanelRightEdges(HWND statusBar);

// Geometry and appearance.
RECT RectInParent(HWND window);
SIZE ClientSize(HWND window);
int WindowDpi(HWND window);
DWORD StyleOf(HWND window);
DWORD ExStyleOf(HWND window);
std::wstring ClassName(HWND window);
// Fonts cannot be checked from outside: under Wine, WM_GETFONT sent from
// another process answers nothing, whatever font the control has.

// Message boxes and other dialogs.
// A visible message box (or any "#32770" dialog) of the process with this
// title; null when none appears in time.
HWND FindMessageBox(DWORD processId, std::wstring_view title, DWORD timeoutMs);
std::wstring MessageBoxText(HWND box);
// Clicks the dialog's button with this id (IDOK, IDCANCEL, IDYES...).
void PressDialogButton(HWND dialog, int buttonId);
// Throws if the window still exists after timeoutMs.
void WaitUntilGone(HWND window, DWORD timeoutMs);
// Waits for the message box of this title, presses its button and waits
// until it has gone; returns its text. Throws when no such box appears.
std::wstring AnswerMessageBox(DWORD processId, std::wstring_view title, int buttonId = IDOK,
                              DWORD timeoutMs = kDefaultTimeoutMs);

// Common file dialog (GetOpenFileNameW); null when none appears in time.
HWND FindFileDialog(DWORD processId, DWORD timeoutMs);
void FileDialogSetName(HWND dialog, const std::filesystem::path& file);
void FileDialogOk(HWND dialog);
void FileDialogCancel(HWND dialog);

// Menu commands and the tray callback arrive as a user's would; both return
// once the program has handled them or has opened a modal window.
void SendMenuCommand(HWND window, int commandId);
void TrayClick(HWND mainWindow, unsigned callbackMessage, unsigned trayUid);
// The tips of the icons in the notification area of Wine's desktop, which
// keeps one tool tip for each icon (Shell_NotifyIcon has no way to read a
// tip back).
std::vector<std::wstring> TrayTips();
// Posts a key press to window as the keyboard would, so it passes through
// the program's message loop and its dialog keys (Esc, Tab); returns
// without waiting for the program to handle it.
void PressKey(HWND window, UINT virtualKey);

// Polls condition until it holds; throws with what on timeout.
void WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs, std::string_view what);

// Files.
// A new folder under %TEMP%, removed with all its content at the end.
class TempFolder {
 public:
  TempFolder();
  TempFolder(TempFolder&&) = delete;
  ~TempFolder();
  const std::filesystem::path& Path() const { return path_; }
  std::filesystem::path operator/(const std::filesystem::path& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};
// The running program's folder, where the build puts the programs under test
// beside the test programs.
std::filesystem::path ProgramFolder();
// Copies file into folder under the same name; returns the new path.
std::filesystem::path CopyFileTo(const std::filesystem::path& file, const std::filesystem::path& folder);
// The file's bytes, unchanged (INI files are ANSI).
std::string ReadFileText(const std::filesystem::path& file);
void WriteFileText(const std::filesystem::path& file, std::string_view bytes);

}  // namespace cuelark::test
