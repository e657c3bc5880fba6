# Windows test programs, built by the Windows tree and run under Wine by the
# native tree's ctest. Each is a GoogleTest program in tests/win.
set(CUELARK_WIN_TESTS
  brevoni_tests
  ui_editor_tests
  ui_layout_tests
  ui_store_tests
  ui_exec_tests
  ui_clock_tests
  ui_tray_tests
  ui_history_tests
)
list(APPEND CUELARK_WIN_TESTS player_tests text_tests)
list(APPEND CUELARK_WIN_TESTS driver_tests)
