// A small window program for the driver's own tests: one of each kind of
// control Cuelark's windows use, and a line of text where the program says
// what it last noticed, so a test can tell that its handlers ran.
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>

#include <cwchar>
#include <string>

#include "scheduler/win/ControlIds.h"
#include "tools/driver/testapp/TestAppIds.h"

namespace {

using namespace cuelark::test::testapp;

constexpr wchar_t kPageClass[] = L"DriverTestPage";
// Exit code when the program cannot build its window; the driver reports it.
constexpr int kSetupFailed = 90;

struct State {
  HINSTANCE instance = nullptr;
  HWND main = nullptr;
  bool ignoreClose = false;
  int checkClicks = 0;
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
  int parentId;  // 0: the main window
  int x, y, width, height;
};

const ControlLayout kControls[] = {
    {WC_TABCONTROLW, L"", WS_CLIPSIBLINGS, kTabs, 0, 8, 8, 624, 200},
    {kPageClass, L"", WS_CLIPSIBLINGS, kPage, 0, 16, 40, 608, 160},
    {WC_LISTVIEWW, L"", WS_BORDER | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS, kList, kPage, 0, 0, 608, 160},
    {DATETIMEPICK_CLASSW, L"", DTS_SHORTDATEFORMAT, kDate, 0, 8, 216, 150, 24},
    {DATETIMEPICK_CLASSW, L"", DTS_TIMEFORMAT | DTS_UPDOWN, kTime, 0, 166, 216, 120, 24},
    {L"EDIT", L"", WS_BORDER | ES_AUTOHSCROLL, kName, 0, 8, 248, 300, 24},
    {L"BUTTON", L"Remove when done", BS_AUTOCHECKBOX, kCheck, 0, 316, 248, 200, 24},
    {L"BUTTON", L"Show box", BS_PUSHBUTTON, kShowBox, 0, kButtonLeft, kButtonTop, kButtonWidth, kButtonHeight},
    {L"BUTTON", L"Browse...", BS_PUSHBUTTON, kBrowse, 0, 116, 280, 100, 28},
    {L"BUTTON", L"Second window", BS_PUSHBUTTON, kOpenSecond, 0, 224, 280, 120, 28},
    {L"BUTTON", L"Disabled", BS_PUSHBUTTON | WS_DISABLED, kDisabled, 0, 352, 280, 100, 28},
    {L"STATIC", L"", SS_LEFT, kEvent, 0, 8, 316, 624, 20},
    {L"STATIC", L"", SS_LEFT, kStartup, 0, 8, 340, 624, 20},
};

LRESULT Send(HWND window, UINT message, WPARAM wParam, const void* lParam) {
  return SendMessageW(window, message, wParam, reinterpret_cast<LPARAM>(lParam));
}

void FillList(HWND list) {
  ListView_SetExtendedListViewStyle(list, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
  const int widths[] = {kNameColumnWidth, kWhenColumnWidth};
  for (int column = 0; column < 2; ++column) {
    LVCOLUMNW header{};
    header.mask = LVCF_TEXT | LVCF_WIDTH;
    header.pszText = const_cast<LPWSTR>(kColumns[column]);
    header.cx = widths[column];
    Require(Send(list, LVM_INSERTCOLUMNW, column, &header) == column);
  }
  for (int row = 0; row < static_cast<int>(std::size(kRows)); ++row) {
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.pszText = const_cast<LPWSTR>(kRows[row][0]);
    Require(Send(list, LVM_INSERTITEMW, 0, &item) == row);
    item.iSubItem = 1;
    item.pszText = const_cast<LPWSTR>(kRows[row][1]);
    Require(Send(list, LVM_SETITEMTEXTW, row, &item));
  }
  ListView_SetCheckState(list, kInitiallyCheckedRow, TRUE);
}

void SetUpPickers(HWND main) {
  const SYSTEMTIME range[] = {kDateMin, kDateMax};
  Require(Send(GetDlgItem(main, kDate), DTM_SETRANGE, GDTR_MIN | GDTR_MAX, range));
  for (const int id : {kDate, kTime}) Require(Send(GetDlgItem(main, id), DTM_SETSYSTEMTIME, GDT_VALID, &kStartTime));
}

void SetUpStatusBar(HWND main) {
  const HWND status = Require(CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, main,
                                              reinterpret_cast<HMENU>(kStatus), state.instance, nullptr));
  const int edges[] = {kFirstPanelEdge, -1};
  Require(Send(status, SB_SETPARTS, 2, edges));
  Require(Send(status, SB_SETTEXTW, 0, L"Ready"));
  const std::wstring dpi = L"dpi " + std::to_wstring(GetDpiForWindow(main));
  Require(Send(status, SB_SETTEXTW, 1, dpi.c_str()));
}

void CreateControls(HWND main, const wchar_t* arguments) {
  state.main = main;
  for (const ControlLayout& control : kControls) {
    const HWND parent = control.parentId ? GetDlgItem(main, control.parentId) : main;
    Require(CreateWindowExW(0, control.className, control.text, WS_CHILD | WS_VISIBLE | control.style, control.x,
                            control.y, control.width, control.height, parent,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)), state.instance, nullptr));
  }
  const HWND tabs = GetDlgItem(main, kTabs);
  for (int index = 0; index < static_cast<int>(std::size(kTabNames)); ++index) {
    TCITEMW tab{};
    tab.mask = TCIF_TEXT;
    tab.pszText = const_cast<LPWSTR>(kTabNames[index]);
    Require(Send(tabs, TCM_INSERTITEMW, index, &tab) == index);
  }
  FillList(GetDlgItem(GetDlgItem(main, kPage), kList));
  SetUpPickers(main);
  SetUpStatusBar(main);

  wchar_t folder[MAX_PATH];
  Require(GetCurrentDirectoryW(MAX_PATH, folder));
  Require(SetDlgItemTextW(main, kStartup, (std::wstring(L"args=") + arguments + L"|folder=" + folder).c_str()));
}

