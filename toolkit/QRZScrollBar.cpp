#include "toolkit/QRZScrollBar.h"

#include "toolkit/ImagePainting.h"

#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionSlider>
#include <QTransform>

QRZScrollBar::QRZScrollBar(QWidget* parent) : QScrollBar(parent) {
    setUp();
}

QRZScrollBar::QRZScrollBar(Qt::Orientation orientation, QWidget* parent) : QScrollBar(parent) {
    setOrientation(orientation);
    if (orientation == Qt::Horizontal) {
        setMinimumHeight(10);
        setMaximumHeight(10);
    } else {
        setMinimumWidth(10);
        setMaximumWidth(10);
    }
    setUp();
}

void QRZScrollBar::setUp() {
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground, true);
    // Hover events keep the hovered sub-control current for the arrow looks.
    setAttribute(Qt::WA_Hover, true);
    m_style = new QRZScrollBarStyle();
    setStyle(m_style);
}

QRZScrollBar::~QRZScrollBar() {
    // The widget must stop using the style before it goes.
    setStyle(nullptr);
    delete m_style;
}

void QRZScrollBar::setStyleData(const StyleRecord& record) {
    m_style->setRecord(record);
    update();
}

QRZScrollBar::StyleRecord QRZScrollBar::styleData() const {
    return m_style->record();
}

QRZScrollBarStyle::QRZScrollBarStyle() = default;
QRZScrollBarStyle::~QRZScrollBarStyle() = default;

void QRZScrollBarStyle::setRecord(const QRZScrollBar::StyleRecord& record) {
    m_record = record;
    m_record.arrowImage = record.arrowImage.copy();
}

QRZScrollBar::StyleRecord QRZScrollBarStyle::record() const {
    QRZScrollBar::StyleRecord copy = m_record;
    copy.arrowImage = m_record.arrowImage.copy();
    return copy;
}

int QRZScrollBarStyle::pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const {
    if (metric == PM_ScrollBarExtent)
        return m_record.extent;
    return QProxyStyle::pixelMetric(metric, option, widget);
}

