# Audio level display.
target_sources(calvorine_toolkit PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/QAudioDataWidget.h
  ${CMAKE_CURRENT_LIST_DIR}/QAudioDataWidget.cpp
)
