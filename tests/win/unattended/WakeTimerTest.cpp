// The wake timer's signal at its due time, posted to a window. (Under Wine
// the computer does not sleep: what can be seen is the signal.)
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <memory>
#include <string>

#include "scheduler/win/WakeTimer.h"
#include "tests/win/unattended/Messages.h"

namespace cuelark::test {
namespace {

using std::chrono::milliseconds;

// Now in UTC, in milliseconds since 1970.
std::int64_t UtcMilliseconds() {
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  const std::int64_t steps = (static_cast<std::int64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
  return steps / 10000 - 11644473600000;
}

// The next whole second at least `ahead` seconds from now.
UtcInstant SecondsAhead(std::int64_t ahead) { return UtcInstant{UtcMilliseconds() / 1000 + ahead + 1}; }

class WakeTimerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(window_);
    std::wstring error;
    timer_ = WakeTimer::Create(window_.get(), kTestMessage, error);
    ASSERT_TRUE(timer_) << testing::PrintToString(error);
  }

  win32::unique_hwnd window_ = MessageWindow();
  std::unique_ptr<WakeTimer> timer_;
};

TEST_F(WakeTimerTest, EachSettingSignalsOnceAtItsDueTime) {
  // Twice: the wait is armed again after a signal.
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    const UtcInstant due = SecondsAhead(1);
    const WakeTimerSetting setting = timer_->Set(due);
    ASSERT_TRUE(setting.set) << testing::PrintToString(setting.reason);
    ASSERT_TRUE(WaitForPosted(kTestMessage, milliseconds(10000)));
    // The system's clock and the timer's may round differently by a tick.
    EXPECT_GE(UtcMilliseconds(), due.serial * 1000 - 20);
    // One signal for one setting.
    EXPECT_FALSE(WaitForPosted(kTestMessage, milliseconds(300)));
  }
}

TEST_F(WakeTimerTest, ALaterSettingReplacesTheEarlierOne) {
  const UtcInstant early = SecondsAhead(1);
  const UtcInstant later = SecondsAhead(2);
  ASSERT_TRUE(timer_->Set(early).set);
  ASSERT_TRUE(timer_->Set(later).set);
  ASSERT_TRUE(WaitForPosted(kTestMessage, milliseconds(10000)));
  EXPECT_GE(UtcMilliseconds(), later.serial * 1000 - 20);
}

TEST_F(WakeTimerTest, CancelStopsTheSignal) {
  const UtcInstant due = SecondsAhead(1);
  ASSERT_TRUE(timer_->Set(due).set);
  timer_->Cancel();
  const std::int64_t waitMs = due.serial * 1000 - UtcMilliseconds() + 1500;
  EXPECT_FALSE(WaitForPosted(kTestMessage, milliseconds(waitMs)));
}

TEST_F(WakeTimerTest, GoesWhileItsSignalIsDue) {
  // A due time already past signals at once, racing the destruction.
  for (int round = 0; round < 20; ++round) {
    std::wstring error;
    auto timer = WakeTimer::Create(window_.get(), kTestMessage, error);
    ASSERT_TRUE(timer);
    ASSERT_TRUE(timer->Set(UtcInstant{0}).set);
    timer.reset();
  }
  // Whatever reached the window did so from a live timer; the test's own
  // still works.
  MSG stale;
  while (PeekMessageW(&stale, nullptr, kTestMessage, kTestMessage, PM_REMOVE)) {
  }
  ASSERT_TRUE(timer_->Set(SecondsAhead(0)).set);
  EXPECT_TRUE(WaitForPosted(kTestMessage, milliseconds(10000)));
}

}  // namespace
}  // namespace cuelark::test
