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
std::wstring LocaleText(LCTYPE type);
std::wstring UpperCase(const std::wstring& text);
// The text in the ANSI code page, or nothing when a character has no exact
// counterpart there (a best-fit or default character would change it).
std::optional<std::string> ToAnsi(std::wstring_view text);
inline bool CanStoreAsAnsi(std::wstring_view text) { return ToAnsi(text).has_value(); }
// The system's text for a Win32 error or an HRESULT, with its number.
std::wstring DescribeSystemError(DWORD code);

}  // namespace cuelark
