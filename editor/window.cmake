# The editor window: loading, tab switching, OK and snapshots.
target_sources(calvorine_editor PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/QVideoEditingDlg.h
  ${CMAKE_CURRENT_LIST_DIR}/QVideoEditingDlg.cpp
)
