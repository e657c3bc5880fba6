// The command editor as a user meets it: what it starts with, and its rules.
#include <gtest/gtest.h>

#include <array>
#include <fstream>

#include "tests/win/ui/CuelarkRun.h"

namespace cuelark::test {
namespace {

class EditorTest : public ::testing::Test {
 protected:
  void SetUp() override { run.Start(); }

  CuelarkRun run;
};

TEST_F(EditorTest, StartsEmptyOnTheEditorTabWithTodayAndMidnightAndKeepsItAcrossTabs) {
  EXPECT_EQ(SelectedTab(run[ids::kTabs]), 0);
  EXPECT_TRUE(IsVisible(run[ids::kEditorFrame]));
  EXPECT_FALSE(IsVisible(run[ids::kSavedFrame]));
  EXPECT_EQ(GetText(run[ids::kCommandBox]), L"");
  EXPECT_EQ(GetText(run[ids::kNameBox]), L"");
  EXPECT_FALSE(IsChecked(run[ids::kWeeklyBox]));
  EXPECT_FALSE(IsChecked(run[ids::kEveryDayBox]));
  EXPECT_TRUE(IsChecked(run[ids::kRemoveWhenDoneBox]));
  EXPECT_FALSE(IsEnabled(run[ids::kSaveButton]));
  EXPECT_EQ(ItemCount(run[ids::kSavedList]), 0);
  EXPECT_FALSE(IsEnabled(run[ids::kRemoveButton]));
  EXPECT_FALSE(IsEnabled(run[ids::kExecuteButton]));

  EXPECT_EQ(DateText(GetPickerTime(run[ids::kDatePicker])), DateText(LocalTimeIn(0)));
  const PickerRange range = GetPickerRange(run[ids::kDatePicker]);
  ASSERT_TRUE(range.min && range.max);
  EXPECT_EQ(DateText(*range.min), DateText(LocalTimeIn(0)));
  EXPECT_EQ(DateText(*range.max), "2099-12-31");
  const SYSTEMTIME time = GetPickerTime(run[ids::kTimePicker]);
  EXPECT_EQ(time.wHour + time.wMinute + time.wSecond, 0);

  // A day before the start is refused by the picker.
  SetPickerTime(run[ids::kDatePicker], LocalTimeIn(-24 * 3600));
  EXPECT_EQ(DateText(GetPickerTime(run[ids::kDatePicker])), DateText(LocalTimeIn(0)));

  // The other tab shows its frame alone, and the editor keeps what it holds.
  SetText(run[ids::kNameBox], L"Evening");
  SetChecked(run[ids::kWeeklyBox], true);
  run.SelectTab(1);
  EXPECT_FALSE(IsVisible(run[ids::kEditorFrame]));
  EXPECT_TRUE(IsVisible(run[ids::kSavedFrame]));
  run.SelectTab(0);
  EXPECT_TRUE(IsVisible(run[ids::kEditorFrame]));
  EXPECT_FALSE(IsVisible(run[ids::kSavedFrame]));
  EXPECT_EQ(GetText(run[ids::kNameBox]), L"Evening");
  EXPECT_TRUE(IsChecked(run[ids::kWeeklyBox]));
}

struct SaveRuleCase {
  const wchar_t* name;
  const wchar_t* command;
  bool enabled;
};

TEST_F(EditorTest, SaveIsEnabledExactlyWhileNameAndCommandHoldThreeCharacters) {
  // Blanks count: the rule is on length alone.
  const SaveRuleCase cases[] = {
      {L"ab", L"C:\\Music\\a long enough command.mp3", false},
      {L"   ", L"abc", true},
      {L"abc", L"ab", false},
  };
  for (const SaveRuleCase& c : cases) {
    SetText(run[ids::kNameBox], c.name);
    SetText(run[ids::kCommandBox], c.command);
    EXPECT_EQ(IsEnabled(run[ids::kSaveButton]), c.enabled) << "name '" << testing::PrintToString(c.name) << "'";
  }
  // Typing the third character enables it at once.
  SetText(run[ids::kNameBox], L"ab");
  SetText(run[ids::kCommandBox], L"C:\\Music\\song.mp3");
  ASSERT_FALSE(IsEnabled(run[ids::kSaveButton]));
  TypeText(run[ids::kNameBox], L"c");
  EXPECT_TRUE(IsEnabled(run[ids::kSaveButton]));
}

TEST_F(EditorTest, ARepeatOptionUnticksTheOtherAndTheRemoveBox) {
  const HWND day = run[ids::kEveryDayBox];
  const HWND week = run[ids::kWeeklyBox];
  const HWND remove = run[ids::kRemoveWhenDoneBox];
  // Each step ticks or unticks one box; then every day, weekly, remove.
  const struct {
    HWND box;
    bool tick;
    std::array<bool, 3> after;
  } kSteps[] = {
      {week, true, {false, true, false}},  {remove, true, {false, true, true}}, {day, true, {true, false, false}},
      {remove, true, {true, false, true}}, {week, true, {false, true, false}}, {remove, true, {false, true, true}},
      // Unticking changes nothing else, and the remove box may be ticked again.
      {week, false, {false, false, true}}, {day, true, {true, false, false}},  {remove, true, {true, false, true}},
  };
  for (std::size_t k = 0; k < std::size(kSteps); ++k) {
    SCOPED_TRACE("step " + std::to_string(k));
    SetChecked(kSteps[k].box, kSteps[k].tick);
    EXPECT_EQ((std::array<bool, 3>{IsChecked(day), IsChecked(week), IsChecked(remove)}), kSteps[k].after);
  }
}

TEST_F(EditorTest, ClearEmptiesTheEditorButKeepsTheRemoveBox) {
  SetText(run[ids::kNameBox], L"Morning news");
  SetText(run[ids::kCommandBox], L"http://radio.example/stream");
  SetChecked(run[ids::kEveryDayBox], true);
  SetChecked(run[ids::kRemoveWhenDoneBox], true);
  SYSTEMTIME later = LocalTimeIn(400 * 24 * 3600);
  later.wHour = 7;
  SetPickerTime(run[ids::kDatePicker], later);
  SetPickerTime(run[ids::kTimePicker], later);

  Click(run[ids::kClearButton]);

  EXPECT_EQ(GetText(run[ids::kNameBox]), L"");
  EXPECT_EQ(GetText(run[ids::kCommandBox]), L"");
  EXPECT_FALSE(IsChecked(run[ids::kEveryDayBox]));
  EXPECT_FALSE(IsChecked(run[ids::kWeeklyBox]));
  EXPECT_TRUE(IsChecked(run[ids::kRemoveWhenDoneBox]));
  EXPECT_EQ(DateText(GetPickerTime(run[ids::kDatePicker])), DateText(LocalTimeIn(0)));
  const SYSTEMTIME cleared = GetPickerTime(run[ids::kTimePicker]);
  EXPECT_EQ(cleared.wHour + cleared.wMinute + cleared.wSecond, 0);
  EXPECT_FALSE(IsEnabled(run[ids::kSaveButton]));
}

TEST_F(EditorTest, BrowseCancelPutsTheLastChosenFileOrNothingIntoTheCommandBox) {
  const HWND command = run[ids::kCommandBox];
  auto browseAndAnswer = [&](const std::function<void(HWND)>& answer) {
    ClickAsync(run[ids::kBrowseButton]);
    const HWND dialog = FindFileDialog(run.app().ProcessId(), kDefaultTimeoutMs);
    ASSERT_NE(dialog, nullptr);
    answer(dialog);
    WaitUntilGone(dialog, kDefaultTimeoutMs);
  };

  SetText(command, L"typed by hand");
  browseAndAnswer(FileDialogCancel);
  WaitUntil([&] { return GetText(command).empty(); }, kDefaultTimeoutMs, "the command box to be emptied");

  const std::filesystem::path song = run.Folder() / "song.mp3";
  std::ofstream(song) << "ID3";
  browseAndAnswer([&](HWND dialog) {
    FileDialogSetName(dialog, song);
    FileDialogOk(dialog);
  });
  WaitUntil([&] { return !GetText(command).empty(); }, kDefaultTimeoutMs, "the chosen file in the command box");
  const std::wstring chosen = GetText(command);
  EXPECT_TRUE(std::filesystem::equivalent(chosen, song)) << testing::PrintToString(chosen);

  SetText(command, L"typed again");
  browseAndAnswer(FileDialogCancel);
  WaitUntil([&] { return GetText(command) == chosen; }, kDefaultTimeoutMs, "the last choice back in the box");
}

TEST_F(EditorTest, EachStatusPanelShowsItsTipWhereThePointerRests) {
  const HWND status = run[ids::kStatusBar];
  const int dpi = WindowDpi(run.Main());
  RECT bar{};
  ASSERT_TRUE(GetWindowRect(status, &bar));
  const std::pair<int, std::wstring> kPanels[] = {
      {TwipsToPixels(600, dpi), L"Cuelark plays your chosen input in Winamp at its time"},
      {TwipsToPixels(6210 + 300, dpi), L"Time"}};
  for (const auto& [x, tip] : kPanels) {
    SCOPED_TRACE(testing::PrintToString(tip));
    const POINT client{x, (bar.bottom - bar.top) / 2};
    ASSERT_TRUE(SetCursorPos(bar.left + client.x, bar.top + client.y));
    ASSERT_TRUE(PostMessageW(status, WM_MOUSEMOVE, 0, MAKELPARAM(client.x, client.y)));
    WaitUntil(
        [&] {
          for (const HWND window : TopLevelWindows(run.app().ProcessId(), L"tooltips_class32"))
            if (IsWindowVisible(window) && GetText(window) == tip) return true;
          return false;
        },
        kDefaultTimeoutMs, "the panel's tip");
  }
}

}  // namespace
}  // namespace cuelark::test
