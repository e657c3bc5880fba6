// The control's size as a container sees it through IOleObject: fixed at
// 500 x 500 twips (882 x 882 HIMETRIC), whatever the container asks.
#include <ocidl.h>

#include "Support.h"

namespace brevoni::testing {
namespace {

using Microsoft::WRL::ComPtr;
using Extent = ControlTest;

TEST_F(Extent, StaysFixedWhateverTheContainerAsks) {
  ComPtr<IOleObject> object;
  ASSERT_EQ(control.As(&object), S_OK);
  SIZEL fixed{};
  ASSERT_EQ(object->GetExtent(DVASPECT_CONTENT, &fixed), S_OK);
  // 500 twips square, in the HIMETRIC units (0.01 mm) a container measures in.
  const LONG designed = MulDiv(500, 2540, 1440);
  EXPECT_EQ(fixed.cx, designed);
  EXPECT_EQ(fixed.cy, designed);

  const SIZEL asks[] = {{2000, 100}, {0, 0}, {100000, 100000}, {fixed.cx, 100}};
  for (SIZEL ask : asks) {
    EXPECT_EQ(object->SetExtent(DVASPECT_CONTENT, &ask), E_FAIL) << ask.cx << "x" << ask.cy;
    SIZEL size{};
    ASSERT_EQ(object->GetExtent(DVASPECT_CONTENT, &size), S_OK);
    EXPECT_EQ(size.cx, fixed.cx);
    EXPECT_EQ(size.cy, fixed.cy);
  }
  SIZEL same = fixed;
  EXPECT_EQ(object->SetExtent(DVASPECT_CONTENT, &same), S_OK);
  SIZEL icon{};
  EXPECT_EQ(object->GetExtent(DVASPECT_ICON, &icon), E_INVALIDARG);
}

// What a container asks of a control before placing it; the one-line
// answers themselves (nothing to save) are not restated here.
TEST_F(Extent, TheControlCanBePersistedAndNamesItsClassFromItsTypeLibrary) {
  ComPtr<IPersistStreamInit> persist;
  EXPECT_EQ(control.As(&persist), S_OK);
  ComPtr<IProvideClassInfo> classInfo;
  ASSERT_EQ(control.As(&classInfo), S_OK);
  ComPtr<ITypeInfo> info;
  ASSERT_EQ(classInfo->GetClassInfo(&info), S_OK);
  TYPEATTR* attributes = nullptr;
  ASSERT_EQ(info->GetTypeAttr(&attributes), S_OK);
  EXPECT_EQ(attributes->guid, kClsid);
  info->ReleaseTypeAttr(attributes);
}

}  // namespace
}  // namespace brevoni::testing
