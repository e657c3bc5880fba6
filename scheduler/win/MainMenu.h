// The main window's menu bar: File with "Select Winamp Executable", "History ...",
// "Options ..." and "Exit".
#pragma once

#include <windows.h>

namespace cuelark {

// Gives the window its menu bar, which the window then owns. False, with
// nothing left behind, when the bar cannot be built.
bool AttachMainMenu(HWND window);

}  // namespace cuelark
