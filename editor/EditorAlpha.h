// Transparency as the editor shows it: an alpha 0..255 seen as a whole percentage.
#pragma once

// alpha / 2.55, truncated.
int alphaToPercent(int alpha);
// A typed percentage, clamped to 0..100, times 2.55, truncated.
int percentToAlpha(int percent);
// A slider fraction 0..1: fraction x 255 + 0.5, truncated.
int fractionToAlpha(double fraction);
