# The codec library's program side: the output-format record, the conversion
# parameters, the edit records and the library's start-up series.
target_sources(calvorine_media PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/CodecLibrary.cpp ${CMAKE_CURRENT_LIST_DIR}/CodecLibrary.h
  ${CMAKE_CURRENT_LIST_DIR}/ConvertParam.cpp ${CMAKE_CURRENT_LIST_DIR}/ConvertParam.h
  ${CMAKE_CURRENT_LIST_DIR}/OutputFormatSetting.h
  ${CMAKE_CURRENT_LIST_DIR}/ScaleEvenDimension.cpp ${CMAKE_CURRENT_LIST_DIR}/ScaleEvenDimension.h
  ${CMAKE_CURRENT_LIST_DIR}/VEEditConfig.cpp ${CMAKE_CURRENT_LIST_DIR}/VEEditConfig.h
)
