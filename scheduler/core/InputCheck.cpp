#include "scheduler/core/InputCheck.h"

#include <algorithm>

#include "scheduler/core/DueTimes.h"
#include "scheduler/core/Utf8.h"

namespace cuelark {

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr wchar_t kTextMark = L'\uFEFF';

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

wchar_t Lower(wchar_t c) { return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

bool StartsWithIgnoringCase(std::wstring_view text, std::wstring_view prefix) {
  return text.size() >= prefix.size() &&
         std::equal(prefix.begin(), prefix.end(), text.begin(), [](wchar_t p, wchar_t t) { return p == Lower(t); });
}

bool IsDriveLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

bool HasDrive(std::wstring_view path) { return path.size() >= 2 && IsDriveLetter(path[0]) && path[1] == L':'; }

// "\\?\UNC\server\share" is a network path written for long names, and
// "\\?\C:\..." a local one.
constexpr std::wstring_view kLongPrefix = L"\\\\?\\";
constexpr std::wstring_view kLongNetworkPrefix = L"\\\\?\\unc\\";

bool IsNetworkPath(std::wstring_view path) {
  if (StartsWithIgnoringCase(path, kLongNetworkPrefix)) return true;
  if (StartsWithIgnoringCase(path, kLongPrefix)) return false;
  return path.size() >= 3 && IsSeparator(path[0]) && IsSeparator(path[1]) && !IsSeparator(path[2]) &&
         path[2] != L'.' && path[2] != L'?';
}

// "\Music\a.mp3": on whatever drive the reader is on.
bool IsRootedOnNoDrive(std::wstring_view path) {
  return !path.empty() && IsSeparator(path[0]) && (path.size() == 1 || !IsSeparator(path[1]));
}

bool IsLocalPath(std::wstring_view path) {
  if (StartsWithIgnoringCase(path, kLongPrefix)) return !IsNetworkPath(path);
  if (HasDrive(path)) return path.size() >= 3 && IsSeparator(path[2]);
  return IsRootedOnNoDrive(path);
}

// Names no drive, share or scheme: relative to a folder that the reader of
// the text knows.
bool IsRelativePath(std::wstring_view path) {
  return !path.empty() && !IsSeparator(path[0]) && path.find(L':') == std::wstring_view::npos;
}

// The drive ("C:"), share ("\\server\share") or nothing that a path rooted
// on no drive is taken on.
std::wstring_view RootOf(std::wstring_view path) {
  if (HasDrive(path)) return path.substr(0, 2);
  if (!IsNetworkPath(path) || StartsWithIgnoringCase(path, kLongPrefix)) return {};
  std::size_t end = 2;
  for (int part = 0; part < 2 && end < path.size(); ++part) {
    while (end < path.size() && !IsSeparator(path[end])) ++end;
    if (part == 0 && end < path.size()) ++end;
  }
  return path.substr(0, end);
}

std::wstring_view FolderOf(std::wstring_view path) {
  const auto last = std::find_if(path.rbegin(), path.rend(), IsSeparator);
  return path.substr(0, static_cast<std::size_t>(path.rend() - last));
}

std::wstring Resolved(std::wstring_view entry, std::wstring_view playlistPath) {
  if (IsRelativePath(entry)) return std::wstring(FolderOf(playlistPath)) + std::wstring(entry);
  if (IsRootedOnNoDrive(entry)) return std::wstring(RootOf(playlistPath)) + std::wstring(entry);
  return std::wstring(entry);
}

std::wstring_view Trimmed(std::wstring_view text) {
  const auto blank = [](wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

// The value of a "FileN=" line, N being digits; nothing for other lines.
std::optional<std::wstring_view> PlsFileValue(std::wstring_view line) {
  const std::size_t equals = line.find(L'=');
  if (equals == std::wstring_view::npos) return std::nullopt;
  const std::wstring_view key = Trimmed(line.substr(0, equals));
  constexpr std::wstring_view kFileKey = L"file";
  if (key.size() <= kFileKey.size() || !StartsWithIgnoringCase(key, kFileKey) ||
      !std::all_of(key.begin() + kFileKey.size(), key.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; }))
    return std::nullopt;
  return Trimmed(line.substr(equals + 1));
}

bool IsPath(CommandKind kind) {
  return kind == CommandKind::kLocalPath || kind == CommandKind::kNetworkPath || kind == CommandKind::kPlaylist;
}

std::wstring NotFound(const std::wstring& path) {
  return (IsNetworkPath(path) ? L"not found or not reachable: " : L"not found: ") + path;
}

std::optional<std::wstring> CheckPlaylist(const std::wstring& path, PlaylistFormat format, InputFiles& files) {
  if (!files.Exists(path)) return NotFound(path);
  const std::optional<std::wstring> text = files.ReadPlaylist(path, format);
  if (!text) return L"the playlist cannot be read: " + path;
  const std::vector<std::wstring> entries = PlaylistEntries(*text, format, path);
  if (entries.empty()) return L"the playlist lists nothing to play: " + path;
  std::optional<std::wstring> firstMissing;
  std::size_t missing = 0;
  for (const std::wstring& entry : entries) {
    // A playlist inside is only looked for, not opened: lists that name each
    // other must not send the check round in circles.
    if (!IsPath(ClassifyCommand(entry)) || files.Exists(entry)) continue;
    if (!firstMissing) firstMissing = entry;
    ++missing;
  }
  if (!firstMissing) return std::nullopt;
  std::wstring reason = L"the playlist " + path + L" lists a missing file: " + *firstMissing;
  if (missing > 1) reason += L" and " + std::to_wstring(missing - 1) + L" more";
  return reason;
}

}  // namespace

CommandKind ClassifyCommand(std::wstring_view command) {
  if (StartsWithIgnoringCase(command, L"http://") || StartsWithIgnoringCase(command, L"https://"))
    return CommandKind::kAddress;
  const bool network = IsNetworkPath(command);
  if (!network && !IsLocalPath(command)) return CommandKind::kOther;
  if (PlaylistFormatOf(command)) return CommandKind::kPlaylist;
  return network ? CommandKind::kNetworkPath : CommandKind::kLocalPath;
}

std::optional<PlaylistFormat> PlaylistFormatOf(std::wstring_view path) {
  const auto endsWith = [&](std::wstring_view extension) {
    return path.size() > extension.size() &&
           StartsWithIgnoringCase(path.substr(path.size() - extension.size()), extension);
  };
  if (endsWith(L".m3u")) return PlaylistFormat::kM3u;
  if (endsWith(L".m3u8")) return PlaylistFormat::kM3u8;
  if (endsWith(L".pls")) return PlaylistFormat::kPls;
  return std::nullopt;
}

std::wstring PlaylistText(std::string_view bytes, PlaylistFormat format, const AnsiDecoder& ansi) {
  const bool marked = bytes.starts_with(kUtf8Mark);
  if (marked) bytes.remove_prefix(kUtf8Mark.size());
  return marked || format == PlaylistFormat::kM3u8 ? FromUtf8(bytes) : ansi(bytes);
}

std::vector<std::wstring> PlaylistEntries(std::wstring_view text, PlaylistFormat format,
                                          std::wstring_view playlistPath) {
  if (!text.empty() && text.front() == kTextMark) text.remove_prefix(1);
  std::vector<std::wstring> entries;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find_first_of(L"\r\n"), text.size());
    const std::wstring_view line = Trimmed(text.substr(0, end));
    text.remove_prefix(std::min(end + 1, text.size()));
    std::optional<std::wstring_view> entry;
    if (format == PlaylistFormat::kPls) {
      entry = PlsFileValue(line);
    } else if (!line.starts_with(L'#')) {
      entry = line;
    }
    if (entry && !entry->empty()) entries.push_back(Resolved(*entry, playlistPath));
  }
  return entries;
}

