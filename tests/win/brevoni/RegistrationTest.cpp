// Self-registration, the DLL's resources and imports, and the type library
// that late-bound callers depend on.
#include <functional>
#include <set>
#include <utility>

#include "Support.h"

namespace brevoni::testing {
namespace {

using Microsoft::WRL::ComPtr;

class Registration : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    dll = LoadLibraryW(client::BuiltControlPath().c_str());
    ASSERT_NE(dll, nullptr) << client::BuiltControlPath();
  }
  void TearDown() override {
    Export("DllUnregisterServer")();
    CoUninitialize();
  }
  using Entry = HRESULT(STDAPICALLTYPE*)();
  Entry Export(const char* name) { return client::Export<Entry>(dll, name); }

  HMODULE dll = nullptr;
};

const std::wstring kClasses = L"Software\\Classes\\";

std::wstring RegistryText(const std::wstring& path, const wchar_t* name = nullptr, HKEY root = HKEY_CLASSES_ROOT) {
  wchar_t value[1024];
  DWORD size = sizeof value;
  if (RegGetValueW(root, path.c_str(), name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS) {
    return L"<missing>";
  }
  return value;
}

// Among the current user's classes or the machine's, apart: on Windows HKCR
// shows the two merged.
bool ClassKeyExists(HKEY root, const std::wstring& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, (kClasses + path).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

std::wstring GuidText(const GUID& guid) {
  wchar_t text[40];
  StringFromGUID2(guid, text, 40);
  return text;
}

// regsvr32 of the test's own bitness: a 32-bit program finds the one in
// SysWOW64 under the system folder's name.
DWORD RunRegsvr32(const std::wstring& arguments) {
  return RunToEnd(L"regsvr32.exe /s " + arguments + L" \"" + client::BuiltControlPath().native() + L"\"");
}

TEST_F(Registration, RegisteringRecordsTheClassSoThatItsNameCreatesItAndUnregisteringRemovesIt) {
  ASSERT_EQ(Export("DllRegisterServer")(), S_OK);
  // The name, the class and the type library are proved by using them; the
  // threading model shows only on a caller in another apartment.
  const std::wstring clsidKey = L"CLSID\\" + GuidText(kClsid);
  EXPECT_EQ(RegistryText(clsidKey + L"\\InprocServer32", L"ThreadingModel"), L"Apartment");

  CLSID clsid{};
  ASSERT_EQ(CLSIDFromProgID(kProgId, &clsid), S_OK);
  EXPECT_EQ(clsid, kClsid);
  ComPtr<IDispatch> control;
  EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&control)), S_OK);
  ComPtr<ITypeLib> registered;
  EXPECT_EQ(LoadRegTypeLib(kLibId, 1, 0, LOCALE_NEUTRAL, &registered), S_OK);

  ASSERT_EQ(Export("DllUnregisterServer")(), S_OK);
  EXPECT_NE(CLSIDFromProgID(kProgId, &clsid), S_OK);
  EXPECT_EQ(RegistryText(clsidKey + L"\\InprocServer32"), L"<missing>");
  registered.Reset();
  EXPECT_NE(LoadRegTypeLib(kLibId, 1, 0, LOCALE_NEUTRAL, &registered), S_OK);
  EXPECT_EQ(Export("DllUnregisterServer")(), S_OK) << "unregistering twice is harmless";
}

