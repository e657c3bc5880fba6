#include "tools/player/StandInControl.h"

#include <windows.h>

#include <algorithm>

namespace cuelark::test {
namespace {

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(std::max(size, 0)), '\0');
  if (size <= 0 || WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size,
                                       nullptr, nullptr) != size) {
    throw DriverError("Cannot convert stand-in options to UTF-8");
  }
  return bytes;
}

}  // namespace

std::filesystem::path InstallStandIn(const std::filesystem::path& folder, const std::wstring& options) {
  const std::filesystem::path target = folder / L"Winamp.exe";
  if (!CopyFileW((ProgramFolder() / L"WinampStandIn.exe").c_str(), target.c_str(), FALSE)) {
    throw DriverError("Cannot copy the stand-in player into " + folder.string() + " (error " +
                      std::to_string(GetLastError()) + ")");
  }
  if (!options.empty()) WriteFileText(folder / L"Winamp.options", Utf8(options));
  return target;
}

std::filesystem::path StandInLogPath(const std::filesystem::path& folder) { return folder / L"Winamp.log"; }

std::vector<standin::LoggedMessage> StandInMessages(const std::filesystem::path& folder) {
  return standin::PlayerMessages(standin::ReadStandInLog(StandInLogPath(folder)));
}

App LaunchStandIn(const std::filesystem::path& folder, const std::wstring& arguments) {
  return App::Launch(folder / L"Winamp.exe", folder, arguments, {}, kPlayerClass);
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
  return App::Attach(processId, kPlayerClass);
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
