#include "toolkit/QRZBaseStyleDelegate.h"

#include "toolkit/IBaseChunk.h"
#include "toolkit/ImagePainting.h"
#include "toolkit/QBaseDetailsModel.h"
#include "toolkit/QRZButton.h"
#include "toolkit/QRZViewModelDrawAttribute.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QMouseEvent>
#include <QPainter>

QRZBaseStyleDelegate::QRZBaseStyleDelegate(QObject* parent) : QStyledItemDelegate(parent), m_settings(new Settings) {}

QRZBaseStyleDelegate::~QRZBaseStyleDelegate() {
    delete m_settings;
}

bool QRZBaseStyleDelegate::addItemButtons(QRZItemButtonList* list) {
    if (!list)
        return false;
    m_buttonLists.insert(list->key(), list);
    return true;
}

void QRZBaseStyleDelegate::setColor(const QColor& highlight) {
    m_settings->highlight = highlight;
}
void QRZBaseStyleDelegate::setColor1(const QColor& highlightedText) {
    m_settings->highlightedText = highlightedText;
}
void QRZBaseStyleDelegate::setColor2(const QColor& rowLine) {
    m_settings->rowLineColor = rowLine;
}

void QRZBaseStyleDelegate::setHoverRow(int row) {
    m_settings->hoverRow = row;
    if (row == -1)
        forgetButtonHover();
    if (row == -1 && QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
}

// The mouse position and the buttons' states are those of the last event over a cell
// with buttons; without this, a row the mouse comes back to over a cell of no buttons
// (its name, say) drew the button the mouse had left hovered.
bool QRZBaseStyleDelegate::forgetButtonHover() {
    bool changed = m_settings->buttonState != 0;
    m_settings->mousePos = QPoint(-1, -1);
    m_settings->buttonState = 0;
    for (const QRZItemButtonList* list : qAsConst(m_buttonLists)) {
        for (int i = 0; i < list->count(); ++i) {
            auto* button = qobject_cast<QRZStyleButton*>(list->button(i));
            if (button && button->mouseState() != 0) {
                button->setMouseState(0);
                changed = true;
            }
        }
    }
    return changed;
}

int QRZBaseStyleDelegate::hoverRow() const {
    return m_settings->hoverRow;
}
bool QRZBaseStyleDelegate::isOnCheckBox() const {
    return m_settings->mouseOnCheckBox;
}
bool QRZBaseStyleDelegate::isPressClaimed() const {
    return m_settings->pressClaimed;
}
void QRZBaseStyleDelegate::setCheckColumn(int column) {
    m_settings->checkColumn = column;
}

void QRZBaseStyleDelegate::setCheckBoxImages(const QImage& unchecked, const QImage& partial, const QImage& checked) {
    m_settings->uncheckedImage = unchecked;
    m_settings->partialImage = partial;
    m_settings->checkedImage = checked;
}

void QRZBaseStyleDelegate::setCheckBoxSize(int width, int height) {
    m_settings->checkBoxWidth = width;
    m_settings->checkBoxHeight = height;
}

void QRZBaseStyleDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const {
    QStyleOptionViewItem opt(option);
    opt.state &= ~QStyle::State_HasFocus;
    opt.palette.setBrush(QPalette::All, QPalette::Highlight, m_settings->highlight);
    const bool flagged = index.data(kItemFlaggedRole).toBool();
    opt.palette.setBrush(QPalette::All, QPalette::HighlightedText,
                         flagged ? brushColorOf(index, Qt::ForegroundRole) : m_settings->highlightedText);
    QStyledItemDelegate::paint(painter, opt, index);
    paintDecoration(painter, opt, index);
    paintCheckCell(painter, opt, index);
    paintRowLine(painter, opt, index);
    paintItemButtons(painter, opt, index);
    paintBadge(painter, opt, index);
}

void QRZBaseStyleDelegate::paintDecoration(QPainter*, const QStyleOptionViewItem&, const QModelIndex&) const {}

void QRZBaseStyleDelegate::paintBadge(QPainter*, const QStyleOptionViewItem&, const QModelIndex&) const {}

QRect QRZBaseStyleDelegate::checkBoxRect(const QRect& cell) const {
    const Settings& s = *m_settings;
    const int x = cell.left() + (s.checkBoxX == -1 ? 5 : s.checkBoxX);
    const int y = s.checkBoxY == -1 ? cell.top() + (cell.height() - s.checkBoxHeight) / 2 : cell.top() + s.checkBoxY;
    return QRect(x, y, s.checkBoxWidth, s.checkBoxHeight);
}

void QRZBaseStyleDelegate::paintCheckCell(QPainter* painter, const QStyleOptionViewItem& option,
                                          const QModelIndex& index) const {
    const Settings& s = *m_settings;
    if (s.checkColumn < 0 || index.column() != s.checkColumn)
        return;
    IBaseChunk* chunk = chunkOfIndex(index);
    if (!chunk)
        return;
    const bool selected = option.state & QStyle::State_Selected;
    const QRect cell = option.rect;
    painter->save();
    painter->fillRect(cell, selected ? s.highlight : brushColorOf(index, Qt::BackgroundRole));

    const int boxX = s.checkBoxX == -1 ? 5 : s.checkBoxX;
    const QRect textRect(QPoint(cell.left() + boxX + s.checkBoxWidth + s.textGap, cell.top()),
                         QPoint(cell.right() - 5, cell.bottom()));
    const QString text = index.data(Qt::DisplayRole).toString();
    if (!text.isEmpty() && textRect.width() > 0) {
        const QVariant fontValue = index.data(Qt::FontRole);
        const QFont font = fontValue.isValid() ? fontValue.value<QFont>() : option.font;
        const QVariant alignValue = index.data(Qt::TextAlignmentRole);
        const int alignment = alignValue.isValid() ? alignValue.toInt() : int(Qt::AlignLeft | Qt::AlignVCenter);
        const bool flagged = index.data(kItemFlaggedRole).toBool();
        painter->setRenderHint(QPainter::TextAntialiasing, true);
        painter->setFont(font);
        painter->setPen(selected && !flagged ? s.highlightedText : brushColorOf(index, Qt::ForegroundRole));
        painter->drawText(textRect, alignment, QFontMetrics(font).elidedText(text, Qt::ElideRight, textRect.width()));
    }

    const int state = chunk->checkState();
    const QImage& image = state == 0 ? s.uncheckedImage : state == 1 ? s.partialImage : s.checkedImage;
    const QRect box = checkBoxRect(cell);
    if (!image.isNull() && !box.isEmpty())
        drawImagePart(painter, box, image.rect(), image);
    painter->restore();
}

void QRZBaseStyleDelegate::paintRowLine(QPainter* painter, const QStyleOptionViewItem& option,
                                        const QModelIndex&) const {
    if (!m_settings->rowLine)
        return;
    painter->save();
    painter->setPen(QPen(m_settings->rowLineColor, 1));
    painter->drawLine(option.rect.bottomLeft(), option.rect.bottomRight());
    painter->restore();
}

QList<QRect> QRZBaseStyleDelegate::buttonRects(const QRect& cell, const QRZItemButtonList* list) const {
    QList<QRect> rects;
    const int count = list->count();
    const int groupWidth = list->spacing() * (count - 1) + list->totalWidth();
    int x = 0;
    if (list->alignment() & (0x04 | 0x80))
        x = (cell.width() - groupWidth) / 2;
    else if (list->alignment() & 0x02)
        x = cell.width() - groupWidth;
    for (int i = 0; i < count; ++i) {
        const QAbstractButton* button = list->button(i);
        const QSize size = button ? button->size() : QSize();
        rects.append(
            QRect(cell.left() + x, cell.top() + (cell.height() - size.height()) / 2, size.width(), size.height()));
        x += size.width() + list->spacing();
    }
    return rects;
}

void QRZBaseStyleDelegate::paintItemButtons(QPainter* painter, const QStyleOptionViewItem& option,
                                            const QModelIndex& index) const {
    if (!index.isValid())
        return;
    QRZItemButtonList* list = m_buttonLists.value(index.column(), nullptr);
    if (!list || list->isHidden() || (list->isHoverRowOnly() && index.row() != m_settings->hoverRow))
        return;
    IBaseChunk* chunk = chunkOfIndex(index);
    if (chunk && !chunk->buttonsVisible())
        return;
    const QList<QRect> rects = buttonRects(option.rect, list);
    paintCellButtons(
        painter, list, [&rects](int i, const QAbstractButton*) { return rects.at(i); },
        index.data(Qt::EditRole).toBool(), option.state & QStyle::State_Selected, m_settings->mousePos);
}

void QRZBaseStyleDelegate::updateCell(const QStyleOptionViewItem& option) const {
    updateItemCell(option);
}

bool QRZBaseStyleDelegate::editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                                       const QModelIndex& index) {
    Settings& s = *m_settings;
    IBaseChunk* chunk = chunkOfIndex(index);
    const bool mouseEvent = event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease ||
                            event->type() == QEvent::MouseMove || event->type() == QEvent::MouseButtonDblClick;
    if (mouseEvent && s.checkColumn >= 0 && index.column() == s.checkColumn && s.checkBoxClickable && chunk) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        const QRect hit = checkBoxRect(option.rect).marginsAdded(s.checkBoxHitMargins);
        s.mouseOnCheckBox = hit.contains(mouse->pos());
        if (event->type() == QEvent::MouseButtonPress && s.mouseOnCheckBox) {
            emit emitCheckStateChange(index, chunk->checkState() == 2 ? 0 : 2);
            return true;
        }
        if (event->type() == QEvent::MouseButtonRelease)
            return true;
    } else {
        s.mouseOnCheckBox = false;
    }
    return itemButtonEvent(event, model, option, index);
}

