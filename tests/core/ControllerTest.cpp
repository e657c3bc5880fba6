#include "scheduler/core/Controller.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "scheduler/core/DiskHistoryFiles.h"
#include "tests/core/EngineIniStore.h"
#include "tests/core/EnglishWeek.h"
#include "tests/core/FakePlayer.h"
#include "tests/core/StoreText.h"
#include "tests/core/WatchedFileStore.h"
#include "tests/engine/TempFolder.h"

namespace cuelark {
namespace {

using brevoni::testing::ReadBytes;
using brevoni::testing::TempFolder;
using brevoni::testing::WriteBytes;

// The view writes into the player's log, so a test sees what the user saw in
// the order it happened.
class FakeView : public ControllerView {
 public:
  explicit FakeView(Log& log) : log_(log) {}

  std::vector<UserMessage> messages;

  void RefreshList(std::size_t count) override { log_.push_back(L"RefreshList " + std::to_wstring(count)); }
  void RedrawRow(std::size_t index) override { log_.push_back(L"RedrawRow " + std::to_wstring(index)); }
  void ClearEditor() override { log_.push_back(L"ClearEditor"); }
  void Report(const UserMessage& message) override {
    messages.push_back(message);
    log_.push_back(L"Report " + message.title);
  }
  void ArmResumeTimer() override { log_.push_back(L"ArmResumeTimer"); }
  void DisarmResumeTimer() override { log_.push_back(L"DisarmResumeTimer"); }
  bool ArmPlayingCheckTimer() override {
    log_.push_back(L"ArmPlayingCheckTimer");
    return true;
  }
  void DisarmPlayingCheckTimer() override { log_.push_back(L"DisarmPlayingCheckTimer"); }
  void ShowNextFiring(const std::wstring& text) override { nextFiring = text; }
  void HistoryAdded(const std::vector<HistoryEvent>&) override {}
  void StartInputCheck(const InputCheckRequest& request) override {
    checks.push_back(request);
    log_.push_back(L"StartInputCheck " + request.name);
  }
  void Notify(const std::wstring& title, const std::wstring& text) override {
    log_.push_back(L"Notify " + title + L": " + text);
  }
  void SetWakeTimer(const std::optional<UtcInstant>& due) override {
    log_.push_back(due ? L"SetWakeTimer " + std::to_wstring(due->serial) : L"SetWakeTimer none");
  }
  void KeepAwake(bool keep) override { log_.push_back(keep ? L"KeepAwake" : L"LetSleep"); }

  std::vector<InputCheckRequest> checks;

  std::wstring nextFiring;

 private:
  Log& log_;
};

StoreStamp StampOf(const std::filesystem::path& file) {
  std::error_code error;
  const auto size = std::filesystem::file_size(file, error);
  if (error) return {};
  return {true, size,
          static_cast<std::int64_t>(std::filesystem::last_write_time(file, error).time_since_epoch().count())};
}

// 2026-12-07 is a Monday.
constexpr CivilDate kToday{2026, 12, 7};

// Entry n is due at 0n:00:00 every day.
std::string StoreWith(int count) {
  std::string entries;
  for (int n = 1; n <= count; ++n) {
    const std::string k = std::to_string(n);
    entries += test::EntryText(n, "Entry " + k, "C:\\m\\" + k + ".mp3", "EVERY DAY", "0" + k + ":00:00");
  }
  return test::StoreText(entries, count);
}

EditorFields Fields(std::wstring name, bool removeWhenDone = false) {
  return {std::move(name), L"C:\\m\\new.mp3", kToday, {12, 0, 0}, false, false, removeWhenDone};
}

std::vector<std::wstring> Summary(const std::vector<HistoryEvent>& events) {
  std::vector<std::wstring> lines;
  for (const HistoryEvent& event : events)
    lines.push_back(FormatDate(event.due.date) + L" " + FormatTime(event.due.time) + L" " + event.name + L" " +
                    std::wstring(OutcomeText(event.outcome)) + L" " + event.detail);
  return lines;
}

class ControllerTest : public testing::Test {
 protected:
  Controller& Start() {
    controller_.emplace(iniStore, player, playerSettings, historyFiles, view,
                        ControllerSettings{store.wstring(), test::kMondayFirst, lookups,
                                           [](const std::wstring& file) { return std::filesystem::exists(file); },
                                           folder.path(), [this] { return StartedAt{now, 250}; },
                                           [this] { return StampOf(store); },
                                           [this](const std::wstring& command) { return checkAtOnce(command); },
                                           // One hour east of UTC, all year.
                                           [this] { return UtcInstant{SerialSecond(now) - 3600}; },
                                           [](UtcInstant) { return 60; }});
    controller_->Load();
    return *controller_;
  }
  std::vector<std::wstring> Names() const {
    std::vector<std::wstring> names;
    for (const SavedCommand& entry : controller_->Entries()) names.push_back(entry.name);
    return names;
  }
  bool Logged(const std::wstring& line) const { return std::find(log.begin(), log.end(), line) != log.end(); }

