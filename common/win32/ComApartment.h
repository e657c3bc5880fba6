// COM for the calling thread, in a single-threaded apartment, for as long as
// the owner lives: every successful CoInitializeEx is matched by exactly one
// CoUninitialize, also on an early return.
#pragma once

#include <objbase.h>

namespace win32 {

class ComApartment {
 public:
  ComApartment() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
  ~ComApartment() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }

  HRESULT Result() const { return result_; }

 private:
  HRESULT result_;
};

}  // namespace win32
