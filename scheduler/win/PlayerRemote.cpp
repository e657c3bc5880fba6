#include "scheduler/win/PlayerRemote.h"

#include <shellapi.h>

#include <algorithm>
#include <array>
#include <functional>
#include <limits>
#include <optional>
#include <stdexcept>

#include "scheduler/win/PlayerMessages.h"
#include "common/win32/Handles.h"
#include "scheduler/win/WinText.h"

namespace cuelark {
namespace {

constexpr wchar_t kPlayerProgram[] = L"Winamp.exe";
constexpr wchar_t kTooOldTitle[] = L"Winamp Control";
constexpr wchar_t kWriteTooOld[] = L"WritePlayList is only available in Winamp v1.666 and above.";
constexpr wchar_t kSetPosTooOld[] = L"SetPlayListPos is only available in Winamp v2.0 and above.";

using namespace cuelark::player;

// The folder queries in the order they are asked: the playlist folder is
// where newer players write, and the UTF-16 forms hold any folder name.
struct FolderQuery {
  Capability capability;
  LPARAM message;
  bool wide;
};
constexpr std::array<FolderQuery, 4> kFolderQueries{{
    {Capability::kGetM3uDirectoryW, kIpcGetM3uDirectoryW, true},
    {Capability::kGetM3uDirectory, kIpcGetM3uDirectory, false},
    {Capability::kGetIniDirectoryW, kIpcGetIniDirectoryW, true},
    {Capability::kGetIniDirectory, kIpcGetIniDirectory, false},
}};

// Nothing is mapped in the first page of a process; an answer there (1 is
// that of a player that did not know the message) is no address.
constexpr std::uintptr_t kLowestAddress = 4096;

// Between looks for a starting player's window. Long enough that the wait
// costs no measurable processor time, short enough that the caller goes on
// soon after the window appears; window events end a step early anyway.
constexpr std::chrono::milliseconds kWaitStep{50};

struct Reply {
  PlayerStatus status = PlayerStatus::kOk;
  LRESULT answer = 0;
};

Reply Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam, const PlayerLinkSettings& settings) {
  const auto timeout = static_cast<UINT>(
      std::clamp<std::chrono::milliseconds::rep>(settings.reply.count(), 1, std::numeric_limits<UINT>::max()));
  DWORD_PTR answer = 0;
  // SMTO_NORMAL keeps our own windows answering messages sent to them while
  // we wait; SMTO_ABORTIFHUNG spares a second full wait on a player already
  // known to be hung.
  if (SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG | SMTO_NORMAL, timeout, &answer) != 0) {
    return {PlayerStatus::kOk, static_cast<LRESULT>(answer)};
  }
  // A window gone between finding and sending means the player was closed;
  // anything else means it did not answer in time.
  return {GetLastError() == ERROR_INVALID_WINDOW_HANDLE ? PlayerStatus::kWindowClosed : PlayerStatus::kNotResponding,
          0};
}

PlayerStatus StartFailure(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return PlayerStatus::kNotStarted;
    case ERROR_ACCESS_DENIED:
      return PlayerStatus::kAccessDenied;
    case ERROR_BAD_EXE_FORMAT:
    case ERROR_EXE_MACHINE_TYPE_MISMATCH:
      return PlayerStatus::kNotAProgram;
    default:
      return PlayerStatus::kStartFailed;
  }
}

