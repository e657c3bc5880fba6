// Whether an http:// or https:// address answers, through WinHTTP. Any
// answer counts, an error status too: the server is there and the player
// gets to ask it. What fails is no connection, or no answer in time.
#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "scheduler/core/InputCheck.h"

namespace cuelark {

inline constexpr std::chrono::milliseconds kAddressAnswerLimit{5000};

class AddressProbe final : public InputAddresses {
 public:
  // Safe to call from several threads at once: each call has its own session.
  std::optional<std::wstring> Reach(const std::wstring& address) override;
};

}  // namespace cuelark
