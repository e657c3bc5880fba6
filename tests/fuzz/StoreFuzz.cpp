// Any bytes as "cue.ini": the schedule loaded from it, saved and loaded
// again must be the same entries and window position, and a second save must
// write the same bytes as the first.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "scheduler/core/Store.h"
#include "tests/core/EngineIniStore.h"
#include "tests/core/EnglishWeek.h"
#include "tests/fuzz/FuzzCheck.h"

namespace {

using cuelark::fuzz::Require;

constexpr wchar_t kFile[] = L"cue.ini";

// The one file, in memory: the fuzzer must not wait for a disk.
class MemoryFile final : public brevoni::FileStore {
 public:
  std::optional<brevoni::FileContent> Load(const std::filesystem::path& file) override {
    if (!bytes) return std::nullopt;
    return brevoni::FileContent{*bytes, *Stamp(file)};
  }
  // Every replace is a new version, so a kept image is never taken for it.
  std::optional<brevoni::FileStamp> Stamp(const std::filesystem::path&) override {
    if (!bytes) return std::nullopt;
    brevoni::FileStamp stamp;
    stamp.size = bytes->size();
    stamp.lastWrite = version_;
    stamp.settled = true;
    return stamp;
  }
  void ReplaceAtomically(const std::filesystem::path&, std::string_view written) override {
    bytes = std::string(written);
    ++version_;
  }
  std::optional<std::string> bytes;

 private:
  std::int64_t version_ = 0;
};


}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  MemoryFile file;
  file.bytes = std::string(reinterpret_cast<const char*>(data), size);
  cuelark::EngineIniStore iniStore(file);
  cuelark::SavedCommandStore store(iniStore, kFile, cuelark::test::kMondayFirst);

  const auto loaded = store.LoadSavedCommands().entries;
  const auto position = store.ReadPosition();
  Require(store.WriteSavedCommands(loaded).ok, "a save failed");
  Require(store.LoadSavedCommands().entries == loaded, "the saved entries load differently");
  Require(store.ReadPosition() == position, "the window position changed in a save");
  const std::optional<std::string> once = file.bytes;
  Require(store.WriteSavedCommands(store.LoadSavedCommands().entries).ok, "a second save failed");
  Require(file.bytes == once, "a second save wrote other bytes");
  return 0;
}
