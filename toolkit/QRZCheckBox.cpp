#include "toolkit/QRZCheckBox.h"
#include "toolkit/QRZRadioButton.h"

#include "toolkit/ImagePainting.h"

#include <QAbstractButton>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

// ---------------------------------------------------------------------------------------
// QRZBaseBoxDraw

struct QRZBaseBoxDraw::Private {
    QImage* checked = nullptr;
    QImage* unchecked = nullptr;
    QImage* partial = nullptr;
    QRect boxRect{0, 0, 0, 0};
    QRect textRect{0, 0, 0, 0};
    int alignment = Qt::AlignLeft | Qt::AlignVCenter;
    QAbstractButton* owner = nullptr;
    int kind = CheckBoxKind;
    bool twoColumns = true;
    bool owned = false;
};

QRZBaseBoxDraw::QRZBaseBoxDraw(QAbstractButton* owner, int kind) : d(new Private) {
    d->owner = owner;
    d->kind = kind;
}

QRZBaseBoxDraw::~QRZBaseBoxDraw() {
    releaseImages();
    delete d;
}

void QRZBaseBoxDraw::releaseImages() {
    if (d->owned) {
        delete d->checked;
        delete d->unchecked;
        delete d->partial;
    }
    d->checked = d->unchecked = d->partial = nullptr;
    d->owned = false;
}

bool QRZBaseBoxDraw::setBoxImages(const QString& checked, const QString& unchecked, const QString& partial,
                                  bool twoColumns) {
    QImage checkedImage = loadToolkitImage(checked);
    QImage uncheckedImage = loadToolkitImage(unchecked);
    if (checkedImage.isNull() || uncheckedImage.isNull()) {
        return false;
    }
    QImage partialImage = partial.isEmpty() ? QImage() : loadToolkitImage(partial);
    setBoxImages(&checkedImage, &uncheckedImage, partialImage.isNull() ? nullptr : &partialImage, twoColumns, true);
    return true;
}

void QRZBaseBoxDraw::setBoxImages(QImage* checked, QImage* unchecked, QImage* partial, bool twoColumns, bool copy) {
    if (d->owner == nullptr) {
        return;
    }
    releaseImages();
    if (checked == nullptr || unchecked == nullptr) {
        return;
    }
    if (copy) {
        d->checked = new QImage(*checked);
        d->unchecked = new QImage(*unchecked);
        d->partial = partial != nullptr ? new QImage(*partial) : nullptr;
    } else {
        d->checked = checked;
        d->unchecked = unchecked;
        d->partial = partial;
    }
    d->owned = copy;
    d->twoColumns = twoColumns;
    const int boxWidth = twoColumns ? checked->width() / 2 : checked->width();
    d->boxRect = QRect(0, 0, boxWidth, checked->height());
    if (d->owner->height() < d->boxRect.height()) {
        d->owner->resize(d->owner->width(), d->boxRect.height());
    }
    d->textRect = QRect(boxWidth + 5, 0, 0, d->textRect.height());
    d->owner->update();
}

bool QRZBaseBoxDraw::hasBoxImage() const {
    return d->checked != nullptr;
}
QRect QRZBaseBoxDraw::boxRect() const {
    return d->boxRect;
}
QRect QRZBaseBoxDraw::textRect() const {
    return d->textRect;
}
void QRZBaseBoxDraw::setTextAlignment(int alignment) {
    d->alignment = alignment;
}

void QRZBaseBoxDraw::paint(QPaintEvent*) {
    if (d->owner == nullptr) {
        return;
    }
    QPainter painter(d->owner);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    paintBox(&painter);
    paintIcon(&painter);
    paintText(&painter);
}

void QRZBaseBoxDraw::paintBox(QPainter* painter) {
    if (d->owner == nullptr) {
        return;
    }
    QRect box = d->boxRect;
    if (box.top() <= 0) {
        box.moveTop((d->owner->height() - box.height()) / 2);
    }
    int checkState = 2;
    if (d->kind == CheckBoxKind) {
        const QCheckBox* checkBox = qobject_cast<const QCheckBox*>(d->owner);
        checkState = checkBox != nullptr ? static_cast<int>(checkBox->checkState()) : (d->owner->isChecked() ? 2 : 0);
    } else if (d->kind == RadioKind) {
        checkState = d->owner->isChecked() ? 2 : 0;
    }
    const QImage* image = checkState == 0 ? d->unchecked : (checkState == 1 ? d->partial : d->checked);
    if (image == nullptr || image->isNull()) {
        return;
    }
    QRect source = image->rect();
    if (d->twoColumns) {
        const int half = image->width() / 2;
        source = d->owner->isEnabled() ? QRect(0, 0, half, image->height()) : QRect(half, 0, half, image->height());
    }
    drawImagePart(painter, box, source, *image);
}

void QRZBaseBoxDraw::paintIcon(QPainter*) {}

