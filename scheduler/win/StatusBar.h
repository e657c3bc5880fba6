// The main window's status bar: the credit text and the time of day, each
// with a tip that shows whenever the pointer rests on its panel.
#pragma once

#include <windows.h>

#include <string>

namespace cuelark {

class StatusBar {
 public:
  bool Create(HWND parent, HINSTANCE instance, UINT dpi, HFONT font);
  // The parent's size changed: the bar and its tips' areas follow.
  void OnParentSized();
  void ShowTime(const std::wstring& text);

 private:
  void PlaceTips();

  HWND bar_ = nullptr;
  // The bar's own tips show only for a panel whose text is cut off. Owned
  // by the main window, which destroys it with itself.
  HWND tips_ = nullptr;
};

}  // namespace cuelark
