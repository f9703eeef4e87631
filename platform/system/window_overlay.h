// What full-screen overlay windows need of X11 beyond what the toolkit gives: the parts
// of a window that take the mouse (input region), the parts that are drawn at all
// (bounding region, for desktops without a compositor), and the window manager's
// keep-above state of a mapped window, and where the X server has a window now.
// The connection is the application's own xcb connection (Qt: QX11Info::connection()),
// so these requests follow the requests that created the window. GUI thread only.
#pragma once

#include "region_rect.h"

#include <cstdint>
#include <vector>

namespace calvorine::platform {

// Only the rectangles (window coordinates, physical pixels) take pointer input; the rest
// of the window lets clicks through to whatever lies below. An empty list makes the
// whole window click-through. False without a connection, window or XFixes 2.
bool setWindowInputRegion(void* xcbConnection, uint32_t window, const std::vector<RegionRect>& rects);
// The whole window takes input again.
bool resetWindowInputRegion(void* xcbConnection, uint32_t window);

// Only the rectangles are part of the window on screen; elsewhere the windows below show.
bool setWindowBoundingRegion(void* xcbConnection, uint32_t window, const std::vector<RegionRect>& rects);
// The window is its whole rectangle again.
bool resetWindowBoundingRegion(void* xcbConnection, uint32_t window);

// Asks the window manager to keep the (mapped) top-level window above the others, or to
// stop doing so (_NET_WM_STATE_ABOVE by a client message to the root). False without a
// connection or window.
bool setWindowKeepAbove(void* xcbConnection, uint32_t window, bool above);
// Whether the window manager keeps the window above the others now (_NET_WM_STATE holds
// _NET_WM_STATE_ABOVE). A request of setWindowKeepAbove shows here only once the window
// manager has acted on it. False without a connection or window, or when unmapped (the
// window manager drops the state of a withdrawn window).
bool isWindowKeptAbove(void* xcbConnection, uint32_t window);

// Where the X server has the window's top-left corner now, in root coordinates (physical
// pixels), asked in a round trip. The toolkit's own idea can lag behind or miss a move
// by the window manager of a reparented frameless window; this does not. False (x and y
// untouched) without a connection or window, or when the window is gone.
bool windowRootPosition(void* xcbConnection, uint32_t window, int* x, int* y);

// Puts the unmanaged (override-redirect) `window` directly below the top-level window
// that holds `reference` on the root (its window manager frame, or itself), so that the
// reference and every window the window manager raises later lie above it. False
// without a connection or windows, or when the reference is not on the root's screen.
bool stackWindowBelow(void* xcbConnection, uint32_t window, uint32_t reference);

// Whether the xcb event (xcb_generic_event_t*) is a mouse button press, as the core
// protocol or the XInput 2 extension (what the toolkit asks for when the server has it)
// delivers it; then *window is the window it happened in and *button the button (1 left,
// 2 middle, 3 right). The connection is the one the event came from.
bool readButtonPress(void* xcbConnection, const void* xcbGenericEvent, uint32_t* window, int* button);

} // namespace calvorine::platform
