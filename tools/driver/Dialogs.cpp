#include <windows.h>
#include <commctrl.h>
#include <dlgs.h>

#include <cwchar>

#include "tools/driver/Internal.h"

namespace cuelark::test {

using namespace detail;

namespace {

constexpr wchar_t kDialogClass[] = L"#32770";
// The static control that holds a message box's text.
constexpr int kMessageBoxTextId = 0xFFFF;

// GetWindowTextW reads another process's caption without sending it a
// message, so a dialog closing during the search cannot fail the search.
std::wstring Caption(HWND window) {
  wchar_t caption[512] = L"";
  GetWindowTextW(window, caption, 512);
  return caption;
}

// The file name box: an edit inside combo box cmb13 in the explorer-style
// dialog, a plain edit edt1 in others.
HWND FileNameBox(HWND dialog) {
  const HWND combo = FindDescendant(dialog, cmb13);
  return combo ? combo : FindDescendant(dialog, edt1);
}

HWND FindDialog(DWORD processId, DWORD timeoutMs, const std::function<bool(HWND)>& matches) {
  HWND found = nullptr;
  PollUntil(
      [&] {
        for (HWND window : TopLevelWindows(processId, kDialogClass))
          if (IsWindowVisible(window) && matches(window)) {
            found = window;
            return true;
          }
        return false;
      },
      timeoutMs);
  return found;
}

}  // namespace

HWND FindMessageBox(DWORD processId, std::wstring_view title, DWORD timeoutMs) {
  return FindDialog(processId, timeoutMs, [&](HWND window) { return Caption(window) == title; });
}

std::wstring MessageBoxText(HWND box) { return GetText(FindControl(box, kMessageBoxTextId)); }

std::wstring AnswerMessageBox(DWORD processId, std::wstring_view title, int buttonId, DWORD timeoutMs) {
  const HWND box = FindMessageBox(processId, title, timeoutMs);
  if (!box) Fail("No message box \"" + Narrow(title) + "\" appeared");
  const std::wstring text = MessageBoxText(box);
  PressDialogButton(box, buttonId);
  WaitUntilGone(box, kDefaultTimeoutMs);
  return text;
}

// Only the dialog's own buttons count: a file dialog also holds a list view
// and a toolbar with the id IDOK.
void PressDialogButton(HWND dialog, int buttonId) {
  for (HWND child = nullptr; (child = FindWindowExW(Existing(dialog), child, L"Button", nullptr));)
    if (GetDlgCtrlID(child) == buttonId) return Click(child);
  Fail("No button with id " + std::to_string(buttonId) + " in " + Describe(dialog));
}

void WaitUntilGone(HWND window, DWORD timeoutMs) {
  WaitUntil([&] { return !IsWindow(window); }, timeoutMs, Describe(window) + " to go away");
}

HWND FindFileDialog(DWORD processId, DWORD timeoutMs) {
  return FindDialog(processId, timeoutMs, [](HWND window) { return FileNameBox(window) != nullptr; });
}

void FileDialogSetName(HWND dialog, const std::filesystem::path& file) {
  const HWND box = FileNameBox(Existing(dialog));
  if (!box) Fail("No file name box in " + Describe(dialog));
  SetText(box, file.wstring());
}

void FileDialogOk(HWND dialog) { PressDialogButton(dialog, IDOK); }

void FileDialogCancel(HWND dialog) { PressDialogButton(dialog, IDCANCEL); }

void SendMenuCommand(HWND window, int commandId) { Deliver(Existing(window), WM_COMMAND, MAKEWPARAM(commandId, 0), 0); }

void TrayClick(HWND mainWindow, unsigned callbackMessage, unsigned trayUid) {
  Deliver(Existing(mainWindow), callbackMessage, trayUid, WM_LBUTTONUP);
}

std::vector<std::wstring> TrayTips() {
  const HWND tray = FindWindowW(L"Shell_TrayWnd", nullptr);
  if (!tray) Fail("No notification area (Shell_TrayWnd) on this desktop");
  // A tip is at most this long, terminating zero included.
  constexpr std::size_t kTipCapacity = 1024;
  std::vector<std::wstring> tips;
  for (const HWND tooltip : TopLevelWindows(ProcessOf(tray), TOOLTIPS_CLASSW)) {
    const int count = static_cast<int>(Send(tooltip, TTM_GETTOOLCOUNT));
    for (int i = 0; i < count; ++i) {
      TTTOOLINFOW tool{};
      tool.cbSize = sizeof(tool);
      if (!SendWithRemote(tooltip, TTM_ENUMTOOLSW, i, tool)) continue;
      RemoteMemory remote(tooltip, sizeof(tool) + kTipCapacity * sizeof(wchar_t));
      tool.lpszText = reinterpret_cast<LPWSTR>(remote.Address(sizeof(tool)));
      const wchar_t empty = L'\0';
      remote.Write(&tool, sizeof(tool));
      remote.Write(&empty, sizeof(empty), sizeof(tool));
      Send(tooltip, TTM_GETTEXTW, kTipCapacity, reinterpret_cast<LPARAM>(remote.Address()));
      std::wstring tip(kTipCapacity, L'\0');
      remote.Read(tip.data(), kTipCapacity * sizeof(wchar_t), sizeof(tool));
      tip.resize(wcsnlen(tip.data(), kTipCapacity));
      tips.push_back(std::move(tip));
    }
  }
  return tips;
}

void PressKey(HWND window, UINT virtualKey) {
  const LPARAM scanCode = static_cast<LPARAM>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC)) << 16;
  if (!PostMessageW(Existing(window), WM_KEYDOWN, virtualKey, scanCode | 1) ||
      !PostMessageW(window, WM_KEYUP, virtualKey, scanCode | 1 | (LPARAM{1} << 30) | (LPARAM{1} << 31)))
    FailLastError("Posting a key press to " + Describe(window));
}

}  // namespace cuelark::test
