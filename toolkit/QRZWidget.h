// Plain image-drawn widget base (mode 2: never moved, resized or maximised by the mouse),
// used by option pages, panels and toolbars. GUI thread only.
#pragma once

#include "toolkit/QBaseDrawWidget.h"

#include <QWidget>

class QRZWidget : public QWidget, public QBaseDrawWidget {
    Q_OBJECT
public:
    explicit QRZWidget(QWidget* parent = nullptr);
    ~QRZWidget() override;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
};
