// The size of a text watermark as the filters draw it, so that the frame the editor lays
// over the preview encloses what the picture shows. Internal to the codec library.
#pragma once

#include "filters.h"

namespace calvorine::codec {

// The box from the text's place to the last pixel the text changes (outline and shadow
// included) on a picture of the given size, in pixels: the text is drawn alone onto a
// plain picture and every pixel it changed is taken. Measurements are kept for the last
// text asked about. False when nothing could be drawn (no text, no picture, no font).
// Thread-safe.
bool drawnTextSize(const WatermarkEdit& mark, int pictureWidth, int pictureHeight, int* width, int* height);

} // namespace calvorine::codec
