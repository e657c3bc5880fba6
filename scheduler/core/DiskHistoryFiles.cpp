#include "scheduler/core/DiskHistoryFiles.h"

#include <fstream>
#include <system_error>

namespace cuelark {

std::optional<std::uint64_t> DiskHistoryFiles::Size(const std::filesystem::path& file) {
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(file, error);
  if (error) return std::nullopt;
  return size;
}

bool DiskHistoryFiles::Append(const std::filesystem::path& file, std::string_view bytes) {
  std::ofstream out;
  // Unbuffered, set before opening as the stream requires: the bytes then go
  // to the system in one write, not in buffer-sized pieces a crash could
  // split.
  out.rdbuf()->pubsetbuf(nullptr, 0);
  out.open(file, std::ios::binary | std::ios::app);
  if (!out) return false;
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return !out.fail();
}

bool DiskHistoryFiles::Replace(const std::filesystem::path& from, const std::filesystem::path& to) {
  std::error_code error;
  std::filesystem::rename(from, to, error);
  return !error;
}

std::optional<std::string> DiskHistoryFiles::Read(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  // In large pieces: a character at a time costs a full history's reading
  // several times over.
  std::string bytes;
  constexpr std::size_t kPiece = 256 * 1024;
  do {
    const std::size_t had = bytes.size();
    bytes.resize(had + kPiece);
    in.read(bytes.data() + had, static_cast<std::streamsize>(kPiece));
    bytes.resize(had + static_cast<std::size_t>(in.gcount()));
  } while (in);
  if (in.bad()) return std::nullopt;
  return bytes;
}

}  // namespace cuelark
