#include "scheduler/win/EditorTab.h"

#include <commctrl.h>

#include <array>

#include "scheduler/win/ControlIds.h"
#include "scheduler/win/FileDialog.h"
#include "scheduler/win/WinText.h"

namespace cuelark {
namespace {

constexpr DWORD kLabel = SS_LEFT;
constexpr DWORD kTextBox = WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD kButton = WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD kCheckBox = WS_TABSTOP | BS_AUTOCHECKBOX;

// In creation order: a label comes right before the control its access key
// leads to, and the focusable controls follow the designed tab order.
constexpr std::array kControls{
    FrameControl{FontKind::kFrame,
                 {ids::kCommandLabel, WC_STATICW, L"&Browse for a file or enter a Command ...", kLabel, 0,
                  {120, 240, 2775, 255}}},
    FrameControl{FontKind::kFrame,
                 {ids::kCommandBox, WC_EDITW, L"", kTextBox, WS_EX_CLIENTEDGE, {120, 480, 6015, 285}}},
    FrameControl{FontKind::kFrame, {ids::kBrowseButton, WC_BUTTONW, L"Browse", kButton, 0, {6240, 480, 855, 285}}},
    FrameControl{FontKind::kFrame,
                 {ids::kNameLabel, WC_STATICW, L"Enter a name for this command ...", kLabel, 0, {120, 840, 3855, 255}}},
    FrameControl{FontKind::kFrame, {ids::kNameBox, WC_EDITW, L"", kTextBox, WS_EX_CLIENTEDGE, {120, 1080, 4575, 285}}},
    FrameControl{FontKind::kFrame,
                 {ids::kDateLabel, WC_STATICW, L"Start Day/Date", kLabel, 0, {4800, 840, 1095, 255}}},
    FrameControl{FontKind::kFrame,
                 {ids::kDatePicker, DATETIMEPICK_CLASSW, L"", WS_TABSTOP | DTS_SHORTDATEFORMAT, 0,
                  {4800, 1080, 1215, 285}}},
    FrameControl{FontKind::kFrame, {ids::kTimeLabel, WC_STATICW, L"Start time", kLabel, 0, {6120, 840, 735, 255}}},
    FrameControl{FontKind::kWindow,
                 {ids::kTimePicker, DATETIMEPICK_CLASSW, L"", WS_TABSTOP | DTS_TIMEFORMAT, 0, {6120, 1080, 975, 285}}},
    FrameControl{FontKind::kFrame,
                 {ids::kWeeklyBox, WC_BUTTONW, L"Is to commence every selected weekday on specified time ...",
                  kCheckBox, 0, {120, 1440, 4815, 255}}},
    FrameControl{FontKind::kFrame,
                 {ids::kEveryDayBox, WC_BUTTONW, L"Is to commence every day on specified time ...", kCheckBox, 0,
                  {120, 1800, 3735, 255}}},
    FrameControl{FontKind::kFrame, {ids::kClearButton, WC_BUTTONW, L"Clear", kButton, 0, {5520, 2160, 735, 285}}},
    FrameControl{FontKind::kFrame, {ids::kSaveButton, WC_BUTTONW, L"Save", kButton, 0, {6360, 2160, 735, 285}}},
    FrameControl{FontKind::kFrame,
                 {ids::kRemoveWhenDoneBox, WC_BUTTONW, L"Remove from Saved Commands after execution", kCheckBox, 0,
                  {120, 2160, 3855, 255}}},
};

SYSTEMTIME Today() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  now.wHour = now.wMinute = now.wSecond = now.wMilliseconds = 0;
  return now;
}

}  // namespace

bool EditorTab::Create(HWND parent, HINSTANCE instance, UINT dpi, const TabFonts& fonts, Controller& controller) {
  controller_ = &controller;
  frame_ = CreateFrame(parent, instance, ids::kEditorFrame, dpi, fonts, kControls);
  if (!frame_) return false;
  SendMessageW(Control(ids::kDatePicker), DTM_SETMCFONT, reinterpret_cast<WPARAM>(fonts.frame), FALSE);
  // The time as it is stored, in 24 hours: a 12-hour system format would not
  // fit the designed width with its AM/PM.
  DateTime_SetFormat(Control(ids::kTimePicker), L"HH':'mm':'ss");
  CheckDlgButton(frame_, ids::kRemoveWhenDoneBox, BST_CHECKED);
  return true;
}

