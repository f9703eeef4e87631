// The trim tab's range slider: a horizontal track with a start and an end handle that
// bound the selected section and a play handle that shows and sets the play position.
// Each handle is a QVESliderCtrlBtn, a push button drawn from a four-state image strip
// that reports drags as offsets from the press point; every handle stands with its
// centre line on its position. Values travel as fractions of the
// usable track width (width less twice the start handle); the percent API takes 0 to
// 100. GUI thread only.
#pragma once

#include <QImage>
#include <QPixmap>
#include <QPushButton>
#include <QWidget>

#include <cstdint>

class QVESliderCtrlBtn : public QPushButton {
    Q_OBJECT

public:
    enum State { Normal = 0, Hover = 1, Pressed = 2, Disabled = 3 };

    explicit QVESliderCtrlBtn(QWidget* parent = nullptr);
    ~QVESliderCtrlBtn() override;

    // Replaces the image and fixes the button to one frame (width / 4 by height). False
    // only when no image object could be made.
    bool setImage(const QString& path);
    int state() const { return m_state; }

signals:
    void mouseMove(QMouseEvent* event, int pressX);
    void mouseMoveY(QMouseEvent* event, int pressY);
    void mouseDown(QMouseEvent* event, int pressX);
    void mouseDownY(QMouseEvent* event, int pressY);
    void mouseUp(QMouseEvent* event, int pressX);
    void mouseUpY(QMouseEvent* event, int pressY);

public:
    void setState(int state);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    int m_pressX = 0;
    int m_pressY = 0;
    QImage* m_image = nullptr;
    int m_state = Normal;
};

class QVEDualSlider : public QWidget {
    Q_OBJECT

public:
    explicit QVEDualSlider(QWidget* parent = nullptr);
    ~QVEDualSlider() override;

    void setGrooveImage(const QString& path);
    void setRangeImage(const QString& path);
    void setStartHandleImage(const QString& path, int verticalOffset);
    void setEndHandleImage(const QString& path);
    void setPlayHandleImage(const QString& path, int top);

    // Percent (0 to 100) of the usable track.
    void setStartValue(float percent);
    void setEndValue(float percent);
    void setPlayValue(float percent, bool notify);
    // Fractions of the usable track.
    float startValue() const;
    float endValue() const;
    float playValue() const;
    bool isStartSelected() const { return m_startSelected; }
    void setStartSelected(bool selected) { m_startSelected = selected; }
    void setStartTip(const QString& text);
    void setEndTip(const QString& text);
    void setPiecewiseTrack(bool piecewise);
    void setTrackEdge(int edge);
    void setMouseEnabled(bool enabled) { m_mouseEnabled = enabled; }
    bool isMouseEnabled() const { return m_mouseEnabled; }

    int usableWidth() const;
    float startPosition() const { return m_startPos; }
    float endPosition() const { return m_endPos; }
    float playPosition() const { return m_playPos; }
    QVESliderCtrlBtn* startButton() const { return m_startButton; }
    QVESliderCtrlBtn* endButton() const { return m_endButton; }
    QVESliderCtrlBtn* playButton() const { return m_playButton; }

signals:
    void sendProgressValue(double startFraction);
    void sendEndProgressValue(double endFraction);
    void sendPlayProValue(double playFraction);
    void emitPreviousFrame();
    void emitNextFrame();
    void emitMousePress();
    void emitmouseRelease();

public slots:
    void btnMouseMove(QMouseEvent* event, int pressX);
    void btnEndMouseMove(QMouseEvent* event, int pressX);
    void btnProMouseMove(QMouseEvent* event, int pressX);
    void btnMousePress(QMouseEvent* event, int pressX);
    void btnMouseRelease(QMouseEvent* event, int pressX);
    void setValue(float value);
    void setShowValue(bool show);
    void setShowValue();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QVESliderCtrlBtn* makeHandle(const QString& path);
    void fitToHandles();
    // The x of a range handle whose centre line stands at `position` along the track.
    int startHandleX(float position) const;
    int endHandleX(float position) const;
    void movePlayHandleTo(float position);
    // The play handle to the pointer (x in the slider's coordinates).
    void trackPress(int x);
    int pointerX(QMouseEvent* event) const;
    void showTipNow(QVESliderCtrlBtn* button, const QString& text);
    void drawPiecewise(QPainter& painter, const QPixmap& pixmap, int left, int right) const;

    QPixmap* m_startPixmap = nullptr;
    QPixmap* m_endPixmap = nullptr;
    QPixmap* m_playPixmap = nullptr;
    QPixmap* m_groovePixmap = nullptr;
    QPixmap* m_rangePixmap = nullptr;
    int m_grooveWidth = 0;
    int m_grooveHeight = 0;
    QVESliderCtrlBtn* m_startButton = nullptr;
    QVESliderCtrlBtn* m_endButton = nullptr;
    QVESliderCtrlBtn* m_playButton = nullptr;
    float m_startPos = 0;
    float m_endPos = 0;
    float m_playPos = 0;
    int64_t m_minimum = 0;
    int64_t m_maximum = 100;
    float m_value = 0;
    int m_handleTop = 0;
    int m_startWidth = 0;
    int m_leftMargin = 0;
    int m_endWidth = 0;
    int m_playWidth = 0;
    int m_playTop = 0;
    bool m_piecewise = false;
    int m_trackEdge = 5;
    bool m_mouseEnabled = true;
    bool m_showValue = false;
    bool m_startSelected = true;
    bool m_hovering = false;
};
