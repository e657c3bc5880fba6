#include "scheduler/core/InputCheck.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "scheduler/core/DiskInputFiles.h"
#include "tests/core/EnglishWeek.h"
#include "tests/engine/TempFolder.h"

namespace cuelark {
namespace {

using brevoni::testing::TempFolder;
using brevoni::testing::WriteBytes;

TEST(ClassifyCommandTest, PathsPlaylistsAndAddressesByTheirForm) {
  const struct {
    const wchar_t* command;
    CommandKind kind;
  } kCases[] = {
      {L"C:\\Music\\a.mp3", CommandKind::kLocalPath},
      {L"c:/music/a.mp3", CommandKind::kLocalPath},
      {L"\\Music\\a.mp3", CommandKind::kLocalPath},
      {L"/home/radio/a.mp3", CommandKind::kLocalPath},
      {L"D:\\", CommandKind::kLocalPath},
      {L"\\\\?\\C:\\long\\a.mp3", CommandKind::kLocalPath},
      {L"C:\\Music\\list.m3u.mp3", CommandKind::kLocalPath},
      {L"\\\\server\\share\\a.mp3", CommandKind::kNetworkPath},
      {L"//server/share/a.mp3", CommandKind::kNetworkPath},
      {L"\\\\?\\UNC\\server\\share\\a.mp3", CommandKind::kNetworkPath},
      {L"\\\\server\\share\\Folder", CommandKind::kNetworkPath},
      {L"C:\\Lists\\Friday.M3U", CommandKind::kPlaylist},
      {L"C:\\Lists\\friday.m3u8", CommandKind::kPlaylist},
      {L"\\\\server\\lists\\shows.Pls", CommandKind::kPlaylist},
      {L"/lists/night.m3u", CommandKind::kPlaylist},
      {L"http://radio.example/stream", CommandKind::kAddress},
      {L"HTTPS://radio.example/", CommandKind::kAddress},
      {L"http://radio.example/list.m3u", CommandKind::kAddress},
      {L"", CommandKind::kOther},
      {L"a.mp3", CommandKind::kOther},
      {L"lists\\friday.m3u", CommandKind::kOther},
      {L"C:a.mp3", CommandKind::kOther},
      {L"ftp://server/a.mp3", CommandKind::kOther},
      {L"mms://radio.example/live", CommandKind::kOther},
      {L"http:/radio.example", CommandKind::kOther},
      {L"\\\\.\\pipe\\player", CommandKind::kOther},
      {L" C:\\Music\\a.mp3", CommandKind::kOther},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(c.command)));
    EXPECT_EQ(ClassifyCommand(c.command), c.kind);
  }
}

