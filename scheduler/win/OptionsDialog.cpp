#include "scheduler/win/OptionsDialog.h"

#include <array>
#include <optional>
#include <vector>

#include "scheduler/win/ControlIds.h"
#include "scheduler/win/FileDialog.h"
#include "scheduler/win/StartAtLogOn.h"
#include "scheduler/win/WakeTimer.h"
#include "scheduler/win/WinText.h"

namespace cuelark {
namespace {

constexpr wchar_t kCaption[] = L"Options";
constexpr int kClientWidth = 5415;
constexpr int kClientHeight = 2730;
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_TOOLWINDOW | WS_EX_CONTROLPARENT;
constexpr DWORD kCheckBox = WS_TABSTOP | BS_AUTOCHECKBOX;

// In tab order.
constexpr std::array kControls{
    ControlPlacement{ids::kStartAtLogOnBox, L"BUTTON", L"Start Cuelark when I log on", kCheckBox, 0,
                     {120, 120, 5175, 255}},
    ControlPlacement{ids::kWakeForFiringsBox, L"BUTTON", L"Wake the computer for scheduled commands", kCheckBox, 0,
                     {120, 420, 5175, 255}},
    ControlPlacement{ids::kCheckAheadBox, L"BUTTON", L"Check each command 5 minutes before it plays", kCheckBox, 0,
                     {120, 720, 5175, 255}},
    ControlPlacement{ids::kFallbackLabel, L"STATIC", L"If a command cannot play, play instead:", 0, 0,
                     {120, 1065, 5175, 225}},
    ControlPlacement{ids::kFallbackBox, L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE,
                     {120, 1320, 4215, 285}},
    ControlPlacement{ids::kFallbackBrowseButton, L"BUTTON", L"Browse", WS_TABSTOP | BS_PUSHBUTTON, 0,
                     {4440, 1320, 855, 285}},
    ControlPlacement{ids::kOptionsNote, L"STATIC", L"", 0, 0, {120, 1725, 5175, 480}},
    ControlPlacement{ids::kOptionsSaveButton, L"BUTTON", L"Save", WS_TABSTOP | BS_DEFPUSHBUTTON, 0,
                     {3480, 2325, 855, 285}},
    ControlPlacement{ids::kOptionsCancelButton, L"BUTTON", L"Cancel", WS_TABSTOP | BS_PUSHBUTTON, 0,
                     {4440, 2325, 855, 285}},
};

bool Ticked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

void Tick(HWND dialog, int id, bool ticked) { CheckDlgButton(dialog, id, ticked ? BST_CHECKED : BST_UNCHECKED); }

}  // namespace

std::unique_ptr<OptionsDialog> OptionsDialog::Create(HINSTANCE instance, OptionsAccess access,
                                                     std::wstring programPath, std::function<void()> onClosed) {
  if (!RegisterWindowClass(instance, ids::kOptionsDialogClass)) return nullptr;
  auto dialog =
      std::make_unique<OptionsDialog>(instance, std::move(access), std::move(programPath), std::move(onClosed));
  const HWND hwnd = CreateWindowExW(kExStyle, ids::kOptionsDialogClass, kCaption, kStyle, 0, 0, 0, 0, nullptr, nullptr,
                                    instance, dialog.get());
  if (!hwnd) return nullptr;
  ShowWindow(hwnd, SW_SHOWNORMAL);
  SetFocus(GetDlgItem(hwnd, ids::kStartAtLogOnBox));
  return dialog;
}

bool OptionsDialog::OnCreate() {
  if (!LayOutDialog(hwnd_.get(), instance_, kControls, kClientWidth, kClientHeight, fonts_)) return false;
  LoadOptions();
  return true;
}

LRESULT OptionsDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (HIWORD(wParam) != BN_CLICKED) return 0;
      switch (LOWORD(wParam)) {
        case ids::kFallbackBrowseButton:
          OnBrowseClicked();
          break;
        // Enter, in whichever control.
        case IDOK:
        case ids::kOptionsSaveButton:
          OnSaveClicked();
          break;
        // Esc comes as IDCANCEL.
        case IDCANCEL:
        case ids::kOptionsCancelButton:
          DestroyWindow(hwnd_.get());
          break;
        default:
          break;
      }
      return 0;
    case WM_CLOSE:
      DestroyWindow(hwnd_.get());
      return 0;
    case WM_DESTROY:
      onClosed_();
      return 0;
    default:
      return DefWindowProcW(hwnd_.get(), message, wParam, lParam);
  }
}

void OptionsDialog::LoadOptions() {
  const Options options = access_.read();
  const logon::LogOnState logOn = logon::State();
  std::vector<std::wstring> notes;
  if (!logOn.error.empty()) notes.push_back(logOn.error + L".");
  // Ticked here would not start it: the system's switch wins.
  if (logOn.switchedOffBySystem)
    notes.push_back(L"Start-up was switched off in the system's list of start-up apps (Settings > Apps > Startup).");
  if (const std::optional<std::wstring> why = WhyWakingCannotWork())
    notes.push_back(L"Waking cannot work: " + *why + L".");
  std::wstring note;
  for (const std::wstring& line : notes) note += (note.empty() ? L"" : L"\n") + line;

  Tick(hwnd_.get(), ids::kStartAtLogOnBox, options.startAtLogOn && !logOn.switchedOffBySystem);
  Tick(hwnd_.get(), ids::kWakeForFiringsBox, options.wakeForFirings);
  Tick(hwnd_.get(), ids::kCheckAheadBox, options.checkAhead);
  SetDlgItemTextW(hwnd_.get(), ids::kFallbackBox, options.fallback.c_str());
  SetDlgItemTextW(hwnd_.get(), ids::kOptionsNote, note.c_str());
  dialogFileName_ = options.fallback;
}

void OptionsDialog::OnBrowseClicked() {
  constexpr wchar_t kFilter[] =
      L"Audio files and playlists\0*.mp3;*.wav;*.ogg;*.flac;*.wma;*.m4a;*.m3u;*.m3u8;*.pls\0All files\0*.*\0";
  const std::wstring before = dialogFileName_;
  AskForFile(hwnd_.get(), kFilter, dialogFileName_);
  if (dialogFileName_ != before) SetDlgItemTextW(hwnd_.get(), ids::kFallbackBox, dialogFileName_.c_str());
}

void OptionsDialog::OnSaveClicked() {
  Options options;
  options.startAtLogOn = Ticked(hwnd_.get(), ids::kStartAtLogOnBox);
  options.wakeForFirings = Ticked(hwnd_.get(), ids::kWakeForFiringsBox);
  options.checkAhead = Ticked(hwnd_.get(), ids::kCheckAheadBox);
  options.fallback = WindowText(GetDlgItem(hwnd_.get(), ids::kFallbackBox));
  // Stay open on a failure: closing would look as if the choice had been saved.
  if (const std::optional<std::wstring> failed =
          options.startAtLogOn ? logon::Enable(programPath_) : logon::Disable()) {
    Tell(*failed + L".");
    return;
  }
  const StoreResult saved = access_.save(options);
  if (!saved.ok) {
    Tell(L"The options could not be saved:\n" + saved.reason);
    return;
  }
  DestroyWindow(hwnd_.get());
}

void OptionsDialog::Tell(const std::wstring& text) {
  MessageBoxW(hwnd_.get(), text.c_str(), kCaption, MB_OK | MB_ICONWARNING);
}

}  // namespace cuelark
