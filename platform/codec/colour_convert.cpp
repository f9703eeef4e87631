#include "colour_convert.h"

#include <libyuv/convert_from_argb.h>

namespace calvorine::codec {

bool convertBgraToYuv420(const uint8_t* bgra, int bytesPerLine, int width, int height, uint8_t* const planes[3],
                         const int lineSizes[3]) {
    if (!bgra || width <= 0 || height <= 0 || bytesPerLine < width * 4 || !planes[0] || !planes[1] || !planes[2])
        return false;
    // libyuv's "ARGB" is a little-endian word: B, G, R, A in memory, as pushed here.
    return libyuv::ARGBToI420(bgra, bytesPerLine, planes[0], lineSizes[0], planes[1], lineSizes[1], planes[2],
                              lineSizes[2], width, height) == 0;
}

} // namespace calvorine::codec
