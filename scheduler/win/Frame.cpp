#include "scheduler/win/Frame.h"

namespace cuelark {
namespace {

constexpr wchar_t kFrameClass[] = L"CuelarkFrame";
constexpr TwipsRect kFrameRect{240, 480, 7215, 2535};

LRESULT FrameProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
      return SendMessageW(GetParent(hwnd), message, wParam, lParam);
    case WM_PAINT: {
      PAINTSTRUCT paint;
      if (HDC dc = BeginPaint(hwnd, &paint)) {
        RECT client;
        GetClientRect(hwnd, &client);
        DrawEdge(dc, &client, EDGE_ETCHED, BF_RECT);
        EndPaint(hwnd, &paint);
      }
      return 0;
    }
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

LRESULT CALLBACK FrameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return GuardedCall(hwnd, [&] { return FrameProcedure(hwnd, message, wParam, lParam); });
}

}  // namespace

HWND CreateFrame(HWND parent, HINSTANCE instance, int id, UINT dpi, const TabFonts& fonts,
                 std::span<const FrameControl> controls) {
  if (!RegisterWindowClassOnce(instance, kFrameClass, FrameProc)) return nullptr;
  const RECT r = ToPixels(kFrameRect, dpi);
  const HWND frame = CreateWindowExW(WS_EX_CONTROLPARENT, kFrameClass, L"", WS_CHILD | WS_CLIPSIBLINGS, r.left, r.top,
                                     r.right - r.left, r.bottom - r.top, parent,
                                     reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
  if (!frame) return nullptr;
  for (const FrameControl& item : controls) {
    const HFONT font = item.font == FontKind::kWindow ? fonts.window : fonts.frame;
    if (!CreateControl(frame, instance, item.control, dpi, font)) return nullptr;
  }
  return frame;
}

}  // namespace cuelark
