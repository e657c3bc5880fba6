// Form2, "Select Winamp Executable ...": picks the player's executable and
// stores it, with the playlist file beside it, in the player settings file.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "scheduler/win/BaseWindow.h"
#include "scheduler/win/Win32Handles.h"

namespace cuelark {

class Form1;

class Form2 final : public BaseWindow<Form2> {
 public:
  // Creates and shows the dialog; its Form_Load has run when this returns.
  static std::unique_ptr<Form2> Create(HINSTANCE instance, Form1& owner);
  Form2(HINSTANCE instance, Form1& owner) : instance_(instance), owner_(owner) {}
  ~Form2();
  Form2(const Form2&) = delete;
  Form2& operator=(const Form2&) = delete;

  bool IsOpen() const { return hwnd_ != nullptr; }

 private:
  friend class BaseWindow<Form2>;
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void CreateControls();
  void Form_Load();
  void btnBrowse_Click();
  void btnCancelSave_Click();
  void Form_Unload();
  std::wstring SettingsPath() const;

  HINSTANCE instance_;
  Form1& owner_;
  unique_hfont windowFont_;
  unique_hfont controlFont_;
  std::wstring exePath;
  std::wstring playListPath;
  // The file dialog remembers its last choice for as long as this window lives.
  std::wstring dialogFileName_;
};

}  // namespace cuelark
