#include "tests/win/player/BoxAnswerer.h"

#include <string>

namespace cuelark::test {
namespace {

constexpr wchar_t kBoxTitle[] = L"Winamp Control";

}  // namespace

BoxAnswerer::BoxAnswerer() : thread_([this] { Run(); }) {}

BoxAnswerer::~BoxAnswerer() {
  stop_ = true;
  thread_.join();
}

std::vector<BoxAnswerer::Box> BoxAnswerer::Boxes() const {
  const std::lock_guard lock(mutex_);
  return boxes_;
}

void BoxAnswerer::Run() {
  while (!stop_) {
    try {
      const HWND box = FindMessageBox(GetCurrentProcessId(), kBoxTitle, 20);
      if (!box) continue;
      {
        const std::lock_guard lock(mutex_);
        boxes_.push_back({MessageBoxText(box), GetWindow(box, GW_OWNER)});
      }
      PressDialogButton(box, IDOK);
      WaitUntilGone(box, kDefaultTimeoutMs);
    } catch (const DriverError& error) {
      // Recorded as a box whose text no test expects, so the test fails
      // with the reason.
      Box failed;
      const std::string what = error.what();
      failed.text = L"(could not answer the box: " + std::wstring(what.begin(), what.end()) + L")";
      const std::lock_guard lock(mutex_);
      boxes_.push_back(std::move(failed));
    }
  }
}

}  // namespace cuelark::test
