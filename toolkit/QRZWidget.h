// Plain image-drawn widget base (mode 2: never moved, resized or maximised by the mouse),
// used by option pages, panels and toolbars. GUI thread only.
#pragma once

#include "toolkit/QRZDrawnWindow.h"

#include <QWidget>

class QRZWidget : public QRZDrawnWindow<QWidget> {
    Q_OBJECT
public:
    explicit QRZWidget(QWidget* parent = nullptr);
    ~QRZWidget() override;
};
