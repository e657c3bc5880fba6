// A stand-in for the media player, for tests and the demonstration: a
// top-level window of the player's class that answers the player's messages,
// keeps a playlist, shows it, and logs every message it receives so that a
// test in another process can see exactly what arrived and when.
//
// Options come from "<own name>.options" beside the program (one line, quoted
// like a command line), then from the command line, so that a copy started by
// its bare name with no arguments can still be told to start late or hang.
//   --version N         answer to the version query (default 0x5666)
//   --log PATH          message log (default "<own name>.log" beside the program)
//   --playlist-file P   where the write-playlist message writes (default "<own name>.m3u")
//   --entry TEXT        an initial playlist entry; repeat for more
//   --position N        initial playlist position (default 0)
//   --late-ms N         create the window only after N ms
//   --hang-after N      answer N window messages, then stop answering for good
//   --ini-dir DIR       its settings folder, which the settings folder queries
//                       answer; without one they answer an empty text
//   --m3u-dir DIR       its playlist folder, which the playlist folder queries
//                       answer (default: the settings folder)
//   --playing-after-ms N  how long after Play the playing query first answers 1
//
// With a settings folder, the write-playlist message of a version that has
// one writes "winamp.m3u" in the ANSI code page (names it cannot hold lose
// those characters) into the settings folder, from the version with the
// playlist folder query into that one, and from the version that writes
// UTF-8 also "winamp.m3u8" there: plain UTF-8 lines, no byte-order mark,
// which is what readers of that format expect. Without one it writes
// --playlist-file in the ANSI code page.
//
// A message its version does not know (PlayerMessages.h) is answered with 1
// and changes nothing, as with the player.
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <cwctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/win32/Handles.h"
#include "common/win32/ModulePath.h"
#include "common/win32/TextConversion.h"
#include "scheduler/core/Player.h"
#include "scheduler/win/BaseWindow.h"
#include "scheduler/win/PlayerMessages.h"
#include "tools/player/StandInLog.h"

namespace {

using cuelark::standin::LoggedKind;
using cuelark::standin::LoggedMessage;

constexpr wchar_t kTitle[] = L"Winamp stand-in";

using namespace cuelark::player;

constexpr int kStatusHeight = 22;

struct Options {
  std::int32_t version = 0x5666;
  std::filesystem::path logPath;
  std::filesystem::path playlistPath;
  std::vector<std::wstring> entries;
  std::int32_t position = 0;
  DWORD lateMs = 0;
  std::optional<std::uint32_t> hangAfter;
  std::optional<std::filesystem::path> iniFolder;
  std::optional<std::filesystem::path> m3uFolder;
  DWORD playingAfterMs = 0;
};

std::optional<long long> ParseInteger(const std::wstring& text) {
  if (text.empty()) return std::nullopt;
  wchar_t* end = nullptr;
  errno = 0;
  const long long value = std::wcstoll(text.c_str(), &end, 0);
  if (errno != 0 || *end != L'\0') return std::nullopt;
  return value;
}

std::vector<std::wstring> SplitCommandLine(const std::wstring& line) {
  // CommandLineToArgvW treats its first word as a program path with other
  // quoting rules, so give it a dummy one.
  const std::wstring withProgram = L"standin " + line;
  int count = 0;
  LPWSTR* const argv = CommandLineToArgvW(withProgram.c_str(), &count);
  const win32::unique_hlocal owner(argv);
  if (!argv) return {};
  return std::vector<std::wstring>(argv + 1, argv + count);
}

std::wstring ReadOptionsFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return {};
  return win32::CodePageToWide(CP_UTF8, std::string{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()});
}