void Browse() {
  wchar_t file[MAX_PATH] = L"";
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = state.main;
  dialog.lpstrFilter = L"Text files\0*.txt\0All files\0*.*\0";
  dialog.lpstrFile = file;
  dialog.nMaxFile = MAX_PATH;
  dialog.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
  Report(GetOpenFileNameW(&dialog) ? L"file " + std::wstring(file) : L"file cancelled");
}

void OpenSecond() {
  const HWND second = Require(CreateWindowExW(0, kSecondClass, L"Second", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100,
                                              300, 200, nullptr, nullptr, state.instance, nullptr));
  Require(CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_BORDER, 8, 8, 200, 24, second,
                          reinterpret_cast<HMENU>(kSecondEdit), state.instance, nullptr));
}

void OnCommand(int id, int code) {
  switch (id) {
    case kName:
      if (code == EN_CHANGE) {
        wchar_t text[256];
        GetDlgItemTextW(state.main, kName, text, 256);
        Report(std::wstring(L"name: ") + text);
      }
      break;
    case kCheck:
      ++state.checkClicks;
      Report(L"check " + std::to_wstring(state.checkClicks) +
             (IsDlgButtonChecked(state.main, kCheck) == BST_CHECKED ? L" on" : L" off"));
      break;
    case kShowBox:
      Report(L"box " + std::to_wstring(MessageBoxW(state.main, kBoxText, kBoxTitle, MB_OKCANCEL)));
      break;
    case kBrowse:
      Browse();
      break;
    case kOpenSecond:
      OpenSecond();
      break;
    case kMenuMark:
      // Slow on purpose: the driver must wait for the handler, not merely
      // for the message to arrive.
      Sleep(100);
      Report(L"menu mark");
      break;
    case kMenuExit:
      DestroyWindow(state.main);
      break;
  }
}

void OnNotify(const NMHDR& header) {
  if (header.idFrom == kTabs && header.code == TCN_SELCHANGE) {
    Report(L"tab " + std::to_wstring(SendMessageW(header.hwndFrom, TCM_GETCURSEL, 0, 0)));
  } else if (header.idFrom == kList && header.code == LVN_ITEMCHANGED) {
    const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
    const std::wstring row = L"row " + std::to_wstring(change.iItem);
    const UINT oldImage = change.uOldState & LVIS_STATEIMAGEMASK;
    const UINT newImage = change.uNewState & LVIS_STATEIMAGEMASK;
    // Image 0 is the row before its check box was first drawn, not a user's change.
    if (oldImage && newImage && oldImage != newImage)
      Report(row + (newImage == INDEXTOSTATEIMAGEMASK(2) ? L" checked" : L" unchecked"));
    else if ((change.uNewState & ~change.uOldState) & LVIS_SELECTED)
      Report(row + L" selected");
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
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_NOTIFY:
      OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
      return 0;
    case WM_SIZE:
      if (wParam == SIZE_MINIMIZED) Report(L"minimized");
      SendMessageW(GetDlgItem(window, kStatus), WM_SIZE, 0, 0);
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

// A page only holds controls; their notifications belong to the main window,
// as a frame's do.
LRESULT CALLBACK PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NOTIFY || message == WM_COMMAND) return SendMessageW(GetParent(window), message, wParam, lParam);
  return DefWindowProcW(window, message, wParam, lParam);
}

void Register(const wchar_t* name, WNDPROC procedure) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = state.instance;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = name;
  Require(RegisterClassExW(&windowClass));
}

HMENU CreateMainMenu() {
  const HMENU file = Require(CreatePopupMenu());
  Require(AppendMenuW(file, MF_STRING, kMenuMark, L"&Mark"));
  Require(AppendMenuW(file, MF_STRING, kMenuExit, L"E&xit"));
  const HMENU bar = Require(CreateMenu());
  Require(AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"&File"));
  return bar;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR arguments, int show) {
  if (std::wcsstr(arguments, kExitAtOnce)) return kExitAtOnceCode;
  state.instance = instance;
  state.ignoreClose = std::wcsstr(arguments, kIgnoreClose) != nullptr;

  const INITCOMMONCONTROLSEX controls{sizeof(controls),
                                      ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES | ICC_DATE_CLASSES | ICC_BAR_CLASSES};
  Require(InitCommonControlsEx(&controls));
  Register(kMainClass, MainProc);
  Register(kPageClass, PageProc);
  Register(kSecondClass, DefWindowProcW);

  constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW;
  RECT frame{0, 0, kClientWidth, kClientHeight};
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
