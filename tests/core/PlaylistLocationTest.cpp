#include "scheduler/core/PlaylistLocation.h"

#include <gtest/gtest.h>

#include <map>

#include "tests/core/EngineIniStore.h"
#include "tests/core/WatchedFileStore.h"
#include "tests/engine/TempFolder.h"

namespace cuelark {
namespace {

using brevoni::testing::TempFolder;
using brevoni::testing::WriteBytes;

class PlaylistLocationTest : public testing::Test {
 protected:
  // A name in a folder, with the separator the folder's own path uses (the
  // temporary folder's differs between the native and the Windows build).
  static std::wstring In(const std::wstring& folder, const std::wstring& name) {
    return folder + (folder.find(L'\\') == std::wstring::npos ? L"/" : L"\\") + name;
  }
  std::wstring Program() const { return folder.path().wstring(); }
  std::wstring Exe() const { return Program() + L"/winamp.exe"; }
  std::wstring Resume(const std::optional<PlaylistFolder>& fromPlayer = std::nullopt) {
    return PlaylistFileToResume(fromPlayer, iniStore, Exe(), kSetting, lookups);
  }

  static constexpr wchar_t kSetting[] = L"C:\\Player\\winamp.m3u";
  TempFolder folder;
  WatchedFileStore files;
  EngineIniStore iniStore{files};
  std::map<std::wstring, std::wstring, std::less<>> environment{{L"APPDATA", L"/users/ann/AppData"},
                                                                {L"EMPTY", L""}};
  std::map<int, std::wstring> shellFolders{{26, L"/users/ann/Roaming"}};
  std::map<std::wstring, bool> existing;
  PlaylistLookups lookups{
      [this](std::wstring_view name) -> std::optional<std::wstring> {
        const auto found = environment.find(name);
        return found == environment.end() ? std::nullopt : std::optional(found->second);
      },
      [this](int number) -> std::optional<std::wstring> {
        const auto found = shellFolders.find(number);
        return found == shellFolders.end() ? std::nullopt : std::optional(found->second);
      },
      [this](const std::wstring& path) { return existing.contains(path); }};
};

TEST_F(PlaylistLocationTest, PathsIniNamesTheFolderWithItsVariablesAndNumbers) {
  struct Case {
    const char* pathsIni;
    std::wstring folder;  // "" for none: the "Playlist" setting is used
  };
  const std::wstring program = Program();
  const Case cases[] = {
      {"[Winamp]\r\ninidir=%APPDATA%/Winamp\r\n", L"/users/ann/AppData/Winamp"},
      {"[Winamp]\r\ninidir={26}/Winamp\r\n", L"/users/ann/Roaming/Winamp"},
      {"[Winamp]\r\ninidir=/settings\r\nm3udir=/lists\r\n", L"/lists"},
      {"[Winamp]\r\nm3udir=  /lists  \r\n", L"/lists"},
      // A relative folder is taken from the program's.
      {"[Winamp]\r\ninidir=Profile\r\n", In(program, L"Profile")},
      // An unset variable or folder number would name some other folder.
      {"[Winamp]\r\nm3udir=%UNSET%/lists\r\ninidir=/settings\r\n", L"/settings"},
      {"[Winamp]\r\ninidir={99}/Winamp\r\n", L""},
      {"[Winamp]\r\ninidir={99999999999}/Winamp\r\n", L""},
      // Braces around a name and a doubled percent are plain text.
      {"[Winamp]\r\ninidir=/a{b}/100%%\r\n", L"/a{b}/100%"},
      {"[Winamp]\r\ninidir=%EMPTY%\r\n", L""},
      {"[Winamp]\r\nm3udir=\r\ninidir=[none]\r\n", L""},
      {"[Other]\r\ninidir=/settings\r\n", L""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pathsIni);
    WriteBytes(folder / "paths.ini", c.pathsIni);
    EXPECT_EQ(PathsIniPlaylistFolder(iniStore, Exe(), lookups).value_or(L""), c.folder);
    EXPECT_EQ(Resume(), c.folder.empty() ? kSetting : In(c.folder, L"winamp.m3u"));
  }
}

TEST_F(PlaylistLocationTest, WithoutPathsIniOrExeTheSettingIsTheFile) {
  EXPECT_EQ(Resume(), kSetting);
  WriteBytes(folder / "paths.ini", "[Winamp]\r\ninidir=/settings\r\n");
  EXPECT_EQ(PlaylistFileToResume(std::nullopt, iniStore, L"", kSetting, lookups), kSetting);
  EXPECT_EQ(PlaylistFileToResume(std::nullopt, iniStore, L"", L"", lookups), L"");
}

TEST_F(PlaylistLocationTest, ThePlayersOwnAnswerComesFirstAndTellsWhichFile) {
  WriteBytes(folder / "paths.ini", "[Winamp]\r\ninidir=/settings\r\n");
  EXPECT_EQ(Resume(PlaylistFolder{L"C:\\Users\\Ann\\Winamp", true}), L"C:\\Users\\Ann\\Winamp\\winamp.m3u8");
  EXPECT_EQ(Resume(PlaylistFolder{L"C:\\Users\\Ann\\Winamp\\", false}), L"C:\\Users\\Ann\\Winamp\\winamp.m3u");
  // An empty answer is no answer.
  EXPECT_EQ(Resume(PlaylistFolder{L"", true}), L"/settings/winamp.m3u");
  // Through paths.ini the UTF-8 list is taken where one was written.
  existing[L"/settings/winamp.m3u8"] = true;
  EXPECT_EQ(Resume(), L"/settings/winamp.m3u8");
}

}  // namespace
}  // namespace cuelark
