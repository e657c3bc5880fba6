// Store figures, measured as a user meets them: start-up until the list shows
// every entry, and the synchronous clicks of Save and of the removal's OK,
// with a store of n entries.
// Usage: store_bench.exe CUELARK_EXE BREVONI_DLL N...
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "tools/driver/Driver.h"

using namespace cuelark;
using namespace cuelark::test;

namespace {

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

std::string StoreOf(int entries) {
  std::string text = "[Saved Commands]\r\n";
  for (int n = 1; n <= entries; ++n) {
    const std::string k = std::to_string(n);
    text += "name" + k + "=Entry " + k + "\r\ncommand" + k + "=C:\\Music\\Album\\track " + k + ".mp3\r\nstartDate" +
            k + "=EVERY DAY\r\nstartTime" + k + "=03:00:00\r\nisChecked" + k + "=True\r\nremWhenDone" + k + "=0\r\n";
  }
  text += "[Total Count]\r\ncount=" + std::to_string(entries) + "\r\n";
  return text;
}

void Report(const char* name, int entries, double value) {
  std::printf("bench: %s.n%d_ms %.1f ms\n", name, entries, value);
  std::fflush(stdout);
}

void Measure(const std::filesystem::path& exe, const std::filesystem::path& dll, int entries) {
  TempFolder folder;
  CopyFileTo(exe, folder.Path());
  CopyFileTo(dll, folder.Path());
  WriteFileText(folder / "cue.ini", StoreOf(entries));

  const auto launched = Clock::now();
  App app = App::Launch(folder / "Cuelark.exe", folder.Path());
  const HWND list = app.Control(ids::kSavedList);
  WaitUntil([&] { return ItemCount(list) == entries; }, 120000, "the list to show every entry");
  Report("store.startup", entries, MillisecondsSince(launched));
  if (entries == 0) return;

  SetText(app.Control(ids::kNameBox), L"Timed");
  SetText(app.Control(ids::kCommandBox), L"C:\\Music\\timed.mp3");
  const auto save = Clock::now();
  Click(app.Control(ids::kSaveButton));
  Report("store.save", entries, MillisecondsSince(save));

  SelectItem(list, 0);
  ClickAsync(app.Control(ids::kRemoveButton));
  const HWND box = FindMessageBox(app.ProcessId(), L"Remove from list", kDefaultTimeoutMs);
  if (!box) throw DriverError("no removal question");
  const auto remove = Clock::now();
  PressDialogButton(box, IDOK);
  WaitUntilGone(box, kDefaultTimeoutMs);
  SendMessageW(app.MainWindow(), WM_NULL, 0, 0);
  Report("store.remove_first", entries, MillisecondsSince(remove));
  app.Close();
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 4) return 2;
  try {
    for (int i = 3; i < argc; ++i) Measure(argv[1], argv[2], _wtoi(argv[i]));
  } catch (const std::exception& error) {
    std::fprintf(stderr, "store bench: %s\n", error.what());
    return 1;
  }
  return 0;
}
