// A late-bound client of the Brevoni control for the project's own test and
// benchmark programs: creates the control straight from a DLL file (no
// registration needed) and calls its members by dispatch id with text
// arguments, as the scheduler does.
#pragma once

#include <windows.h>
#include <oleauto.h>
#include <wrl/client.h>

#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>

#include "common/win32/DispatchArguments.h"
#include "common/win32/ModulePath.h"
#include "inicontrol/BrevoniIds.h"

namespace brevoni::client {

// A file in the calling program's folder. The Windows build puts its
// programs, the control and the test and benchmark programs side by side.
inline std::filesystem::path BesideThisProgram(const wchar_t* name) {
  return std::filesystem::path(win32::ModuleFolder()) / name;
}

inline std::filesystem::path BuiltControlPath() { return BesideThisProgram(L"BrevoniControlX.dll"); }

// A function that a DLL exports, or nullptr.
template <typename Function>
Function Export(HMODULE module, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// The DLL stays loaded for the life of the process: objects may outlive any scope here.
inline HRESULT CreateFromFile(const std::filesystem::path& dll, Microsoft::WRL::ComPtr<IDispatch>& control) {
  HMODULE module = LoadLibraryW(dll.c_str());
  if (module == nullptr) return HRESULT_FROM_WIN32(GetLastError());
  using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
  auto getClassObject = Export<GetClassObject>(module, "DllGetClassObject");
  if (getClassObject == nullptr) return HRESULT_FROM_WIN32(GetLastError());
  Microsoft::WRL::ComPtr<IClassFactory> factory;
  HRESULT hr = getClassObject(kClsid, IID_PPV_ARGS(&factory));
  if (SUCCEEDED(hr)) hr = factory->CreateInstance(nullptr, IID_PPV_ARGS(&control));
  return hr;
}

// Invokes a member with text arguments given in their natural order.
inline HRESULT Call(IDispatch* control, DISPID member, std::initializer_list<std::wstring_view> args,
                    VARIANT* result = nullptr, WORD flags = DISPATCH_METHOD, EXCEPINFO* exception = nullptr) {
  win32::DispatchTextArguments arguments(args);
  if (!arguments.Complete()) return E_OUTOFMEMORY;
  return control->Invoke(member, IID_NULL, LOCALE_USER_DEFAULT, flags, arguments.Params(flags == DISPATCH_PROPERTYPUT),
                         result, exception, nullptr);
}

// The text a member returned, or "<vt N>" when it returned no text.
inline std::wstring Text(const VARIANT& value) {
  if (value.vt != VT_BSTR) return L"<vt " + std::to_wstring(value.vt) + L">";
  return value.bstrVal ? std::wstring(value.bstrVal, SysStringLen(value.bstrVal)) : std::wstring();
}

inline std::wstring ReadINI(IDispatch* control, std::wstring_view section, std::wstring_view key,
                            std::wstring_view file) {
  VARIANT result;
  VariantInit(&result);
  const HRESULT hr = Call(control, kDispIdReadINI, {section, key, file}, &result);
  std::wstring text = FAILED(hr) ? L"<hr " + std::to_wstring(hr) + L">" : Text(result);
  VariantClear(&result);
  return text;
}

inline HRESULT WriteINI(IDispatch* control, std::wstring_view section, std::wstring_view key, std::wstring_view data,
                        std::wstring_view file) {
  return Call(control, kDispIdWriteINI, {section, key, data, file});
}

// CommitUpdate's answer: S_OK with true or false, or the failure of the call.
inline HRESULT CommitUpdate(IDispatch* control, bool& committed) {
  VARIANT result;
  VariantInit(&result);
  const HRESULT hr = Call(control, kDispIdCommitUpdate, {}, &result);
  committed = SUCCEEDED(hr) && result.vt == VT_BOOL && result.boolVal == VARIANT_TRUE;
  VariantClear(&result);
  return hr;
}

}  // namespace brevoni::client