void QRZBaseBoxDraw::paintText(QPainter* painter) {
    if (d->owner == nullptr || d->owner->text().isEmpty()) {
        return;
    }
    const QFont oldFont = painter->font();
    painter->setFont(d->owner->font());
    painter->setPen(d->owner->palette().color(QPalette::WindowText));
    QRect& rect = d->textRect;
    if (rect.width() <= 0) {
        rect.setRight(d->owner->width() - 1);
    }
    if (rect.height() <= 0) {
        rect.setBottom(d->owner->height() - 1);
    }
    const QFontMetrics metrics(d->owner->font());
    painter->drawText(rect, d->alignment, metrics.elidedText(d->owner->text(), Qt::ElideRight, rect.width()));
    painter->setFont(oldFont);
}

// ---------------------------------------------------------------------------------------
// QRZCheckBox, QComboboxCheckbox

QRZCheckBox::QRZCheckBox(QWidget* parent) : QCheckBox(parent), QRZBaseBoxDraw(this, CheckBoxKind) {}
QRZCheckBox::~QRZCheckBox() = default;

void QRZCheckBox::paintEvent(QPaintEvent* event) {
    if (hasBoxImage()) {
        paint(event);
    } else {
        QCheckBox::paintEvent(event);
    }
}

bool QRZCheckBox::hitButton(const QPoint&) const {
    return true;
}

QComboboxCheckbox::QComboboxCheckbox(QWidget* parent) : QRZCheckBox(parent) {}
QComboboxCheckbox::~QComboboxCheckbox() = default;
void QComboboxCheckbox::setSignalMode(bool signalMode) {
    m_signalMode = signalMode;
}
bool QComboboxCheckbox::signalMode() const {
    return m_signalMode;
}

void QComboboxCheckbox::mousePressEvent(QMouseEvent* event) {
    if (m_signalMode) {
        emit emitClick();
        return;
    }
    QAbstractButton::mousePressEvent(event);
}

void QComboboxCheckbox::mouseReleaseEvent(QMouseEvent* event) {
    // The press was swallowed in signal mode; the release must not toggle either.
    if (m_signalMode) {
        event->accept();
        return;
    }
    QAbstractButton::mouseReleaseEvent(event);
}

// ---------------------------------------------------------------------------------------
// QRZRadioButton

QRZRadioButton::QRZRadioButton(QWidget* parent)
    : QRadioButton(parent), QRZBaseBoxDraw(this, RadioKind), QRZBaseButtonDraw(this) {}

QRZRadioButton::~QRZRadioButton() {
    stopBlink();
}

void QRZRadioButton::setImageMode(const QString& checkedPath, const QString& uncheckedPath, bool buttonLook,
                                  bool twoColumns) {
    m_imageMode = buttonLook;
    if (buttonLook) {
        QRZBaseButtonDraw::setImage(checkedPath, true);
    } else {
        QRZBaseBoxDraw::setBoxImages(checkedPath, uncheckedPath, QString(), twoColumns);
    }
    update();
}

bool QRZRadioButton::imageMode() const {
    return m_imageMode;
}

void QRZRadioButton::paintEvent(QPaintEvent* event) {
    if (m_imageMode ? QRZBaseButtonDraw::hasImage() : QRZBaseBoxDraw::hasBoxImage()) {
        if (m_imageMode) {
            QRZBaseButtonDraw::paint(event);
        } else {
            QRZBaseBoxDraw::paint(event);
        }
    } else {
        QRadioButton::paintEvent(event);
    }
}

void QRZRadioButton::mousePressEvent(QMouseEvent* event) {
    if (m_imageMode) {
        QRZBaseButtonDraw::mousePress(event);
        setChecked(!isChecked());
    }
    QAbstractButton::mousePressEvent(event);
}

void QRZRadioButton::mouseReleaseEvent(QMouseEvent* event) {
    if (m_imageMode) {
        QRZBaseButtonDraw::mouseRelease(event);
    }
    QAbstractButton::mouseReleaseEvent(event);
}

void QRZRadioButton::enterEvent(QEvent* event) {
    if (m_imageMode) {
        enter(event);
    }
    QWidget::enterEvent(event);
}

void QRZRadioButton::leaveEvent(QEvent* event) {
    if (m_imageMode) {
        leave(event);
    }
    QWidget::leaveEvent(event);
}

void QRZRadioButton::changeEvent(QEvent* event) {
    QAbstractButton::changeEvent(event);
    if (m_imageMode) {
        enabledChange(event);
    }
    update();
}

void QRZRadioButton::focusInEvent(QFocusEvent* event) {
    QAbstractButton::focusInEvent(event);
    QRZBaseButtonDraw::focusInEvent(event);
}

void QRZRadioButton::focusOutEvent(QFocusEvent* event) {
    QAbstractButton::focusOutEvent(event);
    QRZBaseButtonDraw::focusOutEvent(event);
}
