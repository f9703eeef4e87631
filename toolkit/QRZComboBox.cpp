#include "toolkit/QRZComboBox.h"

#include "toolkit/QRZButton.h"
#include "toolkit/QRZCheckBox.h"
#include "toolkit/ScreenOrigin.h"

#include <QAbstractButton>
#include <QEvent>
#include <QFileInfo>
#include <QFontMetrics>
#include <QFrame>
#include <QGuiApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QScreen>

namespace {
const char* const kEditRule = "QLineEdit {background-color:transparent;border:none;color:%1}";
const char* const kWidthLead = "QComboBox QAbstractItemView { min-height: 10px; min-width: ";
const char* const kBackgroundLead = "QListView::item {background: ";
const char* const kHoverLead = "QListView::item:hover {background: ";
const char* const kSelectedLead = "QListView::item:selected{background-color: ";
const char* const kBorderLead = "QComboBox QAbstractItemView{background-color:gray; border: ";
} // namespace

// ---------------------------------------------------------------------------------------
// QRZComboBoxItem

QRZComboBoxItem::QRZComboBoxItem(QWidget* parent, QListWidgetItem* item)
    : QWidget(parent), QRZBaseRectImageDraw(this), m_item(item) {
    QRZBaseRectImageDraw::setTextMargins(5, 0, 0, 0);
    for (QColor& color : m_rowTextColors)
        color = QColor(0, 0, 0);
}

QRZComboBoxItem::~QRZComboBoxItem() = default;

void QRZComboBoxItem::setStyle(const StyleRecord& record) {
    m_style = record;
    setTextAlignment(record.textAlignment);
    placeEmbeddedWidget();
    update();
}

void QRZComboBoxItem::setRowTextColors(const QColor& normal, const QColor& hover, const QColor& pressed,
                                       const QColor& disabled) {
    m_rowTextColors[0] = normal;
    m_rowTextColors[1] = hover;
    m_rowTextColors[2] = pressed;
    m_rowTextColors[3] = disabled;
    setTextColors(normal, hover, pressed, disabled);
    update();
}

void QRZComboBoxItem::setEmbeddedWidget(QWidget* widget) {
    m_embedded = widget;
    if (widget && widget->parentWidget() != this)
        widget->setParent(this);
    placeEmbeddedWidget();
}

void QRZComboBoxItem::setWidgetPos(int x, int y) {
    m_style.widgetX = x;
    m_style.widgetY = y;
    placeEmbeddedWidget();
}

void QRZComboBoxItem::setBottomStripHeight(int height) {
    m_bottomStripHeight = height;
    update();
}

int QRZComboBoxItem::textWidth(const QFont& font, const QString& text) const {
    const QMargins margins = textMargins();
    return QFontMetrics(font).horizontalAdvance(text) + margins.left() + margins.right();
}

void QRZComboBoxItem::placeEmbeddedWidget() {
    if (!m_embedded)
        return;
    const int x = m_style.widgetX == -1 ? 2 : m_style.widgetX;
    const int y = m_style.widgetY == -1 ? (height() - m_embedded->height()) / 2 : m_style.widgetY;
    m_embedded->move(x, y);
}

bool QRZComboBoxItem::isCurrentRow() const {
    QListWidget* list = m_item ? m_item->listWidget() : nullptr;
    return list && list->currentItem() == m_item;
}

