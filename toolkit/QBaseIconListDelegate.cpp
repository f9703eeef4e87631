#include "toolkit/QBaseIconListDelegate.h"

#include "toolkit/IBaseChunk.h"
#include "toolkit/ImagePainting.h"
#include "toolkit/QBaseDetailsModel.h"
#include "toolkit/QRZButton.h"
#include "toolkit/QRZViewModelDrawAttribute.h"

#include <QAbstractItemView>
#include <QFileInfo>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>

namespace {

// The centre part of the image that, scaled with its aspect ratio kept, fills `target`.
QRect centredCrop(const QSize& image, const QSize& target) {
    if (image.isEmpty() || target.isEmpty())
        return QRect(QPoint(0, 0), image);
    const double imageRatio = double(image.width()) / image.height();
    const double targetRatio = double(target.width()) / target.height();
    if (imageRatio > targetRatio) {
        const int width = qMax(1, int(image.height() * targetRatio));
        return QRect((image.width() - width) / 2, 0, width, image.height());
    }
    const int height = qMax(1, int(image.width() / targetRatio));
    return QRect(0, (image.height() - height) / 2, image.width(), height);
}
} // namespace

QBaseIconListDelegate::QBaseIconListDelegate(QObject* parent) : QStyledItemDelegate(parent), m_settings(new Settings) {}

QBaseIconListDelegate::~QBaseIconListDelegate() {
    delete m_settings;
}

QSize QBaseIconListDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    return QStyledItemDelegate::sizeHint(option, index);
}

bool QBaseIconListDelegate::addItemButtons(QRZItemButtonList* list) {
    if (!list)
        return false;
    m_buttonLists.insert(list->key(), list);
    return true;
}

void QBaseIconListDelegate::setTileMargins(int left, int top, int right, int bottom) {
    m_settings->tileMargins = QMargins(qint16(left), qint16(top), qint16(right), qint16(bottom));
}

QMargins QBaseIconListDelegate::tileMargins() const {
    return m_settings->tileMargins;
}

void QBaseIconListDelegate::setTextMargins(int left, int top, int right, int bottom) {
    m_settings->textMargins = QMargins(qint16(left), qint16(top), qint16(right), qint16(bottom));
}

void QBaseIconListDelegate::setValue(int textAlignment) {
    m_settings->textAlignment = textAlignment;
}
void QBaseIconListDelegate::setFont(const QFont& font) {
    m_settings->textFont = font;
}
void QBaseIconListDelegate::setColor(const QColor& selectedTextColor) {
    m_settings->selectedText = selectedTextColor;
}

void QBaseIconListDelegate::setColor(const QColor& selectedFill, const QColor& selectedTextColor) {
    m_settings->selectedFill = selectedFill;
    m_settings->selectedText = selectedTextColor;
}
void QBaseIconListDelegate::setHoverRow(int row) {
    m_settings->hoverRow = row;
}
int QBaseIconListDelegate::hoverRow() const {
    return m_settings->hoverRow;
}
bool QBaseIconListDelegate::isPressClaimed() const {
    return m_settings->pressClaimed;
}

QImage QBaseIconListDelegate::imageFromValue(const QVariant& value) {
    switch (static_cast<int>(value.type())) {
    case QVariant::Image:
        return value.value<QImage>();
    case QVariant::Pixmap:
        return value.value<QPixmap>().toImage();
    case QVariant::Invalid:
        return QImage();
    default:
        break;
    }
    const QString path = value.toString();
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return QImage();
    return QImage(path);
}

void QBaseIconListDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                  const QModelIndex& index) const {
    QStyleOptionViewItem opt(option);
    opt.state &= ~QStyle::State_HasFocus;
    opt.palette.setBrush(QPalette::All, QPalette::Window, QColor(0, 255, 0));
    opt.palette.setBrush(QPalette::All, QPalette::Highlight, QColor(255, 0, 0));
    QStyledItemDelegate::paint(painter, opt, index);
    emit const_cast<QBaseIconListDelegate*>(this)->emitPaintIndex(index);
    painter->save();
    paintBackground(painter, opt, index);
    drawItem(painter, opt, index);
    paintGradient(painter, opt, index);
    paintText(painter, opt, index);
    paintItemButtons(painter, opt, index);
    paintCheckBox(painter, opt, index);
    painter->restore();
}

void QBaseIconListDelegate::drawItem(QPainter* painter, const QStyleOptionViewItem& option,
                                     const QModelIndex& index) const {
    paintThumbnail(painter, option, index);
}

