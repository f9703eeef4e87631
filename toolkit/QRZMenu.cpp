#include "toolkit/QRZMenu.h"

#include "toolkit/ImagePainting.h"

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QPainter>
#include <QStyleOptionMenuItem>

QRZMenuStyle::QRZMenuStyle() = default;
QRZMenuStyle::~QRZMenuStyle() = default;

QColor QRZMenuStyle::mixColors(const QColor& a, const QColor& b, int percent) {
    auto channel = [percent](int ca, int cb) { return cb * (100 - percent) / 100 + percent * ca / 100; };
    return QColor(channel(a.red(), b.red()), channel(a.green(), b.green()), channel(a.blue(), b.blue()));
}

void QRZMenuStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                                 const QWidget* widget) const {
    if (element == PE_FrameMenu) {
        if (m_record.frameImage.isNull())
            painter->fillRect(option->rect, m_record.background);
        else
            drawNineGrid(painter, option->rect, m_record.frameImage, true);
        return;
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}

int QRZMenuStyle::pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const {
    switch (metric) {
    case PM_SmallIconSize:
        return m_record.iconSize;
    case PM_MenuPanelWidth:
        return m_record.panelWidth;
    case PM_MenuHMargin:
    case PM_MenuVMargin:
        return 0;
    default:
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
}

void QRZMenuStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                               const QWidget* widget) const {
    if (element == CE_MenuItem) {
        if (auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option))
            drawMenuItem(item, painter, widget);
        return;
    }
    if (element == CE_MenuEmptyArea) {
        painter->fillRect(option->rect, m_record.emptyArea);
        return;
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}

QSize QRZMenuStyle::sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& contentsSize,
                                     const QWidget* widget) const {
    auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    if (type != CT_MenuItem || !item || (m_record.itemWidth <= 0 && m_record.itemHeight <= 0))
        return QProxyStyle::sizeFromContents(type, option, contentsSize, widget);
    int w = contentsSize.width();
    int h = 0;
    if (item->menuItemType == QStyleOptionMenuItem::Separator) {
        w = 10;
        h = 2;
    } else {
        h = item->fontMetrics.height() + 8;
        if (!item->icon.isNull()) {
            const int side = pixelMetric(PM_SmallIconSize, option, widget);
            h = qMax(h, item->icon.actualSize(QSize(side, side)).height() + 4);
        }
    }
    if (item->text.contains(QLatin1Char('\t')))
        w += 32;
    const int maxIconWidth = item->maxIconWidth;
    if (maxIconWidth > 0)
        w += maxIconWidth + 6;
    if (item->menuHasCheckableItems)
        w = maxIconWidth >= 20 ? w + 2 : w - maxIconWidth + 22;
    else if (maxIconWidth > 0)
        w += 2;
    return QSize(m_record.itemWidth > 0 ? m_record.itemWidth : w + 52,
                 m_record.itemHeight > 0 ? m_record.itemHeight : h);
}

void QRZMenuStyle::drawSeparator(const QStyleOptionMenuItem* option, QPainter* painter) const {
    const QRect rect = option->rect;
    int reserved = 0;
    if (!option->text.isEmpty()) {
        painter->setFont(option->font);
        proxy()->drawItemText(painter, rect.adjusted(5, 0, -5, 0), Qt::AlignLeft | Qt::AlignVCenter, option->palette,
                              option->state & State_Enabled, option->text, QPalette::Text);
        reserved = QFontMetrics(option->font).horizontalAdvance(option->text) + 5;
    }
    const int y = rect.center().y();
    const bool rightToLeft = option->direction == Qt::RightToLeft;
    const int x1 = rightToLeft ? rect.left() + 5 : rect.left() + 5 + reserved;
    const int x2 = rightToLeft ? rect.right() - reserved - 5 : rect.right() - 5;
    painter->setPen(QPen(m_record.separator, 1));
    painter->drawLine(x1, y, x2, y);
}

