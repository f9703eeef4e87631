#include "recorder/QVariableSizeWgt.h"

#include "platform/system/window_overlay.h"
#include "recorder/CaptureArea.h"

#include <QFileInfo>
#include <QMouseEvent>
#include <QPainter>
#include <QX11Info>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

constexpr int kMinimumSide = capturearea::kMinimumFrameSide;
constexpr int kBand = 4;
constexpr int kBorder = 3;

calvorine::platform::RegionRect toPhysical(const QRect& r, qreal ratio) {
    calvorine::platform::RegionRect out;
    out.x1 = int(std::floor(r.left() * ratio));
    out.y1 = int(std::floor(r.top() * ratio));
    out.x2 = int(std::ceil((r.right() + 1) * ratio)) - 1;
    out.y2 = int(std::ceil((r.bottom() + 1) * ratio)) - 1;
    return out;
}

std::vector<calvorine::platform::RegionRect> toPhysical(const QVector<QRect>& rects, qreal ratio) {
    std::vector<calvorine::platform::RegionRect> out;
    out.reserve(size_t(rects.size()));
    for (const QRect& r : rects) {
        if (!r.isEmpty()) {
            out.push_back(toPhysical(r, ratio));
        }
    }
    return out;
}

// The four sides of a ring `thickness` pixels wide just outside `inner`.
QVector<QRect> ringAround(const QRect& inner, int thickness) {
    const QRect outer = inner.adjusted(-thickness, -thickness, thickness, thickness);
    return {QRect(outer.left(), outer.top(), outer.width(), thickness),
            QRect(outer.left(), inner.bottom() + 1, outer.width(), thickness),
            QRect(outer.left(), inner.top(), thickness, inner.height()),
            QRect(inner.right() + 1, inner.top(), thickness, inner.height())};
}

} // namespace

QVariableSizeWgt::QVariableSizeWgt(QWidget* parent) : QDialog(parent) {
    setAttribute(Qt::WA_MouseTracking);
    setWindowFlags(Qt::FramelessWindowHint | Qt::Dialog);
    setAttribute(Qt::WA_TranslucentBackground);
    setGeometry(QRect(QPoint(0, 0), capturearea::primaryScreenSize()));
}

QVariableSizeWgt::~QVariableSizeWgt() = default;

QSize QVariableSizeWgt::screenSize() const {
    return capturearea::primaryScreenSize();
}

bool QVariableSizeWgt::compositing() {
    return QX11Info::isPlatformX11() && QX11Info::isCompositingManagerRunning();
}

void QVariableSizeWgt::setFrameRect(int x, int y, int w, int h) {
    const QSize screen = screenSize();
    if (x < 0 || x > screen.width()) {
        x = 0;
    }
    if (y < 0 || y > screen.height()) {
        y = 0;
    }
    // The whole rectangle stays on the screen: what lies past its edge records black.
    const QRect fitted =
        capturearea::fitOnScreen(QRect(x, y, w, h), screen, kMinimumSide, capturearea::ScreenFit::MoveOrigin);
    m_x = fitted.x();
    m_y = fitted.y();
    m_width = fitted.width();
    m_height = fitted.height();
    setGeometry(QRect(QPoint(0, 0), screen));
    frameChanged();
}

void QVariableSizeWgt::setKeepRatio(bool on) {
    m_keepRatio = on;
    m_ratio = on && m_width > 0 ? float(m_height) / float(m_width) : 1.0f;
    updateWindowShape();
    update();
}

void QVariableSizeWgt::setHintImage(const QString& path) {
    if (!QFileInfo(path).isFile()) {
        return;
    }
    const QImage image(path);
    if (!image.isNull()) {
        m_hintImage = image;
        updateWindowShape();
        update();
    }
}

void QVariableSizeWgt::setFrameColor(const QColor& color) {
    m_frameColor = color;
    update();
}

void QVariableSizeWgt::frameChanged() {
    const QRect rect = frameRect();
    if (rect != m_reportedRect) {
        m_reportedRect = rect;
        emit emitRecordRect(rect);
    }
    updateWindowShape();
    update();
}

