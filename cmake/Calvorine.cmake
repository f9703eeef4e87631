# Helpers shared by every folder of the project.

# add_subdirectory for each folder named; a folder without a CMakeLists.txt is an error.
macro(calvorine_add_folders)
  foreach(folder ${ARGN})
    if(NOT EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/CMakeLists.txt)
      message(FATAL_ERROR "The folder ${CMAKE_CURRENT_SOURCE_DIR}/${folder} is listed but has no CMakeLists.txt")
    endif()
    add_subdirectory(${folder})
  endforeach()
endmacro()

# Warnings as errors on our own targets.
function(calvorine_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()

# calvorine_add_test(name
#   SOURCES a.cpp b.cpp        test sources (Qt Test or a plain main returning non-zero on failure)
#   LIBS    lib1 lib2          what it links besides Qt5::Test
#   [OFFSCREEN]                run on Qt's offscreen platform instead of the virtual desktop
#   [LOCKS desktop audio ...]  resources the test must not share with a concurrent test;
#                              "realtime" for tests that measure time, sound or frames
#   [LABELS ...] [TIMEOUT s])
# Every test may use CALVORINE_SOURCE_DIR (the source tree) and CALVORINE_APP_DIR
# (the application directory) from its environment; it makes its own files in a
# temporary folder and removes them.
function(calvorine_add_test name)
  cmake_parse_arguments(T "OFFSCREEN" "TIMEOUT" "SOURCES;LIBS;LOCKS;LABELS;ARGS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  set_target_properties(${name} PROPERTIES AUTOMOC ON)
  target_link_libraries(${name} PRIVATE Qt5::Test ${T_LIBS})
  calvorine_warnings(${name})
  add_test(NAME ${name} COMMAND ${name} ${T_ARGS})
  set(env "CALVORINE_SOURCE_DIR=${PROJECT_SOURCE_DIR}" "CALVORINE_APP_DIR=${CALVORINE_APP_DIR}")
  if(T_OFFSCREEN)
    list(APPEND env "QT_QPA_PLATFORM=offscreen")
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "${env}" TIMEOUT ${T_TIMEOUT})
  if(T_LOCKS)
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK "${T_LOCKS}")
  endif()
  if(T_LABELS)
    set_tests_properties(${name} PROPERTIES LABELS "${T_LABELS}")
  endif()
endfunction()

# calvorine_add_fuzzer(name SOURCES ... LIBS ... [RUNS n])
# Built only in the clang fuzz build (CALVORINE_FUZZ); runs a fixed number of
# inputs from an empty corpus under ctest, label "fuzz".
function(calvorine_add_fuzzer name)
  if(NOT CALVORINE_FUZZ)
    return()
  endif()
  cmake_parse_arguments(F "" "RUNS" "SOURCES;LIBS" ${ARGN})
  if(NOT F_RUNS)
    set(F_RUNS 200000)
  endif()
  add_executable(${name} ${F_SOURCES})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_libraries(${name} PRIVATE ${F_LIBS})
  add_test(NAME ${name} COMMAND ${name} -runs=${F_RUNS} -max_len=65536 -rss_limit_mb=2048)
  set_tests_properties(${name} PROPERTIES LABELS fuzz TIMEOUT 600)
  add_dependencies(fuzzers ${name})
endfunction()

# Includes every *.cmake file of the current folder, in name order. A folder shared by
# several engineers keeps each one's sources in a file of its own
# (target_sources(<target> PRIVATE ...)), so that nobody edits another's list.
macro(calvorine_include_lists)
  file(GLOB _calvorine_lists CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cmake)
  list(SORT _calvorine_lists)
  foreach(_list ${_calvorine_lists})
    include(${_list})
  endforeach()
endmacro()

# Links the targets named; one that is not defined before this point is an error.
function(calvorine_link_existing target visibility)
  foreach(dep ${ARGN})
    if(NOT TARGET ${dep})
      message(FATAL_ERROR "${target} links ${dep}, which is not defined (yet): check the folder order")
    endif()
    target_link_libraries(${target} ${visibility} ${dep})
  endforeach()
endfunction()
