# Conversion, media information and playback on the program's side.
calvorine_add_test(test_media_converter
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_media_converter.cpp
  LIBS calvorine_media Qt5::Network
  OFFSCREEN TIMEOUT 600)
target_include_directories(test_media_converter PRIVATE ${PROJECT_SOURCE_DIR})
calvorine_add_test(test_media_info_manager
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_media_info_manager.cpp
  LIBS calvorine_media
  OFFSCREEN)
target_include_directories(test_media_info_manager PRIVATE ${PROJECT_SOURCE_DIR})
calvorine_add_test(test_media_player_manager
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_media_player_manager.cpp
  LIBS calvorine_media Qt5::Widgets
  LOCKS desktop audio TIMEOUT 300)
target_include_directories(test_media_player_manager PRIVATE ${PROJECT_SOURCE_DIR})
target_compile_definitions(test_media_player_manager PRIVATE CALVORINE_TEST_OUTPUT_DIR="${CMAKE_BINARY_DIR}/test-output")
