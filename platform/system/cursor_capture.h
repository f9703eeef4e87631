// The mouse pointer as a recording shows it: the current cursor image with its hotspot
// (through the XFixes extension, which hands out every cursor, monochrome ones
// included, as 32-bit ARGB) and the pointer's position and left-button state.
//
// One object belongs to one thread at a time; it keeps a display connection of its own.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace calvorine::platform {

struct CursorImage {
    int width = 0;
    int height = 0;
    // The pixel of the image that points: the image is drawn with this pixel on the
    // pointer position.
    int hotspotX = 0;
    int hotspotY = 0;
    // The pointer position on the screen, physical pixels.
    int x = 0;
    int y = 0;
    // Premultiplied ARGB, one 32-bit value per pixel, rows top-down, width x height.
    std::vector<uint32_t> pixels;
    // Changes whenever the cursor image changes; lets a caller keep its converted copy.
    uint32_t serial = 0;
};

struct PointerState {
    int x = 0; // physical pixels on the screen
    int y = 0;
    bool leftButtonDown = false;
};

class CursorCapture {
public:
    CursorCapture();
    ~CursorCapture();
    CursorCapture(const CursorCapture&) = delete;
    CursorCapture& operator=(const CursorCapture&) = delete;

    // Connects to $DISPLAY (done by the first call that needs it when not called).
    bool open();
    void close();

    // The current cursor; false without a display or XFixes, or when the pointer is
    // hidden (an empty image).
    bool currentCursor(CursorImage& cursor);

    // Position and left button; false without a display.
    bool queryPointer(PointerState& state);

    std::string lastError() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace calvorine::platform
