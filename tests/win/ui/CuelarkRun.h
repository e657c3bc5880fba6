// One run of Cuelark from a fresh folder of its own, as a user would unpack
// it: the program and the INI control side by side, no registration.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "tests/core/StoreText.h"
#include "tools/driver/Driver.h"

namespace cuelark::test {


// The local time this many seconds from now (negative: ago).
SYSTEMTIME LocalTimeIn(int seconds);
// A moment's date and time in the forms the program stores.
std::string DateText(const SYSTEMTIME& moment);
std::string TimeText(const SYSTEMTIME& moment);

class CuelarkRun {
 public:
  CuelarkRun();

  // Starts the program (again, after an earlier run ended) and waits for its
  // window.
  App& Start(const Environment& environment = {});
  App& app() { return *app_; }
  HWND Main() const { return app_->MainWindow(); }
  HWND operator[](int id) const { return app_->Control(id); }

  const std::filesystem::path& Folder() const { return folder_.Path(); }
  std::filesystem::path CueIni() const { return folder_ / "cue.ini"; }
  std::filesystem::path WinampIni() const { return folder_ / "winamp.ini"; }
  // One value as the platform's profile functions read it, or nullopt.
  std::optional<std::wstring> IniValue(const std::filesystem::path& file, const wchar_t* section,
                                       const wchar_t* key) const;

  // The editor's steps of saving one entry; returns once the list shows it.
  void SaveEntry(const std::wstring& name, const std::wstring& command, bool removeAfterExecution = false);
  void SelectTab(int index);
  // Selects a row of the list and answers "Remove from list" with the button.
  void RemoveRow(int row, int answer);
  std::string CueIniBytes() const { return ReadFileText(CueIni()); }

 private:
  TempFolder folder_;
  std::optional<App> app_;
};

}  // namespace cuelark::test
