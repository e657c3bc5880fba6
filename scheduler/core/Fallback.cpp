#include "scheduler/core/Fallback.h"

namespace cuelark {

std::optional<PlayFailure> FailureOf(PlayerStatus status) {
  switch (status) {
    case PlayerStatus::kOk: return std::nullopt;
    case PlayerStatus::kTextRefused: return PlayFailure::kInputRefused;
    case PlayerStatus::kInterrupted: return PlayFailure::kInterrupted;
    case PlayerStatus::kNotPlaying: return PlayFailure::kNotPlaying;
    case PlayerStatus::kNotStarted:
    case PlayerStatus::kNotResponding:
    case PlayerStatus::kAccessDenied:
    case PlayerStatus::kNotAProgram:
    case PlayerStatus::kStartFailed:
    case PlayerStatus::kWindowClosed: return PlayFailure::kPlayerFailed;
  }
  return PlayFailure::kPlayerFailed;
}

std::optional<std::wstring> FallbackInput(const Options& options, PlayFailure failure, const std::wstring& command,
                                          bool failedWasFallback) {
  const bool inputFailed = failure == PlayFailure::kCheckFailed || failure == PlayFailure::kInputRefused ||
                           failure == PlayFailure::kNotPlaying;
  if (!inputFailed || failedWasFallback || options.fallback.empty() || options.fallback == command)
    return std::nullopt;
  return options.fallback;
}

}  // namespace cuelark
