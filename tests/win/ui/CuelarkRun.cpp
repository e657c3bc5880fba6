#include "tests/win/ui/CuelarkRun.h"

#include <cstdio>
#include <vector>

namespace cuelark::test {

SYSTEMTIME LocalTimeIn(int seconds) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  FILETIME file;
  if (!SystemTimeToFileTime(&now, &file)) throw DriverError("the local time has no file time");
  ULARGE_INTEGER ticks{{file.dwLowDateTime, file.dwHighDateTime}};
  ticks.QuadPart += static_cast<ULONGLONG>(static_cast<LONGLONG>(seconds) * 10'000'000);
  file = {ticks.LowPart, ticks.HighPart};
  SYSTEMTIME later;
  if (!FileTimeToSystemTime(&file, &later)) throw DriverError("no local time " + std::to_string(seconds) + " s from now");
  return later;
}

std::string DateText(const SYSTEMTIME& moment) {
  char text[16];
  std::snprintf(text, sizeof(text), "%04u-%02u-%02u", moment.wYear, moment.wMonth, moment.wDay);
  return text;
}

std::string TimeText(const SYSTEMTIME& moment) {
  char text[16];
  std::snprintf(text, sizeof(text), "%02u:%02u:%02u", moment.wHour, moment.wMinute, moment.wSecond);
  return text;
}

CuelarkRun::CuelarkRun() {
  // Pixels and DPI of the program's windows as the program itself sees
  // them, not scaled for a caller that knows nothing of DPI.
  SetProcessDPIAware();
  // CUELARK_APP_DIR names an unpacked release to test instead of the build;
  // without the control beside it, the program relies on a registered one.
  wchar_t release[MAX_PATH];
  if (GetEnvironmentVariableW(L"CUELARK_APP_DIR", release, MAX_PATH)) {
    const std::filesystem::path app = release;
    CopyFileTo(app / "Cuelark.exe", Folder());
    if (std::filesystem::exists(app / "BrevoniControlX.dll")) CopyFileTo(app / "BrevoniControlX.dll", Folder());
    return;
  }
  CopyFileTo(ProgramFolder() / "Cuelark.exe", Folder());
  CopyFileTo(ProgramFolder() / "BrevoniControlX.dll", Folder());
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
  const HWND list = (*this)[ids::kSavedList];
  const int before = ItemCount(list);
  SetText((*this)[ids::kNameBox], name);
  SetText((*this)[ids::kCommandBox], command);
  SetChecked((*this)[ids::kRemoveWhenDoneBox], removeAfterExecution);
  Click((*this)[ids::kSaveButton]);
  WaitUntil([&] { return ItemCount(list) > before; }, kDefaultTimeoutMs, "the saved entry to show in the list");
}

void CuelarkRun::SelectTab(int index) { test::SelectTab((*this)[ids::kTabs], index); }

void CuelarkRun::RemoveRow(int row, int answer) {
  SelectItem((*this)[ids::kSavedList], row);
  ClickAsync((*this)[ids::kRemoveButton]);
  if (AnswerMessageBox(app().ProcessId(), L"Remove from list", answer) != L"Remove?")
    throw DriverError("the box does not ask \"Remove?\"");
  // The handler goes on after the box; a round trip waits for it.
  SendMessageW(Main(), WM_NULL, 0, 0);
}

}  // namespace cuelark::test
