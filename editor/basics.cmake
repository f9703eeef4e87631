# The settings holder, the editor's looks, the frame widgets (tab bar, button strip,
# wait dialog, toast), the preview pane, the trim slider and tab, the transport bar,
# the adjust tab and the snapshot settings.
target_sources(calvorine_editor PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/EditorStyle.h
  ${CMAKE_CURRENT_LIST_DIR}/EditorStyle.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QVideoEditingSettings.h
  ${CMAKE_CURRENT_LIST_DIR}/QVideoEditingSettings.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TranslucentWindow.h
  ${CMAKE_CURRENT_LIST_DIR}/TranslucentWindow.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QVideoEditTag.h
  ${CMAKE_CURRENT_LIST_DIR}/QVideoEditTag.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QCommonButtonForm.h
  ${CMAKE_CURRENT_LIST_DIR}/QCommonButtonForm.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QWaitForDlg.h
  ${CMAKE_CURRENT_LIST_DIR}/QWaitForDlg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QMessageOpacityForm.h
  ${CMAKE_CURRENT_LIST_DIR}/QMessageOpacityForm.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QMediaBorderFrame.h
  ${CMAKE_CURRENT_LIST_DIR}/QMediaBorderFrame.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QMediaForm.h
  ${CMAKE_CURRENT_LIST_DIR}/QMediaForm.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QVEDualSlider.h
  ${CMAKE_CURRENT_LIST_DIR}/QVEDualSlider.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QTrimOperationForm.h
  ${CMAKE_CURRENT_LIST_DIR}/QTrimOperationForm.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QPlayerOperationForm.h
  ${CMAKE_CURRENT_LIST_DIR}/QPlayerOperationForm.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QAdjustOperationForm.h
  ${CMAKE_CURRENT_LIST_DIR}/QAdjustOperationForm.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SnapshotSettings.h
  ${CMAKE_CURRENT_LIST_DIR}/SnapshotSettings.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QCaptureSettingDlg.h
  ${CMAKE_CURRENT_LIST_DIR}/QCaptureSettingDlg.cpp
)
