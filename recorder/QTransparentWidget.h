// The shade of area mode: a click-through window over the whole primary screen, dark
// except for the capture rectangle. Without a compositor nothing can be see-through, so
// the shade then never shows. The windows of the program stay above it, bright and
// clickable (see keepBelow). GUI thread only.
#pragma once

#include <QPointer>
#include <QRect>
#include <QWidget>

class QTimer;

class QTransparentWidget : public QWidget {
    Q_OBJECT
public:
    explicit QTransparentWidget(QWidget* parent = nullptr);
    ~QTransparentWidget() override;

    // Stores the clear rectangle (corners) and repaints; nothing when origin and size are
    // unchanged.
    void setClearRect(int x1, int y1, int x2, int y2);
    QRect clearRect() const { return m_clearRect; }
    void setVisible(bool visible) override;
    // The shade lies right under `window` (and so under every window the window manager
    // raises above that one: its dialogs and message boxes), and goes back there each
    // time either is shown. As it bypasses the window manager, it would otherwise stay
    // above all of them. Called again after `window` was shown.
    void keepBelow(QWidget* window);

public slots:
    void clearRectChange(QRect rect);

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void restackSoon();
    void restack();

    QPointer<QWidget> m_above;
    QTimer* m_restackTimer = nullptr;
    int m_restackTries = 0;
    QRect m_clearRect{QPoint(0, 0), QPoint(-1, -1)};
};
