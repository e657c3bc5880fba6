// The control's file store: Win32 files, replaced atomically.
#pragma once

#include "inicontrol/engine/IniSession.h"

namespace brevoni {

class Win32FileStore final : public FileStore {
 public:
  std::optional<FileContent> Load(const std::filesystem::path& file) override;
  std::optional<FileStamp> Stamp(const std::filesystem::path& file) override;
  void ReplaceAtomically(const std::filesystem::path& file, std::string_view bytes) override;
  std::string AnsiToUtf8(std::string_view text) override;
  std::string Utf8ToAnsi(std::string_view text) override;
};

// Where the profile functions would look for a file: a bare file name lives
// in the Windows folder, anything else is taken from the current folder.
std::filesystem::path ResolveIniPath(const std::filesystem::path& file);

}  // namespace brevoni
