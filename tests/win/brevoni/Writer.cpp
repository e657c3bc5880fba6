// Another program writing the tests' INI files:
//   brevoni_writer versions FILE FIRST
//     rewrites FILE through the control, version after version from FIRST on,
//     until it is killed. Each version is one batch, so the file must only
//     ever hold whole versions.
//   brevoni_writer profile FILE SECTION KEY VALUE
//     writes one value through the platform's profile function.
//   brevoni_writer rewrite FILE SOURCE
//     writes SOURCE's bytes over FILE in place and gives FILE back its
//     last-write time, as a write within the same clock tick leaves it.
//   brevoni_writer hold SHARING READY RELEASE FILE...
//     opens every FILE for reading and writing with the given sharing (the
//     flags as a number), sets the event READY and keeps the files open
//     until the event RELEASE is set.
#include <windows.h>
#include <objbase.h>

#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "WriterVersions.h"
#include "inicontrol/BrevoniClient.h"
#include "common/win32/Handles.h"

namespace {

std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

int WriteVersions(const std::wstring& file, int first) {
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 3;
  Microsoft::WRL::ComPtr<IDispatch> control;
  if (FAILED(brevoni::client::CreateFromFile(brevoni::client::BuiltControlPath(), control))) return 4;
  const std::wstring section = Wide(brevoni::testing::kWriterSection);
  for (int v = first;; ++v) {
    brevoni::client::Call(control.Get(), brevoni::kDispIdBeginUpdate, {file});
    brevoni::client::Call(control.Get(), brevoni::kDispIdDeleteINI, {section, L"", file});
    for (const auto& [key, value] : brevoni::testing::WriterVersion(v)) {
      brevoni::client::WriteINI(control.Get(), section, Wide(key), Wide(value), file);
    }
    bool committed = false;
    if (FAILED(brevoni::client::CommitUpdate(control.Get(), committed)) || !committed) return 5;
  }
}

int RewriteKeepingTime(const std::wstring& file, const std::wstring& source) {
  win32::unique_handle from = win32::OwnFile(
      CreateFileW(source.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  win32::unique_handle to = win32::OwnFile(CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE,
                                                           FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!from || !to) return 6;
  std::vector<char> bytes(65536);
  DWORD read = 0, written = 0;
  FILETIME created{}, accessed{}, lastWrite{};
  if (!ReadFile(from.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
      !GetFileTime(to.get(), &created, &accessed, &lastWrite) ||
      !WriteFile(to.get(), bytes.data(), read, &written, nullptr) || written != read || !SetEndOfFile(to.get()) ||
      !SetFileTime(to.get(), nullptr, nullptr, &lastWrite)) {
    return 7;
  }
  return 0;
}

int HoldOpen(DWORD sharing, const wchar_t* ready, const wchar_t* release, wchar_t** files, int count) {
  win32::unique_handle readyEvent(OpenEventW(EVENT_MODIFY_STATE, FALSE, ready));
  win32::unique_handle releaseEvent(OpenEventW(SYNCHRONIZE, FALSE, release));
  if (!readyEvent || !releaseEvent) return 9;
  std::vector<win32::unique_handle> held;
  for (int i = 0; i < count; ++i) {
    held.push_back(win32::OwnFile(CreateFileW(files[i], GENERIC_READ | GENERIC_WRITE, sharing, nullptr,
                                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)));
    if (!held.back()) return 10;
  }
  if (!SetEvent(readyEvent.get())) return 11;
  return WaitForSingleObject(releaseEvent.get(), INFINITE) == WAIT_OBJECT_0 ? 0 : 12;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring_view mode = argc > 1 ? argv[1] : L"";
  if (mode == L"versions" && argc == 4) return WriteVersions(argv[2], _wtoi(argv[3]));
  if (mode == L"profile" && argc == 6) return WritePrivateProfileStringW(argv[3], argv[4], argv[5], argv[2]) ? 0 : 8;
  if (mode == L"rewrite" && argc == 4) return RewriteKeepingTime(argv[2], argv[3]);
  if (mode == L"hold" && argc >= 6) return HoldOpen(wcstoul(argv[2], nullptr, 0), argv[3], argv[4], argv + 5, argc - 5);
  return 2;
}
