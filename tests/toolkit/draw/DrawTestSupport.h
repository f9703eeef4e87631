// Helpers of the toolkit drawing and item tests: solid-colour test strips written into a
// temporary folder, widget rendering, pixel comparison and counting, mouse events.
#pragma once

#include <QApplication>
#include <QColor>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QString>
#include <QTemporaryDir>
#include <QVector>
#include <QWidget>

#include <cstdlib>

namespace drawtest {

// A horizontal strip of equally wide frames, each one solid colour.
inline QImage solidStrip(const QVector<QColor>& colors, int frameWidth, int height) {
    QImage image(frameWidth * colors.size(), height, QImage::Format_ARGB32);
    QPainter painter(&image);
    for (int i = 0; i < colors.size(); ++i) {
        painter.fillRect(i * frameWidth, 0, frameWidth, height, colors[i]);
    }
    return image;
}

// An image of nine cells in distinct colours, for nine-grid drawing: the corner cells are
// cornerWidth x cornerHeight, the edges and the middle take the rest.
inline QImage nineCells(int width, int height, int cornerWidth, int cornerHeight) {
    QImage image(width, height, QImage::Format_ARGB32);
    QPainter painter(&image);
    const int xs[] = {0, cornerWidth, width - cornerWidth, width};
    const int ys[] = {0, cornerHeight, height - cornerHeight, height};
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) {
            painter.fillRect(QRect(QPoint(xs[col], ys[row]), QPoint(xs[col + 1] - 1, ys[row + 1] - 1)),
                             QColor(40 + 60 * col, 40 + 60 * row, 200));
        }
    }
    return image;
}

inline QString save(const QTemporaryDir& dir, const QString& name, const QImage& image) {
    const QString path = dir.filePath(name);
    image.save(path);
    return path;
}

// The widget painted into an image of its size.
inline QImage render(QWidget* widget) {
    QImage image(widget->size(), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    widget->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

inline bool near(const QColor& a, const QColor& b, int tolerance = 2) {
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance && std::abs(a.alpha() - b.alpha()) <= tolerance;
}

inline QColor at(const QImage& image, int x, int y) {
    return image.pixelColor(x, y);
}

// How many pixels of `area` (inclusive) are exactly `colour`.
inline int countColour(const QImage& image, const QRect& area, const QColor& colour) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (image.pixelColor(x, y) == colour) {
                ++n;
            }
        }
    }
    return n;
}

// A press, move or release of `button` at `local`, sent straight to the widget; the
// button is held during the press and the move.
inline void sendMouse(QWidget* widget, QEvent::Type type, const QPoint& local,
                      Qt::MouseButton button = Qt::LeftButton) {
    QMouseEvent event(type, local, widget->mapToGlobal(local), button,
                      type == QEvent::MouseButtonRelease ? Qt::MouseButtons() : Qt::MouseButtons(button),
                      Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

// The application directory with the generated images.
inline QString appDir() {
    return QString::fromLocal8Bit(qgetenv("CALVORINE_APP_DIR"));
}

} // namespace drawtest