PlayerStatus Launch(const wchar_t* program, std::wstring commandLine) {
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION process{};
  // The command line must be writable for CreateProcessW.
  if (!CreateProcessW(program, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return StartFailure(GetLastError());
  // The player lives on by itself; from here only its window matters.
  const win32::unique_handle thread(process.hThread);
  const win32::unique_handle player(process.hProcess);
  return PlayerStatus::kOk;
}

// A player installed in a folder of its own, off the search path, is not
// found by its bare name; the one the user picked is.
PlayerStatus LaunchChosen(const PlayerLinkSettings& settings) {
  if (!settings.chosenPlayer) return PlayerStatus::kNotStarted;
  const std::wstring path = settings.chosenPlayer();
  // A choice that is gone, or names a folder, is no player to start.
  const DWORD attributes = path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return PlayerStatus::kNotStarted;
  return Launch(path.c_str(), L"\"" + path + L"\"");
}

// The shell also knows programs by their registered application paths. Its
// many ways of not finding one all mean the player is not there.
PlayerStatus LaunchThroughShell() {
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof(info);
  info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
  info.lpFile = kPlayerProgram;
  info.nShow = SW_SHOWNORMAL;
  return ShellExecuteExW(&info) ? PlayerStatus::kOk : PlayerStatus::kNotStarted;
}

PlayerStatus StartPlayer(const PlayerLinkSettings& settings) {
  // First by its bare name, so that the ordinary program search finds the
  // player: the program's folder, the current folder, the system, PATH.
  // When every way fails, the first cause other than "not found" is told.
  PlayerStatus failure = PlayerStatus::kNotStarted;
  for (const auto& attempt : {std::function<PlayerStatus()>([] { return Launch(nullptr, kPlayerProgram); }),
                              std::function<PlayerStatus()>([&] { return LaunchChosen(settings); }),
                              std::function<PlayerStatus()>(LaunchThroughShell)}) {
    const PlayerStatus status = attempt();
    if (status == PlayerStatus::kOk) return status;
    if (failure == PlayerStatus::kNotStarted) failure = status;
  }
  return failure;
}

// Runs the caller's window events while the player starts, so that the
// scheduler's own window stays alive; sleeps between looks.
PlayerStatus WaitForPlayerWindow(HWND& window, std::chrono::milliseconds bound) {
  const auto deadline = std::chrono::steady_clock::now() + bound;
  for (;;) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        // The program is ending; its own message loop must still see the quit.
        PostQuitMessage(static_cast<int>(message.wParam));
        return PlayerStatus::kInterrupted;
      }
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    window = FindWindowW(kWindowClass, nullptr);
    if (window) return PlayerStatus::kOk;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return PlayerStatus::kNotStarted;
    const auto step = static_cast<DWORD>(std::min(left, kWaitStep).count());
    if (MsgWaitForMultipleObjectsEx(0, nullptr, step, QS_ALLINPUT, MWMO_INPUTAVAILABLE) == WAIT_FAILED) {
      return PlayerStatus::kStartFailed;
    }
  }
}

PlayerStatus FindWindowOrStart(HWND& window, const PlayerLinkSettings& settings) {
  window = FindWindowW(kWindowClass, nullptr);
  if (window) return PlayerStatus::kOk;
  if (!settings.mayStart) return PlayerStatus::kNotStarted;
  if (const PlayerStatus started = StartPlayer(settings); started != PlayerStatus::kOk) return started;
  return WaitForPlayerWindow(window, settings.startWait);
}

Reply FindAndSend(UINT message, WPARAM wParam, LPARAM lParam, const PlayerLinkSettings& settings) {
  HWND window = nullptr;
  if (const PlayerStatus found = FindWindowOrStart(window, settings); found != PlayerStatus::kOk) return {found, 0};
  return Send(window, message, wParam, lParam, settings);
}

struct VersionedWindow {
  PlayerStatus status = PlayerStatus::kOk;
  HWND window = nullptr;
  std::int32_t version = 0;
};

VersionedWindow FindWithVersion(const PlayerLinkSettings& settings) {
  VersionedWindow player;
  player.status = FindWindowOrStart(player.window, settings);
  if (player.status != PlayerStatus::kOk) return player;
  const Reply version = Send(player.window, WM_USER, 0, kIpcGetVersion, settings);
  player.status = version.status;
  player.version = static_cast<std::int32_t>(version.answer);
  return player;
}

