# The editor window on the virtual desktop: trim handles, transport, snapshots and their
# settings, "Open Folder" against a stand-in file manager, centring, a sound-only file.
calvorine_add_test(tst_editor_window
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_editor_window.cpp ${CMAKE_CURRENT_LIST_DIR}/DesktopHelpers.h
  LIBS calvorine_editor Qt5::DBus LOCKS desktop audio LABELS editor)
target_include_directories(tst_editor_window PRIVATE ${PROJECT_SOURCE_DIR})
target_compile_definitions(tst_editor_window PRIVATE CALVORINE_TEST_OUTPUT_DIR="${CMAKE_BINARY_DIR}/test-output")
add_dependencies(tst_editor_window calvorine_images)
if(CMAKE_CXX_FLAGS MATCHES "sanitize=address")
  set_property(TEST tst_editor_window APPEND PROPERTY
    ENVIRONMENT QT_XCB_GL_INTEGRATION=none "LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/cmake/lsan.supp")
endif()

# The editor's looks and placement on the virtual desktop: every tab's controls inside
# it and reachable, the tab bar, the crop and watermark frames over the picture.
calvorine_add_test(tst_editor_placement
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_editor_placement.cpp ${CMAKE_CURRENT_LIST_DIR}/DesktopHelpers.h
  LIBS calvorine_editor LOCKS desktop audio LABELS editor)
target_include_directories(tst_editor_placement PRIVATE ${PROJECT_SOURCE_DIR})
target_compile_definitions(tst_editor_placement PRIVATE CALVORINE_TEST_OUTPUT_DIR="${CMAKE_BINARY_DIR}/test-output")
add_dependencies(tst_editor_placement calvorine_images)