  TempFolder folder;
  std::filesystem::path store = folder / "cue.ini";
  DiskHistoryFiles historyFiles;
  LocalDateTime now{kToday, {11, 0, 0}};
  WatchedFileStore files;
  EngineIniStore iniStore{files};
  PlayerSettings playerSettings{iniStore, (folder / "winamp.ini").wstring()};
  Log log;
  std::function<std::optional<std::wstring>(const std::wstring&)> checkAtOnce = [](const std::wstring&) {
    return std::optional<std::wstring>();
  };
  PlaylistLookups lookups{[](std::wstring_view) { return std::nullopt; }, [](int) { return std::nullopt; },
                          [](const std::wstring& file) { return std::filesystem::exists(file); }};
  FakePlayer player{log};
  FakeView view{log};
  std::optional<Controller> controller_;
};

TEST_F(ControllerTest, AStoreThatCannotBeReadIsReportedAndNoneOfItsEntriesIsEverLost) {
  // Whatever the user does while the file is held open by another program,
  // the file keeps its entries; once it can be read they join the list.
  const std::string kept = StoreWith(3);
  const std::function<void(Controller&)> kActions[] = {
      [](Controller& c) { c.OnSaveClicked(Fields(L"Typed")); },
      [](Controller& c) {
        c.OnSaveClicked(Fields(L"Typed"));
        c.OnEntryChecked(c.Entries().front().id, false);
      },
      [](Controller& c) {
        c.OnSaveClicked(Fields(L"Typed"));
        c.OnRemoveConfirmed(c.Entries().front().id);
      },
      [](Controller& c) { c.OnShutdown(TwipsPosition{100, 200}); },
  };
  for (std::size_t i = 0; i < std::size(kActions); ++i) {
    SCOPED_TRACE(i);
    WriteBytes(store, kept);
    files.failLoad = true;
    view.messages.clear();
    Controller& controller = Start();
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_NE(view.messages[0].text.find(store.wstring()), std::wstring::npos);
    EXPECT_NE(view.messages[0].text.find(L"being used by another process"), std::wstring::npos);
    EXPECT_TRUE(controller.Entries().empty());

    kActions[i](controller);
    EXPECT_EQ(ReadBytes(store), kept);
    EXPECT_GE(view.messages.size(), 2u) << "every refused write is reported";

    files.failLoad = false;
    controller.OnSaveClicked(Fields(L"After"));
    SavedCommandStore check(iniStore, store.wstring(), test::kMondayFirst);
    const std::vector<SavedCommand> onDisk = check.LoadSavedCommands().entries;
    ASSERT_GE(onDisk.size(), 3u);
    for (int n = 0; n < 3; ++n) EXPECT_EQ(onDisk[n].name, L"Entry " + std::to_wstring(n + 1));
  }
}

std::vector<std::wstring> NamesIn(EngineIniStore& iniStore, const std::filesystem::path& file) {
  std::vector<std::wstring> names;
  for (const SavedCommand& entry : SavedCommandStore(iniStore, file.wstring(), test::kMondayFirst).LoadSavedCommands().entries)
    names.push_back(entry.name);
  return names;
}

// Another program (an editor, a script through the INI control) may change
// the file at any time: its entries are never written over, and the user's
// action applies to what the file holds.
TEST_F(ControllerTest, AStoreChangedByAnotherProgramIsReadAgainBeforeEveryWrite) {
  const std::wstring kReadAgain = L"cue.ini was changed by another program and has been read again";
  const struct {
    const char* what;
    std::function<void(Controller&)> action;
    std::vector<std::wstring> names;
  } kCases[] = {
      {"save", [](Controller& c) { c.OnSaveClicked(Fields(L"Typed")); }, {L"Entry 1", L"Entry 2", L"Entry 3", L"Typed"}},
      {"removal", [](Controller& c) { c.OnRemoveConfirmed(c.Entries().front().id); }, {L"Entry 2", L"Entry 3"}},
      {"tick", [](Controller& c) { c.OnEntryChecked(c.Entries().front().id, false); },
       {L"Entry 1", L"Entry 2", L"Entry 3"}},
      {"idle", [](Controller& c) { c.OnStoreFolderChanged(); }, {L"Entry 1", L"Entry 2", L"Entry 3"}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.what);
    WriteBytes(store, StoreWith(1));
    view.messages.clear();
    Controller& controller = Start();
    WriteBytes(store, StoreWith(3));
    c.action(controller);
    EXPECT_EQ(Names(), c.names);
    if (std::string(c.what) != "idle") {
      EXPECT_EQ(NamesIn(iniStore, store), c.names);
    }
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0].text, kReadAgain);
  }
}

