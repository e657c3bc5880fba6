#include "scheduler/core/Options.h"

#include <gtest/gtest.h>

#include "scheduler/core/Store.h"
#include "tests/core/EngineIniStore.h"
#include "tests/core/EnglishWeek.h"
#include "tests/core/StoreText.h"
#include "tests/core/WatchedFileStore.h"
#include "tests/engine/TempFolder.h"

namespace cuelark {
namespace {

using brevoni::testing::ReadBytes;
using brevoni::testing::TempFolder;
using brevoni::testing::WriteBytes;

class OptionsTest : public testing::Test {
 protected:
  TempFolder folder;
  std::filesystem::path file = folder / "cue.ini";
  WatchedFileStore files;
  EngineIniStore iniStore{files};
  OptionsStore options{iniStore, file.wstring()};
};

TEST_F(OptionsTest, OnlyAOneTurnsAChoiceOnAndAnAbsentFallbackIsNone) {
  const struct {
    const char* what;
    std::string text;
    Options expected;
  } kCases[] = {
      {"no file", "", {}},
      {"no section", test::StoreText(test::EntryText(1, "a", "b", "EVERY DAY", "07:00:00"), 1), {}},
      {"all on", "[Options]\r\nStartAtLogOn=1\r\nWakeForFirings=1\r\nCheckAhead=1\r\nFallback=C:\\Music\\safe.mp3\r\n",
       {true, true, true, L"C:\\Music\\safe.mp3"}},
      {"one of three", "[Options]\r\nWakeForFirings=1\r\n", {false, true, false, L""}},
      {"junk", "[Options]\r\nStartAtLogOn=True\r\nWakeForFirings=-1\r\nCheckAhead=01\r\nFallback=\r\n", {}},
      {"other case", "[options]\r\nstartatlogon=1\r\nFALLBACK=x.mp3\r\n", {true, false, false, L"x.mp3"}},
      {"blanks", "[Options]\r\nCheckAhead= 1 \r\nFallback=  \\\\radio\\share\\a.mp3  \r\n",
       {false, false, true, L"\\\\radio\\share\\a.mp3"}},
      {"placeholder", "[Options]\r\nFallback=[ Not Found ]\r\n", {}},
      {"bracketed", "[Options]\r\nFallback=[none]\r\n", {}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.what);
    if (c.text.empty()) {
      std::filesystem::remove(file);
    } else {
      WriteBytes(file, c.text);
    }
    EXPECT_EQ(options.Read(), c.expected);
  }
}

TEST_F(OptionsTest, WhatIsWrittenReadsBackBesideTheRestOfTheFile) {
  WriteBytes(file, "[Position]\r\nLeft=10\r\nTop=20\r\n");
  const Options kWritten[] = {
      {true, false, true, L"C:\\Music\\safe.mp3"},
      {false, true, false, L""},
      {false, false, false, L"\"C:\\quoted name.mp3\""},
      {true, true, true, L" edge blanks "},
  };
  for (const Options& written : kWritten) {
    SCOPED_TRACE(testing::PrintToString(written.fallback));
    ASSERT_TRUE(options.Write(written).ok);
    EXPECT_EQ(options.Read(), written);
  }
  EXPECT_EQ(ReadBytes(file),
            "[Position]\r\nLeft=10\r\nTop=20\r\n[Options]\r\nStartAtLogOn=1\r\nWakeForFirings=1\r\nCheckAhead=1\r\n"
            "Fallback=\" edge blanks \"\r\n");
}

TEST_F(OptionsTest, TheSavedCommandsRewriteKeepsTheOptions) {
  const Options kChosen{true, true, false, L"C:\\Music\\safe.mp3"};
  SavedCommandStore store{iniStore, file.wstring(), test::kMondayFirst};
  SavedCommand entry = test::Entry(0, L"EVERY DAY", L"07:30:00");
  entry.command = L"C:\\Music\\wake.mp3";
  ASSERT_TRUE(store.WriteSavedCommands({entry, entry}).ok);
  ASSERT_TRUE(options.Write(kChosen).ok);
  ASSERT_TRUE(store.WriteSavedCommands({entry}).ok);
  ASSERT_TRUE(store.WritePosition({300, 400}).ok);
  ASSERT_TRUE(store.WriteSavedCommands({}).ok);
  EXPECT_EQ(options.Read(), kChosen);
  EXPECT_EQ(ReadBytes(file),
            "[Options]\r\nStartAtLogOn=1\r\nWakeForFirings=1\r\nCheckAhead=0\r\nFallback=C:\\Music\\safe.mp3\r\n"
            "[Position]\r\nLeft=300\r\nTop=400\r\n");
}

}  // namespace
}  // namespace cuelark
