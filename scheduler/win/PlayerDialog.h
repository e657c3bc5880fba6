// "Select Winamp Executable ...": picks the player's executable and
// stores it, with the playlist file beside it, in the player settings file.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "scheduler/win/BaseWindow.h"
#include "common/win32/Handles.h"

namespace cuelark {

class MainWindow;

class PlayerDialog final : public BaseWindow<PlayerDialog> {
 public:
  // Creates and shows the dialog, filled with the saved choice.
  static std::unique_ptr<PlayerDialog> Create(HINSTANCE instance, MainWindow& owner);
  PlayerDialog(HINSTANCE instance, MainWindow& owner) : instance_(instance), owner_(owner) {}
  ~PlayerDialog();
  PlayerDialog(const PlayerDialog&) = delete;
  PlayerDialog& operator=(const PlayerDialog&) = delete;

  bool IsOpen() const { return hwnd_ != nullptr; }

 private:
  friend class BaseWindow<PlayerDialog>;
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void CreateControls();
  void LoadSettings();
  void OnBrowseClicked();
  void OnCancelSaveClicked();
  std::wstring SettingsPath() const;

  HINSTANCE instance_;
  MainWindow& owner_;
  win32::unique_hfont windowFont_;
  win32::unique_hfont controlFont_;
  std::wstring exePath_;
  std::wstring playListPath_;
  // The file dialog remembers its last choice for as long as this window lives.
  std::wstring dialogFileName_;
};

}  // namespace cuelark