TEST_F(ControllerTest, AWriteThatFindsTheFileChangedSinceItsReadDoesNotOverwriteIt) {
  WriteBytes(store, StoreWith(1));
  Controller& controller = Start();
  // The other program writes just after the store's batch has read the file.
  files.afterLoad = [&] { WriteBytes(store, StoreWith(2)); };
  controller.OnSaveClicked(Fields(L"Typed"));
  EXPECT_EQ(NamesIn(iniStore, store), (std::vector<std::wstring>{L"Entry 1", L"Entry 2", L"Typed"}));
  EXPECT_EQ(Names(), (std::vector<std::wstring>{L"Entry 1", L"Entry 2", L"Typed"}));
}

TEST_F(ControllerTest, EntriesThatCanNeverFireAreMarkedAndKeepTheirTexts) {
  const struct {
    const char* day;
    const char* time;
    std::wstring shown;
  } kCases[] = {
      {"EVERY DAY", "07:05:00", L"EVERY DAY"},
      {"every day", "07:05:00", L"every day (never fires: the date/time text is not understood)"},
      {"31/12/2027", "07:05:00", L"31/12/2027 (never fires: the date/time text is not understood)"},
      {"EVERY DAY", "7:5:0", L"EVERY DAY (never fires: the date/time text is not understood)"},
  };
  std::string entries;
  for (int n = 1; n <= 4; ++n) entries += test::EntryText(n, "E", "C:\\e.mp3", kCases[n - 1].day, kCases[n - 1].time);
  WriteBytes(store, test::StoreText(entries, 4));
  Controller& controller = Start();
  ASSERT_EQ(controller.Entries().size(), 4u);
  for (std::size_t k = 0; k < 4; ++k) {
    EXPECT_EQ(controller.DayDateShown(controller.Entries()[k]), kCases[k].shown);
    EXPECT_EQ(controller.Entries()[k].startDate, std::wstring(kCases[k].day, kCases[k].day + std::strlen(kCases[k].day)));
  }
}

TEST_F(ControllerTest, TheClockPicksUpAStoreThatBecomesReadable) {
  WriteBytes(store, StoreWith(2));
  files.failLoad = true;
  Controller& controller = Start();
  controller.OnSaveClicked(Fields(L"Typed"));
  files.failLoad = false;
  controller.OnClockTick({kToday, {11, 59, 51}}, 60);
  EXPECT_EQ(Names(), (std::vector<std::wstring>{L"Typed"}));
  controller.OnClockTick({kToday, {11, 59, 50}}, 60);
  controller.OnClockTick({kToday, {12, 0, 0}}, 60);
  EXPECT_EQ(Names(), (std::vector<std::wstring>{L"Entry 1", L"Entry 2", L"Typed"}));
  EXPECT_EQ(std::count(log.begin(), log.end(), L"PressButton 1 0"), 1) << "the typed entry fired at 12:00:00";
}

TEST_F(ControllerTest, AnEntryToRemoveAfterExecutionStaysUntilItHasPlayed) {
  struct Case {
    PlayerStatus status;  // of the first player call
    bool removed;
  };
  const Case kCases[] = {{PlayerStatus::kOk, true},
                         {PlayerStatus::kNotStarted, false},
                         {PlayerStatus::kNotResponding, false},
                         {PlayerStatus::kTextRefused, false},
                         {PlayerStatus::kAccessDenied, false}};
  for (const Case& c : kCases) {
    SCOPED_TRACE(StatusName(c.status));
    std::filesystem::remove(store);
    Controller& controller = Start();
    controller.OnSaveClicked(Fields(L"Once", true));
    log.clear();
    player.statusAt[0] = c.status;
    controller.OnExecuteClicked(controller.Entries().front().id);
    EXPECT_EQ(controller.Entries().empty(), c.removed);
    SavedCommandStore check(iniStore, store.wstring(), test::kMondayFirst);
    EXPECT_EQ(check.LoadSavedCommands().entries.empty(), c.removed);
    EXPECT_EQ(Logged(L"Report Error ..."), !c.removed);
    player.statusAt.clear();
  }
}

