// Transparency set by dragging: a slider fraction as an alpha 0..255. Typed and shown
// percentages go through alphaFromPercent and percentFromAlpha (app/Utilities.h).
#pragma once

// A slider fraction 0..1: fraction x 255 + 0.5, truncated.
int fractionToAlpha(double fraction);