QRect QVariableSizeWgt::drawnArea(const QRect& corners) const {
    const QSize screen = screenSize();
    int x1 = corners.left();
    int y1 = corners.top();
    int x2 = corners.right();
    int y2 = corners.bottom();
    if (x1 <= 0) {
        x1 = 1;
    }
    if (y1 <= 0) {
        y1 = 1;
    }
    if (x2 + 1 >= screen.width()) {
        x2 = screen.width() - 2;
    }
    if (y2 + 1 >= screen.height()) {
        y2 = screen.height() - 2;
    }
    return QRect(QPoint(x1, y1), QPoint(x2, y2));
}

QRect QVariableSizeWgt::hintRect() const {
    const QRect r = drawnArea(frameRect());
    if (!m_hintImage.isNull()) {
        const int left = r.left() + (r.right() - r.left() - m_hintImage.width() + 1) / 2;
        const int top = r.top() + (r.bottom() - r.top() + 1) / 2 - m_hintImage.height() / 2;
        return QRect(left, top, m_hintImage.width(), m_hintImage.height());
    }
    return QRect(r.left() + (r.width() - 40) / 2, r.top() + (r.height() - 40) / 2, 40, 40);
}

void QVariableSizeWgt::paintBorderAndHandles(QPainter* painter, const QRect& area, bool cornerHandles) {
    painter->fillRect(area.adjusted(-kBorder, -kBorder, kBorder, kBorder), m_frameColor);
    painter->save();
    painter->setCompositionMode(QPainter::CompositionMode_Clear);
    painter->fillRect(area, Qt::transparent);
    painter->restore();
    const int x1 = area.left();
    const int y1 = area.top();
    const int x2 = area.right();
    const int y2 = area.bottom();
    QVector<QPoint> points = {{(x1 + x2) / 2, y1}, {(x1 + x2) / 2, y2}, {x1, (y1 + y2) / 2}, {x2, (y1 + y2) / 2}};
    if (cornerHandles) {
        points << QPoint(x1, y1) << QPoint(x2, y1) << QPoint(x1, y2) << QPoint(x2, y2);
    }
    for (const QPoint& p : points) {
        painter->fillRect(QRect(QPoint(p.x() - 2, p.y() - 2), QPoint(p.x() + 3, p.y() + 3)), m_frameColor);
    }
}

void QVariableSizeWgt::paintFrame(QPainter* painter) {
    paintBorderAndHandles(painter, drawnArea(frameRect()), !m_keepRatio);
    const QRect hint = hintRect();
    if (!m_hintImage.isNull()) {
        painter->fillRect(hint, QColor(0, 0, 0, 1));
        painter->drawImage(hint.topLeft(), m_hintImage);
    } else {
        painter->fillRect(hint, QColor(0, 0, 0, 100));
    }
}

void QVariableSizeWgt::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paintFrame(&painter);
}

QVector<QRect> QVariableSizeWgt::frameBands() const {
    const QRect r = frameRect();
    const int x1 = r.left();
    const int y1 = r.top();
    const int x2 = r.right();
    const int y2 = r.bottom();
    return {QRect(QPoint(x1 - kBand, y1 - kBand), QPoint(x2 + kBand, y1 + kBand)),
            QRect(QPoint(x1 - kBand, y2 - 3), QPoint(x2 + kBand, y2 + 5)),
            QRect(QPoint(x1 - kBand, y1 - kBand), QPoint(x1 + kBand, y2 + 5)),
            QRect(QPoint(x2 - kBand, y1 - kBand), QPoint(x2 + kBand, y2 + 5)), hintRect()};
}