TEST_F(ControllerTest, OnlyASaveOrARemovalTheUserAskedForClearsTheEditor) {
  Controller& controller = Start();
  controller.OnSaveClicked(Fields(L"Once", true));
  controller.OnSaveClicked(Fields(L"Keep"));
  EXPECT_EQ(std::count(log.begin(), log.end(), L"ClearEditor"), 2);

  log.clear();
  controller.OnExecuteClicked(controller.Entries().front().id);
  controller.OnEntryChecked(controller.Entries().front().id, false);
  EXPECT_EQ(Names(), std::vector<std::wstring>{L"Keep"});
  EXPECT_FALSE(Logged(L"ClearEditor"));

  controller.OnRemoveConfirmed(controller.Entries().front().id);
  EXPECT_TRUE(Logged(L"ClearEditor"));
}

TEST_F(ControllerTest, ShutDownDuringAPlayerWaitEndsEverythingAndWritesLast) {
  Controller& controller = Start();
  controller.OnSaveClicked(Fields(L"First", true));
  controller.OnSaveClicked(Fields(L"Second", true));
  const EntryId first = controller.Entries()[0].id;
  const EntryId second = controller.Entries()[1].id;
  log.clear();
  // The user ends the program while the first execution waits for a
  // starting player, with the second already queued.
  player.during[0] = [&] {
    controller.OnExecuteClicked(second);
    controller.OnShutdown(TwipsPosition{100, 200});
  };
  player.statusAt[0] = PlayerStatus::kInterrupted;
  controller.OnExecuteClicked(first);
  const std::string atShutDown = ReadBytes(store);
  controller.OnResumeTick();
  controller.OnClockTick({kToday, {12, 0, 0}}, 60);
  controller.OnSaveClicked(Fields(L"Late"));

  EXPECT_EQ(log, (Log{L"GetPlayListPos", L"DisarmResumeTimer"}));
  EXPECT_TRUE(view.messages.empty());
  // Both attempts are in the history, before the run's end.
  const std::string history = ReadBytes(folder / "history.tsv");
  const std::size_t stopped = history.find("\tstopped\t");
  EXPECT_LT(history.find("\tFirst\tC:\\\\m\\\\new.mp3\tinterrupted\tCuelark Is Ending"), stopped) << history;
  EXPECT_LT(history.find("\tSecond\tC:\\\\m\\\\new.mp3\tinterrupted\t"), stopped) << history;
  EXPECT_EQ(ReadBytes(store), atShutDown);
  EXPECT_NE(atShutDown.find("Left=100"), std::string::npos);
  SavedCommandStore check(iniStore, store.wstring(), test::kMondayFirst);
  EXPECT_EQ(check.LoadSavedCommands().entries.size(), 2u);
}

TEST_F(ControllerTest, ClosingWhileAResumeIsPendingGivesThePlayerItsPlaylistBackFirst) {
  Controller& controller = Start();
  controller.OnSaveClicked(Fields(L"Keep"));
  player.position = 4;
  controller.OnExecuteClicked(controller.Entries().front().id);
  log.clear();
  controller.OnShutdown(std::nullopt);
  // No player settings were saved, so only the position is set back.
  EXPECT_EQ(log, (Log{L"DisarmResumeTimer", L"SetPlayListPos 4", L"DisarmResumeTimer"}));
  EXPECT_TRUE(player.startsForbidden);
}

TEST_F(ControllerTest, FailureBoxesNameTheEntryAndItsDueSecond) {
  Controller& controller = Start();
  controller.OnSaveClicked(Fields(L"Noon"));
  player.statusAt[log.size()] = PlayerStatus::kNotStarted;
  controller.OnClockTick({kToday, {11, 59, 59}}, 60);
  controller.OnClockTick({kToday, {12, 0, 0}}, 60);
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_EQ(view.messages[0], (UserMessage{L"Winamp Is Not Started, Command not Executed!", L"Error ...",
                                           Severity::kStop, L"Noon, due 2026-12-07 12:00:00"}));
}

