#include "editor/EditorAlpha.h"

#include <algorithm>

int fractionToAlpha(double fraction) {
    return static_cast<int>(std::clamp(fraction, 0.0, 1.0) * 255 + 0.5);
}
