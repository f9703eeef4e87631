#include "recorder/QRecordCropDlg.h"

#include "app/QRecordAreaInfo.h"
#include "recorder/WindowFinder.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QTransform>

#include <algorithm>
#include <cstdlib>

namespace {

constexpr int kDashTickMs = 50;
constexpr int kDashLength = 20;
constexpr int kDashOn = 15;

// One dash period: 15 pixels of colour, 5 clear, 2 pixels thick.
QImage dashImage(const QColor& colour) {
    QImage image(kDashLength, 2, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    for (int x = 0; x < kDashOn; ++x) {
        image.setPixelColor(x, 0, colour);
        image.setPixelColor(x, 1, colour);
    }
    return image;
}

QRect emptyRect() {
    return QRect(QPoint(0, 0), QPoint(-1, -1));
}

} // namespace

QRecordCropDlg::QRecordCropDlg(QWidget* parent) : QVariableSizeWgt(parent) {
    setObjectName(QStringLiteral("QRecordCropDlg"));
    setWindowTitle(QStringLiteral("Form"));
    setWindowFlags(Qt::Tool | Qt::BypassWindowManagerHint | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setWindowState(Qt::WindowNoState);
    setAttribute(Qt::WA_TranslucentBackground);
    setFocusPolicy(Qt::NoFocus);
    connect(this, &QVariableSizeWgt::emitPressMove, this, &QRecordCropDlg::RefreshPreviousArea);
    m_borderTimer = new QTimer(this);
    connect(m_borderTimer, &QTimer::timeout, this, &QRecordCropDlg::recordTimer);
}

QRecordCropDlg::~QRecordCropDlg() = default;

void QRecordCropDlg::RefreshPreviousArea() {
    QRecordAreaInfo::instance()->swapWithPreviousArea();
}

void QRecordCropDlg::setRecording(bool on) {
    m_recording = on;
    if (on) {
        m_borderTimer->start(kDashTickMs);
    } else {
        m_borderTimer->stop();
    }
    updateWindowShape();
    repaint();
}

void QRecordCropDlg::setPaused(bool on) {
    m_paused = on;
    if (on) {
        m_borderTimer->stop();
    } else {
        m_borderTimer->start(kDashTickMs);
    }
    update();
}

void QRecordCropDlg::recordTimer() {
    m_blink = !m_blink;
    m_phase -= 1;
    if (m_phase < 0) {
        m_phase = 20;
    }
    update();
}

void QRecordCropDlg::setPickMode(bool on) {
    m_pickMode = on;
    if (on) {
        setExcludedWindow(winId());
        m_pickedRect = emptyRect();
        m_hoveredRect = emptyRect();
        m_dragState = Hovering;
        m_pressPoint = QPoint();
        m_currentPoint = QPoint();
    }
    updateWindowShape();
    // Without a compositor the window exists only where it draws, so the pointer is
    // grabbed for the whole pick.
    if (!compositing() && isVisible()) {
        if (on) {
            grabMouse(Qt::ArrowCursor);
        } else {
            releaseMouse();
        }
    }
    update();
}

QRect QRecordCropDlg::clampToScreen(const QRect& corners) const {
    if (corners.isEmpty()) {
        return corners;
    }
    const QSize screen = screenSize();
    return QRect(
        QPoint(std::max(corners.left(), 0), std::max(corners.top(), 0)),
        QPoint(std::min(corners.right(), screen.width() - 1), std::min(corners.bottom(), screen.height() - 1)));
}

QRect QRecordCropDlg::spannedRect() const {
    const int x1 = std::min(m_pressPoint.x(), m_currentPoint.x());
    const int y1 = std::min(m_pressPoint.y(), m_currentPoint.y());
    const int width = std::abs(m_pressPoint.x() - m_currentPoint.x());
    const int height = std::abs(m_pressPoint.y() - m_currentPoint.y());
    return QRect(x1, y1, width, height);
}

bool QRecordCropDlg::isDragFarEnough() const {
    return (m_currentPoint - m_pressPoint).manhattanLength() >= QApplication::startDragDistance();
}

void QRecordCropDlg::finishPick(const QRect& rect) {
    m_pickedRect = rect;
    emit emitSelectAreaRect(rect);
    setPickMode(false);
}

void QRecordCropDlg::mousePressEvent(QMouseEvent* event) {
    if (!m_pickMode) {
        if (!m_recording) {
            QVariableSizeWgt::mousePressEvent(event);
        }
        return;
    }
    if (event->button() == Qt::LeftButton && m_dragState == Hovering) {
        m_dragState = Dragging;
        m_pressPoint = event->globalPos();
        m_currentPoint = m_pressPoint;
        m_hoveredRect = m_pickedRect;
    } else if (event->button() == Qt::RightButton) {
        finishPick(m_pickedRect);
    }
}

void QRecordCropDlg::mouseMoveEvent(QMouseEvent* event) {
    if (!m_pickMode) {
        if (m_recording) {
            setCursor(Qt::ArrowCursor);
            return;
        }
        QVariableSizeWgt::mouseMoveEvent(event);
        return;
    }
    setCursor(Qt::ArrowCursor);
    m_cursor = event->globalPos();
    if (m_dragState == Hovering) {
        m_pickedRect = clampToScreen(findWindowAt(m_cursor.x(), m_cursor.y()));
    } else if (m_dragState == Dragging) {
        m_currentPoint = event->globalPos();
        // A small jitter of a click keeps the hovered window.
        m_pickedRect = isDragFarEnough() ? spannedRect() : m_hoveredRect;
    }
    updateWindowShape();
    update();
}

void QRecordCropDlg::mouseReleaseEvent(QMouseEvent* event) {
    if (!m_pickMode) {
        QVariableSizeWgt::mouseReleaseEvent(event);
        return;
    }
    if (event->button() == Qt::LeftButton && m_dragState == Dragging) {
        m_dragState = Released;
        m_currentPoint = event->globalPos();
        // Worked out from the press and release points themselves, not from what the last
        // paint showed: a click is the hovered window, a drag the spanned rectangle. A
        // click on no window keeps the place it was made: its (empty) rectangle starts at
        // the press, and the frame grows from there to its least size.
        const bool dragged = isDragFarEnough() || m_hoveredRect.isEmpty();
        finishPick(dragged ? spannedRect() : m_hoveredRect);
    }
}

void QRecordCropDlg::updateWindowShape() {
    if (m_pickMode) {
        // The whole screen takes the mouse; without a compositor only the picked frame and
        // the cross hair exist.
        const QRect area = drawnArea(m_pickedRect);
        QVector<QRect> drawn;
        if (!m_pickedRect.isEmpty()) {
            drawn << QRect(area.adjusted(-3, -3, 3, 3));
        }
        drawn << QRect(0, m_cursor.y(), width(), 1) << QRect(m_cursor.x(), 0, 1, height());
        applyShape(nullptr, &drawn);
        return;
    }
    if (m_recording) {
        // While recording the border takes no clicks at all.
        const QRect outer = dashedBorderRect();
        const QVector<QRect> none;
        const QVector<QRect> drawn = {QRect(outer.left(), outer.top(), outer.width(), 2),
                                      QRect(outer.left(), outer.bottom() - 1, outer.width(), 2),
                                      QRect(outer.left(), outer.top(), 2, outer.height()),
                                      QRect(outer.right() - 1, outer.top(), 2, outer.height())};
        applyShape(&none, &drawn);
        return;
    }
    QVariableSizeWgt::updateWindowShape();
}

void QRecordCropDlg::paintPickMode(QPainter* painter) {
    painter->fillRect(rect(), QColor(0, 0, 0, 128));
    if (!m_pickedRect.isEmpty()) {
        const QRect area = drawnArea(m_pickedRect);
        painter->fillRect(area.adjusted(-3, -3, 3, 3), m_frameColor);
        painter->save();
        painter->setCompositionMode(QPainter::CompositionMode_Clear);
        painter->fillRect(area, Qt::transparent);
        painter->restore();
        painter->fillRect(area, QColor(111, 0, 0, 5));
    }
    if (m_dragState == Hovering) {
        painter->setPen(Qt::red);
        painter->drawLine(0, m_cursor.y(), width(), m_cursor.y());
        painter->drawLine(m_cursor.x(), 0, m_cursor.x(), height());
    }
}

QRect QRecordCropDlg::dashedBorderRect() const {
    return QRect(QPoint(m_x - 2, m_y - 2), QPoint(m_x + m_width + 1, m_y + m_height + 1));
}

void QRecordCropDlg::paintDashedBorder(QPainter* painter) {
    // Each side of the border is tiled with the dash, turned a quarter for each side, and
    // shifted by the phase so the dashes run around.
    const QRect outer = dashedBorderRect();
    const QImage dash = dashImage(m_frameColor);
    QTransform quarter;
    quarter.rotate(90);
    const QImage dashDown = dash.transformed(quarter);
    const QImage dashLeft = dashDown.transformed(quarter);
    const QImage dashUp = dashLeft.transformed(quarter);

    auto tile = [&](const QRect& side, const QImage& image, const QPoint& origin) {
        QBrush brush(image);
        brush.setTransform(QTransform::fromTranslate(origin.x(), origin.y()));
        painter->fillRect(side, brush);
    };
    const int p = m_phase;
    tile(QRect(outer.left(), outer.top(), outer.width(), 2), dash, QPoint(outer.left() - p, outer.top()));
    tile(QRect(outer.right() - 1, outer.top(), 2, outer.height()), dashDown,
         QPoint(outer.right() - 1, outer.top() - p));
    tile(QRect(outer.left(), outer.bottom() - 1, outer.width(), 2), dashLeft,
         QPoint(outer.right() + 1 + p, outer.bottom() - 1));
    tile(QRect(outer.left(), outer.top(), 2, outer.height()), dashUp, QPoint(outer.left(), outer.bottom() + 1 + p));
}

void QRecordCropDlg::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (m_pickMode) {
        paintPickMode(&painter);
    } else if (m_recording) {
        paintDashedBorder(&painter);
    } else {
        paintFrame(&painter);
    }
}
