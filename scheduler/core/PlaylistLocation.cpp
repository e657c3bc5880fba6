#include "scheduler/core/PlaylistLocation.h"

#include <cwctype>
#include <limits>

#include "scheduler/core/Digits.h"

namespace cuelark {
namespace {

constexpr wchar_t kPathsSection[] = L"Winamp";
// The playlist's own folder first: "inidir" also moves it, but "m3udir" can
// move it apart from the settings.
constexpr const wchar_t* kFolderKeys[] = {L"m3udir", L"inidir"};

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

std::wstring FolderOf(const std::wstring& path) {
  const std::size_t cut = path.find_last_of(L"\\/");
  return cut == std::wstring::npos ? std::wstring() : path.substr(0, cut);
}

// Joined with the separator the folder itself uses, so that a path written
// with forward slashes stays one path.
std::wstring Joined(const std::wstring& folder, std::wstring_view name) {
  if (folder.empty() || IsSeparator(folder.back())) return folder + std::wstring(name);
  const wchar_t separator = folder.find(L'\\') == std::wstring::npos && folder.find(L'/') != std::wstring::npos ? L'/' : L'\\';
  return folder + separator + std::wstring(name);
}

// A drive ("C:"), a share ("\\server") or the drive's root ("\folder").
bool IsAbsolute(const std::wstring& path) {
  return (path.size() >= 2 && path[1] == L':') || (!path.empty() && IsSeparator(path.front()));
}

// "%NAME%" from the environment and "{N}" from the system's numbered folders;
// nullopt when one of them has no value, because the folder would then be
// some other one.
std::optional<std::wstring> Expanded(const std::wstring& text, const PlaylistLookups& lookups) {
  std::wstring result;
  for (std::size_t at = 0; at < text.size();) {
    const wchar_t c = text[at];
    const std::size_t close = text.find(c == L'%' ? L'%' : L'}', at + 1);
    if ((c == L'%' || c == L'{') && close != std::wstring::npos) {
      const std::wstring_view inner = std::wstring_view(text).substr(at + 1, close - at - 1);
      std::optional<std::wstring> value;
      if (c == L'%') {
        value = inner.empty() ? std::optional<std::wstring>(L"%") : lookups.environment(inner);
      } else if (const std::optional<std::int64_t> number = ParseDigits(inner)) {
        if (*number <= std::numeric_limits<int>::max()) value = lookups.shellFolder(static_cast<int>(*number));
      } else {
        result += c;  // braces around anything but a number are part of the name
        ++at;
        continue;
      }
      if (!value) return std::nullopt;
      result += *value;
      at = close + 1;
      continue;
    }
    result += c;
    ++at;
  }
  return result;
}

std::wstring Trimmed(const std::wstring& text) {
  std::size_t first = 0, last = text.size();
  while (first < last && std::iswspace(text[first])) ++first;
  while (last > first && std::iswspace(text[last - 1])) --last;
  return text.substr(first, last - first);
}

}  // namespace

std::optional<std::wstring> PathsIniPlaylistFolder(IniStore& iniStore, const std::wstring& exe,
                                                   const PlaylistLookups& lookups) {
  const std::wstring programFolder = FolderOf(exe);
  if (programFolder.empty()) return std::nullopt;
  const std::wstring pathsIni = Joined(programFolder, kPathsIniName);
  for (const wchar_t* key : kFolderKeys) {
    const std::wstring value = Trimmed(iniStore.ReadINI(kPathsSection, key, pathsIni));
    if (value.empty() || IsAbsent(value)) continue;
    const std::optional<std::wstring> folder = Expanded(value, lookups);
    if (!folder || folder->empty()) continue;
    return IsAbsolute(*folder) ? *folder : Joined(programFolder, *folder);
  }
  return std::nullopt;
}

std::wstring PlaylistFileToResume(const std::optional<PlaylistFolder>& fromPlayer, IniStore& iniStore,
                                  const std::wstring& exe, const std::wstring& playlistSetting,
                                  const PlaylistLookups& lookups) {
  if (fromPlayer && !fromPlayer->folder.empty()) {
    return Joined(fromPlayer->folder, fromPlayer->unicode ? kUnicodePlaylistName : kPlaylistName);
  }
  if (const std::optional<std::wstring> folder = PathsIniPlaylistFolder(iniStore, exe, lookups)) {
    // Which of the two the player writes is not known here; a Unicode one
    // writes both, and the UTF-8 one holds every name.
    const std::wstring unicode = Joined(*folder, kUnicodePlaylistName);
    return lookups.fileExists(unicode) ? unicode : Joined(*folder, kPlaylistName);
  }
  return playlistSetting;
}

}  // namespace cuelark
