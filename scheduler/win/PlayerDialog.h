// "Select Winamp Executable ...": picks the player's executable and
// stores it, with the playlist file beside it, in the player settings file.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "scheduler/core/PlayerSettings.h"
#include "scheduler/win/BaseWindow.h"
#include "common/win32/Handles.h"

namespace cuelark {

class PlayerDialog final : public BaseWindow<PlayerDialog> {
 public:
  // Creates and shows the dialog, filled with the saved choice; `onClosed`
  // runs when it has closed, saved or not.
  static std::unique_ptr<PlayerDialog> Create(HINSTANCE instance, PlayerSettings& settings,
                                              std::function<void()> onClosed);
  PlayerDialog(HINSTANCE instance, PlayerSettings& settings, std::function<void()> onClosed)
      : instance_(instance), settings_(settings), onClosed_(std::move(onClosed)) {}
  PlayerDialog(const PlayerDialog&) = delete;
  PlayerDialog& operator=(const PlayerDialog&) = delete;

  bool IsOpen() const { return hwnd_ != nullptr; }

 private:
  friend class BaseWindow<PlayerDialog>;
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  bool OnCreate();
  void LoadSettings();
  void OnBrowseClicked();
  void OnCancelSaveClicked();

  HINSTANCE instance_;
  PlayerSettings& settings_;
  std::function<void()> onClosed_;
  DialogFonts fonts_;
  std::wstring exePath_;
  std::wstring playListPath_;
  // A file was picked: the button reads "Save" instead of "Cancel".
  bool saveOffered_ = false;
  // The file dialog remembers its last choice for as long as this window lives.
  std::wstring dialogFileName_;
};

}  // namespace cuelark
