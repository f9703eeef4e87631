# Output formats: the property-list reader, the profile catalogue and the format-name tables.
# The reader (PlistReader, PlistDate) needs only boost and pugixml, so that the fuzz build
# can compile it alone.
find_package(Boost REQUIRED)
find_package(pugixml REQUIRED)
target_sources(calvorine_media PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/PlistDate.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PlistDate.h
  ${CMAKE_CURRENT_LIST_DIR}/PlistReader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PlistReader.h
  ${CMAKE_CURRENT_LIST_DIR}/CProfileManager.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CProfileManager.h
  ${CMAKE_CURRENT_LIST_DIR}/FormatTables.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FormatTables.h
)
target_link_libraries(calvorine_media PUBLIC Boost::headers PRIVATE pugixml::pugixml)
