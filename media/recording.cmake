# Recording: the screen-recording engine and the sound capture that feeds it.
target_sources(calvorine_media PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/QAudioFrameBuffer.cpp ${CMAKE_CURRENT_LIST_DIR}/QAudioFrameBuffer.h
  ${CMAKE_CURRENT_LIST_DIR}/QRecordAudioObject.cpp ${CMAKE_CURRENT_LIST_DIR}/QRecordAudioObject.h
  ${CMAKE_CURRENT_LIST_DIR}/QRecordObject.cpp ${CMAKE_CURRENT_LIST_DIR}/QRecordObject.h)
