// Helpers shared by the driver's sources; not part of its interface.
#pragma once

#include <cstddef>
#include <cwchar>
#include <string>
#include <string_view>

#include "tools/driver/Driver.h"

namespace cuelark::test::detail {

[[noreturn]] void Fail(const std::string& message);
// Appends the Win32 error code of the failed call.
[[noreturn]] void FailLastError(const std::string& what);
std::string Narrow(std::wstring_view text);
// "window 0x... (class C, id N)" for error messages.
std::string Describe(HWND window);
DWORD ProcessOf(HWND window);
// Throws unless window is an existing window; returns it.
HWND Existing(HWND window);
// Throws unless 0 <= index < count.
void CheckIndex(int index, int count, const char* what, HWND window);
// A descendant with this control id, or null.
HWND FindDescendant(HWND parent, int id);
// Polls condition until it holds (true) or timeoutMs passes (false).
bool PollUntil(const std::function<bool()>& condition, DWORD timeoutMs);

// SendMessage with a time limit: a hung or modal target fails the call
// instead of hanging the test.
LRESULT Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

// Delivers a message the way a user's input would run the program's handler,
// and returns once the handler has finished or has entered a nested message
// loop (a modal window). A posted message followed by a WM_NULL round trip
// does not guarantee that: the target handles sent messages before posted
// ones, so the round trip can come back first. SendNotifyMessage queues with
// the sent messages, in order, so the WM_NULL behind it is answered only
// after it.
void Deliver(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Memory inside the process that owns a window, for messages whose lParam
// points at a structure.
class RemoteMemory {
 public:
  RemoteMemory(HWND window, std::size_t size);
  RemoteMemory(const RemoteMemory&) = delete;
  RemoteMemory& operator=(const RemoteMemory&) = delete;
  ~RemoteMemory();

  // The address as the target process sees it.
  std::byte* Address(std::size_t offset = 0) const { return address_ + offset; }
  void Write(const void* data, std::size_t size, std::size_t offset = 0);
  void Read(void* data, std::size_t size, std::size_t offset = 0) const;

 private:
  unique_handle process_;
  std::byte* address_ = nullptr;
};

// Sends message with lParam pointing at a copy of value in the target, then
// copies the (possibly updated) value back.
template <class T>
LRESULT SendWithRemote(HWND window, UINT message, WPARAM wParam, T& value) {
  RemoteMemory remote(window, sizeof(T));
  remote.Write(&value, sizeof(T));
  LRESULT result = Send(window, message, wParam, reinterpret_cast<LPARAM>(remote.Address()));
  remote.Read(&value, sizeof(T));
  return result;
}

// For structures that name a text buffer by pszText and cchTextMax (list
// view items and columns, tab items): places the buffer right after the
// structure in the target and returns the text the control wrote there. A
// text that fills the buffer may have been cut, so it asks again with more.
template <class T>
std::wstring SendForText(HWND window, UINT message, WPARAM wParam, T item) {
  for (std::size_t capacity = 256;; capacity *= 2) {
    RemoteMemory remote(window, sizeof(T) + capacity * sizeof(wchar_t));
    item.pszText = reinterpret_cast<LPWSTR>(remote.Address(sizeof(T)));
    item.cchTextMax = static_cast<int>(capacity);
    const wchar_t empty = L'\0';
    remote.Write(&item, sizeof(T));
    remote.Write(&empty, sizeof(empty), sizeof(T));
    Send(window, message, wParam, reinterpret_cast<LPARAM>(remote.Address()));
    std::wstring text(capacity, L'\0');
    remote.Read(text.data(), capacity * sizeof(wchar_t), sizeof(T));
    text.resize(wcsnlen(text.data(), capacity));
    if (text.size() + 1 < capacity) return text;
  }
}

}  // namespace cuelark::test::detail
