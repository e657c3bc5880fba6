// The player link against the stand-in player: what each procedure sends,
// the version gates and their message boxes, the copy-data record, starting
// the player by its bare name, and a player that does not answer.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <fstream>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "scheduler/win/PlayerRemote.h"
#include "common/win32/Handles.h"
#include "tests/win/player/BoxAnswerer.h"
#include "tools/player/StandInControl.h"

namespace cuelark::test {
namespace {

namespace remote = cuelark::PlayerRemote;
using standin::LoggedKind;
using standin::LoggedMessage;
using std::chrono::milliseconds;
using std::chrono::seconds;

remote::Settings Limits(milliseconds startWait, milliseconds reply) {
  remote::Settings settings;
  settings.startWait = startWait;
  settings.reply = reply;
  return settings;
}

const remote::Settings kLimits = Limits(seconds(20), seconds(5));
constexpr std::int32_t kMaxInt = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMinInt = std::numeric_limits<std::int32_t>::min();

// One line per message, in the terms of the player's interface, so that a
// failure shows the whole exchange. Copy data is named by its record's
// dwData: its lParam is an address in the player.
std::vector<std::string> Exchange(const std::vector<LoggedMessage>& messages) {
  std::vector<std::string> lines;
  for (const LoggedMessage& message : messages) {
    const std::string head = message.kind == LoggedKind::kUser       ? "USER "
                             : message.kind == LoggedKind::kCommand ? "COMMAND "
                                                                     : "COPYDATA ";
    const std::int64_t last = message.kind == LoggedKind::kCopyData ? static_cast<std::int64_t>(message.dwData)
                                                                     : message.lParam;
    lines.push_back(head + std::to_string(message.wParam) + " " + std::to_string(last));
  }
  return lines;
}

std::vector<std::uint8_t> Bytes(std::string_view text) {
  std::vector<std::uint8_t> bytes(text.begin(), text.end());
  bytes.push_back(0);
  return bytes;
}

class PlayerRemoteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(FindWindowW(kWindowClass, nullptr), nullptr) << "a player window is already open; the tests would drive it";
  }

  TempFolder folder_;
  // Unless a test puts the stand-in on the search path, any start of
  // "Winamp.exe" fails, so a procedure that starts a player when one is
  // running gets caught.
  TempFolder emptyFolder_;
  PathOverride path_{emptyFolder_.Path().wstring()};
};

TEST_F(PlayerRemoteTest, EachProcedureSendsExactlyItsMessages) {
  struct Case {
    const char* name;
    std::function<PlayerStatus(std::int32_t& answer)> call;
    std::vector<std::string> sent;
    std::optional<std::int32_t> answer;
  };
  const std::vector<Case> cases = {
      {"ClearPlayList", [](std::int32_t&) { return remote::ClearPlayList(kLimits); }, {"USER 0 101"}, {}},
      {"GetPlayListPos asks with wParam 1",
       [](std::int32_t& answer) { return remote::GetPlayListPos(answer, kLimits); },
       {"USER 1 125"},
       7},
      {"WritePlayList asks the version first",
       [](std::int32_t& answer) { return remote::WritePlayList(answer, kLimits); },
       {"USER 0 0", "USER 0 120"},
       7},
      {"SetPlayListPos", [](std::int32_t&) { return remote::SetPlayListPos(3, kLimits); }, {"USER 0 0", "USER 3 121"}, {}},
      {"SetPlayListPos negative",
       [](std::int32_t&) { return remote::SetPlayListPos(-1, kLimits); },
       {"USER 0 0", "USER -1 121"},
       {}},
      {"PressButton 1, 0 is Play", [](std::int32_t&) { return remote::PressButton(1, 0, kLimits); }, {"COMMAND 40045 0"}, {}},
      {"PressButton adds button and offset",
       [](std::int32_t&) { return remote::PressButton(3, -2, kLimits); },
       {"COMMAND 40045 0"},
       {}},
      {"PressButton at the top of the range",
       [](std::int32_t&) { return remote::PressButton(kMaxInt - 40044, 0, kLimits); },
       {"COMMAND 2147483647 0"},
       {}},
      {"AddToPlayList", [](std::int32_t&) { return remote::AddToPlayList(L"C:\\a.mp3", kLimits); }, {"COPYDATA 0 100"}, {}},
  };
  InstallStandIn(folder_.Path());
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    App player = LaunchStandIn(folder_.Path(), L"--entry C:\\x.mp3 --position 7");
    std::int32_t answer = -1;
    EXPECT_EQ(test.call(answer), PlayerStatus::kOk);
    EXPECT_EQ(Exchange(StandInMessages(folder_.Path())), test.sent);
    if (test.answer) {
      EXPECT_EQ(answer, *test.answer);
    }
  }
}

