// What the program does with the user's entries, apart from any window: it
// owns the live schedule, its store, the clock and the executor, and tells a
// view what to show. The main window forwards the user's actions and its
// timers' ticks here and draws what it is told.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "scheduler/core/DueTimes.h"
#include "scheduler/core/Executor.h"
#include "scheduler/core/History.h"
#include "scheduler/core/IniStore.h"
#include "scheduler/core/InputCheck.h"
#include "scheduler/core/Options.h"
#include "scheduler/core/Player.h"
#include "scheduler/core/PlayerSettings.h"
#include "scheduler/core/PlaylistLocation.h"
#include "scheduler/core/Schedule.h"
#include "scheduler/core/ScheduleClock.h"
#include "scheduler/core/Store.h"
#include "scheduler/core/WakeTime.h"
#include "scheduler/core/WeekdayLabels.h"

namespace cuelark {

// The editor's fields at the moment "Save" is pressed.
struct EditorFields {
  std::wstring name;
  std::wstring command;
  CivilDate date;
  TimeOfDay time;
  bool weekly = false;
  bool everyDay = false;
  bool removeWhenDone = false;
};

// "Save" is offered only for a name and a command of at least this length.
inline constexpr std::size_t kMinimumTextLength = 3;
inline bool CanSave(std::size_t nameLength, std::size_t commandLength) {
  return nameLength >= kMinimumTextLength && commandLength >= kMinimumTextLength;
}

enum class Severity { kStop, kWarning };


struct UserMessage {
  std::wstring text;
  std::wstring title;
  Severity severity = Severity::kWarning;
  // The entry concerned and its due second ("Morning news, due 2026-12-07
  // 07:00:00"), shown on a line of its own under the text; empty when no
  // entry is concerned. Boxes of one text and title are one box, which lists
  // each entry.
  std::wstring about;
  friend bool operator==(const UserMessage&, const UserMessage&) = default;
};

class ControllerView {
 public:
  virtual ~ControllerView() = default;
  // The entries changed in number or order: every row is drawn afresh.
  virtual void RefreshList(std::size_t count) = 0;
  // One entry's check box changed.
  virtual void RedrawRow(std::size_t index) = 0;
  virtual void ClearEditor() = 0;
  // Shows a message box and returns at once: the clock and the executions
  // go on while it is open.
  virtual void Report(const UserMessage& message) = 0;
  // (Re)starts the resume timer, whose tick is OnResumeTick.
  virtual void ArmResumeTimer() = 0;
  virtual void DisarmResumeTimer() = 0;
  // (Re)starts the kPlayingCheckMs timer, whose tick is OnPlayingCheckTick;
  // false when no timer can be had.
  virtual bool ArmPlayingCheckTimer() = 0;
  virtual void DisarmPlayingCheckTimer() = 0;
  // "Cuelark: next <name> <when>" or "Cuelark: nothing scheduled".
  virtual void ShowNextFiring(const std::wstring& text) = 0;
  // These executions and missed firings were added to the history, oldest
  // first: a history on screen takes them in without reading the file again.
  virtual void HistoryAdded(const std::vector<HistoryEvent>& events) = 0;
  // Checks the input away from the window, which goes on meanwhile; the
  // answer comes to OnInputChecked.
  virtual void StartInputCheck(const InputCheckRequest& request) = 0;
  // A notification of the tray icon: seen at once, waits for nobody.
  virtual void Notify(const std::wstring& title, const std::wstring& text) = 0;
  // Sets the timer that wakes the computer, or cancels it; its signal is
  // OnWakeTimerSignalled.
  virtual void SetWakeTimer(const std::optional<UtcInstant>& due) = 0;
  // Keeps the computer from going back to sleep, or lets it.
  virtual void KeepAwake(bool keep) = 0;
};

struct ControllerSettings {
  std::wstring storePath;  // "cue.ini"
  WeekLocale weekLocale;
  // For finding the playlist file the player wrote, and whether it is there
  // to be given back.
  PlaylistLookups playlistLookups;
  std::function<bool(const std::wstring& file)> canReadFile;
  // Where "history.tsv" lives (beside "cue.ini").
  std::filesystem::path historyFolder;
  // The local time now, to the millisecond.
  std::function<StartedAt()> now;
  // The store file's stamp now; without it, changes by other programs are
  // not looked for.
  std::function<StoreStamp()> storeStamp;
  // The check of an input at its due second (CheckCommandAtOnce).
  std::function<std::optional<std::wstring>(const std::wstring& command)> checkAtOnce;
  // The wall clock in UTC, and local time minus UTC at any instant, for the
  // wake timer.
  std::function<UtcInstant()> utcNow;
  UtcOffsetAt utcOffsetAt;
};

// The most characters the tray shows as its tip.
inline constexpr std::size_t kTrayTipLength = 127;

// The text shown for a player failure.
std::wstring FailureText(const Failure& failure);

class Controller final : private ExecutorHost {
 public:
  Controller(IniStore& iniStore, Player& player, PlayerSettings& playerSettings, HistoryFiles& historyFiles,
             ControllerView& view, ControllerSettings settings);
  Controller(const Controller&) = delete;
  Controller& operator=(const Controller&) = delete;

