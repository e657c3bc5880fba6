// The player's window-message interface: its window class, WM_USER with the
// operation in lParam, WM_COPYDATA to add an entry, WM_COMMAND for its
// buttons. Shared by the player link and the stand-in player of the tests.
#pragma once

#include <windows.h>

#include <cstdint>

namespace cuelark::player {

inline constexpr wchar_t kWindowClass[] = L"Winamp v1.x";

constexpr LPARAM kIpcGetVersion = 0;
constexpr LPARAM kIpcDelete = 101;
constexpr LPARAM kIpcWritePlaylist = 120;
constexpr LPARAM kIpcSetPlaylistPos = 121;
constexpr LPARAM kIpcGetListPos = 125;
constexpr ULONG_PTR kIpcPlayFile = 100;
// Button n is command kFirstButtonCommand + n; Play is button 1.
constexpr std::int64_t kFirstButtonCommand = 40044;
constexpr WPARAM kPlayCommand = 40045;

}  // namespace cuelark::player
