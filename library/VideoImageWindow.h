// The history player's picture area: VideoImageWindow, a black child window, and its
// native surface QVideoShowWidget, which the codec-library player paints each picture
// into (its updates stay on). The play object places the surface to fit the window
// keeping the aspect ratio, or at the picture's own size. GUI thread only.
#pragma once

#include <QMouseEvent>
#include <QPoint>
#include <QWidget>

class QVideoShowWidget : public QWidget {
    Q_OBJECT
public:
    explicit QVideoShowWidget(QWidget* parent = nullptr);
};

class VideoImageWindow : public QWidget {
    Q_OBJECT
public:
    explicit VideoImageWindow(QWidget* parent = nullptr);

    // The surface's native window id, handed to the codec library.
    WId nativeHandle() const;
    QVideoShowWidget* surface() const { return m_ImageWidget; }
    // Nothing for a size of 0 or less.
    void fitKeepingAspect(int width, int height);
    void showActualSize(int width, int height);
    bool isFullScreenShown() const { return m_fullScreen; }

signals:
    void emitFullScreen();
    void emitShowBtn(bool show);
    void emitPlayOrPause();
    void emitMouseMove(QMouseEvent* event);
    void emitMouseDown(QMouseEvent* event);
    void emitMouseUp(QMouseEvent* event);
    void emitMouseLeave();

protected:
    void enterEvent(QEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void centreSurface(int width, int height);

    QVideoShowWidget* m_ImageWidget;
    int m_fitWidth = 0;
    int m_fitHeight = 0;
    int m_actualWidth = 0;
    int m_actualHeight = 0;
    QPoint m_pressPos{-1, -1};
    bool m_fullScreen = false;
};
