#include "scheduler/core/Executor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <stdexcept>
#include <vector>

#include "tests/core/FakePlayer.h"

namespace cuelark {
namespace {

const std::map<EntryId, std::wstring> kCommands = {{1, L"C:\\a.mp3"}, {2, L"C:\\b.mp3"}, {3, L"C:\\c.mp3"}};

ExecutionRequest RequestFor(EntryId id, LocalDateTime due = {}) {
  return {id, due, L"Entry " + std::to_wstring(id), kCommands.at(id), {}};
}

const StartedAt kStarted{{{2026, 12, 7}, {7, 0, 0}}, 125};

class FakeHost : public ExecutorHost {
 public:
  explicit FakeHost(Log& log) : log_(log) {}

  std::wstring playlistSetting = L"C:\\Player\\list.m3u";
  std::vector<std::wstring> missingFiles;
  std::vector<Failure> failures;
  std::function<void()> duringReport;
  std::function<void()> duringEnd;

  std::vector<bool> reached;  // whether each ended execution has its start time
  void ExecutionEnded(const ExecutionRequest& request, const ExecutionResult& result) override {
    reached.push_back(result.started.has_value());
    if (result.started) {
      EXPECT_EQ(*result.started, kStarted);
    }
    log_.push_back(L"Ended " + std::to_wstring(request.id) + L" " + StatusName(result.status));
    if (duringEnd) duringEnd();
  }
  void ArmResume() override { log_.push_back(L"ArmResume"); }
  void DisarmResume() override { log_.push_back(L"DisarmResume"); }
  bool timerAvailable = true;
  bool ArmPlayingCheck() override {
    log_.push_back(L"ArmPlayingCheck");
    return timerAvailable;
  }
  void DisarmPlayingCheck() override { log_.push_back(L"DisarmPlayingCheck"); }
  std::wstring PlaylistFile(const std::optional<PlaylistFolder>& fromPlayer) override {
    return fromPlayer ? fromPlayer->folder + L"\\winamp.m3u8" : playlistSetting;
  }
  bool CanReadPlaylist(const std::wstring& file) override {
    return std::find(missingFiles.begin(), missingFiles.end(), file) == missingFiles.end();
  }
  void ReportFailure(const Failure& failure) override {
    failures.push_back(failure);
    log_.push_back(L"ReportFailure " + StatusName(failure.status) + (failure.duringResume ? L" resume" : L""));
    if (duringReport) duringReport();
    log_.push_back(L"ReportFailure closed");
  }

 private:
  Log& log_;
};

const Log kFirstExecution = {L"GetPlayListPos",  L"WritePlayList",   L"GetPlaylistFolder",
                             L"ClearPlayList",   L"AddToPlayList C:\\a.mp3", L"GetListLength",
                             L"PressButton 1 0", L"ClearPlayList",   L"GetPlayingState",
                             L"ArmResume",       L"Ended 1 0"};
// An execution while a resume is pending keeps the first one's saved state.
const Log kLaterExecution = {L"ClearPlayList",   L"AddToPlayList C:\\b.mp3", L"GetListLength",
                             L"PressButton 1 0", L"ClearPlayList",            L"GetPlayingState",
                             L"ArmResume",       L"Ended 2 0"};
const Log kResume = {L"DisarmResume", L"AddToPlayList C:\\Player\\list.m3u", L"SetPlayListPos 5"};

Log Joined(std::initializer_list<Log> parts) {
  Log joined;
  for (const Log& part : parts) joined.insert(joined.end(), part.begin(), part.end());
  return joined;
}

class ExecutorTest : public testing::Test {
 protected:
  ExecutorTest() { player.position = 5; }

  Log log;
  FakePlayer player{log};
  FakeHost host{log};
  StartedAt clock = kStarted;
  std::function<StartedAt()> now = [this] { return clock; };

