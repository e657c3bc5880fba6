#include "scheduler/core/Digits.h"

#include <limits>

namespace cuelark {

std::optional<std::int64_t> ParseDigits(std::wstring_view text) {
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

std::optional<std::int64_t> ParseWholeNumber(std::wstring_view text) {
  bool negative = false;
  if (!text.empty() && (text.front() == L'+' || text.front() == L'-')) {
    negative = text.front() == L'-';
    text.remove_prefix(1);
  }
  const std::optional<std::int64_t> value = ParseDigits(text);
  if (!value) return std::nullopt;
  return negative ? -*value : *value;
}

std::wstring Padded(int value, std::size_t width) {
  std::wstring digits = std::to_wstring(value);
  if (digits.size() < width) digits.insert(0, width - digits.size(), L'0');
  return digits;
}

}  // namespace cuelark
