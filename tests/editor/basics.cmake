# Tests of the settings holder, the editor's looks, frame widgets, preview, trim slider
# and tab, transport bar, adjust tab and snapshot settings.
calvorine_add_test(tst_editor_style
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_editor_style.cpp
  LIBS calvorine_editor OFFSCREEN LABELS editor)
add_dependencies(tst_editor_style calvorine_images)
calvorine_add_test(tst_editing_settings
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_editing_settings.cpp
  LIBS calvorine_editor LABELS editor)
target_include_directories(tst_editing_settings PRIVATE ${PROJECT_SOURCE_DIR})

# Desktop tests: name, then the resources they lock.
foreach(_spec "tst_editor_frames;desktop" "tst_editor_preview;desktop;audio" "tst_editor_trim;desktop;audio"
              "tst_editor_adjust;desktop;audio" "tst_snapshot_settings;desktop")
  list(GET _spec 0 _test)
  list(SUBLIST _spec 1 -1 _locks)
  calvorine_add_test(${_test}
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/${_test}.cpp ${CMAKE_CURRENT_LIST_DIR}/DesktopHelpers.h
      ${CMAKE_CURRENT_LIST_DIR}/EditorRig.h
    LIBS calvorine_editor LOCKS ${_locks} LABELS editor)
  target_include_directories(${_test} PRIVATE ${PROJECT_SOURCE_DIR})
  target_compile_definitions(${_test} PRIVATE CALVORINE_TEST_OUTPUT_DIR="${CMAKE_BINARY_DIR}/test-output")
  add_dependencies(${_test} calvorine_images)
endforeach()
