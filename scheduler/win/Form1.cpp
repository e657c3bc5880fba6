#include "scheduler/win/Form1.h"

#include <commctrl.h>
#include <shellapi.h>

#include <array>
#include <cwchar>
#include <vector>

#include "scheduler/win/ControlIds.h"
#include "scheduler/win/FileDialog.h"
#include "scheduler/win/Form2.h"
#include "scheduler/win/Resources.h"
#include "scheduler/win/Twips.h"
#include "scheduler/win/WinText.h"

namespace cuelark {
namespace {

constexpr wchar_t kFrameClass[] = L"CuelarkFrame";
constexpr wchar_t kCaption[] = L"Cuelark";
constexpr wchar_t kCreditText[] = L"Cuelark plays your chosen input in Winamp at its time";
constexpr wchar_t kPlayerSettingsFile[] = L"\\winamp.ini";

constexpr UINT_PTR kTimer1 = 1;  // schedule clock
constexpr UINT_PTR kTimer2 = 2;  // playlist resume
constexpr UINT kTimer2Interval = 3000;
constexpr UINT kTrayIconId = 1;
// A tick lands this long after the second it was armed for begins, so that
// a timer that fires a little early still reads the new second.
constexpr int kClockSlackMs = 3;

// Designed sizes, in twips.
constexpr int kClientWidth = 7695;
constexpr int kWindowHeight = 4200;
constexpr TwipsRect kFrameRect{240, 480, 7215, 2535};
constexpr int kStatusHeight = 300;
constexpr std::array kPanelWidths{6210, 1440};
constexpr std::array<std::pair<const wchar_t*, int>, 4> kColumns{{
    {L"Name", 1700}, {L"Command", 3200}, {L"Day/Date", 1200}, {L"Time", 800}}};

enum class Container { kForm, kFrmAdd, kFrmSav };
enum class FontKind { kWindow, kFrame };

struct FrameControl {
  Container frame;
  FontKind font;
  ControlPlacement control;
};

constexpr DWORD kLabel = SS_LEFT;
constexpr DWORD kTextBox = WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD kButton = WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD kCheckBox = WS_TABSTOP | BS_AUTOCHECKBOX;

// The controls inside the frames, in creation order: a label comes right
// before the control its access key leads to, and the focusable controls
// follow the designed tab order.
const std::array kFrameControls{
    FrameControl{Container::kFrmAdd, FontKind::kFrame,
                 {ids::kLabel1, WC_STATICW, L"&Browse for a file or enter a Command ...", kLabel, 0,
                  {120, 240, 2775, 255}}},
    FrameControl{Container::kFrmAdd, FontKind::kFrame,
                 {ids::kCommand, WC_EDITW, L"", kTextBox, WS_EX_CLIENTEDGE, {120, 480, 6015, 285}}},
    FrameControl{Container::kFrmAdd, FontKind::kFrame,
                 {ids::kBtnBrowse, WC_BUTTONW, L"Browse", kButton, 0, {6240, 480, 855, 285}}},
    FrameControl{Container::kFrmAdd, FontKind::kFrame,
                 {ids::kLabel2, WC_STATICW, L"Enter a name for this command ...", kLabel, 0, {120, 840, 3855, 255}}},
    FrameControl{Container::kFrmAdd, FontKind::kFrame,
                 {ids::kPresName, WC_EDITW, L"", kTextBox, WS_EX_CLIENTEDGE, {120, 1080, 4575, 285}}},
    FrameControl{Container::kFrmAdd, FontKind::kFrame,
                 {ids::kLabel3, WC_STATICW, L"Start Day/Date", kLabel, 0, {4800, 840, 1095, 255}}},
    FrameControl{Container::kFrmAdd, FontKind::kFrame,
                 {ids::kStartDate, DATETIMEPICK_CLASSW, L"", WS_TABSTOP | DTS_SHORTDATEFORMAT, 0,
                  {4800, 1080, 1215, 285}}},
    FrameControl{Container::kFrmAdd, FontKind::kFrame,
                 {ids::kLabel4, WC_STATICW, L"Start time", kLabel, 0, {6120, 840, 735, 255}}},
    FrameControl{Container::kFrmAdd, FontKind::kWindow,
                 {ids::kStartTime, DATETIMEPICK_CLASSW, L"", WS_TABSTOP | DTS_TIMEFORMAT, 0, {6120, 1080, 975, 285}}},
    FrameControl{Container::kFrmAdd, FontKind::kFrame,
                 {ids::kCommWeek, WC_BUTTONW, L"Is to commence every selected weekday on specified time ...",
                  kCheckBox, 0, {120, 1440, 4815, 255}}},
    FrameControl{Container::kFrmAdd, FontKind::kFrame,
                 {ids::kCommDay, WC_BUTTONW, L"Is to commence every day on specified time ...", kCheckBox, 0,
                  {120, 1800, 3735, 255}}},
    FrameControl{Container::kFrmAdd, FontKind::kFrame,
                 {ids::kBtnClear, WC_BUTTONW, L"Clear", kButton, 0, {5520, 2160, 735, 285}}},
    FrameControl{Container::kFrmAdd, FontKind::kFrame,
                 {ids::kBtnSave, WC_BUTTONW, L"Save", kButton, 0, {6360, 2160, 735, 285}}},
    FrameControl{Container::kFrmAdd, FontKind::kFrame,
                 {ids::kRemWhenDone, WC_BUTTONW, L"Remove from Saved Commands after execution", kCheckBox, 0,
                  {120, 2160, 3855, 255}}},
    FrameControl{Container::kFrmSav, FontKind::kFrame,
                 {ids::kLvFiles, WC_LISTVIEWW, L"",
                  WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_OWNERDATA,
                  WS_EX_CLIENTEDGE, {120, 240, 6975, 1815}}},
    FrameControl{Container::kFrmSav, FontKind::kFrame,
                 {ids::kBtnRem, WC_BUTTONW, L"Remove selected", kButton, 0, {5520, 2160, 1575, 285}}},
    FrameControl{Container::kFrmSav, FontKind::kFrame,
                 {ids::kBtnExe, WC_BUTTONW, L"Execute selected", kButton, 0, {3840, 2160, 1575, 285}}},
};

// Frames hold the editor and the list; the notifications of their controls
// belong to the main window, so a frame hands them on.
LRESULT CALLBACK FrameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
      return SendMessageW(GetParent(hwnd), message, wParam, lParam);
    case WM_PAINT: {
      PAINTSTRUCT paint;
      if (HDC dc = BeginPaint(hwnd, &paint)) {
        RECT client;
        GetClientRect(hwnd, &client);
        DrawEdge(dc, &client, EDGE_ETCHED, BF_RECT);
        EndPaint(hwnd, &paint);
      }
      return 0;
    }
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

SYSTEMTIME Today() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  now.wHour = now.wMinute = now.wSecond = now.wMilliseconds = 0;
  return now;
}

LocalDateTime ToLocalDateTime(const SYSTEMTIME& t) {
  return {{t.wYear, t.wMonth, t.wDay}, {t.wHour, t.wMinute, t.wSecond}};
}

WeekLocale SystemWeekLocale() {
  std::array<std::wstring, 7> names;
  for (int day = 0; day < 7; ++day)
    names[day] = UpperCase(LocaleText(static_cast<LCTYPE>(LOCALE_SDAYNAME1 + day)));
  // The system counts 0 for Monday through 6 for Sunday.
  const int firstDay = _wtoi(LocaleText(LOCALE_IFIRSTDAYOFWEEK).c_str());
  return MakeWeekLocale(names, firstDay + 1);
}

}  // namespace

