// "History": what ran and what was missed, newest first, with the next
// firing above the list, and under it why, if so, the list is not all of
// it. One such window per program; Esc closes it.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <array>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "scheduler/core/Controller.h"
#include "scheduler/win/BaseWindow.h"

namespace cuelark {

class HistoryWindow final : public BaseWindow<HistoryWindow> {
 public:
  // Creates and shows the window, filled from the history file.
  static std::unique_ptr<HistoryWindow> Create(HINSTANCE instance, Controller& controller);
  HistoryWindow(HINSTANCE instance, Controller& controller) : instance_(instance), controller_(controller) {}
  HistoryWindow(const HistoryWindow&) = delete;
  HistoryWindow& operator=(const HistoryWindow&) = delete;

  bool IsOpen() const { return hwnd_ != nullptr; }
  // Lines just written, oldest first; they go on top.
  void Add(const std::vector<HistoryEvent>& events);
  void ShowNextFiring(const std::wstring& text);

 private:
  friend class BaseWindow<HistoryWindow>;
  struct Row {
    std::array<std::wstring, 5> columns;  // due, started, name, outcome, detail
    std::wstring command;
  };

  static Row RowOf(const HistoryEvent& event);
  void RefreshList();
  // The list's item'th row, newest first; item is in range.
  const Row& RowAt(int item) const;

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  bool OnCreate();
  void OnSize();
  LRESULT OnNotify(const NMHDR& header);
  void FillRow(LVITEMW& item) const;
  void FillTip(NMLVGETINFOTIPW& tip) const;

  HINSTANCE instance_;
  Controller& controller_;
  UINT dpi_ = USER_DEFAULT_SCREEN_DPI;
  win32::unique_hfont font_;
  HWND nextLine_ = nullptr;
  // Why the list is not the whole history (a file held open, broken lines);
  // shown above the list only then.
  HWND problemLine_ = nullptr;
  std::wstring problem_;
  HWND list_ = nullptr;
  // Newest first, as the list shows them and the history is read; new lines
  // go in at the front.
  std::deque<Row> rows_;
};

}  // namespace cuelark
