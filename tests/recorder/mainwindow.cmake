# Tests of the main window: its rules without a desktop, and the program driven as a user
# would on the virtual desktop.
set(_mainwindow_dir ${CMAKE_CURRENT_LIST_DIR}/mainwindow)
calvorine_add_test(tst_mainwindow_rules SOURCES ${_mainwindow_dir}/tst_mainwindow_rules.cpp
  LIBS calvorine_recorder OFFSCREEN)
# The journey runs as two ctest entries of one binary, each with its own half of the test
# functions: Qt Test's time limit (300 s) does not always start again at each function, so
# one run of them all (some 340 s) could be stopped in whichever function was running then.
set(_journey_first startShowsTheMainWindow recordWithoutAreaTellsTheUser recordsAPickedArea recordsAudioOnly
  occupiedHotkeyIsReported trayHidesAndRestores stopAfterFromTheTimePage scheduledRecording cutWhilePausedRuns
  unwritableFolderFailsTheStart fullDiskEndsTheRecording toolbarNoticeComesBeforeTheStart)
set(_journey_second secondStartRaisesTheFirst closeFollowsTheStoredChoice closeDialogAsks areaModeKeepsWindowsAbove
  unsavedHistoryIsTold unsavedCloseChoiceIsTold unsavedHotkeyDefaultsAreTold unsavedOptionsAreTold trayQuitStoresNothing
  pickModeIgnoresTheStartHotkey oddAreaRecordsItsOwnPixels
  pickSmallerThanTheFrameRecordsTheFrame scheduledFullScreenWaitsForNoBox)
calvorine_add_test(tst_recorder_journey SOURCES ${_mainwindow_dir}/tst_recorder_journey.cpp ${_mainwindow_dir}/JourneyDriver.h
  ${PROJECT_SOURCE_DIR}/tests/support/PrivateUserFolders.h LIBS Qt5::Xml Qt5::Widgets LOCKS desktop audio TIMEOUT 600
  ARGS ${_journey_first})
add_test(NAME tst_recorder_journey_rest COMMAND tst_recorder_journey ${_journey_second})
get_test_property(tst_recorder_journey ENVIRONMENT _journey_env)
set_tests_properties(tst_recorder_journey_rest PROPERTIES ENVIRONMENT "${_journey_env}" TIMEOUT 600
  RESOURCE_LOCK "desktop;audio")
target_include_directories(tst_recorder_journey PRIVATE ${PROJECT_SOURCE_DIR} ${_mainwindow_dir})
target_compile_definitions(tst_recorder_journey PRIVATE CALVORINE_TEST_OUTPUT_DIR="${CMAKE_BINARY_DIR}/test-output")
add_dependencies(tst_recorder_journey calvorine calvorine_images calvorine_resources)
add_dependencies(tst_recorder_journey hotkey_holder)
# The same for the told test (some 130 s quiet, over 230 s on a loaded machine). A new test
# function of either binary goes into one of its two lists, or it does not run.
set(_told_first startUpBoxIsCentred areaShadeLeavesTheWindowsBright trayQuitDuringRecordingTellsWhatWasNotSaved
  signalEndsWithoutBoxes recordingThatDoesNotPlayIsTold screenshotThatCannotBeSavedIsToldOnce
  outputFolderThatCannotBeWrittenIsNamed)
set(_told_second damagedHistoryKeepsItsWholeEntries damagedSettingsKeepTheirReadableValues
  soundServerKilledDuringARecordingIsToldAndTakenUpAgain noBoxComesOverARunningRecording
  signalDuringTheCountdownStartsNothing optionsPanelStaysOnTheScreen)
calvorine_add_test(tst_recorder_told SOURCES ${_mainwindow_dir}/tst_recorder_told.cpp ${_mainwindow_dir}/JourneyDriver.h
  LIBS Qt5::Xml Qt5::Widgets LOCKS desktop audio TIMEOUT 300 ARGS ${_told_first})
add_test(NAME tst_recorder_told_rest COMMAND tst_recorder_told ${_told_second})
get_test_property(tst_recorder_told ENVIRONMENT _told_env)
set_tests_properties(tst_recorder_told_rest PROPERTIES ENVIRONMENT "${_told_env}" TIMEOUT 300
  RESOURCE_LOCK "desktop;audio")
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
# Each test function of the journey and told tests is in exactly one of its two lists.
foreach(_split journey told)
  list(JOIN _${_split}_first "," _first)
  list(JOIN _${_split}_second "," _second)
  add_test(NAME tst_recorder_${_split}_lists COMMAND ${CMAKE_COMMAND} -DBINARY=$<TARGET_FILE:tst_recorder_${_split}>
    -DFIRST=${_first} -DSECOND=${_second} -P ${_mainwindow_dir}/FunctionLists.cmake)
endforeach()
