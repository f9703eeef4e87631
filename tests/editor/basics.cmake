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
calvorine_add_test(tst_editor_frames
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_editor_frames.cpp ${CMAKE_CURRENT_LIST_DIR}/DesktopHelpers.h
  LIBS calvorine_editor LOCKS desktop LABELS editor)
target_include_directories(tst_editor_frames PRIVATE ${PROJECT_SOURCE_DIR})
target_compile_definitions(tst_editor_frames PRIVATE CALVORINE_TEST_OUTPUT_DIR="${CMAKE_BINARY_DIR}/test-output")
add_dependencies(tst_editor_frames calvorine_images)
calvorine_add_test(tst_editor_preview
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_editor_preview.cpp ${CMAKE_CURRENT_LIST_DIR}/DesktopHelpers.h
  LIBS calvorine_editor LOCKS desktop audio LABELS editor)
target_include_directories(tst_editor_preview PRIVATE ${PROJECT_SOURCE_DIR})
target_compile_definitions(tst_editor_preview PRIVATE CALVORINE_TEST_OUTPUT_DIR="${CMAKE_BINARY_DIR}/test-output")
add_dependencies(tst_editor_preview calvorine_images)
calvorine_add_test(tst_editor_trim
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_editor_trim.cpp ${CMAKE_CURRENT_LIST_DIR}/DesktopHelpers.h
    ${CMAKE_CURRENT_LIST_DIR}/EditorRig.h
  LIBS calvorine_editor LOCKS desktop audio LABELS editor)
target_include_directories(tst_editor_trim PRIVATE ${PROJECT_SOURCE_DIR})
target_compile_definitions(tst_editor_trim PRIVATE CALVORINE_TEST_OUTPUT_DIR="${CMAKE_BINARY_DIR}/test-output")
add_dependencies(tst_editor_trim calvorine_images)
calvorine_add_test(tst_editor_adjust
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_editor_adjust.cpp ${CMAKE_CURRENT_LIST_DIR}/DesktopHelpers.h
    ${CMAKE_CURRENT_LIST_DIR}/EditorRig.h
  LIBS calvorine_editor LOCKS desktop audio LABELS editor)
target_include_directories(tst_editor_adjust PRIVATE ${PROJECT_SOURCE_DIR})
target_compile_definitions(tst_editor_adjust PRIVATE CALVORINE_TEST_OUTPUT_DIR="${CMAKE_BINARY_DIR}/test-output")
add_dependencies(tst_editor_adjust calvorine_images)
calvorine_add_test(tst_snapshot_settings
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_snapshot_settings.cpp ${CMAKE_CURRENT_LIST_DIR}/DesktopHelpers.h
  LIBS calvorine_editor LOCKS desktop LABELS editor)
target_include_directories(tst_snapshot_settings PRIVATE ${PROJECT_SOURCE_DIR})
add_dependencies(tst_snapshot_settings calvorine_images)
