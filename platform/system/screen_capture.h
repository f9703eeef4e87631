// Grabs a rectangle of the screen (the root window of $DISPLAY) into 32-bit frames.
// Shared memory (MIT-SHM) is used when the server offers it; a plain image request,
// some ten times slower for a full screen, is the fallback.
//
// One object belongs to one thread at a time; it keeps a display connection of its own,
// so it never shares a connection with the GUI toolkit.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace calvorine::platform {

// The size of the screen in physical pixels; false when no display can be opened.
bool screenSize(int& width, int& height);

// A logical coordinate or length in physical pixels: floor(scale x value + 0.1).
int toPhysicalPixels(double scaleFactor, int logical);

class ScreenCapture {
public:
    ScreenCapture();
    ~ScreenCapture();
    ScreenCapture(const ScreenCapture&) = delete;
    ScreenCapture& operator=(const ScreenCapture&) = delete;

    // Prepares the capture of the rectangle given in logical pixels. The rectangle is
    // read from the screen at its physical size (each value through toPhysicalPixels)
    // and scaled to the logical size; the part of it that lies outside the screen stays
    // black. Returns false (see lastError) without a display, for an empty size, or
    // when the rectangle does not touch the screen. Closes an earlier capture first.
    bool open(int x, int y, int width, int height, double scaleFactor);

    // Frees the shared memory and the display connection. Also done by the destructor.
    void close();

    bool isOpen() const;

    // Takes a fresh picture of the rectangle. Returns its pixels (B, G, R and an unused
    // byte per pixel, rows top-down, bytesPerLine() apart), owned by this object and valid
    // until the next grab or close; the caller may draw into them meanwhile. Null on
    // failure.
    uint8_t* grab();

    int width() const;        // logical width of every frame
    int height() const;       // logical height of every frame
    int bytesPerLine() const; // of the frames returned by grab
    bool usesSharedMemory() const;
    // Off: the next open uses plain image requests even where shared memory works
    // (to compare the two). On by default.
    void setSharedMemoryAllowed(bool allowed);
    std::string lastError() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace calvorine::platform
