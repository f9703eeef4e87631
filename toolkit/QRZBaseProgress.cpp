#include "toolkit/QRZBaseProgress.h"

#include "toolkit/ImagePainting.h"
#include "toolkit/QRZButton.h"

#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>

#include <algorithm>
#include <cmath>

// ---------------------------------------------------------------------------------------
// QRZBaseProgress

struct QRZBaseProgress::Private {
    QImage* groove = nullptr;
    QImage* chunk = nullptr;
    int grooveWidth = 0;
    int grooveHeight = 0;
    int kind = HorizontalBar;
    double minimum = 0.0;
    double maximum = 100.0;
    double value = 0.0;
    bool roundEnds = true;
    int capLimit = -1;
    int marginStart = 0;
    int marginEnd = 0;
    double startAngle = 90.0;
    int circleStyle = Ring;
    double outlineWidth = 1.0;
    double valuePenWidth = 1.0;
    QString textFormat = QStringLiteral("%p%");
    int decimals = 1;
    int textAlignment = Qt::AlignHCenter | Qt::AlignVCenter;
    int placeholders = 2; // 1 "%v", 2 "%p", 4 "%m"
    int updateIntervalMs = 0;
    bool repaintPending = false;
    QElapsedTimer lastRepaint;
    QTimer* throttle = nullptr;
    int repaintRequests = 0;
};

QRZBaseProgress::QRZBaseProgress(QWidget* parent) : QWidget(parent), d(new Private) {
    d->lastRepaint.start();
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor(230, 230, 230));
    palette.setColor(QPalette::Highlight, QColor(6, 176, 37));
    palette.setColor(QPalette::Base, QColor(6, 176, 37, 0));
    palette.setColor(QPalette::AlternateBase, QColor(255, 0, 0, 0));
    setPalette(palette);
    setAttribute(Qt::WA_TranslucentBackground, true);
}

QRZBaseProgress::~QRZBaseProgress() {
    delete d->groove;
    delete d->chunk;
    delete d;
}

void QRZBaseProgress::setProgressType(int kind) {
    d->kind = kind;
    update();
}

int QRZBaseProgress::progressType() const {
    return d->kind;
}

void QRZBaseProgress::setDisplayMode(int circleStyle) {
    if (d->circleStyle != circleStyle) {
        d->circleStyle = circleStyle;
        update();
    }
}

bool QRZBaseProgress::setBackgroundImage(const QString& path) {
    delete d->groove;
    d->groove = nullptr;
    const QImage image = loadToolkitImage(path);
    if (image.isNull()) {
        return false;
    }
    d->groove = new QImage(image);
    d->grooveWidth = image.width();
    d->grooveHeight = image.height();
    update();
    return true;
}

bool QRZBaseProgress::setChunkImage(const QString& path) {
    delete d->chunk;
    d->chunk = nullptr;
    const QImage image = loadToolkitImage(path);
    if (image.isNull()) {
        return false;
    }
    d->chunk = new QImage(image);
    update();
    return true;
}

void QRZBaseProgress::setRoundEnds(bool roundEnds) {
    d->roundEnds = roundEnds;
}
void QRZBaseProgress::setCapLimit(int limit) {
    d->capLimit = limit;
}
void QRZBaseProgress::setOption1(int roundEnds) {
    setRoundEnds(roundEnds != 0);
}
void QRZBaseProgress::setOption2(int capLimit) {
    setCapLimit(capLimit);
}

void QRZBaseProgress::setMargins(int start, int end) {
    d->marginStart = start;
    d->marginEnd = end;
    const int length = d->kind == HorizontalBar ? width() : height();
    if (start + end >= length) {
        d->marginStart = 0;
        d->marginEnd = 0;
    }
    update();
}

int QRZBaseProgress::marginStart() const {
    return d->marginStart;
}
int QRZBaseProgress::marginEnd() const {
    return d->marginEnd;
}

void QRZBaseProgress::setTextFormat(const QString& format) {
    if (format == d->textFormat) {
        return;
    }
    d->textFormat = format;
    updateTextFlags();
}

QString QRZBaseProgress::textFormat() const {
    return d->textFormat;
}