TEST_F(PlayerRemoteTest, FindsARunningPlayerWithoutStartingOrSendingAnything) {
  InstallStandIn(folder_.Path());
  App player = LaunchStandIn(folder_.Path());
  HWND window = nullptr;
  EXPECT_EQ(remote::FindPlayerWindow(window, kLimits), PlayerStatus::kOk);
  EXPECT_EQ(window, player.MainWindow());
  EXPECT_TRUE(StandInMessages(folder_.Path()).empty());
}

TEST_F(PlayerRemoteTest, VersionGatesSendOrExplainInAMessageBox) {
  struct Case {
    std::int32_t version;
    bool writePlayList;  // else SetPlayListPos(4)
    std::vector<std::string> sent;
    std::wstring boxText;  // empty: no box
    std::int32_t answer;   // WritePlayList's
  };
  const std::vector<Case> cases = {
      {0x16B3, true, {"USER 0 0"}, L"WritePlayList is only available in Winamp v1.666 and above.", 0},
      {0x16B4, true, {"USER 0 0", "USER 0 120"}, L"", 7},
      {0x1FFF, false, {"USER 0 0"}, L"SetPlayListPos is only available in Winamp v2.0 and above.", 0},
      {0x2000, false, {"USER 0 0", "USER 4 121"}, L"", 0},
  };
  InstallStandIn(folder_.Path());
  for (const Case& test : cases) {
    SCOPED_TRACE("version " + std::to_string(test.version));
    App player = LaunchStandIn(folder_.Path(), L"--position 7 --version " + std::to_wstring(test.version));
    std::int32_t answer = -1;
    std::vector<BoxAnswerer::Box> boxes;
    {
      BoxAnswerer answerer;
      const PlayerStatus status = test.writePlayList ? remote::WritePlayList(answer, kLimits)
                                                     : remote::SetPlayListPos(4, kLimits);
      EXPECT_EQ(status, PlayerStatus::kOk);
      boxes = answerer.Boxes();
    }
    EXPECT_EQ(Exchange(StandInMessages(folder_.Path())), test.sent);
    if (test.writePlayList) {
      EXPECT_EQ(answer, test.answer);
    }
    if (test.boxText.empty()) {
      EXPECT_TRUE(boxes.empty());
      continue;
    }
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, test.boxText);
    EXPECT_EQ(boxes[0].buttonIds, std::vector<int>{IDOK});
    EXPECT_FALSE(boxes[0].showsIcon);
    EXPECT_EQ(boxes[0].owner, nullptr) << "this thread has no active window";
  }
}

TEST_F(PlayerRemoteTest, TooOldMessageBoxBelongsToTheCallersActiveWindow) {
  InstallStandIn(folder_.Path());
  App player = LaunchStandIn(folder_.Path(), L"--version 0x1FFF");
  const win32::unique_hwnd owner(CreateWindowExW(0, L"STATIC", L"Player test owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                          300, 120, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr));
  ASSERT_TRUE(owner);
  SetForegroundWindow(owner.get());
  SetActiveWindow(owner.get());
  ASSERT_EQ(GetActiveWindow(), owner.get());
  BoxAnswerer answerer;
  EXPECT_EQ(remote::SetPlayListPos(1, kLimits), PlayerStatus::kOk);
  const std::vector<BoxAnswerer::Box> boxes = answerer.Boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].owner, owner.get());
}

