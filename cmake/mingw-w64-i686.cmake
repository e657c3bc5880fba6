# Cross toolchain for the Brevoni control's x86 build, for 32-bit callers.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(CUELARK_MINGW_TRIPLET i686-w64-mingw32)
set(CUELARK_WIDL_TLBDIR /usr/lib/i386-linux-gnu/wine/i386-windows CACHE PATH "Folder of stdole2.tlb for widl")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
