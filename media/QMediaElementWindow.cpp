#include "media/QMediaElementWindow.h"

QMediaElementWindow::QMediaElementWindow(QWidget* parent) : QWidget(parent), m_element(new QWidget(this)) {
    m_element->setObjectName(QStringLiteral("videoElement"));
    m_element->setGeometry(rect());
}

void QMediaElementWindow::setVideoSize(int width, int height) {
    if (width <= 0 || height <= 0) {
        return;
    }
    m_videoWidth = width;
    m_videoHeight = height;
    fitElement();
    emit emitVideoElementSizeChange(m_element->geometry());
}

void QMediaElementWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (m_videoWidth > 0 && m_videoHeight > 0) {
        fitElement();
        emit emitVideoElementSizeChange(m_element->geometry());
    } else {
        m_element->setGeometry(rect());
    }
}

void QMediaElementWindow::fitElement() {
    const QSize fitted = QSize(m_videoWidth, m_videoHeight).scaled(size(), Qt::KeepAspectRatio);
    QRect target(QPoint(0, 0), fitted);
    target.moveCenter(rect().center());
    m_element->setGeometry(target);
}
