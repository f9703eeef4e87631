# Libraries behind calvorine_system: X11 (XShm capture, XFixes cursor, the window list),
# xcb (key grabs), PulseAudio (sound capture).
pkg_check_modules(SYSTEM_DEPS REQUIRED IMPORTED_TARGET
  x11 xext xfixes x11-xcb xcb xcb-keysyms xcb-shm xcb-xfixes libpulse)
target_link_libraries(calvorine_system PRIVATE PkgConfig::SYSTEM_DEPS)
