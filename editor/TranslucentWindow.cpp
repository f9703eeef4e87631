#include "editor/TranslucentWindow.h"

#include <QBitmap>
#include <QGuiApplication>
#include <QImage>
#include <QRegion>
#include <QWidget>
#include <QX11Info>

bool isCompositingAvailable() {
    return QX11Info::isPlatformX11() && QX11Info::isCompositingManagerRunning();
}

void maskToPaintedArea(QWidget* window) {
    if (!window) {
        return;
    }
    if (isCompositingAvailable()) {
        window->clearMask();
        return;
    }
    window->clearMask(); // painted whole, whatever the previous mask
    QImage image(window->size(), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    window->render(&image, QPoint(), QRegion(), QWidget::DrawWindowBackground | QWidget::DrawChildren);
    QRegion painted;
    for (int y = 0; y < image.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        int runStart = -1;
        for (int x = 0; x <= image.width(); ++x) {
            const bool opaque = x < image.width() && qAlpha(line[x]) > 1;
            if (opaque && runStart < 0) {
                runStart = x;
            } else if (!opaque && runStart >= 0) {
                painted += QRect(runStart, y, x - runStart, 1);
                runStart = -1;
            }
        }
    }
    // An empty mask would mean "no mask" to the window system.
    window->setMask(painted.isEmpty() ? QRegion(0, 0, 1, 1) : painted);
}
