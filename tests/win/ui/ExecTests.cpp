// Executing saved commands at the stand-in player, and giving the player its
// own playlist back afterwards.
#include <gtest/gtest.h>

#include "tests/win/ui/CuelarkRun.h"
#include "tools/player/StandInControl.h"

namespace cuelark::test {
namespace {

using standin::LoggedKind;
using standin::LoggedMessage;

struct Expected {
  LoggedKind kind;
  std::int64_t wParam;
  std::int64_t lParam;
  std::string text;  // copy-data only
};

void ExpectMessages(const std::vector<LoggedMessage>& got, std::size_t from, const std::vector<Expected>& expected) {
  ASSERT_GE(got.size(), from + expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE("message " + std::to_string(from + i));
    const LoggedMessage& m = got[from + i];
    EXPECT_EQ(m.kind, expected[i].kind);
    if (m.kind == LoggedKind::kCopyData) {
      EXPECT_EQ(m.dwData, 100u);
      EXPECT_EQ(CopyDataText(m), expected[i].text);
      EXPECT_EQ(m.cbData, expected[i].text.size() + 1);
      EXPECT_EQ(m.data.back(), 0);
    } else {
      EXPECT_EQ(m.wParam, expected[i].wParam);
      EXPECT_EQ(m.lParam, expected[i].lParam);
    }
  }
}

const Expected kGetPosition{LoggedKind::kUser, 1, 125, ""};
const Expected kVersion{LoggedKind::kUser, 0, 0, ""};
const Expected kWrite{LoggedKind::kUser, 0, 120, ""};
const Expected kClear{LoggedKind::kUser, 0, 101, ""};
const Expected kPlay{LoggedKind::kCommand, 40045, 0, ""};
Expected Add(const std::string& text) { return {LoggedKind::kCopyData, 0, 0, text}; }
Expected SetPosition(int position) { return {LoggedKind::kUser, position, 121, ""}; }

double MillisecondsBetween(const LoggedMessage& a, const LoggedMessage& b) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(b.qpc - a.qpc) / static_cast<double>(frequency.QuadPart);
}

class ExecTest : public ::testing::Test {
 protected:
  void StartBoth(const std::wstring& playerOptions = L"--position 5 --entry C:\\a.mp3 --entry C:\\b.mp3") {
    player.emplace(playerOptions);
    player->WriteSettings(run.WinampIni());
    player->Start();
    run.Start();
  }
  // Returns at once: an execution may end in a message box or wait for the
  // player.
  void Execute(int row) {
    run.SelectTab(1);
    SelectItem(run[ids::kSavedList], row);
    ClickAsync(run[ids::kExecuteButton]);
  }

  CuelarkRun run;
  std::optional<StandIn> player;
};

TEST_F(ExecTest, ExecutionPlaysTheCommandAndTheResumeRestoresThePlaylistLater) {
  StartBoth();
  run.SaveEntry(L"Far off", L"C:\\Music\\far off.mp3");
  // Unticked and due in another year: "Execute selected" runs it all the same.
  SetItemChecked(run[ids::kSavedList], 0, false);
  Execute(0);

  const auto messages = player->WaitForMessages(10);
  const std::string playlist = player->Playlist().string();
  ExpectMessages(messages, 0,
                 {kGetPosition, kVersion, kWrite, kClear, Add("C:\\Music\\far off.mp3"), kPlay, kClear, Add(playlist),
                  kVersion, SetPosition(5)});
  EXPECT_NEAR(MillisecondsBetween(messages[6], messages[7]), 3000, 250);
  EXPECT_EQ(messages.size(), 10u);
  // The saved playlist is the player's own from before the execution.
  EXPECT_NE(ReadFileText(player->Playlist()).find("C:\\b.mp3"), std::string::npos);
  // Flagged to stay: still in the list.
  EXPECT_EQ(ItemCount(run[ids::kSavedList]), 1);
}

// Each cause has its own text; which entries stay is the controller's tests'
// part. A hung player must not freeze the scheduler either.
TEST(ExecFailureTest, APlayerThatCannotBeStartedOrHangsIsReportedAndAFlaggedEntryStays) {
  for (const bool hung : {false, true}) {
    SCOPED_TRACE(hung ? "hung" : "not started");
    CuelarkRun run;
    std::optional<StandIn> player;
    if (hung) {
      player.emplace(L"--hang-after 0");
      player->WriteSettings(run.WinampIni());
      player->Start();
    }
    run.Start(hung ? Environment{} : Environment{{L"PATH", L"C:\\windows\\system32;C:\\windows"}});
    run.SaveEntry(L"Once", L"C:\\once.mp3", true);
    run.SelectTab(1);
    SelectItem(run[ids::kSavedList], 0);
    ClickAsync(run[ids::kExecuteButton]);
    EXPECT_EQ(AnswerMessageBox(run.app().ProcessId(), L"Error ...", IDOK, 40000),
              hung ? L"Winamp Is Not Responding, Command not Executed!" : L"Winamp Is Not Started, Command not Executed!");
    EXPECT_EQ(ItemCount(run[ids::kSavedList]), 1);
  }
}

TEST_F(ExecTest, APlayerStartedByItsNameIsWaitedForWithoutFreezingTheWindow) {
  StandIn late(L"--late-ms 2500 --position 2");
  late.WriteSettings(run.WinampIni());
  run.Start({{L"PATH", late.SearchPath()}});
  run.SaveEntry(L"Late", L"C:\\late.mp3", true);
  Execute(0);

  // While the player starts, the window still answers.
  WaitUntil([&] { return std::filesystem::exists(late.Log()); }, kDefaultTimeoutMs, "the player to start");
  SetText(run[ids::kNameBox], L"still alive");
  EXPECT_EQ(GetText(run[ids::kNameBox]), L"still alive");

  const auto messages = late.WaitForMessages(10, 20000);
  ExpectMessages(messages, 0, {kGetPosition, kVersion, kWrite, kClear, Add("C:\\late.mp3"), kPlay, kClear});
  WaitUntil([&] { return ItemCount(run[ids::kSavedList]) == 0; }, kDefaultTimeoutMs, "the flagged entry to go");
}

}  // namespace
}  // namespace cuelark::test
