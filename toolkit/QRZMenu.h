// QRZMenu: the program's pop-up menu, frameless and translucent, drawn entirely by its
// own proxy style QRZMenuStyle from a colour set and optional images (frame, radio mark,
// check boxes): frame, item background, selection, separators with an optional caption,
// check and radio marks, icons, texts with shortcuts and sub-menu arrows.
// GUI thread only.
#pragma once

#include <QColor>
#include <QImage>
#include <QMenu>
#include <QProxyStyle>

class QRZMenuStyle : public QProxyStyle {
    Q_OBJECT
public:
    struct StyleRecord {
        QImage frameImage;                // drawn nine-patch as the menu frame when set
        int panelWidth = 3;               // the menu's frame width
        QColor background{225, 225, 225}; // fills the frame without a frame image
        QColor emptyArea{225, 225, 225};
        QColor itemBackground{225, 225, 225};
        QColor text{0, 0, 0};
        QColor selection{144, 200, 246};
        QColor selectedText{255, 255, 255};
        QColor disabledOverlay{225, 225, 225};
        QColor disabledText{109, 109, 109};
        QColor separator{0, 223, 223};
        QImage radioImage, uncheckedImage, checkedImage;
        int iconSize = 15;
        int itemWidth = -1;  // -1: natural
        int itemHeight = -1; // -1: natural
    };

    QRZMenuStyle();
    ~QRZMenuStyle() override;

    StyleRecord& record() { return m_record; }
    const StyleRecord& record() const { return m_record; }

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& contentsSize,
                           const QWidget* widget = nullptr) const override;

    // Each of red, green and blue: b x (100 - p) / 100 + p x a / 100, in integers.
    static QColor mixColors(const QColor& a, const QColor& b, int percent);

private:
    void drawMenuItem(const QStyleOptionMenuItem* option, QPainter* painter, const QWidget* widget) const;
    void drawSeparator(const QStyleOptionMenuItem* option, QPainter* painter) const;
    void drawCheckMark(const QStyleOptionMenuItem* option, QPainter* painter, const QWidget* widget) const;
    int drawIcon(const QStyleOptionMenuItem* option, QPainter* painter, const QWidget* widget) const;
    void drawTexts(const QStyleOptionMenuItem* option, QPainter* painter, int checkColumnWidth) const;
    void drawSubMenuArrow(const QStyleOptionMenuItem* option, QPainter* painter, const QWidget* widget) const;

    StyleRecord m_record;
};

class QRZMenu : public QMenu {
    Q_OBJECT
public:
    explicit QRZMenu(QWidget* parent = nullptr);
    ~QRZMenu() override;

    QRZMenuStyle* menuStyle() const;

    void setStyleValue(int panelWidth);
    void setBackgroundColor(const QColor& color);
    void setStyleColor2(const QColor& emptyAreaColor);
    void setItemBackgroundColor(const QColor& color);
    void setTextColor(const QColor& color);
    void setStyleColor5(const QColor& selectionColor);
    void setStyleColor7(const QColor& disabledOverlayColor);
    void setStyleColor8(const QColor& disabledTextColor);
    void setSeparatorColor(const QColor& color);

private:
    void restyle();

    QRZMenuStyle* m_style;
    bool m_emptyAreaColorSet = false;
};
