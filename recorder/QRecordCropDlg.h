// The capture frame as the main window uses it: the frame of QVariableSizeWgt plus the
// window-pick mode (hover snaps to the window under the mouse, a drag spans a rectangle,
// a click takes the hovered window, a right click takes what is shown) and the look while
// recording (a dashed border running around the area, still while paused; no input).
// GUI thread only.
#pragma once

#include "recorder/QVariableSizeWgt.h"

#include <QPoint>
#include <QRect>

class QTimer;

class QRecordCropDlg : public QVariableSizeWgt {
    Q_OBJECT
public:
    enum DragState { Hovering = 0, Dragging = 1, Released = 2 };

    explicit QRecordCropDlg(QWidget* parent = nullptr);
    ~QRecordCropDlg() override;

    void setRecording(bool on);
    void setPaused(bool on);
    void setPickMode(bool on);
    bool isRecording() const { return m_recording; }
    bool isPaused() const { return m_paused; }
    bool isPickMode() const { return m_pickMode; }
    // The rectangle pick mode shows now (corners).
    QRect pickedRect() const { return m_pickedRect; }
    int dashPhase() const { return m_phase; }

signals:
    void emitSelectAreaRect(QRect rect);

public slots:
    void RefreshPreviousArea();
    void recordTimer();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void updateWindowShape() override;

private:
    void paintPickMode(QPainter* painter);
    void paintDashedBorder(QPainter* painter);
    // The outer edge of the recording border: two pixels on every side of the area, all
    // outside it, so that no dash is ever recorded.
    QRect dashedBorderRect() const;
    // The rectangle spanned by the press and the current point (a drag of 100 pixels is
    // 100 wide).
    QRect spannedRect() const;
    bool isDragFarEnough() const;
    QRect clampToScreen(const QRect& corners) const;
    void finishPick(const QRect& rect);

    bool m_recording = false;
    bool m_paused = false;
    QTimer* m_borderTimer = nullptr;
    bool m_blink = true;
    bool m_dashedBorder = true;
    int m_phase = 20;
    QRect m_pickedRect{QPoint(0, 0), QPoint(-1, -1)};
    bool m_pickMode = false;
    int m_dragState = Hovering;
    QPoint m_pressPoint;
    QPoint m_currentPoint;
    QRect m_hoveredRect{QPoint(0, 0), QPoint(-1, -1)};
    QPoint m_cursor;
};