  // Start-up: reads the store and shows its entries, and notes in the
  // history that this run began.
  void Load();
  const std::vector<SavedCommand>& Entries() const { return schedule_.Entries(); }
  // The Day/Date text the list shows for an entry: a weekday as the day on
  // which it fires; a text as written, marked, when the entry can never fire
  // (written by hand in another form), so that it does not pass for one that will.
  std::wstring DayDateShown(const SavedCommand& entry) const {
    if (entry.rule.NeverFires()) return entry.startDate + L" (" + std::wstring(kNeverFires) + L")";
    return ShownDayDate(entry.startDate, settings_.weekLocale);
  }
  static constexpr std::wstring_view kNeverFires = L"never fires: the date/time text is not understood";
  // The raw "Left"/"Top" texts saved at the last shut-down.
  std::optional<TwipsPosition> SavedPosition();

  void OnSaveClicked(const EditorFields& fields);
  // After the user confirmed the removal.
  void OnRemoveConfirmed(EntryId id);
  void OnExecuteClicked(EntryId id);
  void OnEntryChecked(EntryId id, bool ticked);
  // utcOffsetMinutes: local time minus UTC at `now`, which tells daylight
  // saving from the user's own changes of the clock.
  void OnClockTick(const LocalDateTime& now, int utcOffsetMinutes);
  // What the clock skips next was missed for this reason.
  void OnResumedFromSleep() { skipReason_ = kAsleep; }
  void OnClockChanged() { skipReason_ = kClockChanged; }
  void OnResumeTick();
  void OnPlayingCheckTick();
  // A background check of OnClockTick's asking has its answer.
  void OnInputChecked(const InputCheckResult& result);
  // The computer was woken (or the timer came due while awake): it stays
  // awake until the firing and its playlist resume are done.
  void OnWakeTimerSignalled();
  const Options& CurrentOptions() const { return options_; }
  // Saves the options in the store and lets them count from now on.
  StoreResult SaveOptions(const Options& options);
  // Something in the store's folder changed: when it is the store, written
  // by another program, the list shows what it holds now.
  void OnStoreFolderChanged();
  // Shut-down begins: nothing executes from here on, and this is the last
  // write to the store. A position is written when given (the window was
  // closed, not ended from the menu).
  void OnShutdown(std::optional<TwipsPosition> position);
  bool ShuttingDown() const { return shuttingDown_; }

  // The executions and missed firings written down, newest first.
  std::vector<HistoryEvent> HistoryNewestFirst() { return HistoryForShowing(nullptr); }
  // The same; problem, when given, receives why some could not be read.
  std::vector<HistoryEvent> HistoryForShowing(std::wstring* problem);
  const std::wstring& NextFiringText() const { return nextFiringText_; }
  // The entry of the execution running or last run, and its due second, as
  // UserMessage::about names it.
  std::wstring AboutRunning() const;

