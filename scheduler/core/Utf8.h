// Text inside the program is wide; files that other programs read are UTF-8.
// The conversion works for either width of wchar_t (UTF-16 on Windows,
// UTF-32 elsewhere), so that the native tests check the Windows one too.
#pragma once

#include <string>
#include <string_view>

namespace cuelark {

// What cannot be converted (a lone surrogate, a broken byte sequence)
// becomes U+FFFD rather than failing: a damaged name must not cost the
// rest of the line.
template <typename CodeUnit>
std::string EncodeUtf8(std::basic_string_view<CodeUnit> text);
template <typename CodeUnit>
std::basic_string<CodeUnit> DecodeUtf8(std::string_view bytes);

inline std::string ToUtf8(std::wstring_view text) { return EncodeUtf8(text); }
inline std::wstring FromUtf8(std::string_view bytes) { return DecodeUtf8<wchar_t>(bytes); }

}  // namespace cuelark
