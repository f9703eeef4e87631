// The shade of area mode: a click-through window over the whole primary screen, dark
// except for the capture rectangle. Without a compositor nothing can be see-through, so
// the shade then never shows. GUI thread only.
#pragma once

#include <QRect>
#include <QWidget>

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

public slots:
    void clearRectChange(QRect rect);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRect m_clearRect{QPoint(0, 0), QPoint(-1, -1)};
};
