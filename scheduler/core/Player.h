// The scheduler's view of the media player: the six operations an execution
// and the playlist resume need. The Win32 implementation drives the player's
// window with messages; tests use a fake.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace cuelark {

enum class PlayerStatus {
  kOk,
  kNotStarted,     // no player window: its program was not found, or its window never came
  kNotResponding,  // the player window did not answer within the time limit
  kTextRefused,    // the ANSI code page cannot hold the text, or the command is out of range
  kAccessDenied,   // the player's program may not be started by this user
  kNotAProgram,    // what was found under the player's name is not a program
  kStartFailed,    // the player's program could not be started for another reason
  kWindowClosed,   // the player window closed between finding it and sending to it
  kInterrupted,    // the program is ending; nothing more is sent
  kNotPlaying,     // the player took the entry and Play but never reported playing
};

// The player's answer to "playing?": 1 playing, 3 paused, 0 stopped.
inline constexpr std::int32_t kPlaying = 1;

// Where the running player writes its playlist file.
struct PlaylistFolder {
  std::wstring folder;
  bool unicode = false;  // it writes winamp.m3u8 beside winamp.m3u
};

class Player {
 public:
  virtual ~Player() = default;
  virtual PlayerStatus GetPlayListPos(std::int32_t& position) = 0;
  // Has the player write its playlist file. The answer is the playlist
  // position; callers do not rely on it.
  virtual PlayerStatus WritePlayList(std::int32_t& position) = 0;
  virtual PlayerStatus ClearPlayList() = 0;
  virtual PlayerStatus AddToPlayList(const std::wstring& entry) = 0;
  virtual PlayerStatus PressButton(std::int32_t button, std::int32_t offset) = 0;
  virtual PlayerStatus SetPlayListPos(std::int32_t position) = 0;
  // Each leaves the answer empty, with kOk, when the player's version cannot
  // tell (or, for the folder, its answer cannot be read): callers then go on
  // as with a player that knows nothing of it.
  virtual PlayerStatus GetPlaylistFolder(std::optional<PlaylistFolder>& folder) = 0;
  virtual PlayerStatus GetListLength(std::optional<std::int32_t>& length) = 0;
  virtual PlayerStatus GetPlayingState(std::optional<std::int32_t>& state) = 0;
  // The program is ending: from now on a player that is not running is not
  // started, and an operation that would need it gives kNotStarted at once.
  virtual void ForbidStarts() = 0;
};

}  // namespace cuelark
