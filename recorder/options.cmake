# The options panel and its pages, the hotkey editor line, the cursor-picture chooser,
# the watermark dialog and the small dialogs (close question, about box, hotkey owner).
target_sources(calvorine_recorder PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/FormHelpers.h
  ${CMAKE_CURRENT_LIST_DIR}/QBasicOptions.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QBasicOptions.h
  ${CMAKE_CURRENT_LIST_DIR}/QCursorOptions.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QCursorOptions.h
  ${CMAKE_CURRENT_LIST_DIR}/QIconListModel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QIconListModel.h
  ${CMAKE_CURRENT_LIST_DIR}/QKeyListenerLineEdit.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QKeyListenerLineEdit.h
  ${CMAKE_CURRENT_LIST_DIR}/QOptionsMainDlg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QOptionsMainDlg.h
  ${CMAKE_CURRENT_LIST_DIR}/QTimeOptions.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QTimeOptions.h
  ${CMAKE_CURRENT_LIST_DIR}/QWatermarkDlg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QWatermarkDlg.h
  ${CMAKE_CURRENT_LIST_DIR}/SmallDialogs.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SmallDialogs.h
)
