// Self-registration: the control's records for the whole machine or for the
// current user, and its type library.
#include <windows.h>
#include <olectl.h>
#include <wrl/client.h>

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/win32/Handles.h"
#include "inicontrol/BrevoniControl.h"
#include "inicontrol/BrevoniIds.h"
#include "inicontrol/ComGuard.h"
#include "inicontrol/Module.h"

#ifdef __MINGW32__
// In the Windows SDK's oleauto.h and in mingw-w64's import library, but not
// in its header.
extern "C" HRESULT WINAPI RegisterTypeLibForUser(ITypeLib* library, OLECHAR* path, OLECHAR* helpFolder);
extern "C" HRESULT WINAPI UnRegisterTypeLibForUser(REFGUID library, WORD major, WORD minor, LCID locale,
                                                   SYSKIND kind);
#endif

namespace brevoni {
namespace {

std::wstring GuidText(const GUID& guid) {
  wchar_t text[40];
  if (StringFromGUID2(guid, text, 40) == 0) throw std::runtime_error("a GUID does not fit its text");
  return text;
}

// The type library's records belong to the build's own bitness.
constexpr SYSKIND kSysKind = sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32;
// The registry view of the control's build for the other bitness.
constexpr REGSAM kOtherView = sizeof(void*) == 8 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;

// Where the records go: machine wide (plain regsvr32, which on Windows needs
// administrator rights) or for the current user only (regsvr32 /n /i:user).
enum class Scope { kMachine, kUser };

struct Classes {
  HKEY root;
  const wchar_t* path;  // of the classes key below root, ending in a backslash
};

Classes ClassesOf(Scope scope) {
  return scope == Scope::kMachine ? Classes{HKEY_CLASSES_ROOT, L""}
                                  : Classes{HKEY_CURRENT_USER, L"Software\\Classes\\"};
}

bool KeyExists(HKEY root, const std::wstring& path, REGSAM view = 0) {
  HKEY raw = nullptr;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | view, &raw) != ERROR_SUCCESS) return false;
  win32::unique_hkey key(raw);
  return true;
}

// Sets the default value (name empty) or a named value of a key below the scope's classes.
LSTATUS SetValue(Scope scope, const std::wstring& path, const wchar_t* name, const std::wstring& value) {
  const Classes classes = ClassesOf(scope);
  HKEY raw = nullptr;
  LSTATUS status = RegCreateKeyExW(classes.root, (classes.path + path).c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                                   nullptr, &raw, nullptr);
  if (status != ERROR_SUCCESS) return status;
  win32::unique_hkey key(raw);
  return RegSetValueExW(key.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

// Removes a key below the scope's classes with everything below it; a key
// that is not there is no failure.
LSTATUS DeleteTree(Scope scope, const std::wstring& path) {
  const Classes classes = ClassesOf(scope);
  const LSTATUS status = RegDeleteTreeW(classes.root, (classes.path + path).c_str());
  return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
}

// Whether the control's build for the other bitness is registered in the
// same scope: both register the one ProgID, whose key the two registry views
// share.
bool OtherBitnessRegistered(Scope scope) {
  const Classes classes = ClassesOf(scope);
  return KeyExists(classes.root, classes.path + (L"CLSID\\" + GuidText(kClsid)), kOtherView);
}

// Whether the type library is registered for the build's own bitness. The
// other build's records sit beside these under the same library key, so the
// platform's lookup, which falls back on them, cannot tell.
bool TypeLibRegistered() {
  return KeyExists(HKEY_CLASSES_ROOT,
                   L"TypeLib\\" + GuidText(kLibId) + L"\\1.0\\0\\" + (kSysKind == SYS_WIN64 ? L"win64" : L"win32"));
}

HRESULT Register(Scope scope) {
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
    const LSTATUS status = SetValue(scope, v.path, v.name, v.value);
    if (status != ERROR_SUCCESS) return HRESULT_FROM_WIN32(status);
  }
  Microsoft::WRL::ComPtr<ITypeLib> typeLib;
  HRESULT hr = LoadTypeLibEx(dll.c_str(), REGKIND_NONE, &typeLib);
  if (SUCCEEDED(hr)) {
    hr = scope == Scope::kMachine ? RegisterTypeLib(typeLib.Get(), dll.data(), nullptr)
                                  : RegisterTypeLibForUser(typeLib.Get(), dll.data(), nullptr);
  }
  return FAILED(hr) ? SELFREG_E_TYPELIB : S_OK;
}

HRESULT Unregister(Scope scope) {
  // Absent records are no failure: unregistering twice is harmless.
  HRESULT result = S_OK;
  if (DeleteTree(scope, L"CLSID\\" + GuidText(kClsid)) != ERROR_SUCCESS) result = SELFREG_E_CLASS;
  if (!OtherBitnessRegistered(scope) && DeleteTree(scope, kProgId) != ERROR_SUCCESS) result = SELFREG_E_CLASS;
  if (TypeLibRegistered()) {
    const HRESULT hr = scope == Scope::kMachine ? UnRegisterTypeLib(kLibId, 1, 0, LOCALE_NEUTRAL, kSysKind)
                                                : UnRegisterTypeLibForUser(kLibId, 1, 0, LOCALE_NEUTRAL, kSysKind);
    if (FAILED(hr)) result = SELFREG_E_TYPELIB;
  }
  return result;
}

// DllInstall's command line: none for machine-wide records, "user" for the
// current user's.
std::optional<Scope> ScopeOf(const wchar_t* commandLine) {
  if (commandLine == nullptr || *commandLine == L'\0') return Scope::kMachine;
  if (CompareStringOrdinal(commandLine, -1, L"user", -1, TRUE) == CSTR_EQUAL) return Scope::kUser;
  return std::nullopt;
}

HRESULT Install(Scope scope) {
  const HRESULT hr = Register(scope);
  if (FAILED(hr)) Unregister(scope);
  return hr;
}

}  // namespace
}  // namespace brevoni

STDAPI DllRegisterServer() {
  return brevoni::Guard([] { return brevoni::Install(brevoni::Scope::kMachine); });
}

STDAPI DllUnregisterServer() {
  return brevoni::Guard([] { return brevoni::Unregister(brevoni::Scope::kMachine); });
}

// regsvr32 /n /i:user and regsvr32 /u /n /i:user: the records of the current
// user only, which need no administrator rights.
STDAPI DllInstall(BOOL install, PCWSTR commandLine) {
  return brevoni::Guard([&] {
    const std::optional<brevoni::Scope> scope = brevoni::ScopeOf(commandLine);
    if (!scope) return E_INVALIDARG;
    return install ? brevoni::Install(*scope) : brevoni::Unregister(*scope);
  });
}
