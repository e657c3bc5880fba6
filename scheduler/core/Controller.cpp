#include "scheduler/core/Controller.h"

#include <algorithm>
#include <variant>

#include "scheduler/core/Fallback.h"

namespace cuelark {
namespace {

constexpr wchar_t kCaption[] = L"Cuelark";
constexpr wchar_t kErrorTitle[] = L"Error ...";

constexpr wchar_t kNotRunning[] = L"program not running";
constexpr wchar_t kByHand[] = L"by hand";
constexpr wchar_t kDaylightSaving[] = L"daylight saving";
constexpr wchar_t kWaitedTooLong[] = L"waited over a minute";

Outcome OutcomeOf(PlayerStatus status) {
  switch (status) {
    case PlayerStatus::kOk: return Outcome::kPlayed;
    case PlayerStatus::kNotResponding:
    case PlayerStatus::kWindowClosed: return Outcome::kNotResponding;
    case PlayerStatus::kTextRefused: return Outcome::kRefused;
    case PlayerStatus::kInterrupted: return Outcome::kInterrupted;
    case PlayerStatus::kNotPlaying: return Outcome::kNotPlaying;
    case PlayerStatus::kNotStarted:
    case PlayerStatus::kAccessDenied:
    case PlayerStatus::kNotAProgram:
    case PlayerStatus::kStartFailed: break;
  }
  return Outcome::kNotStarted;
}

// While the store could not be read at start-up, the clock tries it again
// this often, so that a file held open for a moment by a backup or a virus
// scanner comes back without the user doing anything.
constexpr std::int64_t kStoreRetrySeconds = 10;

}  // namespace

std::wstring FailureText(const Failure& failure) {
  if (!failure.missingPlaylist.empty()) {
    return L"Winamp's Playlist File " + failure.missingPlaylist + L" Was Not Found, Playlist not Restored!";
  }
  const wchar_t* cause = L"Winamp Could Not Be Given The Text";
  switch (failure.status) {
    case PlayerStatus::kNotStarted: cause = L"Winamp Is Not Started"; break;
    case PlayerStatus::kNotResponding: cause = L"Winamp Is Not Responding"; break;
    case PlayerStatus::kAccessDenied: cause = L"Winamp Could Not Be Started (Access Denied)"; break;
    case PlayerStatus::kNotAProgram: cause = L"Winamp Could Not Be Started (Not A Program)"; break;
    case PlayerStatus::kStartFailed: cause = L"Winamp Could Not Be Started"; break;
    case PlayerStatus::kWindowClosed: cause = L"Winamp Was Closed"; break;
    case PlayerStatus::kInterrupted: cause = L"Cuelark Is Ending"; break;
    case PlayerStatus::kNotPlaying: cause = L"Winamp Did Not Start Playing"; break;
    case PlayerStatus::kTextRefused:
    case PlayerStatus::kOk: break;
  }
  return std::wstring(cause) + (failure.duringResume ? L", Playlist not Restored!" : L", Command not Executed!");
}

Controller::Controller(IniStore& iniStore, Player& player, PlayerSettings& playerSettings,
                       HistoryFiles& historyFiles, ControllerView& view, ControllerSettings settings)
    : iniStore_(iniStore),
      playerSettings_(playerSettings),
      history_(historyFiles, settings.historyFolder),
      view_(view),
      settings_(std::move(settings)),
      store_(iniStore, settings_.storePath, settings_.weekLocale),
      executor_(player, *this, settings_.now) {}

void Controller::Load() {
  // Taken before the reading, so that a change during it is read again.
  knownStamp_ = StampNow();
  options_ = OptionsStore(iniStore_, settings_.storePath).Read();
  SavedCommandStore::Loaded loaded = store_.LoadSavedCommands();
  storeRead_ = loaded.result.ok;
  schedule_.Assign(std::move(loaded.entries));
  view_.RefreshList(schedule_.Entries().size());
  if (!storeRead_) ReportUnreadStore(loaded.result.reason, UnreadMoment::kStartUp);
  // What fell due while no Cuelark ran is found by the first tick, which
  // catches up from where the previous run stopped.
  if (const std::optional<LocalDateTime> previousEnd = history_.PreviousRunEnd()) {
    clock_.ContinueAfter(*previousEnd);
    skipReason_ = kNotRunning;
  }
  WriteHistory({RunMarker{RunMarker::Kind::kStarted, settings_.now().second}});
  UpdateNextFiring(true);
}

std::optional<TwipsPosition> Controller::SavedPosition() { return store_.ReadPosition(); }

void Controller::ReportUnreadStore(const std::wstring& reason, UnreadMoment moment) {
  std::wstring text = L"The saved commands in " + settings_.storePath +
                      (moment == UnreadMoment::kStartUp ? L" could not be read:\n" : L" still cannot be read:\n") +
                      reason + L"\n\n";
  switch (moment) {
    case UnreadMoment::kStartUp:
      text += L"Cuelark leaves that file as it is and tries again; the commands it holds are added to the list "
              L"once it can be read.";
      break;
    case UnreadMoment::kWrite:
      text += L"Nothing was written, so that none of them is lost; the list keeps your changes and saves them "
              L"once the file can be read.";
      break;
    case UnreadMoment::kShutDown:
      text += L"Nothing was written, so that none of them is lost; the commands added since Cuelark started "
              L"are not saved.";
      break;
  }
  view_.Report({text, kCaption, Severity::kWarning, {}});
}

std::optional<std::wstring> Controller::CatchUpWithStore() {
  if (storeRead_) return std::nullopt;
  const std::optional<StoreStamp> stamp = StampNow();
  SavedCommandStore::Loaded loaded = store_.LoadSavedCommands();
  if (!loaded.result.ok) return loaded.result.reason;
  storeRead_ = true;
  knownStamp_ = stamp;
  schedule_.InsertFront(std::move(loaded.entries));
  ListChanged();
  return std::nullopt;
}

std::optional<StoreStamp> Controller::StampNow() const {
  if (!settings_.storeStamp) return std::nullopt;
  return settings_.storeStamp();
}

Controller::Outside Controller::ReadAgainIfChanged(std::wstring& reason) {
  if (!storeRead_) return Outside::kUnchanged;
  const std::optional<StoreStamp> stamp = StampNow();
  // A file gone is not read as an empty list: the next write puts the
  // entries back rather than lose them.
  if (!stamp || stamp == knownStamp_ || !stamp->exists) return Outside::kUnchanged;
  SavedCommandStore::Loaded loaded = store_.LoadSavedCommands();
  if (!loaded.result.ok) {
    reason = loaded.result.reason;
    return Outside::kUnreadable;
  }
  knownStamp_ = stamp;
  options_ = OptionsStore(iniStore_, settings_.storePath).Read();
  schedule_.Reconcile(std::move(loaded.entries));
  ListChanged();
  view_.Report({L"cue.ini was changed by another program and has been read again", kCaption, Severity::kWarning, {}});
  return Outside::kReadAgain;
}

void Controller::OnStoreFolderChanged() {
  if (shuttingDown_) return;
  std::wstring reason;
  outsideChangePending_ = ReadAgainIfChanged(reason) == Outside::kUnreadable;
}

Controller::Written Controller::WriteStore(UnreadMoment moment) {
  if (shuttingDown_) return Written::kFailed;
  if (const std::optional<std::wstring> unread = CatchUpWithStore()) {
    ReportUnreadStore(*unread, moment);
    return Written::kFailed;
  }
  const StoreResult result = store_.WriteSavedCommands(
      schedule_.Entries(), [this] {
        // A file gone meanwhile holds nothing to keep: it is written anew.
        const std::optional<StoreStamp> stamp = StampNow();
        return !knownStamp_ || !stamp || !stamp->exists || stamp == knownStamp_;
      });
  if (result.ok) {
    knownStamp_ = StampNow();
    return Written::kOk;
  }
  if (result.changedMeanwhile) return Written::kChangedMeanwhile;
  view_.Report({L"The saved commands could not be written to " + settings_.storePath + L":\n" + result.reason +
                    L"\n\nThe list keeps them; they are saved with the next change that can be written.",
                kCaption, Severity::kWarning, {}});
  return Written::kFailed;
}

// Another program may write the file at any moment; a few rounds of reading
// it again and applying the change anew settle all but a file rewritten
// without pause.
constexpr int kWriteRounds = 3;

void Controller::ListChanged() {
  view_.RefreshList(schedule_.Entries().size());
  UpdateNextFiring(true);
}

void Controller::ChangeAndWrite(const std::function<Changed()>& change) {
  for (int round = 1;; ++round) {
    std::wstring reason;
    if (ReadAgainIfChanged(reason) == Outside::kUnreadable) {
      view_.Report({L"cue.ini was changed by another program and cannot be read again now:\n" + reason +
                        L"\n\nNothing was changed, so that none of its entries is lost. Please try again.",
                    kCaption, Severity::kWarning, {}});
      return;
    }
    std::vector<SavedCommand> before = schedule_.Entries();
    const Changed changed = change();
    if (changed == Changed::kNothing) return;
    if (changed == Changed::kList) {
      ListChanged();
    } else {
      UpdateNextFiring(true);
    }
    const Written written = WriteStore();
    if (written != Written::kChangedMeanwhile) return;
    if (round == kWriteRounds) {
      view_.Report({L"The saved commands could not be written to " + settings_.storePath +
                        L": another program keeps changing it.\n\nThe list keeps your change; it is saved with "
                        L"the next change that can be written.",
                    kCaption, Severity::kWarning, {}});
      return;
    }
    schedule_.Restore(std::move(before));
  }
}

void Controller::OnSaveClicked(const EditorFields& fields) {
  if (shuttingDown_) return;
  SavedCommand entry;
  entry.name = fields.name;
  entry.command = fields.command;
  entry.startDate = DayDateText(fields.date, fields.weekly, fields.everyDay, settings_.weekLocale);
  entry.startTime = FormatTime(fields.time);
  entry.rule = ScheduleRule::Read(entry.startDate, entry.startTime, settings_.weekLocale);
  entry.isChecked = true;
  entry.remWhenDone = fields.removeWhenDone;
  ChangeAndWrite([&] {
    schedule_.Append(entry);
    return Changed::kList;
  });
  view_.ClearEditor();
}

void Controller::OnRemoveConfirmed(EntryId id) {
  if (shuttingDown_) return;
  bool removed = false;
  ChangeAndWrite([&] {
    removed = schedule_.Remove(id);
    if (!removed) return Changed::kNothing;
    executor_.DropQueued(id);
    return Changed::kList;
  });
  if (removed) view_.ClearEditor();
}

void Controller::OnExecuteClicked(EntryId id) { RequestExecution(id, settings_.now().second, kByHand); }

void Controller::RequestExecution(EntryId id, const LocalDateTime& due, std::wstring detail) {
  if (shuttingDown_) return;
  const SavedCommand* entry = schedule_.Find(id);
  if (!entry) return;
  executor_.RequestExecute({id, due, entry->name, entry->command, std::move(detail)});
}

void Controller::OnEntryChecked(EntryId id, bool ticked) {
  if (shuttingDown_) return;
  // A tick is saved at once, so an unticked entry stays silent after a
  // restart; the editor is not concerned and stays as it is.
  ChangeAndWrite([&] {
    const std::optional<std::size_t> index = schedule_.IndexOf(id);
    if (!index || schedule_.Entries()[*index].isChecked == ticked) return Changed::kNothing;
    schedule_.SetChecked(id, ticked);
    view_.RedrawRow(*index);
    return Changed::kRow;
  });
}

void Controller::OnClockTick(const LocalDateTime& now, int utcOffsetMinutes) {
  if (shuttingDown_) return;
  if (!storeRead_ && SerialSecond(now) % kStoreRetrySeconds == 0) CatchUpWithStore();
  if (outsideChangePending_) OnStoreFolderChanged();
  const ClockStep step = clock_.Advance(now, utcOffsetMinutes, schedule_.Entries());
  std::vector<HistoryLine> missed;
  for (const Firing& firing : step.skipped) {
    if (const SavedCommand* entry = schedule_.Find(firing.id))
      missed.push_back(
          HistoryEvent{firing.second, std::nullopt, entry->name, entry->command, Outcome::kMissed, skipReason_});
  }
  skipReason_ = kClockChanged;
  // Executions queued behind a slow one (a player that takes its time to
  // start) are missed once their catch-up minute is over, not run late.
  for (const ExecutionRequest& overdue :
       executor_.TakeQueuedDueBefore(FromSerialSecond(SerialSecond(now) - kCatchUpSeconds))) {
    missed.push_back(
        HistoryEvent{overdue.due, std::nullopt, overdue.name, overdue.command, Outcome::kMissed, kWaitedTooLong});
  }
  if (!missed.empty()) WriteHistory(missed);
  for (const Firing& firing : step.due) {
    if (!PlayedFallbackFor(firing))
      RequestExecution(firing.id, firing.second, firing.daylightSaving ? kDaylightSaving : L"");
  }
  if (options_.checkAhead) {
    for (const Firing& firing : DueForCheckAhead(schedule_.Entries(), checkedAheadUpTo_, now)) {
      if (const SavedCommand* entry = schedule_.Find(firing.id))
        view_.StartInputCheck({firing.id, firing.second, entry->name, entry->command});
    }
    checkedAheadUpTo_ = now;
  } else {
    checkedAheadUpTo_.reset();
  }
  UpdateNextFiring(false);
  UpdateWakeTimer(utcOffsetMinutes);
  // Kept awake from the wake until the firing and its resume are done, and
  // while the next firing is close enough that the computer would sleep
  // through it otherwise.
  const bool firingClose =
      nextFiring_ && SerialSecond(nextFiring_->second) - SerialSecond(now) <= 2 * kWakeAheadSeconds;
  if (keptAwake_ && executor_.Idle() && !firingClose) {
    keptAwake_ = false;
    view_.KeepAwake(false);
  }
}

bool Controller::PlayedFallbackFor(const Firing& firing) {
  if (!options_.checkAhead || !settings_.checkAtOnce) return false;
  const SavedCommand* entry = schedule_.Find(firing.id);
  if (!entry) return false;
  const std::optional<std::wstring> reason = settings_.checkAtOnce(entry->command);
  if (!reason) return false;
  WriteCheckFailed({firing.id, firing.second, entry->name, entry->command}, *reason);
  // Without a fallback the entry plays as it always did: the check may be
  // wrong, and the player tells whether it plays.
  const std::optional<std::wstring> fallback =
      FallbackInput(options_, PlayFailure::kCheckFailed, entry->command, false);
  if (!fallback) return false;
  executor_.RequestExecute({firing.id, firing.second, entry->name, *fallback, std::wstring(kFallbackDetail)});
  return true;
}

void Controller::WriteCheckFailed(const InputCheckRequest& request, const std::wstring& reason) {
  WriteHistory({HistoryEvent{request.due, std::nullopt, request.name, request.command, Outcome::kCheckFailed, reason}});
  view_.Notify(request.name, reason);
}

void Controller::OnInputChecked(const InputCheckResult& result) {
  if (shuttingDown_ || !result.reason) return;
  WriteCheckFailed({result.id, result.due, result.name, result.command}, *result.reason);
}

void Controller::OnWakeTimerSignalled() {
  if (shuttingDown_ || keptAwake_) return;
  keptAwake_ = true;
  view_.KeepAwake(true);
}

StoreResult Controller::SaveOptions(const Options& options) {
  if (shuttingDown_) return {false, L"Cuelark is ending", false};
  // A change of another program's is read first, so that this write is not
  // taken for one later.
  std::wstring unread;
  if (ReadAgainIfChanged(unread) == Outside::kUnreadable) return {false, unread, false};
  const StoreResult written = OptionsStore(iniStore_, settings_.storePath).Write(options);
  if (!written.ok) return written;
  knownStamp_ = StampNow();
  options_ = options;
  return written;
}

void Controller::UpdateWakeTimer(int utcOffsetMinutes) {
  WakeSetting setting;  // off: nothing else counts
  if (options_.wakeForFirings && settings_.utcNow && settings_.utcOffsetAt)
    setting = {nextFiring_ ? std::optional(nextFiring_->second) : std::nullopt, utcOffsetMinutes, true};
  if (wakeSetting_ == setting) return;
  wakeSetting_ = setting;
  view_.SetWakeTimer(setting.on ? WakeTimerDue(setting.firing, settings_.utcNow(), settings_.utcOffsetAt)
                                : std::nullopt);
}

void Controller::OnResumeTick() { executor_.RequestResume(); }

void Controller::OnPlayingCheckTick() { executor_.RequestPlayingCheck(); }

void Controller::OnShutdown(std::optional<TwipsPosition> position) {
  if (shuttingDown_) return;
  executor_.Stop();
  view_.DisarmResumeTimer();
  if (keptAwake_) {
    keptAwake_ = false;
    view_.KeepAwake(false);
  }
  // Entries added while the store could not be read are written now if it
  // can be read at last; the position alone is safe to write either way,
  // because writing it keeps whatever else the file holds.
  if (!storeRead_ && !schedule_.Entries().empty()) WriteStore(UnreadMoment::kShutDown);
  WriteHistory({RunMarker{RunMarker::Kind::kStopped, settings_.now().second}});
  shuttingDown_ = true;
  if (!position) return;
  const StoreResult written = store_.WritePosition(*position);
  if (!written.ok)
    view_.Report({L"The window position could not be saved in " + settings_.storePath + L":\n" + written.reason,
                  kCaption, Severity::kWarning, {}});
}

void Controller::ExecutionEnded(const ExecutionRequest& request, const ExecutionResult& result) {
  const EntryId id = request.id;
  const PlayerStatus status = result.status;
  WriteHistory({HistoryEvent{request.due, result.started, request.name, request.command, OutcomeOf(status),
                             status == PlayerStatus::kOk ? request.detail : FailureText({status, false, {}})}});
  // An entry meant to run once stays until it has run: when nothing played,
  // the user is told and can still execute it by hand. An input that could
  // not play is followed by the fallback, in the same slot.
  if (status != PlayerStatus::kOk) {
    const std::optional<PlayFailure> failure = FailureOf(status);
    if (const std::optional<std::wstring> fallback =
            failure ? FallbackInput(options_, *failure, request.command, request.detail == kFallbackDetail)
                    : std::nullopt) {
      executor_.RequestExecute({id, request.due, request.name, *fallback, std::wstring(kFallbackDetail)});
    }
    return;
  }
  ChangeAndWrite([&] {
    const SavedCommand* entry = schedule_.Find(id);
    if (!entry || !entry->remWhenDone) return Changed::kNothing;
    schedule_.Remove(id);
    executor_.DropQueued(id);
    return Changed::kList;
  });
}

void Controller::ArmResume() { view_.ArmResumeTimer(); }

void Controller::DisarmResume() { view_.DisarmResumeTimer(); }

bool Controller::ArmPlayingCheck() { return view_.ArmPlayingCheckTimer(); }

void Controller::DisarmPlayingCheck() { view_.DisarmPlayingCheckTimer(); }

std::wstring Controller::PlaylistFile(const std::optional<PlaylistFolder>& fromPlayer) {
  return PlaylistFileToResume(fromPlayer, iniStore_, playerSettings_.ReadExe(), playerSettings_.ReadPlaylist(),
                              settings_.playlistLookups);
}

bool Controller::CanReadPlaylist(const std::wstring& file) { return settings_.canReadFile(file); }

void Controller::ReportFailure(const Failure& failure) {
  view_.Report({FailureText(failure), kErrorTitle, Severity::kStop, AboutRunning()});
}

std::wstring Controller::AboutRunning() const {
  const std::optional<ExecutionRequest>& last = executor_.LastStarted();
  if (!last) return {};
  return last->name + L", due " + FormatDate(last->due.date) + L" " + FormatTime(last->due.time);
}

std::vector<HistoryEvent> Controller::HistoryForShowing(std::wstring* problem) {
  HistoryReading reading = history_.ReadForShowing();
  if (problem) *problem = std::move(reading.problem);
  std::vector<HistoryEvent> events;
  for (HistoryLine& line : reading.lines)
    if (auto* event = std::get_if<HistoryEvent>(&line)) events.push_back(std::move(*event));
  return events;
}

void Controller::WriteHistory(const std::vector<HistoryLine>& lines) {
  if (history_.Append(lines)) {
    historyFailureReported_ = false;
    std::vector<HistoryEvent> events;
    for (const HistoryLine& line : lines)
      if (const auto* event = std::get_if<HistoryEvent>(&line)) events.push_back(*event);
    if (!events.empty()) view_.HistoryAdded(events);
  } else if (!historyFailureReported_) {
    // Once until writing works again: the schedule goes on without its
    // history, and a box for every firing would bury the user.
    historyFailureReported_ = true;
    view_.Report({L"The history could not be written to " + history_.File().wstring() +
                      L".\n\nCommands still run; what happens until the file can be written is not noted.",
                  kCaption, Severity::kWarning, {}});
  }
}

// The next firing stays right until its second passes or the list or the
// day changes, so a tick seldom needs to look again.
void Controller::UpdateNextFiring(bool listChanged) {
  // Right after a restart the clock has examined only up to where the last
  // run stopped, but what fell due before its catch-up window never fires.
  const std::optional<LocalDateTime> examined = clock_.LastExamined();
  const std::int64_t earliest = SerialSecond(settings_.now().second) - kCatchUpSeconds;
  const LocalDateTime from =
      FromSerialSecond(examined ? std::max(SerialSecond(*examined) + 1, earliest) : earliest + kCatchUpSeconds);
  const bool passed = nextFiring_ && SerialSecond(nextFiring_->second) < SerialSecond(from);
  if (!listChanged && !passed && from.date == nextFiringDay_ && !nextFiringText_.empty()) return;
  nextFiring_ = FindNextFiring(schedule_.Entries(), from);
  nextFiringDay_ = from.date;
  std::wstring text = NextFiringTip(nextFiring_, from.date, kTrayTipLength);
  if (text == nextFiringText_) return;
  nextFiringText_ = std::move(text);
  view_.ShowNextFiring(nextFiringText_);
}

}  // namespace cuelark
