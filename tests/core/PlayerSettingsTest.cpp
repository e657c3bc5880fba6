#include "scheduler/core/PlayerSettings.h"

#include <gtest/gtest.h>

#include "tests/core/EngineIniStore.h"
#include "tests/core/WatchedFileStore.h"
#include "tests/engine/TempFolder.h"

namespace cuelark {
namespace {

using brevoni::testing::ReadBytes;
using brevoni::testing::TempFolder;
using brevoni::testing::WriteBytes;

class PlayerSettingsTest : public testing::Test {
 protected:
  TempFolder folder;
  std::filesystem::path file = folder / "winamp.ini";
  WatchedFileStore files;
  EngineIniStore iniStore{files};
  PlayerSettings settings{iniStore, file.wstring()};
};

TEST_F(PlayerSettingsTest, AValueTheFileDoesNotHoldReadsAsEmpty) {
  EXPECT_EQ(settings.ReadExe(), L"");
  EXPECT_EQ(settings.ReadPlaylist(), L"");
  for (const char* value : {"[ Not Found ]", "[anything", ""}) {
    SCOPED_TRACE(value);
    WriteBytes(file, std::string("[Winamp]\r\nExe=") + value + "\r\nPlaylist=" + value + "\r\n");
    EXPECT_EQ(settings.ReadExe(), L"");
    EXPECT_EQ(settings.ReadPlaylist(), L"");
  }
}

TEST_F(PlayerSettingsTest, BothValuesAreWrittenTogetherBesideWhatTheFileHolds) {
  WriteBytes(file, "[Winamp]\r\nOther=1\r\nExe=C:\\old.exe\r\n");
  ASSERT_TRUE(settings.Write(L"C:\\Player\\winamp.exe", L"C:\\Player\\winamp.m3u").ok);
  EXPECT_EQ(ReadBytes(file),
            "[Winamp]\r\nOther=1\r\nExe=C:\\Player\\winamp.exe\r\nPlaylist=C:\\Player\\winamp.m3u\r\n");
  EXPECT_EQ(settings.ReadExe(), L"C:\\Player\\winamp.exe");
  EXPECT_EQ(settings.ReadPlaylist(), L"C:\\Player\\winamp.m3u");
}

TEST_F(PlayerSettingsTest, AFailedWriteSaysWhyAndLeavesTheFile) {
  WriteBytes(file, "[Winamp]\r\nExe=C:\\old.exe\r\n");
  files.failReplace = true;
  const StoreResult result = settings.Write(L"C:\\new.exe", L"C:\\new.m3u");
  EXPECT_FALSE(result.ok);
  EXPECT_NE(result.reason.find(L"no space left"), std::wstring::npos);
  EXPECT_EQ(ReadBytes(file), "[Winamp]\r\nExe=C:\\old.exe\r\n");
}

}  // namespace
}  // namespace cuelark
