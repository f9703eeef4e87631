// The capture frame: a frameless window over the whole primary screen that draws a
// movable, resizable frame with eight handles around the capture rectangle. Only the
// frame's bands, handles and hint take the mouse; clicks inside the area and outside the
// frame reach the windows below. Without a compositor only the drawn parts exist on
// screen. Every change of the rectangle is reported through emitRecordRect.
// GUI thread only.
#pragma once

#include <QColor>
#include <QDialog>
#include <QImage>
#include <QRect>
#include <QVector>

class QVariableSizeWgt : public QDialog {
    Q_OBJECT
public:
    enum Handle {
        HandleNone = 0,
        HandleLeft = 1,
        HandleTopLeft = 2,
        HandleTop = 3,
        HandleTopRight = 4,
        HandleRight = 5,
        HandleBottomRight = 6,
        HandleBottom = 7,
        HandleBottomLeft = 8,
        HandleMove = 9
    };

    explicit QVariableSizeWgt(QWidget* parent = nullptr);
    ~QVariableSizeWgt() override;

    // Sides are raised to 60 and limited to the screen; the rectangle is moved back onto
    // the screen when it reaches past it (an origin off the screen starts at 0).
    void setFrameRect(int x, int y, int w, int h);
    // The capture rectangle (origin and size).
    QRect frameRect() const { return QRect(m_x, m_y, m_width, m_height); }
    void setKeepRatio(bool on);
    // A missing file keeps the previous image.
    void setHintImage(const QString& path);
    void setFrameColor(const QColor& color);
    QColor frameColor() const { return m_frameColor; }

    // The handle under a global point (no press), as the frame's hit test gives it.
    int hitTest(const QPoint& globalPos) const;
    // The hint's rectangle: the hint image (or a 40 x 40 square) centred in the area.
    QRect hintRect() const;

signals:
    void emitRecordRect(QRect rect);
    void emitPressMove();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;

    // The area's corners as drawn: kept one pixel inside the screen's edges.
    QRect drawnArea(const QRect& corners) const;
    void paintFrame(QPainter* painter);
    // The frame's border (3 pixels outside `area`) and the handles.
    void paintBorderAndHandles(QPainter* painter, const QRect& area, bool cornerHandles);
    // Where the mouse may reach the window and, without a compositor, what exists on
    // screen; subclasses add their own states.
    virtual void updateWindowShape();
    // Sets the input region (and, without a compositor, the bounding region) in logical
    // pixels; null lets the whole window take input and show.
    void applyShape(const QVector<QRect>* input, const QVector<QRect>* visible);
    QVector<QRect> frameBands() const;
    QVector<QRect> frameDrawnParts(bool withHandles) const;
    static bool compositing();
    // Reports a changed rectangle and refreshes shape and painting.
    void frameChanged();
    QSize screenSize() const;

    void moveFrame(const QPoint& globalPos);
    void resizeFrame(const QPoint& globalPos);

    int m_x = 0;
    int m_y = 0;
    int m_width = 0;
    int m_height = 0;
    int m_pressOffsetX = 0;
    int m_pressOffsetY = 0;
    int m_lastX = 0;
    int m_lastY = 0;
    bool m_pressed = false;
    bool m_firstMovePending = false;
    bool m_keepRatio = false;
    float m_ratio = 1.0f;
    QImage m_hintImage;
    QColor m_frameColor{0, 0, 255};
    int m_handle = HandleNone;
    QRect m_reportedRect;

    // Press distance from the right and bottom edges, for resize steps stopped at the
    // minimum size.
    int m_pressOffsetRight = 0;
    int m_pressOffsetBottom = 0;

private:
    void setCursorForHandle(int handle);
};