void QRZBaseProgress::updateTextFlags() {
    d->placeholders = 0;
    if (d->textFormat.contains(QLatin1String("%v"))) {
        d->placeholders |= 1;
    }
    if (d->textFormat.contains(QLatin1String("%p"))) {
        d->placeholders |= 2;
    }
    if (d->textFormat.contains(QLatin1String("%m"))) {
        d->placeholders |= 4;
    }
    update();
}

double QRZBaseProgress::minimum() const {
    return d->minimum;
}
double QRZBaseProgress::maximum() const {
    return d->maximum;
}
double QRZBaseProgress::value() const {
    return d->value;
}

double QRZBaseProgress::span() const {
    const double width = d->maximum - d->minimum;
    return width > 0.0 ? width : 1.0;
}

double QRZBaseProgress::fraction() const {
    if (d->maximum <= d->minimum) {
        return 0.0;
    }
    return std::max(0.0, std::min(1.0, (d->value - d->minimum) / (d->maximum - d->minimum)));
}

void QRZBaseProgress::setRange(double minimum, double maximum) {
    if (minimum > maximum) {
        std::swap(minimum, maximum);
    }
    d->minimum = minimum;
    d->maximum = maximum;
    d->value = std::max(minimum, std::min(maximum, d->value));
    update();
}

void QRZBaseProgress::setMinimum(double minimum) {
    setRange(minimum, d->maximum);
}
void QRZBaseProgress::setMaximum(double maximum) {
    setRange(d->minimum, maximum);
}

void QRZBaseProgress::storeValue(double value) {
    d->value = std::max(d->minimum, std::min(d->maximum, value));
    emit valueChanged(d->value);
}

void QRZBaseProgress::requestRepaint() {
    ++d->repaintRequests;
    update();
}

int QRZBaseProgress::repaintRequests() const {
    return d->repaintRequests;
}

void QRZBaseProgress::setValue(double value) {
    // Clamped first, so that a value beyond a bound the bar already shows changes nothing
    // and reports no change.
    value = std::max(d->minimum, std::min(d->maximum, value));
    if (value == d->value) {
        return;
    }
    storeValue(value);
    if (d->updateIntervalMs > 0) {
        if (d->lastRepaint.elapsed() < d->updateIntervalMs) {
            d->repaintPending = true;
            return;
        }
        d->lastRepaint.restart();
        d->repaintPending = false;
    }
    requestRepaint();
}

void QRZBaseProgress::setValue(int value) {
    setValue(static_cast<double>(value));
}

void QRZBaseProgress::setUpdateInterval(int ms) {
    d->updateIntervalMs = ms;
    d->repaintPending = false;
    if (d->throttle != nullptr) {
        d->throttle->stop();
        delete d->throttle;
        d->throttle = nullptr;
    }
    if (ms > 0) {
        d->throttle = new QTimer(this);
        connect(d->throttle, SIGNAL(timeout()), this, SLOT(UpdateTime()));
        d->throttle->start(ms);
    }
}

void QRZBaseProgress::UpdateTime() {
    if (d->repaintPending && d->lastRepaint.elapsed() >= 2 * d->updateIntervalMs) {
        d->lastRepaint.restart();
        d->repaintPending = false;
        requestRepaint();
    }
}

QString QRZBaseProgress::formatText(double value) const {
    QString text = d->textFormat;
    const double width = d->maximum - d->minimum;
    if (d->placeholders & 1) {
        text.replace(QLatin1String("%v"), QString::number(value, 'f', d->decimals));
    }
    if (d->placeholders & 2) {
        const double percent = width > 0.0 ? (value - d->minimum) / width * 100.0 : 0.0;
        text.replace(QLatin1String("%p"), QString::number(percent, 'f', d->decimals));
    }
    if (d->placeholders & 4) {
        text.replace(QLatin1String("%m"), QString::number(width + 1.0, 'f', d->decimals));
    }
    return text;
}

int QRZBaseProgress::capSize() const {
    if (!d->roundEnds) {
        return 0;
    }
    int thickness = 0;
    if (d->kind == HorizontalBar) {
        thickness = d->groove != nullptr ? d->grooveHeight : height();
    } else {
        thickness = d->groove != nullptr ? d->grooveWidth : width();
    }
    int cap = thickness / 2;
    if (d->capLimit >= 0) {
        cap = std::min(cap, d->capLimit);
    }
    return cap;
}

