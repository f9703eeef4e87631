# Overlay windows of the area picker and the main window: the window finder (Xlib), input
# and bounding regions and keep-above (xcb with XFixes; linked by system.cmake).
target_sources(calvorine_system PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/region_rect.h ${CMAKE_CURRENT_LIST_DIR}/x11_helpers.h
  ${CMAKE_CURRENT_LIST_DIR}/window_finder.cpp ${CMAKE_CURRENT_LIST_DIR}/window_finder.h
  ${CMAKE_CURRENT_LIST_DIR}/window_overlay.cpp ${CMAKE_CURRENT_LIST_DIR}/window_overlay.h)
