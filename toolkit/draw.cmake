# Window bases, image painting helpers, buttons, image-framed edits, check and radio
# boxes, progress bar and slider, busy spinner, message boxes and style helpers.
target_sources(calvorine_toolkit PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ImagePainting.h
  ${CMAKE_CURRENT_LIST_DIR}/ImagePainting.cpp
  ${CMAKE_CURRENT_LIST_DIR}/StyleHelpers.h
  ${CMAKE_CURRENT_LIST_DIR}/StyleHelpers.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QRZButton.h
  ${CMAKE_CURRENT_LIST_DIR}/QRZButton.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QBaseDrawWidget.h
  ${CMAKE_CURRENT_LIST_DIR}/QBaseDrawWidget.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QRZDialog.h
  ${CMAKE_CURRENT_LIST_DIR}/QRZWidget.h
  ${CMAKE_CURRENT_LIST_DIR}/QRZMainWindow.h
  ${CMAKE_CURRENT_LIST_DIR}/QRZWindowBases.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QRZBaseRectImageDraw.h
  ${CMAKE_CURRENT_LIST_DIR}/QRZBaseRectImageDraw.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QRZCheckBox.h
  ${CMAKE_CURRENT_LIST_DIR}/QRZRadioButton.h
  ${CMAKE_CURRENT_LIST_DIR}/QRZCheckBox.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QRZBaseProgress.h
  ${CMAKE_CURRENT_LIST_DIR}/QRZBaseProgress.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QProgressIndicator.h
  ${CMAKE_CURRENT_LIST_DIR}/QProgressIndicator.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QRZLineEdit.h
  ${CMAKE_CURRENT_LIST_DIR}/QRZLineEdit.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QRZTextEdit.h
  ${CMAKE_CURRENT_LIST_DIR}/QRZTextEdit.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QRZSpinBox.h
  ${CMAKE_CURRENT_LIST_DIR}/QRZSpinBox.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QRZAppInfo.h
  ${CMAKE_CURRENT_LIST_DIR}/QRZAppInfo.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QRZMessageBox.h
  ${CMAKE_CURRENT_LIST_DIR}/QRZMessageBox.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QRZMessageDlg.h
  ${CMAKE_CURRENT_LIST_DIR}/QRZMessageDlg.cpp
)
