# Effect, frame and audio-effect packs, and the thumbnail strip that lists them.
target_sources(calvorine_editor PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/VEEffectPack.cpp ${CMAKE_CURRENT_LIST_DIR}/VEEffectPack.h
  ${CMAKE_CURRENT_LIST_DIR}/QHorizontalListFrom.cpp ${CMAKE_CURRENT_LIST_DIR}/QHorizontalListFrom.h)
