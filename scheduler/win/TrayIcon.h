// The icon in the notification area, which brings a minimised window back.
// The owner adds it, adds it again when the shell restarts ("TaskbarCreated")
// and removes it with itself.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>

namespace cuelark {

class TrayIcon {
 public:
  TrayIcon() = default;
  ~TrayIcon() { Remove(); }
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;

  // The icon's clicks come to `window` as ids::kTrayMessage. False while the
  // shell cannot take it yet (at log-on it may start after us): the owner
  // tries again later, or a minimised window could not come back.
  bool Add(HWND window, HICON icon);
  void Remove();
  // The shell's broadcast after it restarted, which has lost every icon.
  bool IsShellRestart(UINT message) const { return message != 0 && message == taskbarCreated_; }
  // The text shown while the pointer rests on the icon.
  void SetTip(const std::wstring& tip);
  // A warning that the shell shows beside the icon for a while, cut to the
  // lengths it takes. False while the icon is not there to carry it.
  bool ShowBalloon(const std::wstring& title, const std::wstring& text);

 private:
  NOTIFYICONDATAW IconData() const;
  bool Notify(DWORD action);

  HWND window_ = nullptr;
  HICON icon_ = nullptr;
  bool added_ = false;
  std::wstring tip_;
  const UINT taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");
};

}  // namespace cuelark
