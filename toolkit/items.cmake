# Item records, models, views, delegates, combo box, menu and scroll bar.
target_sources(calvorine_toolkit PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/QDataStorage.cpp
  ${CMAKE_CURRENT_LIST_DIR}/IBaseChunk.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QRZViewModelDrawAttribute.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QBaseDetailsModel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QRZBaseSortModel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QRZItemButtonList.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QBaseIconListDelegate.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QRZBaseStyleDelegate.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ItemViewHoverBlock.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QRZListView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QRZTableView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QRZScrollBar.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QRZMenu.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QRZComboBox.cpp
)