QRect QRZBaseProgress::barRect() const {
    if (d->kind == HorizontalBar) {
        QRect rect(QPoint(d->marginStart, 0), QPoint(width() - 1 - d->marginEnd, height() - 1));
        if (d->groove != nullptr) {
            rect.setTop((height() - d->grooveHeight) / 2);
            rect.setHeight(d->grooveHeight);
        }
        return rect;
    }
    QRect rect(QPoint(0, d->marginStart), QPoint(width() - 1, height() - 1 - d->marginEnd));
    if (d->groove != nullptr) {
        rect.setLeft((width() - d->grooveWidth) / 2);
        rect.setWidth(d->grooveWidth);
    }
    return rect;
}

void QRZBaseProgress::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(Qt::NoPen);
    painter.setRenderHint(QPainter::Antialiasing, true);
    paintBackground(&painter);
    paintValue(&painter);
    paintText(&painter);
}

void QRZBaseProgress::paintBackground(QPainter* painter) {
    if (d->kind == Circular) {
        const int side = std::min(width(), height());
        paintCircleBackground(painter, QRectF(1, 1, side - 2, side - 2));
        return;
    }
    if (d->groove != nullptr) {
        paintGrooveImage(painter);
        return;
    }
    const QRect bar = barRect();
    painter->fillPath(roundedRectPath(bar.x(), bar.y(), bar.width(), bar.height(), capSize()),
                      palette().color(QPalette::Window));
}

void QRZBaseProgress::paintGrooveImage(QPainter* painter) {
    if (d->groove == nullptr) {
        return;
    }
    drawBar(painter, *d->groove, barRect(), false);
}

void QRZBaseProgress::drawBar(QPainter* painter, const QImage& image, const QRect& target, bool partial) {
    const int c = capSize();
    const bool horizontal = d->kind == HorizontalBar;
    const int imageLength = horizontal ? image.width() : image.height();
    const int targetLength = horizontal ? target.width() : target.height();
    // Pieces are as thick as the groove (or the recorded bar size).
    const int thickness = horizontal ? (d->grooveHeight > 0 ? d->grooveHeight : target.height())
                                     : (d->grooveWidth > 0 ? d->grooveWidth : target.width());
    auto piece = [&](int targetStart, int targetLen, int sourceStart, int sourceLen) {
        if (targetLen <= 0 || sourceLen <= 0) {
            return;
        }
        if (horizontal) {
            drawImagePart(painter, QRect(target.left() + targetStart, target.top(), targetLen, thickness),
                          QRect(sourceStart, 0, sourceLen, image.height()), image);
        } else {
            drawImagePart(painter, QRect(target.left(), target.top() + targetStart, thickness, targetLen),
                          QRect(0, sourceStart, image.width(), sourceLen), image);
        }
    };
    if (d->roundEnds && c > 0) {
        piece(0, c, 0, c);
        piece(targetLength - c, c, imageLength - c, c);
        piece(c, targetLength - 2 * c, c, imageLength - 2 * c);
        return;
    }
    // Without caps a partly filled chunk reveals itself from the start instead of
    // stretching its whole picture into the filled part.
    int sourceLength = imageLength;
    if (partial) {
        sourceLength = static_cast<int>(imageLength * fraction());
    }
    piece(0, targetLength, 0, sourceLength);
}