UINT ShowRequestMessage() {
  static const UINT message = RegisterWindowMessageW(L"CuelarkShowWindow");
  return message;
}

Form1::Form1(HINSTANCE instance, std::unique_ptr<DispatchIniStore> store)
    : instance_(instance), iniStore_(std::move(store)), executor_(player_, *this) {}

Form1::~Form1() {
  if (hwnd_) {
    unloaded_ = true;
    DestroyWindow(hwnd_);
  }
}

std::unique_ptr<Form1> Form1::Create(HINSTANCE instance, int showCommand) {
  std::wstring error;
  auto store = DispatchIniStore::Create(error);
  if (!store) {
    MessageBoxW(nullptr, (error + L"\n\nCuelark cannot keep its saved commands without it and ends now.").c_str(),
                kCaption, MB_OK | MB_ICONSTOP);
    return nullptr;
  }
  const bool registered =
      RegisterWindowClassOnce(instance, kFrameClass, FrameProc) &&
      RegisterWindowClass(instance, ids::kForm1Class, LoadIconW(instance, MAKEINTRESOURCEW(kIdAppIcon)));
  auto form = std::make_unique<Form1>(instance, std::move(store));
  const HWND hwnd =
      registered ? CreateWindowExW(WS_EX_CONTROLPARENT, ids::kForm1Class, kCaption,
                                   WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                                   instance, form.get())
                 : nullptr;
  if (!hwnd) {
    MessageBoxW(nullptr, L"Cuelark could not create its window and ends now.", kCaption, MB_OK | MB_ICONSTOP);
    return nullptr;
  }
  ShowWindow(hwnd, showCommand == SW_SHOWMINIMIZED || showCommand == SW_MINIMIZE ? SW_SHOWMINIMIZED : SW_SHOWNORMAL);
  UpdateWindow(hwnd);
  form->ArmClock();
  return form;
}

