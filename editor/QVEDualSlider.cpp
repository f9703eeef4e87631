#include "editor/QVEDualSlider.h"

#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include <algorithm>

// ---- Handle button ----

QVESliderCtrlBtn::QVESliderCtrlBtn(QWidget* parent) : QPushButton(parent) {
    setFocusPolicy(Qt::NoFocus);
}

QVESliderCtrlBtn::~QVESliderCtrlBtn() {
    delete m_image;
}

bool QVESliderCtrlBtn::setImage(const QString& path) {
    delete m_image;
    m_image = new QImage(path);
    if (!m_image) {
        return false;
    }
    setFixedSize(m_image->width() / 4, m_image->height());
    update();
    return true;
}

void QVESliderCtrlBtn::setState(int state) {
    if (m_state != state) {
        m_state = state;
        update();
    }
}

void QVESliderCtrlBtn::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    m_pressX = event->pos().x();
    m_pressY = event->pos().y();
    emit mouseDown(event, m_pressX);
    emit mouseDownY(event, m_pressY);
    setState(isEnabled() ? Pressed : Disabled);
    QPushButton::mousePressEvent(event);
}

void QVESliderCtrlBtn::mouseMoveEvent(QMouseEvent* event) {
    if (m_state == Pressed) {
        emit mouseMove(event, m_pressX);
        emit mouseMoveY(event, m_pressY);
    }
}

void QVESliderCtrlBtn::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    m_pressX = event->pos().x();
    m_pressY = event->pos().y();
    emit mouseUp(event, m_pressX);
    emit mouseUpY(event, m_pressY);
    if (!isEnabled()) {
        setState(Disabled);
    } else if (m_state == Pressed) {
        setState(Normal);
    }
    QPushButton::mouseReleaseEvent(event);
}

void QVESliderCtrlBtn::enterEvent(QEvent* event) {
    QPushButton::enterEvent(event);
    setState(isEnabled() ? Hover : Disabled);
}

void QVESliderCtrlBtn::leaveEvent(QEvent* event) {
    QPushButton::leaveEvent(event);
    if (m_state == Hover) {
        setState(Normal);
    }
}

void QVESliderCtrlBtn::changeEvent(QEvent* event) {
    QPushButton::changeEvent(event);
    if (event->type() == QEvent::EnabledChange) {
        setState(isEnabled() ? Normal : Disabled);
    }
}

void QVESliderCtrlBtn::paintEvent(QPaintEvent*) {
    if (!m_image || m_image->isNull()) {
        return;
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const int frame = m_image->width() / 4;
    const int state = m_state >= Normal && m_state <= Disabled ? m_state : Normal;
    painter.drawImage(QPoint(0, 0), *m_image, QRect(state * frame, 0, frame, m_image->height()));
}

// ---- Slider ----

QVEDualSlider::QVEDualSlider(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::ClickFocus);
    setMouseTracking(true);
}

QVEDualSlider::~QVEDualSlider() {
    delete m_startPixmap;
    delete m_endPixmap;
    delete m_playPixmap;
    delete m_groovePixmap;
    delete m_rangePixmap;
}

void QVEDualSlider::setGrooveImage(const QString& path) {
    delete m_groovePixmap;
    m_groovePixmap = new QPixmap(path);
    m_grooveWidth = m_groovePixmap->width();
    m_grooveHeight = m_groovePixmap->height();
    update();
}

void QVEDualSlider::setRangeImage(const QString& path) {
    delete m_rangePixmap;
    m_rangePixmap = new QPixmap(path);
    update();
}

QVESliderCtrlBtn* QVEDualSlider::makeHandle(const QString& path) {
    auto* button = new QVESliderCtrlBtn(this);
    button->setImage(path);
    button->show();
    return button;
}

void QVEDualSlider::fitToHandles() {
    resize(m_endWidth + m_grooveWidth + m_startWidth, std::max(m_grooveHeight, 40));
}

