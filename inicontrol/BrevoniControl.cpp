#include "inicontrol/BrevoniControl.h"

#include <algorithm>
#include <memory>

#include "inicontrol/BrevoniIds.h"
#include "inicontrol/ComGuard.h"
#include "inicontrol/Module.h"
#include "inicontrol/WinText.h"

namespace brevoni {
namespace {

// A member's failure as Invoke reports it: the error info becomes the exception.
HRESULT AsException(HRESULT hr, EXCEPINFO* exception) {
  if (exception == nullptr) return hr;
  *exception = EXCEPINFO{};
  exception->scode = hr;
  Microsoft::WRL::ComPtr<IErrorInfo> info;
  if (GetErrorInfo(0, &info) == S_OK && info) {
    info->GetDescription(&exception->bstrDescription);
    info->GetSource(&exception->bstrSource);
  }
  return DISP_E_EXCEPTION;
}

std::filesystem::path FileName(BSTR text) { return std::filesystem::path(std::wstring(BstrText(text))); }

// Texts as an array that scripts walk with For Each: VARIANTs holding BSTRs.
HRESULT ToArray(const std::vector<std::wstring>& texts, VARIANT* result) {
  SAFEARRAY* array = SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(texts.size()));
  if (array == nullptr) return E_OUTOFMEMORY;
  VARIANT* slots = nullptr;
  HRESULT hr = SafeArrayAccessData(array, reinterpret_cast<void**>(&slots));
  for (std::size_t i = 0; SUCCEEDED(hr) && i < texts.size(); ++i) {
    slots[i].vt = VT_BSTR;
    slots[i].bstrVal = SysAllocStringLen(texts[i].data(), static_cast<UINT>(texts[i].size()));
    if (slots[i].bstrVal == nullptr) hr = E_OUTOFMEMORY;
  }
  if (slots != nullptr) SafeArrayUnaccessData(array);
  if (FAILED(hr)) {
    SafeArrayDestroy(array);
    return hr;
  }
  result->vt = VT_ARRAY | VT_VARIANT;
  result->parray = array;
  return S_OK;
}

}  // namespace

BrevoniControl::BrevoniControl() { module::AddRef(); }

BrevoniControl::~BrevoniControl() { module::Release(); }

HRESULT BrevoniControl::Create(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  return Guard([&] {
    auto fresh = std::make_unique<BrevoniControl>();
    const HRESULT loaded = fresh->LoadTypeInfo();
    if (FAILED(loaded)) return loaded;
    // The constructor's reference is handed to the caller through
    // QueryInterface. (mingw's ComPtr::Attach adds a reference, so it cannot
    // take over this one.)
    BrevoniControl* control = fresh.release();
    const HRESULT hr = control->QueryInterface(iid, object);
    control->Release();
    return hr;
  });
}

HRESULT BrevoniControl::LoadTypeInfo() {
  return Guard([&] {
    HRESULT hr = LoadTypeLibEx(module::Path().c_str(), REGKIND_NONE, &typeLib_);
    Microsoft::WRL::ComPtr<ITypeInfo> dispatchInfo;
    HREFTYPE vtable = 0;
    if (SUCCEEDED(hr)) hr = typeLib_->GetTypeInfoOfGuid(kIidBrevoni2, &dispatchInfo);
    // A dual interface's dispatch type info leads to its vtable side, which
    // DispInvoke needs to call the members.
    if (SUCCEEDED(hr)) hr = dispatchInfo->GetRefTypeOfImplType(static_cast<UINT>(-1), &vtable);
    if (SUCCEEDED(hr)) hr = dispatchInfo->GetRefTypeInfo(vtable, &typeInfo_);
    return hr;
  });
}

STDMETHODIMP BrevoniControl::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_IDispatch || iid == kIidBrevoni || iid == kIidBrevoni2) {
    *object = static_cast<_Brevoni2*>(this);
  } else if (iid == IID_IOleObject) {
    *object = static_cast<IOleObject*>(this);
  } else if (iid == IID_IPersist || iid == IID_IPersistStreamInit) {
    *object = static_cast<IPersistStreamInit*>(this);
  } else if (iid == IID_IProvideClassInfo) {
    *object = static_cast<IProvideClassInfo*>(this);
  } else if (iid == IID_ISupportErrorInfo) {
    *object = static_cast<ISupportErrorInfo*>(this);
  } else {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) BrevoniControl::AddRef() { return ++references_; }