void QRZMenuStyle::drawCheckMark(const QStyleOptionMenuItem* option, QPainter* painter, const QWidget* widget) const {
    if (option->checkType == QStyleOptionMenuItem::NotCheckable)
        return;
    const QRect rect = option->rect;
    const int centreY = rect.center().y();
    const QRect square = visualRect(option->direction, rect,
                                    QRect(QPoint(rect.left() + 7, centreY - 6), QPoint(rect.left() + 20, centreY + 7)));
    const bool enabled = option->state & State_Enabled;
    const bool selected = (option->state & State_Selected) && enabled;
    auto drawCentred = [&](const QImage& image) {
        const QRect source = image.rect();
        QRect target(QPoint(0, 0), source.size().boundedTo(square.size()));
        target.moveCenter(square.center());
        QRect cut = source;
        cut.setSize(target.size());
        cut.moveCenter(source.center());
        painter->drawImage(target, image, cut);
    };
    if (option->checkType == QStyleOptionMenuItem::Exclusive) {
        if (!option->checked)
            return;
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing, true);
        painter->setPen(Qt::NoPen);
        if (m_record.radioImage.isNull()) {
            painter->setBrush(selected ? m_record.selectedText : m_record.text);
            painter->drawEllipse(square.adjusted(4, 4, -4, -4));
        } else {
            drawCentred(m_record.radioImage);
        }
        painter->restore();
        return;
    }
    if (!option->icon.isNull())
        return;
    const QImage& image = option->checked ? m_record.checkedImage : m_record.uncheckedImage;
    if (!image.isNull()) {
        drawCentred(image);
        return;
    }
    // Styles draw the check-box indicator only from a button option.
    QStyleOptionButton box;
    box.QStyleOption::operator=(*option);
    box.rect = square;
    box.state = (option->state & State_Enabled) | (option->checked ? State_On : State_Off);
    proxy()->drawPrimitive(PE_IndicatorCheckBox, &box, painter, widget);
}

int QRZMenuStyle::drawIcon(const QStyleOptionMenuItem* option, QPainter* painter, const QWidget* widget) const {
    auto* combo = qobject_cast<const QComboBox*>(widget);
    const int checkColumn = combo ? (option->icon.isNull() ? 0 : option->maxIconWidth) : qMax(option->maxIconWidth, 20);
    if (option->icon.isNull())
        return checkColumn;
    const QRect rect = option->rect;
    const QRect iconRect =
        visualRect(option->direction, rect,
                   QRect(QPoint(rect.left() + 4, rect.top()), QPoint(rect.left() + checkColumn + 3, rect.bottom())));
    const bool enabled = option->state & State_Enabled;
    const bool selected = (option->state & State_Selected) && enabled;
    const bool checkedCheckable = option->checkType != QStyleOptionMenuItem::NotCheckable && option->checked;
    if (checkedCheckable) {
        QStyleOptionButton panel;
        panel.rect = iconRect;
        panel.palette = option->palette;
        panel.state = State_Sunken | (option->state & State_Enabled);
        if (selected)
            panel.palette.setColor(QPalette::Button, mixColors(m_record.itemBackground, m_record.selection, 50));
        proxy()->drawPrimitive(PE_PanelButtonCommand, &panel, painter, widget);
    }
    const int side = combo ? combo->iconSize().width() : pixelMetric(PM_SmallIconSize, option, widget);
    const QSize iconSize = combo ? combo->iconSize() : QSize(side, side);
    const QIcon::Mode mode = !enabled ? QIcon::Disabled : selected ? QIcon::Active : QIcon::Normal;
    const QPixmap pixmap = option->icon.pixmap(iconSize, mode, option->checked ? QIcon::On : QIcon::Off);
    QRect target(QPoint(0, 0), pixmap.size() / pixmap.devicePixelRatio());
    target.moveCenter(iconRect.center());
    painter->drawPixmap(target, pixmap);
    return checkColumn;
}

void QRZMenuStyle::drawTexts(const QStyleOptionMenuItem* option, QPainter* painter, int checkColumnWidth) const {
    const bool enabled = option->state & State_Enabled;
    const bool selected = (option->state & State_Selected) && enabled;
    const QRect rect = option->rect;
    const QRect textRect = visualRect(option->direction, rect,
                                      QRect(QPoint(rect.left() + checkColumnWidth + 7, rect.top() + 8),
                                            QPoint(rect.right() - option->tabWidth - 14, rect.bottom() - 8)));
    int flags = Qt::AlignVCenter | Qt::TextShowMnemonic | Qt::TextDontClip | Qt::AlignLeft;
    if (!proxy()->styleHint(SH_UnderlineShortcut, option, nullptr))
        flags = (flags & ~Qt::TextShowMnemonic) | Qt::TextHideMnemonic;
    const bool etch = !enabled && !selected && proxy()->styleHint(SH_EtchDisabledText, option, nullptr);
    const QColor pen = !enabled ? m_record.disabledText : selected ? m_record.selectedText : m_record.text;

    QFont font = option->font;
    if (option->font.pointSizeF() > 0)
        font.setPointSizeF(option->font.pointSizeF());
    if (option->menuItemType == QStyleOptionMenuItem::DefaultItem)
        font.setWeight(QFont::Bold);
    painter->setFont(font);

    QString label = option->text;
    const int tab = label.indexOf(QLatin1Char('\t'));
    if (tab >= 0) {
        const QString shortcut = label.mid(tab + 1);
        const QRect shortcutRect =
            visualRect(option->direction, rect,
                       QRect(QPoint(textRect.right(), textRect.top()), QPoint(rect.right(), textRect.bottom())));
        if (etch) {
            painter->setPen(m_record.text);
            painter->drawText(shortcutRect.translated(1, 1), flags, shortcut);
        }
        painter->setPen(pen);
        painter->drawText(shortcutRect, flags, shortcut);
        label = label.left(tab);
    }
    if (etch) {
        painter->setPen(option->palette.light().color());
        painter->drawText(textRect.translated(1, 1), flags, label);
    }
    painter->setPen(pen);
    painter->drawText(textRect, flags, label);
}

