// The control's files at the edges: folders deeper than MAX_PATH, and a
// write that fails half-way.
#include <algorithm>

#include "Support.h"

namespace brevoni::testing {
namespace {

std::string ReadAll(const std::wstring& file) {
  win32::unique_handle handle = win32::OwnFile(
      CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!handle) return "<no file>";
  std::string bytes(1 << 16, '\0');
  DWORD read = 0;
  ReadFile(handle.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
  bytes.resize(read);
  return bytes;
}

using Files = ControlTest;

TEST_F(Files, AnIniPathOf300CharactersWorksThroughTheControl) {
  // Nested folders until the file's path, in the extended-length form that
  // such paths need, is exactly 300 characters long.
  std::wstring deep = LR"(\\?\)" + folder.native();
  const std::wstring name = L"\\cue.ini";
  while (deep.size() + name.size() < 300) {
    deep += L'\\' + std::wstring(std::min<std::size_t>(40, 300 - name.size() - deep.size() - 1), L'd');
    ASSERT_TRUE(CreateDirectoryW(deep.c_str(), nullptr)) << GetLastError();
  }
  const std::wstring file = deep + name;
  ASSERT_EQ(file.size(), 300u);
  // The fixture's own cleanup cannot reach this deep.
  struct RemoveDeepFolders {
    std::wstring deep, top;
    ~RemoveDeepFolders() {
      for (const std::wstring& name : TemporaryFiles(deep)) DeleteFileW((deep + L"\\" + name).c_str());
      DeleteFileW((deep + L"\\cue.ini").c_str());
      for (; deep.size() > top.size(); deep.resize(deep.rfind(L'\\'))) RemoveDirectoryW(deep.c_str());
    }
  } removeDeepFolders{deep, LR"(\\?\)" + folder.native()};

  EXPECT_EQ(client::WriteINI(control.Get(), L"Position", L"Left", L"120", file), S_OK);
  EXPECT_EQ(client::ReadINI(control.Get(), L"Position", L"Left", file), L"120");
  ASSERT_EQ(client::Call(control.Get(), kDispIdBeginUpdate, {file}), S_OK);
  client::WriteINI(control.Get(), L"Position", L"Top", L"45", file);
  bool committed = false;
  ASSERT_EQ(client::CommitUpdate(control.Get(), committed), S_OK);
  EXPECT_TRUE(committed);
  EXPECT_EQ(ReadAll(file), "[Position]\r\nLeft=120\r\nTop=45\r\n");
  EXPECT_TRUE(TemporaryFiles(deep).empty());
}

// Writes past this many KiB fail: the rig runs this suite once more under a
// file size limit (ulimit -f) and names the limit here.
std::optional<unsigned> FileSizeLimitKib() {
  wchar_t text[32];
  const DWORD length = GetEnvironmentVariableW(L"CUELARK_FILE_SIZE_LIMIT_KIB", text, 32);
  if (length == 0 || length >= 32) return std::nullopt;
  return static_cast<unsigned>(std::stoul(text));
}

TEST_F(Files, AFailedWriteLeavesTheOldFileAndNoTemporaryFile) {
  const std::optional<unsigned> limit = FileSizeLimitKib();
  if (!limit) GTEST_SKIP() << "needs a file size limit; the rig's write-failure run sets one";
  const std::wstring cue = File(L"cue.ini");
  ASSERT_EQ(client::WriteINI(control.Get(), L"s", L"k", L"old", cue), S_OK);
  const std::wstring tooLarge(std::size_t{*limit} * 1024 * 2, L'x');

  EXPECT_EQ(client::WriteINI(control.Get(), L"s", L"k", tooLarge, cue), S_OK) << "a failed write raises nothing";
  EXPECT_EQ(ReadBytes(cue), "[s]\r\nk=old\r\n");
  EXPECT_EQ(TemporaryFiles(folder.native()), std::vector<std::wstring>{});

  ASSERT_EQ(client::Call(control.Get(), kDispIdBeginUpdate, {cue}), S_OK);
  client::WriteINI(control.Get(), L"s", L"k", tooLarge, cue);
  bool committed = true;
  ASSERT_EQ(client::CommitUpdate(control.Get(), committed), S_OK);
  EXPECT_FALSE(committed);
  EXPECT_EQ(ReadBytes(cue), "[s]\r\nk=old\r\n");
  EXPECT_EQ(TemporaryFiles(folder.native()), std::vector<std::wstring>{});
}

}  // namespace
}  // namespace brevoni::testing
