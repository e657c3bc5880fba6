// The input played instead of an entry's own when that one cannot play, so
// that an unattended firing is never silent.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "scheduler/core/Options.h"
#include "scheduler/core/Player.h"

namespace cuelark {

// The history's detail for the line of a fallback's own execution.
inline constexpr std::wstring_view kFallbackDetail = L"fallback";

// Why an execution did not play.
enum class PlayFailure {
  kCheckFailed,   // the input was missing or did not answer at the due second
  kInputRefused,  // the player could not be given the input's text
  kNotPlaying,    // the player took the input but did not start playing it
  kPlayerFailed,  // the player could not be started or did not answer
  kInterrupted,   // the program is ending
};

// Nothing for kOk.
std::optional<PlayFailure> FailureOf(PlayerStatus status);

// The input to play through the same sequence after `failure` of `command`,
// or nothing. Only a failure of the input itself calls for another one: a
// player that cannot be started or reached fails the same way with any
// input, and a program that is ending plays nothing more. A fallback that
// fails is not followed by another, and neither is a command that is the
// fallback itself.
std::optional<std::wstring> FallbackInput(const Options& options, PlayFailure failure, const std::wstring& command,
                                          bool failedWasFallback);

}  // namespace cuelark
