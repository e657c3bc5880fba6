// Shared pieces of the Brevoni Windows tests: a COM apartment per test, a
// scratch folder, whole-file reads and writes (the native tests' own), and
// text in the ANSI code page.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "common/win32/Handles.h"
#include "common/win32/TextConversion.h"
#include "inicontrol/BrevoniClient.h"
#include "tests/engine/TempFolder.h"

namespace brevoni::testing {

inline std::wstring Wide(const std::string& ansi) { return win32::CodePageToWide(CP_ACP, ansi); }
inline std::string Narrow(const std::wstring& wide) { return win32::WideToCodePage(CP_ACP, wide); }

// The names of the control's temporary files in a folder.
inline std::vector<std::wstring> TemporaryFiles(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found;
  const HANDLE search = FindFirstFileW((folder + L"\\brv*.tmp").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    names.push_back(found.cFileName);
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return names;
}

// Starts a program; the process handle is empty when it could not start.
inline win32::unique_handle StartProcess(std::wstring command) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    return nullptr;
  }
  CloseHandle(process.hThread);
  return win32::unique_handle(process.hProcess);
}

// Runs a program to its end: its exit code, or with the top bit set the
// error that kept it from starting.
inline DWORD RunToEnd(std::wstring command) {
  win32::unique_handle process = StartProcess(std::move(command));
  if (!process) return GetLastError() | 0x80000000u;
  WaitForSingleObject(process.get(), INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(process.get(), &code);
  return code;
}

// The error info a failing call left for this thread, taken from it.
struct ErrorInfoText {
  std::wstring description;
  std::wstring source;
};

inline std::optional<ErrorInfoText> TakeErrorInfo() {
  Microsoft::WRL::ComPtr<IErrorInfo> info;
  if (GetErrorInfo(0, &info) != S_OK || !info) return std::nullopt;
  BSTR description = nullptr;
  BSTR source = nullptr;
  info->GetDescription(&description);
  info->GetSource(&source);
  const win32::unique_bstr ownDescription(description), ownSource(source);
  return ErrorInfoText{description ? description : L"", source ? source : L""};
}

// A test with COM initialised, a control loaded from the build tree and a
// fresh folder for its files.
class ControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    ASSERT_EQ(client::CreateFromFile(client::BuiltControlPath(), control), S_OK);
    wchar_t temp[MAX_PATH];
    ASSERT_NE(GetTempPathW(MAX_PATH, temp), 0u);
    folder = std::filesystem::path(temp) / (L"brevoni-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                                            std::to_wstring(++serial));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
  }
  void TearDown() override {
    control.Reset();
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    CoUninitialize();
  }
  std::wstring File(const wchar_t* name) const { return (folder / name).native(); }

  Microsoft::WRL::ComPtr<IDispatch> control;
  std::filesystem::path folder;
  static inline int serial = 0;
};

}  // namespace brevoni::testing
