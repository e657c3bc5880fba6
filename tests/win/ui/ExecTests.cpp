// Executing saved commands at the stand-in player, and giving the player its
// own playlist back afterwards.
#include <gtest/gtest.h>

#include "tests/win/ui/CuelarkRun.h"
#include "tools/player/StandInControl.h"

namespace cuelark::test {
namespace {

using standin::LoggedMessage;

std::wstring Wide(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }
std::string Ascii(const std::wstring& text) {
  std::string ascii;
  for (const wchar_t c : text) ascii += c < 0x80 ? static_cast<char>(c) : '?';
  return ascii;
}

// The player's messages an execution sends, in the terms of its interface;
// what each procedure sends is the player link's tests' part.
const std::string kGetPosition = "USER 1 125";
const std::string kVersion = "USER 0 0";
const std::string kWrite = "USER 0 120";
const std::string kClear = "USER 0 101";
const std::string kPlay = "COMMAND 40045 0";
std::string Add(const std::string& text) { return "COPYDATA 100 " + text; }

double MillisecondsBetween(const LoggedMessage& a, const LoggedMessage& b) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * static_cast<double>(b.qpc - a.qpc) / static_cast<double>(frequency.QuadPart);
}

class ExecTest : public ::testing::Test {
 protected:
  // Returns at once: an execution may end in a message box or wait for the
  // player.
  void Execute(int row) {
    run.SelectTab(1);
    SelectItem(run[ids::kSavedList], row);
    ClickAsync(run[ids::kExecuteButton]);
  }

