# Screen, cursor and sound capture for recordings (xcb with MIT-SHM and XFixes, PulseAudio;
# the libraries are linked by system.cmake).
target_sources(calvorine_system PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/screen_capture.cpp ${CMAKE_CURRENT_LIST_DIR}/screen_capture.h
  ${CMAKE_CURRENT_LIST_DIR}/cursor_capture.cpp ${CMAKE_CURRENT_LIST_DIR}/cursor_capture.h
  ${CMAKE_CURRENT_LIST_DIR}/sound_capture.cpp ${CMAKE_CURRENT_LIST_DIR}/sound_capture.h)
