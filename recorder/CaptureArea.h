// Keeping the capture rectangle on the primary screen. A rectangle that reaches past the
// screen records black where it leaves it, so every place that sets the capture area
// (the area frame, the width and height edits, the main window's stored area) passes it
// through here. GUI thread only (asks the primary screen).
#pragma once

#include <QPair>
#include <QRect>
#include <QSize>

namespace capturearea {

// Smallest side the width and height edits accept, and the smallest frame side.
constexpr int kMinimumEditSide = 50;
constexpr int kMinimumFrameSide = 60;

enum class ScreenFit {
    MoveOrigin, // keep the size, move the origin back onto the screen
    ShrinkSize, // keep the origin and shrink the size; move the origin only when even the
                // minimum size does not fit behind it
};

// Logical size of the primary screen (1920 x 1080 on the virtual desktop).
QSize primaryScreenSize();

// One axis: the length is kept between `minimum` and the screen's length, then fitted as
// `fit` says; the origin ends between 0 and screen - length. Gives {origin, length}.
QPair<int, int> fitSpan(int origin, int length, int screenLength, int minimum, ScreenFit fit);

// Both axes of `rect` fitted on a screen of `screen` size.
QRect fitOnScreen(const QRect& rect, const QSize& screen, int minimumSide, ScreenFit fit);

} // namespace capturearea