QImage QRZScrollBarStyle::generateArrow(const QSize& size, ArrowDirection direction, const QColor& color,
                                        bool highlighted) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    if (size.isEmpty())
        return image;
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    const double w = size.width();
    const double h = size.height();
    if (highlighted) {
        painter.setPen(QPen(color, 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(0.5, 0.5, w - 1, h - 1));
    }
    QPolygonF triangle;
    switch (direction) {
    case ArrowLeft:
        triangle << QPointF(3 * w / 4 - 0.5, 0) << QPointF(w / 4 - 0.5, h / 2) << QPointF(3 * w / 4, h);
        break;
    case ArrowRight:
        triangle << QPointF(w / 4 + 0.5, 0) << QPointF(3 * w / 4, h / 2) << QPointF(w / 4 + 0.5, h);
        break;
    case ArrowDown:
        triangle << QPointF(0, h / 4 + 0.5) << QPointF(w / 2, 3 * h / 4) << QPointF(w, h / 4 + 0.5);
        break;
    case ArrowUp:
        triangle << QPointF(0, 3 * h / 4) << QPointF(w / 2, h / 4 - 0.5) << QPointF(w, 3 * h / 4);
        break;
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawPolygon(triangle);
    return image;
}

void QRZScrollBarStyle::drawLineButton(QPainter* painter, const QStyleOptionSlider* option, SubControl control,
                                       bool mouseOver, const QWidget* widget) const {
    if (!(option->subControls & control))
        return;
    const QRect rect = proxy()->subControlRect(CC_ScrollBar, option, control, widget);
    if (rect.isEmpty())
        return;
    painter->fillRect(rect, m_record.colors[QRZScrollBar::ButtonBackground]);
    int frame = 0;
    QColor color = m_record.colors[QRZScrollBar::ArrowNormal];
    const bool active = option->activeSubControls & control;
    if (!(option->state & State_Enabled)) {
        frame = 3;
        color = m_record.colors[QRZScrollBar::ArrowDisabled];
    } else if (active && (option->state & State_Sunken)) {
        frame = 2;
        color = m_record.colors[QRZScrollBar::ArrowPressed];
    } else if (active && mouseOver) {
        frame = 1;
        color = m_record.colors[QRZScrollBar::ArrowHover];
    }
    const bool horizontal = option->orientation == Qt::Horizontal;
    const bool addLine = control == SC_ScrollBarAddLine;
    if (m_record.arrowImage.isNull()) {
        ArrowDirection direction = horizontal ? (addLine ? ArrowRight : ArrowLeft) : (addLine ? ArrowDown : ArrowUp);
        painter->drawImage(rect.topLeft(), generateArrow(rect.size(), direction, color, frame == 1 || frame == 2));
        return;
    }
    // The strip shows the up/left arrow; the far end turns it round.
    const QImage strip = addLine ? m_record.arrowImage.transformed(QTransform().rotate(180)) : m_record.arrowImage;
    const int frameWidth = strip.width() / 4;
    if (frameWidth <= 0)
        return;
    drawImagePart(painter, rect, QRect(frameWidth * frame, 0, frameWidth, strip.height()), strip);
}

void QRZScrollBarStyle::drawHandle(QPainter* painter, const QStyleOptionSlider* option, double radius, bool mouseOver,
                                   bool hoverLook, const QWidget* widget) const {
    if (!(option->subControls & SC_ScrollBarSlider))
        return;
    QRect rect = proxy()->subControlRect(CC_ScrollBar, option, SC_ScrollBarSlider, widget);
    const bool horizontal = option->orientation == Qt::Horizontal;
    const int thickness = horizontal ? option->rect.height() : option->rect.width();
    const int inset = m_record.handleInset;
    if (hoverLook || thickness >= 2 * inset) {
        if (horizontal)
            rect.adjust(0, inset, 0, -inset);
        else
            rect.adjust(inset, 0, -inset, 0);
    }
    QColor color = m_record.colors[QRZScrollBar::HandleNormal];
    if (hoverLook) {
        const bool active = option->activeSubControls & SC_ScrollBarSlider;
        if (active && (option->state & State_Sunken))
            color = m_record.colors[QRZScrollBar::HandlePressed];
        else if (active && mouseOver)
            color = m_record.colors[QRZScrollBar::HandleHover];
    }
    painter->setPen(Qt::NoPen);
    painter->fillPath(roundedRectPath(rect.x(), rect.y(), rect.width(), rect.height(), radius), color);
}

void QRZScrollBarStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                                           const QWidget* widget) const {
    if (control != CC_ScrollBar) {
        QProxyStyle::drawComplexControl(control, option, painter, widget);
        return;
    }
    auto* slider = qstyleoption_cast<const QStyleOptionSlider*>(option);
    if (!slider || slider->maximum == slider->minimum)
        return;
    QStyleOptionSlider opt(*slider);
    if (widget && widget->underMouse() && widget->window()->isActiveWindow())
        opt.state |= State_MouseOver;
    const bool mouseOver = opt.state & State_MouseOver;

    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, true);
    const bool horizontal = opt.orientation == Qt::Horizontal;
    const int thickness = horizontal ? opt.rect.height() : opt.rect.width();
    const double radius = m_record.cornerRadius < 0 ? (thickness + 1) / 2 : m_record.cornerRadius;

    const QRect addLine = proxy()->subControlRect(CC_ScrollBar, &opt, SC_ScrollBarAddLine, widget);
    const QRect subLine = proxy()->subControlRect(CC_ScrollBar, &opt, SC_ScrollBarSubLine, widget);
    const QRect groove = proxy()->subControlRect(CC_ScrollBar, &opt, SC_ScrollBarGroove, widget);
    painter->fillRect(addLine, m_record.colors[QRZScrollBar::ButtonBackground]);
    painter->fillRect(subLine, m_record.colors[QRZScrollBar::ButtonBackground]);
    painter->fillRect(groove, m_record.grooveColor);

    const bool hoverLook = mouseOver || m_record.alwaysShowArrows;
    if (hoverLook) {
        painter->setPen(Qt::NoPen);
        painter->fillPath(roundedRectPath(groove.x(), groove.y(), groove.width(), groove.height(), radius),
                          m_record.hoverGrooveColor);
        drawLineButton(painter, &opt, SC_ScrollBarAddLine, mouseOver, widget);
        drawLineButton(painter, &opt, SC_ScrollBarSubLine, mouseOver, widget);
    }
    drawHandle(painter, &opt, radius, mouseOver, hoverLook, widget);
    painter->restore();
}
