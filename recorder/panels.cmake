# Recorder panels: capture area and its frame, area picker, countdown, recording toolbar.
target_sources(calvorine_recorder PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/CaptureArea.h ${CMAKE_CURRENT_LIST_DIR}/CaptureArea.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SelectRecordAreaWgt.h ${CMAKE_CURRENT_LIST_DIR}/SelectRecordAreaWgt.cpp
  ${CMAKE_CURRENT_LIST_DIR}/WindowFinder.h ${CMAKE_CURRENT_LIST_DIR}/WindowFinder.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QTransparentWidget.h ${CMAKE_CURRENT_LIST_DIR}/QTransparentWidget.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QVariableSizeWgt.h ${CMAKE_CURRENT_LIST_DIR}/QVariableSizeWgt.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QRecordCropDlg.h ${CMAKE_CURRENT_LIST_DIR}/QRecordCropDlg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QReciprocalDlg.h ${CMAKE_CURRENT_LIST_DIR}/QReciprocalDlg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QRecordingToolbarWgt.h ${CMAKE_CURRENT_LIST_DIR}/QRecordingToolbarWgt.cpp
)
target_link_libraries(calvorine_recorder PRIVATE Qt5::X11Extras calvorine_system)
