// Store figures, measured as a user meets them: start-up until the list shows
// every entry, and the synchronous clicks of Save and of the removal's OK,
// with a store of n entries. Each figure is the median of several runs: a
// single start under Wine varies by a hundred milliseconds with what the
// Wine server happens to be doing.
// Usage: store_bench.exe CUELARK_EXE BREVONI_DLL N...
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/Percentile.h"
#include "tools/driver/Driver.h"

using namespace cuelark;
using namespace cuelark::test;

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kRuns = 5;

struct Figures {
  std::vector<double> startup, save, removeFirst;
};

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

void ReportMedian(const char* name, int entries, std::vector<double> values) {
  if (values.empty()) return;
  std::printf("bench: %s.n%d_ms %.1f ms\n", name, entries, bench::Percentile(std::move(values), 0.5));
  std::fflush(stdout);
}

void MeasureOnce(const std::filesystem::path& exe, const std::filesystem::path& dll, int entries, Figures& figures) {
  TempFolder folder;
  CopyFileTo(exe, folder.Path());
  CopyFileTo(dll, folder.Path());
  WriteFileText(folder / "cue.ini", StoreOf(entries));

  const auto launched = Clock::now();
  App app = App::Launch(folder / "Cuelark.exe", folder.Path());
  const HWND list = app.Control(ids::kSavedList);
  WaitUntil([&] { return ItemCount(list) == entries; }, 120000, "the list to show every entry");
  figures.startup.push_back(MillisecondsSince(launched));
  if (entries == 0) return;

  SetText(app.Control(ids::kNameBox), L"Timed");
  SetText(app.Control(ids::kCommandBox), L"C:\\Music\\timed.mp3");
  const auto save = Clock::now();
  Click(app.Control(ids::kSaveButton));
  figures.save.push_back(MillisecondsSince(save));

  SelectItem(list, 0);
  ClickAsync(app.Control(ids::kRemoveButton));
  const HWND box = FindMessageBox(app.ProcessId(), L"Remove from list", kDefaultTimeoutMs);
  if (!box) throw DriverError("no removal question");
  const auto remove = Clock::now();
  PressDialogButton(box, IDOK);
  WaitUntilGone(box, kDefaultTimeoutMs);
  SendMessageW(app.MainWindow(), WM_NULL, 0, 0);
  figures.removeFirst.push_back(MillisecondsSince(remove));
  app.Close();
}

void Measure(const std::filesystem::path& exe, const std::filesystem::path& dll, int entries) {
  Figures figures;
  for (int run = 0; run < kRuns; ++run) MeasureOnce(exe, dll, entries, figures);
  ReportMedian("store.startup", entries, figures.startup);
  ReportMedian("store.save", entries, figures.save);
  ReportMedian("store.remove_first", entries, figures.removeFirst);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 4) return 2;
  try {
    // The first start also sets up this process's own window station
    // connection; that belongs to no figure.
    Figures warmUp;
    MeasureOnce(argv[1], argv[2], 0, warmUp);
    for (int i = 3; i < argc; ++i) Measure(argv[1], argv[2], _wtoi(argv[i]));
  } catch (const std::exception& error) {
    std::fprintf(stderr, "store bench: %s\n", error.what());
    return 1;
  }
  return 0;
}
