# The application core's part of calvorine_system: hotkey grabs, the window list, version
# texts, the display scale factor and the owners of the single-instance guard's objects
# (X11 and xcb are linked by system.cmake).
target_sources(calvorine_system PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/display_scale.cpp ${CMAKE_CURRENT_LIST_DIR}/display_scale.h
  ${CMAKE_CURRENT_LIST_DIR}/hotkey_grab.cpp ${CMAKE_CURRENT_LIST_DIR}/hotkey_grab.h
  ${CMAKE_CURRENT_LIST_DIR}/ipc_owner.cpp ${CMAKE_CURRENT_LIST_DIR}/ipc_owner.h
  ${CMAKE_CURRENT_LIST_DIR}/os_version.cpp ${CMAKE_CURRENT_LIST_DIR}/os_version.h
  ${CMAKE_CURRENT_LIST_DIR}/window_list.cpp ${CMAKE_CURRENT_LIST_DIR}/window_list.h)
