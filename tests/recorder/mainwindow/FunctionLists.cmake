# Run with cmake -P: a test binary split over two ctest entries runs only the functions
# named in their two lists, so a function that is in neither list never runs, and one in
# both runs twice. Fails when a test function of BINARY is in no list or in both, or when
# a list names a function the binary does not have.
#
#   cmake -DBINARY=<test binary> -DFIRST=a,b,... -DSECOND=c,d,... -P FunctionLists.cmake
foreach(_given BINARY FIRST SECOND)
  if(NOT DEFINED ${_given})
    message(FATAL_ERROR "${_given} is not given")
  endif()
endforeach()
string(REPLACE "," ";" _first "${FIRST}")
string(REPLACE "," ";" _second "${SECOND}")

# Qt Test lists its test functions, one "name()" a line (data functions, init and cleanup
# left out); a widget test needs a platform for its application object.
set(ENV{QT_QPA_PLATFORM} offscreen)
execute_process(COMMAND ${BINARY} -functions RESULT_VARIABLE _status OUTPUT_VARIABLE _out ERROR_VARIABLE _err
  TIMEOUT 60)
if(NOT _status EQUAL 0)
  message(FATAL_ERROR "${BINARY} -functions ended with ${_status}: ${_err}")
endif()
string(REGEX MATCHALL "[A-Za-z_][A-Za-z0-9_]*\\(\\)" _signatures "${_out}")
set(_functions "")
foreach(_signature ${_signatures})
  string(REPLACE "()" "" _name "${_signature}")
  list(APPEND _functions ${_name})
endforeach()
list(LENGTH _functions _count)
if(_count EQUAL 0)
  message(FATAL_ERROR "${BINARY} -functions listed no test function: ${_out}")
endif()

set(_wrong "")
foreach(_name ${_functions})
  list(FIND _first ${_name} _inFirst)
  list(FIND _second ${_name} _inSecond)
  if(_inFirst LESS 0 AND _inSecond LESS 0)
    list(APPEND _wrong "${_name} is in neither list: it never runs")
  elseif(_inFirst GREATER_EQUAL 0 AND _inSecond GREATER_EQUAL 0)
    list(APPEND _wrong "${_name} is in both lists: it runs twice")
  endif()
endforeach()
foreach(_name ${_first} ${_second})
  list(FIND _functions ${_name} _known)
  if(_known LESS 0)
    list(APPEND _wrong "${_name} is listed but is no test function of the binary")
  endif()
endforeach()
get_filename_component(_binaryName ${BINARY} NAME)
if(_wrong)
  list(REMOVE_DUPLICATES _wrong)
  string(REPLACE ";" "\n  " _text "${_wrong}")
  message(FATAL_ERROR "${_binaryName}: the function lists in tests/recorder/mainwindow.cmake do not match its "
    "test functions:\n  ${_text}")
endif()
message(STATUS "${_binaryName}: ${_count} test functions, each in one list")
