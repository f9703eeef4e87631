// A rectangle of screen or window pixels by its corners, as the window helpers of this
// folder take and give them.
#pragma once

namespace calvorine::platform {

// Both corners inclusive; x2 < x1 or y2 < y1 is empty (the default is 0,0,-1,-1).
struct RegionRect {
    int x1 = 0;
    int y1 = 0;
    int x2 = -1;
    int y2 = -1;
    bool isEmpty() const { return x2 < x1 || y2 < y1; }
    int width() const { return x2 - x1 + 1; }
    int height() const { return y2 - y1 + 1; }
};

} // namespace calvorine::platform
