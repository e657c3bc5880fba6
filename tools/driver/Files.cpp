#include <atomic>
#include <fstream>
#include <iterator>
#include <system_error>

#include "common/win32/ModulePath.h"
#include "tools/driver/Internal.h"

namespace cuelark::test {

using namespace detail;

TempFolder::TempFolder() {
  wchar_t temp[MAX_PATH + 1];
  if (!GetTempPathW(MAX_PATH + 1, temp)) FailLastError("Finding the temporary folder");
  // Process id and a counter make the name unique among concurrent test
  // programs; the tick count keeps a reused process id from meeting a
  // folder a crashed run left behind.
  static std::atomic<unsigned> counter{0};
  for (;;) {
    path_ = std::filesystem::path(temp) / (L"cuelark-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                                           std::to_wstring(counter++) + L"-" + std::to_wstring(GetTickCount64()));
    if (CreateDirectoryW(path_.c_str(), nullptr)) return;
    if (GetLastError() != ERROR_ALREADY_EXISTS) FailLastError("Creating " + Narrow(path_.wstring()));
  }
}

TempFolder::~TempFolder() {
  std::error_code ignored;  // a destructor cannot report; a left-over folder is harmless
  std::filesystem::remove_all(path_, ignored);
}

std::filesystem::path ProgramFolder() {
  const std::wstring folder = win32::ModuleFolder();
  if (folder.empty()) FailLastError("Finding this program's own path");
  return folder;
}

std::filesystem::path CopyFileTo(const std::filesystem::path& file, const std::filesystem::path& folder) {
  const std::filesystem::path target = folder / file.filename();
  if (!CopyFileW(file.c_str(), target.c_str(), FALSE))
    FailLastError("Copying " + Narrow(file.wstring()) + " to " + Narrow(folder.wstring()));
  return target;
}

std::string ReadFileText(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) Fail("Cannot open " + Narrow(file.wstring()));
  std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (in.bad()) Fail("Cannot read " + Narrow(file.wstring()));
  return bytes;
}

void WriteFileText(const std::filesystem::path& file, std::string_view bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) Fail("Cannot write " + Narrow(file.wstring()));
}

}  // namespace cuelark::test
