# Audio-input panel; it loads the audio-device library at run time, so building the
# recorder builds the library beside the program.
target_sources(calvorine_recorder PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/SelectRecordInputWgt.h ${CMAKE_CURRENT_LIST_DIR}/SelectRecordInputWgt.cpp)
if(TARGET calvorine_audiodev)
  add_dependencies(calvorine_recorder calvorine_audiodev)
endif()
