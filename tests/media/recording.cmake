# The recording engine and its sound capture, run for real on the virtual desktop and its
# sound server; the files are judged with ffprobe and ffmpeg.
calvorine_add_test(test_record_audio
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_record_audio.cpp ${CMAKE_CURRENT_LIST_DIR}/recording_test_support.h
  LIBS calvorine_media
  LOCKS audio)
pkg_check_modules(RECORDING_TEST_PULSE REQUIRED IMPORTED_TARGET libpulse-simple)
calvorine_add_test(test_record_engine
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_record_engine.cpp ${CMAKE_CURRENT_LIST_DIR}/recording_test_support.h
  LIBS calvorine_media PkgConfig::RECORDING_TEST_PULSE
  LOCKS desktop audio realtime
  TIMEOUT 600)
calvorine_add_test(test_record_frames
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_record_frames.cpp ${CMAKE_CURRENT_LIST_DIR}/recording_test_support.h
          ${PROJECT_SOURCE_DIR}/tests/support/FrameClock.h
  LIBS calvorine_media
  LOCKS desktop realtime
  TIMEOUT 600)
# A row with too few slots to judge ends the run with this code: ctest shows it as skipped.
# The rows judge the recorder's own timing slot by slot, so they run with no other test
# beside them: the rest of the suite at full parallelism would leave the grab waiting for
# a core, which says nothing about the recorder.
set_tests_properties(test_record_frames PROPERTIES SKIP_RETURN_CODE 77 RUN_SERIAL TRUE)
