// The one barrier between the control's C++ and its COM callers: every
// exported function and COM method runs its body through Guard, so that no
// exception crosses the boundary and every failure leaves error info that
// GetErrorInfo (and Invoke's EXCEPINFO) can report.
#pragma once

#include <windows.h>

#include <exception>
#include <new>

namespace brevoni {

// Attaches a description to the calling thread for GetErrorInfo. Never
// throws: it runs while an exception is being turned into an HRESULT.
void SetErrorDescription(const wchar_t* description) noexcept;
// The same for an exception's UTF-8 text, with a fixed text when even that
// conversion fails.
void SetErrorDescription(const std::exception& failure) noexcept;

template <typename Body>
HRESULT Guard(Body&& body) noexcept {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    SetErrorDescription(L"BrevoniControlX ran out of memory");
    return E_OUTOFMEMORY;
  } catch (const std::exception& failure) {
    SetErrorDescription(failure);
    return E_FAIL;
  } catch (...) {
    SetErrorDescription(L"BrevoniControlX failed for a reason it does not know");
    return E_UNEXPECTED;
  }
}

}  // namespace brevoni