TEST_F(PlayerRemoteTest, CopyDataCarriesTheAnsiBytesAndTheirZero) {
  struct Case {
    const char* name;
    std::wstring text;
    std::vector<std::uint8_t> bytes;  // with the terminating zero
  };
  std::vector<Case> cases = {
      {"a 20-character path", L"C:\\Music\\track01.mp3", Bytes("C:\\Music\\track01.mp3")},
      {"an empty text", L"", Bytes("")},
  };
  if (GetACP() == 1252) {
    cases.push_back({"characters above 0x7F", L"C:\\Gr\u00FC\u00DFe\\Caf\u00E9.mp3", Bytes("C:\\Gr\xFC\xDF" "e\\Caf\xE9.mp3")});
  }
  InstallStandIn(folder_.Path());
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    App player = LaunchStandIn(folder_.Path());
    EXPECT_EQ(remote::AddToPlayList(test.text, kLimits), PlayerStatus::kOk);
    const std::vector<LoggedMessage> messages = StandInMessages(folder_.Path());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, LoggedKind::kCopyData);
    EXPECT_EQ(messages[0].dwData, 100u);
    EXPECT_EQ(messages[0].cbData, test.bytes.size());
    EXPECT_EQ(messages[0].data, test.bytes);
  }
  EXPECT_EQ(cases[0].bytes.size(), 21u) << "the path is meant to have 20 characters";
}

TEST_F(PlayerRemoteTest, RefusesBeforeLookingForThePlayer) {
  struct Case {
    const char* name;
    std::function<PlayerStatus()> call;
  };
  std::vector<Case> cases = {
      {"PressButton above the 32-bit range", [] { return remote::PressButton(kMaxInt - 40044, 1, kLimits); }},
      {"PressButton below the 32-bit range", [] { return remote::PressButton(kMinInt, -40045, kLimits); }},
  };
  if (GetACP() != CP_UTF8) {
    // No ANSI code page but UTF-8 has the Tibetan letters.
    cases.push_back({"text the code page cannot hold", [] { return remote::AddToPlayList(L"C:\\\u0F00.mp3", kLimits); }});
  }
  // The player is findable, so a start would show.
  InstallStandIn(folder_.Path());
  const PathOverride path(folder_.Path().wstring());
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    EXPECT_EQ(test.call(), PlayerStatus::kTextRefused);
    if (std::filesystem::exists(StandInLogPath(folder_.Path()))) {
      App started = AdoptStandIn(folder_.Path());
      ADD_FAILURE() << "the player was started";
      started.Kill();
      std::filesystem::remove(StandInLogPath(folder_.Path()));
    }
  }
}

TEST_F(PlayerRemoteTest, WithoutPlayerOrProgramEveryProcedureReportsNotStarted) {
  struct Case {
    const char* name;
    std::function<PlayerStatus()> call;
  };
  // A long bound: a procedure that waited for a player after a failed
  // start would be caught by the time check below. The chosen player is a
  // folder, which no start can run.
  remote::Settings longWait = Limits(seconds(60), seconds(5));
  longWait.chosenPlayer = [this] { return emptyFolder_.Path().wstring(); };
  const std::vector<Case> cases = {
      {"FindPlayerWindow", [&] { HWND window; return remote::FindPlayerWindow(window, longWait); }},
      {"AddToPlayList", [&] { return remote::AddToPlayList(L"C:\\a.mp3", longWait); }},
      {"ClearPlayList", [&] { return remote::ClearPlayList(longWait); }},
      {"WritePlayList", [&] { std::int32_t position; return remote::WritePlayList(position, longWait); }},
      {"SetPlayListPos", [&] { return remote::SetPlayListPos(1, longWait); }},
      {"GetPlayListPos", [&] { std::int32_t position; return remote::GetPlayListPos(position, longWait); }},
      {"PressButton", [&] { return remote::PressButton(1, 0, longWait); }},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(test.call(), PlayerStatus::kNotStarted);
    EXPECT_LT(std::chrono::steady_clock::now() - start, seconds(30));
    EXPECT_EQ(FindWindowW(kWindowClass, nullptr), nullptr);
  }
}

