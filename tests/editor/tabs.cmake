# What the tabs and the text style dialogs store for the user's drags, typing and clicks.
calvorine_add_test(tst_editor_tab_values
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_editor_tab_values.cpp ${CMAKE_CURRENT_LIST_DIR}/TabTestSupport.h
  LIBS calvorine_editor OFFSCREEN LABELS editor)
target_include_directories(tst_editor_tab_values PRIVATE ${PROJECT_SOURCE_DIR})
add_dependencies(tst_editor_tab_values calvorine_packs calvorine_images)

# The tabs against the real preview on the virtual desktop: pictures, sound, screenshots.
calvorine_add_test(tst_editor_tabs_preview
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_editor_tabs_preview.cpp ${CMAKE_CURRENT_LIST_DIR}/TabTestSupport.h
  LIBS calvorine_editor LOCKS desktop audio LABELS editor TIMEOUT 400)
target_include_directories(tst_editor_tabs_preview PRIVATE ${PROJECT_SOURCE_DIR})
target_compile_definitions(tst_editor_tabs_preview PRIVATE
  CALVORINE_TEST_OUTPUT_DIR="${CMAKE_BINARY_DIR}/test-output")
add_dependencies(tst_editor_tabs_preview calvorine_packs calvorine_images)

# The tags tab over MP3, M4A and FLAC files tagged by ffmpeg and mutagen.
calvorine_add_test(tst_editor_tags_files
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_editor_tags_files.cpp ${CMAKE_CURRENT_LIST_DIR}/TabTestSupport.h
  LIBS calvorine_editor OFFSCREEN LABELS editor)
target_include_directories(tst_editor_tags_files PRIVATE ${PROJECT_SOURCE_DIR})
target_compile_definitions(tst_editor_tags_files PRIVATE CALVORINE_TEST_OUTPUT_DIR="${CMAKE_BINARY_DIR}/test-output")
add_dependencies(tst_editor_tags_files calvorine_images)