TEST_F(ControllerTest, AnEntryThePlayerNeverPlaysIsToldAndKeptAndItsPlaylistStillComesBack) {
  Controller& controller = Start();
  controller.OnSaveClicked(Fields(L"Silent", true));
  WriteBytes(folder / "list.m3u", "C:\\m\\own.mp3\r\n");
  ASSERT_TRUE(playerSettings.Write(L"C:\\Player\\winamp.exe", (folder / "list.m3u").wstring()).ok);
  player.playingStates.assign(200, 0);
  controller.OnExecuteClicked(controller.Entries().front().id);
  EXPECT_TRUE(Logged(L"ArmPlayingCheckTimer"));
  EXPECT_TRUE(view.messages.empty()) << "nothing is told while the player may still start";
  for (int tick = 0; tick < 10 && view.messages.empty(); ++tick) {
    now = FromSerialSecond(SerialSecond(now) + 1);
    controller.OnPlayingCheckTick();
  }
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_EQ(view.messages[0].text, L"Winamp Did Not Start Playing, Command not Executed!");
  EXPECT_TRUE(Logged(L"DisarmPlayingCheckTimer"));
  const HistoryEvent last = controller.HistoryNewestFirst().front();
  EXPECT_EQ(last.outcome, Outcome::kNotPlaying);
  EXPECT_EQ(last.detail, view.messages[0].text);
  EXPECT_EQ(controller.Entries().size(), 1u) << "an entry meant to run once stays until it has played";
  controller.OnResumeTick();
  EXPECT_EQ(log.back(), L"SetPlayListPos 0");
  EXPECT_TRUE(Logged(L"AddToPlayList " + (folder / "list.m3u").wstring()));
}

TEST_F(ControllerTest, StartedIsEmptyWhenNoMessageReachedThePlayer) {
  Controller& controller = Start();
  controller.OnSaveClicked(Fields(L"Keep"));
  const struct {
    std::size_t failingCall;  // counted from the execution's first player call
    bool started;
  } kCases[] = {{0, false}, {1, true}};
  for (const auto& c : kCases) {
    player.statusAt[log.size() + c.failingCall] =
        c.failingCall == 0 ? PlayerStatus::kNotStarted : PlayerStatus::kNotResponding;
    controller.OnExecuteClicked(controller.Entries().front().id);
    EXPECT_EQ(controller.HistoryNewestFirst().front().started.has_value(), c.started);
    controller.OnResumeTick();
  }
}

TEST_F(ControllerTest, AHistoryThatCannotBeWrittenIsToldOnceForEachStreakOfFailures) {
  Controller& controller = Start();
  controller.OnSaveClicked(Fields(L"Keep"));
  const std::filesystem::path history = folder / "history.tsv";
  const auto historyBlocked = [&](bool blocked) {
    std::filesystem::remove_all(history);
    if (blocked) std::filesystem::create_directory(history);  // no file can be opened there
  };
  const auto execute = [&] {
    controller.OnExecuteClicked(controller.Entries().front().id);
    controller.OnResumeTick();
  };
  const auto historyBoxes = [&] {
    return std::count_if(view.messages.begin(), view.messages.end(), [](const UserMessage& message) {
      return message.text.find(L"history could not be written") != std::wstring::npos;
    });
  };
  historyBlocked(true);
  execute();
  execute();
  EXPECT_EQ(historyBoxes(), 1);
  historyBlocked(false);
  execute();
  historyBlocked(true);
  execute();
  EXPECT_EQ(historyBoxes(), 2) << "told again after writing had worked";
  historyBlocked(false);
}

TEST_F(ControllerTest, ExecutionsQueuedBehindASlowStartAreNotedMissedAfterTheirMinute) {
  WriteBytes(store, test::StoreText(test::EntryText(1, "A", "C:\\a.mp3", "EVERY DAY", "12:00:00") +
                                        test::EntryText(2, "B", "C:\\b.mp3", "EVERY DAY", "12:00:10"),
                                    2));
  Controller& controller = Start();
  controller.OnClockTick({kToday, {11, 59, 59}}, 60);
  // A's first player call waits for a player that never comes; the clock
  // ticks on meanwhile, as window events run during the wait.
  player.during[log.size()] = [&] {
    for (int second = 1; second <= 75; ++second) controller.OnClockTick({kToday, {12, 0, second}}, 60);
  };
  player.statusAt[log.size()] = PlayerStatus::kNotStarted;
  controller.OnClockTick({kToday, {12, 0, 0}}, 60);
  EXPECT_EQ(Summary(controller.HistoryNewestFirst()),
            (std::vector<std::wstring>{
                L"2026-12-07 12:00:00 A not-started Winamp Is Not Started, Command not Executed!",
                L"2026-12-07 12:00:10 B missed waited over a minute",
            }));
  EXPECT_FALSE(Logged(L"AddToPlayList C:\\b.mp3"));
}

