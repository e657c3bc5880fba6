// A file that the system maps to the registry: the control reads and writes
// its mapped sections where the platform's profile functions do, in the same
// run, refuses to batch it, and goes back to the disk once the mapping goes.
#include "Support.h"

namespace brevoni::testing {
namespace {

constexpr wchar_t kMappingKey[] = L"Software\\Microsoft\\Windows NT\\CurrentVersion\\IniFileMapping";

class Mapping : public ControlTest {
 protected:
  void SetUp() override {
    ControlTest::SetUp();
    const std::wstring pid = std::to_wstring(GetCurrentProcessId());
    name = L"brevoni-map-" + pid + L".ini";
    target = L"Software\\Cuelark Brevoni mapping test " + pid;
    mapping = std::wstring(kMappingKey) + L"\\" + name;
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, mapping.c_str(), 0, nullptr, 0, KEY_SET_VALUE | KEY_WOW64_64KEY,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const win32::unique_hkey own(key);
    const std::wstring value = L"USR:" + target;
    ASSERT_EQ(RegSetValueExW(key, L"Mapped", 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                             static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
  }
  void TearDown() override {
    Unmap();
    RegDeleteTreeW(HKEY_CURRENT_USER, target.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, target.c_str());
    ControlTest::TearDown();
  }
  void Unmap() { RegDeleteKeyExW(HKEY_LOCAL_MACHINE, mapping.c_str(), KEY_WOW64_64KEY, 0); }

  // What the registry holds for a key of the mapped section.
  std::optional<std::wstring> InRegistry(const wchar_t* value) const {
    wchar_t data[256];
    DWORD size = sizeof data;
    if (RegGetValueW(HKEY_CURRENT_USER, target.c_str(), value, RRF_RT_REG_SZ, nullptr, data, &size) != ERROR_SUCCESS) {
      return std::nullopt;
    }
    return std::wstring(data);
  }
  std::wstring PlatformReads(const wchar_t* section, const wchar_t* key, const std::wstring& file) const {
    wchar_t data[256];
    const DWORD length = GetPrivateProfileStringW(section, key, L"[ Not Found ]", data, 256, file.c_str());
    return std::wstring(data, length);
  }
  std::vector<std::wstring> Listed(DISPID member, std::initializer_list<std::wstring_view> args) {
    VARIANT result;
    VariantInit(&result);
    std::vector<std::wstring> names;
    if (SUCCEEDED(client::Call(control.Get(), member, args, &result)) && result.vt == (VT_ARRAY | VT_VARIANT)) {
      VARIANT* items = nullptr;
      if (SUCCEEDED(SafeArrayAccessData(result.parray, reinterpret_cast<void**>(&items)))) {
        for (ULONG i = 0; i < result.parray->rgsabound[0].cElements; ++i) names.push_back(client::Text(items[i]));
        SafeArrayUnaccessData(result.parray);
      }
    }
    VariantClear(&result);
    return names;
  }

  std::wstring name, target, mapping;
};

TEST_F(Mapping, AMappedSectionLivesInTheRegistryForTheControlAsForThePlatform) {
  // The mapping names the file alone: any folder holds it.
  const std::wstring file = File(name.c_str());
  EXPECT_EQ(client::WriteINI(control.Get(), L"Mapped", L"Left", L"120", file), S_OK);
  EXPECT_FALSE(TakeErrorInfo().has_value());
  EXPECT_EQ(InRegistry(L"Left"), L"120");
  EXPECT_EQ(PlatformReads(L"Mapped", L"Left", file), L"120");
  EXPECT_FALSE(std::filesystem::exists(file)) << "a mapped section writes nothing on disk";

  ASSERT_TRUE(WritePrivateProfileStringW(L"Mapped", L"Top", L"45", file.c_str()));
  EXPECT_EQ(client::ReadINI(control.Get(), L"Mapped", L"Top", file), L"45");
  EXPECT_EQ(Listed(kDispIdReadKeys, {L"Mapped", file}), (std::vector<std::wstring>{L"Left", L"Top"}));

  // A section the mapping does not name stays in the file on disk, for both.
  EXPECT_EQ(client::WriteINI(control.Get(), L"Plain", L"k", L"v", file), S_OK);
  EXPECT_EQ(PlatformReads(L"Plain", L"k", file), L"v");
  EXPECT_EQ(ReadBytes(file), "[Plain]\r\nk=v\r\n");

  EXPECT_EQ(client::Call(control.Get(), kDispIdDeleteINI, {L"Mapped", L"Left", file}), S_OK);
  EXPECT_EQ(InRegistry(L"Left"), std::nullopt);
  EXPECT_EQ(PlatformReads(L"Mapped", L"Left", file), L"[ Not Found ]");
  EXPECT_EQ(client::ReadINI(control.Get(), L"Mapped", L"Left", file), L"[ Not Found ]");

  EXCEPINFO exception{};
  EXPECT_EQ(client::Call(control.Get(), kDispIdBeginUpdate, {file}, nullptr, DISPATCH_METHOD, &exception),
            DISP_E_EXCEPTION);
  const win32::unique_bstr description(exception.bstrDescription), source(exception.bstrSource),
      help(exception.bstrHelpFile);
  const std::wstring text = description ? description.get() : L"";
  EXPECT_NE(text.find(L"mapped to the registry"), std::wstring::npos) << Narrow(text);
  EXPECT_NE(text.find(name), std::wstring::npos) << Narrow(text);

  // Unmapped, the same name is an ordinary file again, with no batch refused.
  Unmap();
  EXPECT_EQ(client::ReadINI(control.Get(), L"Mapped", L"Top", file), L"[ Not Found ]");
  EXPECT_EQ(client::WriteINI(control.Get(), L"Mapped", L"Top", L"7", file), S_OK);
  EXPECT_EQ(ReadBytes(file), "[Plain]\r\nk=v\r\n[Mapped]\r\nTop=7\r\n");
  EXPECT_EQ(InRegistry(L"Top"), L"45") << "the registry keeps what it held";
  EXPECT_EQ(client::Call(control.Get(), kDispIdBeginUpdate, {file}), S_OK);
  client::Call(control.Get(), kDispIdCancelUpdate, {});
}

}  // namespace
}  // namespace brevoni::testing
