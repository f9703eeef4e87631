// The one event wiring of the frameless window bases (QRZDialog, QRZWidget,
// QRZMainWindow): a framework window class `Window` whose events go first to the
// framework's own handler, then to the drawing mix-in QBaseDrawWidget; painting is the
// mix-in's alone. GUI thread only.
#pragma once

#include "toolkit/QBaseDrawWidget.h"

#include <QWidget>

template <class Window> class QRZDrawnWindow : public Window, public QBaseDrawWidget {
public:
    QRZDrawnWindow(QWidget* parent, QBaseDrawWidget::WindowMode mode)
        : Window(parent, Qt::WindowFlags()), QBaseDrawWidget(this, mode) {}

protected:
    void mousePressEvent(QMouseEvent* event) override {
        Window::mousePressEvent(event);
        mousePress(event);
    }
    void mouseMoveEvent(QMouseEvent* event) override {
        Window::mouseMoveEvent(event);
        mouseMove(event);
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        Window::mouseReleaseEvent(event);
        mouseRelease(event);
    }
    void mouseDoubleClickEvent(QMouseEvent* event) override {
        Window::mouseDoubleClickEvent(event);
        mouseDoubleClick(event);
    }
    void focusOutEvent(QFocusEvent* event) override {
        Window::focusOutEvent(event);
        focusOut(event);
    }
    void paintEvent(QPaintEvent* event) override { paintBackground(event); }
    // A window that opens or grows reaching past its screen is moved back onto it.
    void showEvent(QShowEvent* event) override {
        Window::showEvent(event);
        relayout();
        keepOnScreen();
    }
    void resizeEvent(QResizeEvent* event) override {
        Window::resizeEvent(event);
        relayout();
        keepOnScreen();
    }
};