void EditorTab::SetUpPickers() {
  const HWND datePicker = Control(ids::kDatePicker);
  SYSTEMTIME range[2] = {Today(), {2099, 12, 5, 31, 0, 0, 0, 0}};
  DateTime_SetSystemtime(datePicker, GDT_VALID, &range[0]);
  DateTime_SetRange(datePicker, GDTR_MIN | GDTR_MAX, range);
  SYSTEMTIME midnight = Today();
  DateTime_SetSystemtime(Control(ids::kTimePicker), GDT_VALID, &midnight);
  OnTextChanged();
}

bool EditorTab::OnCommand(int id, int notification) {
  if ((id == ids::kCommandBox || id == ids::kNameBox) && notification == EN_CHANGE) {
    OnTextChanged();
    return true;
  }
  if (notification != BN_CLICKED) return false;
  switch (id) {
    case ids::kEveryDayBox:
      OnRepeatOptionClicked(ids::kEveryDayBox, ids::kWeeklyBox);
      return true;
    case ids::kWeeklyBox:
      OnRepeatOptionClicked(ids::kWeeklyBox, ids::kEveryDayBox);
      return true;
    case ids::kClearButton:
      Clear();
      return true;
    case ids::kBrowseButton:
      OnBrowseClicked();
      return true;
    case ids::kSaveButton:
      OnSaveClicked();
      return true;
    default:
      return false;
  }
}

void EditorTab::Clear() {
  SetWindowTextW(Control(ids::kCommandBox), L"");
  SetWindowTextW(Control(ids::kNameBox), L"");
  SYSTEMTIME today = Today();
  DateTime_SetSystemtime(Control(ids::kDatePicker), GDT_VALID, &today);
  DateTime_SetSystemtime(Control(ids::kTimePicker), GDT_VALID, &today);
  CheckDlgButton(frame_, ids::kWeeklyBox, BST_UNCHECKED);
  CheckDlgButton(frame_, ids::kEveryDayBox, BST_UNCHECKED);
}

EditorFields EditorTab::Fields() const {
  SYSTEMTIME date{}, time{};
  DateTime_GetSystemtime(Control(ids::kDatePicker), &date);
  DateTime_GetSystemtime(Control(ids::kTimePicker), &time);
  return {WindowText(Control(ids::kNameBox)),
          WindowText(Control(ids::kCommandBox)),
          {date.wYear, date.wMonth, date.wDay},
          {time.wHour, time.wMinute, time.wSecond},
          IsTicked(ids::kWeeklyBox),
          IsTicked(ids::kEveryDayBox),
          IsTicked(ids::kRemoveWhenDoneBox)};
}

void EditorTab::OnTextChanged() {
  EnableWindow(Control(ids::kSaveButton),
               CanSave(static_cast<std::size_t>(GetWindowTextLengthW(Control(ids::kNameBox))),
                       static_cast<std::size_t>(GetWindowTextLengthW(Control(ids::kCommandBox)))));
}

void EditorTab::OnRepeatOptionClicked(int clickedId, int otherId) {
  // A repeating entry is rarely meant to vanish after its first run.
  if (!IsTicked(clickedId)) return;
  CheckDlgButton(frame_, otherId, BST_UNCHECKED);
  CheckDlgButton(frame_, ids::kRemoveWhenDoneBox, BST_UNCHECKED);
}

void EditorTab::OnBrowseClicked() {
  constexpr wchar_t kFilter[] = L"Audio Files (mp2, mp3, wav)\0*.mp3;*.mp2;*.wav\0";
  // A cancelled dialog leaves the name of the last file chosen, which goes
  // into the command box all the same.
  AskForFile(GetAncestor(frame_, GA_ROOT), kFilter, browseFileName_);
  SetWindowTextW(Control(ids::kCommandBox), browseFileName_.c_str());
}

void EditorTab::OnSaveClicked() { controller_->OnSaveClicked(Fields()); }

}  // namespace cuelark