TEST_F(PlayerRemoteTest, AFileUnderThePlayersNameThatIsNoProgramIsReportedAsSuch) {
  std::ofstream(folder_.Path() / "Winamp.exe") << "not a program";
  const PathOverride path(folder_.Path().wstring());
  HWND window = nullptr;
  EXPECT_EQ(remote::FindPlayerWindow(window, kLimits), PlayerStatus::kNotAProgram);
}

int timerTicks = 0;
void CALLBACK CountTick(HWND, UINT, UINT_PTR, DWORD) { ++timerTicks; }

TEST_F(PlayerRemoteTest, StartsThePlayerByItsBareNameAndSendsOnceItsWindowExists) {
  InstallStandIn(folder_.Path(), L"--late-ms 1500");
  const PathOverride path(folder_.Path().wstring() + L";" + emptyFolder_.Path().wstring());
  timerTicks = 0;
  const UINT_PTR timer = SetTimer(nullptr, 0, 20, &CountTick);
  ASSERT_NE(timer, 0u);
  const PlayerStatus status = remote::ClearPlayList(kLimits);
  KillTimer(nullptr, timer);
  App player = AdoptStandIn(folder_.Path());

  EXPECT_EQ(status, PlayerStatus::kOk);
  const std::vector<LoggedMessage> log = standin::ReadStandInLog(StandInLogPath(folder_.Path()));
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[0].kind, LoggedKind::kStarted);
  EXPECT_EQ(log[1].kind, LoggedKind::kCreated);
  EXPECT_EQ(Exchange({log[2]}), std::vector<std::string>{"USER 0 101"});
  LARGE_INTEGER frequency{};
  QueryPerformanceFrequency(&frequency);
  EXPECT_GE(log[1].qpc - log[0].qpc, frequency.QuadPart * 3 / 2) << "the window came late, so the call waited";
  EXPECT_GT(timerTicks, 0) << "window events ran during the wait";
  const HWND window = player.MainWindow();
  EXPECT_TRUE(IsWindowVisible(window) && !IsIconic(window)) << "started as a normal window";
}

