// The player link against the stand-in player, where an execution does not
// reach: the version gates and their message boxes, the edges of what
// travels, where the player is started from, and a player that is missing,
// late or does not answer.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "scheduler/win/PlayerRemote.h"
#include "common/win32/Handles.h"
#include "common/win32/TextConversion.h"
#include "tests/win/player/BoxAnswerer.h"
#include "tools/player/StandInControl.h"

namespace cuelark::test {
namespace {

using standin::LoggedKind;
using standin::LoggedMessage;
using std::chrono::milliseconds;
using std::chrono::seconds;

PlayerLinkSettings Limits(milliseconds startWait, milliseconds reply) {
  PlayerLinkSettings settings;
  settings.startWait = startWait;
  settings.reply = reply;
  return settings;
}

const PlayerLinkSettings kLimits = Limits(seconds(20), seconds(5));
constexpr std::int32_t kMaxInt = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMinInt = std::numeric_limits<std::int32_t>::min();

std::vector<std::uint8_t> Bytes(std::string_view text) {
  std::vector<std::uint8_t> bytes(text.begin(), text.end());
  bytes.push_back(0);
  return bytes;
}

// UTF-16 in memory order, with the terminating zero.
std::vector<std::uint8_t> WideBytes(const std::wstring& text) {
  const auto* first = reinterpret_cast<const std::uint8_t*>(text.c_str());
  return std::vector<std::uint8_t>(first, first + (text.size() + 1) * sizeof(wchar_t));
}

std::wstring Quoted(const std::filesystem::path& path) { return L"\"" + path.wstring() + L"\""; }

std::string Utf8(const std::wstring& text) { return win32::WideToCodePage(CP_UTF8, text); }

// No ANSI code page but UTF-8 has the Tibetan letters.
const bool kAnsiIsUtf8 = GetACP() == CP_UTF8;
const std::wstring kTibetan = L"\u0F00";

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

TEST_F(PlayerRemoteTest, VersionGatesSendOrExplainInABoxOfTheCallersActiveWindow) {
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
  const win32::unique_hwnd owner(CreateWindowExW(0, L"STATIC", L"Player test owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                                 300, 120, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr));
  ASSERT_TRUE(owner);
  for (const Case& test : cases) {
    SCOPED_TRACE("version " + std::to_string(test.version));
    App player = LaunchStandIn(folder_.Path(), L"--position 7 --version " + std::to_wstring(test.version));
    // The player's start took the activation away.
    SetForegroundWindow(owner.get());
    SetActiveWindow(owner.get());
    ASSERT_EQ(GetActiveWindow(), owner.get());
    std::int32_t answer = -1;
    std::vector<BoxAnswerer::Box> boxes;
    {
      BoxAnswerer answerer;
      const PlayerStatus status = test.writePlayList ? WindowPlayer(kLimits).WritePlayList(answer)
                                                     : WindowPlayer(kLimits).SetPlayListPos(4);
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
    EXPECT_EQ(boxes[0].owner, owner.get());
  }
}

TEST_F(PlayerRemoteTest, CopyDataCarriesTheAnsiBytesAndTheirZero) {
  // An ordinary path travels in every execution; these are the edges.
  std::vector<std::pair<std::wstring, std::vector<std::uint8_t>>> cases = {{L"", Bytes("")}};
  if (GetACP() == 1252) {
    cases.push_back({L"C:\\Gr\u00FC\u00DFe\\Caf\u00E9.mp3", Bytes("C:\\Gr\xFC\xDF" "e\\Caf\xE9.mp3")});
  }
  InstallStandIn(folder_.Path());
  for (const auto& [text, bytes] : cases) {
    SCOPED_TRACE(testing::PrintToString(text));
    App player = LaunchStandIn(folder_.Path());
    EXPECT_EQ(WindowPlayer(kLimits).AddToPlayList(text), PlayerStatus::kOk);
    const std::vector<LoggedMessage> messages = StandInMessages(folder_.Path());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, LoggedKind::kCopyData);
    EXPECT_EQ(messages[0].dwData, 100u);
    EXPECT_EQ(messages[0].cbData, bytes.size());
    EXPECT_EQ(messages[0].data, bytes);
  }
}

TEST_F(PlayerRemoteTest, RefusesBeforeLookingForThePlayer) {
  // The player is findable, so a start would show.
  InstallStandIn(folder_.Path());
  const PathOverride path(folder_.Path().wstring());
  EXPECT_EQ(WindowPlayer(kLimits).PressButton(kMaxInt - 40044, 1), PlayerStatus::kTextRefused)
      << "above the 32-bit range";
  EXPECT_EQ(WindowPlayer(kLimits).PressButton(kMinInt, -40045), PlayerStatus::kTextRefused) << "below the 32-bit range";
  if (std::filesystem::exists(StandInLogPath(folder_.Path()))) {
    AdoptStandIn(folder_.Path()).Kill();
    ADD_FAILURE() << "the player was started";
  }
}

TEST_F(PlayerRemoteTest, WithoutPlayerOrProgramTheProceduresReportNotStartedAtOnce) {
  // A long bound: a procedure that waited for a player after a failed start
  // would be caught by the time check below. The chosen player is a folder,
  // which no start can run.
  PlayerLinkSettings longWait = Limits(seconds(60), seconds(5));
  longWait.chosenPlayer = [this] { return emptyFolder_.Path().wstring(); };
  const auto start = std::chrono::steady_clock::now();
  // The two ways a procedure reaches the player: straight, and after asking
  // its version.
  EXPECT_EQ(WindowPlayer(longWait).ClearPlayList(), PlayerStatus::kNotStarted);
  std::int32_t position = 0;
  EXPECT_EQ(WindowPlayer(longWait).WritePlayList(position), PlayerStatus::kNotStarted);
  EXPECT_LT(std::chrono::steady_clock::now() - start, seconds(30));
  EXPECT_EQ(FindWindowW(kWindowClass, nullptr), nullptr);
}

TEST_F(PlayerRemoteTest, AFileUnderThePlayersNameThatIsNoProgramIsReportedAsSuch) {
  std::ofstream(folder_.Path() / "Winamp.exe") << "not a program";
  const PathOverride path(folder_.Path().wstring());
  HWND window = nullptr;
  EXPECT_EQ(WindowPlayer(kLimits).FindPlayerWindow(window), PlayerStatus::kNotAProgram);
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
    PlayerLinkSettings settings = kLimits;
    settings.chosenPlayer = [&chosen] { return chosen.wstring(); };

    EXPECT_EQ(WindowPlayer(settings).ClearPlayList(), PlayerStatus::kOk);
    EXPECT_FALSE(std::filesystem::exists(StandInLogPath(other.Path()))) << "the other player started";
    ASSERT_TRUE(std::filesystem::exists(StandInLogPath(folder_.Path()))) << "the expected player did not start";
    App player = AdoptStandIn(folder_.Path());
    EXPECT_EQ(Exchange(StandInMessages(folder_.Path())), std::vector<std::string>{"USER 0 101"});
    const HWND window = player.MainWindow();
    EXPECT_TRUE(IsWindowVisible(window) && !IsIconic(window)) << "started as a normal window";
    player.Kill();
    std::filesystem::remove(StandInLogPath(folder_.Path()));
  }
}

TEST_F(PlayerRemoteTest, GivesUpWaitingForTheWindowAtTheBound) {
  InstallStandIn(folder_.Path(), L"--late-ms 4000");
  const PathOverride path(folder_.Path().wstring());
  const PlayerStatus status = WindowPlayer(Limits(milliseconds(500), seconds(5))).ClearPlayList();
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
  const PlayerStatus status = WindowPlayer(kLimits).FindPlayerWindow(window);
  MSG message{};
  const bool quitAgain = PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
  App player = AdoptStandIn(folder_.Path());
  player.Kill();
  EXPECT_EQ(status, PlayerStatus::kInterrupted);
  EXPECT_TRUE(quitAgain);
  EXPECT_EQ(message.wParam, 7u);
}

TEST_F(PlayerRemoteTest, AHungPlayerIsReportedWithinTheTimeLimit) {
  InstallStandIn(folder_.Path());
  // It answers the version query, then hangs on the request itself.
  App player = LaunchStandIn(folder_.Path(), L"--hang-after 1");
  const PlayerLinkSettings shortReply = Limits(seconds(20), milliseconds(1000));
  std::int32_t position = 0;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(WindowPlayer(shortReply).WritePlayList(position), PlayerStatus::kNotResponding);
  EXPECT_LT(std::chrono::steady_clock::now() - start, seconds(5));
  EXPECT_EQ(WindowPlayer(shortReply).WritePlayList(position), PlayerStatus::kNotResponding) << "still hung";
  const std::vector<LoggedMessage> messages = StandInMessages(folder_.Path());
  EXPECT_EQ(Exchange(messages), (std::vector<std::string>{"USER 0 0", "USER 0 120"}));
  ASSERT_FALSE(messages.empty());
  EXPECT_FALSE(messages.back().answer.has_value()) << "the last message is the one it hung on";
  player.Kill();
}

TEST_F(PlayerRemoteTest, PositionsAndButtonCommandsTravelWholeIn32Bits) {
  InstallStandIn(folder_.Path());
  for (const std::int32_t position : {32768, -5, kMaxInt}) {
    SCOPED_TRACE(position);
    App player = LaunchStandIn(folder_.Path(), L"--position " + std::to_wstring(position));
    std::int32_t written = 0;
    std::int32_t read = 0;
    EXPECT_EQ(WindowPlayer(kLimits).WritePlayList(written), PlayerStatus::kOk);
    EXPECT_EQ(WindowPlayer(kLimits).GetPlayListPos(read), PlayerStatus::kOk);
    EXPECT_EQ(WindowPlayer(kLimits).SetPlayListPos(position), PlayerStatus::kOk);
    EXPECT_EQ(written, position);
    EXPECT_EQ(read, position);
    EXPECT_EQ(Exchange(StandInMessages(folder_.Path())).back(), "USER " + std::to_string(position) + " 121");
  }
  // The command is the first button's plus button and offset, up to the top
  // of the range.
  App player = LaunchStandIn(folder_.Path());
  EXPECT_EQ(WindowPlayer(kLimits).PressButton(3, -2), PlayerStatus::kOk);
  EXPECT_EQ(WindowPlayer(kLimits).PressButton(kMaxInt - 40044, 0), PlayerStatus::kOk);
  EXPECT_EQ(Exchange(StandInMessages(folder_.Path())),
            (std::vector<std::string>{"COMMAND 40045 0", "COMMAND 2147483647 0"}));
}

TEST_F(PlayerRemoteTest, ThePlaylistFolderIsAskedWithTheQueriesTheVersionKnows) {
  const std::filesystem::path settings = folder_ / L"settings";
  const std::filesystem::path playlists = folder_ / L"playlists";
  const std::filesystem::path outsideAnsi = folder_ / (L"settings " + kTibetan);
  const std::wstring both = L" --ini-dir " + Quoted(settings) + L" --m3u-dir " + Quoted(playlists);
  struct Case {
    std::int32_t version;
    std::wstring folders;  // the stand-in's options
    std::vector<std::string> sent;
    std::optional<std::filesystem::path> folder;
    bool unicode;
  };
  std::vector<Case> cases = {
      {0x2000, both, {"USER 0 0"}, std::nullopt, false},
      {0x2900, both, {"USER 0 0", "USER 0 335"}, settings, false},
      {0x5011, both, {"USER 0 0", "USER 0 337"}, playlists, false},
      {0x5030, both, {"USER 0 0", "USER 0 338"}, playlists, true},
      {0x5058, L" --ini-dir " + Quoted(settings), {"USER 0 0", "USER 0 338"}, settings, true},
      // Every answer is an empty folder: each query in turn, then none.
      {0x5058, L"", {"USER 0 0", "USER 0 338", "USER 0 337", "USER 0 1335", "USER 0 335"}, std::nullopt, false},
  };
  if (!kAnsiIsUtf8) cases.push_back({0x5030, L" --ini-dir " + Quoted(outsideAnsi), {"USER 0 0", "USER 0 338"}, outsideAnsi, true});
  InstallStandIn(folder_.Path());
  for (const Case& test : cases) {
    SCOPED_TRACE("version " + std::to_string(test.version) + Utf8(test.folders));
    App player = LaunchStandIn(folder_.Path(), L"--version " + std::to_wstring(test.version) + test.folders);
    std::optional<PlaylistFolder> folder = PlaylistFolder{L"stale", true};
    EXPECT_EQ(WindowPlayer(kLimits).GetPlaylistFolder(folder), PlayerStatus::kOk);
    EXPECT_EQ(Exchange(StandInMessages(folder_.Path())), test.sent);
    ASSERT_EQ(folder.has_value(), test.folder.has_value());
    if (!folder) continue;
    EXPECT_EQ(folder->folder, test.folder->wstring());
    EXPECT_EQ(folder->unicode, test.unicode);
  }
}

TEST_F(PlayerRemoteTest, ANameTheCodePageCannotHoldTravelsInUtf16ToAPlayerThatReadsIt) {
  if (kAnsiIsUtf8) GTEST_SKIP() << "the ANSI code page holds every name";
  const std::wstring outside = L"C:\\Music\\" + kTibetan + L".mp3";
  struct Case {
    std::int32_t version;
    std::wstring entry;
    PlayerStatus status;
    std::vector<std::string> sent;
    std::vector<std::uint8_t> data;  // of the copy-data message, if any
  };
  const std::vector<Case> cases = {
      {0x5030, outside, PlayerStatus::kOk, {"USER 0 0", "COPYDATA 1100 " + Utf8(outside)}, WideBytes(outside)},
      // Unchanged: no version asked, the same bytes.
      {0x5030, L"C:\\Music\\a.mp3", PlayerStatus::kOk, {"COPYDATA 100 C:\\Music\\a.mp3"}, Bytes("C:\\Music\\a.mp3")},
      {0x5011, outside, PlayerStatus::kTextRefused, {"USER 0 0"}, {}},
  };
  InstallStandIn(folder_.Path());
  for (const Case& test : cases) {
    SCOPED_TRACE("version " + std::to_string(test.version) + " " + Utf8(test.entry));
    App player = LaunchStandIn(folder_.Path(), L"--version " + std::to_wstring(test.version));
    EXPECT_EQ(WindowPlayer(kLimits).AddToPlayList(test.entry), test.status);
    const std::vector<LoggedMessage> messages = StandInMessages(folder_.Path());
    EXPECT_EQ(Exchange(messages), test.sent);
    if (test.data.empty()) continue;
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.back().cbData, test.data.size());
    EXPECT_EQ(messages.back().data, test.data);
  }
}

TEST_F(PlayerRemoteTest, ListLengthAndPlayingStateAreAskedOnlyOfAVersionThatKnowsThem) {
  const std::filesystem::path song = folder_ / L"song.mp3";
  std::ofstream(song) << "audio";
  struct Case {
    const char* name;
    std::int32_t version;
    std::wstring entry;
    bool play;
    std::optional<std::int32_t> state;
    std::wstring options = L"";
  };
  const Case cases[] = {
      {"an existing file", 0x2900, song.wstring(), true, kPlaying},
      {"a missing file", 0x2900, (folder_ / L"gone.mp3").wstring(), true, 0},
      {"an address", 0x2900, L"http://radio.example/stream", true, kPlaying},
      {"before Play", 0x2900, song.wstring(), false, 0},
      {"not yet playing", 0x2900, song.wstring(), true, 0, L" --playing-after-ms 600000"},
      {"an old version", 0x2000, song.wstring(), true, std::nullopt},
  };
  InstallStandIn(folder_.Path());
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    App player = LaunchStandIn(folder_.Path(), L"--version " + std::to_wstring(test.version) + L" --entry " +
                                                   Quoted(test.entry) + L" --entry second" + test.options);
    if (test.play) {
      ASSERT_EQ(WindowPlayer(kLimits).PressButton(1, 0), PlayerStatus::kOk);
    }
    std::optional<std::int32_t> length = -1;
    std::optional<std::int32_t> state = -1;
    EXPECT_EQ(WindowPlayer(kLimits).GetListLength(length), PlayerStatus::kOk);
    EXPECT_EQ(WindowPlayer(kLimits).GetPlayingState(state), PlayerStatus::kOk);
    EXPECT_EQ(state, test.state);
    if (!test.state) {
      EXPECT_EQ(length, std::nullopt);
      EXPECT_EQ(Exchange(StandInMessages(folder_.Path())),
                (std::vector<std::string>{"COMMAND 40045 0", "USER 0 0", "USER 0 0"}));
      continue;
    }
    EXPECT_EQ(length, 2);
    // The entry goes on playing from an emptied list.
    ASSERT_EQ(WindowPlayer(kLimits).ClearPlayList(), PlayerStatus::kOk);
    EXPECT_EQ(WindowPlayer(kLimits).GetListLength(length), PlayerStatus::kOk);
    EXPECT_EQ(WindowPlayer(kLimits).GetPlayingState(state), PlayerStatus::kOk);
    EXPECT_EQ(length, 0);
    EXPECT_EQ(state, test.state);
  }
}

TEST_F(PlayerRemoteTest, ThePlayerWritesItsPlaylistFilesIntoItsFolder) {
  if (GetACP() != 1252) GTEST_SKIP() << "the expected bytes are those of code page 1252";
  const std::filesystem::path settings = folder_ / L"settings";
  std::filesystem::create_directory(settings);
  const std::wstring cafe = L"C:\\Caf\u00E9.mp3";
  const std::wstring outside = L"C:\\" + kTibetan + L".mp3";
  struct Case {
    std::int32_t version;
    std::optional<std::string> utf8;  // winamp.m3u8, if written
  };
  const Case cases[] = {
      {0x5030, "#EXTM3U\r\n" + Utf8(cafe) + "\r\n" + Utf8(outside) + "\r\n"},
      {0x5011, std::nullopt},
  };
  InstallStandIn(folder_.Path());
  for (const Case& test : cases) {
    SCOPED_TRACE("version " + std::to_string(test.version));
    std::filesystem::remove(settings / L"winamp.m3u8");
    App player = LaunchStandIn(folder_.Path(), L"--version " + std::to_wstring(test.version) + L" --ini-dir " +
                                                   Quoted(settings) + L" --entry " + Quoted(cafe) + L" --entry " +
                                                   Quoted(outside));
    std::int32_t position = 0;
    ASSERT_EQ(WindowPlayer(kLimits).WritePlayList(position), PlayerStatus::kOk);
    EXPECT_EQ(ReadFileText(settings / L"winamp.m3u"), "#EXTM3U\r\nC:\\Caf\xE9.mp3\r\nC:\\?.mp3\r\n");
    ASSERT_EQ(std::filesystem::exists(settings / L"winamp.m3u8"), test.utf8.has_value());
    if (test.utf8) {
      EXPECT_EQ(ReadFileText(settings / L"winamp.m3u8"), *test.utf8);
    }
    // Added back, the file the player reads best gives the same list.
    const std::filesystem::path written = settings / (test.utf8 ? L"winamp.m3u8" : L"winamp.m3u");
    const std::string before = ReadFileText(written);
    ASSERT_EQ(WindowPlayer(kLimits).ClearPlayList(), PlayerStatus::kOk);
    ASSERT_EQ(WindowPlayer(kLimits).AddToPlayList(written.wstring()), PlayerStatus::kOk);
    ASSERT_EQ(WindowPlayer(kLimits).WritePlayList(position), PlayerStatus::kOk);
    EXPECT_EQ(ReadFileText(written), before);
  }
}

}  // namespace
}  // namespace cuelark::test