QVector<QRect> QVariableSizeWgt::frameDrawnParts(bool withHandles) const {
    const QRect area = drawnArea(frameRect());
    QVector<QRect> parts = ringAround(area, kBorder);
    if (withHandles) {
        const int x1 = area.left();
        const int y1 = area.top();
        const int x2 = area.right();
        const int y2 = area.bottom();
        for (const QPoint& p :
             {QPoint((x1 + x2) / 2, y1), QPoint((x1 + x2) / 2, y2), QPoint(x1, (y1 + y2) / 2),
              QPoint(x2, (y1 + y2) / 2), QPoint(x1, y1), QPoint(x2, y1), QPoint(x1, y2), QPoint(x2, y2)}) {
            parts << QRect(QPoint(p.x() - 2, p.y() - 2), QPoint(p.x() + 3, p.y() + 3));
        }
        parts << hintRect();
    }
    return parts;
}

void QVariableSizeWgt::applyShape(const QVector<QRect>* input, const QVector<QRect>* visible) {
    if (!QX11Info::isPlatformX11() || !testAttribute(Qt::WA_WState_Created)) {
        return;
    }
    void* connection = QX11Info::connection();
    const uint32_t window = uint32_t(winId());
    const qreal ratio = devicePixelRatioF();
    if (input) {
        calvorine::platform::setWindowInputRegion(connection, window, toPhysical(*input, ratio));
    } else {
        calvorine::platform::resetWindowInputRegion(connection, window);
    }
    if (compositing()) {
        return;
    }
    if (visible) {
        calvorine::platform::setWindowBoundingRegion(connection, window, toPhysical(*visible, ratio));
    } else {
        calvorine::platform::resetWindowBoundingRegion(connection, window);
    }
}

void QVariableSizeWgt::updateWindowShape() {
    const QVector<QRect> bands = frameBands();
    const QVector<QRect> drawn = frameDrawnParts(true);
    applyShape(&bands, &drawn);
}

void QVariableSizeWgt::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    updateWindowShape();
}

int QVariableSizeWgt::hitTest(const QPoint& globalPos) const {
    const int X = globalPos.x();
    const int Y = globalPos.y();
    const QRect r = frameRect();
    const int x1 = r.left();
    const int y1 = r.top();
    const int x2 = r.right();
    const int y2 = r.bottom();
    if (X < x1 - kBand || X > x2 + kBand) {
        return HandleNone;
    }
    const bool top = std::abs(Y - y1) <= kBand;
    const bool middle = y1 + kBand < Y && Y < y2 - 3;
    const bool bottom = Y >= y2 - 3 && Y <= y2 + 5;
    const bool anyHeight = Y >= y1 - kBand && Y <= y2 + 5;
    if (std::abs(X - x1) <= kBand) {
        if (m_keepRatio) {
            return anyHeight ? HandleLeft : HandleNone;
        }
        return top ? HandleTopLeft : middle ? HandleLeft : bottom ? HandleBottomLeft : HandleNone;
    }
    if (std::abs(X - x2) <= kBand) {
        if (m_keepRatio) {
            return anyHeight ? HandleRight : HandleNone;
        }
        return top ? HandleTopRight : middle ? HandleRight : bottom ? HandleBottomRight : HandleNone;
    }
    return top ? HandleTop : middle ? HandleMove : bottom ? HandleBottom : HandleNone;
}

void QVariableSizeWgt::setCursorForHandle(int handle) {
    switch (handle) {
    case HandleLeft:
    case HandleRight:
        setCursor(Qt::SplitHCursor);
        break;
    case HandleTop:
    case HandleBottom:
        setCursor(Qt::SplitVCursor);
        break;
    case HandleTopLeft:
    case HandleBottomRight:
        setCursor(Qt::SizeFDiagCursor);
        break;
    case HandleTopRight:
    case HandleBottomLeft:
        setCursor(Qt::SizeBDiagCursor);
        break;
    case HandleMove:
        setCursor(Qt::SizeAllCursor);
        break;
    default:
        setCursor(Qt::ArrowCursor);
        break;
    }
}

void QVariableSizeWgt::mousePressEvent(QMouseEvent* event) {
    const QPoint global = event->globalPos();
    m_pressOffsetX = global.x() - m_x;
    m_pressOffsetY = global.y() - m_y;
    m_pressOffsetRight = global.x() - (m_x + m_width - 1);
    m_pressOffsetBottom = global.y() - (m_y + m_height - 1);
    m_lastX = global.x();
    m_lastY = global.y();
    if (event->button() == Qt::LeftButton) {
        m_handle = hitTest(global);
        m_pressed = true;
        m_firstMovePending = true;
    }
}

