# What the x64 and x86 cross toolchains share; each sets CUELARK_MINGW_TRIPLET
# and CMAKE_SYSTEM_PROCESSOR first. The -posix compilers are required: the
# win32 thread model lacks std::mutex, which GoogleTest needs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${CUELARK_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${CUELARK_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${CUELARK_MINGW_TRIPLET}-windres)
set(CUELARK_WIDL ${CUELARK_MINGW_TRIPLET}-widl CACHE STRING "IDL compiler")
set(CMAKE_FIND_ROOT_PATH /usr/${CUELARK_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# ctest starts the test programs under Wine (32-bit ones through its WoW64, in
# the same prefix), inside the rig that tools/rig/with-rig.sh starts around it.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tools/rig/wine-test.sh)
