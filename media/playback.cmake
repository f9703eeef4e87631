# The program's side of conversion, media information and playback.
target_sources(calvorine_media PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/CAVConverter.h
  ${CMAKE_CURRENT_LIST_DIR}/CAVConverter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QMediaElementWindow.h
  ${CMAKE_CURRENT_LIST_DIR}/QMediaElementWindow.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RZInfoManager.h
  ${CMAKE_CURRENT_LIST_DIR}/RZInfoManager.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RZPlayerClass.h
  ${CMAKE_CURRENT_LIST_DIR}/RZPlayerClass.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RZPlayerManager.h
  ${CMAKE_CURRENT_LIST_DIR}/RZPlayerManager.cpp
)
