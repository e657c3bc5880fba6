// The "Add a Command" tab: the fields of a new entry and the Save rule.
#pragma once

#include <windows.h>

#include <string>

#include "scheduler/core/Controller.h"
#include "scheduler/win/Frame.h"

namespace cuelark {

class EditorTab {
 public:
  // The tab's actions go to `controller`.
  bool Create(HWND parent, HINSTANCE instance, UINT dpi, const TabFonts& fonts, Controller& controller);
  // Today's date becomes the earliest a dated entry can take.
  void SetUpPickers();
  HWND Frame() const { return frame_; }
  // False when the command is not one of this tab's.
  bool OnCommand(int id, int notification);
  void Clear();

 private:
  HWND Control(int id) const { return GetDlgItem(frame_, id); }
  bool IsTicked(int id) const { return IsDlgButtonChecked(frame_, id) == BST_CHECKED; }
  EditorFields Fields() const;
  void OnTextChanged();
  void OnRepeatOptionClicked(int clickedId, int otherId);
  void OnBrowseClicked();
  void OnSaveClicked();

  Controller* controller_ = nullptr;
  HWND frame_ = nullptr;
  // The open-file dialog remembers its last choice while the window lives.
  std::wstring browseFileName_;
};

}  // namespace cuelark
