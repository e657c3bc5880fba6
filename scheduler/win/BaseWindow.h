// What every window class of the program shares: the window procedure that
// finds the object behind a window and hands it the message, and the
// controls laid out from a table in twips.
#pragma once

#include <windows.h>

#include <exception>
#include <span>
#include <string>

#include "common/win32/Twips.h"
#include "common/win32/Handles.h"

namespace cuelark {

using win32::DpiOf;
using win32::FontHeight;
using win32::PixelsToTwips;
using win32::ToPixels;
using win32::TwipsRect;
using win32::TwipsToPixels;

// Registers a class of the program's windows (dialog-coloured background,
// arrow cursor) unless it is registered already.
inline bool RegisterWindowClassOnce(HINSTANCE instance, const wchar_t* className, WNDPROC proc, HICON icon = nullptr) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  if (GetClassInfoExW(instance, className, &windowClass)) return true;
  windowClass.lpfnWndProc = proc;
  windowClass.hInstance = instance;
  windowClass.hIcon = icon;
  windowClass.hIconSm = icon;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = className;
  return RegisterClassExW(&windowClass) != 0;
}

// An exception must not unwind through the system's window code, which
// knows nothing of C++: the user is told, and the program ends through its
// own message loop so that its owners still clean up.
inline void ReportUnexpectedError(HWND hwnd, const char* what) noexcept {
  std::wstring text = L"Cuelark met an unexpected error and ends now.";
  if (what && *what) {
    const int size = MultiByteToWideChar(CP_ACP, 0, what, -1, nullptr, 0);
    std::wstring detail(size > 0 ? static_cast<std::size_t>(size) : 0, L'\0');
    if (size > 0 && MultiByteToWideChar(CP_ACP, 0, what, -1, detail.data(), size) == size) {
      detail.pop_back();
      text += L"\n\n" + detail;
    }
  }
  MessageBoxW(hwnd && IsWindowVisible(hwnd) ? hwnd : nullptr, text.c_str(), L"Cuelark", MB_OK | MB_ICONSTOP);
  PostQuitMessage(3);
}

template <typename Body>
LRESULT GuardedCall(HWND hwnd, Body&& body) noexcept {
  try {
    return body();
  } catch (const std::exception& error) {
    ReportUnexpectedError(hwnd, error.what());
  } catch (...) {
    ReportUnexpectedError(hwnd, nullptr);
  }
  return 0;
}

template <typename Window>
class BaseWindow {
 public:
  HWND Handle() const { return hwnd_.get(); }

 protected:
  BaseWindow() = default;
  BaseWindow(const BaseWindow&) = delete;
  BaseWindow& operator=(const BaseWindow&) = delete;
  // A window still open when its object goes goes with it; by then the
  // object's own members are gone, so its last messages reach only the
  // default procedure.
  ~BaseWindow() {
    if (hwnd_) SetWindowLongPtrW(hwnd_.get(), GWLP_USERDATA, 0);
  }

  // The object is passed as the creation parameter; from WM_NCCREATE on,
  // the window's user data finds it, until the window is gone.
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
      auto* self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
      self->hwnd_.reset(hwnd);
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      // The system is destroying it already.
      static_cast<void>(self->hwnd_.release());
      return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    return GuardedCall(hwnd, [&]() -> LRESULT {
      // A window that could not make its controls fails its creation.
      if constexpr (requires { self->OnCreate(); }) {
        if (message == WM_CREATE) return self->OnCreate() ? 0 : -1;
      }
      return self->HandleMessage(message, wParam, lParam);
    });
  }

  static bool RegisterWindowClass(HINSTANCE instance, const wchar_t* className, HICON icon = nullptr) {
    return RegisterWindowClassOnce(instance, className, WindowProc, icon);
  }

  win32::unique_hwnd hwnd_;
};

// One control as the window designer placed it.
struct ControlPlacement {
  int id;
  const wchar_t* windowClass;
  const wchar_t* caption;
  DWORD style;
  DWORD exStyle;
  TwipsRect rect;
};

inline HWND CreateControl(HWND parent, HINSTANCE instance, const ControlPlacement& control, UINT dpi, HFONT font) {
  const RECT r = ToPixels(control.rect, dpi);
  const HWND created = CreateWindowExW(control.exStyle, control.windowClass, control.caption,
                                       WS_CHILD | WS_VISIBLE | control.style, r.left, r.top, r.right - r.left,
                                       r.bottom - r.top, parent,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)), instance, nullptr);
  if (created) SendMessageW(created, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return created;
}

// A regular font of the given face and size (in hundredths of a point).
inline win32::unique_hfont CreateDesignFont(const wchar_t* face, int centiPoints, UINT dpi) {
  return win32::unique_hfont(CreateFontW(FontHeight(centiPoints, dpi), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                  DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                  DEFAULT_PITCH, face));
}

// The fonts a small dialog keeps for as long as it lives: its own and its
// controls'.
struct DialogFonts {
  win32::unique_hfont window;
  win32::unique_hfont controls;
};

// Lays out a small dialog as designed: its fonts for its DPI, its client
// area in twips centred on the work area, its controls. False when a control
// could not be created.
inline bool LayOutDialog(HWND dialog, HINSTANCE instance, std::span<const ControlPlacement> controls, int clientWidth,
                         int clientHeight, DialogFonts& fonts) {
  const UINT dpi = DpiOf(dialog);
  fonts.window = CreateDesignFont(L"Arial", 825, dpi);
  fonts.controls = CreateDesignFont(L"MS Sans Serif", 825, dpi);
  SendMessageW(dialog, WM_SETFONT, reinterpret_cast<WPARAM>(fonts.window.get()), FALSE);
  win32::PlaceDialog(dialog, clientWidth, clientHeight, dpi);
  for (const ControlPlacement& control : controls)
    if (!CreateControl(dialog, instance, control, dpi, fonts.controls.get())) return false;
  return true;
}

}  // namespace cuelark