  CuelarkRun run;
};

TEST_F(ExecTest, ExecutionPlaysTheCommandAndTheResumeRestoresThePlaylistLater) {
  StandIn player(L"--position 5 --entry C:\\a.mp3 --entry C:\\b.mp3");
  player.WriteSettings(run.WinampIni());
  player.Start();
  run.Start();
  run.SaveEntry(L"Far off", L"C:\\Music\\far off.mp3");
  // Unticked and due in another year: "Execute selected" runs it all the same.
  SetItemChecked(run[ids::kSavedList], 0, false);
  Execute(0);

  const auto messages = player.WaitForMessages(10);
  EXPECT_EQ(Exchange(messages), (std::vector<std::string>{kGetPosition, kVersion, kWrite, kClear,
                                                          Add("C:\\Music\\far off.mp3"), kPlay, kClear,
                                                          Add(player.Playlist().string()), kVersion, "USER 5 121"}));
  ASSERT_EQ(messages.size(), 10u);
  EXPECT_NEAR(MillisecondsBetween(messages[6], messages[7]), 3000, 250);
  // The saved playlist is the player's own from before the execution.
  EXPECT_NE(ReadFileText(player.Playlist()).find("C:\\b.mp3"), std::string::npos);
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
    // The entry and the moment of the click on a second line.
    const std::wstring text = AnswerMessageBox(run.app().ProcessId(), L"Error ...", IDOK, 40000);
    EXPECT_TRUE(text.starts_with(std::wstring(hung ? L"Winamp Is Not Responding, Command not Executed!"
                                                   : L"Winamp Is Not Started, Command not Executed!") +
                                 L"\nOnce, due "))
        << Ascii(text);
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

  const std::vector<std::string> messages = Exchange(late.WaitForMessages(10, 20000));
  EXPECT_EQ(std::vector<std::string>(messages.begin(), messages.begin() + 7),
            (std::vector<std::string>{kGetPosition, kVersion, kWrite, kClear, Add("C:\\late.mp3"), kPlay, kClear}));
  WaitUntil([&] { return ItemCount(run[ids::kSavedList]) == 0; }, kDefaultTimeoutMs, "the flagged entry to go");
}

std::vector<HWND> ErrorBoxes(DWORD processId) {
  std::vector<HWND> boxes;
  for (HWND window : TopLevelWindows(processId, L"#32770")) {
    wchar_t caption[64] = L"";
    GetWindowTextW(window, caption, 64);
    if (IsWindowVisible(window) && std::wstring(caption) == L"Error ...") boxes.push_back(window);
  }
  return boxes;
}

// Unattended, nobody presses OK: the box must not hold up what falls due
// after it, even behind a player that takes longer than its start wait.
TEST(ExecFailureTest, AnEntryDueWhileAnErrorBoxIsOpenStillPlaysInItsCatchUpMinute) {
  StandIn slow(L"--late-ms 35000");
  CuelarkRun run;
  const SYSTEMTIME a = LocalTimeIn(6);
  const SYSTEMTIME b = LocalTimeIn(16);
  WriteFileText(run.CueIni(), StoreText(EntryText(1, "A", "C:\\a.mp3", DateText(a), TimeText(a)) +
                                            EntryText(2, "B", "C:\\b.mp3", DateText(b), TimeText(b)),
                                        2));
  run.Start({{L"PATH", slow.SearchPath()}});

  // A started the player, waited its 30 s in vain and says so; the box stays.
  const HWND box = FindMessageBox(run.app().ProcessId(), L"Error ...", 50000);
  ASSERT_TRUE(box);
  EXPECT_EQ(MessageBoxText(box), L"Winamp Is Not Started, Command not Executed!\nA, due " +
                                     Wide(DateText(a) + " " + TimeText(a)));
  // B plays once the player's window is there, with A's box still open.
  const std::vector<std::string> messages = Exchange(slow.WaitForMessages(7, 40000));
  EXPECT_EQ(messages[4], Add("C:\\b.mp3"));
  EXPECT_TRUE(IsWindowVisible(box));
  const std::string history = ReadFileText(run.Folder() / "history.tsv");
  const std::size_t played = history.find(DateText(b) + " " + TimeText(b) + "\t");
  ASSERT_NE(played, std::string::npos) << history;
  const std::string line = history.substr(played, history.find('\n', played) - played);
  EXPECT_NE(line.find("\tB\tC:\\\\b.mp3\tplayed\t"), std::string::npos) << line;
  // Played within a minute of its due second.
  const auto secondOfDay = [](const std::string& time) {
    return std::stoi(time.substr(0, 2)) * 3600 + std::stoi(time.substr(3, 2)) * 60 + std::stoi(time.substr(6, 2));
  };
  const int late = (secondOfDay(line.substr(31, 8)) - secondOfDay(TimeText(b)) + 86400) % 86400;
  EXPECT_LT(late, 60) << line;
}

TEST(ExecFailureTest, ASecondFailureOfTheSameCauseIsListedInTheOpenBoxNotStackedOnIt) {
  CuelarkRun run;
  ASSERT_EQ(FindWindowW(kWindowClass, nullptr), nullptr) << "a player is left from before";
  run.Start({{L"PATH", L"C:\\windows\\system32;C:\\windows"}});
  run.SaveEntry(L"One", L"C:\\one.mp3");
  run.SaveEntry(L"Two", L"C:\\two.mp3");
  run.SelectTab(1);
  for (int row : {0, 1}) {
    SelectItem(run[ids::kSavedList], row);
    ClickAsync(run[ids::kExecuteButton]);
    const std::wstring name = row == 0 ? L"One" : L"Two";
    std::string seen;
    try {
      WaitUntil(
          [&] {
            const std::vector<HWND> boxes = ErrorBoxes(run.app().ProcessId());
            seen = std::to_string(boxes.size()) + " boxes";
            for (HWND box : boxes) seen += ", \"" + Ascii(MessageBoxText(box)) + "\"";
            return boxes.size() == 1 && MessageBoxText(boxes[0]).find(L"\n" + name + L", due ") != std::wstring::npos;
          },
          kDefaultTimeoutMs, "the box to name the entry");
    } catch (const DriverError&) {
      FAIL() << "waiting for " << Ascii(name) << ": " << seen;
    }
  }
  const std::wstring text = MessageBoxText(ErrorBoxes(run.app().ProcessId())[0]);
  EXPECT_TRUE(text.starts_with(L"Winamp Is Not Started, Command not Executed!\nOne, due ")) << Ascii(text);
  EXPECT_EQ(ErrorBoxes(run.app().ProcessId()).size(), 1u);
}

}  // namespace
}  // namespace cuelark::test
