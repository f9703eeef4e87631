#include "recorder/CaptureArea.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>

namespace capturearea {

QSize primaryScreenSize() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() : QSize(0, 0);
}

QPair<int, int> fitSpan(int origin, int length, int screenLength, int minimum, ScreenFit fit) {
    if (screenLength <= 0) {
        return {origin, std::max(length, minimum)};
    }
    const int smallest = std::min(minimum, screenLength);
    length = std::clamp(length, smallest, screenLength);
    if (fit == ScreenFit::ShrinkSize && origin + length > screenLength) {
        length = std::max(screenLength - origin, smallest);
    }
    origin = std::clamp(origin, 0, screenLength - length);
    return {origin, length};
}

QRect fitOnScreen(const QRect& rect, const QSize& screen, int minimumSide, ScreenFit fit) {
    const QPair<int, int> x = fitSpan(rect.x(), rect.width(), screen.width(), minimumSide, fit);
    const QPair<int, int> y = fitSpan(rect.y(), rect.height(), screen.height(), minimumSide, fit);
    return QRect(x.first, y.first, x.second, y.second);
}

} // namespace capturearea
