# The effect, watermark, subtitle, audio and tags tabs, and the text style dialogs.
target_sources(calvorine_editor PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/EditorAlpha.cpp ${CMAKE_CURRENT_LIST_DIR}/EditorAlpha.h
  ${CMAKE_CURRENT_LIST_DIR}/EditorTabLayout.h
  ${CMAKE_CURRENT_LIST_DIR}/QAudioOperationForm.cpp ${CMAKE_CURRENT_LIST_DIR}/QAudioOperationForm.h
  ${CMAKE_CURRENT_LIST_DIR}/QAudioTagForm.cpp ${CMAKE_CURRENT_LIST_DIR}/QAudioTagForm.h
  ${CMAKE_CURRENT_LIST_DIR}/QEffectOperationForm.cpp ${CMAKE_CURRENT_LIST_DIR}/QEffectOperationForm.h
  ${CMAKE_CURRENT_LIST_DIR}/QSubtitleOperationForm.cpp ${CMAKE_CURRENT_LIST_DIR}/QSubtitleOperationForm.h
  ${CMAKE_CURRENT_LIST_DIR}/QTextStyleSettingDlg.cpp ${CMAKE_CURRENT_LIST_DIR}/QTextStyleSettingDlg.h
  ${CMAKE_CURRENT_LIST_DIR}/QWatermarkOperationForm.cpp ${CMAKE_CURRENT_LIST_DIR}/QWatermarkOperationForm.h)
