#include "toolkit/QProgressIndicator.h"

#include <QPainter>
#include <QTimerEvent>

struct QProgressIndicator::Private {
    int angle = 0;
    int timerId = -1;
    int delayMs = 40;
    bool displayedWhenStopped = false;
    QColor color{Qt::black};
    int style = Bars;
};

QProgressIndicator::QProgressIndicator(QWidget* parent) : QWidget(parent), d(new Private) {
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setFocusPolicy(Qt::NoFocus);
}

QProgressIndicator::~QProgressIndicator() {
    delete d;
}

int QProgressIndicator::animationDelay() const {
    return d->delayMs;
}
bool QProgressIndicator::isAnimated() const {
    return d->timerId != -1;
}
bool QProgressIndicator::isDisplayedWhenStopped() const {
    return d->displayedWhenStopped;
}
QColor QProgressIndicator::color() const {
    return d->color;
}
int QProgressIndicator::angle() const {
    return d->angle;
}
void QProgressIndicator::setIndicatorStyle(int style) {
    d->style = style;
}
QSize QProgressIndicator::sizeHint() const {
    return QSize(20, 20);
}
int QProgressIndicator::heightForWidth(int width) const {
    return width;
}

void QProgressIndicator::startAnimation() {
    d->angle = 0;
    if (d->timerId == -1) {
        d->timerId = startTimer(d->delayMs, Qt::CoarseTimer);
    }
}

void QProgressIndicator::stopAnimation() {
    if (d->timerId != -1) {
        killTimer(d->timerId);
    }
    d->timerId = -1;
    update();
}

void QProgressIndicator::setAnimationDelay(int delayMs) {
    d->delayMs = delayMs;
    if (d->timerId != -1) {
        killTimer(d->timerId);
        d->timerId = startTimer(d->delayMs, Qt::CoarseTimer);
    }
}

void QProgressIndicator::setDisplayedWhenStopped(bool displayed) {
    d->displayedWhenStopped = displayed;
    update();
}

void QProgressIndicator::setColor(const QColor& color) {
    d->color = color;
    update();
}

void QProgressIndicator::timerEvent(QTimerEvent* event) {
    if (event->timerId() != d->timerId) {
        QWidget::timerEvent(event);
        return;
    }
    d->angle = (d->angle + 30) % 360;
    update();
}

void QProgressIndicator::paintEvent(QPaintEvent*) {
    if (!isAnimated() && !d->displayedWhenStopped) {
        return;
    }
    QPainter painter(this);
    paintSpinner(&painter);
}

void QProgressIndicator::paintSpinner(QPainter* painter) {
    const int side = qMin(width(), height());
    painter->setRenderHint(QPainter::Antialiasing, true);
    const int outer = static_cast<int>((side - 1) * 0.5);
    const int inner = static_cast<int>((side - 1) * 0.25);
    const int length = outer - inner;
    const int spokeWidth = static_cast<int>(length * (side <= 32 ? 0.35 : 0.23));
    const int corner = spokeWidth / 2;
    const int dot = static_cast<int>(length * 0.6);
    const QRect area = rect();
    const QPoint centre((area.left() + area.right()) / 2, (area.top() + area.bottom()) / 2);
    for (int i = 0; i < 12; ++i) {
        QColor color = d->color;
        color.setAlphaF(1.0 - i / 12.0);
        painter->setPen(Qt::NoPen);
        painter->setBrush(color);
        painter->save();
        painter->translate(centre);
        painter->rotate(d->angle - 30 * i);
        const int x = static_cast<int>(-spokeWidth * 0.5);
        if (d->style == Bars) {
            painter->drawRoundedRect(QRect(x, -outer, spokeWidth, length), corner, corner);
        } else {
            const int size = static_cast<int>(dot * (1.0 - i / 12.0));
            painter->drawEllipse(QRect(x, -outer, size, size));
        }
        painter->restore();
    }
}
