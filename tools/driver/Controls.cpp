#include <windows.h>
#include <commctrl.h>

#include <array>

#include "tools/driver/Internal.h"

namespace cuelark::test {

using namespace detail;

namespace {

// A status bar holds at most 256 parts.
constexpr int kMaxPanels = 256;
constexpr int kStateUnchecked = 1;
constexpr int kStateChecked = 2;

void SetItemState(HWND list, int row, UINT mask, UINT state) {
  LVITEMW item{};
  item.stateMask = mask;
  item.state = state;
  if (!SendWithRemote(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), item))
    Fail("The list view refused a state change of row " + std::to_string(row) + ": " + Describe(list));
}

void CheckRow(HWND list, int row) { CheckIndex(row, ItemCount(list), "Row", list); }

}  // namespace

std::wstring GetText(HWND window) {
  const auto length = static_cast<std::size_t>(Send(window, WM_GETTEXTLENGTH));
  std::wstring text(length + 1, L'\0');
  const auto copied = static_cast<std::size_t>(Send(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data())));
  text.resize(std::min(copied, length));
  return text;
}

// The answer is not checked: its meaning differs by class (a combo box
// answers 0 for success). Callers read the text back where it matters.
void SetText(HWND window, std::wstring_view text) {
  const std::wstring terminated(text);
  Send(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(terminated.c_str()));
}

void TypeText(HWND window, std::wstring_view text) {
  for (const wchar_t unit : text) Send(window, WM_CHAR, unit, 1);
}

void Click(HWND button) { Send(button, BM_CLICK); }

void ClickAsync(HWND button) {
  if (!PostMessageW(Existing(button), BM_CLICK, 0, 0)) FailLastError("Posting a click to " + Describe(button));
}

bool IsChecked(HWND button) { return Send(button, BM_GETCHECK) == BST_CHECKED; }

void SetChecked(HWND button, bool checked) {
  if (IsChecked(button) != checked) Click(button);
}

bool IsEnabled(HWND window) { return IsWindowEnabled(Existing(window)); }

bool IsVisible(HWND window) { return IsWindowVisible(Existing(window)); }

bool IsWindowShown(HWND window) { return IsVisible(window) && !IsIconic(window); }

bool IsMinimized(HWND window) { return IsIconic(Existing(window)); }

void Minimize(HWND window) { Deliver(Existing(window), WM_SYSCOMMAND, SC_MINIMIZE, 0); }

int TabCount(HWND tabs) { return static_cast<int>(Send(tabs, TCM_GETITEMCOUNT)); }

std::wstring TabText(HWND tabs, int index) {
  CheckIndex(index, TabCount(tabs), "Tab", tabs);
  TCITEMW item{};
  item.mask = TCIF_TEXT;
  return SendForText(tabs, TCM_GETITEMW, index, item);
}

int SelectedTab(HWND tabs) { return static_cast<int>(Send(tabs, TCM_GETCURSEL)); }

// TCM_SETCURSEL changes the selection without telling the program, so the
// tab is clicked instead. The mouse messages are posted, as real input is;
// the WM_NULL round trip lets them arrive and the poll covers the rest.
void SelectTab(HWND tabs, int index) {
  CheckIndex(index, TabCount(tabs), "Tab", tabs);
  if (SelectedTab(tabs) == index) return;
  RECT tab{};
  if (!SendWithRemote(tabs, TCM_GETITEMRECT, index, tab)) Fail("No rectangle for tab " + std::to_string(index));
  RECT client{};
  if (!GetClientRect(tabs, &client)) FailLastError("Measuring " + Describe(tabs));
  const POINT centre{(tab.left + tab.right) / 2, (tab.top + tab.bottom) / 2};
  if (!PtInRect(&client, centre))
    Fail("Tab " + std::to_string(index) + " is scrolled out of view in " + Describe(tabs));
  const LPARAM where = MAKELPARAM(centre.x, centre.y);
  if (!PostMessageW(tabs, WM_LBUTTONDOWN, MK_LBUTTON, where) || !PostMessageW(tabs, WM_LBUTTONUP, 0, where))
    FailLastError("Posting a click to " + Describe(tabs));
  Send(tabs, WM_NULL);
  WaitUntil([&] { return SelectedTab(tabs) == index; }, kDefaultTimeoutMs,
            "tab " + std::to_string(index) + " to be selected (did the program refuse the change?)");
}

