// The scheduler's side of the control: a Save goes through DispatchIniStore
// as one batch, and a batch in which any call failed must not land.
#include "Support.h"
#include "scheduler/core/Store.h"
#include "scheduler/win/DispatchIniStore.h"

namespace brevoni::testing {
namespace {

using Microsoft::WRL::ComPtr;

// How the control may refuse a call.
enum class Refusal {
  kExceptionWithoutText,  // DISP_E_EXCEPTION whose description is empty
  kFailureWithoutInfo,    // a failing HRESULT and no EXCEPINFO at all
};

// The real control, except that one chosen call of one member fails.
class RefusingControl final : public IDispatch {
 public:
  RefusingControl(ComPtr<IDispatch> control, DISPID member, int nth, Refusal refusal)
      : control_(std::move(control)), member_(member), nth_(nth), refusal_(refusal) {}

  STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (iid != IID_IUnknown && iid != IID_IDispatch) {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    *object = static_cast<IDispatch*>(this);
    return S_OK;
  }
  // Lives on the test's stack, longer than every reference the test hands out.
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP GetTypeInfoCount(UINT* count) override { return control_->GetTypeInfoCount(count); }
  STDMETHODIMP GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override {
    return control_->GetTypeInfo(index, locale, info);
  }
  STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override {
    return control_->GetIDsOfNames(iid, names, count, locale, ids);
  }
  STDMETHODIMP Invoke(DISPID member, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO* exception, UINT* argError) override {
    if (member == member_ && ++calls_ == nth_) {
      if (refusal_ == Refusal::kFailureWithoutInfo) return E_OUTOFMEMORY;
      if (exception != nullptr) {
        *exception = EXCEPINFO{};
        exception->scode = E_FAIL;
        exception->bstrDescription = SysAllocString(L"");
      }
      return DISP_E_EXCEPTION;
    }
    return control_->Invoke(member, iid, locale, flags, params, result, exception, argError);
  }

 private:
  ComPtr<IDispatch> control_;
  DISPID member_;
  int nth_;
  Refusal refusal_;
  int calls_ = 0;
};

using Caller = ControlTest;

TEST_F(Caller, ASaveInWhichAnyCallFailedIsRefusedAndLeavesTheFile) {
  const std::wstring cue = File(L"cue.ini");
  const std::vector<cuelark::SavedCommand> before = {{0, L"Old", L"C:\\old.mp3", L"EVERY DAY", L"07:00:00"}};
  const std::vector<cuelark::SavedCommand> after = {before[0], {0, L"New", L"C:\\new.mp3", L"2099-01-01", L"08:00:00"}};
  {
    cuelark::DispatchIniStore iniStore(control);
    ASSERT_TRUE(cuelark::SavedCommandStore(iniStore, cue, {}).WriteSavedCommands(before).ok);
  }
  const std::string written = ReadBytes(cue);

  const struct {
    const char* what;
    DISPID member;
    int nth;
    Refusal refusal;
  } cases[] = {
      {"a write refused with an empty description", kDispIdWriteINI, 3, Refusal::kExceptionWithoutText},
      {"a write refused without error info", kDispIdWriteINI, 8, Refusal::kFailureWithoutInfo},
      {"a delete refused", kDispIdDeleteINI, 1, Refusal::kExceptionWithoutText},
      {"a read refused", kDispIdReadINI, 2, Refusal::kFailureWithoutInfo},
      {"the batch refused at its start", kDispIdBeginUpdate, 1, Refusal::kExceptionWithoutText},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    RefusingControl refusing(control, c.member, c.nth, c.refusal);
    cuelark::DispatchIniStore iniStore{ComPtr<IDispatch>(&refusing)};
    cuelark::SavedCommandStore store(iniStore, cue, {});
    const cuelark::StoreResult result = store.WriteSavedCommands(after);
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(result.reason.empty());
    EXPECT_EQ(ReadBytes(cue), written);
    // The failure belongs to that batch only.
    EXPECT_TRUE(store.WriteSavedCommands(before).ok);
    EXPECT_EQ(ReadBytes(cue), written);
  }
}

}  // namespace
}  // namespace brevoni::testing