std::optional<std::wstring> CheckCommand(const std::wstring& command, InputFiles& files, InputAddresses& addresses) {
  switch (ClassifyCommand(command)) {
    case CommandKind::kLocalPath:
    case CommandKind::kNetworkPath:
      if (files.Exists(command)) return std::nullopt;
      return NotFound(command);
    case CommandKind::kPlaylist:
      return CheckPlaylist(command, *PlaylistFormatOf(command), files);
    case CommandKind::kAddress:
      if (std::optional<std::wstring> reason = addresses.Reach(command))
        return L"no answer from " + command + L": " + *reason;
      return std::nullopt;
    case CommandKind::kOther:
      return std::nullopt;
  }
  return std::nullopt;
}

std::optional<std::wstring> CheckCommandAtOnce(const std::wstring& command, InputFiles& files) {
  // Addresses inside a playlist are never reached, so none is needed here.
  class Unreached final : public InputAddresses {
    std::optional<std::wstring> Reach(const std::wstring&) override { return std::nullopt; }
  } unreached;
  switch (ClassifyCommand(command)) {
    case CommandKind::kLocalPath: return CheckCommand(command, files, unreached);
    case CommandKind::kPlaylist:
      return IsNetworkPath(command) ? std::nullopt : CheckCommand(command, files, unreached);
    case CommandKind::kNetworkPath:
    case CommandKind::kAddress:
    case CommandKind::kOther: return std::nullopt;
  }
  return std::nullopt;
}

std::vector<Firing> DueForCheckAhead(const std::vector<SavedCommand>& entries,
                                     const std::optional<LocalDateTime>& lastLooked, const LocalDateTime& now) {
  const std::int64_t nowSerial = SerialSecond(now);
  std::int64_t first = nowSerial + 1;
  if (lastLooked) first = std::max(first, SerialSecond(*lastLooked) + 1 + kCheckAheadSeconds);
  const std::int64_t last = nowSerial + kCheckAheadSeconds;
  if (first > last) return {};
  return DueBetween(entries, FromSerialSecond(first), FromSerialSecond(last));
}

}  // namespace cuelark
