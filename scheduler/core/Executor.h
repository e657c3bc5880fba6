// Executions of entries and the later playlist resume, one at a time.
//
// A player operation can let window events run while it waits for a freshly
// started player, so a tick or a click can ask for another execution, or the
// resume timer can fire, in the middle of an execution. Such requests are
// queued and run after the current job: the player never sees two sequences
// interleaved. An execution counts as played only once the player reports
// playing; until then (at most kPlayingWaitMs) the job has not ended and the
// queue waits, while the window's events go on.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "scheduler/core/History.h"
#include "scheduler/core/Player.h"
#include "scheduler/core/SavedCommand.h"
#include "scheduler/core/Calendar.h"

namespace cuelark {

struct Failure {
  PlayerStatus status;
  bool duringResume;
  // A resume that found no playlist file to give back: the file it looked for.
  std::wstring missingPlaylist;
};

// How long an execution waits for the player to report playing after Play,
// and how often it asks meanwhile.
inline constexpr std::int64_t kPlayingWaitMs = 10'000;
inline constexpr std::int64_t kPlayingCheckMs = 100;

// One execution asked for: the entry as it was when it fell due (or was
// clicked), the second it was due and the note the history keeps of it. It
// travels with the job, so the history names the entry as it ran even when
// the user edits or removes it meanwhile.
struct ExecutionRequest {
  EntryId id = 0;
  LocalDateTime due{};
  std::wstring name;
  std::wstring command;
  std::wstring detail;
};

struct ExecutionResult {
  PlayerStatus status = PlayerStatus::kOk;
  // When the job began; only for an execution some message of which went to
  // the player's window.
  std::optional<StartedAt> started;
};

class ExecutorHost {
 public:
  virtual ~ExecutorHost() = default;
  // Right after an execution's player steps, before any failure is reported;
  // for a request dropped or cut short by Stop, with kInterrupted, during
  // Stop.
  virtual void ExecutionEnded(const ExecutionRequest& request, const ExecutionResult& result) = 0;
  // (Re)starts the 3000 ms resume timer, whose tick calls RequestResume.
  virtual void ArmResume() = 0;
  virtual void DisarmResume() = 0;
  // (Re)starts the kPlayingCheckMs timer, whose tick calls RequestPlayingCheck;
  // false when no timer can be had.
  virtual bool ArmPlayingCheck() = 0;
  virtual void DisarmPlayingCheck() = 0;
  // The playlist file the player has just written, from what it said of its
  // folder; empty when there are no player settings at all.
  virtual std::wstring PlaylistFile(const std::optional<PlaylistFolder>& fromPlayer) = 0;
  virtual bool CanReadPlaylist(const std::wstring& file) = 0;
  // Tells the user and returns at once: a box left open on an unattended
  // machine must not hold up the executions behind it.
  virtual void ReportFailure(const Failure& failure) = 0;
};

class Executor {
 public:
  Executor(Player& player, ExecutorHost& host, std::function<StartedAt()> now);

  // Runs the entry's execution, followed by ExecutionEnded, now; or, when
  // called during another job, as soon as that job (and those queued before
  // it) are done.
  void RequestExecute(ExecutionRequest request);
  // The resume timer's tick.
  void RequestResume();
  // The playing check's tick: the execution waiting for the player to play
  // ends when it does, or when kPlayingWaitMs have passed without.
  void RequestPlayingCheck();
  // The program is ending. Queued executions and a running one end as
  // kInterrupted (ExecutionEnded, now); a running job sends nothing more, and
  // no later request runs. A pending resume runs now, or as soon as the
  // running job has returned: the player is not left with an empty playlist.
  // The player may not be started any more. Nothing is reported from here on.
  void Stop();
  // Takes out the queued executions that were due before `earliest`: they
  // waited too long behind a slow job to count as on time.
  std::vector<ExecutionRequest> TakeQueuedDueBefore(const LocalDateTime& earliest);
  // The entry was removed: its queued executions are not run.
  void DropQueued(EntryId id);
  // Nothing running, waiting, queued or still to be given back.
  bool Idle() const { return !busy_ && !playingWait_ && queue_.empty() && !resumePending_; }
  // The execution running now, or else the one that ran last; for telling
  // the user which entry a message is about.
  const std::optional<ExecutionRequest>& LastStarted() const { return lastStarted_; }

 private:
  struct Job {
    bool resume = false;
    ExecutionRequest execution;
    std::uint64_t arming = 0;  // resume: armings seen when the tick came
  };

  // Time waited for playing, counted from tick to tick so that a change of
  // the clock neither ends the wait early nor stretches it.
  struct PlayingWait {
    std::int64_t waitedMs = 0;
    StartedAt lastLook{};
  };

  void RunQueue();
  std::optional<Failure> Execute(const ExecutionRequest& request);
  PlayerStatus ExecutionSteps(const std::wstring& command);
  // kOk when the player took the entry just added (or cannot tell).
  PlayerStatus TookEntry();
  // The player's answer settled: kOk playing (or it cannot tell), another
  // status for a failure; nullopt while still waiting.
  std::optional<PlayerStatus> LookAtPlaying();
  // The rest of an execution, once its outcome is known.
  std::optional<Failure> Finish(PlayerStatus status);
  // Notes whether a step's message went to the player's window.
  PlayerStatus Noted(PlayerStatus status);
  ExecutionResult ResultOf(PlayerStatus status) const;
  std::optional<Failure> Resume(std::uint64_t arming);

  Player& player_;
  ExecutorHost& host_;
  std::function<StartedAt()> now_;
  std::deque<Job> queue_;
  bool busy_ = false;
  bool stopped_ = false;
  std::int32_t savedPlayListPos_ = 0;
  bool resumePending_ = false;
  // The file the player wrote the user's playlist to, for the resume.
  std::wstring resumeFile_;
  // Set while the running execution waits for the player to play; the
  // queue waits with it.
  std::optional<PlayingWait> playingWait_;
  std::uint64_t armings_ = 0;
  std::optional<ExecutionRequest> lastStarted_;
  // The execution running now: when it began, and whether a message of it
  // reached the player.
  bool running_ = false;
  StartedAt started_{};
  bool reachedPlayer_ = false;
};

}  // namespace cuelark
