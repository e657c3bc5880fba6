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

#include "scheduler/core/History.h"
#include "scheduler/core/Player.h"
#include "scheduler/core/SavedCommand.h"
#include "scheduler/core/Texts.h"

namespace cuelark {

struct Failure {
  PlayerStatus status;
  bool duringResume;
};

// One execution asked for: the entry as it was when asked (the history names
// it so even when it is removed meanwhile), the second it was due and the
// note the history keeps of it. It travels with the job, so the host learns
// which request is running without keeping a queue or a record of its own.
struct ExecutionRequest {
  EntryId id = 0;
  std::wstring name;
  std::wstring command;
  LocalDateTime due{};
  std::wstring detail;
};

class ExecutorHost {
 public:
  virtual ~ExecutorHost() = default;
  // The moment the execution starts; nullopt when its entry is gone
  // (removed while the job waited in the queue), and it does not run.
  virtual std::optional<StartedAt> BeginExecution(const ExecutionRequest& request) = 0;
  // Right after an execution's player steps, before any failure is reported.
  virtual void ExecutionEnded(const ExecutionRequest& request, const StartedAt& started, PlayerStatus status) = 0;
  // (Re)starts the 3000 ms resume timer, whose tick calls RequestResume.
  virtual void ArmResume() = 0;
  virtual void DisarmResume() = 0;
  // The "Playlist" player setting; empty when there is none.
  virtual std::wstring ReadPlaylistSetting() = 0;
  // Tells the user (a modal message box). Called while the executor is not
  // busy, so requests made meanwhile run at once.
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
  // The program is ending: the queue is dropped, a running job sends nothing
  // more, and no later request runs. Nothing is reported from here on.
  void Stop();

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
  std::optional<Failure> Resume(std::uint64_t arming);

  Player& player_;
  ExecutorHost& host_;
  std::deque<Job> queue_;
  bool busy_ = false;
  bool stopped_ = false;
  std::int32_t savedPlayListPos_ = 0;
  bool resumePending_ = false;
  std::uint64_t armings_ = 0;
};

}  // namespace cuelark