std::optional<Options> ParseOptions(const std::filesystem::path& programPath, const wchar_t* commandLine) {
  std::filesystem::path base = programPath;
  base.replace_extension();
  Options options;
  options.logPath = std::filesystem::path(base).replace_extension(L".log");
  options.playlistPath = std::filesystem::path(base).replace_extension(L".m3u");

  std::vector<std::wstring> args = SplitCommandLine(ReadOptionsFile(std::filesystem::path(base).replace_extension(L".options")));
  const std::vector<std::wstring> given = SplitCommandLine(commandLine);
  args.insert(args.end(), given.begin(), given.end());

  for (std::size_t i = 0; i < args.size(); i += 2) {
    if (i + 1 >= args.size()) return std::nullopt;
    const std::wstring& name = args[i];
    const std::wstring& value = args[i + 1];
    const std::optional<long long> number = ParseInteger(value);
    if (name == L"--log") {
      options.logPath = value;
    } else if (name == L"--playlist-file") {
      options.playlistPath = value;
    } else if (name == L"--entry") {
      options.entries.push_back(value);
    } else if (name == L"--version" && number) {
      options.version = static_cast<std::int32_t>(*number);
    } else if (name == L"--position" && number) {
      options.position = static_cast<std::int32_t>(*number);
    } else if (name == L"--late-ms" && number && *number >= 0) {
      options.lateMs = static_cast<DWORD>(*number);
    } else if (name == L"--hang-after" && number && *number >= 0) {
      options.hangAfter = static_cast<std::uint32_t>(*number);
    } else if (name == L"--ini-dir" && value.size() < MAX_PATH) {
      options.iniFolder = value;
    } else if (name == L"--m3u-dir" && value.size() < MAX_PATH) {
      options.m3uFolder = value;
    } else if (name == L"--playing-after-ms" && number && *number >= 0) {
      options.playingAfterMs = static_cast<DWORD>(*number);
    } else {
      return std::nullopt;
    }
  }
  if (!options.m3uFolder) options.m3uFolder = options.iniFolder;
  return options;
}

std::wstring FromAnsi(const std::string& bytes) { return win32::CodePageToWide(CP_ACP, bytes); }

bool HasExtension(const std::wstring& entry, std::wstring_view extension) {
  return entry.size() >= extension.size() &&
         CompareStringOrdinal(entry.data() + entry.size() - extension.size(), static_cast<int>(extension.size()),
                              extension.data(), static_cast<int>(extension.size()), TRUE) == CSTR_EQUAL;
}

// Lines of a playlist file that name entries, in order; comment lines start
// with '#'. A ".m3u8" is UTF-8 (a byte-order mark is skipped), any other the
// ANSI code page. A file that cannot be read adds nothing, as with the player.
std::vector<std::wstring> ReadM3u(const std::wstring& path) {
  const bool utf8 = HasExtension(path, L".m3u8");
  std::vector<std::wstring> entries;
  std::ifstream file(std::filesystem::path(path), std::ios::binary);
  for (std::string line; std::getline(file, line);) {
    if (utf8 && entries.empty() && line.starts_with("\xEF\xBB\xBF")) line.erase(0, 3);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line.front() != '#') entries.push_back(win32::CodePageToWide(utf8 ? CP_UTF8 : CP_ACP, line));
  }
  return entries;
}

bool WriteM3u(const std::filesystem::path& path, const std::vector<std::wstring>& entries, UINT codePage) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file << "#EXTM3U\r\n";
  for (const std::wstring& entry : entries) file << win32::WideToCodePage(codePage, entry) << "\r\n";
  file.close();
  return !file.fail();
}

