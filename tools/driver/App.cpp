#include <algorithm>

#include "tools/driver/Internal.h"

namespace cuelark::test {

using namespace detail;

namespace {

// How long the destructor lets a program close by itself before ending it.
constexpr DWORD kPoliteExitMs = 3000;

struct EnvironmentFreer {
  void operator()(wchar_t* block) const noexcept { FreeEnvironmentStringsW(block); }
};

bool SameNameIgnoringCase(std::wstring_view a, std::wstring_view b) {
  return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
         CSTR_EQUAL;
}

// The name of "NAME=value"; entries such as "=C:=C:\dir" keep their leading
// '=' as part of the name.
std::wstring_view VariableName(std::wstring_view entry) { return entry.substr(0, entry.find(L'=', 1)); }

// This process's environment with the given variables added or replaced, as
// the double-null-terminated block CreateProcessW takes.
std::wstring EnvironmentBlock(const Environment& changes) {
  std::unique_ptr<wchar_t, EnvironmentFreer> current(GetEnvironmentStringsW());
  if (!current) FailLastError("Reading the environment");
  std::vector<std::wstring> entries;
  for (const wchar_t* entry = current.get(); *entry; entry += entries.back().size() + 1) entries.emplace_back(entry);
  for (const auto& [name, value] : changes) {
    std::erase_if(entries, [&](const std::wstring& entry) { return SameNameIgnoringCase(VariableName(entry), name); });
    entries.push_back(name + L"=" + value);
  }
  // Windows expects the block sorted by name, ignoring case.
  std::sort(entries.begin(), entries.end(), [](const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
           CSTR_LESS_THAN;
  });
  std::wstring block;
  for (const std::wstring& entry : entries) block += entry + L'\0';
  return block + L'\0';
}

HWND FirstVisible(const std::vector<HWND>& windows) {
  const auto visible = std::find_if(windows.begin(), windows.end(), [](HWND window) { return IsWindowVisible(window); });
  return visible == windows.end() ? nullptr : *visible;
}

}  // namespace

std::vector<HWND> TopLevelWindows(DWORD processId, std::wstring_view className) {
  struct Search {
    DWORD processId;
    std::wstring_view className;
    std::vector<HWND> found;
  } search{processId, className, {}};
  const BOOL enumerated = EnumWindows(
      [](HWND window, LPARAM lParam) -> BOOL {
        auto* search = reinterpret_cast<Search*>(lParam);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner != search->processId) return TRUE;
        wchar_t name[256] = L"";
        GetClassNameW(window, name, 256);
        if (search->className.empty() || SameNameIgnoringCase(name, search->className)) search->found.push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  if (!enumerated) FailLastError("Listing the top-level windows");
  return search.found;
}

HWND FindControl(HWND parent, int id) {
  const HWND control = FindDescendant(parent, id);
  if (!control) Fail("No control with id " + std::to_string(id) + " in " + Describe(parent));
  return control;
}

void WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs, std::string_view what) {
  if (!PollUntil(condition, timeoutMs))
    Fail("Timed out after " + std::to_string(timeoutMs) + " ms waiting for " + std::string(what));
}

App::App(unique_handle process, DWORD processId, std::wstring mainClass)
    : process_(std::move(process)), processId_(processId), mainClass_(std::move(mainClass)) {}

App App::Launch(const std::filesystem::path& exe, const std::filesystem::path& folder, std::wstring_view arguments,
                const Environment& environment, std::wstring_view mainClass) {
  const std::string name = Narrow(exe.wstring());
  std::wstring commandLine = L"\"" + exe.wstring() + L"\"";
  if (!arguments.empty()) commandLine += L" " + std::wstring(arguments);
  std::wstring block = environment.empty() ? std::wstring() : EnvironmentBlock(environment);

  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION started{};
  // Wine now and then refuses to start a program just copied into place with
  // an internal error that the next attempt does not repeat; any other
  // refusal is the test's to report.
  constexpr int kAttempts = 5;
  for (int attempt = 1;; ++attempt) {
    if (CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_UNICODE_ENVIRONMENT,
                       block.empty() ? nullptr : block.data(), folder.c_str(), &startup, &started))
      break;
    if (GetLastError() != ERROR_INTERNAL_ERROR || attempt == kAttempts)
      FailLastError("Starting " + name + " in " + Narrow(folder.wstring()));
  }
  const unique_handle thread(started.hThread);
  App app(unique_handle(started.hProcess), started.dwProcessId, std::wstring(mainClass));

