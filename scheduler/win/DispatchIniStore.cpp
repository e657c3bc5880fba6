#include "scheduler/win/DispatchIniStore.h"

#include "common/win32/DispatchArguments.h"
#include "common/win32/ModulePath.h"
#include "inicontrol/BrevoniIds.h"
#include "scheduler/win/Resources.h"
#include "common/win32/Handles.h"
#include "scheduler/win/WinText.h"

namespace cuelark {
namespace {

// The description the control attached to its last failure, if any.
std::wstring TakeErrorDescription() {
  Microsoft::WRL::ComPtr<IErrorInfo> info;
  if (GetErrorInfo(0, &info) != S_OK || !info) return {};
  BSTR description = nullptr;
  if (FAILED(info->GetDescription(&description))) return {};
  win32::unique_bstr owner(description);
  return description ? std::wstring(description, SysStringLen(description)) : std::wstring();
}

HRESULT CreateControl(Microsoft::WRL::ComPtr<IDispatch>& control) {
  CLSID clsid{};
  const HRESULT hr = CLSIDFromProgID(brevoni::kProgId, &clsid);
  return SUCCEEDED(hr) ? CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&control)) : hr;
}

// An activation context made from a manifest, active on this thread for as
// long as the object lives.
class ActivatedContext {
 public:
  explicit ActivatedContext(const ACTCTXW& description) : context_(CreateActCtxW(&description)) {
    if (context_ == INVALID_HANDLE_VALUE) {
      result_ = HRESULT_FROM_WIN32(GetLastError());
    } else if (!ActivateActCtx(context_, &cookie_)) {
      result_ = HRESULT_FROM_WIN32(GetLastError());
    } else {
      result_ = S_OK;
    }
  }
  ActivatedContext(const ActivatedContext&) = delete;
  ActivatedContext& operator=(const ActivatedContext&) = delete;
  ~ActivatedContext() {
    if (SUCCEEDED(result_)) DeactivateActCtx(0, cookie_);
    if (context_ != INVALID_HANDLE_VALUE) ReleaseActCtx(context_);
  }

  HRESULT Result() const { return result_; }

 private:
  HANDLE context_;
  ULONG_PTR cookie_ = 0;
  HRESULT result_ = E_FAIL;
};

// The control beside the program is used without registration, through the
// private assembly that the program's resources describe.
HRESULT CreateControlBesideProgram(Microsoft::WRL::ComPtr<IDispatch>& control) {
  const std::wstring folder = ProgramFolder();
  const std::wstring program = win32::ModulePath();
  if (program.empty()) return HRESULT_FROM_WIN32(GetLastError());
  ACTCTXW description{};
  description.cbSize = sizeof(description);
  description.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID | ACTCTX_FLAG_ASSEMBLY_DIRECTORY_VALID;
  description.lpSource = program.c_str();
  description.lpResourceName = MAKEINTRESOURCEW(kIdBrevoniManifest);
  description.lpAssemblyDirectory = folder.c_str();
  const ActivatedContext context(description);
  return SUCCEEDED(context.Result()) ? CreateControl(control) : context.Result();
}

}  // namespace

std::unique_ptr<DispatchIniStore> DispatchIniStore::Create(std::wstring& error) {
  Microsoft::WRL::ComPtr<IDispatch> control;
  const bool beside = GetFileAttributesW((ProgramFolder() + L"\\BrevoniControlX.dll").c_str()) != INVALID_FILE_ATTRIBUTES;
  HRESULT hr = beside ? CreateControlBesideProgram(control) : REGDB_E_CLASSNOTREG;
  // A registered control serves when none sits beside the program (or the
  // private one could not be activated).
  if (FAILED(hr)) hr = CreateControl(control);
  if (FAILED(hr)) {
    error = std::wstring(L"The INI control \"") + brevoni::kProgId + L"\" could not be created: " + win32::ErrorText(static_cast<DWORD>(hr));
    return nullptr;
  }
  return std::make_unique<DispatchIniStore>(std::move(control));
}

HRESULT DispatchIniStore::Fail(HRESULT hr, std::wstring reason) {
  failed_ = true;
  failure_ = reason.empty() ? win32::ErrorText(static_cast<DWORD>(hr)) : std::move(reason);
  return hr;
}

HRESULT DispatchIniStore::Call(DISPID member, std::initializer_list<std::wstring_view> args, VARIANT* result) {
  win32::DispatchTextArguments arguments(args);
  if (!arguments.Complete()) return Fail(E_OUTOFMEMORY, {});
  EXCEPINFO exception{};
  const HRESULT hr = control_->Invoke(member, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, arguments.Params(), result,
                                      &exception, nullptr);
  const win32::unique_bstr source(exception.bstrSource), description(exception.bstrDescription),
      helpFile(exception.bstrHelpFile);
  if (FAILED(hr)) {
    return Fail(hr, description ? std::wstring(description.get(), SysStringLen(description.get())) : std::wstring());
  }
  return hr;
}

std::wstring DispatchIniStore::ReadINI(const std::wstring& section, const std::wstring& key,
                                       const std::wstring& file) {
  VARIANT result;
  VariantInit(&result);
  if (FAILED(Call(brevoni::kDispIdReadINI, {section, key, file}, &result))) return std::wstring(kNotFound);
  std::wstring text;
  if (result.vt == VT_BSTR && result.bstrVal) text.assign(result.bstrVal, SysStringLen(result.bstrVal));
  VariantClear(&result);
  return text;
}

void DispatchIniStore::WriteINI(const std::wstring& section, const std::wstring& key, const std::wstring& data,
                                const std::wstring& file) {
  if (!BatchFailed()) Call(brevoni::kDispIdWriteINI, {section, key, data, file}, nullptr);
}

void DispatchIniStore::DeleteINI(const std::wstring& section, const std::wstring& key, const std::wstring& file) {
  if (!BatchFailed()) Call(brevoni::kDispIdDeleteINI, {section, key, file}, nullptr);
}

void DispatchIniStore::BeginUpdate(const std::wstring& file) {
  batchOpen_ = true;
  failed_ = false;
  Call(brevoni::kDispIdBeginUpdate, {file}, nullptr);
}

bool DispatchIniStore::CommitUpdate(std::wstring& reason) {
  if (BatchFailed()) {
    reason = failure_;
    CancelUpdate();
    return false;
  }
  VARIANT result;
  VariantInit(&result);
  const HRESULT hr = Call(brevoni::kDispIdCommitUpdate, {}, &result);
  const bool committed = SUCCEEDED(hr) && result.vt == VT_BOOL && result.boolVal != VARIANT_FALSE;
  VariantClear(&result);
  if (!committed) {
    reason = FAILED(hr) ? failure_ : TakeErrorDescription();
    if (reason.empty()) reason = L"the file could not be written";
  }
  batchOpen_ = false;
  return committed;
}

void DispatchIniStore::CancelUpdate() {
  Call(brevoni::kDispIdCancelUpdate, {}, nullptr);
  batchOpen_ = false;
}

}  // namespace cuelark
