#include "toolkit/QRZButton.h"

#include "toolkit/DrawState.h"
#include "toolkit/ImagePainting.h"

#include <QAbstractButton>
#include <QEvent>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionButton>
#include <QTimerEvent>

#include <algorithm>

// ---------------------------------------------------------------------------------------
// QRZBaseButtonDraw

struct QRZBaseButtonDraw::Private {
    QImage* stateImage = nullptr;
    QImage* icon = nullptr;
    QRect iconRect{0, 0, 0, 0};
    int state = StateNormal;
    bool textRectSet = false;
    QRect textRect;
    QColor currentTextColor{0, 0, 0};
    int pressX = 0;
    bool nineGrid = true;
    int userIndex = 0;
    QColor textColors[4] = {QColor(0, 0, 0), QColor(0, 0, 0), QColor(0, 0, 0), QColor(0, 0, 0)};
    int textAlignment = Qt::AlignHCenter | Qt::AlignVCenter;
    QAbstractButton* owner = nullptr;
    int badgeFontSize = 11;
    int badgeCount = 0;
    QRect badgeRect{QPoint(-1, -1), QPoint(18, 18)};
    QColor badgeFill{255, 120, 0};
    QColor badgeText{255, 255, 255};
    bool blinkOn = false;
    int blinkTimer = 0;
    int blinkIntervalMs = 0;
    bool blinkPhase = false;
    int tag = 0;
};

QRZBaseButtonDraw::QRZBaseButtonDraw(QAbstractButton* owner) : d(new Private) {
    d->owner = owner;
    if (owner != nullptr) {
        d->textRect = owner->rect();
    }
}

QRZBaseButtonDraw::~QRZBaseButtonDraw() {
    delete d->stateImage;
    delete d->icon;
    delete d;
}

QAbstractButton* QRZBaseButtonDraw::buttonOwner() const {
    return d->owner;
}

bool QRZBaseButtonDraw::setImage(const QString& path, bool nineGrid) {
    const QImage strip = loadToolkitImage(path);
    if (strip.isNull() || strip.width() < 4) {
        return false;
    }
    delete d->stateImage;
    d->stateImage = new QImage(strip);
    d->nineGrid = nineGrid;
    if (d->owner != nullptr) {
        d->owner->resize(strip.width() / 4, strip.height());
        d->textRect = d->owner->rect();
        d->owner->update();
    }
    return true;
}

bool QRZBaseButtonDraw::hasImage() const {
    return d->stateImage != nullptr;
}

void QRZBaseButtonDraw::setTextAlignment(int alignment) {
    d->textAlignment = alignment;
}

void QRZBaseButtonDraw::setTextColors(const QColor& normal, const QColor& hover, const QColor& pressed,
                                      const QColor& disabled) {
    d->textColors[0] = normal;
    d->textColors[1] = hover;
    d->textColors[2] = pressed;
    d->textColors[3] = disabled;
    d->currentTextColor = normal;
}

void QRZBaseButtonDraw::setTextRect(const QRect& rect) {
    d->textRect = rect;
    d->textRectSet = true;
    if (d->owner != nullptr) {
        d->owner->update();
    }
}

bool QRZBaseButtonDraw::setIcon(const QString& path) {
    return setIconImage(loadToolkitImage(path));
}

bool QRZBaseButtonDraw::setIconImage(const QImage& image) {
    delete d->icon;
    d->icon = new QImage(image);
    if (d->owner != nullptr) {
        d->owner->update();
    }
    return true;
}

void QRZBaseButtonDraw::setIconRect(const QRect& rect) {
    d->iconRect = rect;
    if (d->owner != nullptr) {
        d->owner->update();
    }
}

void QRZBaseButtonDraw::startBlink(int intervalMs) {
    if (d->owner == nullptr) {
        return;
    }
    if (d->blinkTimer != 0) {
        d->owner->killTimer(d->blinkTimer);
    }
    d->blinkIntervalMs = intervalMs;
    d->blinkOn = true;
    d->blinkTimer = d->owner->startTimer(intervalMs, Qt::CoarseTimer);
}

void QRZBaseButtonDraw::stopBlink() {
    d->blinkOn = false;
    if (d->owner != nullptr && d->blinkTimer != 0) {
        d->owner->killTimer(d->blinkTimer);
    }
    d->blinkTimer = 0;
}

