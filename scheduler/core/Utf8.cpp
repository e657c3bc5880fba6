#include "scheduler/core/Utf8.h"

namespace cuelark {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsHighSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char32_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

void AppendUtf8(std::string& bytes, char32_t c) {
  if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = kReplacement;
  if (c < 0x80) {
    bytes += static_cast<char>(c);
  } else if (c < 0x800) {
    bytes += static_cast<char>(0xC0 | (c >> 6));
    bytes += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    bytes += static_cast<char>(0xE0 | (c >> 12));
    bytes += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    bytes += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    bytes += static_cast<char>(0xF0 | (c >> 18));
    bytes += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    bytes += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    bytes += static_cast<char>(0x80 | (c & 0x3F));
  }
}

template <typename CodeUnit>
void AppendCodePoint(std::basic_string<CodeUnit>& text, char32_t c) {
  if constexpr (sizeof(CodeUnit) == 2) {
    if (c >= 0x10000) {
      c -= 0x10000;
      text += static_cast<CodeUnit>(0xD800 + (c >> 10));
      text += static_cast<CodeUnit>(0xDC00 + (c & 0x3FF));
      return;
    }
  }
  text += static_cast<CodeUnit>(c);
}

// The code point a multi-byte sequence starting at `bytes[at]` encodes, and
// its length; an invalid sequence (overlong, surrogate, beyond U+10FFFF,
// cut short) gives U+FFFD for its first byte only, so the next character
// survives.
std::pair<char32_t, std::size_t> DecodeOne(std::string_view bytes, std::size_t at) {
  const auto lead = static_cast<unsigned char>(bytes[at]);
  std::size_t length = 0;
  char32_t c = 0;
  char32_t smallest = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, c = lead & 0x1F, smallest = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, c = lead & 0x0F, smallest = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, c = lead & 0x07, smallest = 0x10000;
  } else {
    return {kReplacement, 1};
  }
  if (bytes.size() - at < length) return {kReplacement, 1};
  for (std::size_t k = 1; k < length; ++k) {
    const auto next = static_cast<unsigned char>(bytes[at + k]);
    if ((next & 0xC0) != 0x80) return {kReplacement, 1};
    c = (c << 6) | (next & 0x3F);
  }
  if (c < smallest || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return {kReplacement, 1};
  return {c, length};
}

}  // namespace

template <typename CodeUnit>
std::string EncodeUtf8(std::basic_string_view<CodeUnit> text) {
  std::string bytes;
  bytes.reserve(text.size());
  for (std::size_t k = 0; k < text.size(); ++k) {
    char32_t c = static_cast<char32_t>(text[k]);
    if constexpr (sizeof(CodeUnit) == 2) {
      if (IsHighSurrogate(c) && k + 1 < text.size() && IsLowSurrogate(text[k + 1])) {
        c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<char32_t>(text[k + 1]) - 0xDC00);
        ++k;
      }
    }
    AppendUtf8(bytes, c);
  }
  return bytes;
}

template <typename CodeUnit>
std::basic_string<CodeUnit> DecodeUtf8(std::string_view bytes) {
  std::basic_string<CodeUnit> text;
  text.reserve(bytes.size());
  for (std::size_t at = 0; at < bytes.size();) {
    if (static_cast<unsigned char>(bytes[at]) < 0x80) {
      text += static_cast<CodeUnit>(bytes[at++]);
      continue;
    }
    const auto [c, length] = DecodeOne(bytes, at);
    AppendCodePoint(text, c);
    at += length;
  }
  return text;
}

template std::string EncodeUtf8<wchar_t>(std::wstring_view);
template std::string EncodeUtf8<char16_t>(std::u16string_view);
template std::string EncodeUtf8<char32_t>(std::u32string_view);
template std::wstring DecodeUtf8<wchar_t>(std::string_view);
template std::u16string DecodeUtf8<char16_t>(std::string_view);
template std::u32string DecodeUtf8<char32_t>(std::string_view);

}  // namespace cuelark
