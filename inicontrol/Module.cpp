// The in-process server's module state: its own handle and the count of live
// objects and server locks.
#include "inicontrol/Module.h"

#include <atomic>
#include <stdexcept>
#include <string>

#include "common/win32/ModulePath.h"

namespace brevoni {
namespace {

HMODULE gModule = nullptr;
std::atomic<long> gLocks{0};

}  // namespace

namespace module {

std::filesystem::path Path() {
  const std::wstring path = win32::ModulePath(gModule);
  if (path.empty()) throw std::runtime_error("the control cannot find its own file");
  return path;
}

void AddRef() { ++gLocks; }
void Release() { --gLocks; }

}  // namespace module
}  // namespace brevoni

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    brevoni::gModule = instance;
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

STDAPI DllCanUnloadNow() { return brevoni::gLocks == 0 ? S_OK : S_FALSE; }
