// Scaling a picture dimension by a factor to an even size, for crop rectangles dragged
// over the editor's preview.
#pragma once

// The factor is clamped to 0..1. Returns size itself for a factor of 1 (or when the
// product would not fit 32 bits); otherwise size x factor truncated, plus 1, with the
// lowest bit cleared, or size when that is not below size.
unsigned scaleEvenDimension(double factor, unsigned size);
