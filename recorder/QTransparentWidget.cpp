#include "recorder/QTransparentWidget.h"

#include "platform/system/window_overlay.h"
#include "recorder/CaptureArea.h"

#include <QPainter>
#include <QTimer>
#include <QX11Info>

namespace {
// The window below which the shade goes is mapped by the window manager some time after
// its show(): looked for every 50 ms for up to two seconds.
constexpr int kRestackIntervalMs = 50;
constexpr int kRestackTries = 40;
} // namespace

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

void QTransparentWidget::keepBelow(QWidget* window) {
    m_above = window;
    restackSoon();
}

void QTransparentWidget::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    restackSoon();
}

void QTransparentWidget::restackSoon() {
    if (!isVisible() || !m_above || !QX11Info::isPlatformX11()) {
        return;
    }
    if (m_restackTimer == nullptr) {
        m_restackTimer = new QTimer(this);
        m_restackTimer->setInterval(kRestackIntervalMs);
        connect(m_restackTimer, &QTimer::timeout, this, &QTransparentWidget::restack);
    }
    m_restackTries = 0;
    m_restackTimer->start();
}

void QTransparentWidget::restack() {
    ++m_restackTries;
    QWidget* above = m_above ? m_above->window() : nullptr;
    if (!isVisible() || above == nullptr || !above->isVisible() || m_restackTries > kRestackTries) {
        m_restackTimer->stop();
        return;
    }
    // Only once the window manager has framed and mapped the window: a window not yet
    // framed would be replaced on the root by its frame, put above the shade again.
    if (!above->testAttribute(Qt::WA_Mapped) || !testAttribute(Qt::WA_Mapped)) {
        return;
    }
    if (calvorine::platform::stackWindowBelow(QX11Info::connection(), static_cast<uint32_t>(winId()),
                                              static_cast<uint32_t>(above->winId()))) {
        m_restackTimer->stop();
    }
}

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
