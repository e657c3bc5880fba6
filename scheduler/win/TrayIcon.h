// The icon in the notification area, which brings a minimised window back.
// The owner adds it, adds it again when the shell restarts ("TaskbarCreated")
// and removes it with itself.
#pragma once

#include <windows.h>

namespace cuelark {

class TrayIcon {
 public:
  TrayIcon() = default;
  ~TrayIcon() { Remove(); }
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;

  // The icon's clicks come to `window` as ids::kTrayMessage.
  void Add(HWND window, HICON icon);
  void Remove();
  // True for the shell's broadcast after it restarted; the icon is then added again.
  bool OnShellRestarted(UINT message);

 private:
  bool Notify(DWORD action);

  HWND window_ = nullptr;
  HICON icon_ = nullptr;
  bool added_ = false;
  UINT taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");
};

}  // namespace cuelark
