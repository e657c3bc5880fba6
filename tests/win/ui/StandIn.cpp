#include "tests/win/ui/StandIn.h"

#include "tests/win/ui/CuelarkRun.h"

namespace cuelark::test {

StandIn::StandIn(const std::wstring& options) : options_(options) {
  const auto exe = CopyFileTo(ProgramFolder() / "WinampStandIn.exe", Folder());
  std::filesystem::rename(exe, Folder() / "Winamp.exe");
  std::string bytes;
  for (wchar_t c : options_) bytes.push_back(static_cast<char>(c));
  WriteFileText(Folder() / "Winamp.options", bytes);
}

StandIn::~StandIn() {
  app_.reset();
  try {
    for (const auto& event : standin::ReadStandInLog(Log())) {
      if (event.kind != standin::LoggedKind::kStarted) continue;
      if (const HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, event.processId)) {
        unique_handle owner(process);
        TerminateProcess(process, 1);
        WaitForSingleObject(process, kDefaultTimeoutMs);
      }
    }
  } catch (const std::exception&) {
    // A garbled log has already failed its test; the folder goes regardless.
  }
}

void StandIn::Start() { app_.emplace(App::Launch(Folder() / "Winamp.exe", Folder(), options_, {}, L"Winamp v1.x")); }

std::vector<standin::LoggedMessage> StandIn::Messages() const {
  return standin::PlayerMessages(standin::ReadStandInLog(Log()));
}

std::vector<standin::LoggedMessage> StandIn::WaitForMessages(std::size_t count, DWORD timeoutMs) const {
  std::vector<standin::LoggedMessage> messages;
  WaitUntil(
      [&] {
        messages = Messages();
        return messages.size() >= count;
      },
      timeoutMs, "the player to receive " + std::to_string(count) + " messages");
  return messages;
}

void StandIn::WriteSettings(const std::filesystem::path& winampIni) const {
  const std::string exe = (Folder() / "Winamp.exe").string();
  const std::string playlist = Playlist().string();
  WriteFileText(winampIni, "[Winamp]\r\nExe=" + exe + "\r\nPlaylist=" + playlist + "\r\n");
}

std::wstring StandIn::SearchPath() const { return Folder().wstring() + L";C:\\windows\\system32;C:\\windows"; }

std::string CopyDataText(const standin::LoggedMessage& message) {
  std::string text(message.data.begin(), message.data.end());
  if (!text.empty() && text.back() == '\0') text.pop_back();
  return text;
}

}  // namespace cuelark::test
