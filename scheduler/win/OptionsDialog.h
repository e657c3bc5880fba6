// "Options": the choices for running unattended. Start-up with the log-on
// is applied here, to the registry, when saved; the others are the
// controller's, which reads them afresh from the store.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "scheduler/core/IniStore.h"
#include "scheduler/core/Options.h"
#include "scheduler/win/BaseWindow.h"
#include "common/win32/Handles.h"

namespace cuelark {

struct OptionsAccess {
  std::function<Options()> read;
  std::function<StoreResult(const Options&)> save;
};

class OptionsDialog final : public BaseWindow<OptionsDialog> {
 public:
  // Creates and shows the dialog, filled from `access.read`; `onClosed`
  // runs when it has closed, saved or not. `programPath` is what start-up
  // with the log-on starts.
  static std::unique_ptr<OptionsDialog> Create(HINSTANCE instance, OptionsAccess access, std::wstring programPath,
                                               std::function<void()> onClosed);
  OptionsDialog(HINSTANCE instance, OptionsAccess access, std::wstring programPath, std::function<void()> onClosed)
      : instance_(instance),
        access_(std::move(access)),
        programPath_(std::move(programPath)),
        onClosed_(std::move(onClosed)) {}
  OptionsDialog(const OptionsDialog&) = delete;
  OptionsDialog& operator=(const OptionsDialog&) = delete;

  bool IsOpen() const { return hwnd_ != nullptr; }

 private:
  friend class BaseWindow<OptionsDialog>;
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  bool OnCreate();
  void LoadOptions();
  void OnBrowseClicked();
  void OnSaveClicked();
  void Tell(const std::wstring& text);

  HINSTANCE instance_;
  OptionsAccess access_;
  std::wstring programPath_;
  std::function<void()> onClosed_;
  DialogFonts fonts_;
  // The file dialog remembers its last choice for as long as this window lives.
  std::wstring dialogFileName_;
};

}  // namespace cuelark
