// Small owners for the Win32 handles that the program, the control and the
// tools hold. Named after the common unique_* owners so that a later switch
// to a wider library is mechanical.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <memory>
#include <type_traits>

namespace win32 {

template <typename Handle, auto Release>
struct UniqueHandleTraits {
  struct Deleter {
    using pointer = Handle;
    void operator()(Handle handle) const noexcept {
      if (handle) Release(handle);
    }
  };
  using type = std::unique_ptr<std::remove_pointer_t<Handle>, Deleter>;
};

using unique_hwnd = UniqueHandleTraits<HWND, DestroyWindow>::type;
using unique_hfont = UniqueHandleTraits<HFONT, DeleteObject>::type;
using unique_hmenu = UniqueHandleTraits<HMENU, DestroyMenu>::type;
using unique_handle = UniqueHandleTraits<HANDLE, CloseHandle>::type;
using unique_hkey = UniqueHandleTraits<HKEY, RegCloseKey>::type;
using unique_bstr = UniqueHandleTraits<BSTR, SysFreeString>::type;
using unique_hlocal = UniqueHandleTraits<HLOCAL, LocalFree>::type;
using unique_change_notification = UniqueHandleTraits<HANDLE, FindCloseChangeNotification>::type;

// CreateFileW fails with INVALID_HANDLE_VALUE rather than null: the owner
// then holds nothing.
inline unique_handle OwnFile(HANDLE file) { return unique_handle(file == INVALID_HANDLE_VALUE ? nullptr : file); }

}  // namespace win32
