#include "scheduler/win/MainWindow.h"

#include <commctrl.h>

#include <array>

#include "scheduler/win/AddressProbe.h"
#include "scheduler/win/ControlIds.h"
#include "scheduler/win/MainMenu.h"
#include "scheduler/win/PlayerDialog.h"
#include "scheduler/win/Resources.h"
#include "scheduler/win/StartAtLogOn.h"
#include "scheduler/win/SystemClock.h"
#include "scheduler/win/WindowPlacement.h"
#include "common/win32/ModulePath.h"
#include "common/win32/Twips.h"
#include "scheduler/win/WinText.h"

namespace cuelark {
namespace {

constexpr wchar_t kCaption[] = L"Cuelark";

constexpr UINT_PTR kClockTimer = 1;
constexpr UINT_PTR kResumeTimer = 2;
constexpr UINT_PTR kTrayRetryTimer = 3;
constexpr UINT_PTR kFolderChangeTimer = 4;
constexpr UINT_PTR kPlayingCheckTimer = 5;
// A program that writes a file in several steps is given this long to
// finish before the file is read.
constexpr UINT kFolderSettleMs = 500;
constexpr UINT kTrayRetryMs = 2000;
constexpr UINT kResumeDelayMs = 3000;
// A tick lands this long after the second it was armed for begins, so that
// a timer that fires a little early still reads the new second.
constexpr int kClockSlackMs = 3;

// Designed sizes, in twips.
constexpr int kClientWidth = 7695;
constexpr int kWindowHeight = 4200;
constexpr TwipsRect kTabStripRect{120, 120, 7455, 3015};

}  // namespace

UINT ShowRequestMessage() {
  static const UINT message = RegisterWindowMessageW(L"CuelarkShowWindow");
  return message;
}

MainWindow::MainWindow(HINSTANCE instance, PlayerSettings& playerSettings)
    : instance_(instance), playerSettings_(playerSettings) {}

MainWindow::~MainWindow() = default;

bool MainWindow::Create(Controller& controller, int showCommand) {
  controller_ = &controller;
  const HWND hwnd =
      RegisterWindowClass(instance_, ids::kMainWindowClass, LoadIconW(instance_, MAKEINTRESOURCEW(kIdAppIcon)))
          ? CreateWindowExW(WS_EX_CONTROLPARENT, ids::kMainWindowClass, kCaption,
                            WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN, CW_USEDEFAULT,
                            CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance_, this)
          : nullptr;
  if (!hwnd) {
    MessageBoxW(nullptr, L"Cuelark could not create its window and ends now.", kCaption, MB_OK | MB_ICONSTOP);
    return false;
  }
  ShowWindow(hwnd, showCommand == SW_SHOWMINIMIZED || showCommand == SW_MINIMIZE ? SW_SHOWMINIMIZED : SW_SHOWNORMAL);
  UpdateWindow(hwnd);
  std::wstring problem;
  wakeTimer_ = WakeTimer::Create(hwnd, ids::kWakeTimerMessage, problem);
  if (!wakeTimer_) Report({L"Cuelark cannot wake the computer: " + problem, kCaption, Severity::kWarning, {}});
  inputChecker_ = InputChecker::Create(hwnd, ids::kInputCheckedMessage, std::make_unique<AddressProbe>(), problem);
  if (!inputChecker_) Report({L"Cuelark cannot check commands ahead: " + problem, kCaption, Severity::kWarning, {}});
  controller.Load();
  // A copy started from a folder it was moved to starts from there at the next log-on.
  if (controller.CurrentOptions().startAtLogOn) {
    if (const std::optional<std::wstring> failed = logon::RepairIfMoved(win32::ModulePath()))
      Report({L"The start at log-on could not be moved to this copy of Cuelark: " + *failed, kCaption,
              Severity::kWarning, {}});
  }
  ArmClock();
  // Without a watch, another program's change is still found before the next write.
  const HANDLE watch = FindFirstChangeNotificationW(
      ProgramFolder().c_str(), FALSE,
      FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_SIZE);
  if (watch != INVALID_HANDLE_VALUE) folderWatch_.reset(watch);
  return true;
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_NOTIFY:
      return OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
    case WM_TIMER:
      OnTimer(wParam);
      return 0;
    case WM_SIZE:
      // Minimised, the window lives in the tray only.
      if (wParam == SIZE_MINIMIZED) ShowWindow(hwnd_.get(), SW_HIDE);
      statusBar_.OnParentSized();
      return 0;
    case WM_TIMECHANGE:
      controller_->OnClockChanged();
      ArmClock();
      return 0;
    case WM_POWERBROADCAST:
      if (wParam == PBT_APMRESUMEAUTOMATIC || wParam == PBT_APMRESUMESUSPEND) {
        controller_->OnResumedFromSleep();
        ArmClock();
      }
      return TRUE;
    case ids::kWakeTimerMessage:
      controller_->OnWakeTimerSignalled();
      return 0;
    case ids::kInputCheckedMessage:
      OnInputsChecked();
      return 0;
    case ids::kTrayMessage:
      if (LOWORD(lParam) == WM_LBUTTONUP || LOWORD(lParam) == WM_LBUTTONDBLCLK) OnTrayClicked();
      return 0;
    case WM_CLOSE:
      OnClose();
      return 0;
    case WM_ENDSESSION:
      if (wParam) {
        closing_ = true;
        controller_->OnShutdown(PositionToSave(hwnd_.get(), dpi_));
      }
      return 0;
    case WM_DESTROY:
      KillTimer(hwnd_.get(), kClockTimer);
      KillTimer(hwnd_.get(), kResumeTimer);
      KillTimer(hwnd_.get(), kPlayingCheckTimer);
      KillTimer(hwnd_.get(), kTrayRetryTimer);
      KillTimer(hwnd_.get(), kFolderChangeTimer);
      folderWatch_.reset();
      // Neither posts to a window that is gone.
      inputChecker_.reset();
      wakeTimer_.reset();
      trayIcon_.Remove();
      PostQuitMessage(0);
      return 0;
    default:
      if (trayIcon_.IsShellRestart(message)) {
        ShowTrayIcon();
        return 0;
      }
      if (message == ShowRequestMessage()) {
        ShowFromOutside();
        return 0;
      }
      return DefWindowProcW(hwnd_.get(), message, wParam, lParam);
  }
}

