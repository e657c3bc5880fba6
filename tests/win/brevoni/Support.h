// Shared pieces of the Brevoni Windows tests: a COM apartment per test, a
// scratch folder, whole-file reads and writes.
#pragma once

#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "inicontrol/BrevoniClient.h"
#include "common/win32/Handles.h"

namespace brevoni::testing {

inline std::string ReadBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteBytes(const std::filesystem::path& file, const std::string& bytes) {
  std::ofstream(file, std::ios::binary) << bytes;
}

inline std::wstring Wide(const std::string& ansi) {
  std::wstring out(ansi.size() * 2 + 1, L'\0');
  out.resize(static_cast<std::size_t>(MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()),
                                                          out.data(), static_cast<int>(out.size()))));
  return out;
}

inline std::string Narrow(const std::wstring& wide) {
  std::string out(wide.size() * 2 + 1, '\0');
  out.resize(static_cast<std::size_t>(WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()),
                                                          out.data(), static_cast<int>(out.size()), nullptr, nullptr)));
  return out;
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
