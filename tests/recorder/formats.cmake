# Tests of the current output format, and recordings with every shipped profile.
set(_formats_dir ${CMAKE_CURRENT_LIST_DIR}/formats)
calvorine_add_test(tst_current_format SOURCES ${_formats_dir}/tst_current_format.cpp LIBS calvorine_recorder OFFSCREEN)
add_dependencies(tst_current_format calvorine_resources)
calvorine_add_test(tst_format_recording SOURCES ${_formats_dir}/tst_format_recording.cpp
  LIBS calvorine_recorder calvorine_codec calvorine_system OFFSCREEN TIMEOUT 600)
add_dependencies(tst_format_recording calvorine_resources)
