#include "toolkit/QRZItemButtonList.h"

#include "toolkit/QRZButton.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionViewItem>
#include <QToolTip>

struct QRZItemButtonList::Record {
    QList<QAbstractButton*> buttons;
    int key = 0;
    int alignment = Qt::AlignCenter; // 132
    int spacing = 0;
    int value2 = 0;
    int value3 = 0;
    int totalWidth = 0;
    bool hoverRowOnly = true;
    bool hidden = false;
};

QRZItemButtonList::QRZItemButtonList(int key) : d(new Record) {
    d->key = key;
}

QRZItemButtonList::~QRZItemButtonList() {
    delete d;
}

bool QRZItemButtonList::addButton(QAbstractButton* button) {
    if (!button)
        return false;
    d->buttons.append(button);
    d->totalWidth += button->width();
    return true;
}

int QRZItemButtonList::key() const {
    return d->key;
}
int QRZItemButtonList::alignment() const {
    return d->alignment;
}
int QRZItemButtonList::spacing() const {
    return d->spacing;
}
int QRZItemButtonList::totalWidth() const {
    return d->totalWidth;
}
int QRZItemButtonList::count() const {
    return d->buttons.size();
}

QAbstractButton* QRZItemButtonList::button(int i) const {
    return (i >= 0 && i < d->buttons.size()) ? d->buttons.at(i) : nullptr;
}

bool QRZItemButtonList::isHoverRowOnly() const {
    return d->hoverRowOnly;
}
bool QRZItemButtonList::isHidden() const {
    return d->hidden;
}
void QRZItemButtonList::setAlignment(int alignment) {
    d->alignment = alignment;
}
void QRZItemButtonList::setValue2(int value) {
    d->value2 = value;
}
void QRZItemButtonList::setValue3(int value) {
    d->value3 = value;
}
int QRZItemButtonList::value2() const {
    return d->value2;
}
int QRZItemButtonList::value3() const {
    return d->value3;
}
void QRZItemButtonList::setValue4(bool hoverRowOnly) {
    d->hoverRowOnly = hoverRowOnly;
}

void paintItemButton(QPainter* painter, QAbstractButton* button, const QRect& rect, bool enabled, bool mouseInside,
                     bool selected) {
    if (!painter || !button)
        return;
    auto* styleButton = qobject_cast<QRZStyleButton*>(button);
    QStyleOptionButton option;
    option.initFrom(button);
    option.rect = rect;
    option.text = button->text();
    option.icon = button->icon();
    option.iconSize = button->iconSize();
    option.state &= ~(QStyle::State_MouseOver | QStyle::State_Sunken | QStyle::State_HasFocus | QStyle::State_Enabled);
    if (enabled) {
        option.state |= QStyle::State_Enabled;
        if (styleButton && mouseInside) {
            if (styleButton->mouseState() == 1)
                option.state |= QStyle::State_MouseOver;
            else if (styleButton->mouseState() == 2)
                option.state |= QStyle::State_Sunken;
        }
    }
    if (styleButton)
        styleButton->setSelected(selected);
    painter->save();
    button->style()->drawControl(QStyle::CE_PushButton, &option, painter, button);
    painter->restore();
}

bool isItemButtonVisible(const QAbstractButton* button) {
    if (!button)
        return false;
    auto* styleButton = qobject_cast<const QRZStyleButton*>(button);
    return !styleButton || styleButton->isButtonVisible();
}

void ItemButtonPress::remember(const QModelIndex& index, const QAbstractButton* pressedButton) {
    row = index.row();
    column = index.column();
    internalPointer = index.internalPointer();
    model = index.model();
    button = pressedButton;
}

bool ItemButtonPress::matches(const QModelIndex& index, const QAbstractButton* releasedButton) const {
    return model && index.isValid() && row == index.row() && column == index.column() &&
           internalPointer == index.internalPointer() && model == index.model() && button == releasedButton;
}

void ItemButtonPress::forget() {
    *this = ItemButtonPress();
}

void paintCellButtons(QPainter* painter, const QRZItemButtonList* list,
                      const std::function<QRect(int, const QAbstractButton*)>& rectOf, bool cellEnabled, bool selected,
                      const QPoint& mousePos) {
    for (int i = 0; i < list->count(); ++i) {
        QAbstractButton* button = list->button(i);
        if (!isItemButtonVisible(button))
            continue;
        const QRect rect = rectOf(i, button);
        paintItemButton(painter, button, rect, cellEnabled && button->isEnabled(), rect.contains(mousePos), selected);
    }
}

void updateItemCell(const QStyleOptionViewItem& option) {
    if (auto* view = qobject_cast<const QAbstractItemView*>(option.widget))
        view->viewport()->update(option.rect);
}

bool runItemButtonEvent(const QMouseEvent* event, const QRZItemButtonList* list, const QModelIndex& index,
                        bool cellEnabled, const std::function<QRect(int, const QAbstractButton*)>& rectOf,
                        const ItemButtonEventRules& rules, ItemButtonPress* pressed, int* buttonState, bool* claimed,
                        const std::function<void()>& clicked) {
    const QPoint mousePos = event->pos();
    bool result = false;
    *claimed = false;
    for (int i = 0; i < list->count(); ++i) {
        QAbstractButton* button = list->button(i);
        if (!button)
            continue;
        auto* styleButton = qobject_cast<QRZStyleButton*>(button);
        if (!rectOf(i, button).contains(mousePos) || !isItemButtonVisible(button)) {
            if (styleButton && styleButton->mouseState() != 0) {
                styleButton->setMouseState(0);
                result = true;
            }
            continue;
        }
        *claimed = true;
        result = true;
        int state = 1;
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            pressed->remember(index, button);
            state = 2;
            break;
        case QEvent::MouseButtonRelease:
            // A disabled button, or a release whose press began on another button or in
            // another cell, is no click.
            if (cellEnabled && button->isEnabled() && pressed->matches(index, button)) {
                if (styleButton)
                    styleButton->clickIndex(index);
                clicked();
            }
            if (rules.firstReleaseEndsPress)
                pressed->forget();
            break;
        case QEvent::MouseMove:
            if (rules.tipOnMove && !button->toolTip().isEmpty())
                QToolTip::showText(event->globalPos(), button->toolTip());
            break;
        default:
            break;
        }
        if (styleButton)
            styleButton->setMouseState(state);
        *buttonState = state;
    }
    if (event->type() == QEvent::MouseButtonRelease)
        pressed->forget();
    if (!*claimed)
        *buttonState = 0;
    return result;
}
