#include "toolkit/ImagePainting.h"

#include "app/AppGlobals.h"

#include <QFileInfo>
#include <QPainter>
#include <QRectF>

#include <algorithm>

void drawPixmapPart(QPainter* painter, const QRect& target, const QRect& source, const QPixmap& pixmap) {
    if (painter == nullptr || pixmap.isNull() || target.width() <= 0 || target.height() <= 0 || source.width() <= 0 ||
        source.height() <= 0) {
        return;
    }
    painter->setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter->drawPixmap(QRectF(target), pixmap, QRectF(source));
}

void drawImagePart(QPainter* painter, const QRect& target, const QRect& source, const QImage& image) {
    if (painter == nullptr || image.isNull() || target.width() <= 0 || target.height() <= 0 || source.width() <= 0 ||
        source.height() <= 0) {
        return;
    }
    painter->setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter->drawImage(QRectF(target), image, QRectF(source));
}

void drawNineGrid(QPainter* painter, const QRect& target, const QImage& image, bool split) {
    if (painter == nullptr || image.isNull() || target.width() <= 0 || target.height() <= 0) {
        return;
    }
    const int iw = image.width();
    const int ih = image.height();
    if (!split) {
        drawImagePart(painter, target, QRect(0, 0, iw, ih), image);
        return;
    }
    const int cw = std::min(target.width(), iw) / 3;
    const int ch = std::min(target.height(), ih) / 3;
    const int mw = target.width() - 2 * cw;
    const int smw = iw - 2 * cw;
    const int mh = target.height() - 2 * ch;
    const int smh = ih - 2 * ch;
    const int left = target.left();
    const int top = target.top();
    const int right = left + target.width() - cw;  // left of the right column
    const int bottom = top + target.height() - ch; // top of the bottom row

    drawImagePart(painter, QRect(left, top, cw, ch), QRect(0, 0, cw, ch), image);
    drawImagePart(painter, QRect(right, top, cw, ch), QRect(iw - cw, 0, cw, ch), image);
    if (mw > 0) {
        drawImagePart(painter, QRect(left + cw, top, mw, ch), QRect(cw, 0, smw, ch), image);
    }
    drawImagePart(painter, QRect(left, bottom, cw, ch), QRect(0, ih - ch, cw, ch), image);
    drawImagePart(painter, QRect(right, bottom, cw, ch), QRect(iw - cw, ih - ch, cw, ch), image);
    if (mw > 0) {
        drawImagePart(painter, QRect(left + cw, bottom, mw, ch), QRect(cw, ih - ch, smw, ch), image);
    }
    if (mh > 0) {
        drawImagePart(painter, QRect(left, top + ch, cw, mh), QRect(0, ch, cw, smh), image);
        drawImagePart(painter, QRect(right, top + ch, cw, mh), QRect(iw - cw, ch, cw, smh), image);
    }
    if (mh > 0 && smh > 0) {
        drawImagePart(painter, QRect(left + cw, top + ch, mw, mh), QRect(cw, ch, smw, smh), image);
    }
}

QImage stripFrame(const QImage& strip, int index, int frameCount) {
    if (strip.isNull() || frameCount <= 0) {
        return QImage();
    }
    const int frameWidth = strip.width() / frameCount;
    if (frameWidth <= 0) {
        return QImage();
    }
    const int clamped = std::max(0, std::min(index, frameCount - 1));
    return strip.copy(clamped * frameWidth, 0, frameWidth, strip.height());
}

QPainterPath roundedRectPath(double x, double y, double width, double height, double radius) {
    const double half = static_cast<int>(std::min(width, height)) / 2;
    const double r = std::min(radius, half);
    QPainterPath path;
    path.moveTo(x + width - r, y);
    path.lineTo(x + r, y);
    path.quadTo(x, y, x, y + r);
    path.lineTo(x, y + height - r);
    path.quadTo(x, y + height, x + r, y + height);
    path.lineTo(x + width - r, y + height);
    path.quadTo(x + width, y + height, x + width, y + height - r);
    path.lineTo(x + width, y + r);
    path.quadTo(x + width, y, x + width - r, y);
    return path;
}

QString toolkitAppDirPath() {
    return getAppDirPath();
}

QImage loadToolkitImage(const QString& path) {
    if (path.isEmpty() || !QFileInfo(path).isFile()) {
        return QImage();
    }
    return QImage(path);
}
