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

std::string Ansi(BSTR text) { return win32::WideToCodePage(CP_ACP, BstrText(text)); }

std::filesystem::path FileName(BSTR text) { return std::filesystem::path(std::wstring(BstrText(text))); }

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
    if (SUCCEEDED(hr)) hr = typeLib_->GetTypeInfoOfGuid(kIidBrevoni, &dispatchInfo);
    // A dual interface's dispatch type info leads to its vtable side, which
    // DispInvoke needs to call the members.
    if (SUCCEEDED(hr)) hr = dispatchInfo->GetRefTypeOfImplType(static_cast<UINT>(-1), &vtable);
    if (SUCCEEDED(hr)) hr = dispatchInfo->GetRefTypeInfo(vtable, &typeInfo_);
    return hr;
  });
}

STDMETHODIMP BrevoniControl::QueryInterface(REFIID iid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_IDispatch || iid == kIidBrevoni) {
    *object = static_cast<_Brevoni*>(this);
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
  return DispInvoke(static_cast<_Brevoni*>(this), typeInfo_.Get(), id, flags, params, result, exception, argError);
}

// --- _Brevoni: texts cross in the ANSI code page, file names stay Unicode.

STDMETHODIMP BrevoniControl::WriteINI(BSTR SectionName, BSTR KeyName, BSTR KeyData, BSTR INIFileName,
                                      VARIANT* result) {
  if (result != nullptr) VariantInit(result);
  return Guard([&] {
    session_.WriteINI(Ansi(SectionName), Ansi(KeyName), Ansi(KeyData), FileName(INIFileName));
    return S_OK;
  });
}

STDMETHODIMP BrevoniControl::ReadINI(BSTR SectionName, BSTR KeyName, BSTR INIFileName, BSTR* result) {
  if (result == nullptr) return E_POINTER;
  *result = nullptr;
  return Guard([&] {
    const std::string value = session_.ReadINI(Ansi(SectionName), Ansi(KeyName), FileName(INIFileName));
    *result = CodePageToBstr(CP_ACP, value).release();
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
    session_.BeginUpdate(FileName(INIFileName));
    return S_OK;
  });
}

STDMETHODIMP BrevoniControl::DeleteINI(BSTR SectionName, BSTR KeyName, BSTR INIFileName) {
  return Guard([&] {
    session_.DeleteINI(Ansi(SectionName), Ansi(KeyName), FileName(INIFileName));
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
  return iid == kIidBrevoni ? S_OK : S_FALSE;
}

}  // namespace brevoni
