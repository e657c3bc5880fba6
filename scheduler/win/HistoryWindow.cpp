#include "scheduler/win/HistoryWindow.h"

#include <utility>

#include "scheduler/core/Digits.h"
#include "scheduler/win/ControlIds.h"
#include "scheduler/win/ListColumns.h"
#include "scheduler/win/Resources.h"

namespace cuelark {
namespace {

constexpr wchar_t kCaption[] = L"History";
constexpr int kClientWidth = 9600;  // twips
constexpr int kClientHeight = 4800;
constexpr int kMargin = 120;
constexpr int kLineHeight = 285;
constexpr std::array<ListColumn, 5> kColumns{
    {{L"Due", 1900}, {L"Started", 2200}, {L"Name", 1900}, {L"Outcome", 1300}, {L"Detail", 1850}}};

std::wstring TimeText(const LocalDateTime& moment) {
  return FormatDate(moment.date) + L" " + FormatTime(moment.time);
}

}  // namespace

std::unique_ptr<HistoryWindow> HistoryWindow::Create(HINSTANCE instance, Controller& controller) {
  if (!RegisterWindowClass(instance, ids::kHistoryWindowClass, LoadIconW(instance, MAKEINTRESOURCEW(kIdAppIcon))))
    return nullptr;
  auto window = std::make_unique<HistoryWindow>(instance, controller);
  if (!CreateWindowExW(WS_EX_CONTROLPARENT, ids::kHistoryWindowClass, kCaption, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                       CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance,
                       window.get()))
    return nullptr;
  ShowWindow(window->hwnd_.get(), SW_SHOWNORMAL);
  return window;
}

LRESULT HistoryWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      OnSize();
      return 0;
    case WM_NOTIFY:
      return OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
    case WM_COMMAND:
      // Esc, through the dialog keys of the message loop.
      if (LOWORD(wParam) == IDCANCEL) DestroyWindow(hwnd_.get());
      return 0;
    default:
      return DefWindowProcW(hwnd_.get(), message, wParam, lParam);
  }
}

bool HistoryWindow::OnCreate() {
  dpi_ = DpiOf(hwnd_.get());
  font_ = CreateDesignFont(L"Arial", 825, dpi_);
  const SIZE outer = win32::OuterSizeForClient(hwnd_.get(), kClientWidth, kClientHeight, dpi_);
  SetWindowPos(hwnd_.get(), nullptr, 0, 0, outer.cx, outer.cy,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

  nextLine_ = CreateControl(hwnd_.get(), instance_, {ids::kHistoryNextLine, WC_STATICW, L"", SS_LEFT | SS_NOPREFIX, 0, {}},
                            dpi_, font_.get());
  problemLine_ = CreateControl(hwnd_.get(), instance_,
                               {ids::kHistoryProblemLine, WC_STATICW, L"", SS_LEFT | SS_NOPREFIX, 0, {}}, dpi_,
                               font_.get());
  list_ = CreateControl(hwnd_.get(), instance_,
                        {ids::kHistoryList, WC_LISTVIEWW, L"",
                         WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_OWNERDATA, WS_EX_CLIENTEDGE,
                         {}},
                        dpi_, font_.get());
  if (!nextLine_ || !problemLine_ || !list_) return false;
  SendMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP,
               LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP);
  if (!AddListColumns(list_, kColumns, dpi_)) return false;
  ShowNextFiring(controller_.NextFiringText());
  const std::vector<HistoryEvent> newestFirst = controller_.HistoryForShowing(&problem_);
  SetWindowTextW(problemLine_, problem_.c_str());
  OnSize();
  for (const HistoryEvent& event : newestFirst) rows_.push_back(RowOf(event));
  RefreshList();
  SetFocus(list_);
  return true;
}

void HistoryWindow::OnSize() {
  if (!list_) return;
  RECT client{};
  GetClientRect(hwnd_.get(), &client);
  const int margin = TwipsToPixels(kMargin, dpi_);
  const int line = TwipsToPixels(kLineHeight, dpi_);
  MoveWindow(nextLine_, margin, margin, client.right - 2 * margin, line, TRUE);
  int top = 2 * margin + line;
  // Two lines' room: the reason may name a long path.
  ShowWindow(problemLine_, problem_.empty() ? SW_HIDE : SW_SHOW);
  if (!problem_.empty()) {
    MoveWindow(problemLine_, margin, top, client.right - 2 * margin, 2 * line, TRUE);
    top += 2 * line + margin;
  }
  MoveWindow(list_, margin, top, client.right - 2 * margin, client.bottom - top - margin, TRUE);
}

HistoryWindow::Row HistoryWindow::RowOf(const HistoryEvent& event) {
  Row row;
  row.columns = {TimeText(event.due), L"", event.name, std::wstring(OutcomeText(event.outcome)), event.detail};
  if (event.started) row.columns[1] = TimeText(event.started->second) + L'.' + Padded(event.started->millisecond, 3);
  row.command = event.command;
  return row;
}

const HistoryWindow::Row& HistoryWindow::RowAt(int item) const {
  return rows_[static_cast<std::size_t>(item)];
}

void HistoryWindow::Add(const std::vector<HistoryEvent>& events) {
  // In the order they were written: the last is the newest.
  for (const HistoryEvent& event : events) rows_.push_front(RowOf(event));
  RefreshList();
}

void HistoryWindow::RefreshList() {
  SendMessageW(list_, LVM_SETITEMCOUNT, rows_.size(), 0);
  InvalidateRect(list_, nullptr, TRUE);
}

void HistoryWindow::ShowNextFiring(const std::wstring& text) { SetWindowTextW(nextLine_, text.c_str()); }

LRESULT HistoryWindow::OnNotify(const NMHDR& header) {
  if (header.hwndFrom != list_) return 0;
  if (header.code == LVN_GETDISPINFOW)
    FillRow(const_cast<NMLVDISPINFOW&>(reinterpret_cast<const NMLVDISPINFOW&>(header)).item);
  else if (header.code == LVN_GETINFOTIPW)
    FillTip(const_cast<NMLVGETINFOTIPW&>(reinterpret_cast<const NMLVGETINFOTIPW&>(header)));
  return 0;
}

void HistoryWindow::FillRow(LVITEMW& item) const {
  if (!(item.mask & LVIF_TEXT) || item.iItem < 0 || static_cast<std::size_t>(item.iItem) >= rows_.size() ||
      item.iSubItem < 0 || item.iSubItem >= static_cast<int>(kColumns.size()) || item.cchTextMax <= 0)
    return;
  const Row& row = RowAt(item.iItem);
  lstrcpynW(item.pszText, row.columns[static_cast<std::size_t>(item.iSubItem)].c_str(), item.cchTextMax);
}

// The row's tip is its command, which has no column of its own.
void HistoryWindow::FillTip(NMLVGETINFOTIPW& tip) const {
  if (tip.iItem < 0 || static_cast<std::size_t>(tip.iItem) >= rows_.size() || tip.cchTextMax <= 0) return;
  lstrcpynW(tip.pszText, RowAt(tip.iItem).command.c_str(), tip.cchTextMax);
}

}  // namespace cuelark
