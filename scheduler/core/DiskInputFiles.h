// The inputs' files on disk, through the standard library: its paths are
// wide on Windows, so local and network paths with any name work.
#pragma once

#include <cstdint>

#include "scheduler/core/InputCheck.h"

namespace cuelark {

// A larger "playlist" is something else under that name; reading it whole
// would hold up the check for nothing.
inline constexpr std::uintmax_t kMaxPlaylistBytes = 16 * 1024 * 1024;

class DiskInputFiles final : public InputFiles {
 public:
  explicit DiskInputFiles(AnsiDecoder ansi);
  bool Exists(const std::wstring& path) override;
  std::optional<std::wstring> ReadPlaylist(const std::wstring& path, PlaylistFormat format) override;

 private:
  AnsiDecoder ansi_;
};

}  // namespace cuelark
