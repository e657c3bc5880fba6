// Firing figures: many entries due over the next two minutes, some in the
// same second, some while the machine is loaded; how late each execution
// reaches the player, and how many were missed or doubled.
// Usage: clock_bench.exe CUELARK_EXE BREVONI_DLL STANDIN_EXE
//        clock_bench.exe --burn MILLISECONDS   (the load)
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "bench/Percentile.h"
#include "common/win32/ModulePath.h"
#include "scheduler/win/PlayerMessages.h"
#include "tools/driver/Driver.h"
#include "tools/player/StandInLog.h"

using namespace cuelark;
using namespace cuelark::test;

namespace {

constexpr int kLeadSeconds = 15;    // for the start-up of both programs
constexpr int kSpanSeconds = 100;   // one entry in each of these seconds...
constexpr int kSharedEvery = 10;    // ...and a second one in every tenth
constexpr int kLoadFrom = 30;       // seconds into the span the load runs
constexpr int kLoadFor = 30;

void Burn(DWORD milliseconds) {
  const DWORD until = GetTickCount() + milliseconds;
  std::vector<std::thread> threads;
  for (unsigned i = 0; i < std::max(2u, std::thread::hardware_concurrency()); ++i)
    threads.emplace_back([until] {
      volatile unsigned long long spin = 0;
      while (static_cast<LONG>(GetTickCount() - until) < 0) spin = spin + 1;
    });
  for (auto& t : threads) t.join();
}

long long SecondOfDay(const SYSTEMTIME& t) { return t.wHour * 3600LL + t.wMinute * 60LL + t.wSecond; }

std::string TimeText(long long secondOfDay) {
  char text[16];
  snprintf(text, sizeof text, "%02lld:%02lld:%02lld", secondOfDay / 3600 % 24, secondOfDay / 60 % 60,
           secondOfDay % 60);
  return text;
}

// Seconds since midnight, with fractions, of a log time "YYYY-MM-DD HH:MM:SS.ffffff".
double LoggedSecond(const std::string& localTime) {
  int hour = 0, minute = 0;
  double second = 0;
  std::sscanf(localTime.c_str() + 11, "%d:%d:%lf", &hour, &minute, &second);
  return hour * 3600.0 + minute * 60.0 + second;
}

int Run(const wchar_t* cuelarkExe, const wchar_t* dll, const wchar_t* standInExe) {
  TempFolder playerFolder;
  std::filesystem::rename(CopyFileTo(standInExe, playerFolder.Path()), playerFolder / "Winamp.exe");
  App player = App::Launch(playerFolder / "Winamp.exe", playerFolder.Path(), L"--entry C:\\own.mp3", {},
                           player::kWindowClass);

  TempFolder folder;
  CopyFileTo(cuelarkExe, folder.Path());
  CopyFileTo(dll, folder.Path());
  WriteFileText(folder / "winamp.ini", "[Winamp]\r\nPlaylist=" + (playerFolder / "Winamp.m3u").string() + "\r\n");

  SYSTEMTIME now;
  GetLocalTime(&now);
  const long long first = SecondOfDay(now) + kLeadSeconds;
  if (first + kSpanSeconds >= 86400) throw DriverError("too close to midnight for this run");
  std::map<std::string, long long> due;  // command -> second of day
  std::string store = "[Saved Commands]\r\n";
  int n = 0;
  auto add = [&](long long second) {
    const std::string k = std::to_string(++n);
    // The player plays only what exists, and only playing counts as played.
    const std::string command = (folder / ("bench " + k + ".mp3")).string();
    WriteFileText(command, "");
    due[command] = second;
    store += "name" + k + "=Bench " + k + "\r\ncommand" + k + "=" + command + "\r\nstartDate" + k +
             "=EVERY DAY\r\nstartTime" + k + "=" + TimeText(second) + "\r\nisChecked" + k + "=True\r\nremWhenDone" +
             k + "=0\r\n";
  };
  for (int s = 0; s < kSpanSeconds; ++s) {
    add(first + s);
    if (s % kSharedEvery == 0) add(first + s);
  }
  store += "[Total Count]\r\ncount=" + std::to_string(n) + "\r\n";
  WriteFileText(folder / "cue.ini", store);
  App cuelark = App::Launch(folder / "Cuelark.exe", folder.Path());

  // The load, started by the clock of the run rather than by a pause.
  auto waitUntilSecond = [](long long second) {
    for (;;) {
      SYSTEMTIME t;
      GetLocalTime(&t);
      const long long left = second - SecondOfDay(t);
      if (left <= 0) return;
      Sleep(static_cast<DWORD>(std::min<long long>(left * 1000 - t.wMilliseconds, 1000)));
    }
  };
  waitUntilSecond(first + kLoadFrom);
  std::wstring burn = L"\"" + std::wstring(L"clock_bench.exe") + L"\" --burn " + std::to_wstring(kLoadFor * 1000);
  const std::wstring self = win32::ModulePath();
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION load{};
  if (!CreateProcessW(self.c_str(), burn.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &load))
    throw DriverError("the load did not start");
  CloseHandle(load.hThread);
  unique_handle loadProcess(load.hProcess);
  waitUntilSecond(first + kSpanSeconds + 4);
  WaitForSingleObject(load.hProcess, INFINITE);

  const auto messages = standin::PlayerMessages(standin::ReadStandInLog(playerFolder / "Winamp.log"));
  std::map<std::string, int> fired;
  std::vector<double> latencies;
  for (std::size_t j = 0; j < messages.size(); ++j) {
    const auto& m = messages[j];
    if (m.kind != standin::LoggedKind::kCopyData) continue;
    std::string text(m.data.begin(), m.data.end());
    if (!text.empty() && text.back() == '\0') text.pop_back();
    const auto entry = due.find(text);
    if (entry == due.end()) continue;
    // The execution began with its clear, or earlier with saving the
    // player's position and playlist (get position, version, write).
    std::size_t start = j > 0 ? j - 1 : j;
    if (start >= 3 && messages[start - 1].lParam == 120) start -= 3;
    ++fired[text];
    latencies.push_back((LoggedSecond(messages[start].localTime) - static_cast<double>(entry->second)) * 1000.0);
  }
  int missed = 0, doubled = 0;
  for (const auto& [command, second] : due) {
    const int count = fired.count(command) ? fired[command] : 0;
    missed += count == 0;
    doubled += count > 1;
  }
  std::printf("bench: clock.entries %d count\n", n);
  std::printf("bench: clock.fire_latency_p50_ms %.1f ms\n", bench::Percentile(latencies, 0.50));
  std::printf("bench: clock.fire_latency_p99_ms %.1f ms\n", bench::Percentile(latencies, 0.99));
  std::printf("bench: clock.missed %d count\n", missed);
  std::printf("bench: clock.doubled %d count\n", doubled);
  std::fflush(stdout);
  cuelark.Close();
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 3 && std::wstring(argv[1]) == L"--burn") {
    Burn(static_cast<DWORD>(_wtoi(argv[2])));
    return 0;
  }
  if (argc != 4) return 2;
  try {
    return Run(argv[1], argv[2], argv[3]);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "clock bench: %s\n", error.what());
    return 1;
  }
}