bool MainWindow::OnCreate() {
  dpi_ = DpiOf(hwnd_.get());
  windowFont_ = CreateDesignFont(L"Arial", 825, dpi_);
  frameFont_ = CreateDesignFont(L"Arial", 675, dpi_);
  SendMessageW(hwnd_.get(), WM_SETFONT, reinterpret_cast<WPARAM>(windowFont_.get()), FALSE);
  if (!AttachMainMenu(hwnd_.get())) return false;
  // The designed client width under the menu bar, and the designed outer height.
  const SIZE outer = win32::OuterSizeForClient(hwnd_.get(), kClientWidth, 0, dpi_);
  SetWindowPos(hwnd_.get(), nullptr, 0, 0, outer.cx, TwipsToPixels(kWindowHeight, dpi_),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

  const TabFonts fonts{windowFont_.get(), frameFont_.get()};
  // The frames lie above the tab strip, created later, so that the tab
  // order runs from the tab strip into the visible frame.
  if (!savedList_.Create(hwnd_.get(), instance_, dpi_, fonts, *controller_) ||
      !editor_.Create(hwnd_.get(), instance_, dpi_, fonts, *controller_) ||
      !statusBar_.Create(hwnd_.get(), instance_, dpi_, windowFont_.get()) || !CreateTabStrip())
    return false;
  ShowWindow(editor_.Frame(), SW_SHOW);
  editor_.SetUpPickers();
  MoveToSavedPosition(hwnd_.get(), dpi_, controller_->SavedPosition());
  ShowTrayIcon();
  return true;
}

void MainWindow::ShowTrayIcon() {
  if (trayIcon_.Add(hwnd_.get(), LoadIconW(instance_, MAKEINTRESOURCEW(kIdAppIcon))))
    KillTimer(hwnd_.get(), kTrayRetryTimer);
  else
    SetTimer(hwnd_.get(), kTrayRetryTimer, kTrayRetryMs, nullptr);
}

bool MainWindow::CreateTabStrip() {
  const HWND tabs = CreateControl(hwnd_.get(), instance_,
                                  {ids::kTabs, WC_TABCONTROLW, L"", WS_TABSTOP | WS_CLIPSIBLINGS, 0, kTabStripRect},
                                  dpi_, windowFont_.get());
  if (!tabs) return false;
  const std::array<const wchar_t*, 2> captions{L"Add a Command", L"Saved Commands"};
  for (int i = 0; i < static_cast<int>(captions.size()); ++i) {
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<wchar_t*>(captions[i]);
    if (SendMessageW(tabs, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item)) != i) return false;
  }
  SetFocus(tabs);
  return true;
}

