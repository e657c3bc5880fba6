#include "scheduler/core/Digits.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

namespace cuelark {
namespace {

TEST(DigitsTest, WholeNumbersReadWithASignAndSaturateInsteadOfWrapping) {
  constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
  struct Case {
    std::wstring text;
    std::optional<std::int64_t> digits;  // ParseDigits
    std::optional<std::int64_t> whole;   // ParseWholeNumber
  };
  const Case kCases[] = {
      {L"0", 0, 0},
      {L"007", 7, 7},
      {L"-45", std::nullopt, -45},
      {L"+12", std::nullopt, 12},
      {L"99999999999999999999", kMax, kMax},
      {L"-99999999999999999999", std::nullopt, -kMax},
      {L"", std::nullopt, std::nullopt},
      {L"-", std::nullopt, std::nullopt},
      {L" 1", std::nullopt, std::nullopt},
      {L"1.5", std::nullopt, std::nullopt},
      {L"12a", std::nullopt, std::nullopt},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::PrintToString(c.text));
    EXPECT_EQ(ParseDigits(c.text), c.digits);
    EXPECT_EQ(ParseWholeNumber(c.text), c.whole);
  }
}

TEST(DigitsTest, PaddingAddsLeadingZerosOnlyUpToTheWidth) {
  EXPECT_EQ(Padded(7, 3), L"007");
  EXPECT_EQ(Padded(125, 3), L"125");
  EXPECT_EQ(Padded(2026, 2), L"2026");
  EXPECT_EQ(Padded(0, 0), L"0");
}

}  // namespace
}  // namespace cuelark
