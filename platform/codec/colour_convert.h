// The fast way from 32-bit screen pictures to the 4:2:0 planar form the video encoders
// take: BT.601 limited range, each chroma sample the average of its two by two pixels.
// Internal to the codec library.
#pragma once

#include <cstdint>

namespace calvorine::codec {

// Converts a width x height picture of B, G, R and an ignored byte per pixel into the
// Y, U and V planes (chroma planes (width + 1) / 2 by (height + 1) / 2: an odd last
// column or row is averaged on its own). False when the sizes cannot be converted.
bool convertBgraToYuv420(const uint8_t* bgra, int bytesPerLine, int width, int height, uint8_t* const planes[3],
                         const int lineSizes[3]);

} // namespace calvorine::codec