STDMETHODIMP_(ULONG) BrevoniControl::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;  // the reference count owns the object
  return left;
}

// --- IDispatch: everything comes from the type library.

STDMETHODIMP BrevoniControl::GetTypeInfoCount(UINT* count) {
  if (count == nullptr) return E_POINTER;
  *count = 1;
  return S_OK;
}

STDMETHODIMP BrevoniControl::GetTypeInfo(UINT index, LCID, ITypeInfo** info) {
  if (info == nullptr) return E_POINTER;
  *info = nullptr;
  if (index != 0) return DISP_E_BADINDEX;
  return typeInfo_.CopyTo(info);
}

STDMETHODIMP BrevoniControl::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
  return DispGetIDsOfNames(typeInfo_.Get(), names, count, ids);
}

STDMETHODIMP BrevoniControl::Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                    EXCEPINFO* exception, UINT* argError) {
  if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
  // ReadINI and WriteINI, which a batch calls thousands of times, skip the
  // generic call machinery when their arguments are texts as declared;
  // everything else (coercion, properties, other members) goes through it.
  const bool textMethod = (flags & DISPATCH_METHOD) && params != nullptr && params->cNamedArgs == 0 &&
                          std::all_of(params->rgvarg, params->rgvarg + params->cArgs,
                                      [](const VARIANT& v) { return v.vt == VT_BSTR; });
  if (textMethod && ((id == kDispIdReadINI && params->cArgs == 3) || (id == kDispIdWriteINI && params->cArgs == 4))) {
    auto text = [&](UINT position) { return params->rgvarg[params->cArgs - 1 - position].bstrVal; };
    HRESULT hr = S_OK;
    if (id == kDispIdWriteINI) {
      hr = WriteINI(text(0), text(1), text(2), text(3), result);
    } else {
      BSTR value = nullptr;
      hr = ReadINI(text(0), text(1), text(2), &value);
      if (result != nullptr) {
        VariantInit(result);
        result->vt = VT_BSTR;
        result->bstrVal = value;
      } else {
        SysFreeString(value);
      }
    }
    return SUCCEEDED(hr) ? hr : AsException(hr, exception);
  }
  return DispInvoke(static_cast<_Brevoni2*>(this), typeInfo_.Get(), id, flags, params, result, exception, argError);
}

// --- _Brevoni and _Brevoni2: texts stay Unicode up to the session, which
// puts them in the file's encoding. Files the system maps to the registry
// go to the platform's own functions.

std::filesystem::path BrevoniControl::Chosen(BSTR INIFileName) const {
  std::filesystem::path file = FileName(INIFileName);
  return file.empty() ? session_.INIFileName() : file;
}

// A batch's file was found unmapped when the batch began, and its calls work
// on the batch's copy until it lands: asking the registry again for each of
// them would cost a round trip per call and could not change where they go.
bool BrevoniControl::Mapped(const std::filesystem::path& file) {
  return !session_.Batches(file) && mapping_.Maps(file);
}

void BrevoniControl::ReportWrite(const std::optional<std::string>& failure) {
  if (failure) {
    SetErrorDescription(win32::CodePageToWide(CP_UTF8, *failure).c_str());
  } else {
    SetErrorInfo(0, nullptr);
  }
}

std::optional<std::string> BrevoniControl::SessionFailure(bool succeeded) const {
  return succeeded ? std::nullopt : std::optional(session_.LastError());
}

// A write that fails is not raised (callers written for the profile
// functions expect none) but leaves its reason as the thread's error info.
STDMETHODIMP BrevoniControl::WriteINI(BSTR SectionName, BSTR KeyName, BSTR KeyData, BSTR INIFileName,
                                      VARIANT* result) {
  if (result != nullptr) VariantInit(result);
  return Guard([&] {
    const std::filesystem::path file = Chosen(INIFileName);
    ReportWrite(Mapped(file)
                    ? system_profile::Write(BstrText(SectionName), BstrText(KeyName), BstrText(KeyData), file)
                    : SessionFailure(session_.WriteINI(BstrText(SectionName), BstrText(KeyName), BstrText(KeyData), file)));
    return S_OK;
  });
}

