#include "scheduler/win/WindowPlacement.h"

#include "common/win32/Twips.h"
#include "scheduler/core/WindowPosition.h"

namespace cuelark {

void MoveToSavedPosition(HWND window, UINT dpi, const std::optional<TwipsPosition>& twips) {
  if (!twips) return;
  RECT current{};
  if (!GetWindowRect(window, &current)) return;
  const int x = win32::TwipsToPixels(twips->left, dpi);
  const int y = win32::TwipsToPixels(twips->top, dpi);
  // A monitor may have gone since, or the texts are far off any screen: the
  // window comes up whole on the nearest one.
  RECT wanted{x, y, x + current.right - current.left, y + current.bottom - current.top};
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  if (!GetMonitorInfoW(MonitorFromRect(&wanted, MONITOR_DEFAULTTONEAREST), &monitor)) return;
  const RECT& work = monitor.rcWork;
  const ScreenRect placed =
      KeepInside({wanted.left, wanted.top, wanted.right, wanted.bottom}, {work.left, work.top, work.right, work.bottom});
  SetWindowPos(window, nullptr, placed.left, placed.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

std::optional<TwipsPosition> PositionToSave(HWND window, UINT dpi) {
  RECT rect{};
  WINDOWPLACEMENT placement{};
  placement.length = sizeof(placement);
  if (IsIconic(window) && GetWindowPlacement(window, &placement)) {
    // Where a minimised window comes back is given in work-area coordinates;
    // the position is saved and restored in screen coordinates.
    rect = placement.rcNormalPosition;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (GetMonitorInfoW(MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST), &monitor)) {
      const auto area = [](const RECT& r) { return ScreenRect{r.left, r.top, r.right, r.bottom}; };
      const ScreenRect screen = WorkAreaToScreen(area(rect), area(monitor.rcMonitor), area(monitor.rcWork));
      rect = {screen.left, screen.top, screen.right, screen.bottom};
    }
  } else if (!GetWindowRect(window, &rect)) {
    return std::nullopt;
  }
  return TwipsPosition{win32::PixelsToTwips(rect.left, dpi), win32::PixelsToTwips(rect.top, dpi)};
}

}  // namespace cuelark