// Registers a program under a name in the shell's application paths for
// the length of a test.
class AppPathRegistration {
 public:
  AppPathRegistration(const std::wstring& name, const std::filesystem::path& program)
      : key_(L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\" + name) {
    const std::wstring value = program.wstring();
    registered_ = RegSetKeyValueW(HKEY_LOCAL_MACHINE, key_.c_str(), nullptr, REG_SZ, value.c_str(),
                                  static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
  }
  ~AppPathRegistration() { RegDeleteKeyW(HKEY_LOCAL_MACHINE, key_.c_str()); }
  AppPathRegistration(const AppPathRegistration&) = delete;
  AppPathRegistration& operator=(const AppPathRegistration&) = delete;
  bool Registered() const { return registered_; }

 private:
  std::wstring key_;
  bool registered_ = false;
};

TEST_F(PlayerRemoteTest, StartsThePlayerFromTheFirstPlaceThatHasIt) {
  // folder_ holds the player that should start; other the one that should not.
  TempFolder other;
  enum class Choice { kThis, kOther, kGone };
  struct Case {
    const char* name;
    bool onSearchPath;  // folder_ on PATH
    Choice chosen;
    bool appPath;  // folder_'s player registered with the shell
  };
  const Case cases[] = {
      {"the chosen player, found nowhere else", false, Choice::kThis, false},
      {"the bare name before the chosen player", true, Choice::kOther, false},
      {"the shell's application path when the chosen one is gone", false, Choice::kGone, true},
  };
  InstallStandIn(folder_.Path());
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    const std::filesystem::path chosen = test.chosen == Choice::kThis ? folder_ / L"Winamp.exe" : InstallStandIn(other.Path());
    if (test.chosen == Choice::kGone) std::filesystem::remove(chosen);
    std::optional<PathOverride> path;
    if (test.onSearchPath) path.emplace(folder_.Path().wstring());
    std::optional<AppPathRegistration> registration;
    if (test.appPath) {
      registration.emplace(L"Winamp.exe", folder_ / L"Winamp.exe");
      ASSERT_TRUE(registration->Registered());
    }
    remote::Settings settings = kLimits;
    settings.chosenPlayer = [&chosen] { return chosen.wstring(); };

    EXPECT_EQ(remote::ClearPlayList(settings), PlayerStatus::kOk);
    EXPECT_FALSE(std::filesystem::exists(StandInLogPath(other.Path()))) << "the other player started";
    ASSERT_TRUE(std::filesystem::exists(StandInLogPath(folder_.Path()))) << "the expected player did not start";
    App player = AdoptStandIn(folder_.Path());
    EXPECT_EQ(Exchange(StandInMessages(folder_.Path())), std::vector<std::string>{"USER 0 101"});
    player.Kill();
    std::filesystem::remove(StandInLogPath(folder_.Path()));
  }
}

TEST_F(PlayerRemoteTest, GivesUpWaitingForTheWindowAtTheBound) {
  InstallStandIn(folder_.Path(), L"--late-ms 4000");
  const PathOverride path(folder_.Path().wstring());
  const PlayerStatus status = remote::ClearPlayList(Limits(milliseconds(500), seconds(5)));
  const bool windowYet = FindWindowW(kWindowClass, nullptr) != nullptr;
  App player = AdoptStandIn(folder_.Path());
  player.Kill();
  EXPECT_EQ(status, PlayerStatus::kNotStarted);
  EXPECT_FALSE(windowYet) << "returned before the window came";
}

TEST_F(PlayerRemoteTest, QuitDuringTheWaitIsHandedBackToTheProgram) {
  InstallStandIn(folder_.Path(), L"--late-ms 1500");
  const PathOverride path(folder_.Path().wstring());
  PostQuitMessage(7);
  HWND window = nullptr;
  const PlayerStatus status = remote::FindPlayerWindow(window, kLimits);
  MSG message{};
  const bool quitAgain = PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
  App player = AdoptStandIn(folder_.Path());
  player.Kill();
  EXPECT_EQ(status, PlayerStatus::kInterrupted);
  EXPECT_TRUE(quitAgain);
  EXPECT_EQ(message.wParam, 7u);
}

TEST_F(PlayerRemoteTest, AHungPlayerIsReportedWithinTheTimeLimit) {
  struct Case {
    const char* name;
    int answered;  // messages the player answers before it hangs
    std::function<PlayerStatus(const remote::Settings&)> call;
    std::vector<std::string> sent;
  };
  const std::vector<Case> cases = {
      {"ClearPlayList", 0, [](const remote::Settings& limits) { return remote::ClearPlayList(limits); }, {"USER 0 101"}},
      {"AddToPlayList",
       0,
       [](const remote::Settings& limits) { return remote::AddToPlayList(L"C:\\a.mp3", limits); },
       {"COPYDATA 0 100"}},
      {"WritePlayList after the version query",
       1,
       [](const remote::Settings& limits) {
         std::int32_t position;
         return remote::WritePlayList(position, limits);
       },
       {"USER 0 0", "USER 0 120"}},
  };
  const remote::Settings kShortReply = Limits(seconds(20), milliseconds(1000));
  InstallStandIn(folder_.Path());
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    App player = LaunchStandIn(folder_.Path(), L"--hang-after " + std::to_wstring(test.answered));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(test.call(kShortReply), PlayerStatus::kNotResponding);
    EXPECT_LT(std::chrono::steady_clock::now() - start, seconds(5));
    EXPECT_EQ(test.call(kShortReply), PlayerStatus::kNotResponding) << "still hung";
    const std::vector<LoggedMessage> messages = StandInMessages(folder_.Path());
    EXPECT_EQ(Exchange({messages.begin(), messages.begin() + std::min(messages.size(), test.sent.size())}), test.sent);
    ASSERT_FALSE(messages.empty());
    EXPECT_FALSE(messages.back().answer.has_value()) << "the last message is the one it hung on";
    player.Kill();
  }
}

