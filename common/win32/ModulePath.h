// The full path of a loaded module, however long: paths beyond MAX_PATH
// (a deep folder, the \\?\ form) are cut by a fixed buffer.
#pragma once

#include <windows.h>

#include <string>

namespace win32 {

// The path of the module (the program itself when null); empty when the
// system cannot tell it.
std::wstring ModulePath(HMODULE module = nullptr);
// The folder that holds it, without a trailing backslash.
std::wstring ModuleFolder(HMODULE module = nullptr);

}  // namespace win32
