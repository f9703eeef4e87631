# The application core's platform pieces: versions, hotkey grabs and the window list, on
# the virtual desktop.
pkg_check_modules(SYSTEM_CORE_TEST_XCB REQUIRED IMPORTED_TARGET xcb)
calvorine_add_test(test_system_core
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_system_core.cpp
  LIBS calvorine_system Qt5::Widgets PkgConfig::SYSTEM_CORE_TEST_XCB
  LOCKS desktop)
