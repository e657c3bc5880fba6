// Whole numbers in the texts the store and the history keep, read and
// written one way everywhere.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace cuelark {

// All of `text` as decimal digits: no sign, no blanks, not empty. Values too
// large for 64 bits saturate, so a huge number still reads as huge rather
// than as junk.
std::optional<std::int64_t> ParseDigits(std::wstring_view text);

// The same with an optional leading "+" or "-".
std::optional<std::int64_t> ParseWholeNumber(std::wstring_view text);

// value in decimal, with leading zeros up to width digits.
std::wstring Padded(int value, std::size_t width);

}  // namespace cuelark