void QRZComboBoxItem::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(Qt::NoPen);
    QColor background = m_style.background;
    if (m_style.currentRowColouring) {
        if (isCurrentRow())
            background = m_style.selectedBackground;
        else if (m_hovered)
            background = m_style.hoverBackground;
    } else if (m_hovered) {
        background = m_style.selectedBackground;
    }
    painter.fillRect(rect(), background);

    const int thickness = m_style.separatorThickness;
    if (thickness > 0 && m_item && m_item->listWidget()) {
        const QListWidget* list = m_item->listWidget();
        const int row = list->row(m_item);
        if (row > 0 && thickness > 1)
            painter.fillRect(QRect(0, 0, width(), thickness / 2), m_style.separatorColor);
        if (row < list->count() - 1) {
            const int strip = (thickness + 1) / 2;
            painter.fillRect(QRect(0, height() - m_bottomStripHeight - strip, width(), strip), m_style.separatorColor);
        }
    }
    paintExtraImage(&painter);
    paintText(&painter);
    if (m_bottomStripHeight > 0)
        painter.fillRect(QRect(QPoint(1, height() - m_bottomStripHeight), QPoint(width() - 2, height() - 1)),
                         m_style.bottomStripColor);
}

void QRZComboBoxItem::paintText(QPainter* painter) {
    const QString text = m_item ? m_item->text() : QString();
    if (text.isEmpty())
        return;
    int colour = 0;
    if (!isEnabled())
        colour = 3;
    else if (m_hovered || (m_style.currentRowColouring && isCurrentRow()))
        colour = 1;
    const QMargins margins = textMargins();
    const QRect area(QPoint(margins.left(), margins.top()),
                     QPoint(width() - 1 - margins.right(), height() - 1 - margins.bottom()));
    painter->save();
    painter->setRenderHint(QPainter::TextAntialiasing, true);
    painter->setFont(font());
    painter->setPen(m_rowTextColors[colour]);
    // A text that fits by its advance stays whole (the popup is sized by the advance).
    const QFontMetrics metrics(font());
    const QString shown =
        metrics.horizontalAdvance(text) <= area.width() ? text : metrics.elidedText(text, Qt::ElideRight, area.width());
    painter->drawText(area, m_style.textAlignment, shown);
    painter->restore();
}

void QRZComboBoxItem::mousePressEvent(QMouseEvent* event) {
    mousePress(event);
    QWidget::mousePressEvent(event);
}

void QRZComboBoxItem::mouseReleaseEvent(QMouseEvent* event) {
    mouseRelease(event);
    QWidget::mouseReleaseEvent(event);
}

void QRZComboBoxItem::enterEvent(QEvent* event) {
    enter(event);
    m_hovered = true;
    update();
    QWidget::enterEvent(event);
}

void QRZComboBoxItem::leaveEvent(QEvent* event) {
    leave(event);
    m_hovered = false;
    update();
    QWidget::leaveEvent(event);
}

void QRZComboBoxItem::changeEvent(QEvent* event) {
    enabledChange(event);
    QWidget::changeEvent(event);
}

void QRZComboBoxItem::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    placeEmbeddedWidget();
}

// ---------------------------------------------------------------------------------------
// QRZComboBox

struct QRZComboBox::Private {
    QRZBaseButton* arrow = nullptr;
    qint16 arrowX = -1;
    qint16 arrowY = -1;
    qint16 arrowRightMargin = 0;
    qint16 arrowBottomMargin = 0;
    bool arrowKeepsSize = true;
    QString styleSheet;
    int rowHeight = 19;
    int popupWidth = 0;
    int popupBorderWidth = 0;
    QRZComboBoxItem::StyleRecord rowStyle;
    QListWidget* list = nullptr;
    QRect rowIconRect{QPoint(0, 0), QPoint(-1, -1)};
    bool automaticPopupWidth = true;
    QMargins rowTextMargins{1, 1, 1, 1};
    bool rowFontSetSeparately = false;
    QFont rowFont;
    bool rowColorsSetSeparately = false;
    QColor rowTextColors[4] = {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}};
    int popupOffsetX = 0;
    int popupOffsetY = 0;
    int lineEditX = -1;
};

QRZComboBox::QRZComboBox(QWidget* parent) : QComboBox(parent), QRZBaseRectImageDraw(this), d(new Private) {
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    d->styleSheet = styleSheet();
    setTextColor(QPalette().color(QPalette::Text));
    d->rowFont = font();
    connect(this, SIGNAL(currentIndexChanged(QString)), this, SLOT(drawTextChange(QString)));
    connect(this, SIGNAL(currentIndexChanged(int)), this, SLOT(currentIndexChangeSlot(int)));
    connect(this, SIGNAL(emitShowPopup()), this, SLOT(showPopup()));
}

