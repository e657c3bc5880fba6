// The options dialog in this process, with the store's read and save
// replaced by the test's; and the tray icon's notices.
#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "scheduler/win/ControlIds.h"
#include "scheduler/win/OptionsDialog.h"
#include "scheduler/win/StartAtLogOn.h"
#include "scheduler/win/TrayIcon.h"
#include "tests/win/unattended/Messages.h"
#include "tools/driver/Driver.h"

namespace cuelark::test {
namespace {

constexpr wchar_t kProgram[] = L"C:\\Cuelark\\Cuelark.exe";

class OptionsDialogTest : public ::testing::Test {
 protected:
  void SetUp() override { Clean(); }
  void TearDown() override {
    dialog_.reset();
    Clean();
  }
  static void Clean() {
    RegDeleteKeyValueW(HKEY_CURRENT_USER, logon::kRunKey, logon::kValueName);
    RegDeleteKeyValueW(HKEY_CURRENT_USER, logon::kApprovedKey, logon::kValueName);
  }
  void Open() {
    OptionsAccess access{[this] { return stored_; },
                         [this](const Options& options) {
                           saved_.push_back(options);
                           return saveResult_;
                         }};
    dialog_ = OptionsDialog::Create(GetModuleHandleW(nullptr), access, kProgram, [this] { closed_ = true; });
    ASSERT_TRUE(dialog_);
    ASSERT_TRUE(dialog_->IsOpen());
  }
  HWND Control(int id) const { return GetDlgItem(dialog_->Handle(), id); }
  bool Ticked(int id) const { return SendMessageW(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }

  Options stored_;
  StoreResult saveResult_;
  std::vector<Options> saved_;
  bool closed_ = false;
  std::unique_ptr<OptionsDialog> dialog_;
};

TEST_F(OptionsDialogTest, ShowsTheStoredChoices) {
  struct Case {
    Options stored;
  };
  const std::vector<Case> cases = {
      {{false, false, false, L""}},
      {{true, false, true, L"D:\\Music\\rescue.mp3"}},
      {{false, true, false, L"http://127.0.0.1/a"}},
  };
  for (const Case& test : cases) {
    stored_ = test.stored;
    closed_ = false;
    Open();
    EXPECT_EQ(Ticked(ids::kStartAtLogOnBox), test.stored.startAtLogOn);
    EXPECT_EQ(Ticked(ids::kWakeForFiringsBox), test.stored.wakeForFirings);
    EXPECT_EQ(Ticked(ids::kCheckAheadBox), test.stored.checkAhead);
    EXPECT_EQ(GetText(Control(ids::kFallbackBox)), test.stored.fallback);
    Click(Control(ids::kOptionsCancelButton));
    EXPECT_TRUE(closed_);
    EXPECT_FALSE(dialog_->IsOpen());
  }
  EXPECT_TRUE(saved_.empty());
}

TEST_F(OptionsDialogTest, AFailedSaveKeepsTheDialogOpenAndSaysWhy) {
  saveResult_ = {false, L"the disk is full", false};
  Open();
  // The box runs on this thread, inside the click; another one answers it.
  std::wstring boxText;
  std::thread answerer([&] { boxText = AnswerMessageBox(GetCurrentProcessId(), L"Options"); });
  Click(Control(ids::kOptionsSaveButton));
  answerer.join();
  EXPECT_NE(boxText.find(L"the disk is full"), std::wstring::npos) << testing::PrintToString(boxText);
  EXPECT_EQ(saved_.size(), 1u);
  EXPECT_TRUE(dialog_->IsOpen());
  EXPECT_FALSE(closed_);
}

TEST_F(OptionsDialogTest, StartUpSwitchedOffByTheSystemShowsOffAndSaysWhere) {
  ASSERT_EQ(logon::Enable(kProgram), std::nullopt);
  const BYTE off[12] = {0x03};
  ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, logon::kApprovedKey, logon::kValueName, REG_BINARY, off, sizeof(off)),
            ERROR_SUCCESS);
  stored_.startAtLogOn = true;
  Open();
  EXPECT_FALSE(Ticked(ids::kStartAtLogOnBox));
  EXPECT_NE(GetText(Control(ids::kOptionsNote)).find(L"switched off in the system's list of start-up apps"),
            std::wstring::npos);
}

TEST(TrayNoticeTest, ABalloonNeedsTheIconAndTakesTextsOfAnyLength) {
  const win32::unique_hwnd window = MessageWindow();
  ASSERT_TRUE(window);
  TrayIcon icon;
  EXPECT_FALSE(icon.ShowBalloon(L"Morning news", L"not found: D:\\a.mp3"));
  ASSERT_TRUE(icon.Add(window.get(), LoadIconW(nullptr, IDI_APPLICATION)));
  EXPECT_TRUE(icon.ShowBalloon(L"Morning news", L"not found: D:\\a.mp3"));
  EXPECT_TRUE(icon.ShowBalloon(std::wstring(200, L'T'), std::wstring(1000, L'r')));
  icon.Remove();
  EXPECT_FALSE(icon.ShowBalloon(L"Morning news", L"gone"));
}

}  // namespace
}  // namespace cuelark::test
