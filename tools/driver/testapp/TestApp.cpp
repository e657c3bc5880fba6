// A small window program for the driver's own tests: a button that opens a
// message box, a menu, the tray callback, and a line of text where the
// program says what it last noticed, so a test can tell that its handlers ran.
#include <windows.h>

#include <cwchar>
#include <string>

#include "scheduler/win/ControlIds.h"
#include "tools/driver/testapp/TestAppIds.h"

namespace {

using namespace cuelark::test::testapp;

// Exit code when the program cannot build its window; the driver reports it.
constexpr int kSetupFailed = 90;

struct State {
  HINSTANCE instance = nullptr;
  HWND main = nullptr;
  bool ignoreClose = false;
} state;

// A test program that cannot build its window has nothing to show; it exits
// with a code the driver's launch error names.
template <class T>
T Require(T value) {
  if (!value) ExitProcess(kSetupFailed);
  return value;
}

void Report(const std::wstring& text) { Require(SetDlgItemTextW(state.main, kEvent, text.c_str())); }

struct ControlLayout {
  const wchar_t* className;
  const wchar_t* text;
  DWORD style;
  int id;
  int x, y, width, height;
};

const ControlLayout kControls[] = {
    {L"BUTTON", L"Show box", BS_PUSHBUTTON, kShowBox, 8, 280, 100, 28},
    {L"STATIC", L"", SS_LEFT, kEvent, 8, 316, 624, 20},
    {L"STATIC", L"", SS_LEFT, kStartup, 8, 340, 624, 20},
};

void CreateControls(HWND main, const wchar_t* arguments) {
  state.main = main;
  for (const ControlLayout& control : kControls) {
    Require(CreateWindowExW(0, control.className, control.text, WS_CHILD | WS_VISIBLE | control.style, control.x,
                            control.y, control.width, control.height, main,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)), state.instance, nullptr));
  }
  wchar_t folder[MAX_PATH];
  Require(GetCurrentDirectoryW(MAX_PATH, folder));
  Require(SetDlgItemTextW(main, kStartup, (std::wstring(L"args=") + arguments + L"|folder=" + folder).c_str()));
}

void OnCommand(int id) {
  switch (id) {
    case kShowBox:
      Report(L"box " + std::to_wstring(MessageBoxW(state.main, kBoxText, kBoxTitle, MB_OKCANCEL)));
      break;
    case kMenuMark:
      // Slow on purpose: the driver must wait for the handler, not merely
      // for the message to arrive.
      Sleep(100);
      Report(L"menu mark");
      break;
  }
}

int ExitCodeFromEnvironment() {
  wchar_t value[32];
  return GetEnvironmentVariableW(kExitCodeVariable, value, 32) ? _wtoi(value) : 0;
}

LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      CreateControls(window, static_cast<const wchar_t*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
      return 0;
    case WM_COMMAND:
      OnCommand(LOWORD(wParam));
      return 0;
    case WM_SIZE:
      if (wParam == SIZE_MINIMIZED) Report(L"minimized");
      return 0;
    case cuelark::ids::kTrayMessage:
      Report(L"tray " + std::to_wstring(wParam) + L" " + std::to_wstring(lParam));
      return 0;
    case WM_CLOSE:
      if (!state.ignoreClose) DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(ExitCodeFromEnvironment());
      return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

HMENU CreateMainMenu() {
  const HMENU file = Require(CreatePopupMenu());
  Require(AppendMenuW(file, MF_STRING, kMenuMark, L"&Mark"));
  const HMENU bar = Require(CreateMenu());
  Require(AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"&File"));
  return bar;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR arguments, int show) {
  state.instance = instance;
  state.ignoreClose = std::wcsstr(arguments, kIgnoreClose) != nullptr;

  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = MainProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kMainClass;
  Require(RegisterClassExW(&windowClass));

  constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW;
  RECT frame{0, 0, 640, 480};
  Require(AdjustWindowRectEx(&frame, kStyle, TRUE, 0));
  const HWND main = Require(CreateWindowExW(0, kMainClass, L"Driver Test", kStyle, 50, 50, frame.right - frame.left,
                                            frame.bottom - frame.top, nullptr, CreateMainMenu(), instance, arguments));
  ShowWindow(main, show);

  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}
