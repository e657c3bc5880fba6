// Where the main window stood at the last shut-down, in the twips the store
// keeps, and how it comes back on the screens there are now.
#pragma once

#include <windows.h>

#include <optional>

#include "scheduler/core/WindowPosition.h"

namespace cuelark {

// Moves the window to the saved position, kept whole on the nearest monitor;
// no saved position leaves it where it is.
void MoveToSavedPosition(HWND window, UINT dpi, const std::optional<TwipsPosition>& saved);
// Where the window is, also while it is minimised; nothing when the system
// cannot say.
std::optional<TwipsPosition> PositionToSave(HWND window, UINT dpi);

}  // namespace cuelark
