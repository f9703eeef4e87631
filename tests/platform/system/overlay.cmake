# Windows of another process for the desktop tests (window finding, click-through,
# snapping); the tests find it in the application directory.
add_executable(calvorine_window_helper ${CMAKE_CURRENT_LIST_DIR}/window_helper.cpp)
target_link_libraries(calvorine_window_helper PRIVATE Qt5::Widgets)
calvorine_warnings(calvorine_window_helper)

# The window finder and the overlay helpers, on the virtual desktop.
calvorine_add_test(test_window_overlay
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_window_overlay.cpp ${PROJECT_SOURCE_DIR}/tests/support/DesktopHelpers.h
  LIBS calvorine_system Qt5::Widgets Qt5::X11Extras
  LOCKS desktop)
target_include_directories(test_window_overlay PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
add_dependencies(test_window_overlay calvorine_window_helper)
if(CMAKE_CXX_FLAGS MATCHES "sanitize=address")
  set_property(TEST test_window_overlay APPEND PROPERTY ENVIRONMENT QT_XCB_GL_INTEGRATION=none)
endif()
