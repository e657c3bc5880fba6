// Long-run figures: what the program keeps of the handles, GDI and USER
// objects and private memory it uses, over thousands of executions fired by
// its schedule and thousands of Saves and removals, against the stand-in
// player.
//
// The store holds a hundred entries that never fire. Each round saves a
// batch of "every day" entries due at one second shortly ahead, waits until
// the schedule has executed all of them, and removes them again through
// "Remove selected". Warm-up rounds run first, so that caches, the heap and
// the controls have reached their working size before the first reading.
// Usage: soak_bench.exe CUELARK_EXE BREVONI_DLL [ROUNDS]
#include <windows.h>
#include <psapi.h>
#include <winternl.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "tools/driver/Driver.h"
#include "tools/player/StandInControl.h"

using namespace cuelark;
using namespace cuelark::test;

namespace {

constexpr int kStoredEntries = 100;
constexpr int kPerRound = 50;
constexpr int kRounds = 40;  // 2000 executions, Saves and removals
constexpr int kWarmUpRounds = 2;

using Clock = std::chrono::steady_clock;

// ------------------------------------------------------------ usage readings

struct Usage {
  long long handles;
  long long gdiObjects;
  long long userObjects;
  long long privateKb;
};

// The handle table of the whole system, filtered by process: Wine answers
// GetProcessHandleCount with 0, and this reads alike on both.
long long HandleCount(DWORD processId) {
  struct Entry {
    void* object;
    ULONG_PTR processId;
    ULONG_PTR handle;
    ULONG access;
    USHORT creatorBackTrace;
    USHORT objectType;
    ULONG attributes;
    ULONG reserved;
  };
  struct Table {
    ULONG_PTR count;
    ULONG_PTR reserved;
    Entry entries[1];
  };
  constexpr auto kSystemExtendedHandleInformation = static_cast<SYSTEM_INFORMATION_CLASS>(64);
  constexpr NTSTATUS kInfoLengthMismatch = static_cast<NTSTATUS>(0xC0000004);
  std::vector<ULONG_PTR> buffer(1 << 16);
  for (;;) {
    const auto bytes = static_cast<ULONG>(buffer.size() * sizeof(ULONG_PTR));
    ULONG needed = 0;
    const NTSTATUS status = NtQuerySystemInformation(kSystemExtendedHandleInformation, buffer.data(), bytes, &needed);
    if (status == kInfoLengthMismatch) {
      buffer.resize(buffer.size() * 2);
      continue;
    }
    if (status < 0) throw DriverError("the system's handle table could not be read");
    break;
  }
  const auto* table = reinterpret_cast<const Table*>(buffer.data());
  long long count = 0;
  for (ULONG_PTR i = 0; i < table->count; ++i) count += table->entries[i].processId == processId;
  return count;
}

// GetGuiResources where it answers. Wine does not; its GDI objects live in
// a table of the process's own, found through the process's PEB, laid out
// as the NT table: 24-byte entries whose type byte is zero when free.
long long GdiObjectCount(HANDLE process) {
  SetLastError(ERROR_SUCCESS);
  if (const DWORD count = GetGuiResources(process, GR_GDIOBJECTS); count != 0) return count;
  if (GetLastError() != ERROR_CALL_NOT_IMPLEMENTED) throw DriverError("GetGuiResources failed");
  static_assert(sizeof(void*) == 8, "the PEB offset is the 64-bit one");
  constexpr std::size_t kPebGdiTableOffset = 0xF8;
  constexpr std::size_t kTableEntries = 0x10000;
  struct Entry {
    unsigned long long object;
    unsigned long owner;
    unsigned short unique;
    unsigned char type;
    unsigned char flags;
    unsigned long long userData;
  };
  static_assert(sizeof(Entry) == 24);
  PROCESS_BASIC_INFORMATION basic{};
  ULONG length = 0;
  void* table = nullptr;
  if (NtQueryInformationProcess(process, ProcessBasicInformation, &basic, sizeof(basic), &length) < 0 ||
      !ReadProcessMemory(process, static_cast<const char*>(static_cast<void*>(basic.PebBaseAddress)) + kPebGdiTableOffset,
                         &table, sizeof(table), nullptr) ||
      !table)
    throw DriverError("the program's GDI table could not be found");
  std::vector<Entry> entries(kTableEntries);
  if (!ReadProcessMemory(process, table, entries.data(), entries.size() * sizeof(Entry), nullptr))
    throw DriverError("the program's GDI table could not be read");
  return std::count_if(entries.begin(), entries.end(), [](const Entry& entry) { return entry.type != 0; });
}

struct WindowCount {
  DWORD processId;
  long long count = 0;
};

BOOL CALLBACK CountChild(HWND, LPARAM counter) {
  ++reinterpret_cast<WindowCount*>(counter)->count;
  return TRUE;
}

void CountWindowAndChildren(HWND window, WindowCount& counter) {
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != counter.processId) return;
  ++counter.count;
  EnumChildWindows(window, CountChild, reinterpret_cast<LPARAM>(&counter));
}