TEST_F(ControllerTest, SaveBuildsTheEntryFromTheEditorInAnyScript) {
  struct Case {
    bool weekly, everyDay;
    std::wstring day;
  };
  const Case kCases[] = {
      {false, false, L"2026-12-07"}, {true, false, L"MONDAY"}, {false, true, L"EVERY DAY"}, {true, true, L"EVERY DAY"}};
  Controller& controller = Start();
  for (const Case& c : kCases) {
    EditorFields fields = Fields(L"Entry");
    fields.weekly = c.weekly;
    fields.everyDay = c.everyDay;
    fields.time = {7, 5, 9};
    controller.OnSaveClicked(fields);
    EXPECT_EQ(controller.Entries().back().startDate, c.day);
    EXPECT_EQ(controller.Entries().back().startTime, L"07:05:09");
    EXPECT_TRUE(controller.Entries().back().isChecked);
  }
  EXPECT_EQ(ReadBytes(store).front(), '[') << "a store the code page holds stays in it";
  EditorFields wide = Fields(L"\u4e2d\u6587 name");
  wide.command = L"C:\\\u97f3\u697d\\\ud55c.mp3";
  controller.OnSaveClicked(wide);
  EXPECT_TRUE(view.messages.empty());
  EXPECT_EQ(ReadBytes(store).substr(0, 3), "\xEF\xBB\xBF");
  SavedCommandStore check(iniStore, store.wstring(), test::kMondayFirst);
  const std::vector<SavedCommand> saved = check.LoadSavedCommands().entries;
  ASSERT_EQ(saved.size(), 5u);
  EXPECT_EQ(saved.back().name, wide.name);
  EXPECT_EQ(saved.back().command, wide.command);
}

TEST_F(ControllerTest, DueEntriesFireThroughTheClockAndTicksAreSavedAtOnce) {
  WriteBytes(store, StoreWith(2));  // due at 01:00:00 and 02:00:00 every day
  Controller& controller = Start();
  controller.OnEntryChecked(controller.Entries()[1].id, false);
  SavedCommandStore check(iniStore, store.wstring(), test::kMondayFirst);
  EXPECT_FALSE(check.LoadSavedCommands().entries[1].isChecked);
  EXPECT_TRUE(Logged(L"RedrawRow 1"));

  controller.OnClockTick({kToday, {0, 59, 59}}, 60);
  controller.OnClockTick({kToday, {1, 0, 0}}, 60);
  controller.OnClockTick({kToday, {2, 0, 0}}, 60);
  EXPECT_EQ(std::count(log.begin(), log.end(), L"AddToPlayList C:\\m\\1.mp3"), 1);
  EXPECT_FALSE(Logged(L"AddToPlayList C:\\m\\2.mp3"));
  EXPECT_TRUE(Logged(L"ArmResumeTimer"));
}


TEST_F(ControllerTest, TheHistoryTellsWhatPlayedWhatFailedAndWhatWasMissedAndWhy) {
  WriteBytes(store, StoreWith(3));  // due at 01:00:00, 02:00:00 and 03:00:00 every day
  now = {kToday, {0, 59, 58}};
  Controller& first = Start();
  first.OnClockTick(now, 60);
  first.OnClockTick({kToday, {1, 0, 0}}, 60);
  now = {kToday, {1, 30, 0}};
  player.statusAt[log.size()] = PlayerStatus::kNotStarted;
  first.OnExecuteClicked(first.Entries()[1].id);
  first.OnShutdown(std::nullopt);
  controller_.reset();

  // The next run starts after 02:00 and 03:00 have passed; 03:00 is inside
  // the minute the first tick catches up on.
  now = {kToday, {3, 0, 30}};
  Controller& second = Start();
  EXPECT_EQ(view.nextFiring, L"Cuelark: next Entry 3 today 03:00:00") << "02:00 is missed, not next";
  second.OnClockTick(now, 60);
  // The computer sleeps through the next day's 01:00.
  second.OnResumedFromSleep();
  second.OnClockTick({{2026, 12, 8}, {1, 30, 0}}, 60);

  EXPECT_EQ(Summary(second.HistoryNewestFirst()),
            (std::vector<std::wstring>{
                L"2026-12-08 01:00:00 Entry 1 missed computer asleep",
                L"2026-12-07 03:00:00 Entry 3 played ",
                L"2026-12-07 02:00:00 Entry 2 missed program not running",
                L"2026-12-07 01:30:00 Entry 2 not-started Winamp Is Not Started, Command not Executed!",
                L"2026-12-07 01:00:00 Entry 1 played ",
            }));
  const std::vector<HistoryEvent> events = second.HistoryNewestFirst();
  EXPECT_EQ(events.back().started, (StartedAt{{kToday, {0, 59, 58}}, 250}));
  EXPECT_FALSE(events[2].started.has_value());
}

