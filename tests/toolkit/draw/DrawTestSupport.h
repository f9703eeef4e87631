// Helpers of the toolkit drawing tests: solid-colour test strips written into a
// temporary folder, widget rendering and pixel comparison.
#pragma once

#include <QColor>
#include <QImage>
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

inline QColor at(const QImage& image, int x, int y) { return image.pixelColor(x, y); }

// The application directory with the generated images.
inline QString appDir() { return QString::fromLocal8Bit(qgetenv("CALVORINE_APP_DIR")); }

} // namespace drawtest