void QVEDualSlider::setStartHandleImage(const QString& path, int verticalOffset) {
    if (path.isEmpty()) {
        resize(m_grooveWidth, std::max(m_grooveHeight, 40));
        m_startPos = 0;
        return;
    }
    delete m_startButton;
    delete m_startPixmap;
    m_startPixmap = new QPixmap(path);
    m_startButton = makeHandle(path);
    connect(m_startButton, &QVESliderCtrlBtn::mouseMove, this, &QVEDualSlider::btnMouseMove);
    connect(m_startButton, &QVESliderCtrlBtn::mouseDown, this, &QVEDualSlider::btnMousePress);
    connect(m_startButton, &QVESliderCtrlBtn::mouseUp, this, &QVEDualSlider::btnMouseRelease);
    m_startWidth = m_leftMargin = m_startButton->width();
    fitToHandles();
    m_startPos = 0;
    m_handleTop = (height() - m_startButton->height()) / 2 + verticalOffset + 5;
    m_startButton->move(startHandleX(0), m_handleTop);
}

void QVEDualSlider::setEndHandleImage(const QString& path) {
    if (path.isEmpty()) {
        fitToHandles();
        m_endPos = width() - m_startWidth - m_endWidth;
        return;
    }
    delete m_endButton;
    delete m_endPixmap;
    m_endPixmap = new QPixmap(path);
    m_endButton = makeHandle(path);
    connect(m_endButton, &QVESliderCtrlBtn::mouseMove, this, &QVEDualSlider::btnEndMouseMove);
    connect(m_endButton, &QVESliderCtrlBtn::mouseDown, this, &QVEDualSlider::btnMousePress);
    connect(m_endButton, &QVESliderCtrlBtn::mouseUp, this, &QVEDualSlider::btnMouseRelease);
    m_endWidth = m_endButton->width();
    fitToHandles();
    m_endPos = width() - m_startWidth - m_endWidth;
    m_endButton->move(endHandleX(m_endPos), m_handleTop);
}

void QVEDualSlider::setPlayHandleImage(const QString& path, int top) {
    delete m_playButton;
    delete m_playPixmap;
    m_playPixmap = new QPixmap(path);
    m_playButton = makeHandle(path);
    connect(m_playButton, &QVESliderCtrlBtn::mouseMove, this, &QVEDualSlider::btnProMouseMove);
    connect(m_playButton, &QVESliderCtrlBtn::mouseDown, this, &QVEDualSlider::btnMousePress);
    connect(m_playButton, &QVESliderCtrlBtn::mouseUp, this, &QVEDualSlider::btnMouseRelease);
    m_playWidth = m_playButton->width();
    m_playPos = m_startWidth;
    m_playTop = top;
    m_playButton->move(m_startWidth - m_playWidth / 2, top);
}

// A range handle is drawn with its centre line on the track position it stands for, as
// the play handle is, so that all three read alike; at the same position the two range
// handles lie on one another.
int QVEDualSlider::startHandleX(float position) const {
    return m_leftMargin + int(position) - m_startWidth / 2;
}

int QVEDualSlider::endHandleX(float position) const {
    return m_leftMargin + int(position) - m_endWidth / 2;
}

int QVEDualSlider::usableWidth() const {
    return width() - 2 * m_startWidth;
}

float QVEDualSlider::startValue() const {
    const int usable = usableWidth();
    return usable > 0 ? m_startPos / float(usable) : 0.0f;
}

float QVEDualSlider::endValue() const {
    const int usable = usableWidth();
    return usable > 0 ? m_endPos / float(usable) : 0.0f;
}

float QVEDualSlider::playValue() const {
    const int usable = usableWidth();
    return usable > 0 ? m_playPos / float(usable) : 0.0f;
}

void QVEDualSlider::setStartValue(float percent) {
    const int usable = usableWidth();
    float position;
    if (percent <= m_minimum) {
        position = 0;
    } else if (percent >= endValue() * 100.0f) {
        position = m_endPos;
    } else {
        position = percent * usable / 100.0f;
    }
    position = std::max(std::min(position, m_endPos - 2), 0.0f);
    m_startPos = position;
    if (m_startButton) {
        m_startButton->move(startHandleX(position), m_handleTop);
    }
    update();
}

void QVEDualSlider::setEndValue(float percent) {
    const int usable = usableWidth();
    float position;
    if (percent >= m_maximum) {
        position = usable;
    } else if (percent <= startValue() * 100.0f) {
        position = m_startPos;
    } else {
        position = percent * usable / 100.0f;
    }
    position = std::min(std::max(position, m_startPos + 2), float(usable));
    m_endPos = position;
    if (m_endButton) {
        m_endButton->move(endHandleX(position), m_handleTop);
    }
    update();
}