TEST(PlaylistEntriesTest, CommentsAreSkippedAndRelativeEntriesFollowThePlaylist) {
  using Entries = std::vector<std::wstring>;
  const struct {
    const char* what;
    const wchar_t* text;
    PlaylistFormat format;
    const wchar_t* playlist;
    Entries entries;
  } kCases[] = {
      {"m3u", L"\uFEFF#EXTM3U\r\n#EXTINF:123,Artist - Title\r\na.mp3\r\n\r\n  sub\\b.mp3  \r\n..\\c.mp3\n"
              L"\\d.mp3\nE:\\e.mp3\n\\\\srv\\s\\f.mp3\nhttp://radio/x\n# a comment\n",
       PlaylistFormat::kM3u, L"C:\\Lists\\a.m3u",
       Entries{L"C:\\Lists\\a.mp3", L"C:\\Lists\\sub\\b.mp3", L"C:\\Lists\\..\\c.mp3", L"C:\\d.mp3", L"E:\\e.mp3",
               L"\\\\srv\\s\\f.mp3", L"http://radio/x"}},
      {"on a share", L"a.mp3\r\n\\b.mp3\r\n", PlaylistFormat::kM3u8, L"\\\\srv\\share\\lists\\a.m3u8",
       Entries{L"\\\\srv\\share\\lists\\a.mp3", L"\\\\srv\\share\\b.mp3"}},
      {"slashes", L"a.mp3\n/b.mp3\n", PlaylistFormat::kM3u, L"/radio/lists/a.m3u",
       Entries{L"/radio/lists/a.mp3", L"/b.mp3"}},
      {"no last line end", L"#EXTM3U\r\nC:\\a.mp3", PlaylistFormat::kM3u, L"C:\\a.m3u", Entries{L"C:\\a.mp3"}},
      {"only comments", L"#EXTM3U\r\n#EXTINF:1,x\r\n\r\n", PlaylistFormat::kM3u, L"C:\\a.m3u", Entries{}},
      {"pls", L"[playlist]\r\nFile1=a.mp3\r\nTitle1=A\r\nLength1=-1\r\nfile2 = C:\\b.mp3 \r\nFILE10=http://radio/x\r\n"
              L"File=c.mp3\r\nFileX=d.mp3\r\nFile3=\r\nNumberOfEntries=3\r\nVersion=2\r\n",
       PlaylistFormat::kPls, L"D:\\Shows\\a.pls", Entries{L"D:\\Shows\\a.mp3", L"C:\\b.mp3", L"http://radio/x"}},
      {"pls lines are not entries elsewhere", L"File1=a.mp3\r\n", PlaylistFormat::kM3u, L"D:\\a.m3u",
       Entries{L"D:\\File1=a.mp3"}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(PlaylistEntries(c.text, c.format, c.playlist), c.entries);
  }
}

TEST(PlaylistTextTest, Utf8ForM3u8AndAByteOrderMarkOtherwiseTheAnsiCodePage) {
  const AnsiDecoder ansi = [](std::string_view bytes) { return L"ansi:" + std::wstring(bytes.begin(), bytes.end()); };
  EXPECT_EQ(PlaylistText("caf\xC3\xA9.mp3", PlaylistFormat::kM3u8, ansi), L"caf\u00E9.mp3");
  EXPECT_EQ(PlaylistText("\xEF\xBB\xBF" "caf\xC3\xA9.mp3", PlaylistFormat::kM3u, ansi), L"caf\u00E9.mp3");
  EXPECT_EQ(PlaylistText("\xEF\xBB\xBF" "File1=a", PlaylistFormat::kPls, ansi), L"File1=a");
  EXPECT_EQ(PlaylistText("a.mp3", PlaylistFormat::kM3u, ansi), L"ansi:a.mp3");
  EXPECT_EQ(PlaylistText("File1=a", PlaylistFormat::kPls, ansi), L"ansi:File1=a");
}

// Files and folders that exist, playlists with their text; what was asked.
class FakeFiles final : public InputFiles {
 public:
  std::set<std::wstring> existing;
  // A playlist missing here exists but cannot be read.
  std::map<std::wstring, std::wstring> playlists;
  int reads = 0;

  bool Exists(const std::wstring& path) override { return existing.contains(path); }
  std::optional<std::wstring> ReadPlaylist(const std::wstring& path, PlaylistFormat) override {
    ++reads;
    const auto found = playlists.find(path);
    if (found == playlists.end()) return std::nullopt;
    return found->second;
  }
};

class FakeAddresses final : public InputAddresses {
 public:
  std::map<std::wstring, std::wstring> failing;
  std::vector<std::wstring> reached;

  std::optional<std::wstring> Reach(const std::wstring& address) override {
    reached.push_back(address);
    const auto found = failing.find(address);
    if (found == failing.end()) return std::nullopt;
    return found->second;
  }
};

TEST(CheckCommandTest, AMissingPathOrSilentAddressIsReportedInWords) {
  FakeFiles files;
  files.existing = {L"C:\\Music\\a.mp3",  L"C:\\Music",          L"\\\\radio\\share\\b.mp3", L"C:\\Lists\\good.m3u",
                    L"C:\\Lists\\a.mp3",  L"C:\\Lists\\sub\\b.mp3", L"C:\\Lists\\gaps.m3u",  L"C:\\Lists\\locked.m3u",
                    L"C:\\Lists\\empty.pls", L"C:\\Lists\\streams.m3u", L"C:\\Lists\\outer.m3u8"};
  files.playlists = {
      {L"C:\\Lists\\good.m3u", L"#EXTM3U\r\na.mp3\r\nsub\\b.mp3\r\n\\Music\\a.mp3\r\n"},
      {L"C:\\Lists\\gaps.m3u", L"a.mp3\r\nx.mp3\r\ny.mp3\r\nsub\\b.mp3\r\nz.mp3\r\n"},
      {L"C:\\Lists\\empty.pls", L"[playlist]\r\nNumberOfEntries=0\r\n"},
      {L"C:\\Lists\\streams.m3u", L"http://radio/one\r\nmms://radio/two\r\n"},
      {L"C:\\Lists\\outer.m3u8", L"good.m3u\r\n"},
  };
  FakeAddresses addresses;
  addresses.failing = {{L"http://radio/down", L"no answer within 5 s"}};
  const struct {
    const wchar_t* command;
    std::optional<std::wstring> reason;
  } kCases[] = {
      {L"C:\\Music\\a.mp3", std::nullopt},
      {L"C:\\Music", std::nullopt},
      {L"C:\\Music\\gone.mp3", L"not found: C:\\Music\\gone.mp3"},
      {L"\\\\radio\\share\\b.mp3", std::nullopt},
      {L"\\\\radio\\share\\gone.mp3", L"not found or not reachable: \\\\radio\\share\\gone.mp3"},
      {L"C:\\Lists\\good.m3u", std::nullopt},
      {L"C:\\Lists\\gone.m3u", L"not found: C:\\Lists\\gone.m3u"},
      {L"C:\\Lists\\gaps.m3u", L"the playlist C:\\Lists\\gaps.m3u lists a missing file: C:\\Lists\\x.mp3 and 2 more"},
      {L"C:\\Lists\\locked.m3u", L"the playlist cannot be read: C:\\Lists\\locked.m3u"},
      {L"C:\\Lists\\empty.pls", L"the playlist lists nothing to play: C:\\Lists\\empty.pls"},
      {L"C:\\Lists\\streams.m3u", std::nullopt},
      {L"C:\\Lists\\outer.m3u8", std::nullopt},
      {L"http://radio/up", std::nullopt},
      {L"http://radio/down", L"no answer from http://radio/down: no answer within 5 s"},
      {L"relative\\gone.mp3", std::nullopt},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(c.command)));
    EXPECT_EQ(CheckCommand(c.command, files, addresses), c.reason);
  }
  // Only the commands themselves went out: not a playlist's addresses.
  EXPECT_EQ(addresses.reached, (std::vector<std::wstring>{L"http://radio/up", L"http://radio/down"}));
}