TEST_F(ControllerTest, AnEntryInTheHourASpringChangeSkipsFiresOnceRightAfterIt) {
  // Berlin, last Sunday of March: 02:00 local becomes 03:00.
  WriteBytes(store, test::StoreText(test::EntryText(1, "Spring", "C:\\s.mp3", "EVERY DAY", "02:30:00"), 1));
  constexpr CivilDate kSpring{2027, 3, 28};
  now = {kSpring, {1, 59, 59}};
  Controller& controller = Start();
  controller.OnClockTick(now, 60);
  controller.OnClockTick({kSpring, {3, 0, 0}}, 120);
  controller.OnClockTick({kSpring, {3, 0, 1}}, 120);
  EXPECT_EQ(std::count(log.begin(), log.end(), L"PressButton 1 0"), 1);
  EXPECT_EQ(Summary(controller.HistoryNewestFirst()),
            std::vector<std::wstring>{L"2027-03-28 02:30:00 Spring played daylight saving"});
}

TEST_F(ControllerTest, TheTrayTipFollowsTheListTheTicksAndTheFirings) {
  now = {kToday, {11, 0, 0}};
  Controller& controller = Start();
  EXPECT_EQ(view.nextFiring, L"Cuelark: nothing scheduled");
  controller.OnSaveClicked(Fields(L"Noon"));  // today 12:00:00
  EXPECT_EQ(view.nextFiring, L"Cuelark: next Noon today 12:00:00");
  EditorFields daily = Fields(L"Daily");
  daily.everyDay = true;
  daily.time = {11, 30, 0};
  controller.OnSaveClicked(daily);
  EXPECT_EQ(view.nextFiring, L"Cuelark: next Daily today 11:30:00");
  controller.OnEntryChecked(controller.Entries()[1].id, false);
  EXPECT_EQ(view.nextFiring, L"Cuelark: next Noon today 12:00:00");
  controller.OnEntryChecked(controller.Entries()[1].id, true);
  controller.OnClockTick({kToday, {11, 30, 0}}, 60);
  EXPECT_EQ(view.nextFiring, L"Cuelark: next Noon today 12:00:00");
  controller.OnClockTick({kToday, {12, 0, 0}}, 60);
  EXPECT_EQ(view.nextFiring, L"Cuelark: next Daily tomorrow 11:30:00");
}

// Entry 1 of StoreWith fires at 01:00:00; the ticks run up to `last`.
void TickUntil(Controller& controller, LocalDateTime& now, const LocalDateTime& last) {
  for (; SerialSecond(now) <= SerialSecond(last); now = FromSerialSecond(SerialSecond(now) + 1))
    controller.OnClockTick(now, 60);
}

TEST_F(ControllerTest, InputsAreCheckedFiveMinutesAheadOnceAndAFailureIsWrittenAndShown) {
  WriteBytes(store, StoreWith(1));
  now = {kToday, {0, 54, 58}};
  Controller& controller = Start();
  ASSERT_TRUE(controller.SaveOptions({false, false, true, L""}).ok);
  TickUntil(controller, now, {kToday, {0, 54, 59}});
  EXPECT_TRUE(view.checks.empty());
  TickUntil(controller, now, {kToday, {0, 56, 0}});
  ASSERT_EQ(view.checks.size(), 1u) << "checked once, when it came within five minutes";
  const InputCheckRequest& asked = view.checks[0];
  EXPECT_EQ(asked.command, L"C:\\m\\1.mp3");
  EXPECT_EQ(asked.due, (LocalDateTime{kToday, {1, 0, 0}}));

  controller.OnInputChecked({asked.id, asked.due, asked.name, asked.command, std::nullopt});
  controller.OnInputChecked({asked.id, asked.due, asked.name, asked.command, L"C:\\m\\1.mp3 was not found"});
  EXPECT_EQ(std::count_if(log.begin(), log.end(), [](const std::wstring& line) { return line.starts_with(L"Notify"); }), 1);
  EXPECT_TRUE(Logged(L"Notify Entry 1: C:\\m\\1.mp3 was not found"));
  EXPECT_EQ(Summary(controller.HistoryNewestFirst()).front(),
            L"2026-12-07 01:00:00 Entry 1 check-failed C:\\m\\1.mp3 was not found");
  // The options are kept in the store through its rewrites.
  controller.OnSaveClicked(Fields(L"Later"));
  EXPECT_EQ(OptionsStore(iniStore, store.wstring()).Read(), (Options{false, false, true, L""}));
}

