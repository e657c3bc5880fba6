// Starting with the user's log-on: the current user's "Run" value "Cuelark",
// which needs no administrator rights. The system's own list of start-up
// apps can switch the value off without removing it; that choice is the
// user's and is only reported, never overridden.
#pragma once

#include <optional>
#include <string>

namespace cuelark::logon {

inline constexpr wchar_t kValueName[] = L"Cuelark";
inline constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr wchar_t kApprovedKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";

struct LogOnState {
  bool inRun = false;
  // The program the value starts, without the quotes around it.
  std::wstring path;
  // The system's list of start-up apps has it switched off.
  bool switchedOffBySystem = false;
  // Set when the registry could not be read; the rest then tells nothing.
  std::wstring error;
};

// Each returns nothing on success, otherwise why not, in words.
std::optional<std::wstring> Enable(const std::wstring& programPath);
// A value that is not there is removed already.
std::optional<std::wstring> Disable();
LogOnState State();
// A copy started from another folder than the value names puts its own path
// there, so that moving the program's folder does not end starting it.
// Nothing is written while the value is missing: the setting is off.
std::optional<std::wstring> RepairIfMoved(const std::wstring& programPath);

}  // namespace cuelark::logon
