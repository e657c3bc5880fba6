// Times a store of N entries x 7 keys written one key at a time through the
// kernel32 profile functions, and written and read through a Brevoni batch
// (late bound, by dispatch id, as the scheduler calls it).
#include <windows.h>
#include <objbase.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
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

  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
  if (!ok) std::fprintf(stderr, "a batch failed or read back other values\n");
  return ok ? 0 : 1;
}