 private:
  // ExecutorHost.
  void ExecutionEnded(const ExecutionRequest& request, const ExecutionResult& result) override;
  void ArmResume() override;
  void DisarmResume() override;
  bool ArmPlayingCheck() override;
  void DisarmPlayingCheck() override;
  std::wstring PlaylistFile(const std::optional<PlaylistFolder>& fromPlayer) override;
  bool CanReadPlaylist(const std::wstring& file) override;
  void ReportFailure(const Failure& failure) override;

  enum class UnreadMoment { kStartUp, kWrite, kShutDown };
  enum class Outside { kUnchanged, kReadAgain, kUnreadable };
  enum class Written { kOk, kFailed, kChangedMeanwhile };
  static constexpr wchar_t kAsleep[] = L"computer asleep";
  static constexpr wchar_t kClockChanged[] = L"clock changed";

  void RequestExecution(EntryId id, const LocalDateTime& due, std::wstring detail);
  void WriteHistory(const std::vector<HistoryLine>& lines);
  void UpdateNextFiring(bool listChanged);
  void UpdateWakeTimer(int utcOffsetMinutes);
  // Checks a firing's input at its due second: a failure is written and
  // shown, and the fallback plays instead when there is one; false when the
  // entry is to play as it is.
  bool PlayedFallbackFor(const Firing& firing);
  void WriteCheckFailed(const InputCheckRequest& request, const std::wstring& reason);

  // Reads the store once more while its entries are not in the list yet;
  // what it holds goes before the entries added meanwhile. Returns why it
  // still cannot be read.
  std::optional<std::wstring> CatchUpWithStore();
  // Rewrites the store from the list, telling the user when that fails
  // (not when another program changed the file meanwhile: it is not
  // overwritten, and the caller reads it again).
  Written WriteStore(UnreadMoment moment = UnreadMoment::kWrite);
  // Reads the store again when another program changed it since this
  // program last read or wrote it, and tells the user so.
  Outside ReadAgainIfChanged(std::wstring& reason);
  // A change of the user's (or a removal after execution) made to the list
  // and written. change applies it to the list as it then stands and says
  // what it changed (a row it has redrawn itself); after another program's
  // change it is applied to what the file holds.
  enum class Changed { kNothing, kRow, kList };
  void ChangeAndWrite(const std::function<Changed()>& change);
  // The list shown anew, and the next firing found again.
  void ListChanged();
  std::optional<StoreStamp> StampNow() const;
  void ReportUnreadStore(const std::wstring& reason, UnreadMoment moment);

  IniStore& iniStore_;  // also reads the player's "paths.ini"
  PlayerSettings& playerSettings_;
  HistoryLog history_;
  ControllerView& view_;
  ControllerSettings settings_;
  SavedCommandStore store_;
  Schedule schedule_;
  ScheduleClock clock_;
  Executor executor_;
  // False while the store file exists but could not be read: writing the
  // list then would replace the user's entries with the few added since.
  bool storeRead_ = false;
  // The store file as this program last read or wrote it.
  std::optional<StoreStamp> knownStamp_;
  // A change seen in the folder could not be read yet; the clock tries again.
  bool outsideChangePending_ = false;
  bool shuttingDown_ = false;
  const wchar_t* skipReason_ = kClockChanged;
  // Set while history lines fail to be written: one box for each such streak.
  bool historyFailureReported_ = false;
  Options options_;
  // The clock's second when the entries due ahead were last looked for.
  std::optional<LocalDateTime> checkedAheadUpTo_;
  // What the wake timer was last set from: the next firing and the UTC
  // offset while waking is on; it is set again only when that changes.
  struct WakeSetting {
    std::optional<LocalDateTime> firing;
    int utcOffsetMinutes = 0;
    bool on = false;
    friend bool operator==(const WakeSetting&, const WakeSetting&) = default;
  };
  WakeSetting wakeSetting_;
  bool keptAwake_ = false;
  std::optional<NextFiring> nextFiring_;
  CivilDate nextFiringDay_{};
  std::wstring nextFiringText_;
};

}  // namespace cuelark