QRZComboBox::~QRZComboBox() {
    delete d->arrow;
    delete d;
}

bool QRZComboBox::isImageDrawn() const {
    return hasFrameImage();
}
QListWidget* QRZComboBox::popupList() const {
    return d->list;
}
QAbstractButton* QRZComboBox::arrowButton() const {
    return d->arrow;
}
QString QRZComboBox::shownText() const {
    return text();
}
QString QRZComboBox::styleSheetText() const {
    return d->styleSheet;
}
int QRZComboBox::itemHeight() const {
    return d->rowHeight;
}
int QRZComboBox::popupWidth() const {
    return d->popupWidth;
}

void QRZComboBox::createPopupList() {
    if (d->list)
        return;
    d->list = new QListWidget(this);
    setModel(d->list->model());
    setView(d->list);
    connect(d->list->model(), SIGNAL(rowsAboutToBeRemoved(QModelIndex, int, int)), this,
            SLOT(popupRowsAboutToBeRemoved(QModelIndex, int, int)));
}

void QRZComboBox::popupRowsAboutToBeRemoved(const QModelIndex&, int first, int last) {
    // The view drops its index widgets first, so the rows are found among its children.
    const auto rows = d->list->viewport()->findChildren<QRZComboBoxItem*>(QString(), Qt::FindDirectChildrenOnly);
    for (QRZComboBoxItem* row : rows) {
        if (!row->listItem())
            continue;
        const int index = d->list->row(row->listItem());
        if (index >= first && index <= last) {
            rowRemoved(row);
            row->clearListItem();
        }
    }
}

bool QRZComboBox::setFrameImage(const QString& path) {
    if (!QRZBaseRectImageDraw::setFrameImage(path))
        return false;
    d->styleSheet += QStringLiteral("QComboBox {background-color:transparent;border:none}");
    d->styleSheet += QStringLiteral("QComboBox QAbstractItemView{background-color:transparent;}");
    setStyleSheet(d->styleSheet);
    createPopupList();
    update();
    return true;
}

void QRZComboBox::setFrameStates(bool strip) {
    setFrameIsStrip(strip);
    update();
}

void QRZComboBox::setExtraImageStates(bool strip) {
    setExtraImageIsStrip(strip);
    update();
}

bool QRZComboBox::setArrowImage(const QString& path, bool keepSize) {
    delete d->arrow;
    d->arrow = nullptr;
    if (!QFileInfo(path).isFile())
        return false;
    d->arrow = new QRZBaseButton(this);
    if (!d->arrow->setImage(path, true)) {
        delete d->arrow;
        d->arrow = nullptr;
        return false;
    }
    d->arrow->show();
    connect(d->arrow, SIGNAL(clicked()), this, SLOT(showPopup()));
    connect(d->arrow, SIGNAL(clicked()), this, SIGNAL(emitClicked()));
    d->arrowKeepsSize = keepSize;
    placeArrow();
    return true;
}

void QRZComboBox::setArrowPos(int x, int y) {
    d->arrowX = qint16(x);
    d->arrowY = qint16(y);
    placeArrow();
}

void QRZComboBox::setArrowMargins(int right, int bottom) {
    d->arrowRightMargin = qint16(right);
    d->arrowBottomMargin = qint16(bottom);
    placeArrow();
}

void QRZComboBox::placeArrow() {
    if (!d->arrow)
        return;
    if (d->arrowX == -1)
        d->arrowX = qint16(width() - d->arrow->width() - d->arrowRightMargin);
    if (d->arrowY == -1)
        d->arrowY = qint16((height() - d->arrow->height() - d->arrowBottomMargin) / 2);
    if (d->arrowKeepsSize) {
        d->arrow->move(d->arrowX, d->arrowY);
    } else {
        d->arrow->setGeometry(QRect(QPoint(d->arrowX, d->arrowY),
                                    QPoint(width() - 1 - d->arrowRightMargin, height() - 1 - d->arrowBottomMargin)));
    }
}