STDMETHODIMP BrevoniControl::ReadINI(BSTR SectionName, BSTR KeyName, BSTR INIFileName, BSTR* result) {
  if (result == nullptr) return E_POINTER;
  *result = nullptr;
  return Guard([&] {
    const std::filesystem::path file = Chosen(INIFileName);
    const std::wstring value = Mapped(file)
                                   ? system_profile::Read(BstrText(SectionName), BstrText(KeyName), file)
                                   : session_.ReadINI(BstrText(SectionName), BstrText(KeyName), file);
    *result = MakeBstr(value).release();
    return S_OK;
  });
}

STDMETHODIMP BrevoniControl::get_INIFileName(BSTR* result) {
  if (result == nullptr) return E_POINTER;
  *result = nullptr;
  return Guard([&] {
    *result = MakeBstr(session_.INIFileName().native()).release();
    return S_OK;
  });
}

STDMETHODIMP BrevoniControl::put_INIFileName(BSTR FileName) {
  return Guard([&] {
    session_.SetINIFileName(brevoni::FileName(FileName));
    return S_OK;
  });
}

STDMETHODIMP BrevoniControl::BeginUpdate(BSTR INIFileName) {
  return Guard([&] {
    const std::filesystem::path file = Chosen(INIFileName);
    if (!mapping_.Maps(file)) {
      session_.BeginUpdate(file);
      return S_OK;
    }
    // The platform writes a mapped file's values one by one, in the registry
    // or on disk: nothing there can land whole or not at all.
    session_.CancelUpdate();
    const auto name = file.u8string();
    SetErrorDescription(win32::CodePageToWide(
        CP_UTF8, "BeginUpdate: " + std::string(name.begin(), name.end()) +
                     " is mapped to the registry (IniFileMapping); its values can only be written one call at a time, "
                     "not as one update")
                     .c_str());
    return E_FAIL;
  });
}

STDMETHODIMP BrevoniControl::DeleteINI(BSTR SectionName, BSTR KeyName, BSTR INIFileName) {
  return Guard([&] {
    const std::filesystem::path file = Chosen(INIFileName);
    ReportWrite(Mapped(file) ? system_profile::Delete(BstrText(SectionName), BstrText(KeyName), file)
                                    : SessionFailure(session_.DeleteINI(BstrText(SectionName), BstrText(KeyName), file)));
    return S_OK;
  });
}

STDMETHODIMP BrevoniControl::CommitUpdate(VARIANT_BOOL* result) {
  if (result == nullptr) return E_POINTER;
  *result = VARIANT_FALSE;
  return Guard([&] {
    if (session_.CommitUpdate()) {
      SetErrorInfo(0, nullptr);
      *result = VARIANT_TRUE;
    } else {
      SetErrorDescription(win32::CodePageToWide(CP_UTF8, session_.LastError()).c_str());
    }
    return S_OK;
  });
}

STDMETHODIMP BrevoniControl::CancelUpdate() {
  session_.CancelUpdate();
  return S_OK;
}

STDMETHODIMP BrevoniControl::ReadSections(BSTR INIFileName, VARIANT* result) {
  if (result == nullptr) return E_POINTER;
  VariantInit(result);
  return Guard([&] {
    const std::filesystem::path file = Chosen(INIFileName);
    return ToArray(Mapped(file) ? system_profile::Sections(file) : session_.ReadSections(file), result);
  });
}

STDMETHODIMP BrevoniControl::ReadKeys(BSTR SectionName, BSTR INIFileName, VARIANT* result) {
  if (result == nullptr) return E_POINTER;
  VariantInit(result);
  return Guard([&] {
    const std::filesystem::path file = Chosen(INIFileName);
    return ToArray(Mapped(file) ? system_profile::Keys(BstrText(SectionName), file)
                                       : session_.ReadKeys(BstrText(SectionName), file),
                   result);
  });
}

// --- IOleObject: a site to hold and a fixed extent; no verbs, no links.

STDMETHODIMP BrevoniControl::SetClientSite(IOleClientSite* site) {
  site_ = site;
  return S_OK;
}

STDMETHODIMP BrevoniControl::GetClientSite(IOleClientSite** site) {
  if (site == nullptr) return E_POINTER;
  return site_.CopyTo(site);
}

