// Whether an entry's input can play, asked before it is due so that a
// missing file or a silent station is known while there is time to act.
//
// Only what the player would fail on for sure is checked: a path that does
// not exist, a playlist whose files do not, an address that does not answer.
// A command this program cannot judge (a relative path, which the player
// resolves against its own folder, or another kind of address) passes.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "scheduler/core/Calendar.h"
#include "scheduler/core/SavedCommand.h"
#include "scheduler/core/ScheduleClock.h"

namespace cuelark {

enum class CommandKind {
  kLocalPath,    // "C:\Music\a.mp3", "\Music\a.mp3" on the current drive
  kNetworkPath,  // "\\server\share\a.mp3"
  kPlaylist,     // a local or network path ending in .m3u, .m3u8 or .pls
  kAddress,      // http:// or https://
  kOther,
};

CommandKind ClassifyCommand(std::wstring_view command);

enum class PlaylistFormat { kM3u, kM3u8, kPls };

// By the file name's extension, in any case; nothing when it names no
// playlist.
std::optional<PlaylistFormat> PlaylistFormatOf(std::wstring_view path);

// A playlist file's bytes as text: UTF-8 for .m3u8 and for a file that
// starts with a UTF-8 byte-order mark, otherwise the ANSI code page, as the
// player reads them.
using AnsiDecoder = std::function<std::wstring(std::string_view)>;
std::wstring PlaylistText(std::string_view bytes, PlaylistFormat format, const AnsiDecoder& ansi);

// The entries of the playlist at `playlistPath` in list order: the lines of
// an .m3u/.m3u8 that are not comments, the FileN values of a .pls. A
// relative entry is resolved against the playlist's folder, and one rooted
// on no drive against the playlist's drive or share; addresses are kept as
// they are.
std::vector<std::wstring> PlaylistEntries(std::wstring_view text, PlaylistFormat format,
                                          std::wstring_view playlistPath);

class InputFiles {
 public:
  virtual ~InputFiles() = default;
  // A file or a folder.
  virtual bool Exists(const std::wstring& path) = 0;
  // The playlist's text (see PlaylistText); nothing when it cannot be read.
  virtual std::optional<std::wstring> ReadPlaylist(const std::wstring& path, PlaylistFormat format) = 0;
};

class InputAddresses {
 public:
  virtual ~InputAddresses() = default;
  // Nothing when the address accepted a connection and answered a request
  // in time; otherwise why not, in words.
  virtual std::optional<std::wstring> Reach(const std::wstring& address) = 0;
};

// Nothing when the input can play as far as can be told; otherwise why it
// cannot, in words, for the history and the user.
std::optional<std::wstring> CheckCommand(const std::wstring& command, InputFiles& files, InputAddresses& addresses);

// The check at the due second, which must not hold up the firing: only what
// lies on this computer's own disks. A network path or an address passes
// here; whether it plays is told by the player's playing.
std::optional<std::wstring> CheckCommandAtOnce(const std::wstring& command, InputFiles& files);

inline constexpr std::int64_t kCheckAheadSeconds = 300;

// An entry's input to check ahead of its due second, and what was found.
struct InputCheckRequest {
  EntryId id = 0;
  LocalDateTime due{};
  std::wstring name;
  std::wstring command;
};

struct InputCheckResult {
  EntryId id = 0;
  LocalDateTime due{};
  std::wstring name;
  std::wstring command;
  // Nothing when the input can play as far as can be told.
  std::optional<std::wstring> reason;
};

// The ticked entries to check now, kCheckAheadSeconds before they are due:
// those due after `now` whose moment to check came after `lastLooked`, the
// `now` of the previous call. Without one (the first call), everything due
// within kCheckAheadSeconds: an entry due soon after the start is checked
// too. When the clock goes back, nothing is looked for until it has passed
// `lastLooked` again.
std::vector<Firing> DueForCheckAhead(const std::vector<SavedCommand>& entries,
                                     const std::optional<LocalDateTime>& lastLooked, const LocalDateTime& now);

}  // namespace cuelark