void QRZComboBox::setTextMargins(int left, int top, int right, int bottom) {
    QRZBaseRectImageDraw::setTextMargins(qint16(left), qint16(top), qint16(right), qint16(bottom));
    update();
    updateGeometry();
}

void QRZComboBox::setTextColor(const QColor& color) {
    QRZBaseRectImageDraw::setTextColors(color, color, color, color);
    if (lineEdit())
        restyleLineEdit(lineEdit());
    update();
}

void QRZComboBox::setTextColors(const QColor& normal, const QColor& hover, const QColor& pressed,
                                const QColor& disabled) {
    QRZBaseRectImageDraw::setTextColors(normal, hover, pressed, disabled);
    if (!d->rowColorsSetSeparately) {
        d->rowTextColors[0] = normal;
        d->rowTextColors[1] = hover;
        d->rowTextColors[2] = pressed;
        d->rowTextColors[3] = disabled;
        refreshRowStyles();
    }
    if (lineEdit())
        restyleLineEdit(lineEdit());
    update();
}

void QRZComboBox::setItemTextColor(const QColor& color) {
    setItemTextColors(color, color, color, color);
}

void QRZComboBox::setItemTextColors(const QColor& normal, const QColor& hover, const QColor& pressed,
                                    const QColor& disabled) {
    d->rowTextColors[0] = normal;
    d->rowTextColors[1] = hover;
    d->rowTextColors[2] = pressed;
    d->rowTextColors[3] = disabled;
    d->rowColorsSetSeparately = true;
    refreshRowStyles();
}

void QRZComboBox::setFont(const QFont& font) {
    QWidget::setFont(font); // the font-change event updates the rows
}

void QRZComboBox::setItemFont(const QFont& font) {
    d->rowFont = font;
    d->rowFontSetSeparately = true;
    refreshRowStyles();
}

void QRZComboBox::setItemTextMargins(int left, int top, int right, int bottom) {
    d->rowTextMargins = QMargins(qint16(left), qint16(top), qint16(right), qint16(bottom));
    refreshRowStyles();
}

void QRZComboBox::setPopupMargins(int left, int top, int right, int bottom) {
    setItemTextMargins(left, top, right, bottom);
}

void QRZComboBox::setItemHeight(int height) {
    d->rowHeight = height;
    refreshRowStyles();
}

void QRZComboBox::replaceRule(const QString& lead, const QString& ending, const QString& rule) {
    const int start = d->styleSheet.indexOf(lead);
    if (start >= 0) {
        const int end = d->styleSheet.indexOf(ending, start + lead.size());
        if (end >= 0)
            d->styleSheet.remove(start, end + ending.size() - start);
    }
    d->styleSheet += rule;
    setStyleSheet(d->styleSheet);
}

void QRZComboBox::setPopupMinWidth(int width) {
    d->automaticPopupWidth = false;
    d->popupWidth = width;
    replaceRule(QLatin1String(kWidthLead), QStringLiteral("px}"),
                QString::fromLatin1(kWidthLead) + QString::number(width) + QStringLiteral("px}"));
    if (d->list && isImageDrawn())
        d->list->setMouseTracking(false);
}

void QRZComboBox::setItemBackgroundColor(const QColor& color) {
    if (d->rowStyle.background != color) {
        d->rowStyle.background = color;
        refreshRowStyles();
    }
    replaceRule(QLatin1String(kBackgroundLead), QStringLiteral(";}"),
                QString::fromLatin1(kBackgroundLead) + color.name() + QStringLiteral(";}"));
}

