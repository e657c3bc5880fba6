// Text conversions at the control's edges: BSTR <-> the ANSI code page for
// INI texts, UTF-16 <-> UTF-8 for file names and error reasons.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "inicontrol/Win32Owners.h"

namespace brevoni {

// A BSTR's text up to its first NUL, as the profile functions' C strings see it.
std::wstring_view BstrText(BSTR text);

// Both throw std::runtime_error when the conversion fails.
std::string WideToCodePage(UINT codePage, std::wstring_view text);
std::wstring CodePageToWide(UINT codePage, std::string_view text);

// Both throw std::bad_alloc when no BSTR can be allocated.
unique_bstr MakeBstr(std::wstring_view text);
// Converts straight into the BSTR (no intermediate copy: every ReadINI passes here);
// throws std::runtime_error when the conversion fails.
unique_bstr CodePageToBstr(UINT codePage, std::string_view text);

// The system's text for a Win32 error code, with the code.
std::string DescribeError(DWORD error);

}  // namespace brevoni
