#include "scheduler/win/InputChecker.h"

#include <exception>
#include <string_view>
#include <utility>

#include "common/win32/TextConversion.h"

namespace cuelark {
namespace {

std::wstring CheckBroke(const char* what) {
  try {
    return L"the check failed: " + win32::CodePageToWide(CP_UTF8, what);
  } catch (const std::exception&) {
    return L"the check failed";
  }
}

}  // namespace

std::unique_ptr<InputChecker> InputChecker::Create(HWND window, UINT message,
                                                   std::unique_ptr<InputAddresses> addresses, std::wstring& error) {
  auto checker = std::make_unique<InputChecker>(Token(), window, message, std::move(addresses));
  checker->work_.reset(CreateThreadpoolWork(OnWork, checker.get(), nullptr));
  if (!checker->work_) {
    error = L"The inputs cannot be checked ahead: " + win32::ErrorText(GetLastError());
    return nullptr;
  }
  return checker;
}

InputChecker::InputChecker(Token, HWND window, UINT message, std::unique_ptr<InputAddresses> addresses)
    : window_(window),
      message_(message),
      files_([](std::string_view bytes) { return win32::CodePageToWide(CP_ACP, bytes); }),
      addresses_(std::move(addresses)) {}

InputChecker::~InputChecker() {
  if (!work_) return;
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  WaitForThreadpoolWorkCallbacks(work_.get(), TRUE);
}

void InputChecker::Check(InputCheckRequest request) {
  {
    const std::lock_guard lock(mutex_);
    queued_.push_back(std::move(request));
  }
  // One callback for each request queued; each takes the oldest.
  SubmitThreadpoolWork(work_.get());
}

std::vector<InputCheckResult> InputChecker::TakeResults() {
  const std::lock_guard lock(mutex_);
  return std::exchange(results_, {});
}

void CALLBACK InputChecker::OnWork(PTP_CALLBACK_INSTANCE, PVOID context, PTP_WORK) {
  static_cast<InputChecker*>(context)->RunOne();
}

void InputChecker::RunOne() {
  InputCheckRequest request;
  {
    const std::lock_guard lock(mutex_);
    if (stopping_ || queued_.empty()) return;
    request = std::move(queued_.front());
    queued_.erase(queued_.begin());
  }
  InputCheckResult result{request.id, request.due, std::move(request.name), request.command, std::nullopt};
  // Nothing may leave a thread-pool callback; a check that breaks says so.
  try {
    result.reason = CheckCommand(request.command, files_, *addresses_);
  } catch (const std::exception& error) {
    result.reason = CheckBroke(error.what());
  } catch (...) {
    result.reason = CheckBroke("");
  }
  {
    const std::lock_guard lock(mutex_);
    if (stopping_) return;
    results_.push_back(std::move(result));
  }
  PostMessageW(window_, message_, 0, 0);
}

}  // namespace cuelark