  void Advance(std::int64_t milliseconds) {
    const std::int64_t total = clock.millisecond + milliseconds;
    const std::int64_t seconds = total >= 0 ? total / 1000 : (total - 999) / 1000;
    clock = {FromSerialSecond(SerialSecond(clock.second) + seconds), static_cast<int>(total - seconds * 1000)};
  }
  bool Ended() const {
    return std::any_of(log.begin(), log.end(), [](const std::wstring& line) { return line.starts_with(L"Ended"); });
  }
  Executor executor{player, host, now};
};

TEST_F(ExecutorTest, AnExecutionAndItsResumeRestoreTheSavedPositionUnchanged) {
  executor.RequestExecute(RequestFor(1));
  EXPECT_EQ(log, kFirstExecution);
  EXPECT_EQ(executor.LastStarted()->name, L"Entry 1");

  player.position = 0;  // the command plays from an emptied playlist
  executor.RequestResume();
  EXPECT_EQ(log, Joined({kFirstExecution, kResume}));
  EXPECT_TRUE(host.failures.empty());
}

TEST_F(ExecutorTest, AFailedStepEndsTheSequenceAndItsStatusIsPassedOn) {
  struct Case {
    std::size_t failingStep;  // index into kFirstExecution
    PlayerStatus status;
    bool resumeArmed;  // the player's playlist had been saved
  };
  const Case kCases[] = {
      {0, PlayerStatus::kNotStarted, false},   {1, PlayerStatus::kNotResponding, false},
      {2, PlayerStatus::kWindowClosed, true},  {3, PlayerStatus::kNotResponding, true},
      {4, PlayerStatus::kTextRefused, true},   {5, PlayerStatus::kNotResponding, true},
      {6, PlayerStatus::kNotStarted, true},    {7, PlayerStatus::kNotResponding, true},
      {8, PlayerStatus::kWindowClosed, true},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(testing::Message() << "failing step " << c.failingStep);
    log.clear();
    host.failures.clear();
    player.statusAt = {{c.failingStep, c.status}};
    Executor caseExecutor(player, host, now);
    host.reached.clear();
    caseExecutor.RequestExecute(RequestFor(1));
    EXPECT_EQ(host.reached, std::vector<bool>{c.failingStep != 0}) << "a player never started got no message";

    Log expected(kFirstExecution.begin(), kFirstExecution.begin() + static_cast<std::ptrdiff_t>(c.failingStep) + 1);
    if (c.resumeArmed) expected.push_back(L"ArmResume");
    expected.push_back(L"Ended 1 " + StatusName(c.status));
    expected.push_back(L"ReportFailure " + StatusName(c.status));
    expected.push_back(L"ReportFailure closed");
    EXPECT_EQ(log, expected);
    ASSERT_EQ(host.failures.size(), 1u);
    EXPECT_FALSE(host.failures[0].duringResume);
    // Only a saved playlist is given back, at the position it had.
    player.statusAt.clear();
    caseExecutor.RequestResume();
    EXPECT_EQ(std::count(log.begin(), log.end(), L"SetPlayListPos 5"), c.resumeArmed ? 1 : 0);
  }
}

TEST_F(ExecutorTest, RequestsDuringAPlayerWaitRunAfterTheJobAndTheResumeRestoresTheFirstPlaylistOnce) {
  player.during[0] = [&] {
    executor.RequestExecute(RequestFor(2));
    executor.RequestResume();  // overtaken: the running execution restarts the timer
  };
  executor.RequestExecute(RequestFor(1));
  EXPECT_EQ(log, Joined({kFirstExecution, kLaterExecution}));

  executor.RequestResume();  // the restarted timer's tick
  executor.RequestResume();  // a stray second tick does nothing
  EXPECT_EQ(log, Joined({kFirstExecution, kLaterExecution, kResume}));
}

TEST_F(ExecutorTest, ARequestWhileAFailureIsReportedRunsAtOnce) {
  player.statusAt[0] = PlayerStatus::kNotStarted;
  host.duringReport = [&] {
    host.duringReport = nullptr;
    executor.RequestExecute(RequestFor(2));
  };
  executor.RequestExecute(RequestFor(1));
  Log entry2 = kFirstExecution;
  std::replace(entry2.begin(), entry2.end(), Log::value_type(L"AddToPlayList C:\\a.mp3"), Log::value_type(L"AddToPlayList C:\\b.mp3"));
  entry2.back() = L"Ended 2 0";
  const Log expected = Joined({{L"GetPlayListPos", L"Ended 1 " + StatusName(PlayerStatus::kNotStarted),
                                L"ReportFailure " + StatusName(PlayerStatus::kNotStarted)},
                               entry2,  // while the message box is up
                               {L"ReportFailure closed"}});
  EXPECT_EQ(log, expected);
}

TEST_F(ExecutorTest, AnEntryRemovedWhileItsJobWaitedIsSkipped) {
  player.during[0] = [&] {
    executor.RequestExecute(RequestFor(2));
    executor.DropQueued(2);  // the user removed it during the wait
  };
  executor.RequestExecute(RequestFor(1));
  EXPECT_EQ(log, kFirstExecution);
}

TEST_F(ExecutorTest, TheResumeSkipsAMissingPlaylistSettingButStillSetsThePosition) {
  host.playlistSetting = L"";
  executor.RequestExecute(RequestFor(1));
  executor.RequestResume();
  EXPECT_EQ(log, Joined({kFirstExecution, {L"DisarmResume", L"SetPlayListPos 5"}}));
}

TEST_F(ExecutorTest, AFailedResumeIsReportedAndNotRetried) {
  executor.RequestExecute(RequestFor(1));
  player.statusAt[kFirstExecution.size() + 1] = PlayerStatus::kNotStarted;  // adding the playlist
  executor.RequestResume();
  ASSERT_EQ(host.failures.size(), 1u);
  EXPECT_TRUE(host.failures[0].duringResume);
  EXPECT_EQ(host.failures[0].status, PlayerStatus::kNotStarted);
  const std::size_t before = log.size();
  executor.RequestResume();
  EXPECT_EQ(log.size(), before);
  EXPECT_EQ(std::count(log.begin(), log.end(), L"SetPlayListPos 5"), 0);
}

TEST_F(ExecutorTest, AtShutDownAPendingResumeRunsAtOnceWithoutStartingThePlayer) {
  executor.RequestExecute(RequestFor(1));
  log.clear();
  executor.Stop();
  EXPECT_EQ(log, kResume);
  EXPECT_TRUE(player.startsForbidden);
  EXPECT_TRUE(host.failures.empty()) << "nothing is reported at shut-down";
  executor.RequestResume();
  executor.RequestExecute(RequestFor(2));
  EXPECT_EQ(log, kResume);
}

TEST_F(ExecutorTest, ShutDownDuringAPlayerWaitEndsTheRunningAndTheQueuedExecutionsAsInterrupted) {
  // The user ends the program while the first execution's Play waits, with
  // the second queued; the player's playlist had been saved.
  player.during[6] = [&] {
    executor.RequestExecute(RequestFor(2));
    executor.Stop();
  };
  player.statusAt[6] = PlayerStatus::kInterrupted;
  executor.RequestExecute(RequestFor(1));
  const std::wstring interrupted = StatusName(PlayerStatus::kInterrupted);
  EXPECT_EQ(log, Joined({{kFirstExecution.begin(), kFirstExecution.begin() + 7},
                         {L"Ended 1 " + interrupted, L"Ended 2 " + interrupted},
                         kResume}));
  EXPECT_EQ(host.reached, (std::vector<bool>{true, false}));
  EXPECT_TRUE(host.failures.empty());
}

TEST_F(ExecutorTest, QueuedExecutionsDueTooLongAgoAreTakenOutAndTheOthersStillRun) {
  const LocalDateTime kNoon{{2026, 12, 7}, {12, 0, 0}};
  const auto at = [&](int second) { return FromSerialSecond(SerialSecond(kNoon) + second); };
  std::vector<ExecutionRequest> overdue;
  player.during[0] = [&] {
    executor.RequestExecute(RequestFor(2, at(10)));
    executor.RequestExecute(RequestFor(3, at(50)));
    overdue = executor.TakeQueuedDueBefore(at(30));
  };
  executor.RequestExecute(RequestFor(1, at(0)));
  ASSERT_EQ(overdue.size(), 1u);
  EXPECT_EQ(overdue[0].id, 2u);
  EXPECT_EQ(std::count(log.begin(), log.end(), L"AddToPlayList C:\\c.mp3"), 1);
  EXPECT_EQ(std::count(log.begin(), log.end(), L"AddToPlayList C:\\b.mp3"), 0);
}

TEST_F(ExecutorTest, AThrowingHostDoesNotLeaveTheExecutorBusy) {
  host.duringEnd = [] { throw std::runtime_error("store failed"); };
  EXPECT_THROW(executor.RequestExecute(RequestFor(1)), std::runtime_error);
  host.duringEnd = nullptr;
  log.clear();
  executor.RequestExecute(RequestFor(2));
  EXPECT_EQ(log, kLaterExecution);
}

TEST_F(ExecutorTest, PlayedOnlyOnceThePlayerReportsPlayingWithinTenSecondsOfTicks) {
  using State = std::optional<std::int32_t>;
  struct Case {
    const char* what;
    std::vector<State> states;  // the answers after Play, in turn
    std::int64_t firstGapMs;    // the clock's step before the first tick
    std::int64_t gapMs;         // and before each later one
    PlayerStatus status;
    int ticks;
  };
  const std::vector<State> never(300, State(0));
  const Case kCases[] = {
      {"at once", {}, 100, 100, PlayerStatus::kOk, 0},
      {"after two ticks", {0, 3, 1}, 100, 100, PlayerStatus::kOk, 2},
      {"a player that cannot tell", {0, std::nullopt}, 100, 100, PlayerStatus::kOk, 1},
      {"never", never, 100, 100, PlayerStatus::kNotPlaying, 100},
      {"a clock set back counts nothing", never, -3'600'000, 100, PlayerStatus::kNotPlaying, 101},
      {"a clock set forward counts a second", never, 3'600'000, 100, PlayerStatus::kNotPlaying, 91},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    log.clear();
    clock = kStarted;
    player.playingStates.assign(c.states.begin(), c.states.end());
    Executor caseExecutor(player, host, now);
    caseExecutor.RequestExecute(RequestFor(1));
    int ticks = 0;
    for (; !Ended() && ticks < 1000; ++ticks) {
      Advance(ticks == 0 ? c.firstGapMs : c.gapMs);
      caseExecutor.RequestPlayingCheck();
    }
    EXPECT_EQ(ticks, c.ticks);
    const auto ended = std::find(log.begin(), log.end(), L"Ended 1 " + StatusName(c.status));
    ASSERT_NE(ended, log.end());
    const std::size_t armed = std::count(log.begin(), log.end(), L"ArmPlayingCheck");
    EXPECT_EQ(armed, c.ticks > 0 ? 1u : 0u);
    EXPECT_EQ(std::count(log.begin(), log.end(), L"DisarmPlayingCheck"), static_cast<std::ptrdiff_t>(armed));
    // The resume follows the outcome, whatever it is.
    EXPECT_EQ(*(ended - 1), L"ArmResume");
    EXPECT_EQ(host.failures.size(), c.status == PlayerStatus::kOk ? 0u : 1u);
    host.failures.clear();
  }
}

TEST_F(ExecutorTest, WhileWaitingForPlayingOtherRequestsWaitAndShutDownEndsTheWait) {
  player.playingStates = {0, 0};
  executor.RequestExecute(RequestFor(1));
  executor.RequestExecute(RequestFor(2));
  executor.RequestResume();
  EXPECT_FALSE(Ended());
  EXPECT_EQ(log.back(), L"ArmPlayingCheck");
  executor.RequestPlayingCheck();  // still 0
  executor.RequestPlayingCheck();  // playing: entry 1 ends, then 2 runs; the early resume tick is overtaken
  Log expected = kFirstExecution;
  expected.insert(expected.begin() + 9, {L"ArmPlayingCheck", L"GetPlayingState", L"GetPlayingState",
                                         L"DisarmPlayingCheck"});
  EXPECT_EQ(log, Joined({expected, kLaterExecution}));

  log.clear();
  Executor stopping(player, host, now);
  player.playingStates = {0};
  stopping.RequestExecute(RequestFor(3));
  log.clear();
  stopping.Stop();
  EXPECT_EQ(log, Joined({{L"Ended 3 " + StatusName(PlayerStatus::kInterrupted), L"DisarmPlayingCheck"}, kResume}));
  stopping.RequestPlayingCheck();
  EXPECT_EQ(log.size(), 2 + kResume.size()) << "a tick after shut-down asks nothing";

  // Without a timer the execution ends at once rather than holding the queue.
  host.timerAvailable = false;
  Executor untimed(player, host, now);
  player.playingStates = {0};
  untimed.RequestExecute(RequestFor(1));
  untimed.RequestExecute(RequestFor(2));
  EXPECT_EQ(log.back(), L"Ended 2 0");
}

TEST_F(ExecutorTest, APlayerThatTookNothingRefusesTheTextBeforePlay) {
  struct Case {
    std::optional<std::int32_t> length;
    PlayerStatus status;
  };
  const Case kCases[] = {{0, PlayerStatus::kTextRefused}, {std::nullopt, PlayerStatus::kOk}, {20, PlayerStatus::kOk}};
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.length.value_or(-1));
    log.clear();
    player.listLength = c.length;
    Executor caseExecutor(player, host, now);
    caseExecutor.RequestExecute(RequestFor(1));
    EXPECT_EQ(std::count(log.begin(), log.end(), L"PressButton 1 0"), c.status == PlayerStatus::kOk ? 1 : 0);
    EXPECT_NE(std::find(log.begin(), log.end(), L"Ended 1 " + StatusName(c.status)), log.end());
  }
}