BOOL CALLBACK CountTopLevel(HWND window, LPARAM counter) {
  CountWindowAndChildren(window, *reinterpret_cast<WindowCount*>(counter));
  return TRUE;
}

// GetGuiResources where it answers. Under Wine, whose USER handles no other
// process can count, the windows: top-level, child and message-only.
long long UserObjectCount(HANDLE process, DWORD processId) {
  SetLastError(ERROR_SUCCESS);
  if (const DWORD count = GetGuiResources(process, GR_USEROBJECTS); count != 0) return count;
  if (GetLastError() != ERROR_CALL_NOT_IMPLEMENTED) throw DriverError("GetGuiResources failed");
  WindowCount counter{processId};
  EnumWindows(CountTopLevel, reinterpret_cast<LPARAM>(&counter));
  for (HWND window = nullptr; (window = FindWindowExW(HWND_MESSAGE, window, nullptr, nullptr));)
    CountWindowAndChildren(window, counter);
  return counter.count;
}

Usage UsageOf(const App& app) {
  PROCESS_MEMORY_COUNTERS memory{};
  memory.cb = sizeof(memory);
  if (!GetProcessMemoryInfo(app.Process(), &memory, sizeof(memory)))
    throw DriverError("the program's memory could not be read");
  // PagefileUsage is the private commit on Windows and the anonymous
  // resident memory under Wine; Wine leaves PrivateUsage at 0.
  return {HandleCount(app.ProcessId()), GdiObjectCount(app.Process()),
          UserObjectCount(app.Process(), app.ProcessId()), static_cast<long long>(memory.PagefileUsage / 1024)};
}

// ------------------------------------------------------------------ the run

std::string StoreOf(int entries) {
  std::string text = "[Saved Commands]\r\n";
  for (int n = 1; n <= entries; ++n) {
    const std::string k = std::to_string(n);
    text += "name" + k + "=Stored " + k + "\r\ncommand" + k + "=C:\\Music\\stored " + k + ".mp3\r\nstartDate" + k +
            "=2001-01-01\r\nstartTime" + k + "=03:00:00\r\nisChecked" + k + "=True\r\nremWhenDone" + k + "=0\r\n";
  }
  text += "[Total Count]\r\ncount=" + std::to_string(entries) + "\r\n";
  return text;
}

// In the given folder: the player plays only what exists, and only playing
// counts as played.
std::wstring Command(const std::filesystem::path& folder, int round, int k) {
  return (folder / (std::to_wstring(round) + L"-" + std::to_wstring(k) + L".mp3")).wstring();
}

long long SecondOfDay(const SYSTEMTIME& t) { return t.wHour * 3600LL + t.wMinute * 60LL + t.wSecond; }

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

// The commands the player has been given to play so far.
std::multiset<std::string> PlayedCommands(const std::filesystem::path& playerFolder) {
  std::multiset<std::string> played;
  for (const standin::LoggedMessage& message : StandInMessages(playerFolder)) {
    if (message.kind != standin::LoggedKind::kCopyData) continue;
    std::string text(message.data.begin(), message.data.end());
    if (!text.empty() && text.back() == '\0') text.pop_back();
    played.insert(text);
  }
  return played;
}

// Polls the player's log, which grows with every execution; the pause keeps
// the reading from competing with the program for the processor.
template <typename Condition>
void WaitForPlayer(Condition condition, std::chrono::seconds limit, const char* what) {
  const auto deadline = Clock::now() + limit;
  while (!condition()) {
    if (Clock::now() > deadline) throw DriverError(std::string("timed out waiting for ") + what);
    Sleep(200);
  }
}

class Soak {
 public:
  Soak(const std::filesystem::path& cuelarkExe, const std::filesystem::path& dll) {
    InstallStandIn(playerFolder_.Path());
    player_.emplace(LaunchStandIn(playerFolder_.Path(), L"--entry C:\\own.mp3"));
    CopyFileTo(cuelarkExe, folder_.Path());
    CopyFileTo(dll, folder_.Path());
    WriteFileText(folder_ / "winamp.ini",
                  "[Winamp]\r\nPlaylist=" + (playerFolder_ / "Winamp.m3u").string() + "\r\n");
    WriteFileText(folder_ / "cue.ini", StoreOf(kStoredEntries));
    app_.emplace(App::Launch(folder_ / "Cuelark.exe", folder_.Path()));
  }

  // Rounds of Saves, executions and removals; the entries of one round are
  // removed while the next round's wait for their second. Ends with the
  // store as it began.
  void Rounds(int count) {
    for (int r = 0; r < count;) {
      const int round = round_++;
      const bool inTime = SaveRound(round);
      // A round whose last Saves came after its second (the machine was
      // busy) would never fire in full: it goes, and comes again with a
      // longer lead.
      RemoveRounds(inTime ? pendingRounds_ : pendingRounds_ + 1);
      pendingRounds_ = 0;
      if (!inTime) continue;
      pendingRounds_ = 1;
      WaitForPlayer(
          [&] {
            const std::multiset<std::string> played = PlayedCommands(playerFolder_.Path());
            for (int k = 0; k < kPerRound; ++k)
              if (played.count(Narrow(Command(folder_.Path(), round, k))) != 1) return false;
            return true;
          },
          std::chrono::seconds(60), "the round's executions");
      ++r;
    }
    RemoveRounds(pendingRounds_);
    pendingRounds_ = 0;
    if (ItemCount(app_->Control(ids::kSavedList)) != kStoredEntries)
      throw DriverError("the rounds' entries were not all removed");
  }

