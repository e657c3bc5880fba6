// INI files that the system maps to the registry, and the platform's own
// profile functions that read and write them there.
//
// A file named under HKLM\Software\Microsoft\Windows NT\CurrentVersion\IniFileMapping
// (by its name alone, in any folder) has sections that the
// profile functions send to the registry: the mapping's values name them
// ("USR:" and "SYS:" targets, "!", "#" and "@" prefixes, a default for the
// sections not named) and only the platform itself interprets them alike
// everywhere. So the control hands every call on such a file to the
// platform's wide profile functions, and handles only unmapped files itself.
#pragma once

#include <windows.h>

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/win32/Handles.h"

namespace brevoni {

class IniFileMapping {
 public:
  // Whether the platform maps the file: its name has a key of its own under
  // the mapping. The names are looked up once and again whenever a key is
  // added under the mapping or goes, so that a call costs no registry lookup.
  bool Maps(const std::filesystem::path& file);

 private:
  void Refresh();

  win32::unique_hkey mapping_;
  win32::unique_handle changed_;  // set when a key below the mapping comes or goes
  std::vector<std::wstring> names_;
};

// The platform's profile functions on one file, wide forms. Reads give the
// same texts the control gives for unmapped files; writes give the reason
// of a refusal.
namespace system_profile {

std::wstring Read(std::wstring_view section, std::wstring_view key, const std::filesystem::path& file);
// Both give nothing when the file took the change, else the reason why not.
std::optional<std::string> Write(std::wstring_view section, std::wstring_view key, std::wstring_view value,
                                 const std::filesystem::path& file);
// An empty key deletes the section.
std::optional<std::string> Delete(std::wstring_view section, std::wstring_view key, const std::filesystem::path& file);
std::vector<std::wstring> Sections(const std::filesystem::path& file);
std::vector<std::wstring> Keys(std::wstring_view section, const std::filesystem::path& file);

}  // namespace system_profile
}  // namespace brevoni
