// Running unattended through the real program: the options from its menu,
// an input checked ahead and at its due second, the fallback in its place.
#include <gtest/gtest.h>

#include "tests/win/RunValue.h"
#include "tests/win/ui/CuelarkRun.h"
#include "tools/player/StandInControl.h"

namespace cuelark::test {
namespace {

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

class UnattendedTest : public ::testing::Test {
 protected:
  HWND OpenOptions() {
    SendMenuCommand(run.Main(), ids::kOptionsCommand);
    return run.app().Window(ids::kOptionsDialogClass);
  }
  // The prefix's registry outlives the test.
  ~UnattendedTest() override { RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, L"Cuelark"); }

  CuelarkRun run;
};

TEST_F(UnattendedTest, TheOptionsFromTheMenuAreSavedInTheStoreAndTheStartAtLogOnInTheRunKey) {
  run.Start();
  HWND dialog = OpenOptions();
  SetChecked(FindControl(dialog, ids::kStartAtLogOnBox), true);
  SetChecked(FindControl(dialog, ids::kCheckAheadBox), true);
  SetText(FindControl(dialog, ids::kFallbackBox), L"C:\\fallback.mp3");
  Click(FindControl(dialog, ids::kOptionsSaveButton));
  WaitUntilGone(dialog, kDefaultTimeoutMs);
  EXPECT_EQ(run.IniValue(run.CueIni(), L"Options", L"StartAtLogOn"), L"1");
  EXPECT_EQ(run.IniValue(run.CueIni(), L"Options", L"WakeForFirings"), L"0");
  EXPECT_EQ(run.IniValue(run.CueIni(), L"Options", L"CheckAhead"), L"1");
  EXPECT_EQ(run.IniValue(run.CueIni(), L"Options", L"Fallback"), L"C:\\fallback.mp3");
  EXPECT_EQ(CuelarkRunValue(), L"\"" + (run.Folder() / "Cuelark.exe").wstring() + L"\"");

  // Shown as saved; off takes the program out of the log-on again.
  dialog = OpenOptions();
  EXPECT_TRUE(IsChecked(FindControl(dialog, ids::kStartAtLogOnBox)));
  SetChecked(FindControl(dialog, ids::kStartAtLogOnBox), false);
  Click(FindControl(dialog, ids::kOptionsSaveButton));
  WaitUntilGone(dialog, kDefaultTimeoutMs);
  EXPECT_EQ(CuelarkRunValue(), std::nullopt);

  dialog = OpenOptions();
  PressKey(dialog, VK_ESCAPE);
  WaitUntilGone(dialog, kDefaultTimeoutMs);
  EXPECT_EQ(run.IniValue(run.CueIni(), L"Options", L"StartAtLogOn"), L"0");
}

std::size_t Count(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

TEST_F(UnattendedTest, AMissingInputIsWrittenDownAheadAndTheFallbackPlaysInItsPlace) {
  StandIn player;
  player.WriteSettings(run.WinampIni());
  player.Start();
  const std::filesystem::path fallback = run.Folder() / "fallback.mp3";
  WriteFileText(fallback, "");  // the stand-in plays only what exists
  const SYSTEMTIME due = LocalTimeIn(8);
  WriteFileText(run.CueIni(), StoreText(EntryText(1, "Gone", "C:\\gone.mp3", DateText(due), TimeText(due)), 1) +
                                  "[Options]\r\nCheckAhead=1\r\nFallback=" + fallback.string() + "\r\n");
  const std::filesystem::path history = run.Folder() / "history.tsv";
  const std::string failed = "\tGone\tC:\\\\gone.mp3\tcheck-failed\t";
  run.Start();

  // Within its five minutes at start-up: written down before it is due.
  WaitUntil([&] { return Count(ReadFileText(history), failed) == 1; }, 5000, "the check ahead's line");
  EXPECT_EQ(player.Messages().size(), 0u);
  // At the due second it is checked again, and the fallback plays instead.
  std::string escaped;
  for (const char c : fallback.string()) escaped += c == '\\' ? std::string("\\\\") : std::string(1, c);
  WaitUntil([&] { return ReadFileText(history).find("\tGone\t" + escaped + "\tplayed\tfallback") != std::string::npos; },
            20000, "the fallback to play");
  EXPECT_EQ(Count(ReadFileText(history), failed), 2u);
  const std::vector<std::string> exchange = Exchange(player.Messages());
  EXPECT_NE(std::find(exchange.begin(), exchange.end(), "COPYDATA 100 " + fallback.string()), exchange.end());
  EXPECT_EQ(std::find(exchange.begin(), exchange.end(), "COPYDATA 100 C:\\gone.mp3"), exchange.end());
}

}  // namespace
}  // namespace cuelark::test
