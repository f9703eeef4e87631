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
