// The main window's INI control instance, iniStore: one Brevoni object
// created by its class identifier and called late bound, by dispatch id.
#pragma once

#include <windows.h>
#include <oaidl.h>
#include <wrl/client.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>

#include "scheduler/core/IniStore.h"

namespace cuelark {

class DispatchIniStore final : public IniStore {
 public:
  // Creates the control; on failure returns null and sets `error` to a text
  // for the user.
  static std::unique_ptr<DispatchIniStore> Create(std::wstring& error);

  std::wstring ReadINI(const std::wstring& section, const std::wstring& key, const std::wstring& file) override;
  void WriteINI(const std::wstring& section, const std::wstring& key, const std::wstring& data,
                const std::wstring& file) override;
  void DeleteINI(const std::wstring& section, const std::wstring& key, const std::wstring& file) override;
  void BeginUpdate(const std::wstring& file) override;
  bool CommitUpdate(std::wstring& reason) override;
  void CancelUpdate() override;

  explicit DispatchIniStore(Microsoft::WRL::ComPtr<IDispatch> control) : control_(std::move(control)) {}

 private:
  // Calls one member with text arguments in their declared order. Every
  // way a call can fail passes through Fail, so that the batch it belongs
  // to cannot commit as if it had worked.
  HRESULT Call(DISPID member, std::initializer_list<std::wstring_view> args, VARIANT* result);
  HRESULT Fail(HRESULT hr, std::wstring reason);
  // Inside a batch that has already failed, edits are not sent: the batch
  // will not commit, and after a failed BeginUpdate they would go straight
  // to the file.
  bool BatchFailed() const { return batchOpen_ && failed_; }

  Microsoft::WRL::ComPtr<IDispatch> control_;
  bool batchOpen_ = false;
  bool failed_ = false;
  std::wstring failure_;
};

}  // namespace cuelark
