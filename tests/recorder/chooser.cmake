# Tests of the output-format chooser and its settings panel.
set(_chooser_dir ${CMAKE_CURRENT_LIST_DIR}/chooser)
calvorine_add_test(tst_format_chooser SOURCES ${_chooser_dir}/tst_format_chooser.cpp ${_chooser_dir}/ChooserTestSupport.h
  LIBS calvorine_recorder Qt5::Xml OFFSCREEN)
target_compile_definitions(tst_format_chooser PRIVATE CALVORINE_TEST_OUTPUT_DIR="${CMAKE_BINARY_DIR}/test-output")
add_dependencies(tst_format_chooser calvorine_resources calvorine_images)
calvorine_add_test(tst_chooser_recording SOURCES ${_chooser_dir}/tst_chooser_recording.cpp ${_chooser_dir}/ChooserTestSupport.h
  LIBS calvorine_recorder LOCKS desktop audio TIMEOUT 120)
target_compile_definitions(tst_chooser_recording PRIVATE CALVORINE_TEST_OUTPUT_DIR="${CMAKE_BINARY_DIR}/test-output")
add_dependencies(tst_chooser_recording calvorine_resources calvorine_images)
