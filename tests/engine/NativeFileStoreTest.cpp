// The POSIX file store ships nowhere: the native tests run the engine and
// the scheduler on it. What they rely on is checked here: the exact bytes,
// and a stamp that tells a rewritten file, which decides when an image is
// read again. How a store fails and keeps files whole is the Win32 store's
// part, tested under Wine.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include "TempFolder.h"
#include "inicontrol/engine/IniSession.h"

namespace brevoni {
namespace {

using testing::TempFolder;
using testing::WriteBytes;

std::size_t EntriesIn(const std::filesystem::path& folder) {
  return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(folder), {}));
}

class NativeFileStoreTest : public ::testing::Test {
 protected:
  std::unique_ptr<FileStore> store = MakeNativeFileStore();
  TempFolder folder;
  std::filesystem::path file = folder / "cue.ini";
};

TEST_F(NativeFileStoreTest, ReplaceWritesTheExactBytesAndLeavesNoTemporaryFile) {
  WriteBytes(file, "old");
  const std::string bytes("[s]\r\nk=\x00\xFF\r\n", 11);
  store->ReplaceAtomically(file, bytes);
  EXPECT_EQ(store->Load(file).value_or(FileContent{}).bytes, bytes);
  EXPECT_EQ(EntriesIn(folder.path()), 1u);
}

TEST_F(NativeFileStoreTest, AMissingFileHasNothingAndAStampTellsAnotherFileOrWriteAndSettlesOnlyLater) {
  EXPECT_FALSE(store->Load(file).has_value());
  EXPECT_FALSE(store->Load(folder / "no-folder" / "cue.ini").has_value());
  EXPECT_FALSE(store->Stamp(file).has_value());
  WriteBytes(file, "[s]\r\nk=1\r\n");
  const std::optional<FileStamp> read = store->Load(file).value_or(FileContent{}).stamp;
  EXPECT_EQ(store->Stamp(file), read);
  EXPECT_FALSE(read->settled) << "written just now";
  store->ReplaceAtomically(file, "[s]\r\nk=2\r\n");
  EXPECT_NE(store->Stamp(file), read) << "another file of the same size";

  const timespec old[2] = {{0, UTIME_OMIT}, {::time(nullptr) - 10, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), old, 0), 0);
  EXPECT_TRUE(store->Stamp(file).value_or(FileStamp{}).settled);
}

}  // namespace
}  // namespace brevoni
