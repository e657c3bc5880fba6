#include "tests/win/ui/CuelarkRun.h"

#include <vector>

namespace cuelark::test {

std::filesystem::path BuildTree() {
  std::wstring path(MAX_PATH, L'\0');
  path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
  return std::filesystem::path(path).parent_path().parent_path().parent_path();
}

CuelarkRun::CuelarkRun() {
  CopyFileTo(BuildTree() / "scheduler" / "win" / "Cuelark.exe", Folder());
  CopyFileTo(BuildTree() / "inicontrol" / "BrevoniControlX.dll", Folder());
}

App& CuelarkRun::Start(const Environment& environment) {
  app_.reset();
  app_.emplace(App::Launch(Folder() / "Cuelark.exe", Folder(), {}, environment));
  return *app_;
}

std::optional<std::wstring> CuelarkRun::IniValue(const std::filesystem::path& file, const wchar_t* section,
                                                 const wchar_t* key) const {
  constexpr wchar_t kAbsent[] = L"\x01absent";
  std::vector<wchar_t> buffer(65536);
  const DWORD length = GetPrivateProfileStringW(section, key, kAbsent, buffer.data(),
                                                static_cast<DWORD>(buffer.size()), file.c_str());
  std::wstring value(buffer.data(), length);
  if (value == kAbsent) return std::nullopt;
  return value;
}

void CuelarkRun::SaveEntry(const std::wstring& name, const std::wstring& command, bool removeAfterExecution) {
  const HWND list = (*this)[ids::kLvFiles];
  const int before = ItemCount(list);
  SetText((*this)[ids::kPresName], name);
  SetText((*this)[ids::kCommand], command);
  SetChecked((*this)[ids::kRemWhenDone], removeAfterExecution);
  Click((*this)[ids::kBtnSave]);
  WaitUntil([&] { return ItemCount(list) == before + 1; }, kDefaultTimeoutMs, "the saved entry to show in the list");
}

void CuelarkRun::SelectTab(int index) { test::SelectTab((*this)[ids::kTabStrip1], index); }

}  // namespace cuelark::test
