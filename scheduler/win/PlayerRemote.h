// The link to the media player: free procedures that find the player's main
// window (starting the player when it is not running) and drive it with
// synchronous window messages. Nothing is kept between calls; each procedure
// looks the window up afresh.
#pragma once

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <string>

#include "scheduler/core/Player.h"

namespace cuelark::PlayerRemote {

struct TimeLimits {
  // How long to wait for the window of a player just started. The player
  // normally needs well under a second; a cold start from a slow disk can
  // take several.
  std::chrono::milliseconds startWait{30'000};
  // How long one message may take to be answered before the player counts
  // as hung. Every message the scheduler sends is answered at once by a
  // healthy player, even writing its playlist file.
  std::chrono::milliseconds reply{5'000};
};

// kOk with the window; kNotStarted when the player is not running and either
// its program cannot be found or its window does not appear within
// limits.startWait. While waiting, the calling thread's window events run.
PlayerStatus FindPlayerWindow(HWND& window, const TimeLimits& limits = {});

// Appends an entry (a file, a playlist file or anything else the player
// accepts). kTextRefused, with nothing sent, when the ANSI code page cannot hold
// the text.
PlayerStatus AddToPlayList(const std::wstring& entry, const TimeLimits& limits = {});

PlayerStatus ClearPlayList(const TimeLimits& limits = {});

// Has the player write its playlist file; position receives the player's
// answer, its playlist position. A player too old for this is told so in a
// message box, and position is 0.
PlayerStatus WritePlayList(std::int32_t& position, const TimeLimits& limits = {});

// A player too old for this is told so in a message box; kOk all the same.
PlayerStatus SetPlayListPos(std::int32_t position, const TimeLimits& limits = {});

PlayerStatus GetPlayListPos(std::int32_t& position, const TimeLimits& limits = {});

// Sends the player command 40044 + button + offset (1, 0 is Play). kTextRefused,
// before anything is looked up or sent, when that sum leaves the 32-bit range.
PlayerStatus PressButton(std::int32_t button, std::int32_t offset, const TimeLimits& limits = {});

}  // namespace cuelark::PlayerRemote

namespace cuelark {

// The scheduler's player, driven through its window.
class WindowPlayer : public Player {
 public:
  explicit WindowPlayer(PlayerRemote::TimeLimits limits = {}) : limits_(limits) {}

  PlayerStatus GetPlayListPos(std::int32_t& position) override;
  PlayerStatus WritePlayList(std::int32_t& position) override;
  PlayerStatus ClearPlayList() override;
  PlayerStatus AddToPlayList(const std::wstring& entry) override;
  PlayerStatus PressButton(std::int32_t button, std::int32_t offset) override;
  PlayerStatus SetPlayListPos(std::int32_t position) override;

 private:
  PlayerRemote::TimeLimits limits_;
};

}  // namespace cuelark
