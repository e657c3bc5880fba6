// Answers the player link's "Winamp Control" message boxes for a test.
#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "tools/driver/Driver.h"

namespace cuelark::test {

// Answers every "Winamp Control" message box of this process with OK, from a
// thread of its own, and records each box's text and owner. Boxes that
// should not appear are answered too, so a faulty link fails the test
// instead of hanging it.
class BoxAnswerer {
 public:
  struct Box {
    std::wstring text;
    HWND owner = nullptr;
  };

  BoxAnswerer();
  ~BoxAnswerer();
  BoxAnswerer(const BoxAnswerer&) = delete;
  BoxAnswerer& operator=(const BoxAnswerer&) = delete;

  std::vector<Box> Boxes() const;

 private:
  void Run();

  std::atomic<bool> stop_{false};
  mutable std::mutex mutex_;
  std::vector<Box> boxes_;
  std::thread thread_;
};

}  // namespace cuelark::test
