// Executing saved commands at the stand-in player, and giving the player its
// own playlist back afterwards.
#include <gtest/gtest.h>

#include "common/win32/TextConversion.h"
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
// What a player of today's version is asked besides: where it wrote its
// list (a stand-in without a settings folder names none), whether it took
// the entry and whether it plays.
const std::vector<std::string> kFolderQueries = {kVersion, "USER 0 338", "USER 0 337", "USER 0 1335", "USER 0 335"};
const std::vector<std::string> kListLength = {kVersion, "USER 0 124"};
const std::vector<std::string> kPlayingState = {kVersion, "USER 0 104"};

std::vector<std::string> Joined(std::initializer_list<std::vector<std::string>> parts) {
  std::vector<std::string> joined;
  for (const auto& part : parts) joined.insert(joined.end(), part.begin(), part.end());
  return joined;
}

// An execution's messages up to the player's first "playing" answer.
std::vector<std::string> ExecutionOf(const std::string& add) {
  return Joined({{kGetPosition, kVersion, kWrite}, kFolderQueries, {kClear, add}, kListLength, {kPlay, kClear},
                 kPlayingState});
}

// A text as the history writes it: backslashes doubled.
std::string HistoryField(const std::string& text) {
  std::string field;
  for (const char c : text) field += c == '\\' ? std::string("\\\\") : std::string(1, c);
  return field;
}

// The stand-in plays only what exists.
std::filesystem::path Song(const std::filesystem::path& folder, const std::wstring& name) {
  const std::filesystem::path song = folder / name;
  WriteFileText(song, "");
  return song;
}

// Asks the running stand-in as the scheduler would, from the test.
LRESULT AskPlayer(LPARAM operation, WPARAM wParam = 0) {
  const HWND window = FindWindowW(kWindowClass, nullptr);
  DWORD_PTR answer = 0;
  if (!window || !SendMessageTimeoutW(window, WM_USER, wParam, operation, SMTO_NORMAL, 5000, &answer))
    throw DriverError("the stand-in did not answer");
  return static_cast<LRESULT>(answer);
}

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
  const std::string song = Song(run.Folder(), L"far off.mp3").string();
  run.SaveEntry(L"Far off", Wide(song));
  // Unticked and due in another year: "Execute selected" runs it all the same.
  SetItemChecked(run[ids::kSavedList], 0, false);
  Execute(0);

  const std::vector<std::string> played = ExecutionOf(Add(song));
  const auto messages = player.WaitForMessages(played.size() + 3);
  EXPECT_EQ(Exchange(messages), Joined({played, {Add(player.Playlist().string()), kVersion, "USER 5 121"}}));
  ASSERT_EQ(messages.size(), played.size() + 3);
  // The resume follows the player's "playing" by its interval.
  EXPECT_NEAR(MillisecondsBetween(messages[played.size() - 1], messages[played.size()]), 3000, 250);
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
  const std::string song = Song(run.Folder(), L"late.mp3").string();
  run.SaveEntry(L"Late", Wide(song), true);
  Execute(0);

  // While the player starts, the window still answers.
  WaitUntil([&] { return std::filesystem::exists(late.Log()); }, kDefaultTimeoutMs, "the player to start");
  SetText(run[ids::kNameBox], L"still alive");
  EXPECT_EQ(GetText(run[ids::kNameBox]), L"still alive");

  const std::vector<std::string> played = ExecutionOf(Add(song));
  const std::vector<std::string> messages = Exchange(late.WaitForMessages(played.size(), 20000));
  EXPECT_EQ(std::vector<std::string>(messages.begin(), messages.begin() + static_cast<std::ptrdiff_t>(played.size())),
            played);
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
  const std::string songB = Song(run.Folder(), L"b.mp3").string();
  WriteFileText(run.CueIni(), StoreText(EntryText(1, "A", "C:\\a.mp3", DateText(a), TimeText(a)) +
                                            EntryText(2, "B", songB, DateText(b), TimeText(b)),
                                        2));
  run.Start({{L"PATH", slow.SearchPath()}});

  // A started the player, waited its 30 s in vain and says so; the box stays.
  const HWND box = FindMessageBox(run.app().ProcessId(), L"Error ...", 50000);
  ASSERT_TRUE(box);
  EXPECT_EQ(MessageBoxText(box), L"Winamp Is Not Started, Command not Executed!\nA, due " +
                                     Wide(DateText(a) + " " + TimeText(a)));
  // B plays once the player's window is there, with A's box still open.
  const std::vector<std::string> expected = ExecutionOf(Add(songB));
  EXPECT_EQ(Exchange(slow.WaitForMessages(expected.size(), 40000)), expected);
  EXPECT_TRUE(IsWindowVisible(box));
  const std::string history = ReadFileText(run.Folder() / "history.tsv");
  const std::size_t played = history.find(DateText(b) + " " + TimeText(b) + "\t");
  ASSERT_NE(played, std::string::npos) << history;
  const std::string line = history.substr(played, history.find('\n', played) - played);
  EXPECT_NE(line.find("\tB\t" + HistoryField(songB) + "\tplayed\t"), std::string::npos) << line;
  // Played within a minute of its due second.
  const auto secondOfDay = [](const std::string& time) {
    return std::stoi(time.substr(0, 2)) * 3600 + std::stoi(time.substr(3, 2)) * 60 + std::stoi(time.substr(6, 2));
  };
  const int late = (secondOfDay(line.substr(31, 8)) - secondOfDay(TimeText(b)) + 86400) % 86400;
  EXPECT_LT(late, 60) << line;
  // B's execution started a second copy, whose log replaced the first's:
  // the first is ended here by its window, the second by the stand-in's end.
  DWORD firstCopy = 0;
  GetWindowThreadProcessId(FindWindowW(kWindowClass, nullptr), &firstCopy);
  if (firstCopy) App::Attach(firstCopy, kWindowClass);
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

