// The scheduler's view of the media player: the six operations an execution
// and the playlist resume need. The Win32 implementation drives the player's
// window with messages; tests use a fake.
#pragma once

#include <cstdint>
#include <string>

namespace cuelark {

enum class PlayerStatus {
  kOk,
  kNotStarted,     // no player window, and the player could not be started in time
  kNotResponding,  // the player window did not answer within the time limit
  kFailed,         // anything else (for example text the ANSI code page cannot hold)
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
};

}  // namespace cuelark
