// Where the main window comes back: the "Left"/"Top" texts saved at the last
// shut-down, read without trusting them, and a place fully on a screen.
#pragma once

#include <optional>
#include <string_view>

namespace cuelark {

// The window's top-left corner in twips, as "Left"/"Top" keep it: the same
// place at any DPI.
struct TwipsPosition {
  int left;
  int top;
  friend bool operator==(const TwipsPosition&, const TwipsPosition&) = default;
};

struct ScreenRect {
  int left, top, right, bottom;
  friend bool operator==(const ScreenRect&, const ScreenRect&) = default;
};

// The saved texts in twips. Nothing when "Left" is not a finite number; a
// "Top" that is not one reads as 0, as it always has. Values far off any
// screen are clamped so that later arithmetic cannot overflow.
std::optional<TwipsPosition> ParseSavedPosition(std::wstring_view left, std::wstring_view top);

// A rectangle given in work-area coordinates (where a minimised window comes
// back) in the screen coordinates everything else uses: they differ by the
// task bar along the top or the left.
ScreenRect WorkAreaToScreen(const ScreenRect& rect, const ScreenRect& monitor, const ScreenRect& work);

// The window moved (not resized, unless it is larger than the area) so that
// it lies fully inside the area, nearest to where it was.
ScreenRect KeepInside(ScreenRect window, const ScreenRect& area);

}  // namespace cuelark
