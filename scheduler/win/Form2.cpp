#include "scheduler/win/Form2.h"

#include <commdlg.h>

#include <algorithm>
#include <array>

#include "scheduler/core/IniStore.h"
#include "scheduler/win/ControlIds.h"
#include "scheduler/win/Form1.h"
#include "scheduler/win/Twips.h"
#include "scheduler/win/WinText.h"

namespace cuelark {
namespace {

constexpr wchar_t kCaption[] = L"Select Winamp Executable ...";
constexpr int kClientWidth = 5415;
constexpr int kClientHeight = 495;
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_TOOLWINDOW | WS_EX_CONTROLPARENT;

struct ControlSpec {
  int id;
  const wchar_t* windowClass;
  const wchar_t* caption;
  DWORD style;
  DWORD exStyle;
  TwipsRect rect;
};

// In tab order.
constexpr std::array kControls{
    ControlSpec{ids::kForm2BtnBrowse, L"BUTTON", L"Browse", WS_TABSTOP | BS_PUSHBUTTON, 0, {3480, 120, 855, 285}},
    ControlSpec{ids::kWinampExe, L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, {120, 120, 3255, 285}},
    ControlSpec{ids::kBtnCancelSave, L"BUTTON", L"Cancel", WS_TABSTOP | BS_PUSHBUTTON, 0, {4440, 120, 855, 285}},
};

bool RegisterForm2Class(HINSTANCE instance, WNDPROC proc) {
  WNDCLASSEXW form{};
  form.cbSize = sizeof(form);
  if (GetClassInfoExW(instance, ids::kForm2Class, &form)) return true;
  form.lpfnWndProc = proc;
  form.hInstance = instance;
  form.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  form.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  form.lpszClassName = ids::kForm2Class;
  return RegisterClassExW(&form) != 0;
}

unique_hfont MakeFont(const wchar_t* face, UINT dpi) {
  return unique_hfont(CreateFontW(FontHeight(825, dpi), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                  OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, face));
}

}  // namespace

std::unique_ptr<Form2> Form2::Create(HINSTANCE instance, Form1& owner) {
  if (!RegisterForm2Class(instance, WindowProc)) return nullptr;
  auto form = std::make_unique<Form2>(instance, owner);
  const HWND hwnd = CreateWindowExW(kExStyle, ids::kForm2Class, kCaption, kStyle, 0, 0, 0, 0, nullptr, nullptr,
                                    instance, form.get());
  if (!hwnd) return nullptr;
  ShowWindow(hwnd, SW_SHOWNORMAL);
  return form;
}

Form2::~Form2() {
  if (hwnd_) {
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
}

LRESULT CALLBACK Form2::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* form = static_cast<Form2*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    form->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
  }
  auto* form = reinterpret_cast<Form2*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  return form ? form->HandleMessage(message, wParam, lParam) : DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT Form2::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      CreateControls();
      Form_Load();
      return 0;
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == ids::kForm2BtnBrowse) btnBrowse_Click();
      if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == ids::kBtnCancelSave) btnCancelSave_Click();
      return 0;
    case WM_CLOSE:
      DestroyWindow(hwnd_);
      return 0;
    case WM_DESTROY:
      Form_Unload();
      return 0;
    case WM_NCDESTROY:
      SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
      hwnd_ = nullptr;
      return 0;
    default:
      return DefWindowProcW(hwnd_, message, wParam, lParam);
  }
}

void Form2::CreateControls() {
  const UINT dpi = DpiOf(hwnd_);
  windowFont_ = MakeFont(L"Arial", dpi);
  controlFont_ = MakeFont(L"MS Sans Serif", dpi);
  SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(windowFont_.get()), FALSE);

  // A fixed client area, centred on the work area.
  RECT outer{0, 0, TwipsToPixels(kClientWidth, dpi), TwipsToPixels(kClientHeight, dpi)};
  AdjustWindowRectExForDpi(&outer, kStyle, FALSE, kExStyle, dpi);
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const int width = outer.right - outer.left;
  const int height = outer.bottom - outer.top;
  SetWindowPos(hwnd_, nullptr, work.left + (work.right - work.left - width) / 2,
               work.top + (work.bottom - work.top - height) / 2, width, height, SWP_NOZORDER | SWP_NOACTIVATE);

  for (const ControlSpec& spec : kControls) {
    const RECT r = ToPixels(spec.rect, dpi);
    const HWND control = CreateWindowExW(spec.exStyle, spec.windowClass, spec.caption, WS_CHILD | WS_VISIBLE | spec.style,
                                         r.left, r.top, r.right - r.left, r.bottom - r.top, hwnd_,
                                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(spec.id)), instance_, nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(controlFont_.get()), FALSE);
  }
}

std::wstring Form2::SettingsPath() const { return ProgramFolder() + L"\\winamp.ini"; }

void Form2::Form_Load() {
  exePath = owner_.iniStore().ReadINI(L"Winamp", L"Exe", SettingsPath());
  if (IsAbsent(exePath)) exePath.clear();
  SetDlgItemTextW(hwnd_, ids::kWinampExe, exePath.c_str());
}

void Form2::btnBrowse_Click() {
  constexpr wchar_t kFilter[] = L"Winamp Executable\0winamp.exe\0All .exe\0*.exe\0";
  playListPath.clear();
  std::wstring buffer = dialogFileName_;
  buffer.resize(32768, L'\0');
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = hwnd_;
  dialog.lpstrFilter = kFilter;
  dialog.lpstrFile = buffer.data();
  dialog.nMaxFile = static_cast<DWORD>(buffer.size());
  dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY;
  if (GetOpenFileNameW(&dialog)) dialogFileName_ = buffer.c_str();
  exePath = dialogFileName_;
  if (exePath.empty()) return;
  // The player keeps its own playlist beside its executable.
  playListPath = exePath.substr(0, exePath.size() - std::min<std::size_t>(3, exePath.size())) + L"m3u";
  SetDlgItemTextW(hwnd_, ids::kWinampExe, exePath.c_str());
  SetDlgItemTextW(hwnd_, ids::kBtnCancelSave, L"Save");
}

void Form2::btnCancelSave_Click() {
  if (WindowText(GetDlgItem(hwnd_, ids::kBtnCancelSave)) == L"Save") {
    if (!CanStoreAsAnsi(exePath)) {
      MessageBoxW(hwnd_,
                  (L"The path holds characters that " + SettingsPath() +
                   L" cannot store in this system's code page.\nPlease choose the file from another folder.")
                      .c_str(),
                  kCaption, MB_OK | MB_ICONWARNING);
      return;
    }
    IniStore& store = owner_.iniStore();
    const std::wstring file = SettingsPath();
    store.BeginUpdate(file);
    store.WriteINI(L"Winamp", L"Exe", exePath, file);
    store.WriteINI(L"Winamp", L"Playlist", playListPath, file);
    std::wstring reason;
    if (!store.CommitUpdate(reason)) {
      // Stay open: closing would look as if the choice had been saved.
      MessageBoxW(hwnd_, (L"The player settings could not be written to " + file + L":\n" + reason).c_str(),
                  kCaption, MB_OK | MB_ICONWARNING);
      return;
    }
  }
  DestroyWindow(hwnd_);
}

void Form2::Form_Unload() { owner_.Form2_Closed(); }

}  // namespace cuelark
