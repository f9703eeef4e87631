// Finds the window under a point of the screen, the way the area picker snaps to it:
// the topmost visible top-level window holding the point, then, inside it, the topmost
// visible child holding it, and so on down. Windows of this process, hidden or minimised
// ones, the excluded window and windows whose on-screen part is under 50 x 50 pixels are
// passed over. Uses its own display connection, opened on first use. Thread-safe.
#pragma once

#include "region_rect.h"

#include <cstdint>

namespace calvorine::platform {

// The native window the finder never returns (the picker's own); 0 excludes none.
void setExcludedWindow(uint64_t window);
uint64_t excludedWindow();

// The window under the logical point (x, y), as a rectangle in logical pixels: the
// physical screen divided by `scaleFactor` (values of 0 or less count as 1). A managed
// window's rectangle includes its window-manager frame. Empty when no window qualifies
// or there is no display. `foundWindow`, when given, receives the native window (0 for
// none).
RegionRect findWindowAt(int x, int y, double scaleFactor, uint64_t* foundWindow = nullptr);

} // namespace calvorine::platform
