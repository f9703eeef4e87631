#include "recorder/QTransparentWidget.h"

#include "recorder/CaptureArea.h"

#include <QPainter>
#include <QX11Info>

QTransparentWidget::QTransparentWidget(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("QTransparentWidget"));
    setWindowTitle(QStringLiteral("Form"));
    setGeometry(QRect(QPoint(0, 0), capturearea::primaryScreenSize()));
    // Input passes through to the windows below (the X11 input shape is emptied).
    setWindowFlags(windowFlags() | Qt::Tool | Qt::BypassWindowManagerHint | Qt::FramelessWindowHint |
                   Qt::WindowStaysOnTopHint | Qt::WindowTransparentForInput);
    setAttribute(Qt::WA_TranslucentBackground);
    setWindowState(Qt::WindowFullScreen);
    setFocusPolicy(Qt::NoFocus);
    setWindowOpacity(1.0);
}

QTransparentWidget::~QTransparentWidget() = default;

void QTransparentWidget::setVisible(bool visible) {
    // Without a compositor the dark fill would black the screen out.
    QWidget::setVisible(visible && QX11Info::isCompositingManagerRunning());
}

void QTransparentWidget::setClearRect(int x1, int y1, int x2, int y2) {
    const QRect rect(QPoint(x1, y1), QPoint(x2, y2));
    if (rect.topLeft() == m_clearRect.topLeft() && rect.size() == m_clearRect.size()) {
        return;
    }
    m_clearRect = rect;
    update();
}

void QTransparentWidget::clearRectChange(QRect rect) {
    m_clearRect = rect;
    update();
}

void QTransparentWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor(0, 0, 0, 128));
    painter.setCompositionMode(QPainter::CompositionMode_Clear);
    painter.fillRect(m_clearRect, Qt::transparent);
}
