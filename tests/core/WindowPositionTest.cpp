#include "scheduler/core/WindowPosition.h"

#include <gtest/gtest.h>

#include <string>

namespace cuelark {
namespace {

TEST(WindowPositionTest, SavedTextsReadAsFiniteClampedTwipsOrNotAtAll) {
  struct Case {
    std::wstring left, top;
    std::optional<TwipsPosition> expected;
  };
  const Case kCases[] = {
      {L"1200", L"900", TwipsPosition{1200, 900}},
      {L"-300", L"12.9", TwipsPosition{-300, 12}},
      {L"1200", L"[ Not Found ]", TwipsPosition{1200, 0}},
      {L"1e20", L"-1e20", TwipsPosition{10'000'000, -10'000'000}},
      {L"99999999999999999999999", L"0", TwipsPosition{10'000'000, 0}},
      {L"inf", L"0", std::nullopt},
      {L"nan", L"0", std::nullopt},
      {L"abc", L"0", std::nullopt},
      {L"", L"0", std::nullopt},
      {L"100", L"nan", TwipsPosition{100, 0}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::PrintToString(c.left + L" / " + c.top));
    EXPECT_EQ(ParseSavedPosition(c.left, c.top), c.expected);
  }
}

TEST(WindowPositionTest, AWindowOffTheAreaIsMovedFullyInsideNearestToWhereItWas) {
  const ScreenRect area{0, 30, 1920, 1080};  // a task bar along the top
  struct Case {
    ScreenRect window, expected;
  };
  const Case kCases[] = {
      {{100, 100, 600, 400}, {100, 100, 600, 400}},            // inside: unchanged
      {{-3000, 100, -2500, 400}, {0, 100, 500, 400}},          // a monitor to the left is gone
      {{1800, 1000, 2300, 1300}, {1420, 780, 1920, 1080}},     // past the bottom right corner
      {{100, 0, 600, 300}, {100, 30, 600, 330}},               // under the task bar
      {{-50, -50, 3000, 2000}, {0, 30, 1920, 1080}},           // larger than the area
  };
  for (const Case& c : kCases) EXPECT_EQ(KeepInside(c.window, area), c.expected);
}

}  // namespace
}  // namespace cuelark