// The player as installed today: settings and playlist in the user's
// profile, a playlist with names the ANSI code page cannot hold.
TEST_F(ExecTest, APlayerWithItsSettingsInTheProfileGetsItsOwnPlaylistAndPositionBack) {
  TempFolder profile;
  StandIn player(L"--ini-dir \"" + profile.Path().wstring() +
                 L"\" --position 1 --entry C:\\a.mp3 --entry \"C:\\\u97f3\u697d\\\ud55c\uad6d.mp3\" --entry C:\\c.mp3");
  player.WriteSettings(run.WinampIni());  // its "Playlist" names a file beside it that it never writes
  player.Start();
  AskPlayer(120);
  const std::string before = ReadFileText(profile / "winamp.m3u8");
  ASSERT_NE(before.find(win32::WideToCodePage(CP_UTF8, L"\ud55c\uad6d")), std::string::npos)
      << "the player's list holds a name the code page cannot";

  run.Start();
  const std::string song = Song(run.Folder(), L"news.mp3").string();
  run.SaveEntry(L"News", Wide(song));
  Execute(0);
  const std::string unicodeList = (profile / "winamp.m3u8").string();
  WaitUntil([&] {
    const std::vector<std::string> exchange = Exchange(player.Messages());
    return std::find(exchange.begin(), exchange.end(), Add(unicodeList)) != exchange.end() &&
           exchange.back() == "USER 1 121";
  }, 20000, "the resume of the player's own list");
  EXPECT_EQ(AskPlayer(125), 1);
  AskPlayer(120);
  EXPECT_EQ(ReadFileText(profile / "winamp.m3u8"), before);
}

TEST_F(ExecTest, ANameInAnyScriptIsSavedKeptOverARestartAndReachesThePlayerExactly) {
  StandIn player;
  player.WriteSettings(run.WinampIni());
  player.Start();
  const std::wstring name = L"\u65e5\u672c\u8a9e news";
  const std::wstring song = Song(run.Folder(), L"\u97f3\u697d \ud55c\uad6d.mp3").wstring();
  run.Start();
  run.SaveEntry(name, song);
  EXPECT_EQ(run.CueIniBytes().substr(0, 3), "\xEF\xBB\xBF") << "UTF-8 once a text needs it";
  run.app().Close();

  run.Start();
  run.SelectTab(1);
  ASSERT_EQ(ItemCount(run[ids::kSavedList]), 1);
  EXPECT_EQ(ItemText(run[ids::kSavedList], 0, 0), name);
  Execute(0);
  std::vector<LoggedMessage> messages;
  WaitUntil([&] {
    messages = player.Messages();
    return std::any_of(messages.begin(), messages.end(), [](const LoggedMessage& m) { return m.wParam == 0 && m.lParam == 104; });
  }, kDefaultTimeoutMs, "the playing question");
  const auto wide = std::find_if(messages.begin(), messages.end(),
                                 [](const LoggedMessage& m) { return m.kind == standin::LoggedKind::kCopyData; });
  ASSERT_NE(wide, messages.end());
  EXPECT_EQ(wide->dwData, 1100u);
  EXPECT_EQ(CopyDataWideText(*wide), song);
  WaitUntil([&] { return ReadFileText(run.Folder() / "history.tsv").find("\tplayed\t") != std::string::npos; },
            kDefaultTimeoutMs, "the played line");
  EXPECT_NE(ReadFileText(run.Folder() / "history.tsv").find(win32::WideToCodePage(CP_UTF8, name)), std::string::npos);
}

TEST_F(ExecTest, AFileThatIsNotThereIsNotPlayingInTheHistoryAndTold) {
  StandIn player;
  player.WriteSettings(run.WinampIni());
  player.Start();
  run.Start();
  run.SaveEntry(L"Gone", L"C:\\gone.mp3", true);
  Execute(0);
  const std::wstring text = AnswerMessageBox(run.app().ProcessId(), L"Error ...", IDOK, 20000);
  EXPECT_TRUE(text.starts_with(L"Winamp Did Not Start Playing, Command not Executed!\nGone, due ")) << Ascii(text);
  EXPECT_NE(ReadFileText(run.Folder() / "history.tsv")
                .find("\tGone\tC:\\\\gone.mp3\tnot-playing\tWinamp Did Not Start Playing, Command not Executed!"),
            std::string::npos);
  EXPECT_EQ(ItemCount(run[ids::kSavedList]), 1) << "an entry to remove stays until it has played";
}

// A player too old for any of the newer questions is sent nothing new:
// only the version it is asked before each of them.
TEST_F(ExecTest, AnOldPlayerGetsTodaysSequence) {
  StandIn player(L"--version 0x2000 --position 3 --entry C:\\a.mp3");
  player.WriteSettings(run.WinampIni());
  player.Start();
  run.Start();
  run.SaveEntry(L"Old", L"C:\\old.mp3");
  Execute(0);
  std::vector<std::string> operations;
  WaitUntil([&] {
    operations.clear();
    for (const std::string& message : Exchange(player.Messages()))
      if (message != kVersion) operations.push_back(message);
    return !operations.empty() && operations.back() == "USER 3 121";
  }, 20000, "the resume");
  EXPECT_EQ(operations, (std::vector<std::string>{kGetPosition, kWrite, kClear, Add("C:\\old.mp3"), kPlay, kClear,
                                                  Add(player.Playlist().string()), "USER 3 121"}));
}

}  // namespace
}  // namespace cuelark::test