LRESULT Form1::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      // A window without its controls or menu could not do its work.
      if (!CreateControls()) return -1;
      Form_Load();
      AddTrayIcon();
      return 0;
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_NOTIFY:
      return OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
    case WM_TIMER:
      OnTimer(wParam);
      return 0;
    case WM_SIZE:
      if (wParam == SIZE_MINIMIZED) ApplyMinimiseCheck();
      SendMessageW(Control(ids::kStatusBar), WM_SIZE, 0, 0);
      return 0;
    case WM_TIMECHANGE:
      ArmClock();
      return 0;
    case WM_POWERBROADCAST:
      if (wParam == PBT_APMRESUMEAUTOMATIC || wParam == PBT_APMRESUMESUSPEND) ArmClock();
      return TRUE;
    case ids::kTrayMessage:
      if (LOWORD(lParam) == WM_LBUTTONUP || LOWORD(lParam) == WM_LBUTTONDBLCLK) tray_Notify();
      return 0;
    case WM_CLOSE:
      Form_Unload();
      DestroyWindow(hwnd_);
      return 0;
    case WM_ENDSESSION:
      if (wParam) Form_Unload();
      return 0;
    case WM_DESTROY:
      KillTimer(hwnd_, kTimer1);
      KillTimer(hwnd_, kTimer2);
      RemoveTrayIcon();
      PostQuitMessage(0);
      return 0;
    default:
      // The shell lost its icons when it restarted.
      if (message == taskbarCreatedMessage_ && message != 0) {
        AddTrayIcon();
        return 0;
      }
      if (message == ShowRequestMessage()) {
        ShowFromOutside();
        return 0;
      }
      return DefWindowProcW(hwnd_, message, wParam, lParam);
  }
}

void Form1::OnCommand(int id, int notification) {
  switch (id) {
    case ids::kCommand:
    case ids::kPresName:
      if (notification == EN_CHANGE) ApplySaveRule();
      return;
    case ids::kCommDay:
      if (notification == BN_CLICKED) commDay_Click();
      return;
    case ids::kCommWeek:
      if (notification == BN_CLICKED) commWeek_Click();
      return;
    case ids::kBtnClear:
      if (notification == BN_CLICKED) btnClear_Click();
      return;
    case ids::kBtnBrowse:
      if (notification == BN_CLICKED) btnBrowse_Click();
      return;
    case ids::kBtnSave:
      if (notification == BN_CLICKED) btnSave_Click();
      return;
    case ids::kBtnRem:
      if (notification == BN_CLICKED) btnRem_Click();
      return;
    case ids::kBtnExe:
      if (notification == BN_CLICKED) btnExe_Click();
      return;
    case ids::kMnuSelWin:
      mnuSelWin_Click();
      return;
    case ids::kMnuExit:
      mnuExit_Click();
      return;
    default:
      return;
  }
}

LRESULT Form1::OnNotify(const NMHDR& header) {
  if (header.idFrom == ids::kTabStrip1 && header.code == TCN_SELCHANGE) {
    TabStrip1_Click();
  } else if (header.idFrom == ids::kLvFiles && header.code == LVN_GETDISPINFOW) {
    lvFiles_GetDispInfo(const_cast<NMLVDISPINFOW&>(reinterpret_cast<const NMLVDISPINFOW&>(header)).item);
  } else if (header.idFrom == ids::kLvFiles && header.code == NM_CLICK) {
    // The ticks live in the schedule, so a click on a box is the user's
    // tick whatever the list itself makes of it.
    LVHITTESTINFO hit{};
    hit.pt = reinterpret_cast<const NMITEMACTIVATE&>(header).ptAction;
    if (ListView_SubItemHitTest(header.hwndFrom, &hit) >= 0 && (hit.flags & LVHT_ONITEMSTATEICON) && hit.iSubItem == 0)
      lvFiles_ItemCheck(hit.iItem);
  } else if (header.idFrom == ids::kLvFiles && header.code == LVN_KEYDOWN &&
             reinterpret_cast<const NMLVKEYDOWN&>(header).wVKey == VK_SPACE) {
    lvFiles_ItemCheck(ListView_GetNextItem(header.hwndFrom, -1, LVNI_FOCUSED));
  }
  return 0;
}

