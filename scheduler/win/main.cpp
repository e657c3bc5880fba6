// Cuelark's entry point: one scheduler per program folder, a single-threaded
// apartment for the INI control, and the message loop.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <string>

#include "scheduler/win/ControlIds.h"
#include "scheduler/win/MainWindow.h"
#include "common/win32/Handles.h"
#include "scheduler/win/WinText.h"

namespace {

// Two schedulers on one folder would fire every entry twice and overwrite
// each other's store, so the name of the lock is the folder's.
std::wstring InstanceLockName() {
  std::wstring folder = cuelark::ProgramFolder();
  for (wchar_t& c : folder) c = c == L'\\' || c == L'/' || c == L':' ? L'_' : static_cast<wchar_t>(towlower(c));
  return L"Local\\Cuelark-" + folder;
}

std::wstring ProcessFolder(DWORD processId) {
  win32::unique_handle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
  if (!process) return {};
  std::wstring path(32768, L'\0');
  DWORD size = static_cast<DWORD>(path.size());
  if (!QueryFullProcessImageNameW(process.get(), 0, path.data(), &size)) return {};
  path.resize(size);
  return path.substr(0, path.find_last_of(L"\\/"));
}

// Finds the main window of the Cuelark that runs from this folder.
BOOL CALLBACK FindRunningMainWindow(HWND window, LPARAM found) {
  wchar_t className[64];
  if (!GetClassNameW(window, className, 64) || std::wstring(className) != cuelark::ids::kMainWindowClass) return TRUE;
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  if (processId == GetCurrentProcessId() ||
      CompareStringOrdinal(ProcessFolder(processId).c_str(), -1, cuelark::ProgramFolder().c_str(), -1, TRUE) !=
          CSTR_EQUAL)
    return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

void ShowRunningInstance() {
  HWND running = nullptr;
  EnumWindows(FindRunningMainWindow, reinterpret_cast<LPARAM>(&running));
  if (running) {
    AllowSetForegroundWindow(ASFW_ANY);
    PostMessageW(running, cuelark::ShowRequestMessage(), 0, 0);
  }
}

int RunMessageLoop() {
  MSG message;
  BOOL got;
  while ((got = GetMessageW(&message, nullptr, 0, 0)) != 0) {
    if (got == -1) return 1;
    // Keyboard navigation between controls, in whichever of our windows.
    const HWND root = message.hwnd ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
    if (root && IsDialogMessageW(root, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
  win32::unique_handle lock(CreateMutexW(nullptr, FALSE, InstanceLockName().c_str()));
  if (!lock) return 1;
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    ShowRunningInstance();
    return 0;
  }

  const INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES |
                                                            ICC_DATE_CLASSES | ICC_BAR_CLASSES};
  if (!InitCommonControlsEx(&controls)) return 1;
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
  int exitCode = 1;
  if (auto window = cuelark::MainWindow::Create(instance, showCommand)) exitCode = RunMessageLoop();
  CoUninitialize();
  return exitCode;
}
