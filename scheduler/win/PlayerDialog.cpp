#include "scheduler/win/PlayerDialog.h"

#include <algorithm>
#include <array>

#include "scheduler/win/ControlIds.h"
#include "scheduler/win/FileDialog.h"
#include "common/win32/Twips.h"
#include "scheduler/win/WinText.h"

namespace cuelark {
namespace {

constexpr wchar_t kCaption[] = L"Select Winamp Executable ...";
constexpr int kClientWidth = 5415;
constexpr int kClientHeight = 495;
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_TOOLWINDOW | WS_EX_CONTROLPARENT;

// In tab order.
constexpr std::array kControls{
    ControlPlacement{ids::kPlayerBrowseButton, L"BUTTON", L"Browse", WS_TABSTOP | BS_PUSHBUTTON, 0, {3480, 120, 855, 285}},
    ControlPlacement{ids::kPlayerPathBox, L"EDIT", L"", WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, {120, 120, 3255, 285}},
    ControlPlacement{ids::kCancelSaveButton, L"BUTTON", L"Cancel", WS_TABSTOP | BS_PUSHBUTTON, 0, {4440, 120, 855, 285}},
};

}  // namespace

std::unique_ptr<PlayerDialog> PlayerDialog::Create(HINSTANCE instance, PlayerSettings& settings,
                                                   std::function<void()> onClosed) {
  if (!RegisterWindowClass(instance, ids::kPlayerDialogClass)) return nullptr;
  auto dialog = std::make_unique<PlayerDialog>(instance, settings, std::move(onClosed));
  const HWND hwnd = CreateWindowExW(kExStyle, ids::kPlayerDialogClass, kCaption, kStyle, 0, 0, 0, 0, nullptr, nullptr,
                                    instance, dialog.get());
  if (!hwnd) return nullptr;
  ShowWindow(hwnd, SW_SHOWNORMAL);
  return dialog;
}

bool PlayerDialog::OnCreate() {
  if (!LayOutDialog(hwnd_.get(), instance_, kControls, kClientWidth, kClientHeight, fonts_)) return false;
  LoadSettings();
  return true;
}

LRESULT PlayerDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == ids::kPlayerBrowseButton) OnBrowseClicked();
      if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == ids::kCancelSaveButton) OnCancelSaveClicked();
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

void PlayerDialog::LoadSettings() {
  exePath_ = settings_.ReadExe();
  SetDlgItemTextW(hwnd_.get(), ids::kPlayerPathBox, exePath_.c_str());
}

void PlayerDialog::OnBrowseClicked() {
  constexpr wchar_t kFilter[] = L"Winamp Executable\0winamp.exe\0All .exe\0*.exe\0";
  playListPath_.clear();
  AskForFile(hwnd_.get(), kFilter, dialogFileName_);
  exePath_ = dialogFileName_;
  if (exePath_.empty()) return;
  // The player keeps its own playlist beside its executable.
  playListPath_ = exePath_.substr(0, exePath_.size() - std::min<std::size_t>(3, exePath_.size())) + L"m3u";
  SetDlgItemTextW(hwnd_.get(), ids::kPlayerPathBox, exePath_.c_str());
  SetDlgItemTextW(hwnd_.get(), ids::kCancelSaveButton, L"Save");
  saveOffered_ = true;
}

void PlayerDialog::OnCancelSaveClicked() {
  if (saveOffered_) {
    const StoreResult written = settings_.Write(exePath_, playListPath_);
    if (!written.ok) {
      // Stay open: closing would look as if the choice had been saved.
      MessageBoxW(hwnd_.get(),
                  (L"The player settings could not be written to " + settings_.File() + L":\n" + written.reason)
                      .c_str(),
                  kCaption, MB_OK | MB_ICONWARNING);
      return;
    }
  }
  DestroyWindow(hwnd_.get());
}

}  // namespace cuelark