// For the operations a player has only from some version on: asks the
// version, then sends the operation, or tells the user the player is too old
// (which is not a failure: the caller carries on, with the answer 0).
Reply SendIfNewEnough(Capability capability, const wchar_t* tooOldText, WPARAM wParam, LPARAM lParam,
                      const PlayerLinkSettings& settings) {
  const VersionedWindow player = FindWithVersion(settings);
  if (player.status != PlayerStatus::kOk) return {player.status, 0};
  if (Knows(player.version, capability)) return Send(player.window, WM_USER, wParam, lParam, settings);
  // The box only informs; when it cannot be shown the execution still goes on.
  if (settings.tell)
    settings.tell(tooOldText, kTooOldTitle);
  else
    MessageBoxW(GetActiveWindow(), tooOldText, kTooOldTitle, MB_OK);
  return {PlayerStatus::kOk, 0};
}

// A question some versions cannot answer: those are not asked, and the
// answer stays empty.
PlayerStatus AskIfKnown(Capability capability, LPARAM message, std::optional<std::int32_t>& answer,
                        const PlayerLinkSettings& settings) {
  answer.reset();
  const VersionedWindow player = FindWithVersion(settings);
  if (player.status != PlayerStatus::kOk || !Knows(player.version, capability)) return player.status;
  const Reply reply = Send(player.window, WM_USER, 0, message, settings);
  if (reply.status == PlayerStatus::kOk) answer = static_cast<std::int32_t>(reply.answer);
  return reply.status;
}

// The player reads up to the zero, so it travels too. cbData counts bytes,
// not characters: in a multi-byte code page or UTF-16 the two differ.
template <typename Char>
Reply SendEntry(HWND window, ULONG_PTR kind, std::basic_string<Char> text, const PlayerLinkSettings& settings) {
  text.push_back(Char{});
  COPYDATASTRUCT record{kind, static_cast<DWORD>(text.size() * sizeof(Char)), text.data()};
  return Send(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&record), settings);
}

// A text of MAX_PATH characters at the address, up to its zero; nothing when
// the memory cannot be read or holds no zero.
template <typename Char>
std::optional<std::basic_string<Char>> ReadZeroEnded(HANDLE process, std::uintptr_t address) {
  std::array<Char, MAX_PATH> buffer{};
  SIZE_T read = 0;
  if (!ReadProcessMemory(process, reinterpret_cast<LPCVOID>(address), buffer.data(), sizeof(buffer), &read) ||
      read != sizeof(buffer)) {
    return std::nullopt;
  }
  const auto end = std::find(buffer.begin(), buffer.end(), Char{});
  if (end == buffer.end()) return std::nullopt;
  return std::basic_string<Char>(buffer.begin(), end);
}

std::optional<std::wstring> FromAnsi(const std::string& bytes) {
  try {
    return win32::CodePageToWide(CP_ACP, bytes);
  } catch (const std::runtime_error&) {
    return std::nullopt;
  }
}