void QRZBaseProgress::paintValue(QPainter* painter) {
    if (d->kind == Circular) {
        const int side = std::min(width(), height());
        if (side <= 2) {
            return;
        }
        QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter imagePainter(&image);
        imagePainter.setRenderHint(QPainter::Antialiasing, true);
        const QRectF square(1, 1, side - 2, side - 2);
        paintCircleValue(&imagePainter, square, d->value, fraction() * 360.0);
        paintCircleInner(&imagePainter, circleInnerRect(QRectF(0, 0, side, side)));
        imagePainter.end();
        painter->drawImage(0, 0, image);
        return;
    }
    if (d->chunk != nullptr) {
        paintChunk(painter, *d->chunk);
        return;
    }
    const QRect bar = barRect();
    d->grooveWidth = d->groove != nullptr ? d->grooveWidth : bar.width();
    d->grooveHeight = d->groove != nullptr ? d->grooveHeight : bar.height();
    if (bar.width() <= 0 || bar.height() <= 0) {
        return;
    }
    QImage image(bar.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter imagePainter(&image);
    imagePainter.setRenderHint(QPainter::Antialiasing, true);
    imagePainter.fillPath(roundedRectPath(0, 0, bar.width(), bar.height(), capSize()),
                          palette().color(QPalette::Highlight));
    imagePainter.end();
    paintChunk(painter, image);
}

void QRZBaseProgress::paintChunk(QPainter* painter, const QImage& chunk) {
    const bool horizontal = d->kind == HorizontalBar;
    const int usable = (horizontal ? width() : height()) - d->marginStart - d->marginEnd;
    const double filled = fraction() * usable + 0.5;
    const int c = capSize();
    const QRect bar = barRect();
    if (filled > 2 * c) {
        const int length = static_cast<int>(filled);
        QRect rect = bar;
        if (horizontal) {
            rect.setWidth(length);
        } else {
            rect.setTop(bar.bottom() - length + 1);
        }
        drawBar(painter, chunk, rect, true);
        return;
    }
    if (!d->roundEnds || c <= 0) {
        return;
    }
    // A small value: the outer parts of both caps side by side, a short pill.
    const int half = static_cast<int>(filled / 2);
    if (half <= 0) {
        return;
    }
    if (horizontal) {
        const int thickness = d->grooveHeight > 0 ? d->grooveHeight : bar.height();
        drawImagePart(painter, QRect(bar.left(), bar.top(), half, thickness), QRect(0, 0, half, chunk.height()), chunk);
        drawImagePart(painter, QRect(bar.left() + half, bar.top(), half, thickness),
                      QRect(chunk.width() - half, 0, half, chunk.height()), chunk);
    } else {
        const int thickness = d->grooveWidth > 0 ? d->grooveWidth : bar.width();
        drawImagePart(painter, QRect(bar.left(), bar.bottom() - 2 * half + 1, thickness, half),
                      QRect(0, 0, chunk.width(), half), chunk);
        drawImagePart(painter, QRect(bar.left(), bar.bottom() - half + 1, thickness, half),
                      QRect(0, chunk.height() - half, chunk.width(), half), chunk);
    }
}

void QRZBaseProgress::paintText(QPainter* painter) {
    if (d->textFormat.isEmpty()) {
        return;
    }
    painter->setFont(font());
    painter->setPen(palette().color(QPalette::WindowText));
    painter->drawText(rect(), d->textAlignment, formatText(d->value));
}

namespace {
QPen solidPen(const QColor& color, double width) {
    return QPen(QBrush(color), width, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin);
}
} // namespace

void QRZBaseProgress::paintCircleBackground(QPainter* painter, const QRectF& square) {
    const QPalette& pal = palette();
    painter->save();
    switch (d->circleStyle) {
    case Ring:
        painter->setPen(solidPen(pal.color(QPalette::Shadow), d->outlineWidth));
        painter->setBrush(pal.color(QPalette::Base));
        painter->drawEllipse(square);
        break;
    case Pie:
        painter->setPen(solidPen(pal.color(QPalette::Base), d->outlineWidth));
        painter->setBrush(pal.color(QPalette::Base));
        painter->drawEllipse(square);
        break;
    default: {
        const double inset = d->outlineWidth / 2;
        painter->setPen(solidPen(pal.color(QPalette::Base), d->outlineWidth));
        painter->setBrush(Qt::NoBrush);
        painter->drawEllipse(square.adjusted(inset, inset, -inset, -inset));
        break;
    }
    }
    painter->restore();
}

void QRZBaseProgress::paintCircleValue(QPainter* painter, const QRectF& square, double value, double spanDegrees) {
    if (value == d->minimum) {
        return;
    }
    const QPalette& pal = palette();
    const int start = static_cast<int>(d->startAngle * 16);
    const int spanSixteenths = -static_cast<int>(spanDegrees * 16); // clockwise
    if (d->circleStyle == Arc) {
        const double inset = d->outlineWidth / 2;
        painter->setPen(solidPen(pal.color(QPalette::Highlight), d->valuePenWidth));
        painter->setBrush(Qt::NoBrush);
        painter->drawArc(square.adjusted(inset, inset, -inset, -inset), start, spanSixteenths);
        return;
    }
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    path.moveTo(square.center());
    path.arcTo(square, d->startAngle, -spanDegrees);
    path.closeSubpath();
    painter->setPen(solidPen(pal.color(QPalette::Shadow), d->valuePenWidth));
    painter->setBrush(pal.color(QPalette::Highlight));
    painter->drawPath(path);
}

QRectF QRZBaseProgress::circleInnerRect(const QRectF& square) const {
    const double side = std::min(square.width(), square.height());
    const double inner = d->circleStyle == Arc ? side - d->outlineWidth : side * 0.75;
    return QRectF(square.center().x() - inner / 2, square.center().y() - inner / 2, inner, inner);
}

void QRZBaseProgress::paintCircleInner(QPainter* painter, const QRectF& inner) {
    if (d->circleStyle != Ring) {
        return;
    }
    const QPalette& pal = palette();
    painter->save();
    painter->setCompositionMode(QPainter::CompositionMode_Clear);
    painter->setPen(Qt::NoPen);
    painter->setBrush(Qt::black);
    painter->drawEllipse(inner);
    painter->setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter->setPen(solidPen(pal.color(QPalette::Shadow), d->outlineWidth));
    painter->setBrush(pal.color(QPalette::AlternateBase));
    painter->drawEllipse(inner);
    painter->restore();
}

// ---------------------------------------------------------------------------------------
// QRZBaseSlider

struct QRZBaseSlider::Private {
    bool mouseEnabled = true;
    QRZBaseButton* handle = nullptr;
    int handleOffset = 0;
};

QRZBaseSlider::QRZBaseSlider(QWidget* parent) : QRZBaseProgress(parent), d(new Private) {
    setFocusPolicy(Qt::ClickFocus);
}

QRZBaseSlider::~QRZBaseSlider() {
    delete d;
}

void QRZBaseSlider::setMouseEnabled(bool enabled) {
    d->mouseEnabled = enabled;
}
bool QRZBaseSlider::isMouseEnabled() const {
    return d->mouseEnabled;
}
void QRZBaseSlider::setHandleOffset(int offset) {
    d->handleOffset = offset;
}
QRZBaseButton* QRZBaseSlider::handle() const {
    return d->handle;
}

bool QRZBaseSlider::setHandleImage(const QString& path) {
    delete d->handle;
    d->handle = new QRZBaseButton(this);
    d->handle->setFocusPolicy(Qt::NoFocus);
    connect(d->handle, SIGNAL(mouseMove(QMouseEvent*, int)), this, SLOT(btnMouseMove(QMouseEvent*, int)));
    connect(d->handle, SIGNAL(mouseDown(QMouseEvent*, int)), this, SLOT(btnMouseDown(QMouseEvent*, int)));
    connect(d->handle, SIGNAL(mouseRelease(QMouseEvent*, int)), this, SLOT(btnMouseRelease(QMouseEvent*, int)));
    if (!d->handle->setImage(path, false)) {
        if (progressType() == HorizontalBar) {
            d->handle->resize(10, height());
        } else {
            d->handle->resize(width(), 10);
        }
    }
    d->handle->move(0, 0);
    d->handle->show();
    setHandleMargins(marginStart(), marginEnd());
    update();
    return true;
}

void QRZBaseSlider::setHandleSize(int width, int height) {
    if (d->handle == nullptr) {
        return;
    }
    d->handle->resize(width > 0 ? width : d->handle->width(), height > 0 ? height : d->handle->height());
    placeHandle();
}

void QRZBaseSlider::setHandleMargins(int start, int end) {
    if (d->handle != nullptr) {
        const int halfHeight = d->handle->height() / 2;
        const int halfWidth = d->handle->width() / 2;
        if (start < halfHeight) {
            start = halfWidth;
        }
        if (end < halfHeight) {
            end = halfWidth;
        }
    }
    setMargins(start, end);
    update();
}

int QRZBaseSlider::usableLength() const {
    const int length = progressType() == HorizontalBar ? width() : height();
    return length - marginStart() - marginEnd();
}

bool QRZBaseSlider::hitsGroove(const QPoint& pos) const {
    const int coordinate = progressType() == HorizontalBar ? pos.x() : pos.y();
    const int length = progressType() == HorizontalBar ? width() : height();
    return coordinate >= marginStart() && coordinate <= length - marginEnd();
}

void QRZBaseSlider::setValue(double value) {
    if (value == this->value()) {
        return;
    }
    QRZBaseProgress::setValue(value);
    update();
}

void QRZBaseSlider::setValue(int value) {
    setValue(static_cast<double>(value));
}

void QRZBaseSlider::setValueFromPosition(const QPoint& pos) {
    const int usable = usableLength();
    // An empty range has no value to seek to.
    if (!d->mouseEnabled || usable <= 0 || maximum() <= minimum()) {
        return;
    }
    int position = 0;
    if (progressType() == HorizontalBar) {
        position = pos.x() - marginStart();
    } else {
        position = usable - (pos.y() - marginStart());
    }
    position = std::max(0, std::min(usable, position));
    const double width = maximum() - minimum();
    const double v = minimum() + width * position / usable;
    if (v == value()) {
        return;
    }
    QRZBaseProgress::setValue(v);
    update();
    emit sendProgressValue((v - minimum()) / width);
}

// Positions come from the events' places in their window, never from global ones: Qt's
// idea of where a window is can lag behind the window manager that placed it.
void QRZBaseSlider::btnMouseMove(QMouseEvent* event, int) {
    if (event == nullptr) {
        return;
    }
    auto* handle = qobject_cast<QWidget*>(sender());
    setValueFromPosition(handle != nullptr && handle != this ? handle->mapTo(this, event->pos()) : event->pos());
    update();
}

void QRZBaseSlider::btnMouseDown(QMouseEvent* event, int) {
    emit sendPressEvent(event);
}
void QRZBaseSlider::btnMouseRelease(QMouseEvent* event, int) {
    emit sendReleseEvent(event);
}

void QRZBaseSlider::mousePressEvent(QMouseEvent* event) {
    const QPoint pos = event->pos();
    if (hitsGroove(pos)) {
        emit sendPressEvent(event);
        setValueFromPosition(pos);
    }
}

void QRZBaseSlider::mouseMoveEvent(QMouseEvent* event) {
    setValueFromPosition(event->pos());
}

void QRZBaseSlider::mouseReleaseEvent(QMouseEvent* event) {
    if (hitsGroove(event->pos())) {
        emit sendReleseEvent(event);
    }
}

void QRZBaseSlider::enterEvent(QEvent*) {}
void QRZBaseSlider::leaveEvent(QEvent*) {}

void QRZBaseSlider::keyPressEvent(QKeyEvent* event) {
    QWidget::keyPressEvent(event);
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Down:
        stepDown();
        break;
    case Qt::Key_Up:
    case Qt::Key_Right:
        stepUp();
        break;
    default:
        break;
    }
}

