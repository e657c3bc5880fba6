#include "tests/win/player/BoxAnswerer.h"

#include <algorithm>
#include <string>

namespace cuelark::test {
namespace {

constexpr wchar_t kBoxTitle[] = L"Winamp Control";

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = L"";
  GetClassNameW(window, name, 64);
  return name;
}

BoxAnswerer::Box Inspect(HWND box) {
  BoxAnswerer::Box seen;
  seen.text = MessageBoxText(box);
  seen.owner = GetWindow(box, GW_OWNER);
  EnumChildWindows(
      box,
      [](HWND child, LPARAM lParam) -> BOOL {
        auto& seen = *reinterpret_cast<BoxAnswerer::Box*>(lParam);
        if (!IsWindowVisible(child)) return TRUE;
        const std::wstring name = ClassOf(child);
        if (CompareStringOrdinal(name.c_str(), -1, L"Button", -1, TRUE) == CSTR_EQUAL) {
          seen.buttonIds.push_back(GetDlgCtrlID(child));
        } else if (CompareStringOrdinal(name.c_str(), -1, L"Static", -1, TRUE) == CSTR_EQUAL &&
                   (GetWindowLongPtrW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON &&
                   SendMessageW(child, STM_GETICON, 0, 0) != 0) {
          seen.showsIcon = true;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&seen));
  std::sort(seen.buttonIds.begin(), seen.buttonIds.end());
  return seen;
}

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
      Box seen = Inspect(box);
      {
        const std::lock_guard lock(mutex_);
        boxes_.push_back(std::move(seen));
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
