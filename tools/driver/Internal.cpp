#include "tools/driver/Internal.h"

#include <cstdint>
#include <cstdio>

namespace cuelark::test::detail {

namespace {

constexpr DWORD kSendTimeoutMs = kDefaultTimeoutMs;
constexpr DWORD kPollMs = 10;

std::string Hex(std::uintptr_t value) {
  char text[24];
  std::snprintf(text, sizeof(text), "0x%llX", static_cast<unsigned long long>(value));
  return text;
}

}  // namespace

void Fail(const std::string& message) { throw DriverError(message); }

void FailLastError(const std::string& what) {
  const DWORD error = GetLastError();
  Fail(what + " failed (Win32 error " + std::to_string(error) + ")");
}

std::string Narrow(std::wstring_view text) {
  if (text.empty()) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                       nullptr, nullptr);
  std::string narrow(size, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), narrow.data(), size, nullptr,
                      nullptr);
  return narrow;
}

std::string Describe(HWND window) {
  const std::string handle = "window " + Hex(reinterpret_cast<std::uintptr_t>(window));
  if (!IsWindow(window)) return handle + " (no longer exists)";
  wchar_t className[256] = L"";
  GetClassNameW(window, className, 256);
  return handle + " (class " + Narrow(className) + ", id " +
         std::to_string(GetDlgCtrlID(window)) + ")";
}

DWORD ProcessOf(HWND window) {
  DWORD processId = 0;
  if (!GetWindowThreadProcessId(window, &processId)) FailLastError("Finding the process of " + Describe(window));
  return processId;
}

HWND Existing(HWND window) {
  if (!IsWindow(window)) Fail(Describe(window));
  return window;
}

void CheckIndex(int index, int count, const char* what, HWND window) {
  if (index < 0 || index >= count)
    Fail(std::string(what) + " " + std::to_string(index) + " is out of range: " + Describe(window) + " has " +
         std::to_string(count));
}

// EnumChildWindows visits all descendants, not only the children.
HWND FindDescendant(HWND parent, int id) {
  struct Search {
    int id;
    HWND found;
  } search{id, nullptr};
  EnumChildWindows(
      parent,
      [](HWND child, LPARAM lParam) -> BOOL {
        auto* search = reinterpret_cast<Search*>(lParam);
        if (GetDlgCtrlID(child) != search->id) return TRUE;
        search->found = child;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}


bool PollUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  while (!condition()) {
    if (GetTickCount64() >= deadline) return false;
    Sleep(kPollMs);
  }
  return true;
}

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, kSendTimeoutMs, &result)) {
    const DWORD error = GetLastError();
    const std::string what = "Message " + Hex(message) + " to " + Describe(window);
    if (error == ERROR_TIMEOUT)
      Fail(what + " got no answer within " + std::to_string(kSendTimeoutMs) +
           " ms (is the program blocked or showing a modal window?)");
    SetLastError(error);
    FailLastError(what);
  }
  return static_cast<LRESULT>(result);
}

void Deliver(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!SendNotifyMessageW(window, message, wParam, lParam))
    FailLastError("Sending a notification to " + Describe(window));
  Send(window, WM_NULL);
}

RemoteMemory::RemoteMemory(HWND window, std::size_t size)
    : process_(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, ProcessOf(window))) {
  if (!process_) FailLastError("Opening the process of " + Describe(window));
  address_ = static_cast<std::byte*>(
      VirtualAllocEx(process_.get(), nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  if (!address_) FailLastError("Allocating memory in the process of " + Describe(window));
}

RemoteMemory::~RemoteMemory() { VirtualFreeEx(process_.get(), address_, 0, MEM_RELEASE); }

void RemoteMemory::Write(const void* data, std::size_t size, std::size_t offset) {
  SIZE_T written = 0;
  if (!WriteProcessMemory(process_.get(), address_ + offset, data, size, &written) || written != size)
    FailLastError("Writing to another process's memory");
}

void RemoteMemory::Read(void* data, std::size_t size, std::size_t offset) const {
  SIZE_T read = 0;
  if (!ReadProcessMemory(process_.get(), address_ + offset, data, size, &read) || read != size)
    FailLastError("Reading another process's memory");
}

}  // namespace cuelark::test::detail