bool QRZBaseButtonDraw::isBlinking() const {
    return d->blinkOn;
}

void QRZBaseButtonDraw::setTag(int tag) {
    d->tag = tag;
}
int QRZBaseButtonDraw::tag() const {
    return d->tag;
}
void QRZBaseButtonDraw::setUserIndex(int index) {
    d->userIndex = index;
}
int QRZBaseButtonDraw::userIndex() const {
    return d->userIndex;
}

void QRZBaseButtonDraw::setBadgeCount(int count) {
    d->badgeCount = count;
    if (d->owner != nullptr) {
        d->owner->update();
    }
}

int QRZBaseButtonDraw::badgeCount() const {
    return d->badgeCount;
}
void QRZBaseButtonDraw::setBadgeRect(const QRect& rect) {
    d->badgeRect = rect;
}

void QRZBaseButtonDraw::setBadgeColors(const QColor& fill, const QColor& text) {
    d->badgeFill = fill;
    d->badgeText = text;
}

void QRZBaseButtonDraw::setBadgeFontSize(int pixelSize) {
    d->badgeFontSize = pixelSize;
}

int QRZBaseButtonDraw::state() const {
    return d->state;
}
QColor QRZBaseButtonDraw::currentTextColor() const {
    return d->currentTextColor;
}
int QRZBaseButtonDraw::pressX() const {
    return d->pressX;
}

void QRZBaseButtonDraw::setState(int state, bool repaintWhenChanged) {
    drawstate::set(d->owner, &d->state, state, repaintWhenChanged);
}

bool QRZBaseButtonDraw::mousePress(QMouseEvent* event) {
    if (d->owner == nullptr || event == nullptr || event->button() != Qt::LeftButton) {
        return false;
    }
    d->pressX = event->globalPos().x() - d->owner->mapToGlobal(QPoint(0, 0)).x();
    if (!d->owner->isEnabled()) {
        setState(StateDisabled, false);
        return false;
    }
    setState(StatePressed, true);
    return true;
}

bool QRZBaseButtonDraw::mouseRelease(QMouseEvent* event) {
    if (d->owner == nullptr || event == nullptr || event->button() != Qt::LeftButton) {
        return false;
    }
    if (!d->owner->isEnabled()) {
        setState(StateDisabled, false);
        return false;
    }
    if (d->state == StatePressed) {
        setState(d->owner->isChecked() ? StateHover : StateNormal, true);
    }
    return true;
}

void QRZBaseButtonDraw::enter(QEvent*) {
    drawstate::enter(d->owner, &d->state);
}

void QRZBaseButtonDraw::leave(QEvent*) {
    drawstate::leave(d->owner, &d->state);
}

void QRZBaseButtonDraw::enabledChange(QEvent* event) {
    drawstate::enabledChange(d->owner, &d->state, event);
}

void QRZBaseButtonDraw::timer(QTimerEvent* event) {
    if (d->owner == nullptr || event == nullptr || event->timerId() != d->blinkTimer || d->blinkTimer == 0) {
        return;
    }
    d->blinkPhase = !d->blinkPhase;
    d->owner->update();
}

void QRZBaseButtonDraw::focusInEvent(QFocusEvent*) {}
void QRZBaseButtonDraw::focusOutEvent(QFocusEvent*) {}

void QRZBaseButtonDraw::paint(QPaintEvent*) {
    if (d->owner == nullptr) {
        return;
    }
    QPainter painter(d->owner);
    paintStateImage(&painter);
    paintBlinkFrame(&painter);
    paintText(&painter);
    paintOverlay(&painter);
    paintIcon(&painter);
    paintBadge(&painter);
}

void QRZBaseButtonDraw::paintStateImage(QPainter* painter) {
    if (d->stateImage == nullptr || d->owner == nullptr) {
        return;
    }
    // A checked button keeps its pressed look whatever the mouse does.
    const int frame = d->owner->isChecked() ? StatePressed : std::max(0, std::min(d->state, 3));
    d->currentTextColor = d->textColors[frame];
    drawNineGrid(painter, d->owner->rect(), stripFrame(*d->stateImage, frame), d->nineGrid);
}

void QRZBaseButtonDraw::paintBlinkFrame(QPainter* painter) {
    if (!d->blinkOn || d->stateImage == nullptr || d->owner == nullptr) {
        return;
    }
    const int frame = d->blinkPhase ? StateHover : StatePressed;
    drawNineGrid(painter, d->owner->rect(), stripFrame(*d->stateImage, frame), d->nineGrid);
}

