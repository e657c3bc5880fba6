#include "scheduler/win/NoticeBoxes.h"

#include <algorithm>
#include <cstring>

#include "common/win32/Twips.h"

namespace cuelark {
namespace {

// The ids a standard message box gives its text and icon, so that tools and
// screen readers that know message boxes read these the same way.
enum : WORD { kTextId = 0xFFFF, kIconId = 0x0014 };
// The predefined window classes as a dialog template names them.
enum : WORD { kButtonClass = 0x0080, kStaticClass = 0x0082 };

// A box lists this many entries; further ones are counted.
constexpr std::size_t kListedEntries = 8;

// Sizes in pixels at 96 dots per inch.
constexpr int kMargin = 12;
constexpr int kMaxTextWidth = 480;

// An in-memory dialog template: header, then each item on a DWORD boundary.
class DialogTemplate {
 public:
  DialogTemplate(DWORD style, const std::wstring& title, WORD items) {
    DLGTEMPLATE header{};
    header.style = style;
    header.cdit = items;
    Add(&header, sizeof(header));
    AddWord(0);  // no menu
    AddWord(0);  // the standard dialog class
    AddText(title);
    AddWord(9);  // DS_SETFONT: point size and face
    AddText(L"MS Shell Dlg");
  }

  void AddItem(DWORD style, WORD id, WORD windowClass, const wchar_t* text) {
    bytes_.resize((bytes_.size() + 3) & ~std::size_t{3});
    DLGITEMTEMPLATE item{};
    item.style = style | WS_CHILD | WS_VISIBLE;
    item.cx = 10;
    item.cy = 10;
    item.id = id;
    Add(&item, sizeof(item));
    AddWord(0xFFFF);
    AddWord(windowClass);
    AddText(text);
    AddWord(0);  // no creation data
  }

  const DLGTEMPLATE* Get() {
    // The template is read as WORDs and DWORDs: keep it in DWORD-aligned storage.
    aligned_.assign((bytes_.size() + 3) / 4, 0);
    std::memcpy(aligned_.data(), bytes_.data(), bytes_.size());
    return reinterpret_cast<const DLGTEMPLATE*>(aligned_.data());
  }

 private:
  void Add(const void* data, std::size_t size) {
    const auto* from = static_cast<const unsigned char*>(data);
    bytes_.insert(bytes_.end(), from, from + size);
  }
  void AddWord(WORD word) { Add(&word, sizeof(word)); }
  void AddText(const std::wstring& text) { Add(text.c_str(), (text.size() + 1) * sizeof(wchar_t)); }

  std::vector<unsigned char> bytes_;
  std::vector<DWORD> aligned_;
};

int Scaled(HWND window, int pixels) { return MulDiv(pixels, static_cast<int>(GetDpiForWindow(window)), 96); }

}  // namespace

bool NoticeBoxes::Show(HINSTANCE instance, const UserMessage& message) {
  const auto open = std::find_if(boxes_.begin(), boxes_.end(), [&](const Box& box) {
    return box.message.text == message.text && box.message.title == message.title;
  });
  if (open != boxes_.end()) {
    // The same cause again: the open box lists this entry too, rather than a
    // second box covering the first.
    if (!message.about.empty()) {
      open->about.push_back(message.about);
      const std::wstring text = TextOf(*open);
      SetDlgItemTextW(open->window.get(), kTextId, text.c_str());
      Layout(open->window.get(), text);
    }
    return true;
  }

  DialogTemplate dialog(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT, message.title, 3);
  dialog.AddItem(SS_ICON, kIconId, kStaticClass, L"");
  dialog.AddItem(SS_LEFT | SS_NOPREFIX, kTextId, kStaticClass, L"");
  dialog.AddItem(BS_DEFPUSHBUTTON | WS_TABSTOP, IDOK, kButtonClass, L"OK");
  Box box{win32::unique_hwnd(CreateDialogIndirectParamW(instance, dialog.Get(), nullptr, DialogProc,
                                                        reinterpret_cast<LPARAM>(this))),
          message,
          {}};
  const HWND window = box.window.get();
  if (!window) return false;
  if (!message.about.empty()) box.about.push_back(message.about);
  const bool stop = message.severity == Severity::kStop;
  SendDlgItemMessageW(window, kIconId, STM_SETICON,
                      reinterpret_cast<WPARAM>(LoadIconW(nullptr, stop ? IDI_HAND : IDI_WARNING)), 0);
  const std::wstring text = TextOf(box);
  SetDlgItemTextW(window, kTextId, text.c_str());
  Layout(window, text);
  const POINT place = NextPlace(window);
  SetWindowPos(window, HWND_TOP, place.x, place.y, 0, 0, SWP_NOSIZE);
  boxes_.push_back(std::move(box));
  ShowWindow(window, SW_SHOWNORMAL);
  SetForegroundWindow(window);
  MessageBeep(stop ? MB_ICONHAND : MB_ICONWARNING);
  return true;
}

INT_PTR CALLBACK NoticeBoxes::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    return TRUE;
  }
  auto* self = reinterpret_cast<NoticeBoxes*>(GetWindowLongPtrW(dialog, DWLP_USER));
  if (message == WM_COMMAND && self && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
    self->OnClosed(dialog);
    return TRUE;
  }
  return FALSE;
}

