#include "scheduler/win/MainMenu.h"

#include "scheduler/win/ControlIds.h"
#include "common/win32/Handles.h"

namespace cuelark {

bool AttachMainMenu(HWND window) {
  win32::unique_hmenu bar(CreateMenu());
  win32::unique_hmenu file(CreatePopupMenu());
  if (!bar || !file || !AppendMenuW(file.get(), MF_STRING, ids::kSelectPlayerCommand, L"Select Winamp Executable") ||
      !AppendMenuW(file.get(), MF_STRING, ids::kHistoryCommand, L"History ...") ||
      !AppendMenuW(file.get(), MF_STRING, ids::kOptionsCommand, L"Options ...") ||
      !AppendMenuW(file.get(), MF_STRING, ids::kExitCommand, L"E&xit") ||
      !AppendMenuW(bar.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(file.get()), L"File"))
    return false;
  // The bar now holds the File menu and destroys it with itself.
  file.release();
  if (!SetMenu(window, bar.get())) return false;
  // From SetMenu on the window destroys the bar with itself.
  bar.release();
  return true;
}

}  // namespace cuelark