void QRZComboBox::setItemHoverColor(const QColor& color) {
    if (d->rowStyle.hoverBackground != color || !d->rowStyle.currentRowColouring) {
        d->rowStyle.hoverBackground = color;
        d->rowStyle.currentRowColouring = true;
        refreshRowStyles();
    }
    replaceRule(QLatin1String(kHoverLead), QStringLiteral(";}"),
                QString::fromLatin1(kHoverLead) + color.name() + QStringLiteral(";}"));
}

void QRZComboBox::setItemSelectedColor(const QColor& color) {
    if (d->rowStyle.selectedBackground != color) {
        d->rowStyle.selectedBackground = color;
        refreshRowStyles();
    }
    replaceRule(QLatin1String(kSelectedLead), QStringLiteral(";}"),
                QString::fromLatin1(kSelectedLead) + color.name() + QStringLiteral(";}"));
}

void QRZComboBox::setPopupBorder(int width, const QColor& color) {
    d->popupBorderWidth = width;
    replaceRule(QLatin1String(kBorderLead), QStringLiteral("}"),
                QString::fromLatin1(kBorderLead) + QStringLiteral("%1px solid %2}").arg(width).arg(color.name()));
    if (d->list && isImageDrawn())
        d->list->setMouseTracking(false);
}

void QRZComboBox::setItemColor(const QColor& bottomStripColor) {
    if (d->rowStyle.bottomStripColor != bottomStripColor) {
        d->rowStyle.bottomStripColor = bottomStripColor;
        refreshRowStyles();
    }
}

void QRZComboBox::setItemWidgetPos(int x, int y) {
    if (d->rowStyle.widgetX == x && d->rowStyle.widgetY == y)
        return;
    d->rowStyle.widgetX = x;
    d->rowStyle.widgetY = y;
    for (int i = 0; d->list && i < d->list->count(); ++i)
        if (QRZComboBoxItem* row = rowWidget(i))
            row->setWidgetPos(x, y);
}

void QRZComboBox::setItemSize(int x, int y) {
    setItemWidgetPos(x, y);
}

QRZComboBoxItem* QRZComboBox::rowWidget(int index) const {
    if (!d->list || index < 0 || index >= d->list->count())
        return nullptr;
    return qobject_cast<QRZComboBoxItem*>(d->list->itemWidget(d->list->item(index)));
}

int QRZComboBox::rowIndexOf(const QWidget* rowChild) const {
    for (const QWidget* w = rowChild; w; w = w->parentWidget()) {
        if (auto* row = qobject_cast<const QRZComboBoxItem*>(w))
            return d->list ? d->list->row(row->listItem()) : -1;
    }
    return -1;
}

void QRZComboBox::applyRowLook(QRZComboBoxItem* row) const {
    row->setStyle(d->rowStyle);
    row->QRZBaseRectImageDraw::setTextMargins(d->rowTextMargins);
    row->setFont(d->rowFont);
    row->setRowTextColors(d->rowTextColors[0], d->rowTextColors[1], d->rowTextColors[2], d->rowTextColors[3]);
}

int QRZComboBox::separatorShare(int row, int rows) const {
    const int thickness = d->rowStyle.separatorThickness;
    int share = 0;
    if (row > 0 && thickness >= 2)
        share += thickness / 2;
    if (row < rows - 1)
        share += (thickness + 1) / 2;
    return share;
}

void QRZComboBox::refreshRowStyles() {
    if (!d->list)
        return;
    const int rows = d->list->count();
    for (int i = 0; i < rows; ++i) {
        QRZComboBoxItem* row = rowWidget(i);
        if (!row)
            continue;
        applyRowLook(row);
        const int width = d->popupWidth > 0 ? d->popupWidth : this->width();
        d->list->item(i)->setSizeHint(QSize(width, d->rowHeight + separatorShare(i, rows) + row->bottomStripHeight()));
    }
}

