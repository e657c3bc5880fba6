// The conversions between the program's Unicode text and the code pages
// that INI files, the player's copy-data and the system's messages use.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace win32 {

// Both throw std::runtime_error when the system cannot convert.
std::string WideToCodePage(UINT codePage, std::wstring_view text);
std::wstring CodePageToWide(UINT codePage, std::string_view text);

// The text in the ANSI code page, or nothing when a character has no exact
// counterpart there (a best-fit or default character would change it).
std::optional<std::string> ToAnsiExactly(std::wstring_view text);

// The system's text for a Win32 error code or an HRESULT, with its number:
// for the user, and in UTF-8 for exception messages.
std::wstring ErrorText(DWORD error);
std::string DescribeError(DWORD error);

}  // namespace win32
