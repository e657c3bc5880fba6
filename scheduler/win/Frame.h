// The frames that hold each tab's controls: an etched border around a plain
// child window whose controls' notifications go to the window that owns the
// frame, so that each tab's handlers live in one class.
#pragma once

#include <windows.h>

#include <span>

#include "scheduler/win/BaseWindow.h"

namespace cuelark {

enum class FontKind { kWindow, kFrame };

struct FrameControl {
  FontKind font;
  ControlPlacement control;
};

struct TabFonts {
  HFONT window;
  HFONT frame;
};

// Creates the frame, hidden, at its designed place, with its controls in the
// order given (which is their tab order). Null when any part fails.
HWND CreateFrame(HWND parent, HINSTANCE instance, int id, UINT dpi, const TabFonts& fonts,
                 std::span<const FrameControl> controls);

}  // namespace cuelark
