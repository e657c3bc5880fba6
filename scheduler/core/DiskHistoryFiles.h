// The history's files on disk, through the standard library: its paths are
// wide on Windows, so a program folder with any name works.
#pragma once

#include "scheduler/core/History.h"

namespace cuelark {

class DiskHistoryFiles final : public HistoryFiles {
 public:
  std::optional<std::uint64_t> Size(const std::filesystem::path& file) override;
  bool Append(const std::filesystem::path& file, std::string_view bytes) override;
  bool Replace(const std::filesystem::path& from, const std::filesystem::path& to) override;
  std::optional<std::string> Read(const std::filesystem::path& file) override;
};

}  // namespace cuelark
