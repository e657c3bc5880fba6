#include "scheduler/win/WakeTimer.h"

#include <powrprof.h>

#include "common/win32/TextConversion.h"

namespace cuelark {
namespace {

// The sleep settings of a power plan, and in them "Allow wake timers".
constexpr GUID kSleepSubgroup = {0x238c9fa8, 0x0aad, 0x41ed, {0x83, 0xf4, 0x97, 0xbe, 0x24, 0x2c, 0x8f, 0x20}};
constexpr GUID kAllowWakeTimers = {0xbd3b718a, 0x0680, 0x4d9d, {0x8a, 0xb2, 0xe1, 0xd2, 0xb4, 0xac, 0x80, 0x6d}};

// FILETIME counts 100 ns steps from 1601-01-01 UTC.
constexpr std::int64_t kSecondsFrom1601To1970 = 11644473600;
constexpr std::int64_t kFileTimeStepsPerSecond = 10000000;

constexpr wchar_t kNoResume[] = L"this computer does not support waking by a timer";

}  // namespace

std::unique_ptr<WakeTimer> WakeTimer::Create(HWND window, UINT message, std::wstring& error) {
  auto timer = std::make_unique<WakeTimer>(Token(), window, message);
  // Auto-reset: a signal is consumed by the wait it satisfies, so the wait
  // re-armed after it does not see the same signal again.
  timer->timer_.reset(CreateWaitableTimerExW(nullptr, nullptr, 0, TIMER_MODIFY_STATE | SYNCHRONIZE));
  if (!timer->timer_) {
    error = L"The wake timer cannot be created: " + win32::ErrorText(GetLastError());
    return nullptr;
  }
  timer->wait_.reset(CreateThreadpoolWait(OnSignalled, timer.get(), nullptr));
  if (!timer->wait_) {
    error = L"The wake timer cannot be watched: " + win32::ErrorText(GetLastError());
    return nullptr;
  }
  SetThreadpoolWait(timer->wait_.get(), timer->timer_.get(), nullptr);
  return timer;
}

WakeTimer::~WakeTimer() {
  if (!wait_) return;
  {
    const std::lock_guard lock(arming_);
    stopping_ = true;
    SetThreadpoolWait(wait_.get(), nullptr, nullptr);
  }
  WaitForThreadpoolWaitCallbacks(wait_.get(), TRUE);
}

void CALLBACK WakeTimer::OnSignalled(PTP_CALLBACK_INSTANCE, PVOID context, PTP_WAIT wait, TP_WAIT_RESULT) {
  auto* self = static_cast<WakeTimer*>(context);
  // A window that has gone has no use for the signal.
  PostMessageW(self->window_, self->message_, 0, 0);
  const std::lock_guard lock(self->arming_);
  if (!self->stopping_) SetThreadpoolWait(wait, self->timer_.get(), nullptr);
}

WakeTimerSetting WakeTimer::Set(UtcInstant due) {
  LARGE_INTEGER dueTime{};
  // Positive: an absolute time in UTC, which a change of the clock's zone
  // or of daylight saving leaves where it is.
  dueTime.QuadPart = (due.serial + kSecondsFrom1601To1970) * kFileTimeStepsPerSecond;
  SetLastError(ERROR_SUCCESS);
  WakeTimerSetting setting;
  if (!SetWaitableTimer(timer_.get(), &dueTime, 0, nullptr, nullptr, TRUE)) {
    setting.reason = L"the wake timer cannot be set: " + win32::ErrorText(GetLastError());
    return setting;
  }
  setting.set = true;
  // The timer is set all the same; it only cannot wake a sleeping computer.
  if (GetLastError() == ERROR_NOT_SUPPORTED) {
    setting.reason = kNoResume;
    return setting;
  }
  setting.wakes = true;
  return setting;
}

void WakeTimer::Cancel() { CancelWaitableTimer(timer_.get()); }

std::optional<bool> WakeTimersAllowed() {
  GUID* scheme = nullptr;
  if (PowerGetActiveScheme(nullptr, &scheme) != ERROR_SUCCESS || !scheme) return std::nullopt;
  const win32::unique_hlocal schemeOwner(scheme);
  SYSTEM_POWER_STATUS power{};
  const bool onBattery = GetSystemPowerStatus(&power) && power.ACLineStatus == 0;
  DWORD value = 0;
  const DWORD status = onBattery ? PowerReadDCValueIndex(nullptr, scheme, &kSleepSubgroup, &kAllowWakeTimers, &value)
                                 : PowerReadACValueIndex(nullptr, scheme, &kSleepSubgroup, &kAllowWakeTimers, &value);
  if (status != ERROR_SUCCESS) return std::nullopt;
  return value != 0;
}

std::optional<std::wstring> WhyWakingCannotWork() {
  // A timer of its own, set far ahead and closed unfired, asks the system
  // whether it can resume for one.
  const win32::unique_handle probe(CreateWaitableTimerExW(nullptr, nullptr, 0, TIMER_MODIFY_STATE));
  if (!probe) return L"the wake timer cannot be created: " + win32::ErrorText(GetLastError());
  LARGE_INTEGER dueTime{};
  dueTime.QuadPart = -24LL * 3600 * kFileTimeStepsPerSecond;
  SetLastError(ERROR_SUCCESS);
  if (!SetWaitableTimer(probe.get(), &dueTime, 0, nullptr, nullptr, TRUE))
    return L"the wake timer cannot be set: " + win32::ErrorText(GetLastError());
  const DWORD setError = GetLastError();
  CancelWaitableTimer(probe.get());
  if (setError == ERROR_NOT_SUPPORTED) return std::wstring(kNoResume);
  if (WakeTimersAllowed() == false) return std::wstring(L"wake timers are switched off in the power plan");
  return std::nullopt;
}

}  // namespace cuelark
