#include "inicontrol/Win32FileStore.h"

#include <windows.h>

#include <atomic>
#include <cwchar>
#include <iterator>
#include <functional>
#include <vector>

#include "inicontrol/WinText.h"
#include "common/win32/Handles.h"

namespace brevoni {
namespace {

std::string Utf8(const std::filesystem::path& file) {
  const auto text = file.u8string();
  return std::string(text.begin(), text.end());
}

std::string Reason(const char* what, const std::filesystem::path& file, DWORD error) {
  return std::string("cannot ") + what + " " + Utf8(file) + ": " + win32::DescribeError(error);
}

[[noreturn]] void Throw(const char* what, const std::filesystem::path& file, DWORD error) {
  throw IniError(Reason(what, file, error));
}

// Writes all bytes at the handle's position.
bool WriteAll(HANDLE handle, std::string_view bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    DWORD written = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
    if (!WriteFile(handle, bytes.data() + done, chunk, &written, nullptr) || written == 0) return false;
    done += written;
  }
  return true;
}

bool SetSize(HANDLE handle, std::size_t size) {
  LARGE_INTEGER position{};
  position.QuadPart = static_cast<LONGLONG>(size);
  return SetFilePointerEx(handle, position, nullptr, FILE_BEGIN) && SetEndOfFile(handle);
}

// "\brvXXXXXXXX.tmp": the longest a temporary file's name adds to its folder.
constexpr std::size_t kTemporaryNameLength = 16;

// Paths this long only work in the extended-length form, which also lifts
// the limit for the temporary file beside the target. A full path has no
// "." or ".." left, which that form would not resolve.
std::wstring ExtendedIfLong(std::wstring full) {
  const bool extended = full.starts_with(LR"(\\?\)") || full.starts_with(LR"(\\.\)");
  if (extended || full.size() + kTemporaryNameLength < MAX_PATH) return full;
  if (full.starts_with(LR"(\\)")) return LR"(\\?\UNC\)" + full.substr(2);
  return LR"(\\?\)" + full;
}

// A new file beside the one it is to replace, open for writing without
// sharing. Unless it has been moved over its target it is removed when it
// goes, closed first: a file still open without sharing cannot be deleted.
class TemporaryFile {
 public:
  // GetTempFileNameW cannot name a file in a folder near MAX_PATH, so the
  // names are made here, in the same "brv*.tmp" form.
  explicit TemporaryFile(const std::filesystem::path& folder) {
    static std::atomic<unsigned> serial{0};
    const unsigned start = (GetCurrentProcessId() << 16) ^ GetTickCount() ^ (serial++ * 2654435761u);
    for (unsigned attempt = 0; attempt < 64; ++attempt) {
      wchar_t name[24];
      swprintf(name, std::size(name), L"brv%08X.tmp", start + attempt);
      path_ = folder / name;
      handle_ = win32::OwnFile(
          CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
      if (handle_ || GetLastError() != ERROR_FILE_EXISTS) return;
    }
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  ~TemporaryFile() {
    if (!handle_) return;
    handle_.reset();
    DeleteFileW(path_.c_str());
  }

  bool Created() const { return static_cast<bool>(handle_); }
  HANDLE Handle() const { return handle_.get(); }

  // On failure the temporary file is gone as well; GetLastError says why.
  bool MoveOver(const std::filesystem::path& target) {
    CloseHandle(handle_.release());
    if (MoveFileExW(path_.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
    const DWORD error = GetLastError();
    DeleteFileW(path_.c_str());
    SetLastError(error);
    return false;
  }

 private:
  std::filesystem::path path_;
  win32::unique_handle handle_;
};

std::int64_t Ticks(const FILETIME& time) {
  return static_cast<std::int64_t>((static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
}

bool Missing(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

// The file's identity is the full name that the caller's name resolves to
// (a relative name follows the current folder): the file index comes only
// with the volume's serial number, which under Wine costs a round trip to
// the mount manager, many times the call it would guard. A file put in the
// place of another brings its own last-write time, and within the settle
// time the session compares the bytes anyway.
FileStamp StampOf(const std::filesystem::path& file, std::uint64_t size, const FILETIME& lastWrite) {
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  constexpr std::int64_t kTicksPerSecond = 10'000'000;  // FILETIME counts 100 ns
  FileStamp stamp;
  stamp.index = std::hash<std::wstring>()(file.native());
  stamp.size = size;
  stamp.lastWrite = Ticks(lastWrite);
  stamp.settled = Ticks(now) - stamp.lastWrite >= kSettleTime.count() * kTicksPerSecond;
  return stamp;
}

}  // namespace

std::filesystem::path ResolveIniPath(const std::filesystem::path& file) {
  if (!file.has_root_name() && !file.has_root_directory() && !file.has_parent_path()) {
    std::vector<wchar_t> folder(MAX_PATH);
    UINT length = GetWindowsDirectoryW(folder.data(), static_cast<UINT>(folder.size()));
    if (length >= folder.size()) {
      folder.resize(length + 1);
      length = GetWindowsDirectoryW(folder.data(), static_cast<UINT>(folder.size()));
    }
    if (length == 0 || length >= folder.size()) Throw("find the Windows folder for", file, GetLastError());
    return std::filesystem::path(std::wstring(folder.data(), length)) / file;
  }
  DWORD length = GetFullPathNameW(file.c_str(), 0, nullptr, nullptr);
  std::vector<wchar_t> full(length + 1);
  length = GetFullPathNameW(file.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  if (length == 0 || length >= full.size()) Throw("resolve", file, GetLastError());
  return std::filesystem::path(ExtendedIfLong(std::wstring(full.data(), length)));
}

std::optional<FileContent> Win32FileStore::Load(const std::filesystem::path& name) {
  const std::filesystem::path file = ResolveIniPath(name);
  win32::unique_handle handle = win32::OwnFile(CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                             nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!handle) {
    const DWORD error = GetLastError();
    if (Missing(error)) return std::nullopt;
    Throw("read", file, error);
  }
  LARGE_INTEGER size{};
  FILETIME lastWrite{};
  if (!GetFileSizeEx(handle.get(), &size) || !GetFileTime(handle.get(), nullptr, nullptr, &lastWrite)) {
    Throw("read", file, GetLastError());
  }
  FileContent content{{}, StampOf(file, static_cast<std::uint64_t>(size.QuadPart), lastWrite)};
  std::string& bytes = content.bytes;
  bytes.resize(static_cast<std::size_t>(size.QuadPart));
  std::size_t done = 0;
  while (done < bytes.size()) {
    DWORD read = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
    if (!ReadFile(handle.get(), bytes.data() + done, chunk, &read, nullptr)) Throw("read", file, GetLastError());
    if (read == 0) break;  // the file shrank meanwhile
    done += read;
  }
  bytes.resize(done);
  return content;
}

std::optional<FileStamp> Win32FileStore::Stamp(const std::filesystem::path& name) {
  const std::filesystem::path file = ResolveIniPath(name);
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &data)) {
    const DWORD error = GetLastError();
    if (Missing(error)) return std::nullopt;
    Throw("read", file, error);
  }
  return StampOf(file, (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow,
                 data.ftLastWriteTime);
}

void Win32FileStore::ReplaceAtomically(const std::filesystem::path& name, std::string_view bytes) {
  const std::filesystem::path file = ResolveIniPath(name);
  // The profile functions cannot write a read-only file; neither does the control.
  const DWORD attributes = GetFileAttributesW(file.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
    Throw("write", file, ERROR_ACCESS_DENIED);
  }
  TemporaryFile temp(file.parent_path());
  if (!temp.Created()) Throw("write", file, GetLastError());
  if (!WriteAll(temp.Handle(), bytes) || !FlushFileBuffers(temp.Handle())) Throw("write", file, GetLastError());
  if (temp.MoveOver(file)) return;
  const DWORD error = GetLastError();
  // A file that another program holds open without delete sharing cannot
  // be replaced (Windows says "sharing violation", Wine "access denied";
  // the read-only case was ruled out above).
  if (error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED) {
    throw FileHeldOpen(Reason("replace", file, error) + " (another program has it open)");
  }
  Throw("replace", file, error);
}

void Win32FileStore::RewriteInPlace(const std::filesystem::path& name, std::string_view bytes) {
  const std::filesystem::path file = ResolveIniPath(name);
  // Reading and writing, sharing both: the platform's functions open the
  // file so, which a program that shares only one of them refuses.
  win32::unique_handle handle = win32::OwnFile(CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE,
                                                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                                           FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!handle) {
    const DWORD error = GetLastError();
    throw IniError(Reason("write", file, error) +
                   (error == ERROR_SHARING_VIOLATION ? " (another program has it open and lets no one else write to it)"
                                                     : ""));
  }
  // Growing the file first claims the space that the bytes need, so a full
  // disk refuses the write before the old text is overwritten.
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(handle.get(), &size)) Throw("write", file, GetLastError());
  if (bytes.size() > static_cast<std::uint64_t>(size.QuadPart) && !SetSize(handle.get(), bytes.size())) {
    const DWORD error = GetLastError();
    SetSize(handle.get(), static_cast<std::size_t>(size.QuadPart));
    Throw("write", file, error);
  }
  LARGE_INTEGER start{};
  if (!SetFilePointerEx(handle.get(), start, nullptr, FILE_BEGIN) || !WriteAll(handle.get(), bytes) ||
      !SetEndOfFile(handle.get()) || !FlushFileBuffers(handle.get())) {
    Throw("write", file, GetLastError());
  }
}

std::optional<std::string> Win32FileStore::ToAnsi(std::wstring_view text) { return win32::ToAnsiExactly(text); }

std::wstring Win32FileStore::FromAnsi(std::string_view bytes) { return win32::CodePageToWide(CP_ACP, bytes); }

std::string Win32FileStore::ToUtf8(std::wstring_view text) { return win32::WideToCodePage(CP_UTF8, text); }

std::wstring Win32FileStore::FromUtf8(std::string_view bytes) { return win32::CodePageToWide(CP_UTF8, bytes); }

std::unique_ptr<FileStore> MakeNativeFileStore() { return std::make_unique<Win32FileStore>(); }

}  // namespace brevoni