void MainWindow::OnCommand(int id, int notification) {
  if (editor_.OnCommand(id, notification) || savedList_.OnCommand(id, notification)) return;
  if (id == ids::kSelectPlayerCommand) OnSelectPlayerClicked();
  if (id == ids::kHistoryCommand) OnHistoryClicked();
  if (id == ids::kOptionsCommand) OnOptionsClicked();
  if (id == ids::kExitCommand) OnExitClicked();
}

LRESULT MainWindow::OnNotify(const NMHDR& header) {
  if (header.idFrom == ids::kTabs && header.code == TCN_SELCHANGE) {
    OnTabChanged();
    return 0;
  }
  return savedList_.OnNotify(header);
}

void MainWindow::OnTabChanged() {
  const bool editing = TabCtrl_GetCurSel(GetDlgItem(hwnd_.get(), ids::kTabs)) == 0;
  ShowWindow(editor_.Frame(), editing ? SW_SHOW : SW_HIDE);
  ShowWindow(savedList_.Frame(), editing ? SW_HIDE : SW_SHOW);
}

void MainWindow::OnTimer(UINT_PTR timer) {
  if (timer == kClockTimer) {
    // Armed again before the tick runs, so that the clock keeps ticking
    // while an execution waits for the player.
    ArmClock();
    OnClockTick();
  } else if (timer == kResumeTimer) {
    controller_->OnResumeTick();
  } else if (timer == kPlayingCheckTimer) {
    controller_->OnPlayingCheckTick();
  } else if (timer == kTrayRetryTimer) {
    ShowTrayIcon();
  } else if (timer == kFolderChangeTimer) {
    KillTimer(hwnd_.get(), kFolderChangeTimer);
    controller_->OnStoreFolderChanged();
  }
}

void MainWindow::ArmClock() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  if (!SetTimer(hwnd_.get(), kClockTimer, 1000 - now.wMilliseconds + kClockSlackMs, nullptr))
    Report({L"The schedule clock could not be started (the system has no timer left); saved commands will not "
            L"fire until Cuelark is started again.",
            kCaption, Severity::kStop, {}});
}

void MainWindow::OnClockTick() {
  const auto [local, utcOffsetMinutes] = LocalTimeAndOffset();
  statusBar_.ShowTime(FormatTime(local.time));
  controller_->OnClockTick(local, utcOffsetMinutes);
}

void MainWindow::OnFolderChanged() {
  if (!FindNextChangeNotification(folderWatch_.get())) {
    folderWatch_.reset();
    return;
  }
  // Restarted by each change, so that a burst is read once, after it.
  SetTimer(hwnd_.get(), kFolderChangeTimer, kFolderSettleMs, nullptr);
}

void MainWindow::OnTrayClicked() {
  if (!IsIconic(hwnd_.get())) return;
  ShowWindow(hwnd_.get(), SW_SHOW);
  ShowWindow(hwnd_.get(), SW_RESTORE);
  SetForegroundWindow(hwnd_.get());
}

void MainWindow::ShowFromOutside() {
  if (IsIconic(hwnd_.get())) {
    OnTrayClicked();
  } else if (IsWindowVisible(hwnd_.get())) {
    SetForegroundWindow(hwnd_.get());
  } else if (playerDialog_ && playerDialog_->IsOpen()) {
    SetForegroundWindow(playerDialog_->Handle());
  }
}

void MainWindow::OnSelectPlayerClicked() {
  // Every opening starts afresh, with a dialog window of its own.
  playerDialog_ = PlayerDialog::Create(instance_, playerSettings_, [this] { OnPlayerDialogClosed(); });
  if (playerDialog_) ShowWindow(hwnd_.get(), SW_HIDE);
}

void MainWindow::OnHistoryClicked() {
  if (historyWindow_ && historyWindow_->IsOpen()) {
    SetForegroundWindow(historyWindow_->Handle());
    return;
  }
  historyWindow_ = HistoryWindow::Create(instance_, *controller_);
  if (!historyWindow_) Report({L"The history window could not be opened.", kCaption, Severity::kWarning, {}});
}

