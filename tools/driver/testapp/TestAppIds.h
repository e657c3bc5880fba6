// What the driver's test window program shows, shared with the tests that
// drive it so both sides name the same controls, texts and places.
#pragma once

#include <windows.h>

namespace cuelark::test::testapp {

inline constexpr wchar_t kMainClass[] = L"DriverTestMain";
inline constexpr wchar_t kSecondClass[] = L"DriverTestSecond";
inline constexpr wchar_t kBoxTitle[] = L"Test Box";
inline constexpr wchar_t kBoxText[] = L"Hello from the box";
// The exit code the program returns after a normal close.
inline constexpr wchar_t kExitCodeVariable[] = L"DRIVER_TESTAPP_EXIT_CODE";
// Arguments: exit before showing a window, or refuse WM_CLOSE.
inline constexpr wchar_t kExitAtOnce[] = L"--exit-at-once";
inline constexpr wchar_t kIgnoreClose[] = L"--ignore-close";
constexpr int kExitAtOnceCode = 3;

// Controls. The list view sits inside a child "page" window, as a frame's
// controls do in Cuelark.
constexpr int kTabs = 101;
constexpr int kPage = 102;
constexpr int kList = 103;
constexpr int kDate = 104;
constexpr int kTime = 105;
constexpr int kName = 106;
constexpr int kCheck = 107;
constexpr int kShowBox = 108;
constexpr int kBrowse = 109;
constexpr int kOpenSecond = 110;
constexpr int kDisabled = 111;
// The program describes the last thing it noticed here ("tab 1", "row 2
// checked"...), so tests can see that its handlers ran.
constexpr int kEvent = 112;
// "args=<command-line tail>|folder=<current folder>".
constexpr int kStartup = 113;
constexpr int kStatus = 114;
constexpr int kSecondEdit = 115;

inline constexpr const wchar_t* kTabNames[] = {L"Add", L"Saved"};
inline constexpr const wchar_t* kColumns[] = {L"Name", L"When"};
inline constexpr const wchar_t* kRows[][2] = {{L"alpha", L"Mon 08:00"}, {L"beta", L"Tue 12:30"}, {L"gamma", L"Sun 23:59"}};
constexpr int kInitiallyCheckedRow = 1;
// Both pickers start at this time; the date picker accepts 2000 to 2030.
inline constexpr SYSTEMTIME kStartTime{2024, 2, 4, 29, 8, 30, 0, 0};
inline constexpr SYSTEMTIME kDateMin{2000, 1, 6, 1, 0, 0, 0, 0};
inline constexpr SYSTEMTIME kDateMax{2030, 12, 2, 31, 0, 0, 0, 0};

constexpr int kMenuMark = 201;
constexpr int kMenuExit = 202;
constexpr unsigned kTrayUid = 1;

constexpr int kClientWidth = 640;
constexpr int kClientHeight = 480;
// The show-box button's rectangle in the main window's client area.
constexpr int kButtonLeft = 8;
constexpr int kButtonTop = 280;
constexpr int kButtonWidth = 100;
constexpr int kButtonHeight = 28;
constexpr int kFirstPanelEdge = 200;
constexpr int kNameColumnWidth = 120;
constexpr int kWhenColumnWidth = 90;

}  // namespace cuelark::test::testapp
