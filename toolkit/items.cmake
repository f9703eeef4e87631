# Item records, models, views, delegates, combo box, menu and scroll bar.
target_sources(calvorine_toolkit PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/QDataStorage.cpp
  ${CMAKE_CURRENT_LIST_DIR}/IBaseChunk.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QRZViewModelDrawAttribute.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QBaseDetailsModel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QRZBaseSortModel.cpp
)
