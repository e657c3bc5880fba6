// The control's one barrier against exceptions: whatever a member throws
// becomes a failing HRESULT with error info that says what went wrong.
#include <stdexcept>

#include "Support.h"
#include "inicontrol/ComGuard.h"

namespace brevoni::testing {
namespace {

struct NotAStandardException {};

TEST(Guard, EveryExceptionBecomesAFailureWithErrorInfo) {
  ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
  const struct {
    const char* what;
    std::function<HRESULT()> body;
    HRESULT expected;
    const wchar_t* inDescription;
  } cases[] = {
      {"out of memory", [] () -> HRESULT { throw std::bad_alloc(); }, E_OUTOFMEMORY, L"memory"},
      {"a reason in UTF-8",
       [] () -> HRESULT { throw std::runtime_error("cannot write C:\\Caf\xC3\xA9\\cue.ini: disk full"); }, E_FAIL,
       L"cannot write C:\\Caf\u00e9\\cue.ini: disk full"},
      {"a reason that is not UTF-8", [] () -> HRESULT { throw std::runtime_error("\xFF\xFE"); }, E_FAIL, L""},
      {"an empty reason", [] () -> HRESULT { throw std::logic_error(""); }, E_FAIL, L"BrevoniControlX"},
      {"no standard exception", [] () -> HRESULT { throw NotAStandardException(); }, E_UNEXPECTED,
       L"BrevoniControlX"},
      {"an integer", [] () -> HRESULT { throw 42; }, E_UNEXPECTED, L"BrevoniControlX"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    SetErrorInfo(0, nullptr);
    EXPECT_EQ(Guard(c.body), c.expected);
    const std::optional<ErrorInfoText> info = TakeErrorInfo();
    ASSERT_TRUE(info.has_value()) << "no error info";
    EXPECT_FALSE(info->description.empty());
    EXPECT_NE(info->description.find(c.inDescription), std::wstring::npos) << info->description;
    EXPECT_EQ(info->source, L"BrevoniControlX.Brevoni");
  }
  EXPECT_EQ(Guard([] { return S_FALSE; }), S_FALSE) << "a body's own result passes through";
  CoUninitialize();
}

}  // namespace
}  // namespace brevoni::testing
