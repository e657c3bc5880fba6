// Small owners for the Win32 resources the control holds briefly.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <memory>

namespace brevoni {

struct HandleCloser {
  void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using unique_handle = std::unique_ptr<void, HandleCloser>;

// A file handle, or empty when CreateFileW failed.
inline unique_handle OwnFile(HANDLE handle) {
  return unique_handle(handle == INVALID_HANDLE_VALUE ? nullptr : handle);
}

struct KeyCloser {
  void operator()(HKEY key) const { RegCloseKey(key); }
};
using unique_hkey = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser>;

struct BstrFreer {
  void operator()(BSTR text) const { SysFreeString(text); }
};
using unique_bstr = std::unique_ptr<OLECHAR, BstrFreer>;

}  // namespace brevoni
