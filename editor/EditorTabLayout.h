// Layout helpers shared by the editor's tabs and dialogs, which place their controls by
// code: the right and bottom edge of a control, and the tab look of dark panels on the
// control grey, separated by lines of it.
#pragma once

#include "editor/EditorStyle.h"

#include <QPainter>
#include <QWidget>

#include <initializer_list>
#include <utility>

// A control's right edge: x + width - 1.
inline int rightOf(const QWidget* w) {
    return w->x() + w->width() - 1;
}

// A control's bottom edge: y + height - 1.
inline int bottomOf(const QWidget* w) {
    return w->y() + w->height() - 1;
}

// A slider at (x, y) with its value box 6 pixels after it: the slider keeps its width
// unless the box would pass `lastColumn`, then it gives up what is needed (down to 40).
inline void placeSliderRow(QWidget* slider, QWidget* box, int x, int y, int lastColumn, int builtWidth = -1) {
    const int width = builtWidth > 0 ? builtWidth : slider->width();
    const int room = lastColumn - box->width() + 1 - 6 - x;
    slider->setGeometry(x, y, qBound(40, room, width), slider->height());
    box->move(rightOf(slider) + 6, y);
}

// Fills the tab with the control grey, then each panel (first and last column, both
// included) over the tab's full height.
inline void paintTabPanels(QWidget* tab, std::initializer_list<std::pair<int, int>> panels) {
    QPainter painter(tab);
    painter.fillRect(tab->rect(), EditorColors::control());
    for (const auto& panel : panels) {
        painter.fillRect(QRect(QPoint(panel.first, 0), QPoint(panel.second, tab->height() - 1)), EditorColors::panel());
    }
}
