// Times a store of N entries x 7 keys written one key at a time through the
// kernel32 profile functions, and written and read through a Brevoni batch
// (late bound, by dispatch id, as the scheduler calls it). Then callers that
// know no batch: single reads and writes of a 1000-entry store, one key per
// call, through kernel32 and through Brevoni.
#include <windows.h>
#include <objbase.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "inicontrol/BrevoniClient.h"

namespace {

using Microsoft::WRL::ComPtr;

constexpr const char* kFields[] = {"name", "command", "startDate", "startTime", "isChecked", "remWhenDone", "note"};
constexpr wchar_t kSection[] = L"Saved Commands";

std::string Value(const char* field, int entry, int round) {
  return std::string(field) + " of entry " + std::to_string(entry) + " C:\\Music\\Album " + std::to_string(round) +
         "\\Track.mp3";
}

std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

// The keys and values of one store, made before the clock runs so that only
// the writing and reading are timed.
struct Store {
  Store(int entries, int round) {
    for (int entry = 1; entry <= entries; ++entry) {
      for (const char* field : kFields) {
        keys.push_back(field + std::to_string(entry));
        values.push_back(Value(field, entry, round));
        wideKeys.push_back(Wide(keys.back()));
        wideValues.push_back(Wide(values.back()));
      }
    }
  }
  std::vector<std::string> keys, values;
  std::vector<std::wstring> wideKeys, wideValues;
};

double Milliseconds(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

void Report(const char* name, double value) { std::printf("bench: %s %.2f ms\n", name, value); }

void PerKeyPlatform(const std::filesystem::path& file, const Store& store) {
  const std::string path = file.string();
  for (std::size_t i = 0; i < store.keys.size(); ++i) {
    WritePrivateProfileStringA("Saved Commands", store.keys[i].c_str(), store.values[i].c_str(), path.c_str());
  }
}

// The scheduler's rewrite: the section goes, every entry is written anew, one commit.
bool BatchRewrite(IDispatch* control, const std::wstring& file, const Store& store) {
  brevoni::client::Call(control, brevoni::kDispIdBeginUpdate, {file});
  brevoni::client::Call(control, brevoni::kDispIdDeleteINI, {kSection, L"", file});
  for (std::size_t i = 0; i < store.wideKeys.size(); ++i) {
    brevoni::client::WriteINI(control, kSection, store.wideKeys[i], store.wideValues[i], file);
  }
  bool committed = false;
  return SUCCEEDED(brevoni::client::CommitUpdate(control, committed)) && committed;
}

bool BatchLoad(IDispatch* control, const std::wstring& file, const Store& store) {
  bool whole = true;
  brevoni::client::Call(control, brevoni::kDispIdBeginUpdate, {file});
  for (std::size_t i = 0; i < store.wideKeys.size(); ++i) {
    whole &= brevoni::client::ReadINI(control, kSection, store.wideKeys[i], file) == store.wideValues[i];
  }
  brevoni::client::Call(control, brevoni::kDispIdCancelUpdate, {});
  return whole;
}

// A store as the scheduler writes it: 1000 entries of six keys, about 148 KB.
std::string SchedulerStore(int entries) {
  std::string bytes = "[Saved Commands]\r\n";
  for (int entry = 1; entry <= entries; ++entry) {
    const std::string n = std::to_string(entry);
    bytes += "name" + n + "=Entry " + n + "\r\ncommand" + n + "=C:\\Music\\Album " + n + "\\Track " + n +
             ".mp3\r\nstartDate" + n + "=2027-03-14\r\nstartTime" + n + "=08:15:00\r\nisChecked" + n +
             "=True\r\nremWhenDone" + n + "=0\r\n";
  }
  return bytes + "[Total Count]\r\ncount=" + std::to_string(entries) + "\r\n";
}

constexpr const char* kStoreFields[] = {"name", "command", "startDate", "startTime", "isChecked", "remWhenDone"};

// The keys of single calls, spread over the whole file.
std::vector<std::string> SpreadKeys(int calls, int entries) {
  std::vector<std::string> keys;
  for (int i = 0; i < calls; ++i) keys.push_back(kStoreFields[i % 6] + std::to_string(i * 997 % entries + 1));
  return keys;
}

std::string PlatformRead(const std::string& file, const std::string& key) {
  char value[1024];
  const DWORD length = GetPrivateProfileStringA("Saved Commands", key.c_str(), "[ Not Found ]", value, sizeof value,
                                                file.c_str());
  return std::string(value, length);
}

std::string ReadAll(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Single calls on one 1000-entry store: 200 reads, then 100 writes each
// changing an entry's time, through kernel32 and through Brevoni, on two
// copies of the store. Both must read the same values and leave the same bytes.
bool PerCall(IDispatch* control, const std::filesystem::path& folder) {
  constexpr int kEntries = 1000;
  const std::filesystem::path platformFile = folder / L"percall-platform.ini", controlFile = folder / L"percall.ini";
  const std::string store = SchedulerStore(kEntries);
  std::ofstream(platformFile, std::ios::binary) << store;
  std::ofstream(controlFile, std::ios::binary) << store;
  const std::string platformPath = platformFile.string();
  // Written a while before the calls, as callers usually find a store: the
  // platform's cache, like Brevoni, reads a file changed within the last two
  // seconds again on every call.
  const auto aWhileAgo = std::filesystem::file_time_type::clock::now() - std::chrono::minutes(1);
  std::filesystem::last_write_time(platformFile, aWhileAgo);
  std::filesystem::last_write_time(controlFile, aWhileAgo);
  const std::wstring controlPath = controlFile.native();

  const std::vector<std::string> reads = SpreadKeys(200, kEntries);
  std::vector<std::string> platformValues, controlValues;
  Report("ini.read.n1000.percall_platform_ms", Milliseconds([&] {
           for (const std::string& key : reads) platformValues.push_back(PlatformRead(platformPath, key));
         }));
  Report("ini.read.n1000.percall_ms", Milliseconds([&] {
           for (const std::string& key : reads) {
             const std::wstring value = brevoni::client::ReadINI(control, kSection, Wide(key), controlPath);
             controlValues.push_back(std::string(value.begin(), value.end()));
           }
         }));

  std::vector<std::string> writes;
  for (int i = 0; i < 100; ++i) writes.push_back("startTime" + std::to_string(i * 997 % kEntries + 1));
  auto time = [](int i) { return "09:" + std::to_string(10 + i % 50) + ":00"; };
  Report("ini.write.n1000.percall_platform_ms", Milliseconds([&] {
           for (int i = 0; i < 100; ++i) {
             WritePrivateProfileStringA("Saved Commands", writes[i].c_str(), time(i).c_str(), platformPath.c_str());
           }
         }));
  Report("ini.write.n1000.percall_ms", Milliseconds([&] {
           for (int i = 0; i < 100; ++i) {
             brevoni::client::WriteINI(control, kSection, Wide(writes[i]), Wide(time(i)), controlPath);
           }
         }));
  const bool same = platformValues == controlValues && ReadAll(platformFile) == ReadAll(controlFile);
  if (!same) std::fprintf(stderr, "single calls read other values or wrote other bytes than kernel32\n");
  return same;
}

}  // namespace

int main() {
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
  ComPtr<IDispatch> control;
  if (FAILED(brevoni::client::CreateFromFile(brevoni::client::BuiltControlPath(), control))) {
    std::fprintf(stderr, "the Brevoni control could not be created\n");
    return 1;
  }
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::filesystem::path folder = std::filesystem::path(temp) / (L"brevoni-bench-" + std::to_wstring(GetCurrentProcessId()));
  std::filesystem::create_directories(folder);
  const std::wstring small = (folder / L"n300.ini").native(), large = (folder / L"n1000.ini").native();

  const Store store300(300, 1), before1000(1000, 1), store1000(1000, 2);
  bool ok = true;
  Report("ini.rewrite.n300.perkey_platform_ms", Milliseconds([&] { PerKeyPlatform(folder / L"perkey.ini", store300); }));
  Report("ini.rewrite.n300.batch_ms", Milliseconds([&] { ok &= BatchRewrite(control.Get(), small, store300); }));
  ok &= BatchRewrite(control.Get(), large, before1000);  // the store that the timed rewrite replaces
  Report("ini.rewrite.n1000.batch_ms", Milliseconds([&] { ok &= BatchRewrite(control.Get(), large, store1000); }));
  Report("ini.load.n1000.batch_ms", Milliseconds([&] { ok &= BatchLoad(control.Get(), large, store1000); }));
  ok &= PerCall(control.Get(), folder);

  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
  if (!ok) std::fprintf(stderr, "a batch failed or read back other values\n");
  return ok ? 0 : 1;
}