void QRZMenuStyle::drawSubMenuArrow(const QStyleOptionMenuItem* option, QPainter* painter,
                                    const QWidget* widget) const {
    if (option->menuItemType != QStyleOptionMenuItem::SubMenu)
        return;
    const QRect rect = option->rect;
    const int a = rect.height() - 4;
    const int top = rect.top() + rect.height() / 2 - a / 4;
    const QRect arrowRect =
        visualRect(option->direction, rect,
                   QRect(QPoint(rect.right() - a / 2 - 2, top), QPoint(rect.right() - 3, top + a / 2 - 1)));
    const bool enabled = option->state & State_Enabled;
    const bool selected = (option->state & State_Selected) && enabled;
    QStyleOptionMenuItem arrow(*option);
    arrow.rect = arrowRect;
    arrow.palette.setColor(QPalette::ButtonText, selected ? m_record.selectedText : m_record.text);
    proxy()->drawPrimitive(option->direction == Qt::RightToLeft ? PE_IndicatorArrowLeft : PE_IndicatorArrowRight,
                           &arrow, painter, widget);
}

void QRZMenuStyle::drawMenuItem(const QStyleOptionMenuItem* option, QPainter* painter, const QWidget* widget) const {
    painter->save();
    painter->setPen(Qt::NoPen);
    painter->fillRect(option->rect, m_record.itemBackground);
    if (option->menuItemType == QStyleOptionMenuItem::Separator) {
        drawSeparator(option, painter);
        painter->restore();
        return;
    }
    const bool enabled = option->state & State_Enabled;
    if ((option->state & State_Selected) && enabled)
        painter->fillRect(option->rect, m_record.selection);
    if (!qobject_cast<const QComboBox*>(widget))
        drawCheckMark(option, painter, widget);
    if (!enabled)
        painter->fillRect(option->rect, m_record.disabledOverlay);
    const int checkColumn = drawIcon(option, painter, widget);
    drawTexts(option, painter, checkColumn);
    drawSubMenuArrow(option, painter, widget);
    painter->restore();
}

QRZMenu::QRZMenu(QWidget* parent) : QMenu(parent), m_style(new QRZMenuStyle()) {
    setWindowFlags(Qt::Popup | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground, true);
    setStyle(m_style);
}

QRZMenu::~QRZMenu() {
    setStyle(nullptr);
    delete m_style;
}

QRZMenuStyle* QRZMenu::menuStyle() const {
    return m_style;
}

void QRZMenu::restyle() {
    // Item sizes can depend on the record; let the menu lay itself out again.
    QEvent styleChange(QEvent::StyleChange);
    QApplication::sendEvent(this, &styleChange);
    update();
}

void QRZMenu::setStyleValue(int panelWidth) {
    m_style->record().panelWidth = panelWidth;
    restyle();
}

void QRZMenu::setBackgroundColor(const QColor& color) {
    m_style->record().background = color;
    update();
}

void QRZMenu::setStyleColor2(const QColor& emptyAreaColor) {
    m_style->record().emptyArea = emptyAreaColor;
    m_emptyAreaColorSet = true;
    update();
}

void QRZMenu::setItemBackgroundColor(const QColor& color) {
    m_style->record().itemBackground = color;
    update();
}

void QRZMenu::setTextColor(const QColor& color) {
    m_style->record().text = color;
    update();
}

void QRZMenu::setStyleColor5(const QColor& selectionColor) {
    m_style->record().selection = selectionColor;
    update();
}

void QRZMenu::setStyleColor7(const QColor& disabledOverlayColor) {
    m_style->record().disabledOverlay = disabledOverlayColor;
    update();
}

void QRZMenu::setStyleColor8(const QColor& disabledTextColor) {
    m_style->record().disabledText = disabledTextColor;
    update();
}

void QRZMenu::setSeparatorColor(const QColor& color) {
    m_style->record().separator = color;
    update();
}
