// Entries firing by themselves at their second, with the window in the tray:
// once each, and only when ticked.
#include <gtest/gtest.h>

#include <map>

#include "tests/win/ui/CuelarkRun.h"
#include "tools/player/StandInControl.h"

namespace cuelark::test {
namespace {

class ClockTest : public ::testing::Test {
 protected:
  void SetUp() override {
    player.WriteSettings(run.WinampIni());
    player.Start();
    run.Start();
  }

  // Saves an entry through the editor, due at the given moment.
  void SaveDue(const std::wstring& name, const SYSTEMTIME& due, int repeatBox) {
    if (repeatBox) SetChecked(run[repeatBox], true);
    SetPickerTime(run[ids::kDatePicker], due);
    SetPickerTime(run[ids::kTimePicker], due);
    // The stand-in plays only what exists.
    WriteFileText(L"C:\\" + name + L".mp3", "");
    run.SaveEntry(name, L"C:\\" + name + L".mp3");
  }

  StandIn player{L"--position 1 --entry C:\\own.mp3"};
  CuelarkRun run;
};

std::map<std::string, int> PlayedCommands(const std::vector<standin::LoggedMessage>& messages) {
  std::map<std::string, int> played;
  for (const auto& m : messages)
    if (m.kind == standin::LoggedKind::kCopyData && CopyDataText(m).rfind("C:\\", 0) == 0 &&
        CopyDataText(m).find(".mp3") != std::string::npos)
      ++played[CopyDataText(m)];
  return played;
}

TEST_F(ClockTest, DailyDatedAndWeeklyEntriesFireOnceEachAndUntickedOnesNever) {
  // Far enough ahead for the four saves.
  const SYSTEMTIME daily = LocalTimeIn(6);
  const SYSTEMTIME dated = LocalTimeIn(7);
  const SYSTEMTIME weekly = LocalTimeIn(8);
  SaveDue(L"daily", daily, ids::kEveryDayBox);
  SaveDue(L"dated", dated, 0);
  SaveDue(L"weekly", weekly, ids::kWeeklyBox);
  SaveDue(L"unticked", daily, ids::kEveryDayBox);
  run.SelectTab(1);
  SetItemChecked(run[ids::kSavedList], 3, false);
  ASSERT_EQ(ItemText(run[ids::kSavedList], 0, 2), L"EVERY DAY");
  // They fire with the window in the tray.
  Minimize(run.Main());
  WaitUntil([&] { return !IsWindowVisible(run.Main()); }, kDefaultTimeoutMs, "the window to hide");

  // Each firing adds its command; the resume 3 s after the last adds the
  // player's own playlist back, which ends the run.
  const std::string ownPlaylist = player.Playlist().string();
  WaitUntil(
      [&] {
        for (const auto& m : player.Messages())
          if (m.kind == standin::LoggedKind::kCopyData && CopyDataText(m) == ownPlaylist) return true;
        return false;
      },
      20000, "the resume after the last firing");

  const auto played = PlayedCommands(player.Messages());
  EXPECT_EQ(played, (std::map<std::string, int>{{"C:\\daily.mp3", 1}, {"C:\\dated.mp3", 1}, {"C:\\weekly.mp3", 1}}));
  // None of them is flagged for removal, so all stay.
  EXPECT_EQ(ItemCount(run[ids::kSavedList]), 4);
  EXPECT_FALSE(IsWindowVisible(run.Main())) << "a firing brought the window back";
  EXPECT_EQ(PanelText(run[ids::kStatusBar], 1).size(), 8u);
}

}  // namespace
}  // namespace cuelark::test
