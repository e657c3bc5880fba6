// The open-file dialog as both windows use it: it remembers the name of the
// last file chosen, which a cancel leaves as it was.
#pragma once

#include <windows.h>
#include <commdlg.h>

#include <string>

namespace cuelark {

// filter: pairs of zero-terminated texts, ended by an extra zero.
inline void AskForFile(HWND owner, const wchar_t* filter, std::wstring& fileName) {
  std::wstring buffer = fileName;
  buffer.resize(32768, L'\0');
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = filter;
  dialog.lpstrFile = buffer.data();
  dialog.nMaxFile = static_cast<DWORD>(buffer.size());
  dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY;
  if (GetOpenFileNameW(&dialog)) fileName = buffer.c_str();
}

}  // namespace cuelark