// regsvr32 /n /i:user calls DllInstall alone, which registers for the current
// user without administrator rights. (Wine finds classes only among the
// machine's, so creating the control by name is left to Windows.)
TEST_F(Registration, PerUserRegistrationTouchesOnlyTheUsersClassesAndLeavesNothingBehind) {
  using Install = HRESULT(STDAPICALLTYPE*)(BOOL, PCWSTR);
  const Install install = client::Export<Install>(dll, "DllInstall");
  ASSERT_NE(install, nullptr);
  const struct {
    const char* way;
    std::function<bool(bool)> run;  // registers (true) or unregisters, telling success
  } ways[] = {
      {"DllInstall", [&](bool registering) { return install(registering, L"user") == S_OK; }},
      {"regsvr32", [](bool registering) { return RunRegsvr32(registering ? L"/n /i:user" : L"/u /n /i:user") == 0; }},
  };
  const std::wstring clsidKey = L"CLSID\\" + GuidText(kClsid);
  const std::wstring keys[] = {clsidKey, kProgId, L"TypeLib\\" + GuidText(kLibId)};
  for (const auto& way : ways) {
    ASSERT_TRUE(way.run(true)) << way.way;
    EXPECT_EQ(RegistryText(kClasses + clsidKey + L"\\InprocServer32", nullptr, HKEY_CURRENT_USER),
              client::BuiltControlPath().native())
        << way.way;
    EXPECT_EQ(RegistryText(kClasses + kProgId + L"\\CLSID", nullptr, HKEY_CURRENT_USER), GuidText(kClsid)) << way.way;
    EXPECT_FALSE(ClassKeyExists(HKEY_LOCAL_MACHINE, clsidKey)) << way.way << ": no machine-wide class";

    ASSERT_TRUE(way.run(false)) << way.way;
    for (const std::wstring& key : keys) {
      EXPECT_FALSE(ClassKeyExists(HKEY_CURRENT_USER, key)) << way.way << ": left behind for the user: " << key;
      EXPECT_FALSE(ClassKeyExists(HKEY_LOCAL_MACHINE, key)) << way.way << ": left behind for the machine: " << key;
    }
    EXPECT_TRUE(way.run(false)) << way.way << ": unregistering twice is harmless";
  }
  EXPECT_EQ(install(TRUE, L"everyone"), E_INVALIDARG);
}

// The control's builds for 32-bit and 64-bit callers register the same name,
// whose key the two registry views share, and the same type library, whose
// records for each bitness sit side by side.
TEST_F(Registration, TheOtherBitnesssRecordsStayAndDoNotFailAnUnregistration) {
  constexpr REGSAM kOtherView = sizeof(void*) == 8 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
  const std::wstring clsidKey = L"CLSID\\" + GuidText(kClsid);
  const std::wstring typeLibKey = L"TypeLib\\" + GuidText(kLibId);
  const std::wstring otherTypeLib = typeLibKey + L"\\1.0\\0\\" + (sizeof(void*) == 8 ? L"win32" : L"win64");
  for (const auto& [path, view] : {std::pair{clsidKey, kOtherView}, std::pair{otherTypeLib, REGSAM{0}}}) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0, KEY_WRITE | view, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
  }
  ASSERT_EQ(Export("DllRegisterServer")(), S_OK);
  ASSERT_EQ(Export("DllUnregisterServer")(), S_OK);
  EXPECT_EQ(RegistryText(std::wstring(kProgId) + L"\\CLSID"), GuidText(kClsid));
  EXPECT_EQ(RegistryText(clsidKey + L"\\InprocServer32"), L"<missing>");
  EXPECT_EQ(Export("DllUnregisterServer")(), S_OK) << "nothing of this bitness is left to remove";

  ASSERT_EQ(RegDeleteKeyExW(HKEY_CLASSES_ROOT, clsidKey.c_str(), kOtherView, 0), ERROR_SUCCESS);
  ASSERT_EQ(RegDeleteTreeW(HKEY_CLASSES_ROOT, typeLibKey.c_str()), ERROR_SUCCESS);
  ASSERT_EQ(Export("DllUnregisterServer")(), S_OK);
  EXPECT_EQ(RegistryText(std::wstring(kProgId) + L"\\CLSID"), L"<missing>");
}

