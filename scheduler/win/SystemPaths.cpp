#include "scheduler/win/SystemPaths.h"

#include <windows.h>
#include <shlobj.h>

#include <optional>
#include <string_view>

#include "common/win32/Handles.h"

namespace cuelark {
namespace {

std::optional<std::wstring> EnvironmentVariable(std::wstring_view name) {
  const std::wstring key(name);
  std::wstring value(256, L'\0');
  for (;;) {
    SetLastError(ERROR_SUCCESS);
    const DWORD length = GetEnvironmentVariableW(key.c_str(), value.data(), static_cast<DWORD>(value.size()));
    if (length == 0) {
      if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
      return GetLastError() == ERROR_SUCCESS ? std::optional<std::wstring>(L"") : std::nullopt;
    }
    // Too small a buffer gives the size needed, counting the terminating zero.
    if (length < value.size()) {
      value.resize(length);
      return value;
    }
    value.resize(length);
  }
}

std::optional<std::wstring> ShellFolder(int number) {
  wchar_t path[MAX_PATH];
  if (FAILED(SHGetFolderPathW(nullptr, number, nullptr, SHGFP_TYPE_CURRENT, path))) return std::nullopt;
  return std::wstring(path);
}

bool FileExists(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

}  // namespace

PlaylistLookups SystemPlaylistLookups() { return {EnvironmentVariable, ShellFolder, FileExists}; }

bool CanReadFile(const std::wstring& file) {
  return win32::OwnFile(CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)) != nullptr;
}

}  // namespace cuelark
