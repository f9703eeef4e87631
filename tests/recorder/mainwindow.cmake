# Tests of the main window: its rules without a desktop, and the program driven as a user
# would on the virtual desktop.
set(_mainwindow_dir ${CMAKE_CURRENT_LIST_DIR}/mainwindow)
calvorine_add_test(tst_mainwindow_rules SOURCES ${_mainwindow_dir}/tst_mainwindow_rules.cpp
  LIBS calvorine_recorder OFFSCREEN)
calvorine_add_test(tst_recorder_journey SOURCES ${_mainwindow_dir}/tst_recorder_journey.cpp ${_mainwindow_dir}/JourneyDriver.h
  ${PROJECT_SOURCE_DIR}/tests/support/PrivateUserFolders.h LIBS Qt5::Xml Qt5::Widgets LOCKS desktop audio TIMEOUT 600)
target_include_directories(tst_recorder_journey PRIVATE ${PROJECT_SOURCE_DIR} ${_mainwindow_dir})
target_compile_definitions(tst_recorder_journey PRIVATE CALVORINE_TEST_OUTPUT_DIR="${CMAKE_BINARY_DIR}/test-output")
add_dependencies(tst_recorder_journey calvorine calvorine_images calvorine_resources)
add_dependencies(tst_recorder_journey hotkey_holder)
calvorine_add_test(tst_recorder_told SOURCES ${_mainwindow_dir}/tst_recorder_told.cpp ${_mainwindow_dir}/JourneyDriver.h
  LIBS Qt5::Xml Qt5::Widgets LOCKS desktop audio TIMEOUT 300)
target_include_directories(tst_recorder_told PRIVATE ${PROJECT_SOURCE_DIR} ${_mainwindow_dir})
target_compile_definitions(tst_recorder_told PRIVATE CALVORINE_TEST_OUTPUT_DIR="${CMAKE_BINARY_DIR}/test-output")
add_dependencies(tst_recorder_told calvorine calvorine_images calvorine_resources)
# Seeded random input for about two minutes; scripts/soak.sh runs it longer. Qt Test's
# own limit on one test function is raised to what ctest allows.
calvorine_add_test(tst_recorder_random SOURCES ${_mainwindow_dir}/tst_recorder_random.cpp ${_mainwindow_dir}/JourneyDriver.h
  LIBS Qt5::Xml Qt5::Widgets LOCKS desktop audio TIMEOUT 600)
target_include_directories(tst_recorder_random PRIVATE ${PROJECT_SOURCE_DIR} ${_mainwindow_dir})
target_compile_definitions(tst_recorder_random PRIVATE CALVORINE_TEST_OUTPUT_DIR="${CMAKE_BINARY_DIR}/test-output")
add_dependencies(tst_recorder_random calvorine calvorine_images calvorine_resources)
set_property(TEST tst_recorder_random APPEND PROPERTY ENVIRONMENT "QTEST_FUNCTION_TIMEOUT=570000")