void NoticeBoxes::OnClosed(HWND dialog) {
  std::erase_if(boxes_, [&](const Box& box) { return box.window.get() == dialog; });
}

std::wstring NoticeBoxes::TextOf(const Box& box) {
  std::wstring text = box.message.text;
  for (std::size_t i = 0; i < box.about.size() && i < kListedEntries; ++i) text += L"\n" + box.about[i];
  if (box.about.size() > kListedEntries)
    text += L"\n... and " + std::to_wstring(box.about.size() - kListedEntries) + L" more";
  return text;
}

void NoticeBoxes::Layout(HWND dialog, const std::wstring& text) {
  const HWND textControl = GetDlgItem(dialog, kTextId);
  const HWND button = GetDlgItem(dialog, IDOK);
  const int margin = Scaled(dialog, kMargin);
  const int icon = GetSystemMetricsForDpi(SM_CXICON, GetDpiForWindow(dialog));
  RECT textRect{0, 0, Scaled(dialog, kMaxTextWidth), 0};
  if (const HDC dc = GetDC(textControl)) {
    const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(textControl, WM_GETFONT, 0, 0)));
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &textRect,
              DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
    SelectObject(dc, old);
    ReleaseDC(textControl, dc);
  }
  RECT buttonRect{0, 0, 50, 14};
  MapDialogRect(dialog, &buttonRect);
  const int textHeight = std::max<int>(textRect.bottom, icon);
  const int width = std::max<int>(margin + icon + margin + textRect.right + margin, buttonRect.right + 2 * margin);
  const int height = margin + textHeight + margin + buttonRect.bottom + margin;
  MoveWindow(GetDlgItem(dialog, kIconId), margin, margin, icon, icon, TRUE);
  MoveWindow(textControl, 2 * margin + icon, margin, textRect.right, textHeight, TRUE);
  MoveWindow(button, (width - buttonRect.right) / 2, 2 * margin + textHeight, buttonRect.right, buttonRect.bottom,
             TRUE);
  const SIZE outer = win32::OuterSize(dialog, width, height, GetDpiForWindow(dialog));
  SetWindowPos(dialog, nullptr, 0, 0, outer.cx, outer.cy,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

POINT NoticeBoxes::NextPlace(HWND dialog) const {
  RECT own{};
  GetWindowRect(dialog, &own);
  if (!boxes_.empty()) {
    RECT newest{};
    GetWindowRect(boxes_.back().window.get(), &newest);
    const int step = GetSystemMetricsForDpi(SM_CYCAPTION, GetDpiForWindow(dialog)) +
                     2 * GetSystemMetricsForDpi(SM_CYFIXEDFRAME, GetDpiForWindow(dialog));
    return {newest.left + step, newest.top + step};
  }
  RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  return {work.left + (work.right - work.left - (own.right - own.left)) / 2,
          work.top + (work.bottom - work.top - (own.bottom - own.top)) / 3};
}

}  // namespace cuelark