void QRZComboBox::refreshRows() {
    if (!d->list)
        return;
    if (d->popupWidth == 0)
        d->popupWidth = width();
    if (d->automaticPopupWidth) {
        int automatic = width() - 2 * d->popupBorderWidth;
        for (int i = 0; i < d->list->count(); ++i) {
            if (QRZComboBoxItem* row = rowWidget(i))
                automatic = qMax(automatic, row->textWidth(d->rowFont, d->list->item(i)->text()));
        }
        setPopupMinWidth(automatic);
        d->automaticPopupWidth = true;
    }
    refreshRowStyles();
}

void QRZComboBox::addItem(const QString& text, const QVariant& userData) {
    if (isImageDrawn())
        insertRow(count(), nullptr, text, userData);
    else
        QComboBox::insertItem(count(), QIcon(), text, userData);
}

void QRZComboBox::addItems(const QStringList& texts) {
    if (!isImageDrawn()) {
        QComboBox::insertItems(count(), texts);
        return;
    }
    for (const QString& text : texts)
        addItem(text, QVariant());
}

void QRZComboBox::insertRow(int index, const QImage* image, const QString& text, const QVariant& userData) {
    createPopupList();
    auto* item = new QListWidgetItem(d->list);
    auto* row = new QRZComboBoxItem(nullptr, item);
    applyRowLook(row);
    if (d->popupWidth == 0)
        d->popupWidth = width();
    item->setSizeHint(QSize(d->popupWidth, d->rowHeight));
    if (image && !image->isNull())
        row->setExtraImage(*image);
    row->setExtraImageRect(d->rowIconRect);
    item->setText(text);
    item->setData(Qt::UserRole, userData);
    const int at = qBound(0, index, d->list->count() - 1);
    d->list->takeItem(d->list->row(item));
    d->list->insertItem(at, item);
    d->list->setItemWidget(item, row);
    rowAdded(row, at);
    if (d->list->count() == 1)
        drawTextChange(text);
}

void QRZComboBox::removeItem(int index) {
    if (!isImageDrawn() || !d->list) {
        QComboBox::removeItem(index);
        return;
    }
    if (index < 0 || index >= d->list->count())
        return;
    QListWidgetItem* item = d->list->item(index);
    QRZComboBoxItem* row = rowWidget(index);
    if (row) {
        rowRemoved(row);
        row->clearListItem();
    }
    d->list->removeItemWidget(item);
    delete d->list->takeItem(index);
}

void QRZComboBox::setItemText(int index, const QString& text) {
    QComboBox::setItemText(index, text);
    if (isImageDrawn() && d->list && index >= 0 && index < d->list->count()) {
        d->list->item(index)->setText(text);
        if (QRZComboBoxItem* row = rowWidget(index))
            row->update();
        if (index == currentIndex())
            drawTextChange(text);
    }
}

QAbstractButton* QRZComboBox::itemButton(int index) const {
    QRZComboBoxItem* row = rowWidget(index);
    return row ? qobject_cast<QAbstractButton*>(row->embeddedWidget()) : nullptr;
}

void QRZComboBox::rowAdded(QRZComboBoxItem*, int) {}
void QRZComboBox::rowRemoved(QRZComboBoxItem*) {}

void QRZComboBox::setShownText(const QString& text) {
    setToolTip(text);
    setText(text);
    update();
}

void QRZComboBox::drawTextChange(const QString& text) {
    setShownText(text);
}

void QRZComboBox::currentIndexChangeSlot(int) {}

void QRZComboBox::restyleLineEdit(QWidget* edit) {
    if (edit)
        edit->setStyleSheet(QString::fromLatin1(kEditRule).arg(d->rowTextColors[0].name()));
}

void QRZComboBox::changeEditColor(const QString&) {
    if (auto* edit = qobject_cast<QWidget*>(sender()))
        restyleLineEdit(edit);
}

