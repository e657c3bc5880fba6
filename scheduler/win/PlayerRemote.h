// The link to the media player: finds the player's main window (starting the
// player when it is not running) and drives it with synchronous window
// messages. No window is kept between calls; each operation looks it up
// afresh.
#pragma once

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "scheduler/core/Player.h"

namespace cuelark {

struct PlayerLinkSettings {
  // How long to wait for the window of a player just started. The player
  // normally needs well under a second; a cold start from a slow disk can
  // take several.
  std::chrono::milliseconds startWait{30'000};
  // How long one message may take to be answered before the player counts
  // as hung. Every message the scheduler sends is answered at once by a
  // healthy player, even writing its playlist file.
  std::chrono::milliseconds reply{5'000};
  // The player executable the user chose, or an empty text. Asked only when
  // the player has to be started, so that a choice made meanwhile counts.
  std::function<std::wstring()> chosenPlayer;
  // False once the program is ending: a player that is not running is then
  // not started, and nothing waits for it.
  bool mayStart = true;
  // Shows a notice without waiting for the user (a player too old for an
  // operation); without it, a message box that waits.
  std::function<void(const std::wstring& text, const std::wstring& title)> tell;
};

// The scheduler's player, driven through its window.
class WindowPlayer : public Player {
 public:
  explicit WindowPlayer(PlayerLinkSettings settings = {}) : settings_(std::move(settings)) {}

  // kOk with the window. A player that is not running is started by its bare
  // name through the ordinary program search, else from the executable the
  // user chose, else by the name as the shell resolves it (its registered
  // application paths); kNotStarted when all of these fail or its window
  // does not appear within startWait. While waiting, the calling thread's
  // window events run.
  PlayerStatus FindPlayerWindow(HWND& window) const;

  PlayerStatus GetPlayListPos(std::int32_t& position) override;
  // position receives the player's answer, its playlist position. A player
  // too old for this is told so, and position is 0.
  PlayerStatus WritePlayList(std::int32_t& position) override;
  PlayerStatus ClearPlayList() override;
  // Appends an entry (a file, a playlist file or anything else the player
  // accepts). Text the ANSI code page holds travels in it, as every player
  // version reads it; other text in UTF-16, to a player that reads that.
  // kTextRefused, with only the version asked, when the player reads
  // neither.
  PlayerStatus AddToPlayList(const std::wstring& entry) override;
  // Sends the player command 40044 + button + offset (1, 0 is Play).
  // kTextRefused, before anything is looked up or sent, when that sum leaves
  // the 32-bit range.
  PlayerStatus PressButton(std::int32_t button, std::int32_t offset) override;
  // A player too old for this is told so; kOk all the same.
  PlayerStatus SetPlayListPos(std::int32_t position) override;
  // Asks the folder queries the player's version knows, the UTF-16 and the
  // playlist folder ones first; the first answer that reads as a folder in
  // the player's memory counts.
  PlayerStatus GetPlaylistFolder(std::optional<PlaylistFolder>& folder) override;
  PlayerStatus GetListLength(std::optional<std::int32_t>& length) override;
  PlayerStatus GetPlayingState(std::optional<std::int32_t>& state) override;
  void ForbidStarts() override { settings_.mayStart = false; }

 private:
  PlayerLinkSettings settings_;
};

}  // namespace cuelark
