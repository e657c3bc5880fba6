// What the driver's test window program shows, shared with the tests that
// drive it so both sides name the same controls and texts.
#pragma once

#include <windows.h>

namespace cuelark::test::testapp {

inline constexpr wchar_t kMainClass[] = L"DriverTestMain";
inline constexpr wchar_t kBoxTitle[] = L"Test Box";
inline constexpr wchar_t kBoxText[] = L"Hello from the box";
// The exit code the program returns after a normal close.
inline constexpr wchar_t kExitCodeVariable[] = L"DRIVER_TESTAPP_EXIT_CODE";
// Argument: refuse WM_CLOSE.
inline constexpr wchar_t kIgnoreClose[] = L"--ignore-close";

constexpr int kShowBox = 108;
// The program describes the last thing it noticed here ("box 2", "menu
// mark"...), so tests can see that its handlers ran.
constexpr int kEvent = 112;
// "args=<command-line tail>|folder=<current folder>".
constexpr int kStartup = 113;

constexpr int kMenuMark = 201;
constexpr unsigned kTrayUid = 1;

}  // namespace cuelark::test::testapp
