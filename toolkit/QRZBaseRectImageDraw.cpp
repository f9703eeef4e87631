#include "toolkit/QRZBaseRectImageDraw.h"

#include "toolkit/DrawState.h"
#include "toolkit/ImagePainting.h"

#include <QEvent>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QWidget>

struct QRZBaseRectImageDraw::Private {
    QWidget* owner = nullptr;
    QImage* frame = nullptr;
    QImage* extra = nullptr;
    bool frameIsStrip = false;
    QRect extraRect{0, -1, 0, 0};
    bool extraIsStrip = false;
    QString text;
    bool textVisible = true;
    qint16 margins[4] = {1, 1, 1, 1};
    int alignment = Qt::AlignLeft | Qt::AlignVCenter;
    QColor current{0, 0, 0};
    QColor colors[4] = {QColor(0, 0, 0), QColor(0, 0, 0), QColor(0, 0, 0), QColor(0, 0, 0)};
    bool focused = false;
    int state = StateNormal;
};

QRZBaseRectImageDraw::QRZBaseRectImageDraw(QWidget* owner) : d(new Private) {
    d->owner = owner;
}

QRZBaseRectImageDraw::~QRZBaseRectImageDraw() {
    delete d->frame;
    delete d->extra;
    delete d;
}

QWidget* QRZBaseRectImageDraw::frameOwner() const {
    return d->owner;
}

bool QRZBaseRectImageDraw::setFrameImage(const QString& path) {
    delete d->frame;
    d->frame = nullptr;
    const QImage image = loadToolkitImage(path);
    if (image.isNull()) {
        return false;
    }
    d->frame = new QImage(image);
    if (d->owner != nullptr) {
        d->owner->update();
    }
    return true;
}

bool QRZBaseRectImageDraw::hasFrameImage() const {
    return d->frame != nullptr;
}

bool QRZBaseRectImageDraw::setExtraImage(const QString& path) {
    return setExtraImage(loadToolkitImage(path));
}

bool QRZBaseRectImageDraw::setExtraImage(const QImage& image) {
    delete d->extra;
    d->extra = nullptr;
    if (image.isNull()) {
        return false;
    }
    d->extra = new QImage(image);
    if (d->owner != nullptr) {
        d->owner->update();
    }
    return true;
}

void QRZBaseRectImageDraw::setExtraImageRect(const QRect& rect) {
    d->extraRect = rect;
}
QRect QRZBaseRectImageDraw::extraImageRect() const {
    return d->extraRect;
}
void QRZBaseRectImageDraw::setFrameIsStrip(bool strip) {
    d->frameIsStrip = strip;
}
void QRZBaseRectImageDraw::setExtraImageIsStrip(bool strip) {
    d->extraIsStrip = strip;
}

void QRZBaseRectImageDraw::setText(const QString& text) {
    if (text == d->text) {
        return;
    }
    d->text = text;
    if (d->owner != nullptr) {
        d->owner->update();
    }
}

QString QRZBaseRectImageDraw::text() const {
    return d->text;
}

void QRZBaseRectImageDraw::setTextAlignment(int alignment) {
    d->alignment = alignment;
    if (d->owner != nullptr) {
        d->owner->update();
    }
}

int QRZBaseRectImageDraw::textAlignment() const {
    return d->alignment;
}
void QRZBaseRectImageDraw::setTextVisible(bool visible) {
    d->textVisible = visible;
}

void QRZBaseRectImageDraw::setTextMargins(int left, int top, int right, int bottom) {
    d->margins[0] = static_cast<qint16>(left);
    d->margins[1] = static_cast<qint16>(top);
    d->margins[2] = static_cast<qint16>(right);
    d->margins[3] = static_cast<qint16>(bottom);
    if (d->owner != nullptr) {
        d->owner->update();
    }
}

void QRZBaseRectImageDraw::setTextMargins(const QMargins& margins) {
    setTextMargins(margins.left(), margins.top(), margins.right(), margins.bottom());
}

QMargins QRZBaseRectImageDraw::textMargins() const {
    return QMargins(d->margins[0], d->margins[1], d->margins[2], d->margins[3]);
}

void QRZBaseRectImageDraw::setTextColors(const QColor& normal, const QColor& hover, const QColor& pressed,
                                         const QColor& disabled) {
    d->colors[0] = normal;
    d->colors[1] = hover;
    d->colors[2] = pressed;
    d->colors[3] = disabled;
    d->current = normal;
}

