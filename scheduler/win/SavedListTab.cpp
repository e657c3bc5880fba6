#include "scheduler/win/SavedListTab.h"

#include <array>
#include <utility>

#include "scheduler/win/ControlIds.h"
#include "scheduler/win/ListColumns.h"

namespace cuelark {
namespace {

constexpr DWORD kButton = WS_TABSTOP | BS_PUSHBUTTON;

constexpr std::array kControls{
    FrameControl{FontKind::kFrame,
                 {ids::kSavedList, WC_LISTVIEWW, L"",
                  WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_OWNERDATA, WS_EX_CLIENTEDGE,
                  {120, 240, 6975, 1815}}},
    FrameControl{FontKind::kFrame,
                 {ids::kRemoveButton, WC_BUTTONW, L"Remove selected", kButton, 0, {5520, 2160, 1575, 285}}},
    FrameControl{FontKind::kFrame,
                 {ids::kExecuteButton, WC_BUTTONW, L"Execute selected", kButton, 0, {3840, 2160, 1575, 285}}},
};

constexpr std::array<ListColumn, 4> kColumns{
    {{L"Name", 1700}, {L"Command", 3200}, {L"Day/Date", 1200}, {L"Time", 800}}};

}  // namespace

bool SavedListTab::Create(HWND parent, HINSTANCE instance, UINT dpi, const TabFonts& fonts, Controller& controller) {
  controller_ = &controller;
  frame_ = CreateFrame(parent, instance, ids::kSavedFrame, dpi, fonts, kControls);
  if (!frame_) return false;
  return SetUpList(dpi) &&
         SetWindowSubclass(Control(ids::kSavedList), ListProc, 0, reinterpret_cast<DWORD_PTR>(this)) != FALSE;
}

bool SavedListTab::SetUpList(UINT dpi) {
  const HWND list = Control(ids::kSavedList);
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT,
               LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
  // The check boxes show the schedule's ticks as well.
  SendMessageW(list, LVM_SETCALLBACKMASK, LVIS_STATEIMAGEMASK, 0);
  return AddListColumns(list, kColumns, dpi);
}

bool SavedListTab::OnCommand(int id, int notification) {
  if (notification != BN_CLICKED) return false;
  if (id == ids::kRemoveButton) {
    OnRemoveClicked();
    return true;
  }
  if (id == ids::kExecuteButton) {
    OnExecuteClicked();
    return true;
  }
  return false;
}

LRESULT SavedListTab::OnNotify(const NMHDR& header) {
  if (header.idFrom != ids::kSavedList) return 0;
  if (header.code == LVN_GETDISPINFOW) {
    FillRow(const_cast<NMLVDISPINFOW&>(reinterpret_cast<const NMLVDISPINFOW&>(header)).item);
  } else if (header.code == NM_CLICK) {
    // The ticks live in the schedule, so a click on a box is the user's
    // tick whatever the list itself makes of it.
    LVHITTESTINFO hit{};
    hit.pt = reinterpret_cast<const NMITEMACTIVATE&>(header).ptAction;
    if (ListView_SubItemHitTest(header.hwndFrom, &hit) >= 0 && (hit.flags & LVHT_ONITEMSTATEICON) && hit.iSubItem == 0)
      ToggleChecked(hit.iItem);
  } else if (header.code == LVN_KEYDOWN && reinterpret_cast<const NMLVKEYDOWN&>(header).wVKey == VK_SPACE) {
    ToggleChecked(ListView_GetNextItem(header.hwndFrom, -1, LVNI_FOCUSED));
  }
  return 0;
}

// Automation and accessibility tools tick a row with the standard state
// message. A list whose owner keeps the states drops that part of it without
// a word, so the tick is taken here, on its way in, exactly as a click's.
LRESULT CALLBACK SavedListTab::ListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                       DWORD_PTR self) {
  return GuardedCall(list, [&] {
    if (message == WM_NCDESTROY) RemoveWindowSubclass(list, ListProc, 0);
    if (message == LVM_SETITEMSTATE && lParam)
      reinterpret_cast<SavedListTab*>(self)->OnStateSet(static_cast<int>(wParam),
                                                        *reinterpret_cast<const LVITEMW*>(lParam));
    return DefSubclassProc(list, message, wParam, lParam);
  });
}

void SavedListTab::OnStateSet(int row, const LVITEMW& item) {
  if (!(item.stateMask & LVIS_STATEIMAGEMASK)) return;
  const UINT image = (item.state & LVIS_STATEIMAGEMASK) >> 12;
  if (image != 1 && image != 2) return;
  if (const auto id = EntryAt(row)) controller_->OnEntryChecked(*id, image == 2);
}

// The rows are the schedule's entries, which the list asks for what it
// shows: a thousand entries take no longer to show than ten.
void SavedListTab::RefreshList(std::size_t count) {
  const HWND list = Control(ids::kSavedList);
  SendMessageW(list, LVM_SETITEMCOUNT, count, LVSICF_NOSCROLL);
  InvalidateRect(list, nullptr, TRUE);
  EnableWindow(Control(ids::kRemoveButton), count > 0);
  EnableWindow(Control(ids::kExecuteButton), count > 0);
}

void SavedListTab::RedrawRow(std::size_t index) {
  ListView_RedrawItems(Control(ids::kSavedList), static_cast<int>(index), static_cast<int>(index));
}

void SavedListTab::FillRow(LVITEMW& item) const {
  const auto& entries = controller_->Entries();
  if (item.iItem < 0 || static_cast<std::size_t>(item.iItem) >= entries.size()) return;
  const SavedCommand& entry = entries[static_cast<std::size_t>(item.iItem)];
  if (item.mask & LVIF_STATE) {
    // State image 1 is the empty box, 2 the ticked one.
    item.state = (item.state & ~LVIS_STATEIMAGEMASK) | INDEXTOSTATEIMAGEMASK(entry.isChecked ? 2 : 1);
    item.stateMask |= LVIS_STATEIMAGEMASK;
  }
  const std::wstring dayDate = controller_->DayDateShown(entry);
  const std::array<const std::wstring*, 4> columns{&entry.name, &entry.command, &dayDate, &entry.startTime};
  if (!(item.mask & LVIF_TEXT) || item.iSubItem < 0 || item.iSubItem >= static_cast<int>(columns.size()) ||
      item.cchTextMax <= 0)
    return;
  lstrcpynW(item.pszText, columns[static_cast<std::size_t>(item.iSubItem)]->c_str(), item.cchTextMax);
}

std::optional<EntryId> SavedListTab::EntryAt(int row) const {
  const auto& entries = controller_->Entries();
  if (row < 0 || static_cast<std::size_t>(row) >= entries.size()) return std::nullopt;
  return entries[static_cast<std::size_t>(row)].id;
}

void SavedListTab::ToggleChecked(int row) {
  if (const auto id = EntryAt(row))
    controller_->OnEntryChecked(*id, !controller_->Entries()[static_cast<std::size_t>(row)].isChecked);
}

void SavedListTab::OnRemoveClicked() {
  const auto id = EntryAt(ListView_GetNextItem(Control(ids::kSavedList), -1, LVNI_SELECTED));
  if (!id) return;
  if (MessageBoxW(GetAncestor(frame_, GA_ROOT), L"Remove?", L"Remove from list", MB_OKCANCEL) == IDOK)
    controller_->OnRemoveConfirmed(*id);
}

void SavedListTab::OnExecuteClicked() {
  if (const auto id = EntryAt(ListView_GetNextItem(Control(ids::kSavedList), -1, LVNI_SELECTED)))
    controller_->OnExecuteClicked(*id);
}

}  // namespace cuelark
