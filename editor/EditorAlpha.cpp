#include "editor/EditorAlpha.h"

#include <algorithm>

// Whole-number forms of "/ 2.55" and "x 2.55": in floating point 100 x 2.55 lands just
// below 255 and would truncate to 254.
int alphaToPercent(int alpha) {
    return alpha * 100 / 255;
}

int percentToAlpha(int percent) {
    return std::clamp(percent, 0, 100) * 255 / 100;
}

int fractionToAlpha(double fraction) {
    return static_cast<int>(std::clamp(fraction, 0.0, 1.0) * 255 + 0.5);
}
