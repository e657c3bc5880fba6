// The in-process server: class factory, lock count and self-registration.
#include "inicontrol/Module.h"

#include <olectl.h>
#include <wrl/client.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <vector>

#include "inicontrol/BrevoniControl.h"
#include "inicontrol/BrevoniIds.h"
#include "inicontrol/ComGuard.h"
#include "inicontrol/Win32Owners.h"

namespace brevoni {
namespace {

HMODULE gModule = nullptr;
std::atomic<long> gLocks{0};

class ClassFactory final : public IClassFactory {
 public:
  STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (iid != IID_IUnknown && iid != IID_IClassFactory) {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    *object = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
  }
  // The factory is a static object; its references only keep the module loaded.
  STDMETHODIMP_(ULONG) AddRef() override {
    module::AddRef();
    return 2;
  }
  STDMETHODIMP_(ULONG) Release() override {
    module::Release();
    return 1;
  }
  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    return BrevoniControl::Create(iid, object);
  }
  STDMETHODIMP LockServer(BOOL lock) override {
    lock ? module::AddRef() : module::Release();
    return S_OK;
  }
};

ClassFactory gFactory;

std::wstring GuidText(const GUID& guid) {
  wchar_t text[40];
  if (StringFromGUID2(guid, text, 40) == 0) throw std::runtime_error("a GUID does not fit its text");
  return text;
}

// Sets the default value (name empty) or a named value of HKCR\path.
LSTATUS SetValue(const std::wstring& path, const wchar_t* name, const std::wstring& value) {
  HKEY raw = nullptr;
  LSTATUS status =
      RegCreateKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &raw, nullptr);
  if (status != ERROR_SUCCESS) return status;
  unique_hkey key(raw);
  return RegSetValueExW(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

// Removes HKCR\path with everything below it; a key that is not there is no failure.
LSTATUS DeleteTree(const std::wstring& path) {
  const LSTATUS status = RegDeleteTreeW(HKEY_CLASSES_ROOT, path.c_str());
  return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
}

HRESULT Register() {
  std::wstring dll = module::Path().native();
  const std::wstring clsidKey = L"CLSID\\" + GuidText(kClsid);
  const std::wstring progId = kProgId;
  const struct {
    std::wstring path;
    const wchar_t* name;
    std::wstring value;
  } values[] = {
      {clsidKey, nullptr, progId},
      {clsidKey + L"\\InprocServer32", nullptr, dll},
      {clsidKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment"},
      {clsidKey + L"\\ProgID", nullptr, progId},
      {clsidKey + L"\\VERSION", nullptr, L"1.0"},
      {clsidKey + L"\\TypeLib", nullptr, GuidText(kLibId)},
      {clsidKey + L"\\Control", nullptr, L""},
      {clsidKey + L"\\ToolboxBitmap32", nullptr, dll + L", 30000"},
      {clsidKey + L"\\MiscStatus", nullptr, L"0"},
      {clsidKey + L"\\MiscStatus\\1", nullptr, std::to_wstring(BrevoniControl::kMiscStatus)},
      {progId, nullptr, progId},
      {progId + L"\\CLSID", nullptr, GuidText(kClsid)},
  };
  for (const auto& v : values) {
    const LSTATUS status = SetValue(v.path, v.name, v.value);
    if (status != ERROR_SUCCESS) return HRESULT_FROM_WIN32(status);
  }
  Microsoft::WRL::ComPtr<ITypeLib> typeLib;
  HRESULT hr = LoadTypeLibEx(dll.c_str(), REGKIND_NONE, &typeLib);
  if (SUCCEEDED(hr)) hr = RegisterTypeLib(typeLib.Get(), dll.data(), nullptr);
  return FAILED(hr) ? SELFREG_E_TYPELIB : S_OK;
}

HRESULT Unregister() {
  // Absent records are no failure: unregistering twice is harmless.
  HRESULT result = S_OK;
  for (const std::wstring& path : {L"CLSID\\" + GuidText(kClsid), std::wstring(kProgId)}) {
    const LSTATUS status = DeleteTree(path);
    if (status != ERROR_SUCCESS) result = SELFREG_E_CLASS;
  }
  BSTR registeredPath = nullptr;
  if (SUCCEEDED(QueryPathOfRegTypeLib(kLibId, 1, 0, LOCALE_NEUTRAL, &registeredPath))) {
    SysFreeString(registeredPath);
    if (FAILED(UnRegisterTypeLib(kLibId, 1, 0, LOCALE_NEUTRAL, SYS_WIN64))) result = SELFREG_E_TYPELIB;
  }
  return result;
}

}  // namespace

namespace module {

std::filesystem::path Path() {
  std::vector<wchar_t> path(MAX_PATH);
  for (;;) {
    const DWORD length = GetModuleFileNameW(gModule, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) throw std::runtime_error("the control cannot find its own file");
    if (length < path.size()) return std::filesystem::path(std::wstring(path.data(), length));
    path.resize(path.size() * 2);
  }
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

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (clsid != brevoni::kClsid) return CLASS_E_CLASSNOTAVAILABLE;
  return brevoni::gFactory.QueryInterface(iid, object);
}

STDAPI DllCanUnloadNow() { return brevoni::gLocks == 0 ? S_OK : S_FALSE; }

STDAPI DllRegisterServer() {
  return brevoni::Guard([] {
    const HRESULT hr = brevoni::Register();
    if (FAILED(hr)) brevoni::Unregister();
    return hr;
  });
}

STDAPI DllUnregisterServer() { return brevoni::Guard(brevoni::Unregister); }
