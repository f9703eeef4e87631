# Window bases, image painting helpers, buttons, image-framed edits, check and radio
# boxes, progress bar and slider, busy spinner, message boxes and style helpers.
target_sources(calvorine_toolkit PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ImagePainting.h
  ${CMAKE_CURRENT_LIST_DIR}/ImagePainting.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StyleHelpers.h
)
