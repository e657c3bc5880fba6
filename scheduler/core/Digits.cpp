#include "scheduler/core/Digits.h"

namespace cuelark {

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
