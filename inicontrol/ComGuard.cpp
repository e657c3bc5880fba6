#include "inicontrol/ComGuard.h"

#include <oleauto.h>
#include <wrl/client.h>

#include <string>

#include "inicontrol/BrevoniIds.h"
#include "inicontrol/WinText.h"

namespace brevoni {

void SetErrorDescription(const wchar_t* description) noexcept {
  Microsoft::WRL::ComPtr<ICreateErrorInfo> create;
  Microsoft::WRL::ComPtr<IErrorInfo> info;
  if (FAILED(CreateErrorInfo(&create))) return;
  if (FAILED(create->SetDescription(const_cast<LPOLESTR>(description))) ||
      FAILED(create->SetSource(const_cast<LPOLESTR>(kProgId))) || FAILED(create->SetGUID(kIidBrevoni)) ||
      FAILED(create.As(&info))) {
    return;
  }
  SetErrorInfo(0, info.Get());
}

void SetErrorDescription(const std::exception& failure) noexcept {
  try {
    const std::wstring description = win32::CodePageToWide(CP_UTF8, failure.what());
    SetErrorDescription(description.empty() ? L"BrevoniControlX failed" : description.c_str());
  } catch (...) {
    SetErrorDescription(L"BrevoniControlX failed");
  }
}

}  // namespace brevoni