void Form1::OnTimer(UINT_PTR timer) {
  if (timer == kTimer1) {
    // Armed again before the tick runs, so that the clock keeps ticking
    // while an execution waits for the player.
    ArmClock();
    Timer1_Timer();
  } else if (timer == kTimer2) {
    Timer2_Timer();
  }
}

HWND Form1::Control(int id) const {
  if (HWND direct = GetDlgItem(hwnd_, id)) return direct;
  if (HWND inAdd = GetDlgItem(frmAdd_, id)) return inAdd;
  return GetDlgItem(frmSav_, id);
}

void Form1::ShowMessage(const std::wstring& text, const std::wstring& title, UINT flags) {
  // A box owned by a window in the tray would stay out of sight.
  const HWND owner = IsWindowVisible(hwnd_) && !IsIconic(hwnd_) ? hwnd_ : nullptr;
  MessageBoxW(owner, text.c_str(), title.c_str(), flags | MB_SETFOREGROUND);
}

// ---------------------------------------------------------------- building

HWND Form1::CreateFrameWindow(int id) {
  const RECT r = ToPixels(kFrameRect, dpi_);
  return CreateWindowExW(WS_EX_CONTROLPARENT, kFrameClass, L"", WS_CHILD | WS_CLIPSIBLINGS, r.left, r.top,
                         r.right - r.left, r.bottom - r.top, hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                         instance_, nullptr);
}

bool Form1::CreateControls() {
  dpi_ = DpiOf(hwnd_);
  windowFont_ = CreateDesignFont(L"Arial", 825, dpi_);
  frameFont_ = CreateDesignFont(L"Arial", 675, dpi_);
  SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(windowFont_.get()), FALSE);

  if (!CreateMenuBar()) return false;
  // Window size: the designed client width under the menu bar, and the
  // designed outer height that start-up sets.
  RECT outer{0, 0, TwipsToPixels(kClientWidth, dpi_), 100};
  AdjustWindowRectExForDpi(&outer, GetWindowLongW(hwnd_, GWL_STYLE), TRUE, GetWindowLongW(hwnd_, GWL_EXSTYLE), dpi_);
  SetWindowPos(hwnd_, nullptr, 0, 0, outer.right - outer.left, TwipsToPixels(kWindowHeight, dpi_),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

  frmSav_ = CreateFrameWindow(ids::kFrmSav);
  frmAdd_ = CreateFrameWindow(ids::kFrmAdd);
  if (!frmSav_ || !frmAdd_) return false;
  for (const FrameControl& item : kFrameControls) {
    const HWND frame = item.frame == Container::kFrmAdd ? frmAdd_ : frmSav_;
    const HFONT font = item.font == FontKind::kWindow ? windowFont_.get() : frameFont_.get();
    if (!CreateControl(frame, instance_, item.control, dpi_, font)) return false;
  }
  SendMessageW(Control(ids::kStartDate), DTM_SETMCFONT, reinterpret_cast<WPARAM>(frameFont_.get()), FALSE);
  // The time as it is stored, in 24 hours: a 12-hour system format would not
  // fit the designed width with its AM/PM.
  DateTime_SetFormat(Control(ids::kStartTime), L"HH':'mm':'ss");
  CheckDlgButton(frmAdd_, ids::kRemWhenDone, BST_CHECKED);
  AddListColumns();

  const HWND status = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | SBARS_TOOLTIPS, 0, 0, 0, 0,
                                      hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(ids::kStatusBar)), instance_,
                                      nullptr);
  if (!status) return false;
  SendMessageW(status, WM_SETFONT, reinterpret_cast<WPARAM>(windowFont_.get()), FALSE);
  SetUpStatusBar();

  const HWND tabStrip = CreateControl(
      hwnd_, instance_, {ids::kTabStrip1, WC_TABCONTROLW, L"", WS_TABSTOP | WS_CLIPSIBLINGS, 0, {120, 120, 7455, 3015}},
      dpi_, windowFont_.get());
  if (!tabStrip) return false;
  AddTabs();
  ShowWindow(frmAdd_, SW_SHOW);
  SetFocus(tabStrip);
  return true;
}