TEST_F(PlayerRemoteTest, PlaylistPositionsTravelWholeIn32Bits) {
  InstallStandIn(folder_.Path());
  for (const std::int32_t position : {0, 32767, 32768, 70000, -5, kMaxInt}) {
    SCOPED_TRACE(position);
    App player = LaunchStandIn(folder_.Path(), L"--position " + std::to_wstring(position));
    std::int32_t written = 0;
    std::int32_t read = 0;
    EXPECT_EQ(remote::WritePlayList(written, kLimits), PlayerStatus::kOk);
    EXPECT_EQ(remote::GetPlayListPos(read, kLimits), PlayerStatus::kOk);
    EXPECT_EQ(written, position);
    EXPECT_EQ(read, position);
  }
}

TEST_F(PlayerRemoteTest, AnExecutionAndItsResumeGiveThePlayerItsPlaylistBack) {
  InstallStandIn(folder_.Path());
  App standIn = LaunchStandIn(folder_.Path(), L"--entry C:\\one.mp3 --entry C:\\two.mp3 --entry C:\\three.mp3 --position 2");
  const std::filesystem::path playlistFile = folder_.Path() / L"Winamp.m3u";
  constexpr char kSaved[] = "#EXTM3U\r\nC:\\one.mp3\r\nC:\\two.mp3\r\nC:\\three.mp3\r\n";
  WindowPlayer player(kLimits);

  std::int32_t saved = -1;
  std::int32_t written = -1;
  ASSERT_EQ(player.GetPlayListPos(saved), PlayerStatus::kOk);
  ASSERT_EQ(player.WritePlayList(written), PlayerStatus::kOk);
  EXPECT_EQ(ReadFileText(playlistFile), kSaved);
  ASSERT_EQ(player.ClearPlayList(), PlayerStatus::kOk);
  ASSERT_EQ(player.AddToPlayList(L"C:\\cue.mp3"), PlayerStatus::kOk);
  ASSERT_EQ(player.PressButton(1, 0), PlayerStatus::kOk);
  ASSERT_EQ(player.ClearPlayList(), PlayerStatus::kOk);
  ASSERT_EQ(player.AddToPlayList(playlistFile.wstring()), PlayerStatus::kOk);
  ASSERT_EQ(player.SetPlayListPos(saved), PlayerStatus::kOk);

  EXPECT_EQ(saved, 2);
  EXPECT_EQ(Exchange(StandInMessages(folder_.Path())),
            (std::vector<std::string>{"USER 1 125", "USER 0 0", "USER 0 120", "USER 0 101", "COPYDATA 0 100",
                                      "COMMAND 40045 0", "USER 0 101", "COPYDATA 0 100", "USER 0 0", "USER 2 121"}));
  std::filesystem::remove(playlistFile);
  std::int32_t position = -1;
  ASSERT_EQ(player.WritePlayList(position), PlayerStatus::kOk);
  EXPECT_EQ(ReadFileText(playlistFile), kSaved) << "the playlist as it was before the execution";
  EXPECT_EQ(position, 2);
}

}  // namespace
}  // namespace cuelark::test
