// The columns of a report-style list view, as the window designer gave them.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <span>

#include "common/win32/Twips.h"

namespace cuelark {

struct ListColumn {
  const wchar_t* heading;
  int width;  // twips
};

// False when the list refused a column.
inline bool AddListColumns(HWND list, std::span<const ListColumn> columns, UINT dpi) {
  for (int i = 0; i < static_cast<int>(columns.size()); ++i) {
    const ListColumn& designed = columns[static_cast<std::size_t>(i)];
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.pszText = const_cast<wchar_t*>(designed.heading);
    column.cx = win32::TwipsToPixels(designed.width, dpi);
    column.iSubItem = i;
    if (SendMessageW(list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column)) != i) return false;
  }
  return true;
}

}  // namespace cuelark
