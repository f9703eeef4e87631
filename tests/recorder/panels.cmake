# Tests of the recorder panels on the virtual desktop: capture-area panel, countdown and
# toolbar; the capture frame, shade and window snapping (once more on a desktop without
# compositor).
set(_panels_dir ${CMAKE_CURRENT_LIST_DIR}/panels)
foreach(_test tst_recorder_panels tst_area_picker)
  calvorine_add_test(${_test} SOURCES ${_panels_dir}/${_test}.cpp
    LIBS calvorine_recorder Qt5::X11Extras LOCKS desktop LABELS recorder)
  target_include_directories(${_test} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
  target_compile_definitions(${_test} PRIVATE CALVORINE_TEST_OUTPUT_DIR="${CMAKE_BINARY_DIR}/test-output")
  add_dependencies(${_test} calvorine_images calvorine_window_helper)
  if(CMAKE_CXX_FLAGS MATCHES "sanitize=address")
    set_property(TEST ${_test} APPEND PROPERTY ENVIRONMENT QT_XCB_GL_INTEGRATION=none)
  endif()
endforeach()
add_test(NAME tst_area_picker_plain
  COMMAND env CALVORINE_NO_COMPOSITOR=1 ${PROJECT_SOURCE_DIR}/scripts/desktop.sh exec --
          $<TARGET_FILE:tst_area_picker> withoutCompositorOnlyTheFrameIsDrawn
          recordingBorderStaysOutsideTheArea)
set_tests_properties(tst_area_picker_plain PROPERTIES
  ENVIRONMENT "CALVORINE_SOURCE_DIR=${PROJECT_SOURCE_DIR};CALVORINE_APP_DIR=${CALVORINE_APP_DIR}"
  TIMEOUT 300 RESOURCE_LOCK desktop LABELS recorder)
if(CMAKE_CXX_FLAGS MATCHES "sanitize=address")
  set_property(TEST tst_area_picker_plain APPEND PROPERTY ENVIRONMENT QT_XCB_GL_INTEGRATION=none)
endif()
