# Cross toolchain for the Brevoni control's x86 build, for 32-bit callers.
# The same -posix compilers as the x64 build, in their i686 form.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)
set(CUELARK_WIDL i686-w64-mingw32-widl CACHE STRING "IDL compiler")
set(CUELARK_WIDL_TLBDIR /usr/lib/i386-linux-gnu/wine/i386-windows CACHE PATH "Folder of stdole2.tlb for widl")
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# 32-bit programs run in the same 64-bit prefix, through Wine's WoW64.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tools/rig/wine-test.sh)