void QBaseIconListDelegate::paintBackground(QPainter* painter, const QStyleOptionViewItem& option,
                                            const QModelIndex& index) const {
    const bool selected = option.state & QStyle::State_Selected;
    const QRect tile = option.rect;
    painter->fillRect(tile, selected ? m_settings->selectedFill : brushColorOf(index, Qt::BackgroundRole));
    int width = 0;
    QColor color;
    if (selected && m_settings->selectionFrameWidth > 0) {
        width = m_settings->selectionFrameWidth;
        color = m_settings->selectionFrameColor;
    } else if (index.row() == m_settings->hoverRow && m_settings->hoverFrameWidth > 0) {
        width = m_settings->hoverFrameWidth;
        color = m_settings->hoverFrameColor;
    }
    if (width <= 0)
        return;
    painter->fillRect(QRect(tile.left(), tile.top(), tile.width(), width), color);
    painter->fillRect(QRect(tile.left(), tile.top(), width, tile.height()), color);
    painter->fillRect(QRect(tile.right() - width + 1, tile.top(), width, tile.height()), color);
    painter->fillRect(QRect(tile.left(), tile.bottom() - width + 1, tile.width(), width), color);
}

void QBaseIconListDelegate::paintThumbnail(QPainter* painter, const QStyleOptionViewItem& option,
                                           const QModelIndex& index) const {
    const QImage image = imageFromValue(index.data(Qt::DecorationRole));
    if (!image.isNull()) {
        const QRect area = option.rect.marginsRemoved(m_settings->tileMargins);
        if (!area.isEmpty()) {
            painter->fillRect(area, m_settings->thumbnailBackground);
            const QRect source = image.rect();
            switch (m_settings->thumbnailMode) {
            case ThumbnailNatural:
                painter->save();
                painter->setClipRect(area);
                painter->drawImage(area.topLeft(), image);
                painter->restore();
                break;
            case ThumbnailStretched:
                drawImagePart(painter, area, source, image);
                break;
            case ThumbnailFilled:
                drawImagePart(painter, area, centredCrop(image.size(), area.size()), image);
                break;
            default: {
                const QImage scaled = image.scaled(area.size(), Qt::KeepAspectRatio, Qt::SmoothTransformation);
                const QPoint at(area.left() + (area.width() - scaled.width()) / 2,
                                area.top() + (area.height() - scaled.height()) / 2);
                painter->drawImage(at, scaled);
                break;
            }
            }
        }
    }
    const QImage overlay = imageFromValue(index.data(kItemCheckWriteRole));
    if (!overlay.isNull() && !option.rect.isEmpty()) {
        const QImage scaled = overlay.scaled(option.rect.size(), Qt::KeepAspectRatio, Qt::SmoothTransformation);
        painter->drawImage(option.rect.topLeft(), scaled);
    }
}

void QBaseIconListDelegate::paintGradient(QPainter* painter, const QStyleOptionViewItem& option,
                                          const QModelIndex&) const {
    const Settings& s = *m_settings;
    if (s.gradientX2 - s.gradientX1 + 1 <= 0)
        return;
    const QRect area(QPoint(option.rect.left() + s.gradientX1, option.rect.top() + s.gradientY1),
                     QPoint(option.rect.left() + s.gradientX2, option.rect.top() + s.gradientY2));
    QLinearGradient gradient;
    if (s.gradientVertical) {
        gradient.setStart(area.center().x(), area.top());
        gradient.setFinalStop(area.center().x(), area.bottom());
    } else {
        gradient.setStart(area.left(), area.center().y());
        gradient.setFinalStop(area.right(), area.center().y());
    }
    gradient.setColorAt(0, s.gradientStart);
    gradient.setColorAt(1, s.gradientEnd);
    painter->save();
    painter->setPen(Qt::NoPen);
    painter->fillRect(area, gradient);
    painter->restore();
}

void QBaseIconListDelegate::paintText(QPainter* painter, const QStyleOptionViewItem& option,
                                      const QModelIndex& index) const {
    const QString text = index.data(Qt::DisplayRole).toString();
    if (text.isEmpty())
        return;
    painter->save();
    painter->setRenderHint(QPainter::TextAntialiasing, true);
    painter->setFont(m_settings->textFont);
    const bool selected = option.state & QStyle::State_Selected;
    const bool flagged = index.data(kItemFlaggedRole).toBool();
    painter->setPen(selected && !flagged ? m_settings->selectedText : brushColorOf(index, Qt::ForegroundRole));
    const QRect area = option.rect.marginsRemoved(m_settings->textMargins);
    const QString shown = QFontMetrics(m_settings->textFont)
                              .elidedText(text, static_cast<Qt::TextElideMode>(m_settings->elideMode), area.width());
    painter->drawText(area, m_settings->textAlignment, shown);
    painter->restore();
}