void QRZBaseButtonDraw::paintText(QPainter* painter) {
    if (d->owner == nullptr || d->owner->text().isEmpty()) {
        return;
    }
    const QFont oldFont = painter->font();
    painter->setFont(d->owner->font());
    painter->setPen(d->currentTextColor);
    const QFontMetrics metrics(d->owner->font());
    QRect target = d->owner->rect();
    if (d->textRectSet) {
        if (d->textRect.width() <= 0) {
            const int iconRight = d->iconRect.left() + std::max(0, d->iconRect.width());
            d->textRect.setWidth(d->owner->width() - iconRight);
        }
        if (d->textRect.height() <= 0) {
            d->textRect.setBottom(d->owner->height() - 1);
        }
        target = d->textRect;
    }
    const QString shown = metrics.elidedText(d->owner->text(), Qt::ElideRight, target.width());
    painter->drawText(target, d->textAlignment, shown);
    painter->setFont(oldFont);
}

void QRZBaseButtonDraw::paintOverlay(QPainter*) {}

void QRZBaseButtonDraw::paintIcon(QPainter* painter) {
    if (d->icon == nullptr || d->icon->isNull() || d->owner == nullptr) {
        return;
    }
    QRect& rect = d->iconRect;
    if (rect.width() <= 0) {
        rect.setWidth(d->icon->width());
    }
    if (rect.height() <= 0) {
        rect.setHeight(d->icon->height());
    }
    if (rect.left() == -1) {
        rect.moveLeft((d->owner->width() - rect.width()) / 2);
    }
    if (rect.top() == -1) {
        rect.moveTop((d->owner->height() - rect.height()) / 2);
    }
    const QImage scaled = d->icon->scaled(rect.size(), Qt::KeepAspectRatio, Qt::SmoothTransformation);
    painter->drawImage(rect.topLeft(), scaled);
}