bool QRZBaseStyleDelegate::itemButtonEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                                           const QModelIndex& index) {
    Settings& s = *m_settings;
    QRZItemButtonList* list = m_buttonLists.value(index.column(), nullptr);
    const bool mouseEvent = event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease ||
                            event->type() == QEvent::MouseMove || event->type() == QEvent::MouseButtonDblClick;
    IBaseChunk* chunk = chunkOfIndex(index);
    if (!list || !mouseEvent || (chunk && !chunk->buttonsVisible())) {
        if (mouseEvent && forgetButtonHover()) {
            if (auto* view = qobject_cast<const QAbstractItemView*>(option.widget))
                view->viewport()->update();
        }
        s.mouseOnCheckBox = false;
        s.pressClaimed = false;
        if (event->type() == QEvent::MouseButtonRelease)
            s.pressedCell.forget();
        return QStyledItemDelegate::editorEvent(event, model, option, index);
    }
    auto* mouse = static_cast<QMouseEvent*>(event);
    s.mousePos = mouse->pos();
    const QList<QRect> rects = buttonRects(option.rect, list);
    ItemButtonEventRules rules;
    rules.tipOnMove = true;
    bool claimed = false;
    const bool result = runItemButtonEvent(
        mouse, list, index, index.data(Qt::EditRole).toBool(),
        [&rects](int i, const QAbstractButton*) { return rects.at(i); }, rules, &s.pressedCell, &s.buttonState,
        &claimed, [this, &index] { emit clickWidgt(index); });
    s.pressClaimed = claimed;
    if (result)
        updateCell(option);
    return result;
}
