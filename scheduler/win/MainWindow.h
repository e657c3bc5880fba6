// Cuelark's main window: the tab strip with the editor and the saved list,
// the status bar, the tray icon and the menu. It only shows things: what
// happens to the entries is the controller's business, which it tells of
// the user's actions and its timers' ticks.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "scheduler/core/Controller.h"
#include "scheduler/core/PlayerSettings.h"
#include "scheduler/win/BaseWindow.h"
#include "scheduler/win/EditorTab.h"
#include "scheduler/win/HistoryWindow.h"
#include "scheduler/win/InputChecker.h"
#include "scheduler/win/NoticeBoxes.h"
#include "scheduler/win/OptionsDialog.h"
#include "scheduler/win/SavedListTab.h"
#include "scheduler/win/StatusBar.h"
#include "scheduler/win/TrayIcon.h"
#include "scheduler/win/WakeTimer.h"
#include "common/win32/Handles.h"

namespace cuelark {

class PlayerDialog;

class MainWindow final : public BaseWindow<MainWindow>, public ControllerView {
 public:
  // The player dialog edits `playerSettings`.
  MainWindow(HINSTANCE instance, PlayerSettings& playerSettings);
  // Where the dialogs it owns are complete types.
  ~MainWindow() override;
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Creates the window for the controller, whose view this is, loads the
  // saved commands and shows it. False after telling the user why when the
  // window cannot work.
  bool Create(Controller& controller, int showCommand);
  // Brings the window back for a second start of the program.
  void ShowFromOutside();
  // Shows one of the player link's notices, naming the entry it ran for.
  void TellPlayerNotice(const std::wstring& text, const std::wstring& title);
  // Signalled when something in the program's folder changes; null when the
  // folder cannot be watched.
  HANDLE FolderWatch() const { return folderWatch_.get(); }
  void OnFolderChanged();
  // What the options dialog reads and saves; until it is given, "Options ..."
  // says that it cannot open.
  void SetOptionsAccess(OptionsAccess access) { optionsAccess_ = std::move(access); }

 private:
  friend class BaseWindow<MainWindow>;
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  bool OnCreate();
  void OnCommand(int id, int notification);
  LRESULT OnNotify(const NMHDR& header);
  void OnTimer(UINT_PTR timer);
  void OnTabChanged();
  void OnTrayClicked();
  void OnSelectPlayerClicked();
  void OnHistoryClicked();
  void OnOptionsClicked();
  void OnExitClicked();
  void OnClose();
  void OnPlayerDialogClosed();
  void ShowTrayIcon();

  bool CreateTabStrip();
  void ArmClock();
  void OnClockTick();

  // ControllerView.
  void RefreshList(std::size_t count) override;
  void RedrawRow(std::size_t index) override;
  void ClearEditor() override;
  void Report(const UserMessage& message) override;
  void ArmResumeTimer() override;
  void DisarmResumeTimer() override;
  bool ArmPlayingCheckTimer() override;
  void DisarmPlayingCheckTimer() override;
  void ShowNextFiring(const std::wstring& text) override;
  void HistoryAdded(const std::vector<HistoryEvent>& events) override;
  void StartInputCheck(const InputCheckRequest& request) override;
  void Notify(const std::wstring& title, const std::wstring& text) override;
  void SetWakeTimer(const std::optional<UtcInstant>& due) override;
  void KeepAwake(bool keep) override;
  void OnInputsChecked();

  HINSTANCE instance_;
  // From the first step of shut-down on, boxes wait for the user: the
  // program would end under a box that does not.
  bool closing_ = false;
  NoticeBoxes notices_;
  win32::unique_change_notification folderWatch_;
  UINT dpi_ = USER_DEFAULT_SCREEN_DPI;
  win32::unique_hfont windowFont_;
  win32::unique_hfont frameFont_;
  PlayerSettings& playerSettings_;
  Controller* controller_ = nullptr;
  EditorTab editor_;
  SavedListTab savedList_;
  StatusBar statusBar_;
  TrayIcon trayIcon_;
  std::unique_ptr<PlayerDialog> playerDialog_;
  std::unique_ptr<HistoryWindow> historyWindow_;
  OptionsAccess optionsAccess_;
  std::unique_ptr<OptionsDialog> optionsDialog_;
  // Without them (the system had none to give), nothing is checked ahead and
  // the computer is not woken; the user is told once.
  std::unique_ptr<WakeTimer> wakeTimer_;
  std::unique_ptr<InputChecker> inputChecker_;
  std::optional<cuelark::KeepAwake> keptAwake_;
  // Why the wake timer could not be set last time, so that it is told once.
  std::wstring wakeProblem_;
};

// Asks a running Cuelark to show its window (a second start sends it).
UINT ShowRequestMessage();

}  // namespace cuelark
