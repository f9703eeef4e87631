# Each toolkit header compiles on its own, first in its file: a window includes only the
# controls it uses. One generated source per header, compiled with the test targets.
file(GLOB _toolkit_headers CONFIGURE_DEPENDS RELATIVE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/toolkit/*.h)
set(_toolkit_header_sources)
foreach(_header ${_toolkit_headers})
  string(MAKE_C_IDENTIFIER ${_header} _name)
  set(_source ${CMAKE_CURRENT_BINARY_DIR}/headers_alone/${_name}.cpp)
  file(CONFIGURE OUTPUT ${_source} CONTENT "#include \"${_header}\"\n")
  list(APPEND _toolkit_header_sources ${_source})
endforeach()
add_library(toolkit_headers_alone OBJECT ${_toolkit_header_sources})
target_link_libraries(toolkit_headers_alone PRIVATE calvorine_toolkit)
target_include_directories(toolkit_headers_alone PRIVATE ${PROJECT_SOURCE_DIR})
calvorine_warnings(toolkit_headers_alone)
