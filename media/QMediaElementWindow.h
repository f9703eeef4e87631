// The editor's preview surface: an opaque black window holding one inner video element
// that keeps the picture's width:height, centred. The playback controller paints each
// picture into the window it is given and sizes the element through setVideoSize; the
// crop and watermark frames are placed from the element's rectangle.
#pragma once

#include <QRect>
#include <QWidget>

class QMouseEvent;

// The render element inside a surface. The controller paints into the surface itself,
// so the element is no native window (one would cover the picture) and paints nothing.
class QVideoElementWindow : public QWidget {
    Q_OBJECT

public:
    explicit QVideoElementWindow(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

class QMediaElementWindow : public QWidget {
    Q_OBJECT

public:
    explicit QMediaElementWindow(QWidget* parent = nullptr);

    // Stores the picture size and fits the element into the window keeping width:height:
    // a window wider than the picture gets the full height and truncate(w x H / h) of
    // width, else the full width and truncate(h x W / w) of height, centred at
    // ((W - width) / 2, (H - height) / 2); emits emitVideoElementSizeChange with the new
    // rectangle. Nothing when either value is 0 or less.
    void setVideoSize(int width, int height);
    QSize videoSize() const { return QSize(m_videoWidth, m_videoHeight); }
    // The inner element's geometry (left, top, right, bottom inclusive).
    QRect videoElementRect() const { return m_videoElement->geometry(); }
    QWidget* videoElement() const { return m_videoElement; }

signals:
    void emitMouseMoveEvent(QMouseEvent* event);
    void emitMousePressEvent(QMouseEvent* event);
    void emitMouseReleaseEvent(QMouseEvent* event);
    void emitVideoElementSizeChange(QRect rect);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void fitElement();

    QVideoElementWindow* m_videoElement;
    int m_videoWidth = 0;
    int m_videoHeight = 0;
};