// An address ("scheme://...") or a file that exists: what plays.
bool IsPlayable(const std::wstring& entry) {
  const std::size_t scheme = entry.find(L"://");
  if (scheme != std::wstring::npos && scheme > 0 &&
      std::all_of(entry.begin(), entry.begin() + static_cast<std::ptrdiff_t>(scheme),
                  [](wchar_t c) { return std::iswalnum(c) || c == L'+' || c == L'-' || c == L'.'; })) {
    return true;
  }
  const DWORD attributes = GetFileAttributesW(entry.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The folder queries answer addresses in the player's memory; these are
// the stand-in's, filled before its window exists and never changed.
struct FolderAnswer {
  std::array<char, MAX_PATH> ansi{};
  std::array<wchar_t, MAX_PATH> wide{};

  // An empty text when there is no folder. The ANSI form loses what the code
  // page cannot hold, as the player's does.
  bool Set(const std::optional<std::filesystem::path>& folder) {
    const std::wstring path = folder ? folder->wstring() : std::wstring();
    const std::string bytes = win32::WideToCodePage(CP_ACP, path);
    if (path.size() >= wide.size() || bytes.size() >= ansi.size()) return false;
    std::copy(path.begin(), path.end(), wide.begin());
    std::copy(bytes.begin(), bytes.end(), ansi.begin());
    return true;
  }
};

FolderAnswer iniFolderAnswer;
FolderAnswer m3uFolderAnswer;

LRESULT AddressOf(const void* buffer) { return reinterpret_cast<LRESULT>(buffer); }

// What a message in lParam of WM_USER needs of the version.
std::optional<Capability> CapabilityOf(LPARAM message) {
  switch (message) {
    case kIpcWritePlaylist: return Capability::kWritePlaylist;
    case kIpcSetPlaylistPos: return Capability::kSetPlaylistPos;
    case kIpcIsPlaying: return Capability::kIsPlaying;
    case kIpcGetListLength: return Capability::kGetListLength;
    case kIpcGetIniDirectory: return Capability::kGetIniDirectory;
    case kIpcGetM3uDirectory: return Capability::kGetM3uDirectory;
    case kIpcGetM3uDirectoryW: return Capability::kGetM3uDirectoryW;
    case kIpcGetIniDirectoryW: return Capability::kGetIniDirectoryW;
  }
  return std::nullopt;
}

class MessageLog {
 public:
  bool Open(const std::filesystem::path& path) {
    // Shared for reading and deleting: tests read it while the stand-in runs
    // and remove their folders after terminating it.
    file_.reset(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file_.get() == INVALID_HANDLE_VALUE) file_.release();
    return file_ != nullptr;
  }

  // The receipt time, taken before the message is handled.
  static LoggedMessage Stamp(LoggedKind kind) {
    LoggedMessage message;
    message.kind = kind;
    LARGE_INTEGER counter{};
    QueryPerformanceCounter(&counter);
    message.qpc = counter.QuadPart;
    FILETIME utc{};
    GetSystemTimePreciseAsFileTime(&utc);
    FILETIME local{};
    SYSTEMTIME parts{};
    if (FileTimeToLocalFileTime(&utc, &local) && FileTimeToSystemTime(&local, &parts)) {
      const ULONGLONG ticks = (ULONGLONG{local.dwHighDateTime} << 32) | local.dwLowDateTime;
      char text[40];
      const int length = std::snprintf(text, sizeof(text), "%04u-%02u-%02u %02u:%02u:%02u.%06u", unsigned{parts.wYear},
                                       unsigned{parts.wMonth}, unsigned{parts.wDay}, unsigned{parts.wHour},
                                       unsigned{parts.wMinute}, unsigned{parts.wSecond},
                                       static_cast<unsigned>((ticks % 10'000'000) / 10));
      if (length > 0) message.localTime.assign(text, static_cast<std::size_t>(length));
    }
    return message;
  }

  // One write per line, so a reader never sees two half lines. A stand-in
  // that cannot keep its log must not go on answering: a test would read the
  // gap as the caller's fault.
  void Write(const LoggedMessage& message) {
    const std::string line = cuelark::standin::FormatStandInLogLine(message) + "\n";
    DWORD written = 0;
    if (!WriteFile(file_.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr) ||
        written != line.size()) {
      ExitProcess(3);
    }
  }

 private:
  win32::unique_handle file_;
};

class StandInWindow : public cuelark::BaseWindow<StandInWindow> {
 public:
  StandInWindow(const Options& options, MessageLog& log) : options_(options), log_(log) {
    playlist_ = options.entries;
    position_ = options.position;
  }

  HWND Create(HINSTANCE instance) {
    if (!RegisterWindowClass(instance, kWindowClass)) return nullptr;
    return CreateWindowExW(0, kWindowClass, kTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 420, 320,
                           nullptr, nullptr, instance, this);
  }

 private:
  friend class cuelark::BaseWindow<StandInWindow>;

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
      case WM_CREATE:
        return CreateControls() ? 0 : -1;
      case WM_SIZE:
        MoveWindow(status_, 0, 0, LOWORD(lParam), kStatusHeight, TRUE);
        MoveWindow(list_, 0, kStatusHeight, LOWORD(lParam), HIWORD(lParam) - kStatusHeight, TRUE);
        return 0;
      case WM_USER:
        return Answer(LoggedKind::kUser, wParam, lParam, [&] { return OnUser(wParam, lParam); });
      case WM_COPYDATA:
        return Answer(LoggedKind::kCopyData, wParam, lParam,
                      [&] { return OnCopyData(*reinterpret_cast<const COPYDATASTRUCT*>(lParam)); });
      case WM_COMMAND:
        if (lParam != 0 && IsChild(hwnd_.get(), reinterpret_cast<HWND>(lParam))) break;
        return Answer(LoggedKind::kCommand, wParam, lParam, [&] { return OnCommand(wParam); });
      case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd_.get(), message, wParam, lParam);
  }

  // Logs the message with its answer; or, once the hang point is reached,
  // logs it without one and never returns, like a player stuck in a long
  // operation.
  template <typename Handler>
  LRESULT Answer(LoggedKind kind, WPARAM wParam, LPARAM lParam, Handler handle) {
    LoggedMessage entry = MessageLog::Stamp(kind);
    entry.wParam = static_cast<std::int64_t>(wParam);
    entry.lParam = static_cast<std::int64_t>(lParam);
    if (kind == LoggedKind::kCopyData) {
      const auto& record = *reinterpret_cast<const COPYDATASTRUCT*>(lParam);
      entry.dwData = record.dwData;
      entry.cbData = record.cbData;
      const auto* bytes = static_cast<const std::uint8_t*>(record.lpData);
      if (bytes) entry.data.assign(bytes, bytes + record.cbData);
    }
    if (options_.hangAfter && answered_ >= *options_.hangAfter) {
      log_.Write(entry);
      Sleep(INFINITE);
    }
    const LRESULT result = handle();
    ++answered_;
    entry.answer = static_cast<std::int64_t>(result);
    log_.Write(entry);
    return result;
  }

  bool Knows(Capability capability) const { return cuelark::player::Knows(options_.version, capability); }

  LRESULT OnUser(WPARAM wParam, LPARAM lParam) {
    if (const std::optional<Capability> needed = CapabilityOf(lParam); needed && !Knows(*needed)) {
      return kUnknownMessageAnswer;
    }
    switch (lParam) {
      case kIpcGetVersion:
        return options_.version;
      case kIpcDelete:
        playlist_.clear();
        position_ = 0;
        ShowPlaylist();
        return 0;
      case kIpcWritePlaylist:
        WritePlaylist();
        return position_;
      case kIpcSetPlaylistPos:
        position_ = static_cast<std::int32_t>(wParam);
        ShowPosition();
        return 0;
      case kIpcGetListPos:
        return position_;
      case kIpcGetListLength:
        return static_cast<LRESULT>(playlist_.size());
      case kIpcIsPlaying:
        return playingSince_ && GetTickCount64() - *playingSince_ >= options_.playingAfterMs ? cuelark::kPlaying : 0;
      case kIpcGetIniDirectory:
        return AddressOf(iniFolderAnswer.ansi.data());
      case kIpcGetIniDirectoryW:
        return AddressOf(iniFolderAnswer.wide.data());
      case kIpcGetM3uDirectory:
        return AddressOf(m3uFolderAnswer.ansi.data());
      case kIpcGetM3uDirectoryW:
        return AddressOf(m3uFolderAnswer.wide.data());
    }
    return kUnknownMessageAnswer;
  }

  void WritePlaylist() {
    std::vector<std::pair<std::filesystem::path, UINT>> files;
    if (!options_.iniFolder || !Knows(Capability::kGetIniDirectory)) {
      files.emplace_back(options_.playlistPath, CP_ACP);
    } else {
      const std::filesystem::path folder =
          Knows(Capability::kGetM3uDirectory) ? *options_.m3uFolder : *options_.iniFolder;
      files.emplace_back(folder / L"winamp.m3u", CP_ACP);
      if (Knows(Capability::kWritesM3u8)) files.emplace_back(folder / L"winamp.m3u8", CP_UTF8);
    }
    for (const auto& [path, codePage] : files) {
      if (!WriteM3u(path, playlist_, codePage)) ShowStatus(L"Could not write " + path.wstring());
    }
  }

  LRESULT OnCopyData(const COPYDATASTRUCT& record) {
    std::wstring entry;
    if (record.dwData == kIpcPlayFile) {
      entry = FromAnsi(UpToZero(static_cast<const char*>(record.lpData), record.cbData));
    } else if (record.dwData == kIpcPlayFileW && Knows(Capability::kPlayFileW)) {
      entry = UpToZero(static_cast<const wchar_t*>(record.lpData), record.cbData / sizeof(wchar_t));
    } else {
      return kUnknownMessageAnswer;
    }
    const std::size_t first = playlist_.size();
    if (HasExtension(entry, L".m3u") || HasExtension(entry, L".m3u8")) {
      const std::vector<std::wstring> added = ReadM3u(entry);
      playlist_.insert(playlist_.end(), added.begin(), added.end());
    } else {
      playlist_.push_back(entry);
    }
    ShowAdded(first);
    return TRUE;
  }

  template <typename Char>
  static std::basic_string<Char> UpToZero(const Char* text, std::size_t count) {
    if (!text) return {};
    const Char* const end = std::find(text, text + count, Char{});
    return std::basic_string<Char>(text, end);
  }

  LRESULT OnCommand(WPARAM command) {
    if (command != kPlayCommand) return 0;
    // Clearing the playlist later leaves the entry playing, as with the player.
    playingSince_.reset();
    if (position_ >= 0 && static_cast<std::size_t>(position_) < playlist_.size()) {
      const std::wstring& entry = playlist_[static_cast<std::size_t>(position_)];
      if (IsPlayable(entry)) playingSince_ = GetTickCount64();
      ShowStatus((playingSince_ ? L"Playing: " : L"Cannot play: ") + entry);
    } else {
      ShowStatus(L"Nothing to play");
    }
    return 0;
  }

  bool CreateControls() {
    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(hwnd_.get(), GWLP_HINSTANCE));
    status_ = CreateWindowExW(0, L"STATIC", L"Stopped", WS_CHILD | WS_VISIBLE | SS_LEFTNOWORDWRAP, 0, 0, 0, 0,
                              hwnd_.get(), nullptr, instance, nullptr);
    list_ = CreateWindowExW(WS_EX_CLIENTEDGE, L"LISTBOX", L"", WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOINTEGRALHEIGHT,
                            0, 0, 0, 0, hwnd_.get(), nullptr, instance, nullptr);
    if (!status_ || !list_) return false;
    const auto font = reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT));
    SendMessageW(status_, WM_SETFONT, font, FALSE);
    SendMessageW(list_, WM_SETFONT, font, FALSE);
    ShowPlaylist();
    return true;
  }

  // The list box follows each change instead of being refilled, so that a
  // long playlist does not slow every answer.
  void ShowPlaylist() {
    SendMessageW(list_, LB_RESETCONTENT, 0, 0);
    ShowAdded(0);
  }

  void ShowAdded(std::size_t first) {
    for (std::size_t i = first; i < playlist_.size(); ++i) {
      const LRESULT added = SendMessageW(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(playlist_[i].c_str()));
      if (added == LB_ERR || added == LB_ERRSPACE) break;
    }
    ShowPosition();
  }

  // A position outside the list selects nothing, which is what it means.
  void ShowPosition() { SendMessageW(list_, LB_SETCURSEL, static_cast<WPARAM>(position_), 0); }

  void ShowStatus(const std::wstring& text) { SetWindowTextW(status_, text.c_str()); }

  const Options& options_;
  MessageLog& log_;
  HWND status_ = nullptr;
  HWND list_ = nullptr;
  std::vector<std::wstring> playlist_;
  std::int32_t position_ = 0;
  // When Play started an entry that plays; nothing before that.
  std::optional<ULONGLONG> playingSince_;
  std::uint32_t answered_ = 0;
};

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int showCommand) {
  const std::filesystem::path programPath = win32::ModulePath();
  if (programPath.empty()) return 2;
  const std::optional<Options> options = ParseOptions(programPath, commandLine);
  if (!options) {
    OutputDebugStringW(L"Winamp stand-in: unknown option or missing value\n");
    return 2;
  }
  if (!iniFolderAnswer.Set(options->iniFolder) || !m3uFolderAnswer.Set(options->m3uFolder)) return 2;
  MessageLog log;
  if (!log.Open(options->logPath)) return 3;
  LoggedMessage started = MessageLog::Stamp(LoggedKind::kStarted);
  started.processId = GetCurrentProcessId();
  log.Write(started);

  if (options->lateMs > 0) Sleep(options->lateMs);

  StandInWindow standIn(*options, log);
  const HWND window = standIn.Create(instance);
  if (!window) return 4;
  log.Write(MessageLog::Stamp(LoggedKind::kCreated));
  ShowWindow(window, showCommand);
  UpdateWindow(window);

  MSG message;
  for (BOOL got; (got = GetMessageW(&message, nullptr, 0, 0)) != 0;) {
    if (got == -1) return 5;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}
