# Tests of the window bases, painting helpers, controls, message boxes, style helpers and
# the generated images. Drawing is checked pixel by pixel on the offscreen platform; one
# test shows windows on the virtual desktop and keeps a screenshot.
set(_draw ${CMAKE_CURRENT_LIST_DIR}/draw)
set(_draw_tests
  tst_imagepainting
  tst_windowbase
  tst_buttons
  tst_edits
  tst_boxes
  tst_progress
  tst_spinner
  tst_messageboxes
  tst_stylehelpers
  tst_generatedimages
)
foreach(_test ${_draw_tests})
  if(NOT EXISTS ${_draw}/${_test}.cpp)
    continue()
  endif()
  calvorine_add_test(${_test} SOURCES ${_draw}/${_test}.cpp ${_draw}/DrawTestSupport.h
    LIBS calvorine_toolkit OFFSCREEN LABELS toolkit)
  target_include_directories(${_test} PRIVATE ${_draw})
  add_dependencies(${_test} calvorine_images)
endforeach()

if(EXISTS ${_draw}/tst_toolkit_desktop.cpp)
calvorine_add_test(tst_toolkit_desktop SOURCES ${_draw}/tst_toolkit_desktop.cpp ${_draw}/DrawTestSupport.h
  LIBS calvorine_toolkit LOCKS desktop LABELS toolkit)
target_include_directories(tst_toolkit_desktop PRIVATE ${_draw})
target_compile_definitions(tst_toolkit_desktop PRIVATE
  CALVORINE_TEST_OUTPUT_DIR="${CMAKE_BINARY_DIR}/test-output")
add_dependencies(tst_toolkit_desktop calvorine_images)
# Under the sanitizers: Qt's GLX integration loads Mesa's driver and unloads it before
# the leak report, which then shows the driver's leak without a library to suppress it
# by. Nothing here draws with OpenGL, so the integration stays unloaded.
if(CMAKE_CXX_FLAGS MATCHES "sanitize=address")
  set_property(TEST tst_toolkit_desktop APPEND PROPERTY ENVIRONMENT QT_XCB_GL_INTEGRATION=none)
endif()
endif()
