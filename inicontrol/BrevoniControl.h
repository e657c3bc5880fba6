// The Brevoni control object: _Brevoni2 (and so _Brevoni) answered through the type library,
// plus the least of the OLE control protocol (a fixed extent) and an empty
// persistence, since nothing of the control is saved with its container.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <wrl/client.h>

#include <atomic>
#include <optional>
#include <string>

#include "BrevoniControlX.h"
#include "inicontrol/SystemProfile.h"
#include "inicontrol/Win32FileStore.h"

namespace brevoni {

class BrevoniControl final : public _Brevoni2,
                             public IOleObject,
                             public IPersistStreamInit,
                             public IProvideClassInfo,
                             public ISupportErrorInfo {
 public:
  // The fixed size: 500 x 500 twips, in HIMETRIC (0.01 mm) units.
  static constexpr LONG kExtentHimetric = (500 * 2540 + 720) / 1440;
  static constexpr DWORD kMiscStatus =
      OLEMISC_SETCLIENTSITEFIRST | OLEMISC_CANTLINKINSIDE | OLEMISC_INSIDEOUT | OLEMISC_RECOMPOSEONRESIZE;

  static HRESULT Create(REFIID iid, void** object);
  // Public for std::make_unique only; Create and Release own the lifetime.
  BrevoniControl();
  ~BrevoniControl();

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  // IDispatch
  STDMETHODIMP GetTypeInfoCount(UINT* count) override;
  STDMETHODIMP GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
  STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override;
  STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO* exception, UINT* argError) override;

  // _Brevoni
  STDMETHODIMP WriteINI(BSTR SectionName, BSTR KeyName, BSTR KeyData, BSTR INIFileName, VARIANT* result) override;
  STDMETHODIMP ReadINI(BSTR SectionName, BSTR KeyName, BSTR INIFileName, BSTR* result) override;
  STDMETHODIMP get_INIFileName(BSTR* result) override;
  STDMETHODIMP put_INIFileName(BSTR FileName) override;
  STDMETHODIMP BeginUpdate(BSTR INIFileName) override;
  STDMETHODIMP DeleteINI(BSTR SectionName, BSTR KeyName, BSTR INIFileName) override;
  STDMETHODIMP CommitUpdate(VARIANT_BOOL* result) override;
  STDMETHODIMP CancelUpdate() override;

  // _Brevoni2
  STDMETHODIMP ReadSections(BSTR INIFileName, VARIANT* result) override;
  STDMETHODIMP ReadKeys(BSTR SectionName, BSTR INIFileName, VARIANT* result) override;

  // IOleObject
  STDMETHODIMP SetClientSite(IOleClientSite* site) override;
  STDMETHODIMP GetClientSite(IOleClientSite** site) override;
  STDMETHODIMP SetHostNames(LPCOLESTR container, LPCOLESTR object) override;
  STDMETHODIMP Close(DWORD saveOption) override;
  STDMETHODIMP SetMoniker(DWORD which, IMoniker* moniker) override;
  STDMETHODIMP GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) override;
  STDMETHODIMP InitFromData(IDataObject* data, BOOL creation, DWORD reserved) override;
  STDMETHODIMP GetClipboardData(DWORD reserved, IDataObject** data) override;
  STDMETHODIMP DoVerb(LONG verb, LPMSG msg, IOleClientSite* site, LONG index, HWND parent, LPCRECT rect) override;
  STDMETHODIMP EnumVerbs(IEnumOLEVERB** verbs) override;
  STDMETHODIMP Update() override;
  STDMETHODIMP IsUpToDate() override;
  STDMETHODIMP GetUserClassID(CLSID* clsid) override;
  STDMETHODIMP GetUserType(DWORD form, LPOLESTR* type) override;
  STDMETHODIMP SetExtent(DWORD aspect, SIZEL* size) override;
  STDMETHODIMP GetExtent(DWORD aspect, SIZEL* size) override;
  STDMETHODIMP Advise(IAdviseSink* sink, DWORD* connection) override;
  STDMETHODIMP Unadvise(DWORD connection) override;
  STDMETHODIMP EnumAdvise(IEnumSTATDATA** advise) override;
  STDMETHODIMP GetMiscStatus(DWORD aspect, DWORD* status) override;
  STDMETHODIMP SetColorScheme(LOGPALETTE* palette) override;

  // IPersistStreamInit
  STDMETHODIMP GetClassID(CLSID* clsid) override;
  STDMETHODIMP IsDirty() override;
  STDMETHODIMP Load(LPSTREAM stream) override;
  STDMETHODIMP Save(LPSTREAM stream, BOOL clearDirty) override;
  STDMETHODIMP GetSizeMax(ULARGE_INTEGER* size) override;
  STDMETHODIMP InitNew() override;

  // IProvideClassInfo
  STDMETHODIMP GetClassInfo(ITypeInfo** info) override;

  // ISupportErrorInfo
  STDMETHODIMP InterfaceSupportsErrorInfo(REFIID iid) override;

 private:
  HRESULT LoadTypeInfo();
  // The file a call names: its argument, else the stored INIFileName.
  std::filesystem::path Chosen(BSTR INIFileName) const;
  bool Mapped(const std::filesystem::path& file);
  // Error info for a single write: cleared when it landed, else its reason.
  static void ReportWrite(const std::optional<std::string>& failure);
  std::optional<std::string> SessionFailure(bool succeeded) const;

  std::atomic<ULONG> references_{1};
  Microsoft::WRL::ComPtr<ITypeLib> typeLib_;
  Microsoft::WRL::ComPtr<ITypeInfo> typeInfo_;  // the vtable side of _Brevoni2
  Microsoft::WRL::ComPtr<IOleClientSite> site_;
  Win32FileStore files_;
  IniSession session_{files_};
  IniFileMapping mapping_;
};

}  // namespace brevoni