void QVEDualSlider::movePlayHandleTo(float position) {
    m_playPos = position;
    if (m_playButton) {
        m_playButton->move(m_startWidth + int(position) - m_playWidth / 2, m_playTop);
    }
}

void QVEDualSlider::setPlayValue(float percent, bool notify) {
    const int track = width() - m_startWidth - m_endWidth;
    float position;
    if (percent >= m_maximum) {
        position = track;
    } else if (percent <= m_minimum) {
        position = 0;
    } else {
        position = percent * track / 100.0f;
    }
    movePlayHandleTo(position);
    if (notify) {
        emit sendPlayProValue(playValue());
    }
}

void QVEDualSlider::setValue(float value) {
    float position;
    if (value >= m_maximum) {
        m_value = 100;
        position = width() - m_startWidth - m_endWidth;
    } else if (value <= m_minimum) {
        m_value = 0;
        position = 0;
    } else {
        m_value = value;
        position = (value - m_minimum) / float(m_maximum - m_minimum) * (width() - m_startWidth);
    }
    m_startPos = position;
    if (m_startButton) {
        m_startButton->move(std::max(int(position) - m_startWidth, 0), m_handleTop);
    }
    update();
}

void QVEDualSlider::setShowValue(bool show) {
    m_showValue = show;
    update();
}

void QVEDualSlider::setShowValue() {
    setShowValue(false);
}

void QVEDualSlider::showTipNow(QVESliderCtrlBtn* button, const QString& text) {
    if (!button) {
        return;
    }
    button->setToolTip(text);
    if (m_hovering) {
        QToolTip::hideText();
        QToolTip::showText(QCursor::pos(), text, button);
    }
}

void QVEDualSlider::setStartTip(const QString& text) {
    showTipNow(m_startButton, text);
}

void QVEDualSlider::setEndTip(const QString& text) {
    showTipNow(m_endButton, text);
}

void QVEDualSlider::setPiecewiseTrack(bool piecewise) {
    m_piecewise = piecewise;
    update();
}

void QVEDualSlider::setTrackEdge(int edge) {
    m_trackEdge = edge;
    update();
}

// The pointer's x in the slider's own coordinates. Taken from the event's position in
// its window, not from global positions: those depend on where Qt believes the window
// is, which lags behind a window manager that has just placed or moved it.
int QVEDualSlider::pointerX(QMouseEvent* event) const {
    auto* receiver = qobject_cast<QWidget*>(sender());
    return receiver != nullptr && receiver != this ? receiver->mapTo(this, event->pos()).x() : event->pos().x();
}

void QVEDualSlider::btnMouseMove(QMouseEvent* event, int pressX) {
    setFocus();
    if (!m_mouseEnabled || !m_startButton) {
        return;
    }
    const int end = m_endButton ? int(m_endPos) : usableWidth();
    const int position = std::max(0, std::min(pointerX(event) - pressX - startHandleX(0), end));
    m_startButton->move(startHandleX(position), m_handleTop);
    m_startPos = position;
    update();
    movePlayHandleTo(m_startPos);
    emit sendProgressValue(startValue());
    emit sendPlayProValue(playValue());
}

void QVEDualSlider::btnEndMouseMove(QMouseEvent* event, int pressX) {
    setFocus();
    if (!m_mouseEnabled || !m_endButton) {
        return;
    }
    const int start = m_startButton ? int(m_startPos) : 0;
    const int position = std::max(start, std::min(pointerX(event) - pressX - endHandleX(0), usableWidth()));
    m_endButton->move(endHandleX(position), m_handleTop);
    m_endPos = position;
    movePlayHandleTo(m_endPos);
    emit sendEndProgressValue(endValue());
    emit sendPlayProValue(playValue());
    update();
}

void QVEDualSlider::btnProMouseMove(QMouseEvent* event, int pressX) {
    setFocus();
    if (!m_mouseEnabled || !m_playButton) {
        return;
    }
    const int x = pointerX(event);
    const int newLeft = x - pressX;
    const int half = m_playWidth / 2;
    if (newLeft > m_leftMargin - half && newLeft + m_startWidth < width() - 1 - half) {
        m_playButton->move(newLeft, m_playTop);
        m_playPos = x - half - pressX;
    } else if (newLeft <= m_leftMargin - half) {
        m_playButton->move(m_leftMargin - half, m_playTop);
        m_playPos = 0;
    } else {
        m_playButton->move(width() - 1 - half - m_endWidth, m_playTop);
        m_playPos = width() - m_startWidth - m_endWidth;
    }
    emit sendPlayProValue(playValue());
}

