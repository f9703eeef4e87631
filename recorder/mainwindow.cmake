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
# The audio-input panel is still being built: used once its header is in the tree.
if(EXISTS ${CMAKE_CURRENT_LIST_DIR}/SelectRecordInputWgt.h)
  target_compile_definitions(calvorine_recorder PRIVATE MAINWINDOW_HAS_INPUT_PANEL=1)
endif()