  // A program that exits during start-up would otherwise be reported as a
  // window that never came.
  auto failIfExited = [&] {
    if (!app.IsRunning())
      Fail(name + " exited with code " + std::to_string(app.ExitCode()) + " before showing its window");
  };
  const DWORD idle = WaitForInputIdle(app.Handle(), kDefaultTimeoutMs);
  if (idle != 0) {
    failIfExited();
    Fail(name + " did not become idle within " + std::to_string(kDefaultTimeoutMs) + " ms (WaitForInputIdle answered " +
         std::to_string(idle) + ")");
  }
  WaitUntil(
      [&] {
        failIfExited();
        return FirstVisible(TopLevelWindows(app.processId_, mainClass)) != nullptr;
      },
      kDefaultTimeoutMs, "a visible " + Narrow(mainClass) + " window of " + name);
  return app;
}

App App::Attach(DWORD processId, std::wstring_view mainClass) {
  unique_handle process(OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE,
                                    processId));
  if (!process) FailLastError("Opening process " + std::to_string(processId));
  return App(std::move(process), processId, std::wstring(mainClass));
}

App& App::operator=(App&& other) noexcept {
  if (this != &other) {
    End();
    process_ = std::move(other.process_);
    processId_ = other.processId_;
    mainClass_ = std::move(other.mainClass_);
  }
  return *this;
}

App::~App() { End(); }

void App::End() noexcept {
  if (!process_) return;
  const HANDLE process = process_.get();
  if (WaitForSingleObject(process, 0) == WAIT_TIMEOUT) {
    // Best effort: whatever the program does with the request, it is
    // terminated below if it is still running.
    try {
      for (HWND window : TopLevelWindows(processId_, mainClass_)) PostMessageW(window, WM_CLOSE, 0, 0);
    } catch (const DriverError&) {
    }
    if (WaitForSingleObject(process, kPoliteExitMs) == WAIT_TIMEOUT) {
      TerminateProcess(process, 1);
      WaitForSingleObject(process, kDefaultTimeoutMs);
    }
  }
  process_.reset();
}

HANDLE App::Handle() const {
  if (!process_) Fail("This App no longer owns a process (it was moved from)");
  return process_.get();
}

HWND App::MainWindow() const {
  const std::vector<HWND> windows = TopLevelWindows(ProcessId(), mainClass_);
  if (windows.empty()) Fail("Process " + std::to_string(processId_) + " has no " + Narrow(mainClass_) + " window");
  const HWND visible = FirstVisible(windows);
  return visible ? visible : windows.front();
}

HWND App::Window(std::wstring_view className, DWORD timeoutMs) const {
  HWND found = nullptr;
  WaitUntil([&] { return (found = FirstVisible(TopLevelWindows(ProcessId(), className))) != nullptr; }, timeoutMs,
            "a visible " + Narrow(className) + " window of process " + std::to_string(processId_));
  return found;
}

HWND App::Control(int id) const {
  const HWND main = MainWindow();
  std::vector<HWND> windows = TopLevelWindows(processId_);
  std::erase(windows, main);
  windows.insert(windows.begin(), main);
  for (HWND window : windows)
    if (const HWND control = FindDescendant(window, id)) return control;
  Fail("No control with id " + std::to_string(id) + " in the windows of process " + std::to_string(processId_));
}

DWORD App::ProcessId() const {
  Handle();
  return processId_;
}

HANDLE App::Process() const { return Handle(); }

bool App::IsRunning() const {
  const DWORD state = WaitForSingleObject(Handle(), 0);
  if (state == WAIT_FAILED) FailLastError("Checking process " + std::to_string(processId_));
  return state == WAIT_TIMEOUT;
}

bool App::WaitForExit(DWORD timeoutMs) {
  const DWORD state = WaitForSingleObject(Handle(), timeoutMs);
  if (state == WAIT_FAILED) FailLastError("Waiting for process " + std::to_string(processId_));
  return state == WAIT_OBJECT_0;
}

DWORD App::ExitCode() const {
  if (IsRunning()) Fail("Process " + std::to_string(processId_) + " is still running; it has no exit code yet");
  DWORD code = 0;
  if (!GetExitCodeProcess(Handle(), &code)) FailLastError("Reading the exit code of process " + std::to_string(processId_));
  return code;
}

void App::Close(DWORD timeoutMs) {
  if (!PostMessageW(MainWindow(), WM_CLOSE, 0, 0)) FailLastError("Asking process " + std::to_string(processId_) + " to close");
  if (!WaitForExit(timeoutMs))
    Fail("Process " + std::to_string(processId_) + " did not exit within " + std::to_string(timeoutMs) +
         " ms of WM_CLOSE");
}

void App::Kill() {
  if (!IsRunning()) return;
  if (!TerminateProcess(Handle(), 1)) FailLastError("Terminating process " + std::to_string(processId_));
  if (!WaitForExit(kDefaultTimeoutMs)) Fail("Process " + std::to_string(processId_) + " survived TerminateProcess");
}

}  // namespace cuelark::test
