#include "recorder/WindowFinder.h"

#include "app/KeyApplication.h"
#include "platform/system/window_finder.h"

QRect findWindowAt(int x, int y) {
    const calvorine::platform::RegionRect r = calvorine::platform::findWindowAt(x, y, scaleFactor());
    if (r.isEmpty()) {
        return QRect(0, 0, 0, 0).adjusted(0, 0, -1, -1);
    }
    return QRect(QPoint(r.x1, r.y1), QPoint(r.x2, r.y2));
}

void setExcludedWindow(quint64 handle) {
    calvorine::platform::setExcludedWindow(handle);
}
