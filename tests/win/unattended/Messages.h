// Waiting for a message posted to this thread, with a limit past which the
// wait counts as failed.
#pragma once

#include <windows.h>

#include <chrono>

#include "common/win32/Handles.h"

namespace cuelark::test {

// Dispatches the thread's other messages meanwhile. False when `message`
// did not come within `limit`.
inline bool WaitForPosted(UINT message, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  for (;;) {
    MSG posted;
    while (PeekMessageW(&posted, nullptr, 0, 0, PM_REMOVE)) {
      if (posted.message == message) return true;
      DispatchMessageW(&posted);
    }
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left.count()), QS_ALLINPUT);
  }
}

// A window that only receives messages.
inline win32::unique_hwnd MessageWindow() {
  return win32::unique_hwnd(
      CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr), nullptr));
}

inline constexpr UINT kTestMessage = WM_APP + 7;

}  // namespace cuelark::test