void QVEDualSlider::btnMousePress(QMouseEvent*, int) {
    if (m_startButton) {
        m_startSelected = sender() == m_startButton;
    }
    emit emitMousePress();
}

void QVEDualSlider::btnMouseRelease(QMouseEvent*, int) {
    emit emitmouseRelease();
}

void QVEDualSlider::trackPress(int x) {
    if (!m_mouseEnabled || !m_playButton) {
        return;
    }
    const int half = m_playWidth / 2;
    if (x < m_leftMargin) {
        m_playButton->move(m_leftMargin - half, m_playTop);
        m_playPos = 0;
    } else if (x + m_startWidth < width() - half) {
        m_playButton->move(x - half, m_playTop);
        m_playPos = x - m_leftMargin;
    } else {
        m_playButton->move(width() - half - m_endWidth, m_playTop);
        m_playPos = width() - m_startWidth - m_endWidth;
    }
    emit sendPlayProValue(playValue());
}

void QVEDualSlider::mousePressEvent(QMouseEvent* event) {
    emit emitMousePress();
    trackPress(event->pos().x());
}

void QVEDualSlider::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() & Qt::LeftButton) {
        trackPress(event->pos().x());
    }
}

void QVEDualSlider::mouseReleaseEvent(QMouseEvent*) {
    emit emitmouseRelease();
    if (m_startButton) {
        m_startButton->setState(QVESliderCtrlBtn::Normal);
    }
}

void QVEDualSlider::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Left) {
        emit emitPreviousFrame();
    } else if (event->key() == Qt::Key_Right) {
        emit emitNextFrame();
    } else {
        event->ignore();
    }
}

void QVEDualSlider::enterEvent(QEvent* event) {
    QWidget::enterEvent(event);
    m_hovering = true;
    if (m_mouseEnabled) {
        setCursor(Qt::PointingHandCursor);
    }
}

void QVEDualSlider::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    m_hovering = false;
}

// Left cap, stretched middle and right cap of `pixmap`, vertically centred, between the
// two x positions.
void QVEDualSlider::drawPiecewise(QPainter& painter, const QPixmap& pixmap, int left, int right) const {
    const int span = right - left;
    if (span <= 0 || pixmap.isNull()) {
        return;
    }
    const int h = pixmap.height();
    const int y = (height() - h) / 2;
    const int edge = std::min(m_trackEdge, span / 2);
    const int sourceEdge = std::min(m_trackEdge, pixmap.width() / 2);
    if (edge > 0) {
        painter.drawPixmap(QRect(left, y, edge, h), pixmap, QRect(0, 0, sourceEdge, h));
        painter.drawPixmap(QRect(right - edge, y, edge, h), pixmap,
                           QRect(pixmap.width() - sourceEdge, 0, sourceEdge, h));
    }
    painter.drawPixmap(QRect(left + edge, y, span - 2 * edge, h), pixmap,
                       QRect(sourceEdge, 0, std::max(1, pixmap.width() - 2 * sourceEdge), h));
}

void QVEDualSlider::paintEvent(QPaintEvent*) {
    // The background stays the parent's (a see-through widget).
    QPainter painter(this);
    if (!m_groovePixmap || !m_rangePixmap || m_groovePixmap->isNull() || m_rangePixmap->isNull()) {
        return;
    }
    const int rangeLeft = m_leftMargin + int(m_startPos);
    const int rangeRight = m_endButton ? m_leftMargin + int(m_endPos) : width() - m_startWidth;
    if (m_piecewise) {
        drawPiecewise(painter, *m_groovePixmap, m_leftMargin, m_leftMargin + usableWidth());
        drawPiecewise(painter, *m_rangePixmap, rangeLeft, rangeRight);
        return;
    }
    painter.drawPixmap(rect(), *m_groovePixmap);
    if (rangeRight > rangeLeft) {
        painter.drawPixmap(QRect(rangeLeft, 0, rangeRight - rangeLeft, height()), *m_rangePixmap);
    }
    if (m_showValue) {
        painter.setPen(Qt::white);
        painter.drawText(QPoint(width() / 2, 11), QStringLiteral("%1%").arg(int(m_value)));
    }
}
