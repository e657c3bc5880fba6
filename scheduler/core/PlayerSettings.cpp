#include "scheduler/core/PlayerSettings.h"

#include <utility>

namespace cuelark {

namespace {

const std::wstring kSection = L"Winamp";
const std::wstring kExeKey = L"Exe";
const std::wstring kPlaylistKey = L"Playlist";

}  // namespace

PlayerSettings::PlayerSettings(IniStore& iniStore, std::wstring iniPath)
    : iniStore_(iniStore), iniPath_(std::move(iniPath)) {}

std::wstring PlayerSettings::ReadExe() {
  std::wstring exe = iniStore_.ReadINI(kSection, kExeKey, iniPath_);
  return IsAbsent(exe) ? std::wstring() : exe;
}

std::wstring PlayerSettings::ReadPlaylist() {
  std::wstring playlist = iniStore_.ReadINI(kSection, kPlaylistKey, iniPath_);
  return IsAbsent(playlist) ? std::wstring() : playlist;
}

StoreResult PlayerSettings::Write(const std::wstring& exe, const std::wstring& playlist) {
  UpdateBatch batch(iniStore_, iniPath_);
  iniStore_.WriteINI(kSection, kExeKey, exe, iniPath_);
  iniStore_.WriteINI(kSection, kPlaylistKey, playlist, iniPath_);
  return batch.Commit();
}

}  // namespace cuelark