bool Form1::CreateMenuBar() {
  const HMENU menu = CreateMenu();
  const HMENU file = CreatePopupMenu();
  const bool built = menu && file && AppendMenuW(file, MF_STRING, ids::kMnuSelWin, L"Select Winamp Executable") &&
                     AppendMenuW(file, MF_STRING, ids::kMnuExit, L"E&xit") &&
                     AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(file), L"File");
  // From SetMenu on the window owns the bar and destroys it with itself.
  if (built && SetMenu(hwnd_, menu)) return true;
  // A bar holding its menu destroys it with itself.
  if (file && !built) DestroyMenu(file);
  if (menu) DestroyMenu(menu);
  return false;
}

void Form1::AddTabs() {
  const HWND tabStrip = Control(ids::kTabStrip1);
  const std::array<const wchar_t*, 2> captions{L"Add a Command", L"Saved Commands"};
  for (int i = 0; i < static_cast<int>(captions.size()); ++i) {
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<wchar_t*>(captions[i]);
    SendMessageW(tabStrip, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
  }
}

void Form1::AddListColumns() {
  const HWND list = Control(ids::kLvFiles);
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT,
               LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
  // The check boxes show the schedule's ticks as well.
  SendMessageW(list, LVM_SETCALLBACKMASK, LVIS_STATEIMAGEMASK, 0);
  for (int i = 0; i < static_cast<int>(kColumns.size()); ++i) {
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.pszText = const_cast<wchar_t*>(kColumns[i].first);
    column.cx = TwipsToPixels(kColumns[i].second, dpi_);
    column.iSubItem = i;
    SendMessageW(list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
  }
}

void Form1::SetUpStatusBar() {
  const HWND status = Control(ids::kStatusBar);
  // The bar adds its borders to the least height it is given.
  SendMessageW(status, SB_SETMINHEIGHT,
               TwipsToPixels(kStatusHeight, dpi_) - 2 * GetSystemMetricsForDpi(SM_CYBORDER, dpi_), 0);
  std::array<int, kPanelWidths.size()> edges{};
  int right = 0;
  for (std::size_t i = 0; i < kPanelWidths.size(); ++i) edges[i] = right += TwipsToPixels(kPanelWidths[i], dpi_);
  SendMessageW(status, SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
  SendMessageW(status, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(kCreditText));
  SendMessageW(status, SB_SETTIPTEXTW, 0, reinterpret_cast<LPARAM>(kCreditText));
  SendMessageW(status, SB_SETTEXTW, 1, reinterpret_cast<LPARAM>(L"Time"));
  SendMessageW(status, SB_SETTIPTEXTW, 1, reinterpret_cast<LPARAM>(L"Time"));
  SendMessageW(status, WM_SIZE, 0, 0);
}

// ------------------------------------------------------- start and shut-down

void Form1::Form_Load() {
  iniPath = ProgramFolder() + L"\\cue.ini";
  store_.emplace(*iniStore_, iniPath);
  weekLocale_ = SystemWeekLocale();
  taskbarCreatedMessage_ = RegisterWindowMessageW(L"TaskbarCreated");
  RestorePosition();

  const HWND startDate = Control(ids::kStartDate);
  SYSTEMTIME range[2] = {Today(), {2099, 12, 5, 31, 0, 0, 0, 0}};
  DateTime_SetSystemtime(startDate, GDT_VALID, &range[0]);
  DateTime_SetRange(startDate, GDTR_MIN | GDTR_MAX, range);
  SYSTEMTIME midnight = Today();
  DateTime_SetSystemtime(Control(ids::kStartTime), GDT_VALID, &midnight);

  RECT window;
  GetWindowRect(hwnd_, &window);
  SetWindowPos(hwnd_, nullptr, 0, 0, window.right - window.left, TwipsToPixels(kWindowHeight, dpi_),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  const RECT frame = ToPixels(kFrameRect, dpi_);
  for (HWND f : {frmAdd_, frmSav_})
    SetWindowPos(f, nullptr, frame.left, frame.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

  LoadSavedCommands();
  ApplySaveRule();
}

void Form1::RestorePosition() {
  const auto position = store_->ReadPosition();
  if (!position) return;
  const float left = std::wcstof(position->first.c_str(), nullptr);
  const float top = std::wcstof(position->second.c_str(), nullptr);
  SetWindowPos(hwnd_, nullptr, TwipsToPixels(static_cast<int>(left), dpi_), TwipsToPixels(static_cast<int>(top), dpi_),
               0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form1::Form_Unload() {
  if (unloaded_) return;
  unloaded_ = true;
  // A minimised window reports where it would come back, not its icon.
  WINDOWPLACEMENT placement{};
  placement.length = sizeof(placement);
  RECT window{};
  if (IsIconic(hwnd_) && GetWindowPlacement(hwnd_, &placement))
    window = placement.rcNormalPosition;
  else
    GetWindowRect(hwnd_, &window);
  const StoreResult written = store_->WritePosition(std::to_wstring(PixelsToTwips(window.left, dpi_)),
                                                    std::to_wstring(PixelsToTwips(window.top, dpi_)));
  if (!written.ok)
    ShowMessage(L"The window position could not be saved in " + iniPath + L":\n" + written.reason, kCaption,
                MB_OK | MB_ICONWARNING);
}

void Form1::LoadSavedCommands() {
  schedule_.Assign(store_->LoadSavedCommands());
  ShowRows();
  UpdateListButtons();
}

// ------------------------------------------------------------------ editor

void Form1::TabStrip1_Click() {
  const int index = TabCtrl_GetCurSel(Control(ids::kTabStrip1)) + 1;
  if (index == 1) {
    ShowWindow(frmAdd_, SW_SHOW);
    ShowWindow(frmSav_, SW_HIDE);
  } else if (index == 2) {
    ShowWindow(frmAdd_, SW_HIDE);
    ShowWindow(frmSav_, SW_SHOW);
  }
}

void Form1::commDay_Click() { OnRepeatOptionClicked(ids::kCommDay, ids::kCommWeek); }

void Form1::commWeek_Click() { OnRepeatOptionClicked(ids::kCommWeek, ids::kCommDay); }

void Form1::OnRepeatOptionClicked(int clickedId, int otherId) {
  // A repeating entry is rarely meant to vanish after its first run.
  if (IsDlgButtonChecked(frmAdd_, clickedId) != BST_CHECKED) return;
  CheckDlgButton(frmAdd_, otherId, BST_UNCHECKED);
  CheckDlgButton(frmAdd_, ids::kRemWhenDone, BST_UNCHECKED);
}

void Form1::btnClear_Click() { ClearEditor(); }

void Form1::btnBrowse_Click() {
  constexpr wchar_t kFilter[] = L"Audio Files (mp2, mp3, wav)\0*.mp3;*.mp2;*.wav\0";
  // A cancelled dialog leaves the name of the last file chosen, which goes
  // into the command box all the same.
  AskForFile(hwnd_, kFilter, browseFileName_);
  SetWindowTextW(Control(ids::kCommand), browseFileName_.c_str());
}

void Form1::ApplySaveRule() {
  const bool enough = GetWindowTextLengthW(Control(ids::kPresName)) >= 3 &&
                      GetWindowTextLengthW(Control(ids::kCommand)) >= 3;
  EnableWindow(Control(ids::kBtnSave), enough);
}

void Form1::ClearEditor() {
  SetWindowTextW(Control(ids::kCommand), L"");
  SetWindowTextW(Control(ids::kPresName), L"");
  SYSTEMTIME today = Today();
  DateTime_SetSystemtime(Control(ids::kStartDate), GDT_VALID, &today);
  DateTime_SetSystemtime(Control(ids::kStartTime), GDT_VALID, &today);
  CheckDlgButton(frmAdd_, ids::kCommWeek, BST_UNCHECKED);
  CheckDlgButton(frmAdd_, ids::kCommDay, BST_UNCHECKED);
}

// ---------------------------------------------------------- saved commands

// The rows are the schedule's entries, which the list asks for what it
// shows (lvFiles_GetDispInfo): a thousand entries take no longer to show
// than ten.
void Form1::ShowRows() {
  const HWND list = Control(ids::kLvFiles);
  SendMessageW(list, LVM_SETITEMCOUNT, schedule_.Entries().size(), LVSICF_NOSCROLL);
  InvalidateRect(list, nullptr, TRUE);
}

void Form1::lvFiles_GetDispInfo(LVITEMW& item) const {
  const auto& entries = schedule_.Entries();
  if (item.iItem < 0 || static_cast<std::size_t>(item.iItem) >= entries.size()) return;
  const SavedCommand& entry = entries[static_cast<std::size_t>(item.iItem)];
  if (item.mask & LVIF_STATE) {
    // State image 1 is the empty box, 2 the ticked one.
    item.state = (item.state & ~LVIS_STATEIMAGEMASK) | INDEXTOSTATEIMAGEMASK(entry.isChecked ? 2 : 1);
    item.stateMask |= LVIS_STATEIMAGEMASK;
  }
  const std::array<const std::wstring*, 4> columns{&entry.name, &entry.command, &entry.startDate, &entry.startTime};
  if (!(item.mask & LVIF_TEXT) || item.iSubItem < 0 || item.iSubItem >= static_cast<int>(columns.size()) ||
      item.cchTextMax <= 0)
    return;
  lstrcpynW(item.pszText, columns[static_cast<std::size_t>(item.iSubItem)]->c_str(), item.cchTextMax);
}

std::optional<EntryId> Form1::SelectedEntry() const {
  const HWND list = Control(ids::kLvFiles);
  const int row = ListView_GetNextItem(list, -1, LVNI_SELECTED);
  if (row < 0 || static_cast<std::size_t>(row) >= schedule_.Entries().size()) return std::nullopt;
  return schedule_.Entries()[static_cast<std::size_t>(row)].id;
}

void Form1::UpdateListButtons() {
  const bool any = !schedule_.Entries().empty();
  EnableWindow(Control(ids::kBtnRem), any);
  EnableWindow(Control(ids::kBtnExe), any);
}

void Form1::btnSave_Click() {
  std::wstring name = WindowText(Control(ids::kPresName));
  std::wstring command = WindowText(Control(ids::kCommand));
  if (!CanStoreAsAnsi(name) || !CanStoreAsAnsi(command)) {
    ShowMessage(L"The name or the command holds characters that " + iniPath +
                    L" cannot store in this system's code page.\nPlease use other characters; nothing was saved.",
                L"Save", MB_OK | MB_ICONWARNING);
    return;
  }
  SYSTEMTIME date{}, time{};
  DateTime_GetSystemtime(Control(ids::kStartDate), &date);
  DateTime_GetSystemtime(Control(ids::kStartTime), &time);
  SavedCommand entry;
  entry.name = std::move(name);
  entry.command = std::move(command);
  entry.startDate = DayDateText({date.wYear, date.wMonth, date.wDay},
                                IsDlgButtonChecked(frmAdd_, ids::kCommWeek) == BST_CHECKED,
                                IsDlgButtonChecked(frmAdd_, ids::kCommDay) == BST_CHECKED, weekLocale_);
  entry.startTime = FormatTime({time.wHour, time.wMinute, time.wSecond});
  entry.isChecked = true;
  entry.remWhenDone = IsDlgButtonChecked(frmAdd_, ids::kRemWhenDone) == BST_CHECKED;
  schedule_.Append(std::move(entry));
  ShowRows();
  WriteSavedCommands();
}

bool Form1::SaveSchedule() {
  const StoreResult result = store_->WriteSavedCommands(schedule_.Entries());
  if (!result.ok)
    ShowMessage(L"The saved commands could not be written to " + iniPath + L":\n" + result.reason +
                    L"\n\nThe list keeps them; they are saved with the next change that can be written.",
                kCaption, MB_OK | MB_ICONWARNING);
  return result.ok;
}

bool Form1::WriteSavedCommands() {
  const bool saved = SaveSchedule();
  UpdateListButtons();
  ClearEditor();
  return saved;
}

void Form1::btnRem_Click() {
  const auto id = SelectedEntry();
  if (!id) return;
  if (MessageBoxW(hwnd_, L"Remove?", L"Remove from list", MB_OKCANCEL) == IDOK) {
    if (const auto index = schedule_.IndexOf(*id)) {
      schedule_.Remove(*id);
      ListView_DeleteItem(Control(ids::kLvFiles), static_cast<int>(*index));
      WriteSavedCommands();
    }
  }
  UpdateListButtons();
  InvalidateRect(Control(ids::kLvFiles), nullptr, TRUE);
}

void Form1::lvFiles_ItemCheck(int row) {
  const auto& entries = schedule_.Entries();
  if (row < 0 || static_cast<std::size_t>(row) >= entries.size()) return;
  const SavedCommand& entry = entries[static_cast<std::size_t>(row)];
  // A tick is saved at once, so an unticked entry stays silent after a
  // restart; the editor is not the user's concern here and stays as it is.
  if (schedule_.SetChecked(entry.id, !entry.isChecked)) SaveSchedule();
  ListView_RedrawItems(Control(ids::kLvFiles), row, row);
}

void Form1::RemoveIfDone(EntryId id) {
  const auto index = schedule_.IndexOf(id);
  if (!index || !schedule_.Find(id)->remWhenDone) return;
  schedule_.Remove(id);
  ListView_DeleteItem(Control(ids::kLvFiles), static_cast<int>(*index));
  UpdateListButtons();
  WriteSavedCommands();
}

void Form1::btnExe_Click() {
  if (const auto id = SelectedEntry()) executor_.RequestExecute(*id);
}

// ------------------------------------------------------- clock and resume

void Form1::ArmClock() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  if (!SetTimer(hwnd_, kTimer1, 1000 - now.wMilliseconds + kClockSlackMs, nullptr))
    ShowMessage(L"The schedule clock could not be started (the system has no timer left); saved commands will not "
                L"fire until Cuelark is started again.",
                kCaption, MB_OK | MB_ICONSTOP);
}

void Form1::Timer1_Timer() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  const LocalDateTime local = ToLocalDateTime(now);
  SendMessageW(Control(ids::kStatusBar), SB_SETTEXTW, 1, reinterpret_cast<LPARAM>(FormatTime(local.time).c_str()));
  for (const Firing& firing : clock_.Advance(local, schedule_.Entries(), weekLocale_))
    executor_.RequestExecute(firing.id);
}

void Form1::Timer2_Timer() { executor_.RequestResume(); }

std::optional<std::wstring> Form1::CommandOf(EntryId id) {
  if (const SavedCommand* entry = schedule_.Find(id)) return entry->command;
  return std::nullopt;
}

void Form1::ArmResume() { SetTimer(hwnd_, kTimer2, kTimer2Interval, nullptr); }

void Form1::DisarmResume() { KillTimer(hwnd_, kTimer2); }

std::wstring Form1::ReadPlaylistSetting() {
  return iniStore_->ReadINI(L"Winamp", L"Playlist", ProgramFolder() + kPlayerSettingsFile);
}

void Form1::ReportFailure(const Failure& failure) {
  const wchar_t* cause = failure.status == PlayerStatus::kNotStarted      ? L"Winamp Is Not Started"
                         : failure.status == PlayerStatus::kNotResponding ? L"Winamp Is Not Responding"
                                                                          : L"Winamp Could Not Be Given The Text";
  const wchar_t* effect = failure.duringResume ? L", Playlist not Restored!" : L", Command not Executed!";
  ShowMessage(std::wstring(cause) + effect, L"Error ...", MB_OK | MB_ICONSTOP);
}

// --------------------------------------------------- visibility, tray, menu

void Form1::ApplyMinimiseCheck() {
  if (IsIconic(hwnd_)) ShowWindow(hwnd_, SW_HIDE);
}

void Form1::AddTrayIcon() {
  NOTIFYICONDATAW icon{};
  icon.cbSize = sizeof(icon);
  icon.hWnd = hwnd_;
  icon.uID = kTrayIconId;
  icon.uFlags = NIF_ICON | NIF_MESSAGE;
  icon.uCallbackMessage = ids::kTrayMessage;
  icon.hIcon = LoadIconW(instance_, MAKEINTRESOURCEW(kIdAppIcon));
  Shell_NotifyIconW(NIM_ADD, &icon);
}

void Form1::RemoveTrayIcon() {
  NOTIFYICONDATAW icon{};
  icon.cbSize = sizeof(icon);
  icon.hWnd = hwnd_;
  icon.uID = kTrayIconId;
  Shell_NotifyIconW(NIM_DELETE, &icon);
}

void Form1::tray_Notify() {
  if (!IsIconic(hwnd_)) return;
  ShowWindow(hwnd_, SW_SHOW);
  ShowWindow(hwnd_, SW_RESTORE);
  SetForegroundWindow(hwnd_);
}

void Form1::ShowFromOutside() {
  if (IsIconic(hwnd_)) {
    tray_Notify();
  } else if (IsWindowVisible(hwnd_)) {
    SetForegroundWindow(hwnd_);
  } else if (form2_ && form2_->IsOpen()) {
    SetForegroundWindow(form2_->Handle());
  }
}

void Form1::mnuSelWin_Click() {
  // Every opening starts afresh, with a dialog window of its own.
  form2_ = Form2::Create(instance_, *this);
  if (!form2_) return;
  ShowWindow(hwnd_, SW_HIDE);
}

void Form1::Form2_Closed() {
  ShowWindow(hwnd_, SW_SHOW);
  SetForegroundWindow(hwnd_);
}

void Form1::mnuExit_Click() {
  // Ends at once: no position is written.
  unloaded_ = true;
  DestroyWindow(hwnd_);
}

}  // namespace cuelark
