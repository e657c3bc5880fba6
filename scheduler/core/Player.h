// The scheduler's view of the media player: the six operations an execution
// and the playlist resume need. The Win32 implementation drives the player's
// window with messages; tests use a fake.
#pragma once

#include <cstdint>
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
  // The program is ending: from now on a player that is not running is not
  // started, and an operation that would need it gives kNotStarted at once.
  virtual void ForbidStarts() = 0;
};

}  // namespace cuelark
