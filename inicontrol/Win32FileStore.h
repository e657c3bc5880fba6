// The control's file store: Win32 files, replaced atomically, and the
// system's ANSI code page.
#pragma once

#include "inicontrol/engine/IniSession.h"

namespace brevoni {

class Win32FileStore final : public FileStore {
 public:
  std::optional<FileContent> Load(const std::filesystem::path& file) override;
  std::optional<FileStamp> Stamp(const std::filesystem::path& file) override;
  void ReplaceAtomically(const std::filesystem::path& file, std::string_view bytes) override;
  void RewriteInPlace(const std::filesystem::path& file, std::string_view bytes) override;
  std::optional<std::string> ToAnsi(std::wstring_view text) override;
  std::wstring FromAnsi(std::string_view bytes) override;
  std::string ToUtf8(std::wstring_view text) override;
  std::wstring FromUtf8(std::string_view bytes) override;
};

// Where the profile functions would look for a file: a bare file name lives
// in the Windows folder, anything else is taken from the current folder.
std::filesystem::path ResolveIniPath(const std::filesystem::path& file);

}  // namespace brevoni
