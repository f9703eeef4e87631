// Frameless main-window base (mode 0): a QMainWindow drawn and moved by QBaseDrawWidget.
// GUI thread only.
#pragma once

#include "toolkit/QBaseDrawWidget.h"

#include <QMainWindow>

class QRZMainWindow : public QMainWindow, public QBaseDrawWidget {
    Q_OBJECT
public:
    explicit QRZMainWindow(QWidget* parent = nullptr);
    ~QRZMainWindow() override;

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
