// A player that writes every call into a log shared with the other fakes of
// a test, so that the test sees the order of everything that happened.
#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "scheduler/core/Player.h"

namespace cuelark {

using Log = std::vector<std::wstring>;

inline std::wstring StatusName(PlayerStatus status) { return std::to_wstring(static_cast<int>(status)); }

// Player and host write into one log, so a test sees the order of
// everything the executor did.
class FakePlayer : public Player {
 public:
  explicit FakePlayer(Log& log) : log_(log) {}

  std::int32_t position = 0;
  // The status of the player call with this index in the log (counting
  // every logged line); all others succeed.
  std::map<std::size_t, PlayerStatus> statusAt;
  // Runs inside the player call with this log index, as window events run
  // while the player link waits for a starting player.
  std::map<std::size_t, std::function<void()>> during;

  PlayerStatus GetPlayListPos(std::int32_t& result) override {
    const PlayerStatus status = Record(L"GetPlayListPos");
    if (status == PlayerStatus::kOk) result = position;
    return status;
  }
  PlayerStatus WritePlayList(std::int32_t& result) override {
    result = position;
    return Record(L"WritePlayList");
  }
  PlayerStatus ClearPlayList() override { return Record(L"ClearPlayList"); }
  PlayerStatus AddToPlayList(const std::wstring& entry) override { return Record(L"AddToPlayList " + entry); }
  PlayerStatus PressButton(std::int32_t button, std::int32_t offset) override {
    return Record(L"PressButton " + std::to_wstring(button) + L" " + std::to_wstring(offset));
  }
  PlayerStatus SetPlayListPos(std::int32_t newPosition) override {
    return Record(L"SetPlayListPos " + std::to_wstring(newPosition));
  }
  // What the player says of its folder, its list and its playing; by default
  // it says nothing of its folder, took the entry and plays at once.
  std::optional<PlaylistFolder> playlistFolder;
  std::optional<std::int32_t> listLength = 1;
  // The answers to the playing question, one per call; then kPlaying.
  std::deque<std::optional<std::int32_t>> playingStates;
  PlayerStatus GetPlaylistFolder(std::optional<PlaylistFolder>& folder) override {
    folder = playlistFolder;
    return Record(L"GetPlaylistFolder");
  }
  PlayerStatus GetListLength(std::optional<std::int32_t>& length) override {
    length = listLength;
    return Record(L"GetListLength");
  }
  PlayerStatus GetPlayingState(std::optional<std::int32_t>& state) override {
    state = kPlaying;
    if (!playingStates.empty()) {
      state = playingStates.front();
      playingStates.pop_front();
    }
    return Record(L"GetPlayingState");
  }
  void ForbidStarts() override { startsForbidden = true; }
  bool startsForbidden = false;

 private:
  PlayerStatus Record(const std::wstring& call) {
    const std::size_t index = log_.size();
    log_.push_back(call);
    if (const auto hook = during.find(index); hook != during.end()) {
      const std::function<void()> run = std::move(hook->second);
      during.erase(hook);
      run();
    }
    const auto status = statusAt.find(index);
    return status == statusAt.end() ? PlayerStatus::kOk : status->second;
  }

  Log& log_;
};

}  // namespace cuelark
