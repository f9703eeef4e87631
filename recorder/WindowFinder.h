// The area picker's window finder: the rectangle of the window under a point of the
// primary screen, in logical pixels, with the picker's own window left out. GUI thread.
#pragma once

#include <QRect>

// The window under (x, y) (logical pixels) as corners; empty (0,0,-1,-1) when none
// qualifies. Windows of this process and the excluded window are passed over.
QRect findWindowAt(int x, int y);
// The native window never to be found (the picker's own), 0 for none.
void setExcludedWindow(quint64 handle);
