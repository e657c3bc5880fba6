// Cuelark's entry point: one scheduler per program folder, a single-threaded
// apartment for the INI control, the program's objects, and the message loop.
// Everything the program keeps is built here and handed to the window.
#include <windows.h>
#include <commctrl.h>

#include <optional>
#include <string>

#include "common/win32/ComApartment.h"
#include "common/win32/Handles.h"
#include "common/win32/TextConversion.h"
#include "scheduler/core/Controller.h"
#include "scheduler/core/DiskHistoryFiles.h"
#include "scheduler/core/DiskInputFiles.h"
#include "scheduler/core/InstanceLock.h"
#include "scheduler/core/PlayerSettings.h"
#include "scheduler/win/ControlIds.h"
#include "scheduler/win/DispatchIniStore.h"
#include "scheduler/win/MainWindow.h"
#include "scheduler/win/PlayerRemote.h"
#include "scheduler/win/SystemClock.h"
#include "scheduler/win/SystemPaths.h"
#include "scheduler/win/SystemWeekLocale.h"
#include "scheduler/win/WinText.h"

namespace {

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

cuelark::StoreStamp StampOf(const std::wstring& file) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &data)) return {};
  return {true, (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow,
          static_cast<std::int64_t>((static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                                    data.ftLastWriteTime.dwLowDateTime)};
}

// Waits for window messages and for changes in the program's folder, where
// another program may edit the saved commands.
int RunMessageLoop(cuelark::MainWindow& window) {
  for (;;) {
    const HANDLE watch = window.FolderWatch();
    const DWORD woke = MsgWaitForMultipleObjectsEx(watch ? 1 : 0, &watch, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (woke == WAIT_FAILED) return 1;
    if (watch && woke == WAIT_OBJECT_0) {
      window.OnFolderChanged();
      continue;
    }
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) return static_cast<int>(message.wParam);
      // Keyboard navigation between controls, in whichever of our windows.
      const HWND root = message.hwnd ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
      if (root && IsDialogMessageW(root, &message)) continue;
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
}

// A start that cannot go on says why before it ends: a scheduler that just
// does not come up leaves the user guessing.
int EndAtStartUp(const std::wstring& what, std::optional<DWORD> error) {
  std::wstring text = L"Cuelark cannot start: " + what;
  if (error) text += L"\n\n" + win32::ErrorText(*error);
  MessageBoxW(nullptr, text.c_str(), L"Cuelark", MB_OK | MB_ICONSTOP);
  return 1;
}

// The store, the player settings and the history live beside the program.
int RunProgram(HINSTANCE instance, int showCommand) {
  std::wstring error;
  const std::unique_ptr<cuelark::DispatchIniStore> iniStore = cuelark::DispatchIniStore::Create(error);
  if (!iniStore) {
    MessageBoxW(nullptr, (error + L"\n\nCuelark cannot keep its saved commands without it and ends now.").c_str(),
                L"Cuelark", MB_OK | MB_ICONSTOP);
    return 1;
  }
  const std::wstring folder = cuelark::ProgramFolder();
  const std::wstring storePath = folder + L"\\cue.ini";
  cuelark::PlayerSettings playerSettings(*iniStore, folder + L"\\winamp.ini");
  cuelark::MainWindow window(instance, playerSettings);
  cuelark::PlayerLinkSettings playerLink;
  playerLink.tell = [&window](const std::wstring& text, const std::wstring& title) {
    window.TellPlayerNotice(text, title);
  };
  // Asked only when the player has to be started, so that a choice made
  // in the player dialog meanwhile counts.
  playerLink.chosenPlayer = [&playerSettings] { return playerSettings.ReadExe(); };
  cuelark::WindowPlayer player(std::move(playerLink));
  cuelark::DiskHistoryFiles historyFiles;
  cuelark::DiskInputFiles inputFiles(
      [](std::string_view bytes) { return win32::CodePageToWide(CP_ACP, bytes); });
  cuelark::Controller controller(*iniStore, player, playerSettings, historyFiles, window,
                                 {storePath, cuelark::SystemWeekLocale(),
                                  cuelark::SystemPlaylistLookups(), cuelark::CanReadFile,
                                  std::filesystem::path(folder), cuelark::CurrentTime,
                                  [storePath] { return StampOf(storePath); },
                                  [&inputFiles](const std::wstring& command) {
                                    return cuelark::CheckCommandAtOnce(command, inputFiles);
                                  },
                                  cuelark::UtcNow, cuelark::UtcOffsetMinutesAt});
  window.SetOptionsAccess({[&controller] { return controller.CurrentOptions(); },
                           [&controller](const cuelark::Options& options) { return controller.SaveOptions(options); }});
  return window.Create(controller, showCommand) ? RunMessageLoop(window) : 1;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
  win32::unique_handle lock(
      CreateMutexW(nullptr, FALSE, cuelark::InstanceLockName(cuelark::ProgramFolder()).c_str()));
  if (!lock) {
    return EndAtStartUp(L"the lock that keeps to one Cuelark per folder could not be created.", GetLastError());
  }
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    ShowRunningInstance();
    return 0;
  }

  const INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES |
                                                            ICC_DATE_CLASSES | ICC_BAR_CLASSES};
  if (!InitCommonControlsEx(&controls)) return EndAtStartUp(L"the common controls could not be loaded.", std::nullopt);
  const win32::ComApartment com;
  if (FAILED(com.Result())) return EndAtStartUp(L"COM could not be initialised.", static_cast<DWORD>(com.Result()));
  return RunProgram(instance, showCommand);
}
