# The current output format of each recording mode.
target_sources(calvorine_recorder PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/CurrentFormat.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CurrentFormat.h
)
