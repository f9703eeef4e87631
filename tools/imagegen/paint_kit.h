// Shared drawing kit of the image generator: the palette of the dark flat look, state
// strips (normal, hover, pressed, disabled), two-state box images, nine-patch panels and
// a set of line glyphs drawn in a box with one ink colour. Every drawing module builds
// its images from these so that the whole program shares one look.
#pragma once

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QRectF>
#include <QSize>
#include <QString>

#include <functional>

#include "registry.h"

namespace imagegen {

namespace palette {
const QColor lightText(250, 237, 237);
const QColor dimText(131, 127, 127);
const QColor accent(217, 106, 114);
const QColor dimAccent(146, 98, 103);
const QColor dark1(54, 53, 53);
const QColor dark2(65, 64, 64);
const QColor dark3(74, 72, 72);
const QColor edge(91, 89, 89);
const QColor edgeLight(102, 101, 101);
const QColor deep(44, 43, 43);
const QColor white(255, 255, 255);
} // namespace palette

enum State { Normal = 0, Hover = 1, Pressed = 2, Disabled = 3 };

// Draws one glyph centred in `box` with the ink colour.
using Glyph = std::function<void(QPainter&, const QRectF& box, const QColor& ink)>;

// An empty, transparent ARGB image.
QImage blank(int width, int height);
QImage blank(const QSize& size);

// A painter with antialiasing and smooth transforms.
void prepare(QPainter& painter);

// A transparent square icon of `side` pixels holding the glyph, `inset` pixels in from
// every edge.
QImage glyphIcon(int side, const Glyph& glyph, const QColor& ink, double inset = 0.0);

// Ink of a glyph on a flat icon button in each state.
QColor iconInk(int state);

// Background looks of a state frame.
enum class Look {
    Flat,   // transparent; soft highlight on hover, accent tint when pressed
    Filled, // rounded dark button with a border (text buttons)
    Accent, // accent-filled round button (record, primary actions)
    Close,  // flat; accent fill behind the glyph on hover and press
    Tab,    // tab: flat, accent underline when pressed or checked
    Round,  // dark disc with a border
};

void paintLook(QPainter& painter, const QRectF& frame, Look look, int state, double radius);

// A strip of four frames of `frame` size: the look, then the glyph in the state's ink
// inside the frame shrunk by `glyphInset` on every side.
QImage stateStrip(const QSize& frame, Look look, const Glyph& glyph, double glyphInset = 4.0, double radius = 4.0);

// A strip of the glyph alone in each state's ink, no background.
QImage glyphStrip(const QSize& frame, const Glyph& glyph, double glyphInset = 0.0);

// A strip whose frames are drawn entirely by `drawFrame`.
QImage customStrip(const QSize& frame, const std::function<void(QPainter&, const QRectF&, int state)>& drawFrame);

// Nine-patch panel: rounded rectangle filled with `fill`, optional title band of another
// colour and a 1-pixel border.
QImage panel(const QSize& size, double radius, const QColor& fill, const QColor& border, int titleBand = 0,
             const QColor& titleFill = QColor());

// Check and radio box images.
QImage checkBox(int side, bool checked);
QImage radioBox(int side, bool checked);

// Horizontal or vertical slider parts.
QImage sliderGroove(const QSize& size, const QColor& color);
QImage sliderHandleStrip(int side);

// Square strip of the "add a picture" button (dashed well, picture and plus).
QImage addPictureTile(int side);

// Glyphs. Stroke widths scale with the box.
namespace glyph {
void cross(QPainter& p, const QRectF& box, const QColor& ink);
void minus(QPainter& p, const QRectF& box, const QColor& ink);
void square(QPainter& p, const QRectF& box, const QColor& ink);
void restore(QPainter& p, const QRectF& box, const QColor& ink);
void menu(QPainter& p, const QRectF& box, const QColor& ink);
void clock(QPainter& p, const QRectF& box, const QColor& ink);
void gear(QPainter& p, const QRectF& box, const QColor& ink);
void dot(QPainter& p, const QRectF& box, const QColor& ink);
void pause(QPainter& p, const QRectF& box, const QColor& ink);
void stop(QPainter& p, const QRectF& box, const QColor& ink);
void play(QPainter& p, const QRectF& box, const QColor& ink);
void scissors(QPainter& p, const QRectF& box, const QColor& ink);
void microphone(QPainter& p, const QRectF& box, const QColor& ink);
void speaker(QPainter& p, const QRectF& box, const QColor& ink);
void speakerMuted(QPainter& p, const QRectF& box, const QColor& ink);
void slash(QPainter& p, const QRectF& box, const QColor& ink);
void camera(QPainter& p, const QRectF& box, const QColor& ink);
void note(QPainter& p, const QRectF& box, const QColor& ink);
void areaPick(QPainter& p, const QRectF& box, const QColor& ink);
void chain(QPainter& p, const QRectF& box, const QColor& ink);
void chevronDown(QPainter& p, const QRectF& box, const QColor& ink);
void chevronUp(QPainter& p, const QRectF& box, const QColor& ink);
void triangleDown(QPainter& p, const QRectF& box, const QColor& ink);
void triangleUp(QPainter& p, const QRectF& box, const QColor& ink);
void folder(QPainter& p, const QRectF& box, const QColor& ink);
void droplet(QPainter& p, const QRectF& box, const QColor& ink);
void magnifier(QPainter& p, const QRectF& box, const QColor& ink);
void photo(QPainter& p, const QRectF& box, const QColor& ink);
void plus(QPainter& p, const QRectF& box, const QColor& ink);
void fullScreen(QPainter& p, const QRectF& box, const QColor& ink);
void exitFullScreen(QPainter& p, const QRectF& box, const QColor& ink);
void stepBack(QPainter& p, const QRectF& box, const QColor& ink);
void stepForward(QPainter& p, const QRectF& box, const QColor& ink);
void skipBack(QPainter& p, const QRectF& box, const QColor& ink);
void skipForward(QPainter& p, const QRectF& box, const QColor& ink);
void aspect(QPainter& p, const QRectF& box, const QColor& ink);
void actualSize(QPainter& p, const QRectF& box, const QColor& ink);
void trash(QPainter& p, const QRectF& box, const QColor& ink);
void pencil(QPainter& p, const QRectF& box, const QColor& ink);
void textCursor(QPainter& p, const QRectF& box, const QColor& ink);
void flipHorizontal(QPainter& p, const QRectF& box, const QColor& ink);
void flipVertical(QPainter& p, const QRectF& box, const QColor& ink);
void rotateLeft(QPainter& p, const QRectF& box, const QColor& ink);
void rotateRight(QPainter& p, const QRectF& box, const QColor& ink);
void resetArrow(QPainter& p, const QRectF& box, const QColor& ink);
void letterA(QPainter& p, const QRectF& box, const QColor& ink);
void markStart(QPainter& p, const QRectF& box, const QColor& ink);
void markEnd(QPainter& p, const QRectF& box, const QColor& ink);
void playRange(QPainter& p, const QRectF& box, const QColor& ink);
void check(QPainter& p, const QRectF& box, const QColor& ink);
void exclamation(QPainter& p, const QRectF& box, const QColor& ink);
void logo(QPainter& p, const QRectF& box, const QColor& ink);
void sliders(QPainter& p, const QRectF& box, const QColor& ink);
void waveform(QPainter& p, const QRectF& box, const QColor& ink);
} // namespace glyph

} // namespace imagegen