  // Once the player has its playlist back from the last execution and the
  // program has nothing left to do.
  Usage Settled() {
    WaitForPlayer(
        [&] {
          const std::vector<standin::LoggedMessage> messages = StandInMessages(playerFolder_.Path());
          return !messages.empty() && messages.back().kind == standin::LoggedKind::kUser &&
                 messages.back().lParam == 121;
        },
        std::chrono::seconds(30), "the playlist resume");
    SendMessageW(app_->MainWindow(), WM_NULL, 0, 0);
    return UsageOf(*app_);
  }

  void Close() { app_->Close(); }

 private:
  // Saves a round's entries, all due at one second ahead; true when every
  // Save was done before that second began.
  bool SaveRound(int round) {
    const auto lead = static_cast<long long>(std::ceil(2 + kPerRound * saveMs_ * 2 / 1000));
    SYSTEMTIME due;
    GetLocalTime(&due);
    const long long dueSecond = (SecondOfDay(due) + 1 + lead) % 86400;
    due.wHour = static_cast<WORD>(dueSecond / 3600);
    due.wMinute = static_cast<WORD>(dueSecond / 60 % 60);
    due.wSecond = static_cast<WORD>(dueSecond % 60);
    const auto saving = Clock::now();
    for (int k = 0; k < kPerRound; ++k) {
      WriteFileText(Command(folder_.Path(), round, k), "");
      Save(Command(folder_.Path(), round, k), due);
    }
    saveMs_ = std::chrono::duration<double, std::milli>(Clock::now() - saving).count() / kPerRound;
    SYSTEMTIME now;
    GetLocalTime(&now);
    const long long secondsLeft = (dueSecond - SecondOfDay(now) + 86400) % 86400;
    return secondsLeft > 0 && secondsLeft <= lead + 1;
  }

  // The oldest rounds' entries stand right after the stored ones.
  void RemoveRounds(int rounds) {
    const HWND list = app_->Control(ids::kSavedList);
    for (int k = 0; k < rounds * kPerRound; ++k) RemoveRow(list, kStoredEntries);
  }

  void Save(const std::wstring& command, const SYSTEMTIME& due) {
    SetText(app_->Control(ids::kNameBox), L"Soak");
    SetText(app_->Control(ids::kCommandBox), command);
    SetPickerTime(app_->Control(ids::kTimePicker), due);
    SetChecked(app_->Control(ids::kEveryDayBox), true);
    Click(app_->Control(ids::kSaveButton));
  }

  void RemoveRow(HWND list, int row) {
    SelectItem(list, row);
    ClickAsync(app_->Control(ids::kRemoveButton));
    const HWND box = FindMessageBox(app_->ProcessId(), L"Remove from list", kDefaultTimeoutMs);
    if (!box) throw DriverError("no removal question");
    PressDialogButton(box, IDOK);
    WaitUntilGone(box, kDefaultTimeoutMs);
    SendMessageW(app_->MainWindow(), WM_NULL, 0, 0);
  }

  TempFolder playerFolder_;
  TempFolder folder_;
  std::optional<App> player_;
  std::optional<App> app_;
  int round_ = 0;
  int pendingRounds_ = 0;  // executed, not yet removed
  double saveMs_ = 100;
};

void Report(const char* name, long long value, const char* unit) {
  std::printf("bench: soak.%s %lld %s\n", name, value, unit);
  std::fflush(stdout);
}

int Run(const wchar_t* cuelarkExe, const wchar_t* dll, int rounds) {
  const auto start = Clock::now();
  Soak soak(cuelarkExe, dll);
  soak.Rounds(kWarmUpRounds);
  const Usage before = soak.Settled();
  soak.Rounds(rounds);
  const Usage after = soak.Settled();
  soak.Close();
  const long long measured = static_cast<long long>(rounds) * kPerRound;
  Report("executions", measured, "count");
  Report("saves", measured, "count");
  Report("removals", measured, "count");
  Report("handles_growth", after.handles - before.handles, "count");
  Report("gdi_growth", after.gdiObjects - before.gdiObjects, "count");
  Report("user_growth", after.userObjects - before.userObjects, "count");
  Report("private_kb_growth", after.privateKb - before.privateKb, "KB");
  std::fprintf(stderr, "soak: before %lld handles, %lld GDI, %lld USER, %lld KB; after %lld, %lld, %lld, %lld KB; %.0f s\n",
               before.handles, before.gdiObjects, before.userObjects, before.privateKb, after.handles,
               after.gdiObjects, after.userObjects, after.privateKb,
               std::chrono::duration<double>(Clock::now() - start).count());
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) return 2;
  try {
    return Run(argv[1], argv[2], argc > 3 ? _wtoi(argv[3]) : kRounds);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "soak bench: %s\n", error.what());
    return 1;
  }
}
