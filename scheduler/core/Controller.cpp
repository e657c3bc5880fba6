#include "scheduler/core/Controller.h"

namespace cuelark {
namespace {

constexpr wchar_t kCaption[] = L"Cuelark";
constexpr wchar_t kErrorTitle[] = L"Error ...";

// While the store could not be read at start-up, the clock tries it again
// this often, so that a file held open for a moment by a backup or a virus
// scanner comes back without the user doing anything.
constexpr std::int64_t kStoreRetrySeconds = 10;

}  // namespace

std::wstring FailureText(const Failure& failure) {
  const wchar_t* cause = L"Winamp Could Not Be Given The Text";
  switch (failure.status) {
    case PlayerStatus::kNotStarted: cause = L"Winamp Is Not Started"; break;
    case PlayerStatus::kNotResponding: cause = L"Winamp Is Not Responding"; break;
    case PlayerStatus::kAccessDenied: cause = L"Winamp Could Not Be Started (Access Denied)"; break;
    case PlayerStatus::kNotAProgram: cause = L"Winamp Could Not Be Started (Not A Program)"; break;
    case PlayerStatus::kStartFailed: cause = L"Winamp Could Not Be Started"; break;
    case PlayerStatus::kWindowClosed: cause = L"Winamp Was Closed"; break;
    case PlayerStatus::kInterrupted: cause = L"Cuelark Is Ending"; break;
    case PlayerStatus::kTextRefused:
    case PlayerStatus::kOk: break;
  }
  return std::wstring(cause) + (failure.duringResume ? L", Playlist not Restored!" : L", Command not Executed!");
}

Controller::Controller(IniStore& iniStore, Player& player, ControllerView& view, ControllerSettings settings)
    : iniStore_(iniStore),
      view_(view),
      settings_(std::move(settings)),
      store_(iniStore_, settings_.storePath),
      executor_(player, *this) {}

void Controller::Load() {
  SavedCommandStore::Loaded loaded = store_.LoadSavedCommands();
  storeRead_ = loaded.result.ok;
  schedule_.Assign(std::move(loaded.entries));
  view_.ShowRows(schedule_.Entries().size());
  if (!storeRead_) ReportUnreadStore(loaded.result.reason, UnreadMoment::kStartUp);
}

std::optional<std::pair<std::wstring, std::wstring>> Controller::SavedPosition() { return store_.ReadPosition(); }

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
  view_.Report({text, kCaption, Severity::kWarning});
}

std::optional<std::wstring> Controller::CatchUpWithStore() {
  if (storeRead_) return std::nullopt;
  SavedCommandStore::Loaded loaded = store_.LoadSavedCommands();
  if (!loaded.result.ok) return loaded.result.reason;
  storeRead_ = true;
  schedule_.InsertFront(std::move(loaded.entries));
  view_.ShowRows(schedule_.Entries().size());
  return std::nullopt;
}

bool Controller::WriteStore(UnreadMoment moment) {
  if (shuttingDown_) return false;
  if (const std::optional<std::wstring> unread = CatchUpWithStore()) {
    ReportUnreadStore(*unread, moment);
    return false;
  }
  const StoreResult result = store_.WriteSavedCommands(schedule_.Entries());
  if (!result.ok)
    view_.Report({L"The saved commands could not be written to " + settings_.storePath + L":\n" + result.reason +
                      L"\n\nThe list keeps them; they are saved with the next change that can be written.",
                  kCaption, Severity::kWarning});
  return result.ok;
}

void Controller::OnSaveClicked(const EditorFields& fields) {
  if (shuttingDown_) return;
  if (!settings_.canStoreText(fields.name) || !settings_.canStoreText(fields.command)) {
    view_.Report({L"The name or the command holds characters that " + settings_.storePath +
                      L" cannot store in this system's code page.\nPlease use other characters; nothing was saved.",
                  L"Save", Severity::kWarning});
    return;
  }
  SavedCommand entry;
  entry.name = fields.name;
  entry.command = fields.command;
  entry.startDate = DayDateText(fields.date, fields.weekly, fields.everyDay, settings_.weekLocale);
  entry.startTime = FormatTime(fields.time);
  entry.isChecked = true;
  entry.remWhenDone = fields.removeWhenDone;
  schedule_.Append(std::move(entry));
  view_.ShowRows(schedule_.Entries().size());
  WriteStore();
  view_.ClearEditor();
}

void Controller::OnRemoveConfirmed(EntryId id) {
  if (shuttingDown_ || !schedule_.Remove(id)) return;
  view_.ShowRows(schedule_.Entries().size());
  WriteStore();
  view_.ClearEditor();
}

void Controller::OnExecuteClicked(EntryId id) { executor_.RequestExecute(id); }

void Controller::OnTickChanged(EntryId id, bool ticked) {
  const std::optional<std::size_t> index = schedule_.IndexOf(id);
  if (shuttingDown_ || !index || schedule_.Entries()[*index].isChecked == ticked) return;
  // A tick is saved at once, so an unticked entry stays silent after a
  // restart; the editor is not concerned and stays as it is.
  schedule_.SetChecked(id, ticked);
  view_.ShowRow(*index);
  WriteStore();
}

void Controller::OnClockTick(const LocalDateTime& now) {
  if (shuttingDown_) return;
  if (!storeRead_ && SerialSecond(now) % kStoreRetrySeconds == 0) CatchUpWithStore();
  for (const Firing& firing : clock_.Advance(now, schedule_.Entries(), settings_.weekLocale))
    executor_.RequestExecute(firing.id);
}

void Controller::OnResumeTick() { executor_.RequestResume(); }

void Controller::OnShutdown(std::optional<std::pair<std::wstring, std::wstring>> position) {
  if (shuttingDown_) return;
  executor_.Stop();
  view_.DisarmResumeTimer();
  // Entries added while the store could not be read are written now if it
  // can be read at last; the position alone is safe to write either way,
  // because writing it keeps whatever else the file holds.
  if (!storeRead_ && !schedule_.Entries().empty()) WriteStore(UnreadMoment::kShutDown);
  shuttingDown_ = true;
  if (!position) return;
  const StoreResult written = store_.WritePosition(position->first, position->second);
  if (!written.ok)
    view_.Report({L"The window position could not be saved in " + settings_.storePath + L":\n" + written.reason,
                  kCaption, Severity::kWarning});
}

std::optional<std::wstring> Controller::CommandOf(EntryId id) {
  if (const SavedCommand* entry = schedule_.Find(id)) return entry->command;
  return std::nullopt;
}

void Controller::ExecutionEnded(EntryId id, PlayerStatus status) {
  // An entry meant to run once stays until it has run: when nothing played,
  // the user is told and can still execute it by hand.
  const SavedCommand* entry = schedule_.Find(id);
  if (status != PlayerStatus::kOk || !entry || !entry->remWhenDone) return;
  schedule_.Remove(id);
  view_.ShowRows(schedule_.Entries().size());
  WriteStore();
}

void Controller::ArmResume() { view_.ArmResumeTimer(); }

void Controller::DisarmResume() { view_.DisarmResumeTimer(); }

std::wstring Controller::ReadPlaylistSetting() {
  return iniStore_.ReadINI(L"Winamp", L"Playlist", settings_.playerSettingsPath);
}

void Controller::ReportFailure(const Failure& failure) {
  view_.Report({FailureText(failure), kErrorTitle, Severity::kStop});
}

}  // namespace cuelark
