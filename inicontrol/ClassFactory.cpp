// The class factory that COM asks for the control.
#include <windows.h>

#include "inicontrol/BrevoniControl.h"
#include "inicontrol/BrevoniIds.h"
#include "inicontrol/Module.h"

namespace brevoni {
namespace {

class ClassFactory final : public IClassFactory {
 public:
  STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (iid != IID_IUnknown && iid != IID_IClassFactory) {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    *object = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
  }
  // The factory is a static object; its references only keep the module loaded.
  STDMETHODIMP_(ULONG) AddRef() override {
    module::AddRef();
    return 2;
  }
  STDMETHODIMP_(ULONG) Release() override {
    module::Release();
    return 1;
  }
  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    return BrevoniControl::Create(iid, object);
  }
  STDMETHODIMP LockServer(BOOL lock) override {
    lock ? module::AddRef() : module::Release();
    return S_OK;
  }
};

ClassFactory gFactory;

}  // namespace
}  // namespace brevoni

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (clsid != brevoni::kClsid) return CLASS_E_CLASSNOTAVAILABLE;
  return brevoni::gFactory.QueryInterface(iid, object);
}
