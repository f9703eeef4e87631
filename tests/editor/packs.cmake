# The packs, their generator's output, and the thumbnail strip.
calvorine_add_test(tst_editor_packs
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_editor_packs.cpp
  LIBS calvorine_editor OFFSCREEN LABELS editor)
target_include_directories(tst_editor_packs PRIVATE ${PROJECT_SOURCE_DIR})
add_dependencies(tst_editor_packs calvorine_packs calvorine_images)

