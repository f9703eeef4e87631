# The application core's platform pieces: versions, hotkey grabs and the window list, on
# the virtual desktop.
pkg_check_modules(SYSTEM_CORE_TEST_XCB REQUIRED IMPORTED_TARGET xcb)
calvorine_add_test(test_system_core
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_system_core.cpp
  LIBS calvorine_system Qt5::Widgets PkgConfig::SYSTEM_CORE_TEST_XCB
  LOCKS desktop)
# Under the sanitizers: Qt's GLX integration loads Mesa's driver and unloads it before
# the leak report, which then shows the driver's leak without a library to suppress it
# by. Nothing here draws with OpenGL, so the integration stays unloaded.
if(CMAKE_CXX_FLAGS MATCHES "sanitize=address")
  set_property(TEST test_system_core APPEND PROPERTY ENVIRONMENT QT_XCB_GL_INTEGRATION=none)
endif()