void MainWindow::OnOptionsClicked() {
  if (optionsDialog_ && optionsDialog_->IsOpen()) {
    SetForegroundWindow(optionsDialog_->Handle());
    return;
  }
  if (optionsAccess_.read && optionsAccess_.save)
    optionsDialog_ = OptionsDialog::Create(instance_, optionsAccess_, win32::ModulePath(), [] {});
  if (!optionsDialog_ || !optionsDialog_->IsOpen())
    Report({L"The options dialog could not be opened.", kCaption, Severity::kWarning, {}});
}

void MainWindow::OnPlayerDialogClosed() {
  ShowWindow(hwnd_.get(), SW_SHOW);
  SetForegroundWindow(hwnd_.get());
}

void MainWindow::OnExitClicked() {
  // Ends at once: no position is written.
  closing_ = true;
  controller_->OnShutdown(std::nullopt);
  DestroyWindow(hwnd_.get());
}

void MainWindow::OnClose() {
  closing_ = true;
  controller_->OnShutdown(PositionToSave(hwnd_.get(), dpi_));
  DestroyWindow(hwnd_.get());
}

void MainWindow::RefreshList(std::size_t count) { savedList_.RefreshList(count); }

void MainWindow::RedrawRow(std::size_t index) { savedList_.RedrawRow(index); }

void MainWindow::ClearEditor() { editor_.Clear(); }

void MainWindow::Report(const UserMessage& message) {
  if (!closing_ && notices_.Show(instance_, message)) return;
  // A box owned by a window in the tray would stay out of sight.
  const HWND owner = hwnd_.get() && IsWindowVisible(hwnd_.get()) && !IsIconic(hwnd_.get()) ? hwnd_.get() : nullptr;
  const UINT icon = message.severity == Severity::kStop ? MB_ICONSTOP : MB_ICONWARNING;
  const std::wstring text = message.about.empty() ? message.text : message.text + L"\n" + message.about;
  MessageBoxW(owner, text.c_str(), message.title.c_str(), MB_OK | icon | MB_SETFOREGROUND);
}

void MainWindow::TellPlayerNotice(const std::wstring& text, const std::wstring& title) {
  Report({text, title, Severity::kWarning, controller_ ? controller_->AboutRunning() : std::wstring()});
}

void MainWindow::ArmResumeTimer() {
  if (!SetTimer(hwnd_.get(), kResumeTimer, kResumeDelayMs, nullptr))
    Report({L"The player's playlist cannot be restored after this command (the system has no timer left).",
            kCaption, Severity::kWarning, {}});
}

void MainWindow::DisarmResumeTimer() { KillTimer(hwnd_.get(), kResumeTimer); }

void MainWindow::StartInputCheck(const InputCheckRequest& request) {
  if (inputChecker_) inputChecker_->Check(request);
}

void MainWindow::OnInputsChecked() {
  if (!inputChecker_) return;
  for (const InputCheckResult& result : inputChecker_->TakeResults()) controller_->OnInputChecked(result);
}

void MainWindow::Notify(const std::wstring& title, const std::wstring& text) {
  // Without the icon (a shell not started yet) the history still holds it.
  trayIcon_.ShowBalloon(title, text);
}

void MainWindow::SetWakeTimer(const std::optional<UtcInstant>& due) {
  if (!wakeTimer_) return;
  if (!due) {
    wakeTimer_->Cancel();
    return;
  }
  const WakeTimerSetting setting = wakeTimer_->Set(*due);
  const std::wstring problem = setting.set && setting.wakes ? std::wstring() : setting.reason;
  if (!problem.empty() && problem != wakeProblem_)
    Report({L"The computer cannot be woken for the next command: " + problem, kCaption, Severity::kWarning, {}});
  wakeProblem_ = problem;
}

void MainWindow::KeepAwake(bool keep) {
  if (keep) {
    keptAwake_.emplace();
  } else {
    keptAwake_.reset();
  }
}

bool MainWindow::ArmPlayingCheckTimer() {
  return SetTimer(hwnd_.get(), kPlayingCheckTimer, static_cast<UINT>(kPlayingCheckMs), nullptr) != 0;
}

void MainWindow::DisarmPlayingCheckTimer() { KillTimer(hwnd_.get(), kPlayingCheckTimer); }

void MainWindow::ShowNextFiring(const std::wstring& text) {
  trayIcon_.SetTip(text);
  if (historyWindow_ && historyWindow_->IsOpen()) historyWindow_->ShowNextFiring(text);
}

void MainWindow::HistoryAdded(const std::vector<HistoryEvent>& events) {
  if (historyWindow_ && historyWindow_->IsOpen()) historyWindow_->Add(events);
}

}  // namespace cuelark
