# The settings holder, the editor's looks, the frame widgets (tab bar, button strip,
# wait dialog, toast), the preview pane, the trim slider and tab, the transport bar,
# the adjust tab and the snapshot settings.
target_sources(calvorine_editor PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/EditorStyle.h
  ${CMAKE_CURRENT_LIST_DIR}/EditorStyle.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QVideoEditingSettings.h
  ${CMAKE_CURRENT_LIST_DIR}/QVideoEditingSettings.cpp
)
