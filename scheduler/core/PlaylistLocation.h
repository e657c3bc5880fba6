// Which playlist file the resume gives back to the player: the one the player
// wrote when the execution saved the user's list.
//
// A player that keeps its settings in the user's profile writes there, not
// beside its program, and says where when asked. When it cannot say, its
// "paths.ini" beside the program tells (the way per-user installs are set up);
// only when that names nothing either is the "Playlist" setting the file.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "scheduler/core/IniStore.h"
#include "scheduler/core/Player.h"

namespace cuelark {

struct PlaylistLookups {
  // A variable of the user's environment, for "%NAME%"; nullopt when unset.
  std::function<std::optional<std::wstring>(std::wstring_view name)> environment;
  // A numbered system folder, for "{N}"; nullopt when the system has none.
  std::function<std::optional<std::wstring>(int number)> shellFolder;
  std::function<bool(const std::wstring& path)> fileExists;
};

inline constexpr wchar_t kPathsIniName[] = L"paths.ini";
inline constexpr wchar_t kPlaylistName[] = L"winamp.m3u";
inline constexpr wchar_t kUnicodePlaylistName[] = L"winamp.m3u8";

// The folder that "paths.ini" beside the executable names for the player's
// playlist: "m3udir", else "inidir", with its variables and folder numbers
// put in and a relative folder taken from the executable's. nullopt when the
// file names neither, or names one that cannot be resolved.
std::optional<std::wstring> PathsIniPlaylistFolder(IniStore& iniStore, const std::wstring& exe,
                                                   const PlaylistLookups& lookups);

// The file to resume from. `fromPlayer` is what the running player said just
// after writing its list; exe and playlistSetting are the player settings.
// Empty when there is none at all (no player settings yet).
std::wstring PlaylistFileToResume(const std::optional<PlaylistFolder>& fromPlayer, IniStore& iniStore,
                                  const std::wstring& exe, const std::wstring& playlistSetting,
                                  const PlaylistLookups& lookups);

}  // namespace cuelark
