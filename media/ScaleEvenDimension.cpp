#include "media/ScaleEvenDimension.h"

#include <cmath>
#include <cstdint>

unsigned scaleEvenDimension(double factor, unsigned size) {
    factor = factor < 0.0 ? 0.0 : (factor > 1.0 ? 1.0 : factor);
    const auto scale = uint64_t(std::lround(factor * 65536.0));
    const uint64_t product = uint64_t(size) * scale;
    if (scale == 65536 || product > 0xffffffffu)
        return size;
    const uint64_t even = ((product / 65536) + 1) & ~uint64_t(1);
    return even < size ? unsigned(even) : size;
}
