# Conversion, media information and player of the codec library.
calvorine_add_test(test_codec_conversion
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_codec_conversion.cpp ${CMAKE_CURRENT_LIST_DIR}/playback_fixtures.h
  LIBS calvorine_codec Qt5::Gui
  OFFSCREEN TIMEOUT 600)
target_include_directories(test_codec_conversion PRIVATE ${PROJECT_SOURCE_DIR})
calvorine_add_test(test_codec_media_info
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_codec_media_info.cpp ${CMAKE_CURRENT_LIST_DIR}/playback_fixtures.h
  LIBS calvorine_codec Qt5::Gui
  OFFSCREEN)
target_include_directories(test_codec_media_info PRIVATE ${PROJECT_SOURCE_DIR})
calvorine_add_test(test_codec_player
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_codec_player.cpp ${CMAKE_CURRENT_LIST_DIR}/playback_fixtures.h
  LIBS calvorine_codec Qt5::Gui
  LOCKS audio realtime TIMEOUT 300)
target_include_directories(test_codec_player PRIVATE ${PROJECT_SOURCE_DIR})