TEST_F(ControllerTest, AnInputThatCannotPlayIsFollowedByTheFallbackOnlyWhenOneIsSet) {
  struct Case {
    const char* what;
    std::wstring fallback;
    bool missingAtDueSecond;
    int notPlayingLooks;  // "not playing" answers before the player plays
    std::vector<std::wstring> history;  // newest first
  };
  const std::wstring checkFailed = L"2026-12-07 01:00:00 Entry 1 check-failed gone";
  const std::wstring fallbackPlayed = L"2026-12-07 01:00:00 Entry 1 played fallback";
  const std::wstring notPlaying =
      L"2026-12-07 01:00:00 Entry 1 not-playing Winamp Did Not Start Playing, Command not Executed!";
  const Case kCases[] = {
      {"missing, no fallback: played as always", L"", true, 0,
       {L"2026-12-07 01:00:00 Entry 1 played ", checkFailed}},
      {"missing at the due second", L"C:\\fallback.mp3", true, 0, {fallbackPlayed, checkFailed}},
      {"not playing", L"C:\\fallback.mp3", false, 11, {fallbackPlayed, notPlaying}},
      {"the fallback does not play either", L"C:\\fallback.mp3", false, 30,
       {L"2026-12-07 01:00:00 Entry 1 not-playing Winamp Did Not Start Playing, Command not Executed!", notPlaying}},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    controller_.reset();
    std::filesystem::remove(folder / "history.tsv");
    WriteBytes(store, StoreWith(1));
    now = {kToday, {0, 59, 59}};
    int checked = 0;
    checkAtOnce = [&](const std::wstring&) {
      ++checked;
      return c.missingAtDueSecond ? std::optional<std::wstring>(L"gone") : std::nullopt;
    };
    player.playingStates.assign(static_cast<std::size_t>(c.notPlayingLooks), 0);
    Controller& controller = Start();
    ASSERT_TRUE(controller.SaveOptions({false, false, true, c.fallback}).ok);
    TickUntil(controller, now, {kToday, {1, 0, 0}});
    for (int tick = 0; tick < 30; ++tick) {
      now = FromSerialSecond(SerialSecond(now) + 1);
      controller.OnPlayingCheckTick();
    }
    EXPECT_EQ(checked, 1);
    std::vector<std::wstring> lines;
    for (const std::wstring& line : Summary(controller.HistoryNewestFirst()))
      if (line.find(L" Entry 1 ") != std::wstring::npos) lines.push_back(line);
    EXPECT_EQ(lines, c.history);
  }
}

TEST_F(ControllerTest, TheWakeTimerFollowsTheNextFiringAndTheWakeKeepsTheComputerUpUntilTheResume) {
  WriteBytes(store, StoreWith(1));  // 01:00:00 local, one hour east of UTC
  now = {kToday, {0, 50, 0}};
  Controller& controller = Start();
  const auto wakeLines = [&] {
    std::vector<std::wstring> lines;
    for (const std::wstring& line : log)
      if (line.starts_with(L"SetWakeTimer") || line == L"KeepAwake" || line == L"LetSleep") lines.push_back(line);
    return lines;
  };
  controller.OnClockTick(now, 60);
  EXPECT_TRUE(wakeLines().empty()) << "waking is off";
  ASSERT_TRUE(controller.SaveOptions({false, true, false, L""}).ok);
  TickUntil(controller, now, {kToday, {0, 50, 2}});
  const std::int64_t due = SerialSecond({kToday, {1, 0, 0}}) - 3600 - 60;
  EXPECT_EQ(wakeLines(), (std::vector<std::wstring>{L"SetWakeTimer " + std::to_wstring(due)}));

  TickUntil(controller, now, {kToday, {0, 59, 0}});
  controller.OnWakeTimerSignalled();  // a minute ahead, as set
  TickUntil(controller, now, {kToday, {1, 0, 0}});
  controller.OnResumeTick();
  TickUntil(controller, now, {kToday, {1, 0, 1}});
  const std::int64_t tomorrow = due + 86400;
  EXPECT_EQ(wakeLines(), (std::vector<std::wstring>{L"SetWakeTimer " + std::to_wstring(due), L"KeepAwake",
                                                    L"SetWakeTimer " + std::to_wstring(tomorrow), L"LetSleep"}));
  ASSERT_TRUE(controller.SaveOptions({false, false, false, L""}).ok);
  TickUntil(controller, now, {kToday, {1, 0, 2}});
  EXPECT_EQ(wakeLines().back(), L"SetWakeTimer none");
}

}  // namespace
}  // namespace cuelark
