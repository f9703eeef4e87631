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

// Fills the tab with the control grey, then each panel (first and last column, both
// included) over the tab's full height.
inline void paintTabPanels(QWidget* tab, std::initializer_list<std::pair<int, int>> panels) {
    QPainter painter(tab);
    painter.fillRect(tab->rect(), EditorColors::control());
    for (const auto& panel : panels) {
        painter.fillRect(QRect(QPoint(panel.first, 0), QPoint(panel.second, tab->height() - 1)), EditorColors::panel());
    }
}
