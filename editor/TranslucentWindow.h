// Translucent top-level windows of the editor (crop and watermark frames, wait dialog,
// toast) need a compositing manager to blend over what lies below. Without one the
// window is cut down to the pixels it paints, so that its see-through parts never
// cover the preview with black. GUI thread only.
#pragma once

class QWidget;

// True when a compositing manager runs on the display (always false off X11).
bool isCompositingAvailable();

// Without compositing: the window's mask becomes the pixels it paints with an alpha
// above 1 (a window that paints nothing keeps one pixel). With compositing: no mask.
void maskToPaintedArea(QWidget* window);