void QRZBaseRectImageDraw::setFocusState(bool focused) {
    d->focused = focused;
}
int QRZBaseRectImageDraw::state() const {
    return d->state;
}

int QRZBaseRectImageDraw::currentFrame() const {
    if (d->focused) {
        return StatePressed;
    }
    return qBound(0, d->state, 3);
}

QColor QRZBaseRectImageDraw::textColor() {
    if (!d->frameIsStrip) {
        return d->colors[0];
    }
    if (d->focused) {
        return d->colors[StatePressed];
    }
    d->current = d->colors[qBound(0, d->state, 3)];
    return d->current;
}

void QRZBaseRectImageDraw::paint(QPaintEvent*) {
    if (d->owner == nullptr || d->frame == nullptr) {
        return;
    }
    QPainter painter(d->owner);
    paintFrame(&painter);
    paintExtraImage(&painter);
    paintText(&painter);
}

void QRZBaseRectImageDraw::paintFrame(QPainter* painter) {
    if (d->owner == nullptr || d->frame == nullptr) {
        return;
    }
    const QImage image = d->frameIsStrip ? stripFrame(*d->frame, currentFrame()) : *d->frame;
    drawNineGrid(painter, d->owner->rect(), image, true);
}

void QRZBaseRectImageDraw::paintExtraImage(QPainter* painter) {
    if (d->owner == nullptr || d->extra == nullptr) {
        return;
    }
    const QImage image = d->extraIsStrip ? stripFrame(*d->extra, currentFrame()) : *d->extra;
    if (image.isNull()) {
        return;
    }
    QRect& rect = d->extraRect;
    if (rect.width() <= 0) {
        rect.setWidth(image.width());
    }
    if (rect.height() <= 0) {
        rect.setHeight(image.height());
    }
    if (rect.top() == -1) {
        rect.moveTop((d->owner->height() - rect.height()) / 2);
    }
    const QImage scaled = image.scaled(rect.size(), Qt::KeepAspectRatio, Qt::SmoothTransformation);
    painter->drawImage(rect.topLeft(), scaled);
}

void QRZBaseRectImageDraw::paintText(QPainter* painter) {
    painter->setRenderHint(QPainter::TextAntialiasing, true);
    if (d->owner == nullptr || d->text.isEmpty() || !d->textVisible) {
        return;
    }
    painter->setFont(d->owner->font());
    painter->setPen(textColor());
    const QRect rect(QPoint(d->margins[0], d->margins[1]),
                     QPoint(d->owner->width() - 1 - d->margins[2], d->owner->height() - 1 - d->margins[3]));
    const QFontMetrics metrics(d->owner->font());
    painter->drawText(rect, d->alignment, metrics.elidedText(d->text, Qt::ElideRight, rect.width()));
}

void QRZBaseRectImageDraw::setState(int state, bool repaint) {
    drawstate::set(d->owner, &d->state, state, repaint);
}

int QRZBaseRectImageDraw::mousePress(QMouseEvent* event) {
    if (d->owner == nullptr || event == nullptr || event->button() != Qt::LeftButton) {
        return 0;
    }
    if (!d->owner->isEnabled()) {
        setState(StateDisabled, false);
        return 0;
    }
    if (d->state == StatePressed) {
        return 2;
    }
    setState(StatePressed, true);
    return 1;
}

void QRZBaseRectImageDraw::mouseRelease(QMouseEvent* event) {
    if (d->owner == nullptr || event == nullptr || event->button() != Qt::LeftButton) {
        return;
    }
    if (!d->owner->isEnabled()) {
        setState(StateDisabled, false);
    } else if (d->state == StatePressed) {
        setState(StateNormal, true);
    }
}

void QRZBaseRectImageDraw::enter(QEvent*) {
    drawstate::enter(d->owner, &d->state);
}

void QRZBaseRectImageDraw::leave(QEvent*) {
    drawstate::leave(d->owner, &d->state);
}

void QRZBaseRectImageDraw::enabledChange(QEvent* event) {
    drawstate::enabledChange(d->owner, &d->state, event);
}

void QRZBaseRectImageDraw::resetState() {
    d->state = StateNormal;
    if (d->owner != nullptr) {
        d->owner->repaint();
    }
}
