// Painting helpers shared by every image-drawn control of the toolkit: parts of images
// drawn smoothly into rectangles, the nine-grid that stretches state frames to any size
// without distorting their corners, rounded outlines, and the application directory
// under which the toolkit finds its own pictures. GUI thread only.
#pragma once

#include <QImage>
#include <QPainterPath>
#include <QPixmap>
#include <QRect>
#include <QString>

class QPainter;

// Draws the source part of the pixmap scaled into the target. Turns the painter's
// smooth-pixmap-transform hint on and leaves it on.
void drawPixmapPart(QPainter* painter, const QRect& target, const QRect& source, const QPixmap& pixmap);

// The same for an image. Every image-drawn control paints through this.
void drawImagePart(QPainter* painter, const QRect& target, const QRect& source, const QImage& image);

// Draws an image (normally one frame of a state strip, cut out by the caller) into the
// target: stretched whole when split is false, else as a nine-grid whose corners are a
// third of the smaller of image and target size, kept unscaled; edges stretch along
// their length and the centre both ways.
void drawNineGrid(QPainter* painter, const QRect& target, const QImage& image, bool split);

// Frame `index` (0 normal, 1 hover, 2 pressed, 3 disabled) of a horizontal strip of
// `frameCount` frames of equal width (image width / frameCount). Null for a null strip.
QImage stripFrame(const QImage& strip, int index, int frameCount = 4);

// Outline of a rectangle with rounded corners (quadratic corners). The radius is limited
// to half the smaller side (integer half of its truncated length). Not closed
// explicitly; callers fill it.
QPainterPath roundedRectPath(double x, double y, double width, double height, double radius);

// The application directory (getAppDirPath), found once and cached for the life of the
// process. The toolkit's own image paths are this folder plus a relative
// path such as "/pic/bg_msg.png".
QString toolkitAppDirPath();

// Loads an image file; a file that is missing or does not decode gives a null image, so
// the setters treat both alike: nothing is changed and false is returned.
QImage loadToolkitImage(const QString& path);
