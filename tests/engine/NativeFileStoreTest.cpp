#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "TempFolder.h"
#include "inicontrol/engine/IniSession.h"

namespace brevoni {
namespace {

using testing::ReadBytes;
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

TEST_F(NativeFileStoreTest, ReplaceKeepsThePermissionsOfTheOldFile) {
  WriteBytes(file, "old");
  std::filesystem::permissions(file, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                                         std::filesystem::perms::group_read);
  store->ReplaceAtomically(file, "new");
  struct stat info {};
  ASSERT_EQ(::stat(file.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
}

TEST_F(NativeFileStoreTest, ReplaceIntoAMissingFolderFailsWithTheReason) {
  try {
    store->ReplaceAtomically(folder / "no-folder" / "cue.ini", "x");
    FAIL() << "no error";
  } catch (const IniError& e) {
    EXPECT_NE(std::string(e.what()).find("cue.ini"), std::string::npos) << e.what();
    EXPECT_NE(std::string(e.what()).find("No such file"), std::string::npos) << e.what();
  }
}

TEST_F(NativeFileStoreTest, AFolderUnderTheNameFailsToLoadOrBeReplacedAndStaysWithNoTemporaryFile) {
  std::filesystem::create_directory(file);
  WriteBytes(file / "inside", "kept");
  EXPECT_THROW(store->Load(file), IniError);
  EXPECT_THROW(store->ReplaceAtomically(file, "x"), IniError);
  EXPECT_EQ(ReadBytes(file / "inside"), "kept");
  EXPECT_EQ(EntriesIn(folder.path()), 1u);
}

// A full disk in the middle of writing: the old file must survive whole.
// Running as root ignores permission bits, so the child process limits the
// size of files it may write instead.
TEST_F(NativeFileStoreTest, AWriteCutShortLeavesTheOldFileWhole) {
  const std::string oldBytes = "[s]\r\nk=old\r\n";
  WriteBytes(file, oldBytes);
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{4096, 4096};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    try {
      MakeNativeFileStore()->ReplaceAtomically(file, std::string(100000, 'x'));
      ::_exit(1);
    } catch (const IniError& e) {
      ::_exit(std::string(e.what()).find("too large") != std::string::npos ? 0 : 2);
    }
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(ReadBytes(file), oldBytes);
  EXPECT_EQ(EntriesIn(folder.path()), 1u);
}

}  // namespace
}  // namespace brevoni
