#include "editor/QHorizontalListFrom.h"

#include "app/AppGlobals.h"
#include "toolkit/QRZWidget.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpacerItem>

namespace {

const int kItemWidth = 56;

} // namespace

// ---- QBaseItem ----

QBaseItem::QBaseItem(QWidget* parent) : QWidget(parent) {
    m_colors[Normal] = QColor(53, 53, 68);
    m_colors[Hover] = QColor(60, 60, 77);
    m_colors[Selected] = QColor(60, 60, 77);
    m_colors[3] = QColor(53, 53, 68);
}

void QBaseItem::setColor(const QColor& color) {
    for (QColor& c : m_colors) {
        c = color;
    }
    repaint();
}

void QBaseItem::setState(int state) {
    m_state = state;
    update();
}

QColor QBaseItem::stateColor(int state) const {
    return state >= Normal && state <= Selected ? m_colors[state] : m_colors[3];
}

void QBaseItem::selectForMenu(bool repaintNow) {
    if (m_state != Selected) {
        m_state = Selected;
        if (repaintNow) {
            repaint();
        }
        emit emitMousePress();
    }
}

void QBaseItem::mousePressEvent(QMouseEvent* event) {
    const Qt::MouseButton button = event->button();
    if (button != Qt::LeftButton && button != Qt::RightButton) {
        return;
    }
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    if (modifiers == Qt::ShiftModifier) {
        if (button == Qt::LeftButton) {
            emit emitMouseShiftPress();
        } else {
            selectForMenu(true);
            emit emitShowTreeMenu();
        }
    } else if (modifiers == Qt::ControlModifier) {
        if (button == Qt::LeftButton) {
            m_state = m_state == Selected ? Normal : Selected;
            emit emitMouseCtrlPress();
        } else {
            selectForMenu(false);
            emit emitShowTreeMenu();
        }
        repaint();
    } else if (modifiers == Qt::NoModifier) {
        if (button == Qt::LeftButton) {
            m_state = Selected;
            emit emitMousePress();
            repaint();
        } else {
            selectForMenu(true);
            emit emitShowTreeMenu();
        }
    }
}

void QBaseItem::enterEvent(QEvent*) {
    if (m_state != Hover && m_state != Selected) {
        m_state = Hover;
        repaint();
    }
}

void QBaseItem::leaveEvent(QEvent*) {
    if (m_state == Hover) {
        m_state = Normal;
        repaint();
    }
}

void QBaseItem::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), stateColor(m_state));
}

// ---- QHorizontalListItem ----

