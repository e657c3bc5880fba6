// The current user's Run value that starts Cuelark at log-on, read straight
// from the registry as the system reads it; nothing when there is none.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace cuelark::test {

inline std::optional<std::wstring> CuelarkRunValue() {
  wchar_t value[1024];
  DWORD size = sizeof(value);
  if (RegGetValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", L"Cuelark",
                   RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
    return std::nullopt;
  return std::wstring(value);
}

}  // namespace cuelark::test
