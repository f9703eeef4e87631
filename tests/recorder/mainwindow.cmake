# Tests of the main window: its rules without a desktop, and the program driven as a user
# would on the virtual desktop.
set(_mainwindow_dir ${CMAKE_CURRENT_LIST_DIR}/mainwindow)
calvorine_add_test(tst_mainwindow_rules SOURCES ${_mainwindow_dir}/tst_mainwindow_rules.cpp
  LIBS calvorine_recorder OFFSCREEN)
