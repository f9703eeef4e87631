# Conversion, media information and playback of the codec library (libavfilter for the
# edits, PulseAudio for the player's sound).
find_package(PkgConfig REQUIRED)
pkg_check_modules(CALVORINE_PLAYBACK_DEPS REQUIRED IMPORTED_TARGET
  libavformat libavcodec libavutil libavfilter libswscale libswresample libpulse-simple libpulse)

target_sources(calvorine_codec PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/codec_playback.h
  ${CMAKE_CURRENT_LIST_DIR}/playback_av.h
  ${CMAKE_CURRENT_LIST_DIR}/playback_av.cpp
  ${CMAKE_CURRENT_LIST_DIR}/filters.h
  ${CMAKE_CURRENT_LIST_DIR}/filters.cpp
  ${CMAKE_CURRENT_LIST_DIR}/converter.h
  ${CMAKE_CURRENT_LIST_DIR}/converter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/media_info.h
  ${CMAKE_CURRENT_LIST_DIR}/media_info.cpp
  ${CMAKE_CURRENT_LIST_DIR}/conversion_entries.cpp
  ${CMAKE_CURRENT_LIST_DIR}/player.h
  ${CMAKE_CURRENT_LIST_DIR}/player.cpp
  ${CMAKE_CURRENT_LIST_DIR}/player_entries.cpp
  ${CMAKE_CURRENT_LIST_DIR}/text_extent.h
  ${CMAKE_CURRENT_LIST_DIR}/text_extent.cpp
  ${CMAKE_CURRENT_LIST_DIR}/handle_calls.h
)
target_link_libraries(calvorine_codec PRIVATE PkgConfig::CALVORINE_PLAYBACK_DEPS)