int ItemCount(HWND list) { return static_cast<int>(Send(list, LVM_GETITEMCOUNT)); }

std::wstring ItemText(HWND list, int row, int subItem) {
  CheckRow(list, row);
  CheckIndex(subItem, std::max(1, ColumnCount(list)), "Column", list);
  LVITEMW item{};
  item.iSubItem = subItem;
  return SendForText(list, LVM_GETITEMTEXTW, row, item);
}

bool IsItemChecked(HWND list, int row) {
  CheckRow(list, row);
  const auto state = static_cast<UINT>(Send(list, LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK));
  return (state & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(kStateChecked);
}

void SetCheckState(HWND list, int row, bool checked) {
  CheckRow(list, row);
  SetItemState(list, row, LVIS_STATEIMAGEMASK, INDEXTOSTATEIMAGEMASK(checked ? kStateChecked : kStateUnchecked));
}

// A list that keeps its rows' states itself takes them as set; one whose
// owner keeps them (LVS_OWNERDATA) learns of a tick only as a user gives it,
// by a click on the box.
void SetItemChecked(HWND list, int row, bool checked) {
  CheckRow(list, row);
  if (!HasCheckBoxes(list)) Fail("The list view has no check boxes: " + Describe(list));
  if (IsItemChecked(list, row) == checked) return;
  Send(list, LVM_ENSUREVISIBLE, row, FALSE);
  RECT bounds{};
  bounds.left = LVIR_BOUNDS;
  if (!SendWithRemote(list, LVM_GETITEMRECT, row, bounds)) Fail("No rectangle for row " + std::to_string(row));
  const int y = (bounds.top + bounds.bottom) / 2;
  std::optional<POINT> box;
  for (int x = bounds.left; x < bounds.left + 48 && !box; ++x) {
    LVHITTESTINFO hit{};
    hit.pt = {x, y};
    SendWithRemote(list, LVM_SUBITEMHITTEST, 0, hit);
    if (hit.iItem == row && (hit.flags & LVHT_ONITEMSTATEICON)) box = hit.pt;
  }
  if (!box) Fail("No check box found in row " + std::to_string(row) + " of " + Describe(list));
  const LPARAM where = MAKELPARAM(box->x, box->y);
  if (!PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, where) || !PostMessageW(list, WM_LBUTTONUP, 0, where))
    FailLastError("Posting a click to " + Describe(list));
  Send(list, WM_NULL);
  WaitUntil([&] { return IsItemChecked(list, row) == checked; }, kDefaultTimeoutMs,
            "row " + std::to_string(row) + " to take the tick");
}

// As a click would: the old selection goes (row -1 means every row), then
// the row is selected, focused and scrolled into view.
void SelectItem(HWND list, int row) {
  CheckRow(list, row);
  constexpr UINT kSelection = LVIS_SELECTED | LVIS_FOCUSED;
  SetItemState(list, -1, kSelection, 0);
  SetItemState(list, row, kSelection, kSelection);
  Send(list, LVM_ENSUREVISIBLE, row, FALSE);
}

int SelectedItem(HWND list) { return static_cast<int>(Send(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED)); }

int ColumnCount(HWND list) {
  const auto header = reinterpret_cast<HWND>(Send(list, LVM_GETHEADER));
  return header ? static_cast<int>(Send(header, HDM_GETITEMCOUNT)) : 0;
}

std::wstring ColumnText(HWND list, int column) {
  CheckIndex(column, ColumnCount(list), "Column", list);
  LVCOLUMNW item{};
  item.mask = LVCF_TEXT;
  return SendForText(list, LVM_GETCOLUMNW, column, item);
}

