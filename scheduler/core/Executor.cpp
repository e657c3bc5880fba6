#include "scheduler/core/Executor.h"

#include <algorithm>
#include <array>
#include <functional>

#include "scheduler/core/IniStore.h"

namespace cuelark {

namespace {

// Marks the executor busy for one job, also when the job ends by an
// exception, so that a throwing host does not leave every later request
// queued for ever.
class BusyScope {
 public:
  explicit BusyScope(bool& busy) : busy_(busy) { busy_ = true; }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;
  ~BusyScope() { busy_ = false; }

 private:
  bool& busy_;
};

}  // namespace

Executor::Executor(Player& player, ExecutorHost& host, std::function<StartedAt()> now)
    : player_(player), host_(host), now_(std::move(now)) {}

void Executor::RequestExecute(ExecutionRequest request) {
  if (stopped_) return;
  queue_.push_back({false, std::move(request), 0});
  RunQueue();
}

void Executor::RequestResume() {
  if (stopped_) return;
  queue_.push_back({true, {}, armings_});
  RunQueue();
}

void Executor::Stop() {
  if (stopped_) return;
  stopped_ = true;
  player_.ForbidStarts();
  std::deque<Job> dropped;
  dropped.swap(queue_);
  if (running_) host_.ExecutionEnded(*lastStarted_, ResultOf(PlayerStatus::kInterrupted));
  // A job waiting for playing has no call to return to that would end it.
  if (playingWait_) {
    host_.DisarmPlayingCheck();
    playingWait_.reset();
    running_ = false;
  }
  for (const Job& job : dropped)
    if (!job.resume) host_.ExecutionEnded(job.execution, {PlayerStatus::kInterrupted, std::nullopt});
  // Inside a running job the resume follows when the job returns.
  if (!busy_ && resumePending_) {
    const BusyScope busy(busy_);
    Resume(armings_);
  }
}

std::vector<ExecutionRequest> Executor::TakeQueuedDueBefore(const LocalDateTime& earliest) {
  std::vector<ExecutionRequest> overdue;
  std::erase_if(queue_, [&](const Job& job) {
    if (job.resume || !(job.execution.due < earliest)) return false;
    overdue.push_back(job.execution);
    return true;
  });
  return overdue;
}

void Executor::DropQueued(EntryId id) {
  std::erase_if(queue_, [&](const Job& job) { return !job.resume && job.execution.id == id; });
}

void Executor::RunQueue() {
  // While busy we are inside a player wait of the running job, and while
  // waiting for playing the running job has not ended yet: either way the
  // job drains the queue when it ends.
  while (!busy_ && !playingWait_ && !queue_.empty()) {
    const Job job = std::move(queue_.front());
    queue_.pop_front();
    std::optional<Failure> failure;
    {
      const BusyScope busy(busy_);
      failure = job.resume ? Resume(job.arming) : Execute(job.execution);
    }
    // The message box is modal and may stay up for hours on an unattended
    // machine; entries falling due meanwhile must still run.
    if (failure && !stopped_) host_.ReportFailure(*failure);
  }
}

std::optional<Failure> Executor::Execute(const ExecutionRequest& request) {
  lastStarted_ = request;
  running_ = true;
  started_ = now_();
  reachedPlayer_ = false;
  PlayerStatus status = ExecutionSteps(request.command);
  if (status == PlayerStatus::kOk && !stopped_) {
    // A player starting a file or a stream takes a moment; the window, the
    // clock and the user go on meanwhile, the queue waits.
    std::optional<PlayerStatus> playing = LookAtPlaying();
    if (!playing) {
      playingWait_ = PlayingWait{0, now_()};
      if (host_.ArmPlayingCheck()) return std::nullopt;
      // Without a timer the wait would never end and every later execution
      // would wait behind it; the player has had all it needs.
      playingWait_.reset();
      playing = PlayerStatus::kOk;
    }
    status = *playing;
  }
  return Finish(status);
}

void Executor::RequestPlayingCheck() {
  if (!playingWait_ || busy_) return;
  std::optional<Failure> failure;
  {
    const BusyScope busy(busy_);
    const std::optional<PlayerStatus> playing = LookAtPlaying();
    // Shut-down began while the player was asked: Stop has ended the job,
    // and only the resume it could not run from inside is left.
    if (stopped_) {
      if (resumePending_) Resume(armings_);
      return;
    }
    if (!playing) return;
    host_.DisarmPlayingCheck();
    playingWait_.reset();
    failure = Finish(*playing);
  }
  if (failure && !stopped_) host_.ReportFailure(*failure);
  RunQueue();
}

std::optional<PlayerStatus> Executor::LookAtPlaying() {
  std::optional<std::int32_t> state;
  if (const PlayerStatus status = player_.GetPlayingState(state); status != PlayerStatus::kOk) return status;
  if (!state || *state == kPlaying) return PlayerStatus::kOk;
  if (!playingWait_) return std::nullopt;
  const StartedAt now = now_();
  const std::int64_t gapMs = (SerialSecond(now.second) - SerialSecond(playingWait_->lastLook.second)) * 1000 +
                             (now.millisecond - playingWait_->lastLook.millisecond);
  playingWait_->waitedMs += std::clamp<std::int64_t>(gapMs, 0, 1000);
  playingWait_->lastLook = now;
  if (playingWait_->waitedMs >= kPlayingWaitMs) return PlayerStatus::kNotPlaying;
  return std::nullopt;
}

std::optional<Failure> Executor::Finish(PlayerStatus status) {
  const ExecutionRequest& request = *lastStarted_;
  running_ = false;
  // Shut-down began during a player wait: Stop has noted the execution, the
  // window that would show the outcome is gone, and the store has had its
  // last write. Only the player's own playlist is still to be given back.
  if (stopped_) {
    if (resumePending_) Resume(armings_);
    return std::nullopt;
  }
  // Also after a failed step: once the player's own playlist has been saved
  // and possibly cleared, only the resume brings it back. Restarting the
  // timer lets the resume follow the last of several executions.
  if (resumePending_) {
    ++armings_;
    host_.ArmResume();
  }
  host_.ExecutionEnded(request, ResultOf(status));
  if (status != PlayerStatus::kOk) return Failure{status, false, {}};
  return std::nullopt;
}

PlayerStatus Executor::ExecutionSteps(const std::wstring& command) {
  // With a resume pending, the player's playlist is already the emptied one
  // of the earlier execution; saving it again would overwrite the user's
  // playlist file with nothing and lose the position to restore.
  if (!resumePending_) {
    std::int32_t position = 0;
    if (const PlayerStatus status = Noted(player_.GetPlayListPos(position)); status != PlayerStatus::kOk) {
      return status;
    }
    savedPlayListPos_ = position;
    if (stopped_) return PlayerStatus::kInterrupted;
    std::int32_t unused = 0;
    if (const PlayerStatus status = player_.WritePlayList(unused); status != PlayerStatus::kOk) {
      return status;
    }
    resumePending_ = true;
    // Where the list went is asked right after it was written: a player
    // that keeps it in the user's profile writes it there, not beside
    // itself.
    std::optional<PlaylistFolder> folder;
    const PlayerStatus asked = Noted(player_.GetPlaylistFolder(folder));
    resumeFile_ = host_.PlaylistFile(asked == PlayerStatus::kOk ? folder : std::nullopt);
    if (asked != PlayerStatus::kOk) return asked;
  }
  const std::array<std::function<PlayerStatus()>, 5> steps{
      [&] { return player_.ClearPlayList(); },
      [&] { return player_.AddToPlayList(command); },
      [&] { return TookEntry(); },
      [&] { return player_.PressButton(1, 0); },  // Play
      // Leaves the playlist empty while the command plays, so the resume
      // rebuilds exactly the saved list and the saved position means the
      // same entry.
      [&] { return player_.ClearPlayList(); },
  };
  for (const auto& step : steps) {
    if (stopped_) return PlayerStatus::kInterrupted;
    if (const PlayerStatus status = Noted(step()); status != PlayerStatus::kOk) return status;
  }
  return PlayerStatus::kOk;
}

PlayerStatus Executor::TookEntry() {
  // The list was just emptied: a player that took the entry holds at least
  // it (a playlist file adds all of its entries).
  std::optional<std::int32_t> length;
  if (const PlayerStatus status = player_.GetListLength(length); status != PlayerStatus::kOk) return status;
  return length && *length < 1 ? PlayerStatus::kTextRefused : PlayerStatus::kOk;
}

ExecutionResult Executor::ResultOf(PlayerStatus status) const {
  return {status, reachedPlayer_ ? std::optional<StartedAt>(started_) : std::nullopt};
}

PlayerStatus Executor::Noted(PlayerStatus status) {
  switch (status) {
    case PlayerStatus::kNotStarted:
    case PlayerStatus::kAccessDenied:
    case PlayerStatus::kNotAProgram:
    case PlayerStatus::kStartFailed:
    case PlayerStatus::kInterrupted:
    case PlayerStatus::kTextRefused: break;  // nothing was sent
    case PlayerStatus::kOk:
    case PlayerStatus::kNotPlaying:
    case PlayerStatus::kNotResponding:
    case PlayerStatus::kWindowClosed: reachedPlayer_ = true; break;
  }
  return status;
}

std::optional<Failure> Executor::Resume(std::uint64_t arming) {
  // A tick that came while an execution was running has been overtaken: that
  // execution restarted the timer, whose next tick does the resume, a full
  // interval after the command started.
  if (!resumePending_ || arming != armings_) return std::nullopt;
  host_.DisarmResume();
  resumePending_ = false;
  PlayerStatus status = PlayerStatus::kOk;
  std::wstring missing;
  // No player settings saved yet: nothing to append, but the position is
  // still set back. A file that is not there is not added: the player would
  // keep the empty list without a word.
  if (!resumeFile_.empty()) {
    if (host_.CanReadPlaylist(resumeFile_)) {
      status = player_.AddToPlayList(resumeFile_);
    } else {
      missing = resumeFile_;
    }
  }
  if (status == PlayerStatus::kOk) status = player_.SetPlayListPos(savedPlayListPos_);
  if (status != PlayerStatus::kOk) return Failure{status, true, {}};
  if (!missing.empty()) return Failure{PlayerStatus::kOk, true, missing};
  return std::nullopt;
}

}  // namespace cuelark
