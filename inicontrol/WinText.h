// BSTRs at the control's edges: their text and new ones. The conversions
// are the shared ones.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "common/win32/Handles.h"
#include "common/win32/TextConversion.h"

namespace brevoni {

// A BSTR's text up to its first NUL, as the profile functions' C strings see it.
std::wstring_view BstrText(BSTR text);

// Throws std::bad_alloc when no BSTR can be allocated.
win32::unique_bstr MakeBstr(std::wstring_view text);

}  // namespace brevoni
