#include "scheduler/win/TrayIcon.h"

#include <shellapi.h>

#include "scheduler/win/ControlIds.h"

namespace cuelark {
namespace {

constexpr UINT kTrayIconId = 1;

}  // namespace

bool TrayIcon::Notify(DWORD action) {
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof(data);
  data.hWnd = window_;
  data.uID = kTrayIconId;
  if (action != NIM_DELETE) {
    data.uFlags = NIF_ICON | NIF_MESSAGE;
    data.uCallbackMessage = ids::kTrayMessage;
    data.hIcon = icon_;
  }
  return Shell_NotifyIconW(action, &data) != FALSE;
}

bool TrayIcon::Add(HWND window, HICON icon) {
  window_ = window;
  icon_ = icon;
  added_ = Notify(NIM_ADD);
  return added_;
}

void TrayIcon::Remove() {
  if (added_) Notify(NIM_DELETE);
  added_ = false;
}

}  // namespace cuelark
