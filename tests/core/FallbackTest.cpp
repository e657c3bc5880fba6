#include "scheduler/core/Fallback.h"

#include <gtest/gtest.h>

namespace cuelark {
namespace {

TEST(FallbackTest, OnlyAnInputThatCannotPlayIsReplacedAndNeverTwice) {
  const std::wstring kSafe = L"C:\\Music\\safe.mp3";
  const Options kWithFallback{false, false, true, kSafe};
  const Options kWithout{true, true, true, L""};
  const struct {
    const char* what;
    const Options* options;
    PlayFailure failure;
    const wchar_t* command;
    bool wasFallback;
    bool plays;
  } kCases[] = {
      {"check failed", &kWithFallback, PlayFailure::kCheckFailed, L"C:\\gone.mp3", false, true},
      {"text refused", &kWithFallback, PlayFailure::kInputRefused, L"C:\\\u4E2D.mp3", false, true},
      {"not playing", &kWithFallback, PlayFailure::kNotPlaying, L"C:\\broken.mp3", false, true},
      {"no fallback set", &kWithout, PlayFailure::kCheckFailed, L"C:\\gone.mp3", false, false},
      {"the player failed", &kWithFallback, PlayFailure::kPlayerFailed, L"C:\\a.mp3", false, false},
      {"interrupted", &kWithFallback, PlayFailure::kInterrupted, L"C:\\a.mp3", false, false},
      {"the fallback failed", &kWithFallback, PlayFailure::kCheckFailed, kSafe.c_str(), true, false},
      {"the fallback as an entry's command", &kWithFallback, PlayFailure::kNotPlaying, kSafe.c_str(), false, false},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.what);
    const std::optional<std::wstring> input = FallbackInput(*c.options, c.failure, c.command, c.wasFallback);
    EXPECT_EQ(input, c.plays ? std::optional<std::wstring>(kSafe) : std::nullopt);
  }
}

}  // namespace
}  // namespace cuelark
