// Text arguments for IDispatch::Invoke, which takes them last first. The
// strings belong to the object and are freed with it, whatever the call did.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <initializer_list>
#include <string_view>
#include <vector>

namespace win32 {

class DispatchTextArguments {
 public:
  explicit DispatchTextArguments(std::initializer_list<std::wstring_view> texts) : variants_(texts.size()) {
    std::size_t slot = texts.size();
    for (std::wstring_view text : texts) {
      VARIANT& variant = variants_[--slot];
      VariantInit(&variant);
      variant.vt = VT_BSTR;
      variant.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
      if (variant.bstrVal == nullptr) complete_ = false;
    }
    params_ = DISPPARAMS{variants_.data(), nullptr, static_cast<UINT>(variants_.size()), 0};
  }
  DispatchTextArguments(const DispatchTextArguments&) = delete;
  DispatchTextArguments& operator=(const DispatchTextArguments&) = delete;
  ~DispatchTextArguments() {
    for (VARIANT& variant : variants_) VariantClear(&variant);
  }

  // False when a text could not be allocated: the call must not be made.
  bool Complete() const { return complete_; }
  // For a property put, the single argument is the named DISPID_PROPERTYPUT.
  DISPPARAMS* Params(bool propertyPut = false) {
    params_.rgdispidNamedArgs = propertyPut ? &propertyPutName_ : nullptr;
    params_.cNamedArgs = propertyPut ? 1 : 0;
    return &params_;
  }

 private:
  std::vector<VARIANT> variants_;
  bool complete_ = true;
  DISPID propertyPutName_ = DISPID_PROPERTYPUT;
  DISPPARAMS params_{};
};

}  // namespace win32
