// Where a widget lies on the screen as the window system has it now. GUI thread only.
#pragma once

#include <QPoint>

class QWidget;

// Where the widget's top-left corner is on the screen, taken from the window system's
// present position of its window (asked of the X server): the toolkit's own idea can be
// stale after the window manager placed or moved a frameless window. Off X11, or before
// the window exists, the toolkit's idea.
QPoint screenOrigin(const QWidget* widget);
