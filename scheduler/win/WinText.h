// Text helpers at the edges of the program: window texts, the system's
// locale, the program's folder, and the ANSI code page that INI files and
// the player speak.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace cuelark {

std::wstring WindowText(HWND window);
// The folder that holds the program file, without a trailing backslash.
std::wstring ProgramFolder();
// locale: a locale name, the user's regional format by default.
std::wstring LocaleText(LCTYPE type, const wchar_t* locale = LOCALE_NAME_USER_DEFAULT);
std::wstring UpperCase(const std::wstring& text, const wchar_t* locale = LOCALE_NAME_USER_DEFAULT);
// The text in the ANSI code page, or nothing when a character has no exact
// counterpart there (a best-fit or default character would change it).
std::optional<std::string> ToAnsi(std::wstring_view text);
inline bool CanStoreAsAnsi(std::wstring_view text) { return ToAnsi(text).has_value(); }

}  // namespace cuelark