QHorizontalListItem::QHorizontalListItem(QWidget* parent)
    : QBaseItem(parent), m_wdgCoverImage(new QRZWidget(this)), m_lblTitle(new QLabel(this)),
      m_wdgImage(new QRZWidget(this)) {
    resize(157, 141);
    m_wdgCoverImage->setObjectName(QStringLiteral("m_wdgCoverImage"));
    m_lblTitle->setObjectName(QStringLiteral("m_lblTitle"));
    m_wdgImage->setObjectName(QStringLiteral("m_wdgImage"));
    // The item takes every press and hover; its parts only show.
    for (QWidget* part : {static_cast<QWidget*>(m_wdgCoverImage), static_cast<QWidget*>(m_lblTitle),
                          static_cast<QWidget*>(m_wdgImage)}) {
        part->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    m_wdgImage->setBackgroundColor(Qt::transparent);
    m_wdgCoverImage->setBackgroundColor(Qt::transparent);
    m_wdgCoverImage->raise();
    m_lblTitle->setAlignment(Qt::AlignCenter);
    m_lblTitle->setText(QStringLiteral("Title"));
    QFont font = m_lblTitle->font();
    font.setFamily(QStringLiteral("Tahoma"));
    font.setPixelSize(11);
    m_lblTitle->setFont(font);
    QPalette palette = m_lblTitle->palette();
    palette.setColor(QPalette::WindowText, QColor(250, 237, 237));
    m_lblTitle->setPalette(palette);
    setMinimumWidth(kItemWidth);
    setMaximumWidth(kItemWidth);
    setStateImage(getAppDirPath() + QStringLiteral("/VEditSource/normal.png"));
}

void QHorizontalListItem::setStateImage(const QString& path) {
    if (path.isEmpty()) {
        return;
    }
    const QImage strip(path);
    if (!strip.isNull()) {
        m_stateStrip = strip;
        const QSize frame(strip.width() / 4, strip.height());
        m_wdgCoverImage->resize(frame);
        m_lblTitle->resize(frame.width() + 2, m_lblTitle->height());
        m_wdgImage->setFixedSize(frame);
    }
    showState(state());
    repaint();
}

void QHorizontalListItem::showState(int s) {
    if (!m_stateStrip.isNull()) {
        const int quarter = m_stateStrip.width() / 4;
        const int frame = s >= 0 && s <= 2 ? s : 3;
        m_wdgCoverImage->setBackgroundImage(m_stateStrip.copy(frame * quarter, 0, quarter, m_stateStrip.height()));
        m_wdgCoverImage->setBackgroundMargins(0, 0, 0, 0, 0, 0, 0, 0);
        m_wdgCoverImage->update();
    }
    setState(s);
}

void QHorizontalListItem::setItem(const QString& imagePath, const QString& title) {
    m_title = title;
    if (!imagePath.isEmpty()) {
        m_thumbnail = QImage(imagePath);
        m_wdgImage->setBackgroundImage(m_thumbnail);
        m_wdgImage->setBackgroundMargins(0, 0, 0, 0, 0, 0, 0, 0);
        m_wdgImage->update();
        showState(state());
    }
    m_lblTitle->setText(shownTitle());
    m_lblTitle->setToolTip(m_title);
    layoutParts();
    repaint();
}

QString QHorizontalListItem::shownTitle() const {
    return QFontMetrics(m_lblTitle->font()).elidedText(m_title, Qt::ElideRight, m_lblTitle->width());
}

void QHorizontalListItem::mousePressEvent(QMouseEvent* event) {
    QBaseItem::mousePressEvent(event);
    showState(state());
}

void QHorizontalListItem::enterEvent(QEvent* event) {
    QBaseItem::enterEvent(event);
    showState(state());
}

void QHorizontalListItem::leaveEvent(QEvent* event) {
    QBaseItem::leaveEvent(event);
    showState(state());
}

void QHorizontalListItem::resizeEvent(QResizeEvent* event) {
    QBaseItem::resizeEvent(event);
    layoutParts();
}

void QHorizontalListItem::layoutParts() {
    const int imageWidth = m_wdgImage->width();
    const int imageHeight = m_wdgImage->height();
    const int titleHeight = m_lblTitle->height();
    const int x = (width() - imageWidth) / 2;
    const int y = (height() - imageHeight - titleHeight - 2) / 2;
    m_wdgImage->move(x, y);
    m_wdgCoverImage->move(x, y);
    m_lblTitle->move((width() - m_lblTitle->width()) / 2, y + imageHeight + 2);
}

// ---- QHorizontalListFrom ----

QHorizontalListFrom::QHorizontalListFrom(QWidget* parent)
    : QWidget(parent), m_mainLayout(new QHBoxLayout), m_scrollArea(new QScrollArea(this)),
      m_scrollAreaWidget(new QWidget), m_contentLayout(new QHBoxLayout), m_listLayout(new QHBoxLayout) {
    resize(587, 379);
    m_mainLayout->setObjectName(QStringLiteral("m_mainLayout"));
    m_mainLayout->setContentsMargins(0, 0, 0, 0);
    m_scrollArea->setObjectName(QStringLiteral("m_scrollArea"));
    m_scrollArea->setFrameShape(QFrame::NoFrame);
    m_scrollArea->setWidgetResizable(true);
    m_scrollArea->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scrollAreaWidget->setObjectName(QStringLiteral("m_scrollAreaWidget"));
    m_scrollAreaWidget->setAutoFillBackground(false);
    m_contentLayout->setObjectName(QStringLiteral("m_contentLayout"));
    m_contentLayout->setContentsMargins(0, 0, 0, 0);
    m_listLayout->setObjectName(QStringLiteral("m_listLayout"));
    m_listLayout->setSpacing(0);
    m_listLayout->setContentsMargins(2, 1, 2, 1);
    m_contentLayout->addLayout(m_listLayout);
    m_contentLayout->addItem(new QSpacerItem(40, 20, QSizePolicy::Expanding, QSizePolicy::Minimum));
    m_scrollAreaWidget->setLayout(m_contentLayout);
    m_scrollArea->setWidget(m_scrollAreaWidget);
    m_mainLayout->addWidget(m_scrollArea);
    setLayout(m_mainLayout);
    setMouseTracking(true);
    m_scrollArea->setMouseTracking(true);
    m_scrollAreaWidget->setMouseTracking(true);
    setBackgroundColor(m_backgroundColor);
}

QHorizontalListFrom::~QHorizontalListFrom() = default;

void QHorizontalListFrom::addItem(const QString& imagePath, const QString& title) {
    auto* item = new QHorizontalListItem(m_scrollAreaWidget);
    connect(item, &QBaseItem::emitMousePress, this, &QHorizontalListFrom::itemMousePress);
    connect(item, &QBaseItem::emitMouseShiftPress, this, &QHorizontalListFrom::itemMouseShiftPress);
    connect(item, &QBaseItem::emitMouseCtrlPress, this, &QHorizontalListFrom::itemMouseCtrlPress);
    connect(item, &QBaseItem::emitShowTreeMenu, this, &QHorizontalListFrom::itemShowTreeMenu);
    item->setColor(m_backgroundColor);
    item->setItem(imagePath, title);
    m_listLayout->addWidget(item);
    m_items.append(item);
}

void QHorizontalListFrom::clear() {
    for (QHorizontalListItem* item : m_items) {
        m_listLayout->removeWidget(item);
        delete item;
    }
    m_items.clear();
    m_currentItem = nullptr;
    m_currentIndex = -1;
}

void QHorizontalListFrom::itemMousePress() {
    auto* sender = qobject_cast<QHorizontalListItem*>(this->sender());
    for (QHorizontalListItem* item : m_items) {
        if (item != sender) {
            item->showState(QBaseItem::Normal);
        }
    }
    if (sender == m_currentItem) {
        return;
    }
    m_currentItem = sender;
    m_currentIndex = m_items.indexOf(sender);
    emit currentIndexChanged(m_currentIndex);
}

void QHorizontalListFrom::setCurrentIndex(int index) {
    if (m_items.isEmpty() || index < 0 || index >= m_items.size()) {
        return;
    }
    for (int i = 0; i < m_items.size(); ++i) {
        m_items[i]->showState(i == index ? QBaseItem::Selected : QBaseItem::Normal);
    }
    m_currentItem = m_items[index];
    m_currentIndex = index;
}

void QHorizontalListFrom::clearSelection() {
    for (QHorizontalListItem* item : m_items) {
        if (item->state() != QBaseItem::Normal) {
            item->showState(QBaseItem::Normal);
        }
    }
    m_currentItem = nullptr;
    m_currentIndex = -1;
}

void QHorizontalListFrom::setBackgroundColor(const QColor& color) {
    m_backgroundColor = color;
    QPalette palette = m_scrollArea->palette();
    palette.setColor(QPalette::All, QPalette::Window, color);
    m_scrollArea->setPalette(palette);
    for (QHorizontalListItem* item : m_items) {
        item->setColor(color);
    }
    repaint();
}

void QHorizontalListFrom::setHorizontalScrollBar(QScrollBar* bar) {
    m_scrollArea->setHorizontalScrollBar(bar);
}

void QHorizontalListFrom::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), m_backgroundColor);
}
