// Executions of entries and the later playlist resume, one at a time.
//
// A player operation can let window events run while it waits for a freshly
// started player, so a tick or a click can ask for another execution, or the
// resume timer can fire, in the middle of an execution. Such requests are
// queued and run after the current job: the player never sees two sequences
// interleaved.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "scheduler/core/Player.h"
#include "scheduler/core/SavedCommand.h"
#include "scheduler/core/Texts.h"

namespace cuelark {

struct Failure {
  PlayerStatus status;
  bool duringResume;
};

// One execution asked for: the entry, the second it was due and the note the
// history keeps of it. It travels with the job, so the host learns which
// request is running without keeping a queue of its own.
struct ExecutionRequest {
  EntryId id = 0;
  LocalDateTime due{};
  std::wstring detail;
};

class ExecutorHost {
 public:
  virtual ~ExecutorHost() = default;
  // nullopt: the entry is gone (removed while the job waited in the queue).
  virtual std::optional<std::wstring> CommandOf(const ExecutionRequest& request) = 0;
  // Right after an execution's player steps, before any failure is reported;
  // for a request dropped or cut short by Stop, with kInterrupted, during
  // Stop. reachedPlayer: some message of it went to the player's window.
  virtual void ExecutionEnded(const ExecutionRequest& request, PlayerStatus status, bool reachedPlayer) = 0;
  // (Re)starts the 3000 ms resume timer, whose tick calls RequestResume.
  virtual void ArmResume() = 0;
  virtual void DisarmResume() = 0;
  // The "Playlist" player setting; empty when there is none.
  virtual std::wstring ReadPlaylistSetting() = 0;
  // Tells the user and returns at once: a box left open on an unattended
  // machine must not hold up the executions behind it.
  virtual void ReportFailure(const Failure& failure) = 0;
};

class Executor {
 public:
  Executor(Player& player, ExecutorHost& host);

  // Runs the entry's execution, followed by ExecutionEnded, now; or, when
  // called during another job, as soon as that job (and those queued before
  // it) are done.
  void RequestExecute(ExecutionRequest request);
  // The resume timer's tick.
  void RequestResume();
  // The program is ending. Queued executions and a running one end as
  // kInterrupted (ExecutionEnded, now); a running job sends nothing more, and
  // no later request runs. A pending resume runs now, or as soon as the
  // running job has returned: the player is not left with an empty playlist.
  // The player may not be started any more. Nothing is reported from here on.
  void Stop();
  // Takes out the queued executions that were due before `earliest`: they
  // waited too long behind a slow job to count as on time.
  std::vector<ExecutionRequest> TakeQueuedDueBefore(const LocalDateTime& earliest);

  bool Busy() const { return busy_; }
  std::int32_t SavedPlayListPos() const { return savedPlayListPos_; }
  bool ResumePending() const { return resumePending_; }

 private:
  struct Job {
    bool resume = false;
    ExecutionRequest execution;
    std::uint64_t arming = 0;  // resume: armings seen when the tick came
  };

  void RunQueue();
  std::optional<Failure> Execute(const ExecutionRequest& request);
  PlayerStatus ExecutionSteps(const std::wstring& command);
  // Notes whether a step's message went to the player's window.
  PlayerStatus Noted(PlayerStatus status);
  std::optional<Failure> Resume(std::uint64_t arming);

  Player& player_;
  ExecutorHost& host_;
  std::deque<Job> queue_;
  bool busy_ = false;
  bool stopped_ = false;
  std::int32_t savedPlayListPos_ = 0;
  bool resumePending_ = false;
  std::uint64_t armings_ = 0;
  // The execution running now, and whether a message of it reached the player.
  std::optional<ExecutionRequest> running_;
  bool reachedPlayer_ = false;
};

}  // namespace cuelark
