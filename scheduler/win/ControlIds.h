// Control identifiers of Cuelark's windows. The program and the test driver
// both use these, so a test finds a control the way the program names it.
#pragma once

namespace cuelark::ids {

// The main window.
constexpr int kTabs = 1001;
constexpr int kEditorFrame = 1002;
constexpr int kSavedFrame = 1003;
constexpr int kStatusBar = 1004;
// The editor tab, "Add a Command".
constexpr int kCommandLabel = 1101;
constexpr int kCommandBox = 1102;
constexpr int kBrowseButton = 1103;
constexpr int kNameLabel = 1104;
constexpr int kDateLabel = 1105;
constexpr int kTimeLabel = 1106;
constexpr int kNameBox = 1107;
constexpr int kDatePicker = 1108;
constexpr int kTimePicker = 1109;
constexpr int kWeeklyBox = 1110;
constexpr int kEveryDayBox = 1111;
constexpr int kRemoveWhenDoneBox = 1112;
constexpr int kClearButton = 1113;
constexpr int kSaveButton = 1114;
// The saved commands tab.
constexpr int kSavedList = 1201;
constexpr int kExecuteButton = 1202;
constexpr int kRemoveButton = 1203;
// Menu commands.
constexpr int kSelectPlayerCommand = 1301;
constexpr int kExitCommand = 1302;
constexpr int kHistoryCommand = 1303;
constexpr int kOptionsCommand = 1304;

// The player dialog, "Select Winamp Executable ...".
constexpr int kPlayerPathBox = 2001;
constexpr int kPlayerBrowseButton = 2002;
constexpr int kCancelSaveButton = 2003;

// The options dialog, "Options".
constexpr int kStartAtLogOnBox = 2101;
constexpr int kWakeForFiringsBox = 2102;
constexpr int kCheckAheadBox = 2103;
constexpr int kFallbackLabel = 2104;
constexpr int kFallbackBox = 2105;
constexpr int kFallbackBrowseButton = 2106;
constexpr int kOptionsNote = 2107;
constexpr int kOptionsSaveButton = 2108;
constexpr int kOptionsCancelButton = 2109;

// The history window.
constexpr int kHistoryNextLine = 3001;
constexpr int kHistoryList = 3002;
constexpr int kHistoryProblemLine = 3003;

// Window classes, so that tests and a second instance can find the windows.
inline constexpr wchar_t kMainWindowClass[] = L"CuelarkMainWindow";
inline constexpr wchar_t kPlayerDialogClass[] = L"CuelarkPlayerDialog";
inline constexpr wchar_t kHistoryWindowClass[] = L"CuelarkHistory";
inline constexpr wchar_t kOptionsDialogClass[] = L"CuelarkOptions";

// Private message the tray icon sends to the main window (WM_APP + 1); its
// lParam is the mouse message, as the notification-area functions define it.
constexpr unsigned kTrayMessage = 0x8000 + 1;
// Posted by the wake timer's signal, and when background checks have results.
constexpr unsigned kWakeTimerMessage = 0x8000 + 2;
constexpr unsigned kInputCheckedMessage = 0x8000 + 3;

}  // namespace cuelark::ids
