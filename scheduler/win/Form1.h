// Form1, Cuelark's main window: the command editor, the list of saved
// commands, the schedule clock, the execution of entries and the tray icon.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <optional>
#include <string>

#include "scheduler/core/Executor.h"
#include "scheduler/core/Schedule.h"
#include "scheduler/core/ScheduleClock.h"
#include "scheduler/core/Store.h"
#include "scheduler/core/Texts.h"
#include "scheduler/win/BaseWindow.h"
#include "scheduler/win/DispatchIniStore.h"
#include "scheduler/win/PlayerRemote.h"
#include "scheduler/win/Win32Handles.h"

namespace cuelark {

class Form2;

class Form1 final : public BaseWindow<Form1>, private ExecutorHost {
 public:
  // Creates the window, runs Form_Load and shows it. Returns null after
  // telling the user why when the window cannot work (no INI control).
  static std::unique_ptr<Form1> Create(HINSTANCE instance, int showCommand);
  Form1(HINSTANCE instance, std::unique_ptr<DispatchIniStore> store);
  ~Form1() override;
  Form1(const Form1&) = delete;
  Form1& operator=(const Form1&) = delete;

  // Brings the window back for a second start of the program.
  void ShowFromOutside();

  // Shared with the player executable dialog, which has no control of its own.
  IniStore& iniStore() { return *iniStore_; }
  void Form2_Closed();

 private:
  friend class BaseWindow<Form1>;
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void OnCommand(int id, int notification);
  LRESULT OnNotify(const NMHDR& header);
  void OnTimer(UINT_PTR timer);

  // Building the window.
  bool CreateControls();
  bool CreateMenuBar();
  HWND CreateFrameWindow(int id);
  void AddTabs();
  void AddListColumns();
  void SetUpStatusBar();
  void AddTrayIcon();
  void RemoveTrayIcon();

  // Start-up and shut-down.
  void Form_Load();
  void Form_Unload();
  void RestorePosition();
  void LoadSavedCommands();

  // The editor.
  void TabStrip1_Click();
  void commDay_Click();
  void commWeek_Click();
  void OnRepeatOptionClicked(int clickedId, int otherId);
  void btnClear_Click();
  void btnBrowse_Click();
  void ApplySaveRule();
  void ClearEditor();

  // The saved commands.
  void btnSave_Click();
  void btnRem_Click();
  void btnExe_Click();
  void lvFiles_ItemCheck(int row);
  bool WriteSavedCommands();
  bool SaveSchedule();
  void RemoveIfDone(EntryId id) override;
  void ShowRows();
  void lvFiles_GetDispInfo(LVITEMW& item) const;
  std::optional<EntryId> SelectedEntry() const;
  void UpdateListButtons();

  // The clock and the resume.
  void ArmClock();
  void Timer1_Timer();
  void Timer2_Timer();

  // Visibility, tray and menu.
  void ApplyMinimiseCheck();
  void tray_Notify();
  void mnuSelWin_Click();
  void mnuExit_Click();

  // ExecutorHost.
  std::optional<std::wstring> CommandOf(EntryId id) override;
  void ArmResume() override;
  void DisarmResume() override;
  std::wstring ReadPlaylistSetting() override;
  void ReportFailure(const Failure& failure) override;

  HWND Control(int id) const;
  void ShowMessage(const std::wstring& text, const std::wstring& title, UINT flags);

  HINSTANCE instance_;
  UINT dpi_ = USER_DEFAULT_SCREEN_DPI;
  unique_hfont windowFont_;
  unique_hfont frameFont_;
  HWND frmAdd_ = nullptr;
  HWND frmSav_ = nullptr;
  UINT taskbarCreatedMessage_ = 0;
  bool unloaded_ = false;

  std::unique_ptr<DispatchIniStore> iniStore_;
  std::wstring iniPath;
  std::optional<SavedCommandStore> store_;
  Schedule schedule_;
  ScheduleClock clock_;
  WeekLocale weekLocale_;
  WindowPlayer player_;
  Executor executor_;
  std::wstring browseFileName_;
  std::unique_ptr<Form2> form2_;
};

// Asks a running Cuelark to show its window (a second start sends it).
UINT ShowRequestMessage();

}  // namespace cuelark
