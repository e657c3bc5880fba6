// The real file store, watched: how often a file is read and replaced, and
// failures like a file held open by another program or a full disk.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "inicontrol/engine/IniSession.h"

namespace cuelark {

class WatchedFileStore : public brevoni::FileStore {
 public:
  int loads = 0;
  int replaces = 0;
  bool failLoad = false;
  bool failReplace = false;
  // Runs once, right after the next read of a file: another program's write
  // between a reader and its write.
  std::function<void()> afterLoad;

  std::optional<brevoni::FileContent> Load(const std::filesystem::path& file) override {
    ++loads;
    if (failLoad) throw brevoni::IniError("the file is being used by another process");
    std::optional<brevoni::FileContent> content = disk_->Load(file);
    if (afterLoad) std::exchange(afterLoad, nullptr)();
    return content;
  }
  std::optional<brevoni::FileStamp> Stamp(const std::filesystem::path& file) override {
    if (failLoad) throw brevoni::IniError("the file is being used by another process");
    return disk_->Stamp(file);
  }
  void ReplaceAtomically(const std::filesystem::path& file, std::string_view bytes) override {
    ++replaces;
    if (failReplace) throw brevoni::IniError("no space left on the device");
    disk_->ReplaceAtomically(file, bytes);
  }

 private:
  std::unique_ptr<brevoni::FileStore> disk_ = brevoni::MakeNativeFileStore();
};

}  // namespace cuelark