TEST_F(ExecutorTest, TheResumeAddsTheFileThePlayerWroteOrSaysItIsMissing) {
  player.playlistFolder = PlaylistFolder{L"C:\\Users\\Ann\\Winamp", true};
  const std::wstring written = L"C:\\Users\\Ann\\Winamp\\winamp.m3u8";
  executor.RequestExecute(RequestFor(1));
  // The player's answer counts as it was when the list was written.
  player.playlistFolder.reset();
  executor.RequestResume();
  EXPECT_EQ(log, Joined({kFirstExecution, {L"DisarmResume", L"AddToPlayList " + written, L"SetPlayListPos 5"}}));

  log.clear();
  host.missingFiles = {host.playlistSetting};
  executor.RequestExecute(RequestFor(2));
  executor.RequestResume();
  EXPECT_EQ(std::count(log.begin(), log.end(), L"AddToPlayList " + host.playlistSetting), 0);
  EXPECT_EQ(log.back(), L"ReportFailure closed");
  EXPECT_EQ(log[log.size() - 3], L"SetPlayListPos 5") << "the position is set back all the same";
  ASSERT_EQ(host.failures.size(), 1u);
  EXPECT_TRUE(host.failures[0].duringResume);
  EXPECT_EQ(host.failures[0].missingPlaylist, host.playlistSetting);
}

}  // namespace
}  // namespace cuelark
