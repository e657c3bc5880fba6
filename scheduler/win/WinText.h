// Text helpers at the edges of the program: window texts, the system's
// locale, the program's folder, and whether the ANSI code page that INI
// files and the player speak can hold a text.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "common/win32/TextConversion.h"
#include "scheduler/core/Calendar.h"

namespace cuelark {

std::wstring WindowText(HWND window);
// The folder that holds the program file, without a trailing backslash.
std::wstring ProgramFolder();
// locale: a locale name, the user's regional format by default.
std::wstring LocaleText(LCTYPE type, const wchar_t* locale = LOCALE_NAME_USER_DEFAULT);
std::wstring UpperCase(const std::wstring& text, const wchar_t* locale = LOCALE_NAME_USER_DEFAULT);
// Whether the ANSI code page holds the text exactly.
inline bool CanStoreAsAnsi(std::wstring_view text) { return win32::ToAnsiExactly(text).has_value(); }

}  // namespace cuelark
