// Small owners for the handles the program holds. Named after the common
// unique_* owners so that a later switch to a wider library is mechanical.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <memory>
#include <type_traits>

namespace cuelark {

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
using unique_bstr = UniqueHandleTraits<BSTR, SysFreeString>::type;

}  // namespace cuelark
