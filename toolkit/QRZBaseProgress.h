// Progress display: a horizontal or vertical bar drawn from a groove image and a chunk
// image with rounded end caps (or rounded rectangles in palette colours), or a circular
// ring, pie or arc; a formatted text over it; and a repaint throttle for values that
// change many times a second. GUI thread only; values from workers arrive through
// queued signals into setValue.
#pragma once

#include <QImage>
#include <QRect>
#include <QWidget>

class QPainter;

class QRZBaseProgress : public QWidget {
    Q_OBJECT
public:
    enum Kind { HorizontalBar = 1, VerticalBar = 2, Circular = 3 };
    enum CircleStyle { Ring = 0, Pie = 1, Arc = 2 };

    explicit QRZBaseProgress(QWidget* parent = nullptr);
    ~QRZBaseProgress() override;

    void setProgressType(int kind);
    int progressType() const;
    void setDisplayMode(int circleStyle);
    // False (and no image) when the file is missing or does not decode.
    bool setBackgroundImage(const QString& path);
    bool setChunkImage(const QString& path);
    void setRoundEnds(bool roundEnds);
    void setCapLimit(int limit);
    // Painting options: 1 round end caps on or off, 2 the largest cap size (-1 none).
    void setOption1(int roundEnds);
    void setOption2(int capLimit);
    // Pixels left free at the bar's start and end; both become 0 when together they
    // reach the widget's length.
    void setMargins(int start, int end);
    int marginStart() const;
    int marginEnd() const;
    void setTextFormat(const QString& format);
    QString textFormat() const;
    double minimum() const;
    double maximum() const;
    double value() const;
    // Repaint throttle in ms; 0 is off.
    void setUpdateInterval(int ms);
    // The text of `value` in the current format ("%v", "%p", "%m" replaced).
    QString formatText(double value) const;
    // Repaints requested through update() so far (the throttle's observable effect).
    int repaintRequests() const;

    // Cap size of a bar end: half the thickness, no more than the cap limit.
    int capSize() const;
    QRect barRect() const;

signals:
    void valueChanged(double value);

public slots:
    void setRange(double minimum, double maximum);
    void setMinimum(double minimum);
    void setMaximum(double maximum);
    void setValue(double value);
    void setValue(int value);
    void UpdateTime();

protected:
    void paintEvent(QPaintEvent* event) override;

    virtual void paintBackground(QPainter* painter);
    virtual void paintGrooveImage(QPainter* painter);
    virtual void paintChunk(QPainter* painter, const QImage& chunk);
    virtual void paintValue(QPainter* painter);
    virtual void paintText(QPainter* painter);
    virtual void updateTextFlags();
    virtual void paintCircleBackground(QPainter* painter, const QRectF& square);
    virtual void paintCircleValue(QPainter* painter, const QRectF& square, double value, double spanDegrees);
    virtual QRectF circleInnerRect(const QRectF& square) const;
    virtual void paintCircleInner(QPainter* painter, const QRectF& inner);

    // The range's width; a range of zero width counts as 1 so that no fraction divides
    // by zero (the bar then shows empty at its minimum).
    double span() const;
    // Fraction of the range covered by the value (0 to 1).
    double fraction() const;
    void requestRepaint();
    void storeValue(double value);

private:
    void drawBar(QPainter* painter, const QImage& image, const QRect& target, bool partial);
    struct Private;
    Private* d;
};

// Slider on the progress bar: the value follows presses and moves on the groove, a
// QRZBaseButton serves as the handle and the arrow keys step by a hundredth of the range.
class QRZBaseButton;
class QRZBaseSlider : public QRZBaseProgress {
    Q_OBJECT
public:
    explicit QRZBaseSlider(QWidget* parent = nullptr);
    ~QRZBaseSlider() override;

    void setMouseEnabled(bool enabled);
    bool isMouseEnabled() const;
    void setHandleOffset(int offset);
    // Creates the handle from a four-frame strip (one frame big); a missing file gives
    // a plain 10-pixel handle. Always true.
    bool setHandleImage(const QString& path);
    // Handle size in pixels; 0 keeps that dimension as the image made it.
    void setHandleSize(int width, int height);
    void setHandleMargins(int start, int end);
    QRZBaseButton* handle() const;
    // Usable length of the groove and whether a point lies on it.
    int usableLength() const;
    bool hitsGroove(const QPoint& pos) const;

signals:
    void sendProgressValue(double fraction);
    void sendPressEvent(QMouseEvent* event);
    void sendReleseEvent(QMouseEvent* event);

public slots:
    void setValue(double value);
    void setValue(int value);
    void btnMouseMove(QMouseEvent* event, int pressX);
    void btnMouseDown(QMouseEvent* event, int pressX);
    void btnMouseRelease(QMouseEvent* event, int pressX);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

    virtual void placeHandle();
    virtual void stepDown();
    virtual void stepUp();

private:
    void setValueFromPosition(const QPoint& pos);
    struct Private;
    Private* d;
};
