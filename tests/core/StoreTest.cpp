#include "scheduler/core/Store.h"

#include <gtest/gtest.h>

#include <memory>
#include <ostream>

#include "tests/core/EngineIniStore.h"
#include "tests/core/EnglishWeek.h"
#include "tests/core/StoreText.h"
#include "tests/core/WatchedFileStore.h"
#include "tests/engine/TempFolder.h"

namespace cuelark {

void PrintTo(const SavedCommand& entry, std::ostream* out) {
  *out << testing::PrintToString(entry.name) << " " << testing::PrintToString(entry.command) << " "
       << testing::PrintToString(entry.startDate) << " " << testing::PrintToString(entry.startTime)
       << (entry.isChecked ? " checked" : " unchecked") << (entry.remWhenDone ? " remove" : " keep");
}

namespace {

using brevoni::testing::ReadBytes;
using brevoni::testing::TempFolder;
using brevoni::testing::WriteBytes;

// Its rule as the English week reads it.
SavedCommand Entry(std::wstring name, std::wstring command, std::wstring startDate, std::wstring startTime,
                   bool isChecked = true, bool remWhenDone = false) {
  ScheduleRule rule = ScheduleRule::Read(startDate, startTime, test::kMondayFirst);
  return {0,           std::move(name), std::move(command), std::move(startDate), std::move(startTime),
          isChecked,   remWhenDone,     rule};
}

const SavedCommand kMorning = Entry(L"Morning", L"C:\\Music\\wake.mp3", L"EVERY DAY", L"07:30:00", true, false);
const SavedCommand kNews = Entry(L"News", L"http://radio/news", L"2026-12-09", L"12:00:00", true, true);
const SavedCommand kWeekly = Entry(L"Weekly", L"C:\\Lists\\fri.m3u", L"FRIDAY", L"18:00:00", false, false);

const std::string kMorningLines = test::EntryText(1, "Morning", "C:\\Music\\wake.mp3", "EVERY DAY", "07:30:00");
const std::string kNewsLines2 = test::EntryText(2, "News", "http://radio/news", "2026-12-09", "12:00:00", true, true);
const std::string kWeeklyLines2 = test::EntryText(2, "Weekly", "C:\\Lists\\fri.m3u", "FRIDAY", "18:00:00", false);

class StoreTest : public testing::Test {
 protected:
  TempFolder folder;
  std::filesystem::path file = folder / "cue.ini";
  WatchedFileStore files;
  EngineIniStore iniStore{files};
  SavedCommandStore store{iniStore, file.wstring(), test::kMondayFirst};
};

TEST_F(StoreTest, TheFirstSaveCreatesTheFileWithEntriesThenTheCountAndASecondRaisesIt) {
  ASSERT_TRUE(store.WriteSavedCommands({kMorning}).ok);
  EXPECT_EQ(ReadBytes(file), test::StoreText(kMorningLines, 1));
  ASSERT_TRUE(store.WriteSavedCommands({kMorning, kNews}).ok);
  EXPECT_EQ(ReadBytes(file), test::StoreText(kMorningLines + kNewsLines2, 2));
  EXPECT_EQ(store.LoadSavedCommands().entries, (std::vector<SavedCommand>{kMorning, kNews}));
}

TEST_F(StoreTest, ARemovalRenumbersTheEntriesBehindAndKeepsTheWindowPosition) {
  ASSERT_TRUE(store.WriteSavedCommands({kMorning, kNews, kWeekly}).ok);
  ASSERT_TRUE(store.WritePosition({1200, -45}).ok);
  ASSERT_TRUE(store.WriteSavedCommands({kMorning, kWeekly}).ok);
  EXPECT_EQ(ReadBytes(file), "[Saved Commands]\r\n" + kMorningLines + kWeeklyLines2 +
                                 "[Total Count]\r\ncount=2\r\n[Position]\r\nLeft=1200\r\nTop=-45\r\n");
}

TEST_F(StoreTest, RemovingTheLastEntryLeavesOnlyThePosition) {
  ASSERT_TRUE(store.WriteSavedCommands({kMorning}).ok);
  ASSERT_TRUE(store.WriteSavedCommands({}).ok);
  EXPECT_EQ(ReadBytes(file), "");
  EXPECT_TRUE(store.LoadSavedCommands().entries.empty());

  ASSERT_TRUE(store.WriteSavedCommands({kMorning}).ok);
  ASSERT_TRUE(store.WritePosition({300, 400}).ok);
  ASSERT_TRUE(store.WriteSavedCommands({}).ok);
  EXPECT_EQ(ReadBytes(file), "[Position]\r\nLeft=300\r\nTop=400\r\n");
}

TEST_F(StoreTest, OtherSectionsAndAPositionWithoutTopSurviveARewrite) {
  WriteBytes(file, "[Position]\nLeft=15\n[Other]\nkey=value\n[Saved Commands]\nname9=stale\n");
  ASSERT_TRUE(store.WriteSavedCommands({kMorning}).ok);
  EXPECT_EQ(ReadBytes(file), "[Other]\r\nkey=value\r\n[Saved Commands]\r\n" + kMorningLines +
                                 "[Total Count]\r\ncount=1\r\n[Position]\r\nLeft=15\r\n");
}

TEST_F(StoreTest, EachOperationReadsTheFileOnceAndWritesItAtMostOnce) {
  ASSERT_TRUE(store.WriteSavedCommands({kMorning, kNews, kWeekly}).ok);
  EXPECT_EQ(files.loads, 1);
  EXPECT_EQ(files.replaces, 1);
  const std::string written = ReadBytes(file);
  EXPECT_EQ(store.LoadSavedCommands().entries.size(), 3u);
  EXPECT_TRUE(store.ReadPosition() == std::nullopt);
  EXPECT_EQ(files.loads, 3);
  EXPECT_EQ(files.replaces, 1);
  EXPECT_EQ(ReadBytes(file), written);
}

TEST_F(StoreTest, AFailedWriteReportsWhyAndLeavesTheFileAsItWas) {
  ASSERT_TRUE(store.WriteSavedCommands({kMorning}).ok);
  const std::string before = ReadBytes(file);
  files.failReplace = true;
  const StoreResult result = store.WriteSavedCommands({kMorning, kNews});
  EXPECT_FALSE(result.ok);
  EXPECT_NE(result.reason.find(L"no space left"), std::wstring::npos);
  EXPECT_EQ(ReadBytes(file), before);
  EXPECT_FALSE(store.WritePosition({1, 2}).ok);
  files.failReplace = false;
  EXPECT_TRUE(store.WritePosition({1, 2}).ok);  // the control is not left mid-update
}

TEST_F(StoreTest, TheWindowPositionIsReadOnlyWhenLeftIsPresent) {
  struct Case {
    std::string bytes;
    std::optional<TwipsPosition> position;
  };
  const Case kCases[] = {
      {"", std::nullopt},
      {"[Position]\r\nTop=900\r\n", std::nullopt},
      {"[Position]\r\nLeft=[x]\r\nTop=900\r\n", std::nullopt},
      {"[Position]\r\nLeft=1200\r\n", TwipsPosition{1200, 0}},
      {"[Position]\r\nLeft=abc\r\nTop=12.5\r\n", std::nullopt},
      {"[Position]\r\nLeft=-30\r\nTop=12.5\r\n", TwipsPosition{-30, 12}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.bytes);
    WriteBytes(file, c.bytes);
    EXPECT_EQ(store.ReadPosition(), c.position);
  }
}

TEST_F(StoreTest, TextsComeBackAsTheyWereWritten) {
  const std::vector<SavedCommand> entries = {
      Entry(L"Caf\u00e9 \u00bd [live]", L"D:\\M\u00fcsik\\" + std::wstring(5000, L'x') + L".mp3", L"MERCREDI",
            L"23:59:59", false, true),
      Entry(L"[bracketed]", L"a=b=c ; not a comment", L"2099-12-31", L"00:00:00", true, false),
      // Texts that the reader's trimming and unquoting would change.
      Entry(L"  Player  ", L"\"C:\\Program Files\\Player\\play.exe\"", L"EVERY DAY", L"01:00:00"),
      Entry(L"'single'", L"\"\"", L"\tTAB\t", L"02:00:00"),
      Entry(L"\"", L"\"half", L"x\x1a", L"03:00:00"),
  };
  ASSERT_TRUE(store.WriteSavedCommands(entries).ok);
  EXPECT_EQ(store.LoadSavedCommands().entries, entries);
  EXPECT_NE(ReadBytes(file).find("command3=\"\"C:\\Program Files\\Player\\play.exe\"\"\r\n"), std::string::npos);
  EXPECT_NE(ReadBytes(file).find("command5=\"half\r\n"), std::string::npos) << "only texts that need it are quoted";
}

// Entry n of a hand-made file, every key present.
std::string Keys(int n, const std::string& isChecked = "True", const std::string& remWhenDone = "0") {
  const std::string k = std::to_string(n);
  return "name" + k + "=N" + k + "\r\ncommand" + k + "=C" + k + "\r\nstartDate" + k + "=EVERY DAY\r\nstartTime" +
         k + "=0" + k + ":00:00\r\nisChecked" + k + "=" + isChecked + "\r\nremWhenDone" + k + "=" + remWhenDone +
         "\r\n";
}

SavedCommand Loaded(int n, bool isChecked = true, bool remWhenDone = false) {
  const std::wstring k = std::to_wstring(n);
  return Entry(L"N" + k, L"C" + k, L"EVERY DAY", L"0" + k + L":00:00", isChecked, remWhenDone);
}

// A key that is missing reads as empty text, so that it is written back
// empty; a number without any key inside the count keeps its place.
const SavedCommand kMissingEntry = Entry(L"", L"", L"", L"", false, false);

struct MalformedCase {
  const char* what;
  std::string bytes;
  std::vector<SavedCommand> loaded;
};

TEST_F(StoreTest, MalformedFilesLoadWhatIsReadable) {
  const std::string s = "[Saved Commands]\r\n";
  const std::vector<MalformedCase> kCases = {
      {"count beyond the entries", s + Keys(1) + Keys(2) + "[Total Count]\r\ncount=500\r\n", {Loaded(1), Loaded(2)}},
      {"count empty", s + Keys(1) + "[Total Count]\r\ncount=\r\n", {Loaded(1)}},
      {"gap inside the count", s + Keys(1) + Keys(3) + "[Total Count]\r\ncount=3\r\n",
       {Loaded(1), kMissingEntry, Loaded(3)}},
      {"entry with only a flag", s + Keys(1) + "isChecked2=True\r\n[Total Count]\r\ncount=2\r\n",
       {Loaded(1), Entry(L"", L"", L"", L"", true, false)}},
      {"missing command", s + "name1=N1\r\nstartDate1=EVERY DAY\r\nstartTime1=01:00:00\r\n[Total Count]\r\ncount=1\r\n",
       {Entry(L"N1", L"", L"EVERY DAY", L"01:00:00", false, false)}},
      {"odd bytes", s + "name1=\x01\xff\tx\r\ncommand1=\xe9\r\n[Total Count]\r\ncount=1\r\n",
       {Entry(L"\u0001\u00ff\tx", L"\u00e9", L"", L"", false, false)}},
      {"quoted texts", s + "name1=\"N\"\r\ncommand1=' C '\r\nstartDate1=\"\"\r\n[Total Count]\r\ncount=1\r\n",
       {Entry(L"N", L" C ", L"", L"", false, false)}},
      {"a bracketed text written by hand", s + "name1=[draft]\r\ncommand1=C1\r\n[Total Count]\r\ncount=1\r\n",
       {Entry(L"[draft]", L"C1", L"", L"", false, false)}},
  };
  for (const MalformedCase& c : kCases) {
    SCOPED_TRACE(c.what);
    WriteBytes(file, c.bytes);
    EXPECT_EQ(store.LoadSavedCommands().entries, c.loaded);
  }
}

// The loader is never the reason an entry leaves the file: entries the count
// leaves out are loaded after the counted ones, and the next write keeps them.
TEST_F(StoreTest, EntriesTheCountLeavesOutAreLoadedAndWrittenBack) {
  const std::string s = "[Saved Commands]\r\n";
  const std::vector<MalformedCase> kCases = {
      {"no count", s + Keys(1) + Keys(2), {Loaded(1), Loaded(2)}},
      {"count in brackets", s + Keys(1) + "[Total Count]\r\ncount=[1]\r\n", {Loaded(1)}},
      {"count zero", s + Keys(1) + "[Total Count]\r\ncount=0\r\n", {Loaded(1)}},
      {"count negative", s + Keys(1) + "[Total Count]\r\ncount=-2\r\n", {Loaded(1)}},
      {"count below the entries", s + Keys(1) + Keys(2) + Keys(3) + "[Total Count]\r\ncount=2\r\n",
       {Loaded(1), Loaded(2), Loaded(3)}},
      {"count below the entries, with a gap past it",
       s + Keys(1) + Keys(2) + Keys(5) + Keys(60) + "[Total Count]\r\ncount=1\r\n",
       {Loaded(1), Loaded(2), Loaded(5), Loaded(60)}},
      {"count not a number", s + Keys(1) + Keys(2) + Keys(4) + "[Total Count]\r\ncount=two\r\n",
       {Loaded(1), Loaded(2), Loaded(4)}},
  };
  for (const MalformedCase& c : kCases) {
    SCOPED_TRACE(c.what);
    WriteBytes(file, c.bytes);
    const std::vector<SavedCommand> loaded = store.LoadSavedCommands().entries;
    EXPECT_EQ(loaded, c.loaded);
    ASSERT_TRUE(store.WriteSavedCommands(loaded).ok);
    EXPECT_EQ(store.LoadSavedCommands().entries, c.loaded);
  }
}

TEST_F(StoreTest, AMissingKeyIsWrittenBackEmpty) {
  WriteBytes(file, "[Saved Commands]\r\nname1=N1\r\nstartDate1=EVERY DAY\r\n[Total Count]\r\ncount=1\r\n");
  ASSERT_TRUE(store.WriteSavedCommands(store.LoadSavedCommands().entries).ok);
  const std::string bytes = ReadBytes(file);
  EXPECT_NE(bytes.find("command1=\r\n"), std::string::npos) << bytes;
  EXPECT_NE(bytes.find("startTime1=\r\n"), std::string::npos) << bytes;
  EXPECT_EQ(bytes.find("Not Found"), std::string::npos) << bytes;
}

TEST_F(StoreTest, AHugeCountLoadsAtMost32767Entries) {
  WriteBytes(file, "[Saved Commands]\r\n" + Keys(1) + Keys(3) + Keys(32767) + Keys(32768) +
                       "[Total Count]\r\ncount=123456789012345678901234567890\r\n");
  const std::vector<SavedCommand> loaded = store.LoadSavedCommands().entries;
  ASSERT_EQ(loaded.size(), 32767u);
  EXPECT_EQ(loaded[1], kMissingEntry);
  EXPECT_EQ(loaded[2], Loaded(3));
  EXPECT_EQ(loaded.back(), Loaded(32767));
}

TEST_F(StoreTest, FlagsReadInAnyCaseOrAsNumbers) {
  struct Case {
    std::string isChecked;
    std::string remWhenDone;
    bool checked;
    bool remove;
  };
  const Case kCases[] = {
      {"True", "1", true, true},    {"False", "0", false, false}, {"true", "01", true, true},
      {"FALSE", "2", false, false}, {"1", "-1", true, false},     {"-1", "yes", true, false},
      {"0", "", false, false},      {"yes", "1.0", false, false}, {"", "[x]", false, false},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.isChecked + " / " + c.remWhenDone);
    WriteBytes(file, "[Saved Commands]\r\n" + Keys(1, c.isChecked, c.remWhenDone) + "[Total Count]\r\ncount=1\r\n");
    EXPECT_EQ(store.LoadSavedCommands().entries, std::vector<SavedCommand>{Loaded(1, c.checked, c.remove)});
  }
}

}  // namespace
}  // namespace cuelark
