# The conversion job the history library runs: request, output naming, progress signals.
target_sources(calvorine_media PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/RZConverterObject.h
  ${CMAKE_CURRENT_LIST_DIR}/RZConverterObject.cpp
)
