// brevoni_writer FILE FIRST: rewrites FILE through the control, version after
// version from FIRST on, until it is killed. Each version is one batch, so
// the file must only ever hold whole versions.
#include <windows.h>
#include <objbase.h>

#include <cstdlib>
#include <string>

#include "WriterVersions.h"
#include "inicontrol/BrevoniClient.h"

namespace {

std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) return 2;
  const std::wstring file = argv[1];
  const int first = _wtoi(argv[2]);
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 3;
  Microsoft::WRL::ComPtr<IDispatch> control;
  if (FAILED(brevoni::client::CreateFromFile(brevoni::client::BuiltControlPath(), control))) return 4;
  const std::wstring section = Wide(brevoni::testing::kWriterSection);
  for (int v = first;; ++v) {
    brevoni::client::Call(control.Get(), brevoni::kDispIdBeginUpdate, {file});
    brevoni::client::Call(control.Get(), brevoni::kDispIdDeleteINI, {section, L"", file});
    for (const auto& [key, value] : brevoni::testing::WriterVersion(v)) {
      brevoni::client::WriteINI(control.Get(), section, Wide(key), Wide(value), file);
    }
    bool committed = false;
    if (FAILED(brevoni::client::CommitUpdate(control.Get(), committed)) || !committed) return 5;
  }
}
