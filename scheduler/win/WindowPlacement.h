// Where the main window stood at the last shut-down, in the twips texts the
// store keeps, and how it comes back on the screens there are now.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <utility>

namespace cuelark {

// Moves the window to the saved position, kept whole on the nearest monitor;
// texts that are missing or not numbers leave it where it is.
void MoveToSavedPosition(HWND window, UINT dpi, const std::optional<std::pair<std::wstring, std::wstring>>& saved);
// The window's "Left" and "Top" texts, also while it is minimised; nothing
// when the system cannot say where it is.
std::optional<std::pair<std::wstring, std::wstring>> PositionToSave(HWND window, UINT dpi);

}  // namespace cuelark
