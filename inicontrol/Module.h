// The DLL's module state: its own path and the count of live objects and
// server locks that DllCanUnloadNow reads.
#pragma once

#include <windows.h>

#include <filesystem>

namespace brevoni::module {

// The DLL's own full path (throws std::runtime_error when it cannot be found).
std::filesystem::path Path();
void AddRef();
void Release();

}  // namespace brevoni::module