int ColumnWidth(HWND list, int column) {
  CheckIndex(column, ColumnCount(list), "Column", list);
  return static_cast<int>(Send(list, LVM_GETCOLUMNWIDTH, column));
}

bool HasCheckBoxes(HWND list) { return Send(list, LVM_GETEXTENDEDLISTVIEWSTYLE) & LVS_EX_CHECKBOXES; }

bool IsReportView(HWND list) { return (StyleOf(list) & LVS_TYPEMASK) == LVS_REPORT; }

SYSTEMTIME GetPickerTime(HWND picker) {
  SYSTEMTIME time{};
  if (SendWithRemote(picker, DTM_GETSYSTEMTIME, 0, time) != GDT_VALID)
    Fail("The picker holds no time (unchecked or failed): " + Describe(picker));
  return time;
}

void SetPickerTime(HWND picker, const SYSTEMTIME& time) {
  SYSTEMTIME copy = time;
  if (!SendWithRemote(picker, DTM_SETSYSTEMTIME, GDT_VALID, copy))
    Fail("The picker refused the time: " + Describe(picker));
}

PickerRange GetPickerRange(HWND picker) {
  std::array<SYSTEMTIME, 2> limits{};
  const auto flags = SendWithRemote(picker, DTM_GETRANGE, 0, limits);
  PickerRange range;
  if (flags & GDTR_MIN) range.min = limits[0];
  if (flags & GDTR_MAX) range.max = limits[1];
  return range;
}

int PanelCount(HWND statusBar) { return static_cast<int>(Send(statusBar, SB_GETPARTS)); }

std::wstring PanelText(HWND statusBar, int index) {
  CheckIndex(index, PanelCount(statusBar), "Panel", statusBar);
  const std::size_t length = LOWORD(Send(statusBar, SB_GETTEXTLENGTHW, index));
  RemoteMemory remote(statusBar, (length + 1) * sizeof(wchar_t));
  Send(statusBar, SB_GETTEXTW, index, reinterpret_cast<LPARAM>(remote.Address()));
  std::wstring text(length, L'\0');
  remote.Read(text.data(), length * sizeof(wchar_t));
  return text;
}

std::vector<int> PanelRightEdges(HWND statusBar) {
  std::array<int, kMaxPanels> edges{};
  const auto count = static_cast<int>(SendWithRemote(statusBar, SB_GETPARTS, kMaxPanels, edges));
  return {edges.begin(), edges.begin() + count};
}

RECT RectInParent(HWND window) {
  RECT rect{};
  if (!GetWindowRect(Existing(window), &rect)) FailLastError("Measuring " + Describe(window));
  const HWND parent = GetAncestor(window, GA_PARENT);
  auto* corners = reinterpret_cast<POINT*>(&rect);
  if (!ScreenToClient(parent, &corners[0]) || !ScreenToClient(parent, &corners[1]))
    FailLastError("Mapping the rectangle of " + Describe(window));
  return rect;
}

SIZE ClientSize(HWND window) {
  RECT client{};
  if (!GetClientRect(Existing(window), &client)) FailLastError("Measuring " + Describe(window));
  return {client.right, client.bottom};
}

int WindowDpi(HWND window) {
  const UINT dpi = GetDpiForWindow(Existing(window));
  if (!dpi) FailLastError("Reading the DPI of " + Describe(window));
  return static_cast<int>(dpi);
}


DWORD StyleOf(HWND window) { return static_cast<DWORD>(GetWindowLongPtrW(Existing(window), GWL_STYLE)); }

DWORD ExStyleOf(HWND window) { return static_cast<DWORD>(GetWindowLongPtrW(Existing(window), GWL_EXSTYLE)); }

std::wstring ClassName(HWND window) {
  wchar_t name[256];
  const int length = GetClassNameW(Existing(window), name, 256);
  if (!length) FailLastError("Reading the class of " + Describe(window));
  return {name, static_cast<std::size_t>(length)};
}

}  // namespace cuelark::test
