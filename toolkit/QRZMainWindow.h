// Frameless main-window base (mode 0): a QMainWindow drawn and moved by QBaseDrawWidget.
// GUI thread only.
#pragma once

#include "toolkit/QRZDrawnWindow.h"

#include <QMainWindow>

class QRZMainWindow : public QRZDrawnWindow<QMainWindow> {
    Q_OBJECT
public:
    explicit QRZMainWindow(QWidget* parent = nullptr);
    ~QRZMainWindow() override;
};
