# Screen, cursor and sound capture, run on the virtual desktop and its sound server.
calvorine_add_test(test_screen_capture
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_screen_capture.cpp
  LIBS calvorine_system Qt5::Gui Qt5::Widgets
  LOCKS desktop)
calvorine_add_test(test_sound_capture
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_sound_capture.cpp
  LIBS calvorine_system
  LOCKS audio)
