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
