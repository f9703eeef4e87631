#include "media/QMediaElementWindow.h"

#include <QMouseEvent>
#include <QPainter>

QVideoElementWindow::QVideoElementWindow(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
}

void QVideoElementWindow::paintEvent(QPaintEvent*) {}

QMediaElementWindow::QMediaElementWindow(QWidget* parent)
    : QWidget(parent), m_videoElement(new QVideoElementWindow(this)) {
    setObjectName(QStringLiteral("QMediaElementWindow"));
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    m_videoElement->setObjectName(QStringLiteral("videoElement"));
    m_videoElement->setUpdatesEnabled(false);
    // Presses over the picture belong to the surface, which re-emits them.
    m_videoElement->setAttribute(Qt::WA_TransparentForMouseEvents, true);
    m_videoElement->setGeometry(rect());
    setMouseTracking(true);
}

void QMediaElementWindow::setVideoSize(int width, int height) {
    if (width <= 0 || height <= 0) {
        return;
    }
    m_videoWidth = width;
    m_videoHeight = height;
    fitElement();
    emit emitVideoElementSizeChange(m_videoElement->geometry());
}

void QMediaElementWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
}

void QMediaElementWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (m_videoWidth > 0 && m_videoHeight > 0) {
        fitElement();
        emit emitVideoElementSizeChange(m_videoElement->geometry());
    } else {
        m_videoElement->setGeometry(rect());
    }
}

void QMediaElementWindow::fitElement() {
    const int windowWidth = width();
    const int windowHeight = height();
    int fittedWidth = windowWidth;
    int fittedHeight = windowHeight;
    if (windowHeight > 0 && float(windowWidth) / float(windowHeight) < float(m_videoWidth) / float(m_videoHeight)) {
        fittedHeight = int(double(m_videoHeight) * windowWidth / m_videoWidth);
    } else {
        fittedWidth = int(double(m_videoWidth) * windowHeight / m_videoHeight);
    }
    m_videoElement->setGeometry((windowWidth - fittedWidth) / 2, (windowHeight - fittedHeight) / 2, fittedWidth,
                                fittedHeight);
}

void QMediaElementWindow::mouseMoveEvent(QMouseEvent* event) {
    emit emitMouseMoveEvent(event);
}

void QMediaElementWindow::mousePressEvent(QMouseEvent* event) {
    emit emitMousePressEvent(event);
}

void QMediaElementWindow::mouseReleaseEvent(QMouseEvent* event) {
    emit emitMouseReleaseEvent(event);
}
