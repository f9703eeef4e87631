# Tests of the audio level display.
set(_levels_dir ${CMAKE_CURRENT_LIST_DIR}/levels)
calvorine_add_test(tst_audio_levels SOURCES ${_levels_dir}/tst_audio_levels.cpp LIBS calvorine_toolkit OFFSCREEN
  LABELS toolkit)
target_include_directories(tst_audio_levels PRIVATE ${CMAKE_CURRENT_LIST_DIR}/draw)
