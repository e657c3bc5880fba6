// The current user's start-up value, as the registry holds it.
#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "scheduler/win/StartAtLogOn.h"

namespace cuelark::test {
namespace {

constexpr wchar_t kProgram[] = L"C:\\Program Files\\Cue lark\\Cuelark.exe";

// The Run value as it is stored, or nothing.
std::optional<std::wstring> RawRunValue() {
  wchar_t buffer[1024];
  DWORD size = sizeof(buffer);
  DWORD type = 0;
  if (RegGetValueW(HKEY_CURRENT_USER, logon::kRunKey, logon::kValueName, RRF_RT_ANY, &type, buffer, &size) !=
      ERROR_SUCCESS)
    return std::nullopt;
  if (type != REG_SZ) return L"<not REG_SZ>";
  return std::wstring(buffer);
}

void SetRunValue(const std::wstring& text) {
  ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, logon::kRunKey, logon::kValueName, REG_SZ, text.c_str(),
                            static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))),
            ERROR_SUCCESS);
}

void SetApproved(const std::vector<BYTE>& bytes) {
  ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, logon::kApprovedKey, logon::kValueName, REG_BINARY, bytes.data(),
                            static_cast<DWORD>(bytes.size())),
            ERROR_SUCCESS);
}

class StartAtLogOnTest : public ::testing::Test {
 protected:
  void SetUp() override { Clean(); }
  void TearDown() override { Clean(); }
  static void Clean() {
    RegDeleteKeyValueW(HKEY_CURRENT_USER, logon::kRunKey, logon::kValueName);
    RegDeleteKeyValueW(HKEY_CURRENT_USER, logon::kApprovedKey, logon::kValueName);
  }
};

TEST_F(StartAtLogOnTest, EnableWritesTheQuotedPathAndDisableRemovesIt) {
  EXPECT_EQ(logon::Enable(kProgram), std::nullopt);
  EXPECT_EQ(RawRunValue(), L"\"" + std::wstring(kProgram) + L"\"");
  const logon::LogOnState on = logon::State();
  EXPECT_TRUE(on.error.empty()) << on.error;
  EXPECT_TRUE(on.inRun);
  EXPECT_EQ(on.path, kProgram);
  EXPECT_FALSE(on.switchedOffBySystem);

  EXPECT_EQ(logon::Disable(), std::nullopt);
  EXPECT_EQ(RawRunValue(), std::nullopt);
  EXPECT_FALSE(logon::State().inRun);
  // Off already is no failure.
  EXPECT_EQ(logon::Disable(), std::nullopt);
}

TEST_F(StartAtLogOnTest, TheSystemsListSwitchesItOffWithAnOddFirstByte) {
  struct Case {
    std::vector<BYTE> approved;  // empty: no value
    bool off;
  };
  const std::vector<Case> cases = {
      {{}, false},
      {{0x02, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, false},
      {{0x03, 0x5a, 0x1c, 0x07, 0x11, 0x9e, 0xd9, 0x01, 0, 0, 0, 0}, true},
      {{0x01}, true},
      {{0x06, 0x01}, false},
  };
  ASSERT_EQ(logon::Enable(kProgram), std::nullopt);
  for (const Case& test : cases) {
    SCOPED_TRACE(testing::Message() << "first byte " << (test.approved.empty() ? -1 : test.approved[0]));
    RegDeleteKeyValueW(HKEY_CURRENT_USER, logon::kApprovedKey, logon::kValueName);
    if (!test.approved.empty()) SetApproved(test.approved);
    const logon::LogOnState state = logon::State();
    EXPECT_TRUE(state.error.empty()) << state.error;
    EXPECT_TRUE(state.inRun);
    EXPECT_EQ(state.switchedOffBySystem, test.off);
  }
}

TEST_F(StartAtLogOnTest, RepairPutsTheRunningCopysPathWhereTheValueNamesAnother) {
  struct Case {
    std::optional<std::wstring> before;
    std::optional<std::wstring> after;
  };
  const std::wstring quoted = L"\"" + std::wstring(kProgram) + L"\"";
  const std::vector<Case> cases = {
      {L"\"D:\\Old place\\Cuelark.exe\"", quoted},
      {L"D:\\Old\\Cuelark.exe", quoted},
      // The same file in another case is left as the user's system wrote it.
      {L"\"C:\\PROGRAM FILES\\cue lark\\cuelark.exe\"", L"\"C:\\PROGRAM FILES\\cue lark\\cuelark.exe\""},
      {quoted, quoted},
      // Off stays off.
      {std::nullopt, std::nullopt},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(testing::Message() << "before: " << (test.before ? *test.before : L"(none)"));
    RegDeleteKeyValueW(HKEY_CURRENT_USER, logon::kRunKey, logon::kValueName);
    if (test.before) SetRunValue(*test.before);
    EXPECT_EQ(logon::RepairIfMoved(kProgram), std::nullopt);
    EXPECT_EQ(RawRunValue(), test.after);
  }
}

}  // namespace
}  // namespace cuelark::test
