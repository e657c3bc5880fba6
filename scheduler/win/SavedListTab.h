// The "Saved Commands" tab: the schedule's entries as rows with a tick each,
// and the buttons that remove or execute the selected one.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <optional>

#include "scheduler/core/Controller.h"
#include "scheduler/win/Frame.h"

namespace cuelark {

class SavedListTab {
 public:
  // The tab's actions go to `controller`.
  bool Create(HWND parent, HINSTANCE instance, UINT dpi, const TabFonts& fonts, Controller& controller);
  HWND Frame() const { return frame_; }
  bool OnCommand(int id, int notification);
  // Notifications of the list; 0 for those it leaves alone.
  LRESULT OnNotify(const NMHDR& header);
  void RefreshList(std::size_t count);
  void RedrawRow(std::size_t index);

 private:
  HWND Control(int id) const { return GetDlgItem(frame_, id); }
  bool SetUpList(UINT dpi);
  void FillRow(LVITEMW& item) const;
  std::optional<EntryId> EntryAt(int row) const;
  void ToggleChecked(int row);
  static LRESULT CALLBACK ListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR self);
  void OnStateSet(int row, const LVITEMW& item);
  void OnRemoveClicked();
  void OnExecuteClicked();

  Controller* controller_ = nullptr;
  HWND frame_ = nullptr;
};

}  // namespace cuelark
