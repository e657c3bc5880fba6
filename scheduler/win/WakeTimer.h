// Waking the computer for the next firing: a waitable timer whose signal is
// posted to a window, and the guard that keeps the computer awake until the
// firing and its playlist resume are done.
#pragma once

#include <windows.h>

#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "scheduler/core/WakeTime.h"
#include "common/win32/Handles.h"

namespace cuelark {

struct WakeTimerSetting {
  // The timer will signal at the due time.
  bool set = false;
  // ... and will wake the computer for it, as far as the system tells.
  bool wakes = false;
  // Why not, when either is false.
  std::wstring reason;
};

class WakeTimer {
  // Only Create makes one: a timer is of use only with its wait armed.
  class Token {
    friend class WakeTimer;
    Token() = default;
  };

 public:
  // Each signal comes to `window` as a posted `message` (no parameters).
  // Nothing, with the reason in `error`, when the system has no timer or
  // wait left.
  static std::unique_ptr<WakeTimer> Create(HWND window, UINT message, std::wstring& error);
  WakeTimer(Token, HWND window, UINT message) : window_(window), message_(message) {}
  // Waits for a signal being delivered, so that none reaches a freed object.
  ~WakeTimer();
  WakeTimer(const WakeTimer&) = delete;
  WakeTimer& operator=(const WakeTimer&) = delete;

  // Replaces any earlier due time.
  WakeTimerSetting Set(UtcInstant due);
  void Cancel();

 private:
  struct WaitCloser {
    void operator()(PTP_WAIT wait) const noexcept { CloseThreadpoolWait(wait); }
  };

  static void CALLBACK OnSignalled(PTP_CALLBACK_INSTANCE, PVOID context, PTP_WAIT wait, TP_WAIT_RESULT);

  HWND window_;
  UINT message_;
  win32::unique_handle timer_;
  std::unique_ptr<TP_WAIT, WaitCloser> wait_;
  // Guards the re-arming of the wait against the shut-down.
  std::mutex arming_;
  bool stopping_ = false;
};

// While held, the system does not go to sleep on its idle timeout. Held and
// released on the same thread: the system counts the request per thread.
class KeepAwake {
 public:
  KeepAwake() : held_(SetThreadExecutionState(ES_SYSTEM_REQUIRED | ES_CONTINUOUS) != 0) {}
  ~KeepAwake() {
    if (held_) SetThreadExecutionState(ES_CONTINUOUS);
  }
  KeepAwake(const KeepAwake&) = delete;
  KeepAwake& operator=(const KeepAwake&) = delete;
  bool Held() const { return held_; }

 private:
  bool held_;
};

// The power plan's "Allow wake timers" for the current power source: false
// when it is off, nothing when the system cannot tell.
std::optional<bool> WakeTimersAllowed();

// Why a wake timer cannot wake this computer, or nothing as far as can be
// told: a timer without resume support, or wake timers off in the power plan.
std::optional<std::wstring> WhyWakingCannotWork();

}  // namespace cuelark
