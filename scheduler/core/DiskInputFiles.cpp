#include "scheduler/core/DiskInputFiles.h"

#include <filesystem>
#include <fstream>
#include <utility>

namespace cuelark {

DiskInputFiles::DiskInputFiles(AnsiDecoder ansi) : ansi_(std::move(ansi)) {}

bool DiskInputFiles::Exists(const std::wstring& path) {
  std::error_code error;
  return std::filesystem::exists(std::filesystem::path(path), error);
}

std::optional<std::wstring> DiskInputFiles::ReadPlaylist(const std::wstring& path, PlaylistFormat format) {
  const std::filesystem::path file(path);
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(file, error);
  if (error || size > kMaxPlaylistBytes) return std::nullopt;
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  std::string bytes(static_cast<std::size_t>(size), '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(size));
  bytes.resize(static_cast<std::size_t>(in.gcount()));
  if (in.bad()) return std::nullopt;
  return PlaylistText(bytes, format, ansi_);
}

}  // namespace cuelark
