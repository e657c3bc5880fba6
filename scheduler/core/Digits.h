// Whole numbers in the texts the store and the history keep, read and
// written one way everywhere.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

namespace cuelark {

// All of `text` as decimal digits: no sign, no blanks, not empty. Values too
// large for 64 bits saturate, so a huge number still reads as huge rather
// than as junk. Inline: reading the history parses a dozen fields a line.
inline std::optional<std::int64_t> ParseDigits(std::wstring_view text) {
  if (text.empty()) return std::nullopt;
  constexpr std::int64_t kLimit = std::numeric_limits<std::int64_t>::max();
  std::int64_t value = 0;
  for (const wchar_t c : text) {
    if (c < L'0' || c > L'9') return std::nullopt;
    const int digit = c - L'0';
    value = value > (kLimit - digit) / 10 ? kLimit : value * 10 + digit;
  }
  return value;
}

// The same with an optional leading "+" or "-".
std::optional<std::int64_t> ParseWholeNumber(std::wstring_view text);

// value in decimal, with leading zeros up to width digits.
std::wstring Padded(int value, std::size_t width);

}  // namespace cuelark
