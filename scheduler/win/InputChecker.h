// Checks entries' inputs ahead of their firing on the thread pool, so that a
// slow share or a silent server never holds up the window. The results wait
// here until the window takes them; the window is only told that some wait,
// so a notice lost with a closing window loses nothing else.
#pragma once

#include <windows.h>

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "scheduler/core/Calendar.h"
#include "scheduler/core/DiskInputFiles.h"
#include "scheduler/core/InputCheck.h"
#include "scheduler/core/SavedCommand.h"

namespace cuelark {

class InputChecker {
  class Token {
    friend class InputChecker;
    Token() = default;
  };

 public:
  // Results are announced to `window` by a posted `message` (no parameters).
  // Nothing, with the reason in `error`, when the thread pool takes no work.
  static std::unique_ptr<InputChecker> Create(HWND window, UINT message, std::unique_ptr<InputAddresses> addresses,
                                              std::wstring& error);
  InputChecker(Token, HWND window, UINT message, std::unique_ptr<InputAddresses> addresses);
  // Drops the checks not started and waits for those under way.
  ~InputChecker();
  InputChecker(const InputChecker&) = delete;
  InputChecker& operator=(const InputChecker&) = delete;

  void Check(InputCheckRequest request);
  // The results so far, in the order they were found.
  std::vector<InputCheckResult> TakeResults();

 private:
  struct WorkCloser {
    void operator()(PTP_WORK work) const noexcept { CloseThreadpoolWork(work); }
  };

  static void CALLBACK OnWork(PTP_CALLBACK_INSTANCE, PVOID context, PTP_WORK);
  void RunOne();

  HWND window_;
  UINT message_;
  DiskInputFiles files_;
  std::unique_ptr<InputAddresses> addresses_;
  std::mutex mutex_;
  std::vector<InputCheckRequest> queued_;
  std::vector<InputCheckResult> results_;
  bool stopping_ = false;
  std::unique_ptr<TP_WORK, WorkCloser> work_;
};

}  // namespace cuelark