void QRZComboBox::showPopup() {
    repaint();
    refreshRows();
    QComboBox::showPopup();
    if (lineEdit())
        restyleLineEdit(lineEdit());
    auto* frame = findChild<QFrame*>(QString(), Qt::FindDirectChildrenOnly);
    if (frame && frame->isWindow()) {
        // The base places the list by the toolkit's idea of where the box is, which lags
        // behind a window the window manager placed: the list goes where the box is.
        const QPoint origin = screenOrigin(this);
        QRect list = frame->geometry().translated(origin - mapToGlobal(QPoint(0, 0)));
        if (d->popupOffsetX != 0 || d->popupOffsetY != 0)
            list.moveTo(list.x() + d->popupOffsetX, origin.y() + height());
        const QRect box(origin, size());
        if (const QScreen* screen = QGuiApplication::screenAt(box.center())) {
            const QRect area = screen->availableGeometry();
            if (list.bottom() > area.bottom() && box.top() - list.height() >= area.top())
                list.moveBottom(box.top() - 1);
            if (list.right() > area.right())
                list.moveRight(area.right());
            if (list.left() < area.left())
                list.moveLeft(area.left());
        }
        if (list != frame->geometry())
            frame->setGeometry(list);
    }
    if (d->list)
        d->list->scrollToTop();
}

void QRZComboBox::hidePopup() {
    if (d->list)
        d->list->scrollToTop();
    QComboBox::hidePopup();
}

void QRZComboBox::paintEvent(QPaintEvent* event) {
    if (!isImageDrawn()) {
        QComboBox::paintEvent(event);
        return;
    }
    QLineEdit* edit = lineEdit();
    setTextVisible(!edit || edit->isHidden() || !isEditable());
    QMargins margins = textMargins();
    if (d->arrow && d->arrowX > width() / 2 && margins.right() < width() - d->arrowX) {
        margins.setRight(width() - d->arrowX);
        QRZBaseRectImageDraw::setTextMargins(margins);
    }
    if (isEditable() && edit) {
        const QRect area = rect().marginsRemoved(margins);
        const bool moved = edit->x() != area.x();
        edit->setGeometry(area);
        if (moved || d->lineEditX != area.x()) {
            d->lineEditX = area.x();
            restyleLineEdit(edit);
        }
    }
    paint(event);
}

void QRZComboBox::mousePressEvent(QMouseEvent* event) {
    if (!(d->arrow && isEditable())) {
        mousePress(event);
        QComboBox::mousePressEvent(event);
    }
    emit emitClicked();
}

void QRZComboBox::mouseReleaseEvent(QMouseEvent* event) {
    mouseRelease(event);
    QComboBox::mouseReleaseEvent(event);
    if (lineEdit() && lineEdit()->isHidden())
        emit emitShowPopup();
}

void QRZComboBox::enterEvent(QEvent* event) {
    enter(event);
    QComboBox::enterEvent(event);
}

void QRZComboBox::leaveEvent(QEvent* event) {
    leave(event);
    QComboBox::leaveEvent(event);
}

void QRZComboBox::changeEvent(QEvent* event) {
    enabledChange(event);
    if (event->type() == QEvent::FontChange && !d->rowFontSetSeparately) {
        d->rowFont = font();
        refreshRowStyles();
    }
    QComboBox::changeEvent(event);
}

void QRZComboBox::showEvent(QShowEvent* event) {
    QComboBox::showEvent(event);
    placeArrow();
}

void QRZComboBox::resizeEvent(QResizeEvent* event) {
    QComboBox::resizeEvent(event);
    placeArrow();
}

// ---------------------------------------------------------------------------------------
// QCheckboxCombobox

struct QCheckboxCombobox::BoxPrivate {
    bool boxesShown = true;
    QList<QAbstractButton*> buttons;
    QImage unchecked;
    QImage checked;
    bool multiple = true;
};

QCheckboxCombobox::QCheckboxCombobox(QWidget* parent) : QRZComboBox(parent), b(new BoxPrivate) {
    connect(this, SIGNAL(currentIndexChanged(int)), this, SLOT(selectChange(int)));
}

QCheckboxCombobox::~QCheckboxCombobox() {
    delete b;
}

