#include "library/VideoImageWindow.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

QVideoShowWidget::QVideoShowWidget(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("m_ImageWidget"));
    setAttribute(Qt::WA_NativeWindow);
    setAttribute(Qt::WA_MouseTracking);
}

VideoImageWindow::VideoImageWindow(QWidget* parent) : QWidget(parent), m_ImageWidget(new QVideoShowWidget(this)) {
    setObjectName(QStringLiteral("VideoImageWindow"));
    QPalette black;
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setAttribute(Qt::WA_MouseTracking);
}

WId VideoImageWindow::nativeHandle() const {
    return m_ImageWidget->winId();
}

void VideoImageWindow::centreSurface(int width, int height) {
    m_ImageWidget->setGeometry((this->width() - width) / 2, (this->height() - height) / 2, width, height);
}

void VideoImageWindow::fitKeepingAspect(int width, int height) {
    if (width <= 0 || height <= 0) {
        return;
    }
    m_fitWidth = width;
    m_fitHeight = height;
    m_actualWidth = 0;
    m_actualHeight = 0;
    const int W = this->width();
    const int H = std::max(1, this->height());
    if (float(W) / float(H) < float(width) / float(height)) {
        centreSurface(W, int(double(height) * W / width));
    } else {
        centreSurface(int(double(width) * H / height), H);
    }
}

void VideoImageWindow::showActualSize(int width, int height) {
    m_actualWidth = width;
    m_actualHeight = height;
    centreSurface(std::min(width, this->width()), std::min(height, this->height()));
}

void VideoImageWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (m_actualWidth > 0 && m_actualHeight > 0) {
        showActualSize(m_actualWidth, m_actualHeight);
    } else if (m_fitWidth > 0 && m_fitHeight > 0) {
        fitKeepingAspect(m_fitWidth, m_fitHeight);
    }
}

void VideoImageWindow::enterEvent(QEvent* event) {
    setCursor(Qt::ArrowCursor);
    QWidget::enterEvent(event);
}

void VideoImageWindow::mouseDoubleClickEvent(QMouseEvent*) {
    m_fullScreen = !m_fullScreen;
    if (m_fullScreen) {
        showFullScreen();
    } else {
        showNormal();
    }
    emit emitFullScreen();
}

void VideoImageWindow::mouseMoveEvent(QMouseEvent* event) {
    emit emitMouseMove(event);
    if (event->y() >= height() - 49) {
        emit emitShowBtn(true);
    }
}

void VideoImageWindow::mousePressEvent(QMouseEvent* event) {
    emit emitMouseDown(event);
    m_pressPos = event->globalPos();
}

void VideoImageWindow::mouseReleaseEvent(QMouseEvent* event) {
    emit emitMouseUp(event);
    if (event->globalPos() == m_pressPos) {
        emit emitPlayOrPause();
    }
}

void VideoImageWindow::leaveEvent(QEvent* event) {
    emit emitMouseLeave();
    QWidget::leaveEvent(event);
}

void VideoImageWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
}
