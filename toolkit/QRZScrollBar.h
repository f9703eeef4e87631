// QRZScrollBar: the toolkit's thin scroll bar, drawn by its own proxy style: a flat
// groove with square end buttons, a rounded handle, and arrows that show only while the
// mouse is over the bar (or always, when the record says so). Arrows come from a strip
// of four frames when one is given, else they are drawn as filled triangles.
// GUI thread only.
#pragma once

#include <QColor>
#include <QImage>
#include <QProxyStyle>
#include <QScrollBar>

class QRZScrollBarStyle;

class QRZScrollBar : public QScrollBar {
    Q_OBJECT
public:
    // The eight colours of the record, in order.
    enum ColorStop {
        ButtonBackground = 0,
        ArrowNormal = 1,
        ArrowHover = 2,
        ArrowPressed = 3,
        ArrowDisabled = 4,
        HandleNormal = 5,
        HandlePressed = 6,
        HandleHover = 7,
    };

    // Everything the bar's look depends on. A value type: copies duplicate the image.
    struct StyleRecord {
        QColor grooveColor{240, 240, 240};
        QColor hoverGrooveColor{149, 149, 153}; // rounded groove while the mouse is over the bar
        QImage arrowImage;                      // four frames (normal, hover, pressed, disabled) of the up/left arrow
        int extent = 11;                        // answer to PM_ScrollBarExtent
        int alwaysShowArrows = 0;
        QColor colors[8] = {{240, 240, 240}, {111, 115, 123}, {89, 90, 93}, {124, 125, 128},
                            {240, 240, 240}, {96, 96, 96},    {96, 96, 96}, {96, 96, 96}};
        int handleInset = 0;   // the handle is narrowed by this on both long sides
        int cornerRadius = -1; // -1: half the bar's thickness, rounded up
    };

    explicit QRZScrollBar(QWidget* parent = nullptr);
    // A vertical bar is 10 pixels wide, a horizontal one 10 pixels high.
    QRZScrollBar(Qt::Orientation orientation, QWidget* parent = nullptr);
    ~QRZScrollBar() override;

    void setStyleData(const StyleRecord& record);
    StyleRecord styleData() const;

private:
    void setUp();

    QRZScrollBarStyle* m_style = nullptr;
};

class QRZScrollBarStyle : public QProxyStyle {
    Q_OBJECT
public:
    QRZScrollBarStyle();
    ~QRZScrollBarStyle() override;

    void setRecord(const QRZScrollBar::StyleRecord& record);
    QRZScrollBar::StyleRecord record() const;

    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                            const QWidget* widget = nullptr) const override;

    enum ArrowDirection { ArrowLeft = 0, ArrowRight = 1, ArrowDown = 2, ArrowUp = 3 };
    // A transparent image of `size` holding a filled triangle in `color`, with a 1-pixel
    // outline around the image when highlighted.
    static QImage generateArrow(const QSize& size, ArrowDirection direction, const QColor& color, bool highlighted);

private:
    void drawLineButton(QPainter* painter, const QStyleOptionSlider* option, SubControl control, bool mouseOver,
                        const QWidget* widget) const;
    void drawHandle(QPainter* painter, const QStyleOptionSlider* option, double radius, bool mouseOver, bool hoverLook,
                    const QWidget* widget) const;

    QRZScrollBar::StyleRecord m_record;
};
