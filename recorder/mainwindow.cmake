# The main window with its recording control, tray icon and menus.
target_sources(calvorine_recorder PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/MainWindow.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MainWindow.h
  ${CMAKE_CURRENT_LIST_DIR}/MainWindowParts.h
  ${CMAKE_CURRENT_LIST_DIR}/MainWindowRecording.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MainWindowRules.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MainWindowRules.h
  ${CMAKE_CURRENT_LIST_DIR}/MainWindowTray.cpp
)
target_link_libraries(calvorine_recorder PUBLIC calvorine_updater calvorine_system Qt5::X11Extras)
# Parts of the window still being built, used once their headers are in the tree.
foreach(_part AREA_PANEL:SelectRecordAreaWgt.h AREA_FRAME:QRecordCropDlg.h INPUT_PANEL:SelectRecordInputWgt.h
              TOOLBAR:QRecordingToolbarWgt.h COUNTDOWN:QReciprocalDlg.h)
  string(REPLACE ":" ";" _pair ${_part})
  list(GET _pair 0 _name)
  list(GET _pair 1 _header)
  if(EXISTS ${CMAKE_CURRENT_LIST_DIR}/${_header})
    target_compile_definitions(calvorine_recorder PRIVATE MAINWINDOW_HAS_${_name}=1)
  endif()
endforeach()
