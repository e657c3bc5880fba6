// Message boxes that do not wait for the user. A modal box runs its own
// message loop inside whatever showed it, and on an unattended machine it
// may stay up for hours; these are modeless dialogs of the standard message
// box class, so the program's own loop goes on serving the clock while they
// are open. A box for a text already on screen does not cover it: the open
// box lists the new entry as well.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "scheduler/core/Controller.h"
#include "common/win32/Handles.h"

namespace cuelark {

class NoticeBoxes {
 public:
  NoticeBoxes() = default;
  NoticeBoxes(const NoticeBoxes&) = delete;
  NoticeBoxes& operator=(const NoticeBoxes&) = delete;

  // False when no box could be made (the caller then falls back to a modal
  // one, which at least tells the user).
  bool Show(HINSTANCE instance, const UserMessage& message);

 private:
  struct Box {
    win32::unique_hwnd window;
    UserMessage message;
    std::vector<std::wstring> about;  // one line per entry, oldest first
  };

  static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
  void OnClosed(HWND dialog);
  static std::wstring TextOf(const Box& box);
  // Sizes the box to its text and puts the button under it.
  static void Layout(HWND dialog, const std::wstring& text);
  // Where a new box goes: a caption's height below and right of the newest
  // open one, so that neither hides the other.
  POINT NextPlace(HWND dialog) const;

  std::vector<Box> boxes_;  // the newest last
};

}  // namespace cuelark
