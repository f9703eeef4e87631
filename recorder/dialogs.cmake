# Preferences dialog and pages, schedule countdown and the toolbar notice.
target_sources(calvorine_recorder PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/QPreferencesDlg.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QPreferencesDlg.h
  ${CMAKE_CURRENT_LIST_DIR}/RecordingNotices.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RecordingNotices.h
)
