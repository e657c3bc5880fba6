// The player's window-message interface: its window class, WM_USER with the
// operation in lParam, WM_COPYDATA to add an entry, WM_COMMAND for its
// buttons. Shared by the player link and the stand-in player of the tests.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>

namespace cuelark::player {

inline constexpr wchar_t kWindowClass[] = L"Winamp v1.x";

constexpr LPARAM kIpcGetVersion = 0;
constexpr LPARAM kIpcDelete = 101;
// 1 playing, 3 paused, 0 stopped.
constexpr LPARAM kIpcIsPlaying = 104;
constexpr LPARAM kIpcWritePlaylist = 120;
constexpr LPARAM kIpcSetPlaylistPos = 121;
constexpr LPARAM kIpcGetListLength = 124;
constexpr LPARAM kIpcGetListPos = 125;
// The folder answers are addresses inside the player's process: of a
// char[MAX_PATH] in the ANSI code page, or of a wchar_t[MAX_PATH] for the
// W forms.
constexpr LPARAM kIpcGetIniDirectory = 335;
constexpr LPARAM kIpcGetM3uDirectory = 337;
constexpr LPARAM kIpcGetM3uDirectoryW = 338;
constexpr LPARAM kIpcGetIniDirectoryW = 1335;
constexpr ULONG_PTR kIpcPlayFile = 100;
// The entry in UTF-16 with its terminating zero.
constexpr ULONG_PTR kIpcPlayFileW = 1100;
// Button n is command kFirstButtonCommand + n; Play is button 1.
constexpr std::int64_t kFirstButtonCommand = 40044;
constexpr WPARAM kPlayCommand = 40045;

// What a player does only from some version on. A player answers a message
// its version does not know with kUnknownMessageAnswer.
enum class Capability {
  kWritePlaylist,
  kSetPlaylistPos,
  kIsPlaying,
  kGetListLength,
  kGetIniDirectory,
  kGetM3uDirectory,
  kGetM3uDirectoryW,
  kPlayFileW,
  kWritesM3u8,  // winamp.m3u8 in UTF-8 beside winamp.m3u
  kGetIniDirectoryW,
};

constexpr LRESULT kUnknownMessageAnswer = 1;

struct CapabilitySince {
  Capability capability;
  std::int32_t version;
};

// The one list of versions, so that the link asks only what a player knows
// and the stand-in answers only what its version would.
inline constexpr std::array<CapabilitySince, 10> kCapabilitiesSince{{
    {Capability::kWritePlaylist, 0x16B4},
    {Capability::kSetPlaylistPos, 0x2000},
    {Capability::kIsPlaying, 0x2900},
    {Capability::kGetListLength, 0x2900},
    {Capability::kGetIniDirectory, 0x2900},
    {Capability::kGetM3uDirectory, 0x5011},
    {Capability::kGetM3uDirectoryW, 0x5030},
    {Capability::kPlayFileW, 0x5030},
    {Capability::kWritesM3u8, 0x5030},
    {Capability::kGetIniDirectoryW, 0x5058},
}};

constexpr bool Knows(std::int32_t version, Capability capability) {
  for (const CapabilitySince& entry : kCapabilitiesSince) {
    if (entry.capability == capability) return version >= entry.version;
  }
  return false;
}

}  // namespace cuelark::player