QRect QBaseIconListDelegate::buttonRect(const QRect& tile, const QAbstractButton* button) const {
    QPoint offset(0, 0);
    if (auto* styleButton = qobject_cast<const QRZStyleButton*>(button))
        offset = QPoint(styleButton->values().first, styleButton->values().second);
    return QRect(tile.topLeft() + offset, button->size());
}

void QBaseIconListDelegate::paintItemButtons(QPainter* painter, const QStyleOptionViewItem& option,
                                             const QModelIndex& index) const {
    if (m_settings->buttonsHidden || !index.isValid())
        return;
    IBaseChunk* chunk = chunkOfIndex(index);
    if (!chunk || !chunk->buttonsVisible())
        return;
    QRZItemButtonList* list = m_buttonLists.value(index.column(), nullptr);
    if (!list || list->isHidden() || (list->isHoverRowOnly() && index.row() != m_settings->hoverRow))
        return;
    paintCellButtons(
        painter, list, [this, &option](int, const QAbstractButton* button) { return buttonRect(option.rect, button); },
        index.data(Qt::EditRole).toBool(), option.state & QStyle::State_Selected, m_settings->mousePos);
}

QRect QBaseIconListDelegate::checkBoxRect(const QRect& tile) const {
    const Settings& s = *m_settings;
    const int x = tile.left() + (s.checkBoxX == -1 ? 5 : s.checkBoxX);
    const int y = s.checkBoxY == -1 ? tile.top() + (tile.height() - s.checkBoxHeight) / 2 : tile.top() + s.checkBoxY;
    return QRect(x, y, s.checkBoxWidth, s.checkBoxHeight);
}

QRect QBaseIconListDelegate::checkBoxHitRect(const QRect& tile) const {
    return checkBoxRect(tile).marginsAdded(m_settings->checkBoxHitMargins);
}

void QBaseIconListDelegate::paintCheckBox(QPainter* painter, const QStyleOptionViewItem& option,
                                          const QModelIndex& index) const {
    IBaseChunk* chunk = chunkOfIndex(index);
    if (!chunk)
        return;
    const int state = chunk->checkState();
    const QImage& image = state == 0   ? m_settings->uncheckedImage
                          : state == 1 ? m_settings->partialImage
                                       : m_settings->checkedImage;
    const QRect box = checkBoxRect(option.rect);
    if (image.isNull() || box.isEmpty())
        return;
    drawImagePart(painter, box, image.rect(), image);
}

void QBaseIconListDelegate::updateTile(const QStyleOptionViewItem& option) const {
    updateItemCell(option);
}

bool QBaseIconListDelegate::editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                                        const QModelIndex& index) {
    IBaseChunk* chunk = chunkOfIndex(index);
    if (index.isValid() && m_settings->checkBoxClickable && chunk && event->type() == QEvent::MouseButtonPress) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (checkBoxHitRect(option.rect).contains(mouse->pos())) {
            emit emitCheckStateChange(index, chunk->checkState() == 2 ? 0 : 2);
            return true;
        }
    }
    return itemButtonEvent(event, model, option, index);
}

bool QBaseIconListDelegate::itemButtonEvent(QEvent* event, QAbstractItemModel*, const QStyleOptionViewItem& option,
                                            const QModelIndex& index) {
    Settings& s = *m_settings;
    IBaseChunk* chunk = chunkOfIndex(index);
    QRZItemButtonList* list = m_buttonLists.value(index.column(), nullptr);
    const bool mouseEvent = event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease ||
                            event->type() == QEvent::MouseMove || event->type() == QEvent::MouseButtonDblClick;
    if (!chunk || !chunk->buttonsVisible() || s.buttonsHidden || !list || !mouseEvent) {
        s.pressedCell.forget();
        s.pressClaimed = false;
        return false;
    }
    auto* mouse = static_cast<QMouseEvent*>(event);
    s.mousePos = mouse->pos();
    ItemButtonEventRules rules;
    rules.firstReleaseEndsPress = true;
    bool claimed = false;
    const bool result = runItemButtonEvent(
        mouse, list, index, index.data(Qt::EditRole).toBool(),
        [this, &option](int, const QAbstractButton* button) { return buttonRect(option.rect, button); }, rules,
        &s.pressedCell, &s.buttonState, &claimed, [this, &index] { emit clickWidgt(index); });
    s.pressClaimed = claimed;
    if (result)
        updateTile(option);
    return result;
}