void QRZBaseSlider::stepDown() {
    const double before = value();
    QRZBaseProgress::setValue(before - (maximum() - minimum()) / 100.0);
    if (value() != before) {
        update();
    }
}

void QRZBaseSlider::stepUp() {
    const double before = value();
    QRZBaseProgress::setValue(before + (maximum() - minimum()) / 100.0);
    if (value() != before) {
        update();
    }
}

void QRZBaseSlider::paintEvent(QPaintEvent* event) {
    QRZBaseProgress::paintEvent(event);
    placeHandle();
}

void QRZBaseSlider::resizeEvent(QResizeEvent* event) {
    QRZBaseProgress::resizeEvent(event);
    placeHandle();
}

void QRZBaseSlider::placeHandle() {
    if (d->handle == nullptr) {
        return;
    }
    const int usable = usableLength();
    const double b = fraction() * usable;
    if (progressType() == HorizontalBar) {
        const int centre = static_cast<int>(marginStart() + b - 1);
        d->handle->move(centre - d->handle->width() / 2, (height() - d->handle->height()) / 2 + d->handleOffset);
    } else {
        const int centre = static_cast<int>(marginStart() + (usable - b));
        d->handle->move((width() - d->handle->width()) / 2 + d->handleOffset, centre - d->handle->height() / 2);
    }
}
