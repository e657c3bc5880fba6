#include "scheduler/win/StatusBar.h"

#include <commctrl.h>

#include <array>

#include "scheduler/win/ControlIds.h"
#include "common/win32/Twips.h"

namespace cuelark {
namespace {

constexpr wchar_t kCreditText[] = L"Cuelark plays your chosen input in Winamp at its time";
constexpr wchar_t kTimeText[] = L"Time";
constexpr int kStatusHeight = 300;  // twips
constexpr std::array kPanelWidths{6210, 1440};
constexpr std::array kPanelTips{kCreditText, kTimeText};

}  // namespace

bool StatusBar::Create(HWND parent, HINSTANCE instance, UINT dpi, HFONT font) {
  bar_ = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(ids::kStatusBar)), instance, nullptr);
  if (!bar_) return false;
  SendMessageW(bar_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  // The bar adds its borders to the least height it is given.
  SendMessageW(bar_, SB_SETMINHEIGHT, win32::TwipsToPixels(kStatusHeight, dpi) - 2 * GetSystemMetricsForDpi(SM_CYBORDER, dpi),
               0);
  std::array<int, kPanelWidths.size()> edges{};
  int right = 0;
  for (std::size_t i = 0; i < kPanelWidths.size(); ++i) edges[i] = right += win32::TwipsToPixels(kPanelWidths[i], dpi);
  if (!SendMessageW(bar_, SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()))) return false;
  SendMessageW(bar_, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(kCreditText));
  SendMessageW(bar_, SB_SETTEXTW, 1, reinterpret_cast<LPARAM>(kTimeText));

  tips_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, parent, nullptr, instance,
                              nullptr);
  if (!tips_) return false;
  for (std::size_t i = 0; i < kPanelTips.size(); ++i) {
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_SUBCLASS;
    tool.hwnd = bar_;
    tool.uId = i;
    tool.lpszText = const_cast<wchar_t*>(kPanelTips[i]);
    if (!SendMessageW(tips_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool))) return false;
  }
  OnParentSized();
  return true;
}

void StatusBar::OnParentSized() {
  if (!bar_) return;
  SendMessageW(bar_, WM_SIZE, 0, 0);
  PlaceTips();
}

void StatusBar::PlaceTips() {
  for (std::size_t i = 0; i < kPanelTips.size(); ++i) {
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.hwnd = bar_;
    tool.uId = i;
    if (SendMessageW(bar_, SB_GETRECT, i, reinterpret_cast<LPARAM>(&tool.rect)))
      SendMessageW(tips_, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
  }
}

void StatusBar::ShowTime(const std::wstring& text) {
  SendMessageW(bar_, SB_SETTEXTW, 1, reinterpret_cast<LPARAM>(text.c_str()));
}

}  // namespace cuelark
