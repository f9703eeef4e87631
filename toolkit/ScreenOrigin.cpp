#include "toolkit/ScreenOrigin.h"

#include "platform/system/window_overlay.h"

#include <QWidget>
#include <QX11Info>

QPoint screenOrigin(const QWidget* widget) {
    const QWidget* top = widget->window();
    if (!QX11Info::isPlatformX11() || !top->testAttribute(Qt::WA_WState_Created)) {
        return widget->mapToGlobal(QPoint(0, 0));
    }
    int x = 0;
    int y = 0;
    if (!calvorine::platform::windowRootPosition(QX11Info::connection(), uint32_t(top->winId()), &x, &y)) {
        return widget->mapToGlobal(QPoint(0, 0));
    }
    const qreal ratio = top->devicePixelRatioF();
    return QPoint(qRound(x / ratio), qRound(y / ratio)) + widget->mapTo(top, QPoint(0, 0));
}
