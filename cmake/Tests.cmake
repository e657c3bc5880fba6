# GoogleTest programs. The native tree runs each case on its own; a Windows
# tree registers each program as one test, started through the
# cross-compiling emulator here (Wine inside the rig) and directly on Windows.
if(WIN32)
  # GoogleTest from its sources (Debian's package when cross compiling),
  # built with the same compiler as the programs.
  set(CUELARK_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources for the Windows build")
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(${CUELARK_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  # Test names tell the trees apart when the native tree runs them all.
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(CUELARK_TEST_PREFIX x86.)
  else()
    set(CUELARK_TEST_PREFIX x64.)
  endif()
else()
  find_package(GTest REQUIRED)
  include(GoogleTest)
endif()

# A GoogleTest program and its registration.
function(cuelark_test_program name)
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE GTest::gtest GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  if(MINGW)
    # Test programs need no optimiser, and compile far faster without it;
    # the programs and the control they test keep theirs.
    target_compile_options(${name} PRIVATE -O0)
  endif()
  if(WIN32)
    add_test(NAME ${CUELARK_TEST_PREFIX}${name} COMMAND ${name})
    # One Wine test at a time: they share the rig's display, tray and server.
    # 77: the rig's runner skips a 32-bit program where the kernel starts none.
    set_tests_properties(${CUELARK_TEST_PREFIX}${name} PROPERTIES TIMEOUT 600 LABELS windows RESOURCE_LOCK wine
                         SKIP_RETURN_CODE 77)
  else()
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST)
  endif()
endfunction()
