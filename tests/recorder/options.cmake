# Tests of the option pages, the hotkey editor line and the small dialogs.
set(_options_dir ${CMAKE_CURRENT_LIST_DIR}/options)
calvorine_add_test(tst_option_pages SOURCES ${_options_dir}/tst_option_pages.cpp ${_options_dir}/RecorderTestSupport.h
  LIBS calvorine_recorder Qt5::Xml OFFSCREEN)
target_compile_definitions(tst_option_pages PRIVATE CALVORINE_TEST_OUTPUT_DIR="${CMAKE_BINARY_DIR}/test-output")
add_dependencies(tst_option_pages calvorine_resources calvorine_images)
calvorine_add_test(tst_options_desktop SOURCES ${_options_dir}/tst_options_desktop.cpp ${_options_dir}/RecorderTestSupport.h
  LIBS calvorine_recorder Qt5::Xml LOCKS desktop)
target_compile_definitions(tst_options_desktop PRIVATE CALVORINE_TEST_OUTPUT_DIR="${CMAKE_BINARY_DIR}/test-output")
add_dependencies(tst_options_desktop calvorine_resources calvorine_images hotkey_holder)
calvorine_add_test(tst_dialogs SOURCES ${_options_dir}/tst_dialogs.cpp ${_options_dir}/RecorderTestSupport.h
  LIBS calvorine_recorder Qt5::Xml OFFSCREEN)
target_compile_definitions(tst_dialogs PRIVATE CALVORINE_TEST_OUTPUT_DIR="${CMAKE_BINARY_DIR}/test-output")
add_dependencies(tst_dialogs calvorine_resources calvorine_images)
