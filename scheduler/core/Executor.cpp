#include "scheduler/core/Executor.h"

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
  // While busy we are inside a player wait of the running job: the job
  // already in progress drains the queue when it returns.
  while (!busy_ && !queue_.empty()) {
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
  const PlayerStatus status = ExecutionSteps(request.command);
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
  if (status != PlayerStatus::kOk) return Failure{status, false};
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
  }
  const std::array<std::function<PlayerStatus()>, 4> steps{
      [&] { return player_.ClearPlayList(); },
      [&] { return player_.AddToPlayList(command); },
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
  const std::wstring playlist = host_.ReadPlaylistSetting();
  PlayerStatus status = PlayerStatus::kOk;
  // No player settings saved yet: nothing to append, but the position is
  // still set back.
  if (!playlist.empty()) status = player_.AddToPlayList(playlist);
  if (status == PlayerStatus::kOk) status = player_.SetPlayListPos(savedPlayListPos_);
  if (status != PlayerStatus::kOk) return Failure{status, true};
  return std::nullopt;
}

}  // namespace cuelark