STDMETHODIMP BrevoniControl::SetHostNames(LPCOLESTR, LPCOLESTR) { return S_OK; }
STDMETHODIMP BrevoniControl::Close(DWORD) { return S_OK; }
STDMETHODIMP BrevoniControl::SetMoniker(DWORD, IMoniker*) { return E_NOTIMPL; }
STDMETHODIMP BrevoniControl::GetMoniker(DWORD, DWORD, IMoniker**) { return E_NOTIMPL; }
STDMETHODIMP BrevoniControl::InitFromData(IDataObject*, BOOL, DWORD) { return E_NOTIMPL; }
STDMETHODIMP BrevoniControl::GetClipboardData(DWORD, IDataObject**) { return E_NOTIMPL; }
STDMETHODIMP BrevoniControl::DoVerb(LONG, LPMSG, IOleClientSite*, LONG, HWND, LPCRECT) { return E_NOTIMPL; }
STDMETHODIMP BrevoniControl::EnumVerbs(IEnumOLEVERB**) { return OLEOBJ_E_NOVERBS; }
STDMETHODIMP BrevoniControl::Update() { return S_OK; }
STDMETHODIMP BrevoniControl::IsUpToDate() { return S_OK; }

STDMETHODIMP BrevoniControl::GetUserClassID(CLSID* clsid) { return GetClassID(clsid); }

STDMETHODIMP BrevoniControl::GetUserType(DWORD, LPOLESTR*) { return OLE_S_USEREG; }

// Whatever size the container asks for, the control keeps its own; a refused
// size is answered with E_FAIL, the protocol's word for a fixed-size object,
// and the container learns the real size from GetExtent.
STDMETHODIMP BrevoniControl::SetExtent(DWORD aspect, SIZEL* size) {
  if (size == nullptr) return E_POINTER;
  if (aspect != DVASPECT_CONTENT) return E_INVALIDARG;
  return size->cx == kExtentHimetric && size->cy == kExtentHimetric ? S_OK : E_FAIL;
}

STDMETHODIMP BrevoniControl::GetExtent(DWORD aspect, SIZEL* size) {
  if (size == nullptr) return E_POINTER;
  if (aspect != DVASPECT_CONTENT) return E_INVALIDARG;
  size->cx = kExtentHimetric;
  size->cy = kExtentHimetric;
  return S_OK;
}

STDMETHODIMP BrevoniControl::Advise(IAdviseSink*, DWORD*) { return OLE_E_ADVISENOTSUPPORTED; }
STDMETHODIMP BrevoniControl::Unadvise(DWORD) { return OLE_E_ADVISENOTSUPPORTED; }
STDMETHODIMP BrevoniControl::EnumAdvise(IEnumSTATDATA**) { return OLE_E_ADVISENOTSUPPORTED; }

STDMETHODIMP BrevoniControl::GetMiscStatus(DWORD, DWORD* status) {
  if (status == nullptr) return E_POINTER;
  *status = kMiscStatus;
  return S_OK;
}

STDMETHODIMP BrevoniControl::SetColorScheme(LOGPALETTE*) { return E_NOTIMPL; }

// --- IPersistStreamInit: every instance starts empty, so nothing is stored.

STDMETHODIMP BrevoniControl::GetClassID(CLSID* clsid) {
  if (clsid == nullptr) return E_POINTER;
  *clsid = kClsid;
  return S_OK;
}

STDMETHODIMP BrevoniControl::IsDirty() { return S_FALSE; }
STDMETHODIMP BrevoniControl::Load(LPSTREAM) { return S_OK; }
STDMETHODIMP BrevoniControl::Save(LPSTREAM, BOOL) { return S_OK; }

STDMETHODIMP BrevoniControl::GetSizeMax(ULARGE_INTEGER* size) {
  if (size == nullptr) return E_POINTER;
  size->QuadPart = 0;
  return S_OK;
}

STDMETHODIMP BrevoniControl::InitNew() { return S_OK; }

// --- IProvideClassInfo, ISupportErrorInfo

STDMETHODIMP BrevoniControl::GetClassInfo(ITypeInfo** info) {
  if (info == nullptr) return E_POINTER;
  *info = nullptr;
  return typeLib_->GetTypeInfoOfGuid(kClsid, info);
}

STDMETHODIMP BrevoniControl::InterfaceSupportsErrorInfo(REFIID iid) {
  return iid == kIidBrevoni || iid == kIidBrevoni2 ? S_OK : S_FALSE;
}

}  // namespace brevoni
