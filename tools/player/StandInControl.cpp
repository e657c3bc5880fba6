#include "tools/player/StandInControl.h"

#include <windows.h>

#include <cstring>

#include "common/win32/Handles.h"
#include "common/win32/TextConversion.h"

namespace cuelark::test {

std::filesystem::path InstallStandIn(const std::filesystem::path& folder, const std::wstring& options) {
  const std::filesystem::path target = folder / L"Winamp.exe";
  if (!CopyFileW((ProgramFolder() / L"WinampStandIn.exe").c_str(), target.c_str(), FALSE)) {
    throw DriverError("Cannot copy the stand-in player into " + folder.string() + " (error " +
                      std::to_string(GetLastError()) + ")");
  }
  if (!options.empty()) WriteFileText(folder / L"Winamp.options", win32::WideToCodePage(CP_UTF8, options));
  return target;
}

std::filesystem::path StandInLogPath(const std::filesystem::path& folder) { return folder / L"Winamp.log"; }

std::vector<standin::LoggedMessage> StandInMessages(const std::filesystem::path& folder) {
  return standin::PlayerMessages(standin::ReadStandInLog(StandInLogPath(folder)));
}

App LaunchStandIn(const std::filesystem::path& folder, const std::wstring& arguments) {
  return App::Launch(folder / L"Winamp.exe", folder, arguments, {}, kWindowClass);
}

App AdoptStandIn(const std::filesystem::path& folder) {
  std::uint32_t processId = 0;
  WaitUntil(
      [&] {
        for (const standin::LoggedMessage& entry : standin::ReadStandInLog(StandInLogPath(folder))) {
          if (entry.kind == standin::LoggedKind::kStarted) processId = entry.processId;
        }
        return processId != 0;
      },
      kDefaultTimeoutMs, "the started stand-in to log its process id");
  return App::Attach(processId, kWindowClass);
}

StandIn::StandIn(const std::wstring& options) : options_(options) { InstallStandIn(Folder(), options_); }

StandIn::~StandIn() {
  app_.reset();
  try {
    for (const auto& event : standin::ReadStandInLog(Log())) {
      if (event.kind != standin::LoggedKind::kStarted) continue;
      if (const HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, event.processId)) {
        const win32::unique_handle owner(process);
        TerminateProcess(process, 1);
        WaitForSingleObject(process, kDefaultTimeoutMs);
      }
    }
  } catch (const std::exception&) {
    // A garbled log has already failed its test; the folder goes regardless.
  }
}

void StandIn::Start() { app_.emplace(LaunchStandIn(Folder(), options_)); }

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

std::wstring CopyDataWideText(const standin::LoggedMessage& message) {
  std::wstring text(message.data.size() / sizeof(wchar_t), L'\0');
  std::memcpy(text.data(), message.data.data(), text.size() * sizeof(wchar_t));
  if (!text.empty() && text.back() == L'\0') text.pop_back();
  return text;
}

std::vector<std::string> Exchange(const std::vector<standin::LoggedMessage>& messages) {
  std::vector<std::string> lines;
  for (const standin::LoggedMessage& message : messages) {
    switch (message.kind) {
      case standin::LoggedKind::kCopyData:
        lines.push_back("COPYDATA " + std::to_string(message.dwData) + " " +
                        (message.dwData == player::kIpcPlayFileW ? win32::WideToCodePage(CP_UTF8, CopyDataWideText(message))
                                                                 : CopyDataText(message)));
        break;
      case standin::LoggedKind::kCommand:
        lines.push_back("COMMAND " + std::to_string(message.wParam) + " " + std::to_string(message.lParam));
        break;
      default:
        lines.push_back("USER " + std::to_string(message.wParam) + " " + std::to_string(message.lParam));
    }
  }
  return lines;
}

PathOverride::PathOverride(const std::wstring& path) {
  const DWORD size = GetEnvironmentVariableW(L"PATH", nullptr, 0);
  if (size > 0) {
    std::wstring old(size, L'\0');
    old.resize(GetEnvironmentVariableW(L"PATH", old.data(), size));
    saved_ = old;
  }
  if (!SetEnvironmentVariableW(L"PATH", path.c_str())) throw DriverError("Cannot set PATH");
}

PathOverride::~PathOverride() { SetEnvironmentVariableW(L"PATH", saved_ ? saved_->c_str() : nullptr); }

}  // namespace cuelark::test
