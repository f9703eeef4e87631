# The output-format chooser: tile list pieces, custom settings panel and the dialog.
target_sources(calvorine_recorder PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/FormatList.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FormatList.h
  ${CMAKE_CURRENT_LIST_DIR}/QFormatDlg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QFormatDlg.h
  ${CMAKE_CURRENT_LIST_DIR}/QFormatSettingDlg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QFormatSettingDlg.h
)
