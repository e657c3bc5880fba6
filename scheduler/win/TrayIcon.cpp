#include "scheduler/win/TrayIcon.h"

#include <iterator>

#include "scheduler/win/ControlIds.h"

namespace cuelark {
namespace {

constexpr UINT kTrayIconId = 1;

}  // namespace

NOTIFYICONDATAW TrayIcon::IconData() const {
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof(data);
  data.hWnd = window_;
  data.uID = kTrayIconId;
  return data;
}

bool TrayIcon::Notify(DWORD action) {
  NOTIFYICONDATAW data = IconData();
  if (action != NIM_DELETE) {
    data.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
    data.uCallbackMessage = ids::kTrayMessage;
    data.hIcon = icon_;
    lstrcpynW(data.szTip, tip_.c_str(), static_cast<int>(std::size(data.szTip)));
  }
  return Shell_NotifyIconW(action, &data) != FALSE;
}

bool TrayIcon::Add(HWND window, HICON icon) {
  window_ = window;
  icon_ = icon;
  added_ = Notify(NIM_ADD);
  return added_;
}

void TrayIcon::SetTip(const std::wstring& tip) {
  tip_ = tip;
  // Not yet added: the tip goes with the icon when it is.
  if (added_) Notify(NIM_MODIFY);
}

bool TrayIcon::ShowBalloon(const std::wstring& title, const std::wstring& text) {
  if (!added_) return false;
  NOTIFYICONDATAW data = IconData();
  data.uFlags = NIF_INFO;
  data.dwInfoFlags = NIIF_WARNING;
  lstrcpynW(data.szInfoTitle, title.c_str(), static_cast<int>(std::size(data.szInfoTitle)));
  lstrcpynW(data.szInfo, text.c_str(), static_cast<int>(std::size(data.szInfo)));
  return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

void TrayIcon::Remove() {
  if (added_) Notify(NIM_DELETE);
  added_ = false;
}

}  // namespace cuelark
