# Tests of the audio-input panel: over a stand-in audio-device library built here, and
# over the real library on the desktop's sound server.
set(_input_dir ${CMAKE_CURRENT_LIST_DIR}/input)
add_library(calvorine_fake_audiodev SHARED ${_input_dir}/fake_audiodev.cpp)
target_include_directories(calvorine_fake_audiodev PRIVATE ${PROJECT_SOURCE_DIR})
set_target_properties(calvorine_fake_audiodev PROPERTIES CXX_VISIBILITY_PRESET hidden)
calvorine_warnings(calvorine_fake_audiodev)

calvorine_add_test(tst_audio_input SOURCES ${_input_dir}/tst_audio_input.cpp
  LIBS calvorine_recorder Qt5::Xml OFFSCREEN LABELS recorder)
target_include_directories(tst_audio_input PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
target_compile_definitions(tst_audio_input PRIVATE
  CALVORINE_FAKE_AUDIODEV="$<TARGET_FILE:calvorine_fake_audiodev>")
add_dependencies(tst_audio_input calvorine_fake_audiodev calvorine_images)

if(TARGET calvorine_audiodev)
  calvorine_add_test(tst_audiodev_pulse SOURCES ${_input_dir}/tst_audiodev_pulse.cpp
    LIBS calvorine_recorder LOCKS desktop audio LABELS recorder)
  target_include_directories(tst_audiodev_pulse PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
  target_compile_definitions(tst_audiodev_pulse PRIVATE CALVORINE_TEST_OUTPUT_DIR="${CMAKE_BINARY_DIR}/test-output")
  add_dependencies(tst_audiodev_pulse calvorine_audiodev calvorine_images)
  if(CMAKE_CXX_FLAGS MATCHES "sanitize=address")
    set_property(TEST tst_audiodev_pulse APPEND PROPERTY ENVIRONMENT QT_XCB_GL_INTEGRATION=none)
  endif()
endif()