// The folder whose address the player answered, read from its memory; nothing
// when the answer is no readable, non-empty folder.
std::optional<std::wstring> ReadFolderAnswer(HWND window, LRESULT answer, bool wide) {
  DWORD processId = 0;
  if (GetWindowThreadProcessId(window, &processId) == 0) return std::nullopt;
  const win32::unique_handle process(
      OpenProcess(PROCESS_VM_READ | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
  if (!process) return std::nullopt;
  auto address = static_cast<std::uintptr_t>(answer);
  // A 32-bit player's answer arrives sign-extended; its addresses have 32 bits.
  BOOL wow64 = FALSE;
  if (IsWow64Process(process.get(), &wow64) && wow64) address = static_cast<std::uint32_t>(address);
  if (address < kLowestAddress) return std::nullopt;
  std::optional<std::wstring> folder;
  if (wide) {
    folder = ReadZeroEnded<wchar_t>(process.get(), address);
  } else if (const std::optional<std::string> bytes = ReadZeroEnded<char>(process.get(), address)) {
    folder = FromAnsi(*bytes);
  }
  if (folder && folder->empty()) return std::nullopt;
  return folder;
}

}  // namespace

PlayerStatus WindowPlayer::FindPlayerWindow(HWND& window) const { return FindWindowOrStart(window, settings_); }

PlayerStatus WindowPlayer::AddToPlayList(const std::wstring& entry) {
  // Text the code page cannot hold is never sent as a lookalike that names
  // some other file: it goes in UTF-16, or not at all.
  if (std::optional<std::string> bytes = win32::ToAnsiExactly(entry)) {
    HWND window = nullptr;
    if (const PlayerStatus found = FindWindowOrStart(window, settings_); found != PlayerStatus::kOk) return found;
    return SendEntry(window, kIpcPlayFile, std::move(*bytes), settings_).status;
  }
  const VersionedWindow player = FindWithVersion(settings_);
  if (player.status != PlayerStatus::kOk) return player.status;
  if (!Knows(player.version, Capability::kPlayFileW)) return PlayerStatus::kTextRefused;
  return SendEntry(player.window, kIpcPlayFileW, entry, settings_).status;
}

PlayerStatus WindowPlayer::ClearPlayList() {
  return FindAndSend(WM_USER, 0, kIpcDelete, settings_).status;
}

PlayerStatus WindowPlayer::WritePlayList(std::int32_t& position) {
  const Reply reply = SendIfNewEnough(Capability::kWritePlaylist, kWriteTooOld, 0, kIpcWritePlaylist, settings_);
  // Whole 32 bits: long playlists have positions past 32767.
  position = static_cast<std::int32_t>(reply.answer);
  return reply.status;
}

PlayerStatus WindowPlayer::SetPlayListPos(std::int32_t position) {
  return SendIfNewEnough(Capability::kSetPlaylistPos, kSetPosTooOld, static_cast<WPARAM>(position), kIpcSetPlaylistPos,
                         settings_)
      .status;
}

PlayerStatus WindowPlayer::GetPlayListPos(std::int32_t& position) {
  const Reply reply = FindAndSend(WM_USER, 1, kIpcGetListPos, settings_);
  position = static_cast<std::int32_t>(reply.answer);
  return reply.status;
}

PlayerStatus WindowPlayer::GetPlaylistFolder(std::optional<PlaylistFolder>& folder) {
  folder.reset();
  const VersionedWindow player = FindWithVersion(settings_);
  if (player.status != PlayerStatus::kOk) return player.status;
  for (const FolderQuery& query : kFolderQueries) {
    if (!Knows(player.version, query.capability)) continue;
    const Reply reply = Send(player.window, WM_USER, 0, query.message, settings_);
    if (reply.status != PlayerStatus::kOk) return reply.status;
    if (std::optional<std::wstring> path = ReadFolderAnswer(player.window, reply.answer, query.wide)) {
      folder = PlaylistFolder{std::move(*path), Knows(player.version, Capability::kWritesM3u8)};
      return PlayerStatus::kOk;
    }
  }
  return PlayerStatus::kOk;
}

PlayerStatus WindowPlayer::GetListLength(std::optional<std::int32_t>& length) {
  return AskIfKnown(Capability::kGetListLength, kIpcGetListLength, length, settings_);
}

PlayerStatus WindowPlayer::GetPlayingState(std::optional<std::int32_t>& state) {
  return AskIfKnown(Capability::kIsPlaying, kIpcIsPlaying, state, settings_);
}

PlayerStatus WindowPlayer::PressButton(std::int32_t button, std::int32_t offset) {
  const std::int64_t command = kFirstButtonCommand + button + offset;
  if (command < std::numeric_limits<std::int32_t>::min() || command > std::numeric_limits<std::int32_t>::max()) {
    return PlayerStatus::kTextRefused;
  }
  return FindAndSend(WM_COMMAND, static_cast<WPARAM>(command), 0, settings_).status;
}

}  // namespace cuelark
