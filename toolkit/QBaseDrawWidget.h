// The drawing and window behaviour of every frameless window of the program: background
// image drawn nine-patch (or a flat colour), title image and text, moving by the title
// band, resizing by the edges with the matching cursors, double-click maximise and
// restore. A mix-in without framework base: the window bases (QRZDialog, QRZDialogEx,
// QRZWidget, QRZMainWindow) forward their events to it. GUI thread only.
#pragma once

#include <QColor>
#include <QImage>
#include <QRect>
#include <QString>
#include <QVector>

class QFocusEvent;
class QMouseEvent;
class QPaintEvent;
class QPainter;
class QPoint;
class QWidget;

class QBaseDrawWidget {
public:
    enum WindowMode { MainWindowMode = 0, DialogMode = 1, PlainWidgetMode = 2 };
    enum Edge {
        EdgeNone = 0,
        EdgeLeft = 1,
        EdgeTopLeft = 2,
        EdgeTop = 3,
        EdgeTopRight = 4,
        EdgeRight = 5,
        EdgeBottomRight = 6,
        EdgeBottom = 7,
        EdgeBottomLeft = 8
    };
    // Resize flag bits: bit 0 left and right edges, bit 1 top and bottom edges. Exactly
    // both also enables double-click maximise.
    enum ResizeFlag { ResizeHorizontal = 1, ResizeVertical = 2, ResizeBoth = 3 };

    // owner: the window drawn and moved (the window itself); every operation does
    // nothing when it is null.
    QBaseDrawWidget(QWidget* owner, int windowMode);
    virtual ~QBaseDrawWidget();
    QBaseDrawWidget(const QBaseDrawWidget&) = delete;
    QBaseDrawWidget& operator=(const QBaseDrawWidget&) = delete;

    void setTitleHeight(int height);
    int titleHeight() const;
    void setBorderWidth(int width);
    void setResizeFlags(int flags);
    int resizeFlags() const;
    void setBackgroundColor(const QColor& color);
    // Corner sizes (width, height) of top-left, top-right, bottom-left, bottom-right.
    void setBackgroundMargins(int topLeftWidth, int topLeftHeight, int topRightWidth, int topRightHeight,
                              int bottomLeftWidth, int bottomLeftHeight, int bottomRightWidth, int bottomRightHeight);
    void setBackgroundImage(const QImage& image);
    // Takes the image, resizes the window to it and cuts it into thirds. Resizable: the
    // image size becomes the minimum size and edges may be dragged; else flags 0.
    void applyBackgroundImage(const QImage& image, bool resizable);
    // A file that is missing or does not decode changes nothing and gives false.
    bool loadBackgroundImage(const QString& path, bool resizable);
    bool hasBackgroundImage() const;
    // A missing or undecodable file leaves no title image (false).
    bool setTitleImage(const QString& path);
    // Left or top -1 centres the logo (once, on the first paint); zero size takes the
    // image's own size.
    void setTitleImageRect(const QRect& rect);
    QRect titleImageRect() const;
    // Zero width runs the text over the window's width from its left; zero height is 20.
    void setTitleTextRect(const QRect& rect);
    QRect titleTextRect() const;
    void setTitleAlignment(int alignment);
    void setTitle(const QString& title);
    QString title() const;
    // Centres `other` on the owner in global coordinates, keeping it on the owner's
    // screen: a coordinate at or before that screen's left or top edge becomes 50 pixels
    // inside it.
    void centerWidget(QWidget* other);

    bool isWindowMaximized() const;
    int currentEdge() const;
    bool isDragging() const;
    QWidget* drawOwner() const;

    // Event hooks, called after the framework's own handler.
    void mousePress(QMouseEvent* event);
    void mouseMove(QMouseEvent* event);
    void mouseRelease(QMouseEvent* event);
    void mouseDoubleClick(QMouseEvent* event);
    void focusOut(QFocusEvent* event);
    void paintBackground(QPaintEvent* event);

    // Where a widget of the given size lands when centred on `reference` (global
    // coordinates), kept on the screen that holds `reference`.
    static QPoint centredPosition(const QRect& reference, const QSize& size);
    // The same against an explicit screen area: a coordinate at or before the area's
    // left or top edge becomes 50 pixels inside it.
    static QPoint centredPosition(const QRect& reference, const QSize& size, const QRect& screenArea);
    // Of the areas (one per screen), the one that holds the centre of `windowRect`, else
    // the one it overlaps most, else `fallback`.
    static QRect areaHolding(const QRect& windowRect, const QVector<QRect>& areas, const QRect& fallback);
    // Where a window at `windowRect` goes to lie wholly inside `area`: moved up and left
    // as far as its bottom and right edges need, never above or left of the area, never
    // down or right.
    static QPoint positionInside(const QRect& windowRect, const QRect& area);
    // Where the owner's top-left goes so that, at `size`, the window and its frame lie
    // on the free part of the screen that holds it now.
    QPoint onScreenPosition(const QSize& size) const;
    // Moves a shown owner window that reaches past its screen back onto it.
    void keepOnScreen();

    // Lays out the window's children after every show and resize; empty here.
    virtual void relayout();
    virtual void toggleMaximize();

protected:
    virtual void setEdgeCursor(int edge);
    virtual void hitTestEdges(const QPoint& globalPos);
    virtual void resizeByEdge(const QPoint& globalPos);
    virtual void drawTitleImage(QPainter* painter);
    virtual void drawTitleText(QPainter* painter);

private:
    struct Private;
    Private* d;
};