void QVariableSizeWgt::mouseMoveEvent(QMouseEvent* event) {
    const QPoint global = event->globalPos();
    if (!m_pressed) {
        m_handle = hitTest(global);
        setCursorForHandle(m_handle);
        return;
    }
    if (m_firstMovePending) {
        m_firstMovePending = false;
        emit emitPressMove();
    }
    if (m_handle == HandleMove) {
        moveFrame(global);
    } else if (m_handle != HandleNone) {
        resizeFrame(global);
    }
}

void QVariableSizeWgt::mouseReleaseEvent(QMouseEvent*) {
    m_pressed = false;
}

void QVariableSizeWgt::moveFrame(const QPoint& globalPos) {
    const QSize screen = screenSize();
    m_x = std::clamp(globalPos.x() - m_pressOffsetX, 0, std::max(0, screen.width() - m_width));
    m_y = std::clamp(globalPos.y() - m_pressOffsetY, 0, std::max(0, screen.height() - m_height));
    frameChanged();
}

void QVariableSizeWgt::resizeFrame(const QPoint& globalPos) {
    const QSize screen = screenSize();
    const int dx = globalPos.x() - m_lastX;
    const int dy = globalPos.y() - m_lastY;
    m_lastX = globalPos.x();
    m_lastY = globalPos.y();
    int x1 = m_x;
    int y1 = m_y;
    int x2 = m_x + m_width - 1;
    int y2 = m_y + m_height - 1;
    const bool left = m_handle == HandleLeft || m_handle == HandleTopLeft || m_handle == HandleBottomLeft;
    const bool right = m_handle == HandleRight || m_handle == HandleTopRight || m_handle == HandleBottomRight;
    const bool top = m_handle == HandleTop || m_handle == HandleTopLeft || m_handle == HandleTopRight;
    const bool bottom = m_handle == HandleBottom || m_handle == HandleBottomLeft || m_handle == HandleBottomRight;
    // An edge stops at the minimum size and at the screen's edge; the pointer then has to
    // come back to where it holds the edge before the edge moves again.
    if (left) {
        x1 += dx;
        if (x2 - x1 + 1 < kMinimumSide || x1 < 0) {
            x1 = x1 < 0 ? 0 : x2 - kMinimumSide + 1;
            m_lastX = x1 + m_pressOffsetX;
        }
    }
    if (right) {
        x2 += dx;
        if (x2 - x1 + 1 < kMinimumSide || x2 > screen.width() - 1) {
            x2 = x2 > screen.width() - 1 ? screen.width() - 1 : x1 + kMinimumSide - 1;
            m_lastX = x2 + m_pressOffsetRight;
        }
    }
    if (top) {
        y1 += dy;
        if (y2 - y1 + 1 < kMinimumSide || y1 < 0) {
            y1 = y1 < 0 ? 0 : y2 - kMinimumSide + 1;
            m_lastY = y1 + m_pressOffsetY;
        }
    }
    if (bottom) {
        y2 += dy;
        if (y2 - y1 + 1 < kMinimumSide || y2 > screen.height() - 1) {
            y2 = y2 > screen.height() - 1 ? screen.height() - 1 : y1 + kMinimumSide - 1;
            m_lastY = y2 + m_pressOffsetBottom;
        }
    }
    int width = x2 - x1 + 1;
    int height = y2 - y1 + 1;
    if (m_keepRatio) {
        if (m_handle == HandleLeft || m_handle == HandleRight) {
            height = std::min(int(m_ratio * float(width)), screen.height() - y1);
        } else if (m_handle == HandleTop || m_handle == HandleBottom) {
            width = m_ratio == 0.0f ? 0 : int(float(height) / m_ratio);
            width = std::min(width, screen.width() - x1);
        }
    }
    m_x = x1;
    m_y = y1;
    m_width = width;
    m_height = height;
    frameChanged();
}