TEST(CheckCommandTest, APlaylistInsideIsLookedForButNotOpened) {
  FakeFiles files;
  files.existing = {L"C:\\a.m3u", L"C:\\b.m3u"};
  files.playlists = {{L"C:\\a.m3u", L"b.m3u\r\n"}, {L"C:\\b.m3u", L"a.m3u\r\nmissing.mp3\r\n"}};
  FakeAddresses addresses;
  EXPECT_EQ(CheckCommand(L"C:\\a.m3u", files, addresses), std::nullopt);
  EXPECT_EQ(files.reads, 1);
}

TEST(CheckCommandTest, OnDiskARelativeEntryIsFoundBesideItsPlaylist) {
  TempFolder folder;
  std::filesystem::create_directory(folder / "sub");
  WriteBytes(folder / "a.mp3", "ID3");
  WriteBytes(folder / "sub" / "b.mp3", "ID3");
  WriteBytes(folder / "list.m3u8", "\xEF\xBB\xBF#EXTM3U\r\na.mp3\r\nsub/b.mp3\r\nsub\r\n");
  DiskInputFiles files([](std::string_view bytes) { return std::wstring(bytes.begin(), bytes.end()); });
  FakeAddresses addresses;
  const std::wstring list = (folder / "list.m3u8").wstring();
  EXPECT_EQ(CheckCommand(list, files, addresses), std::nullopt);
  EXPECT_EQ(CheckCommand((folder / "sub").wstring(), files, addresses), std::nullopt);

  std::filesystem::remove(folder / "sub" / "b.mp3");
  EXPECT_EQ(CheckCommand(list, files, addresses),
            L"the playlist " + list + L" lists a missing file: " + (folder / "sub/b.mp3").wstring());
  std::filesystem::remove(folder / "list.m3u8");
  EXPECT_EQ(CheckCommand(list, files, addresses), L"not found: " + list);
}

TEST(DueForCheckAheadTest, EachTickedEntryOnceFiveMinutesAhead) {
  using test::Entry;
  const std::vector<SavedCommand> entries = {
      Entry(1, L"EVERY DAY", L"12:00:00"), Entry(2, L"EVERY DAY", L"12:03:00", false),
      Entry(3, L"2026-12-09", L"12:04:59"), Entry(4, L"EVERY DAY", L"00:02:00")};
  const auto at = [](int day, int hour, int minute, int second) {
    return LocalDateTime{{2026, 12, day}, {hour, minute, second}};
  };
  using Seconds = std::vector<std::pair<EntryId, LocalDateTime>>;
  const struct {
    const char* what;
    std::optional<LocalDateTime> lastLooked;
    LocalDateTime now;
    Seconds due;
  } kCases[] = {
      {"first look takes what is due soon", std::nullopt, at(9, 11, 59, 59),
       Seconds{{1, at(9, 12, 0, 0)}, {3, at(9, 12, 4, 59)}}},
      {"first look, nothing soon", std::nullopt, at(9, 11, 54, 59), Seconds{}},
      {"first look, due now", std::nullopt, at(9, 12, 0, 0), Seconds{{3, at(9, 12, 4, 59)}}},
      {"on the second", at(9, 11, 54, 59), at(9, 11, 55, 0), Seconds{{1, at(9, 12, 0, 0)}}},
      {"the second after", at(9, 11, 55, 0), at(9, 11, 55, 1), Seconds{}},
      {"a late tick", at(9, 11, 54, 58), at(9, 11, 55, 3), Seconds{{1, at(9, 12, 0, 0)}}},
      {"a long wait", at(9, 11, 55, 0), at(9, 11, 59, 59), Seconds{{3, at(9, 12, 4, 59)}}},
      {"over midnight", at(9, 23, 56, 59), at(9, 23, 57, 0), Seconds{{4, at(10, 0, 2, 0)}}},
      {"a dated entry once", at(10, 11, 59, 58), at(10, 11, 59, 59), Seconds{}},
      {"the clock set back", at(9, 12, 10, 0), at(9, 11, 58, 0), Seconds{}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.what);
    Seconds due;
    for (const Firing& firing : DueForCheckAhead(entries, c.lastLooked, c.now))
      due.emplace_back(firing.id, firing.second);
    EXPECT_EQ(due, c.due);
  }
}

}  // namespace
}  // namespace cuelark
