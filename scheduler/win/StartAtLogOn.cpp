#include "scheduler/win/StartAtLogOn.h"

#include <windows.h>

#include <vector>

#include "common/win32/Handles.h"
#include "common/win32/TextConversion.h"

namespace cuelark::logon {
namespace {

std::wstring Failure(const wchar_t* what, LSTATUS status) {
  return std::wstring(what) + L": " + win32::ErrorText(static_cast<DWORD>(status));
}

// The value's bytes, or nothing when it is missing; a failure otherwise goes
// to `error`.
std::optional<std::vector<BYTE>> ReadValue(const wchar_t* key, DWORD types, std::wstring& error) {
  for (;;) {
    DWORD size = 0;
    LSTATUS status = RegGetValueW(HKEY_CURRENT_USER, key, kValueName, types, nullptr, nullptr, &size);
    if (status == ERROR_FILE_NOT_FOUND) return std::nullopt;
    if (status != ERROR_SUCCESS) {
      error = Failure(L"The start-up setting cannot be read", status);
      return std::nullopt;
    }
    std::vector<BYTE> bytes(size);
    status = RegGetValueW(HKEY_CURRENT_USER, key, kValueName, types, nullptr, bytes.data(), &size);
    // Grown between the two calls: ask again.
    if (status == ERROR_MORE_DATA) continue;
    if (status == ERROR_FILE_NOT_FOUND) return std::nullopt;
    if (status != ERROR_SUCCESS) {
      error = Failure(L"The start-up setting cannot be read", status);
      return std::nullopt;
    }
    bytes.resize(size);
    return bytes;
  }
}

// A command line's program: the quoted part, or all of an unquoted one.
std::wstring ProgramOf(const std::wstring& commandLine) {
  if (commandLine.empty() || commandLine.front() != L'"') return commandLine;
  const std::size_t close = commandLine.find(L'"', 1);
  return commandLine.substr(1, close == std::wstring::npos ? std::wstring::npos : close - 1);
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
         CSTR_EQUAL;
}

}  // namespace

std::optional<std::wstring> Enable(const std::wstring& programPath) {
  HKEY opened = nullptr;
  LSTATUS status = RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &opened, nullptr);
  if (status != ERROR_SUCCESS) return Failure(L"The start-up entry cannot be written", status);
  const win32::unique_hkey key(opened);
  // Quoted, so that a folder with blanks in its name starts this program
  // and not the first part of the name.
  const std::wstring command = L'"' + programPath + L'"';
  status = RegSetValueExW(key.get(), kValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                          static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
  if (status != ERROR_SUCCESS) return Failure(L"The start-up entry cannot be written", status);
  return std::nullopt;
}

std::optional<std::wstring> Disable() {
  HKEY opened = nullptr;
  LSTATUS status = RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_SET_VALUE, &opened);
  if (status == ERROR_FILE_NOT_FOUND) return std::nullopt;
  if (status != ERROR_SUCCESS) return Failure(L"The start-up entry cannot be removed", status);
  const win32::unique_hkey key(opened);
  status = RegDeleteValueW(key.get(), kValueName);
  if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
    return Failure(L"The start-up entry cannot be removed", status);
  return std::nullopt;
}

LogOnState State() {
  LogOnState state;
  // A value another tool wrote as expandable names the program all the same.
  const std::optional<std::vector<BYTE>> run =
      ReadValue(kRunKey, RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, state.error);
  if (!state.error.empty()) return state;
  if (run) {
    state.inRun = true;
    const auto* text = reinterpret_cast<const wchar_t*>(run->data());
    state.path = ProgramOf(std::wstring(text, wcsnlen(text, run->size() / sizeof(wchar_t))));
  }
  const std::optional<std::vector<BYTE>> approved = ReadValue(kApprovedKey, RRF_RT_REG_BINARY, state.error);
  if (!state.error.empty()) return state;
  // The list marks a switched-off app with an odd first byte.
  state.switchedOffBySystem = approved && !approved->empty() && ((*approved)[0] & 1) != 0;
  return state;
}

std::optional<std::wstring> RepairIfMoved(const std::wstring& programPath) {
  const LogOnState state = State();
  if (!state.error.empty()) return state.error;
  if (!state.inRun || SamePath(state.path, programPath)) return std::nullopt;
  return Enable(programPath);
}

}  // namespace cuelark::logon