void QRZBaseButtonDraw::paintBadge(QPainter* painter) {
    if (d->badgeCount <= 0 || d->owner == nullptr) {
        return;
    }
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, true);
    painter->setPen(QPen(d->badgeFill, 1, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
    painter->setBrush(d->badgeFill);
    const int width = d->badgeRect.width();
    const int height = d->badgeRect.height();
    const int left = d->badgeRect.left() == -1 ? d->owner->width() - width : d->badgeRect.left();
    const int top = d->badgeRect.top() == -1 ? 0 : d->badgeRect.top();
    const QRect badge(left, top, width, height);
    painter->drawEllipse(badge);
    QFont font("Tahoma");
    const bool capped = d->badgeCount >= 100;
    font.setPixelSize(capped ? d->badgeFontSize - 2 : d->badgeFontSize);
    painter->setFont(font);
    painter->setPen(d->badgeText);
    painter->drawText(badge, Qt::AlignHCenter | Qt::AlignVCenter,
                      capped ? QStringLiteral("99+") : QString::number(d->badgeCount));
    painter->restore();
}

// ---------------------------------------------------------------------------------------
// QRZBaseButton

QRZBaseButton::QRZBaseButton(QWidget* parent) : QPushButton(parent), QRZBaseButtonDraw(this) {}

QRZBaseButton::~QRZBaseButton() {
    stopBlink();
}

void QRZBaseButton::addItemCount() {
    setBadgeCount(badgeCount() + 1);
    repaint();
}

void QRZBaseButton::mousePressEvent(QMouseEvent* event) {
    if (QRZBaseButtonDraw::mousePress(event)) {
        emit mouseDown(event, pressX());
    }
    QAbstractButton::mousePressEvent(event);
}

void QRZBaseButton::mouseReleaseEvent(QMouseEvent* event) {
    if (QRZBaseButtonDraw::mouseRelease(event)) {
        emit mouseRelease(event, pressX());
    }
    QAbstractButton::mouseReleaseEvent(event);
}

void QRZBaseButton::mouseMoveEvent(QMouseEvent* event) {
    QAbstractButton::mouseMoveEvent(event);
    if (state() == StatePressed) {
        emit mouseMove(event, pressX());
    }
}

void QRZBaseButton::enterEvent(QEvent* event) {
    enter(event);
    emit mouseEnter(event);
    QWidget::enterEvent(event);
    setCursor(Qt::ArrowCursor);
}

void QRZBaseButton::leaveEvent(QEvent* event) {
    leave(event);
    emit mouseLeave(event);
    QWidget::leaveEvent(event);
}

void QRZBaseButton::changeEvent(QEvent* event) {
    enabledChange(event);
    QAbstractButton::changeEvent(event);
}

void QRZBaseButton::focusInEvent(QFocusEvent* event) {
    QPushButton::focusInEvent(event);
    QRZBaseButtonDraw::focusInEvent(event);
}

void QRZBaseButton::focusOutEvent(QFocusEvent* event) {
    QPushButton::focusOutEvent(event);
    QRZBaseButtonDraw::focusOutEvent(event);
}

void QRZBaseButton::timerEvent(QTimerEvent* event) {
    QAbstractButton::timerEvent(event);
    timer(event);
}

void QRZBaseButton::paintEvent(QPaintEvent* event) {
    if (hasImage()) {
        paint(event);
    } else {
        QPushButton::paintEvent(event);
    }
}

// ---------------------------------------------------------------------------------------
// QRZButtonExtend

struct QRZButtonExtend::Private {
    bool hasPicture = false;
    QPixmap* picture = nullptr;
    QRect pictureRect;
    QColor background{255, 0, 0};
    QColor markerColor{0, 0, 0};
    QRect markerRect;
};

QRZButtonExtend::QRZButtonExtend(QWidget* parent) : QRZBaseButton(parent), d(new Private) {}

QRZButtonExtend::~QRZButtonExtend() {
    delete d->picture;
    delete d;
}

void QRZButtonExtend::setBackgroundColor(const QColor& color) {
    d->background = color;
}

void QRZButtonExtend::setFillColor(const QColor& color) {
    d->markerColor = color;
    update();
}

void QRZButtonExtend::setFillRect(const QRect& rect) {
    d->markerRect = rect;
    update();
}

bool QRZButtonExtend::setImage(const QRect& rect, const QString& path) {
    if (path.isEmpty()) {
        d->hasPicture = false;
        update();
        return false;
    }
    return setImage(rect, loadToolkitImage(path));
}

bool QRZButtonExtend::setImage(const QRect& rect, const QImage& image) {
    if (image.isNull()) {
        d->hasPicture = false;
    } else {
        delete d->picture;
        d->picture = new QPixmap(QPixmap::fromImage(image));
        d->pictureRect = rect;
        d->hasPicture = true;
    }
    update();
    return d->hasPicture;
}

bool QRZButtonExtend::setImageData(const QRect& rect, const std::string& bytes) {
    QImage image;
    if (!bytes.empty()) {
        image.loadFromData(reinterpret_cast<const uchar*>(bytes.data()), static_cast<int>(bytes.size()));
    }
    return setImage(rect, image);
}

bool QRZButtonExtend::hasPicture() const {
    return d->hasPicture;
}

QRect QRZButtonExtend::fittedPictureRect(const QRect& rect, const QSize& picture) {
    if (picture.width() <= 0 || picture.height() <= 0) {
        return rect;
    }
    if (picture.width() > picture.height()) {
        const int height = picture.height() * rect.width() / picture.width();
        return QRect(rect.left(), rect.top() + (rect.height() - height) / 2, rect.width(), height);
    }
    if (picture.height() > picture.width()) {
        const int width = picture.width() * rect.height() / picture.height();
        return QRect(rect.left() + (rect.width() - width) / 2, rect.top(), width, rect.height());
    }
    return rect;
}

void QRZButtonExtend::paintEvent(QPaintEvent* event) {
    QRZBaseButton::paintEvent(event);
    QPainter painter(this);
    if (d->hasPicture && d->picture != nullptr) {
        painter.fillRect(rect(), d->background);
        const QRect target = fittedPictureRect(d->pictureRect, d->picture->size());
        drawPixmapPart(&painter, target, d->picture->rect(), *d->picture);
    }
    if (d->markerRect.right() >= d->markerRect.left() && d->markerRect.bottom() >= d->markerRect.top()) {
        painter.fillRect(d->markerRect, d->markerColor);
        painter.setPen(QPen(QColor(128, 128, 128), 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(d->markerRect);
    }
}

// ---------------------------------------------------------------------------------------
// QDelegateStyleWidget

struct QDelegateStyleWidget::Record {
    QImage image;
    bool nineGrid = false;
    QRect rect;
};

QDelegateStyleWidget::QDelegateStyleWidget() : QProxyStyle(), d(new Record) {}

QDelegateStyleWidget::~QDelegateStyleWidget() {
    delete d;
}

void QDelegateStyleWidget::setImage(const QImage& image) {
    d->image = image;
}
QImage QDelegateStyleWidget::image() const {
    return d->image;
}
void QDelegateStyleWidget::setNineGrid(bool nineGrid) {
    d->nineGrid = nineGrid;
}
void QDelegateStyleWidget::setRect(const QRect& rect) {
    d->rect = rect;
}
QRect QDelegateStyleWidget::rect() const {
    return d->rect;
}

void QDelegateStyleWidget::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                                       const QWidget* widget) const {
    if (element == CE_PushButton && !d->image.isNull()) {
        drawButton(option, painter, widget);
        return;
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}

void QDelegateStyleWidget::drawButton(const QStyleOption* option, QPainter* painter, const QWidget* widget) const {
    if (qstyleoption_cast<const QStyleOptionButton*>(option) == nullptr) {
        return;
    }
    drawButtonBackground(option, painter, widget);
    drawButtonLabel(option, painter, widget);
}

void QDelegateStyleWidget::drawButtonBackground(const QStyleOption* option, QPainter* painter, const QWidget*) const {
    int frame = 0;
    if (option->state & State_MouseOver) {
        frame = 1;
    } else if (option->state & State_Sunken) {
        frame = 2;
    } else if (!(option->state & State_Enabled)) {
        frame = 3;
    }
    painter->save();
    drawNineGrid(painter, option->rect, stripFrame(d->image, frame), d->nineGrid);
    painter->restore();
}

void QDelegateStyleWidget::drawButtonLabel(const QStyleOption*, QPainter*, const QWidget*) const {}

// ---------------------------------------------------------------------------------------
// QRZStyleButton

struct QRZStyleButton::Private {
    int index = -1;
    QDelegateStyleWidget* style = nullptr;
    QImage normal;
    QImage selected;
    bool flag = false;
    bool visible = true;
    int mouseState = 0;
    QPair<int, int> values{0, 0};
};

QRZStyleButton::QRZStyleButton(QWidget* parent) : QPushButton(parent), d(new Private) {
    d->style = new QDelegateStyleWidget;
    setStyle(d->style);
}

QRZStyleButton::~QRZStyleButton() {
    // The widget refers to its style through a guarded pointer, so deleting it here is
    // safe; the application style takes over for the rest of the destruction.
    delete d->style;
    delete d;
}

bool QRZStyleButton::setImages(const QString& normalPath, const QString& selectedPath, bool nineGrid) {
    const QImage normal = loadToolkitImage(normalPath);
    if (normal.isNull() || normal.width() < 4) {
        return false;
    }
    const QImage selected = loadToolkitImage(selectedPath);
    d->normal = normal;
    d->selected = selected.isNull() ? normal : selected;
    d->style->setImage(d->normal);
    d->style->setNineGrid(nineGrid);
    resize(normal.width() / 4, normal.height());
    d->style->setRect(rect());
    return true;
}

void QRZStyleButton::setSelected(bool selected) {
    d->style->setImage(selected ? d->selected : d->normal);
    update();
}

void QRZStyleButton::setMouseState(int state) {
    d->mouseState = state;
}
int QRZStyleButton::mouseState() const {
    return d->mouseState;
}
bool QRZStyleButton::isButtonVisible() const {
    return d->visible;
}
void QRZStyleButton::setButtonVisible(bool visible) {
    d->visible = visible;
}
void QRZStyleButton::setValues(int first, int second) {
    d->values = qMakePair(first, second);
}
QPair<int, int> QRZStyleButton::values() const {
    return d->values;
}
void QRZStyleButton::setIndex(int index) {
    d->index = index;
}
int QRZStyleButton::index() const {
    return d->index;
}
void QRZStyleButton::setFlag(bool flag) {
    d->flag = flag;
}
bool QRZStyleButton::flag() const {
    return d->flag;
}
QDelegateStyleWidget* QRZStyleButton::delegateStyle() const {
    return d->style;
}

void QRZStyleButton::clickIndex(const QModelIndex& index) {
    emit emitClickIndex(index);
}
