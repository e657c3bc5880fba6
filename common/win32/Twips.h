// Positions and sizes of the windows are designed in twips (1440 to the inch);
// they become pixels with the real DPI of the window they belong to.
#pragma once

#include <windows.h>

namespace win32 {

constexpr int kTwipsPerInch = 1440;

inline int TwipsToPixels(int twips, UINT dpi) { return MulDiv(twips, static_cast<int>(dpi), kTwipsPerInch); }
inline int PixelsToTwips(int pixels, UINT dpi) { return MulDiv(pixels, kTwipsPerInch, static_cast<int>(dpi)); }

struct TwipsRect {
  int left, top, width, height;
};

inline RECT ToPixels(const TwipsRect& r, UINT dpi) {
  const int left = TwipsToPixels(r.left, dpi);
  const int top = TwipsToPixels(r.top, dpi);
  return RECT{left, top, left + TwipsToPixels(r.width, dpi), top + TwipsToPixels(r.height, dpi)};
}

// The outer size of a window whose client area has the given size in pixels,
// for the window's own styles and menu bar.
inline SIZE OuterSize(HWND window, int clientWidth, int clientHeight, UINT dpi) {
  RECT outer{0, 0, clientWidth, clientHeight};
  AdjustWindowRectExForDpi(&outer, static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE)), GetMenu(window) != nullptr,
                           static_cast<DWORD>(GetWindowLongW(window, GWL_EXSTYLE)), dpi);
  return SIZE{outer.right - outer.left, outer.bottom - outer.top};
}

// The same for a client area designed in twips.
inline SIZE OuterSizeForClient(HWND window, int clientWidth, int clientHeight, UINT dpi) {
  return OuterSize(window, TwipsToPixels(clientWidth, dpi), TwipsToPixels(clientHeight, dpi), dpi);
}

// Sizes a dialog for its client area designed in twips and centres it on
// the work area, where the taskbar does not cover it.
inline void PlaceDialog(HWND window, int clientWidth, int clientHeight, UINT dpi) {
  const SIZE outer = OuterSizeForClient(window, clientWidth, clientHeight, dpi);
  RECT work{};
  if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0))
    work = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  SetWindowPos(window, nullptr, work.left + (work.right - work.left - outer.cx) / 2,
               work.top + (work.bottom - work.top - outer.cy) / 2, outer.cx, outer.cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

// A font height in hundredths of a point, as the window designer gives it
// (8.25 pt is 825), turned into a LOGFONT height for the DPI.
inline int FontHeight(int centiPoints, UINT dpi) { return -MulDiv(centiPoints, static_cast<int>(dpi), 7200); }

inline UINT DpiOf(HWND window) {
  const UINT dpi = window ? GetDpiForWindow(window) : 0;
  return dpi ? dpi : USER_DEFAULT_SCREEN_DPI;
}

}  // namespace win32
