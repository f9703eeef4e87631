// The X11 window list: finding a top-level window by its title and bringing it forward.
// Each call opens its own connection to the display named by $DISPLAY. Thread-safe.
#pragma once

#include <cstdint>
#include <string>

namespace calvorine::platform {

// The first top-level (managed) window whose title (_NET_WM_NAME, else WM_NAME) equals
// `title` exactly, in the window manager's list (_NET_CLIENT_LIST), else among the root's
// children and their direct children. 0 when none or when there is no display.
uint64_t findTopLevelWindowByTitle(const std::string& title);

// Restores the window when it is minimised and makes it the active window
// (_NET_ACTIVE_WINDOW through the window manager; without one, map, raise and focus).
// False when there is no display or no such window.
bool raiseAndActivateWindow(uint64_t window);

// The active window (_NET_ACTIVE_WINDOW), 0 when unknown. For tests and diagnostics.
uint64_t activeWindow();

// True when the window is minimised (_NET_WM_STATE_HIDDEN or WM_STATE Iconic).
bool isWindowMinimised(uint64_t window);

} // namespace calvorine::platform
