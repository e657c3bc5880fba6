// Control identifiers of Cuelark's windows. The program and the test driver
// both use these, so a test finds a control the way the program names it.
#pragma once

namespace cuelark::ids {

// Form1, the main window.
constexpr int kTabStrip1 = 1001;
constexpr int kFrmAdd = 1002;
constexpr int kFrmSav = 1003;
constexpr int kStatusBar = 1004;
// Inside frmAdd.
constexpr int kLabel1 = 1101;
constexpr int kCommand = 1102;
constexpr int kBtnBrowse = 1103;
constexpr int kLabel2 = 1104;
constexpr int kLabel3 = 1105;
constexpr int kLabel4 = 1106;
constexpr int kPresName = 1107;
constexpr int kStartDate = 1108;
constexpr int kStartTime = 1109;
constexpr int kCommWeek = 1110;
constexpr int kCommDay = 1111;
constexpr int kRemWhenDone = 1112;
constexpr int kBtnClear = 1113;
constexpr int kBtnSave = 1114;
// Inside frmSav.
constexpr int kLvFiles = 1201;
constexpr int kBtnExe = 1202;
constexpr int kBtnRem = 1203;
// Menu commands.
constexpr int kMnuSelWin = 1301;
constexpr int kMnuExit = 1302;

// Form2, the player executable dialog.
constexpr int kWinampExe = 2001;
constexpr int kForm2BtnBrowse = 2002;
constexpr int kBtnCancelSave = 2003;

// Window classes, so that tests and a second instance can find the windows.
inline constexpr wchar_t kForm1Class[] = L"CuelarkForm1";
inline constexpr wchar_t kForm2Class[] = L"CuelarkForm2";

// Private message the tray icon sends to Form1 (WM_APP + 1); its lParam is
// the mouse message, as the notification-area functions define it.
constexpr unsigned kTrayMessage = 0x8000 + 1;

}  // namespace cuelark::ids
