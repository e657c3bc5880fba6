// What a client needs to create the Brevoni control and call it late bound:
// the class identifier, its textual name and the dispatch ids of _Brevoni
// and of _Brevoni2, which extends it.
// Needs no generated header; the Windows tests check these against the
// control's type library.
#pragma once

#include <windows.h>

namespace brevoni {

inline constexpr GUID kLibId = {0x8E9B1B69, 0x0F76, 0x4916, {0xAB, 0x91, 0x37, 0xFA, 0xFB, 0xCB, 0xCB, 0xD1}};
inline constexpr GUID kIidBrevoni = {0xEA3920A3, 0x9206, 0x4466, {0x82, 0x21, 0x67, 0x7C, 0x5E, 0x16, 0x6A, 0xF8}};
inline constexpr GUID kIidBrevoni2 = {0x3C1F6E52, 0x8A4D, 0x4B7E, {0x9D, 0x2A, 0x6F, 0x0B, 0x5C, 0x8E, 0x1A, 0x47}};
inline constexpr GUID kDiidBrevoniEvents = {0xFAAD27B0, 0x28DE, 0x47CB, {0x93, 0x80, 0xBE, 0x55, 0x30, 0xBC, 0xDB, 0xEF}};
inline constexpr GUID kClsid = {0xCCB4958A, 0x9F0E, 0x4496, {0xAC, 0xC9, 0x26, 0x6F, 0x22, 0xAC, 0x13, 0x4B}};
inline constexpr wchar_t kProgId[] = L"BrevoniControlX.Brevoni";

inline constexpr DISPID kDispIdWriteINI = 0x60030001;
inline constexpr DISPID kDispIdReadINI = 0x60030002;
inline constexpr DISPID kDispIdINIFileName = 0x68030000;
inline constexpr DISPID kDispIdBeginUpdate = 0x60030003;
inline constexpr DISPID kDispIdDeleteINI = 0x60030004;
inline constexpr DISPID kDispIdCommitUpdate = 0x60030005;
inline constexpr DISPID kDispIdCancelUpdate = 0x60030006;
inline constexpr DISPID kDispIdReadSections = 0x60030007;
inline constexpr DISPID kDispIdReadKeys = 0x60030008;

}  // namespace brevoni