void QCheckboxCombobox::setBoxImages(const QString& uncheckedPath, const QString& checkedPath) {
    if (!QFileInfo(uncheckedPath).isFile())
        return;
    b->unchecked = QImage(uncheckedPath);
    b->checked = QImage(checkedPath);
}

void QCheckboxCombobox::setItemChecked(int row, bool checked) {
    if (row >= 0 && row < b->buttons.size())
        b->buttons.at(row)->setChecked(checked);
}

bool QCheckboxCombobox::isItemChecked(int row) const {
    return row >= 0 && row < b->buttons.size() && b->buttons.at(row)->isChecked();
}

void QCheckboxCombobox::setAllChecked(bool checked) {
    for (QAbstractButton* button : b->buttons)
        button->setChecked(checked);
}

bool QCheckboxCombobox::isMultiSelection() const {
    return b->multiple;
}

void QCheckboxCombobox::setMultiSelection(bool multiple) {
    b->multiple = multiple;
    for (QAbstractButton* button : b->buttons)
        if (auto* box = qobject_cast<QComboboxCheckbox*>(button))
            box->setSignalMode(!multiple);
    if (!multiple) {
        setAllChecked(false);
        setItemChecked(currentIndex(), true);
    }
    setShownText(currentText());
}

QString QCheckboxCombobox::checkedText() const {
    // Texts come from each box's own row, so a row being removed is already left out.
    QStringList texts;
    for (QAbstractButton* button : b->buttons) {
        auto* row = qobject_cast<QRZComboBoxItem*>(button->parentWidget());
        if (button->isChecked() && row && row->listItem())
            texts << row->listItem()->text();
    }
    return texts.join(QLatin1Char(';'));
}

void QCheckboxCombobox::rowAdded(QRZComboBoxItem* row, int index) {
    auto* box = new QComboboxCheckbox(row);
    if (!b->checked.isNull() && !b->unchecked.isNull())
        box->setBoxImages(&b->checked, &b->unchecked, nullptr, false, true);
    connect(box, SIGNAL(clicked()), this, SLOT(clickCheckbox()));
    connect(box, SIGNAL(emitClick()), this, SLOT(clickRadio()));
    connect(box, SIGNAL(stateChanged(int)), this, SLOT(slotStateChanged(int)));
    b->buttons.insert(qBound(0, index, b->buttons.size()), box);
    row->setEmbeddedWidget(box);
    box->setVisible(b->boxesShown);
    box->setSignalMode(!b->multiple);
    if (b->multiple)
        setShownText(currentText());
}

void QCheckboxCombobox::rowRemoved(QRZComboBoxItem* row) {
    QAbstractButton* box = qobject_cast<QAbstractButton*>(row->embeddedWidget());
    if (box) {
        b->buttons.removeAll(box);
        row->setEmbeddedWidget(nullptr);
        delete box;
    }
    if (b->multiple)
        setShownText(currentText());
}

void QCheckboxCombobox::clickCheckbox() {
    emit emitClickCheckbox(b->buttons.indexOf(qobject_cast<QAbstractButton*>(sender())));
}

void QCheckboxCombobox::clickRadio() {
    const int row = b->buttons.indexOf(qobject_cast<QAbstractButton*>(sender()));
    if (row >= 0)
        setCurrentIndex(row);
    hidePopup();
}

void QCheckboxCombobox::slotStateChanged(int state) {
    if (b->multiple)
        setShownText(currentText());
    emit emitStateChange(b->buttons.indexOf(qobject_cast<QAbstractButton*>(sender())), state);
}

void QCheckboxCombobox::selectChange(int index) {
    if (b->multiple)
        return;
    for (int row = 0; row < b->buttons.size(); ++row)
        b->buttons.at(row)->setChecked(row == index);
}

void QCheckboxCombobox::hidePopup() {
    QRZComboBox::hidePopup();
}

void QCheckboxCombobox::setShownText(const QString& text) {
    QRZComboBox::setShownText(b->multiple ? checkedText() : text);
}