// As scripts and macros use it: the script host of the test's own bitness
// (SysWOW64's for a 32-bit test) creates the registered control by name,
// writes, reads and lists sections and keys with For Each.
TEST_F(Registration, AScriptHostOfTheSameBitnessCreatesTheRegisteredControlByName) {
  ASSERT_EQ(RunRegsvr32(L""), 0u);
  wchar_t temp[MAX_PATH];
  ASSERT_NE(GetTempPathW(MAX_PATH, temp), 0u);
  const std::wstring file = std::wstring(temp) + L"brevoni-script-" + std::to_wstring(GetCurrentProcessId()) + L".ini";
  const std::wstring value = sizeof(void*) == 8 ? L"64-bit" : L"32-bit";
  EXPECT_EQ(RunToEnd(L"cscript.exe //nologo \"" + client::BesideThisProgram(L"ScriptClient.vbs").native() + L"\" \"" +
                     file + L"\" " + value),
            0u);
  EXPECT_EQ(ReadBytes(file), "[Script]\r\nValue=" + Narrow(value) + "\r\n");
  DeleteFileW(file.c_str());
}

TEST_F(Registration, TheServerCanUnloadOnlyWhenNoObjectLives) {
  ComPtr<IDispatch> control;
  ASSERT_EQ(client::CreateFromFile(client::BuiltControlPath(), control), S_OK);
  EXPECT_EQ(Export("DllCanUnloadNow")(), S_FALSE);
  control.Reset();
  EXPECT_EQ(Export("DllCanUnloadNow")(), S_OK);
}

TEST_F(Registration, TheTypeLibraryHoldsTheIdsThatClientsCompileIn) {
  ComPtr<ITypeLib> library;
  ASSERT_EQ(LoadTypeLibEx(client::BuiltControlPath().c_str(), REGKIND_NONE, &library), S_OK);
  TLIBATTR* libraryAttributes = nullptr;
  ASSERT_EQ(library->GetLibAttr(&libraryAttributes), S_OK);
  EXPECT_EQ(libraryAttributes->guid, kLibId);
  library->ReleaseTLibAttr(libraryAttributes);

  const struct {
    GUID guid;
    TYPEKIND kind;
    WORD flags;
  } types[] = {
      {kIidBrevoni, TKIND_DISPATCH, TYPEFLAG_FDUAL | TYPEFLAG_FHIDDEN},
      {kDiidBrevoniEvents, TKIND_DISPATCH, TYPEFLAG_FHIDDEN},
      {kClsid, TKIND_COCLASS, TYPEFLAG_FCONTROL},
  };
  for (const auto& type : types) {
    ComPtr<ITypeInfo> info;
    ASSERT_EQ(library->GetTypeInfoOfGuid(type.guid, &info), S_OK) << GuidText(type.guid);
    TYPEATTR* attributes = nullptr;
    ASSERT_EQ(info->GetTypeAttr(&attributes), S_OK);
    EXPECT_EQ(attributes->typekind, type.kind) << GuidText(type.guid);
    EXPECT_EQ(attributes->wTypeFlags & type.flags, type.flags) << GuidText(type.guid);
    if (type.guid == kDiidBrevoniEvents) {
      EXPECT_EQ(attributes->cFuncs, 0) << "the event interface has no members";
    }
    info->ReleaseTypeAttr(attributes);
  }
}

TEST_F(Registration, TheLibraryImportsOnlySystemLibraries) {
  const auto* base = reinterpret_cast<const unsigned char*>(dll);
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  ASSERT_NE(directory.VirtualAddress, 0u);
  const std::set<std::string> system{"advapi32.dll", "kernel32.dll", "msvcrt.dll", "ole32.dll", "oleaut32.dll",
                                     "user32.dll", "gdi32.dll"};
  for (auto* entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress); entry->Name;
       ++entry) {
    std::string name = reinterpret_cast<const char*>(base + entry->Name);
    for (char& c : name) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    EXPECT_TRUE(system.count(name)) << name;
  }
}

}  // namespace
}  // namespace brevoni::testing
