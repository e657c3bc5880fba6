#include "scheduler/core/InstanceLock.h"

#include <gtest/gtest.h>

#include <set>

namespace cuelark {
namespace {

// What Windows takes as a named object: at most MAX_PATH characters, and no
// backslash after the namespace prefix (it would name a folder of objects).
void ExpectValidObjectName(const std::wstring& name) {
  EXPECT_LE(name.size(), 260u);
  ASSERT_EQ(name.rfind(L"Local\\", 0), 0u) << "a lock of the user's session";
  EXPECT_EQ(name.find(L'\\', 6), std::wstring::npos);
}

TEST(InstanceLockName, EveryFolderGivesAValidNameHoweverDeep) {
  const std::wstring deep = L"C:\\" + std::wstring(20, L'd') + std::wstring(L"\\sub").append(30, L'x');
  for (const std::wstring& folder :
       {std::wstring(L"C:\\Program Files\\Cuelark"), std::wstring(L"\\\\server\\share\\Cuelark"),
        L"\\\\?\\" + deep + std::wstring(2000, L'z'), std::wstring(L"D:\\Musik\\\u00dcbung \u0416"), std::wstring()}) {
    SCOPED_TRACE(testing::PrintToString(folder.size()));
    ExpectValidObjectName(InstanceLockName(folder));
  }
}

TEST(InstanceLockName, OneFolderOneNameWhateverTheLetterCaseAndDifferentFoldersDifferentNames) {
  EXPECT_EQ(InstanceLockName(L"C:\\Program Files\\Cuelark"), InstanceLockName(L"c:\\PROGRAM FILES\\cuelark"));
  // Folders that differ late in a long path, by one character, or by a
  // separator against a character that could stand for it in a name.
  const std::wstring base = L"C:\\" + std::wstring(400, L'a');
  const std::wstring folders[] = {base + L"\\one", base + L"\\two", base + L"\\onf", L"C:\\a\\b\\c",
                                  L"C:\\a_b\\c",    L"C:\\a\\bc",   L"C:\\Cuelark",   L"C:\\Cuelark2"};
  std::set<std::wstring> names;
  for (const std::wstring& folder : folders) names.insert(InstanceLockName(folder));
  EXPECT_EQ(names.size(), std::size(folders));
}

}  // namespace
}  // namespace cuelark
