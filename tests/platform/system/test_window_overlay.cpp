// The window finder against windows of another process (checked with xwininfo), and the
// overlay helpers: clicks that pass through an input region (driven by xdotool), a
// bounding region read back with xwininfo, and keep-above read back with xprop.
#include "platform/system/window_finder.h"
#include "platform/system/window_overlay.h"

#include "DesktopHelpers.h"

#include <QMouseEvent>
#include <QPainter>
#include <QTemporaryDir>
#include <QWidget>
#include <QX11Info>
#include <QtTest>

namespace platform = calvorine::platform;
using namespace desktoptest;

namespace {

QRect toQRect(const platform::RegionRect& r) {
    return QRect(QPoint(r.x1, r.y1), QPoint(r.x2, r.y2));
}

QRect found(int x, int y, double scale = 1.0, quint64* window = nullptr) {
    uint64_t native = 0;
    const QRect rect = toQRect(platform::findWindowAt(x, y, scale, &native));
    if (window) {
        *window = native;
    }
    return rect;
}

// An override-redirect window of this process that counts the presses it receives.
class Overlay : public QWidget {
public:
    explicit Overlay(const QColor& colour) : m_colour(colour) {
        setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::BypassWindowManagerHint | Qt::WindowStaysOnTopHint);
    }
    int presses = 0;

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), m_colour); }
    void mousePressEvent(QMouseEvent*) override { ++presses; }

private:
    QColor m_colour;
};

uint32_t nativeId(QWidget* widget) {
    return uint32_t(widget->winId());
}

} // namespace

class TestWindowOverlay : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(QX11Info::isPlatformX11()); }

    void finderPicksTheTopmostQualifyingWindow() {
        // A decorated, B frameless over it, C (40 x 40) on top of B, D decorated with a
        // native child.
        HelperWindows helpers({"100,100,400,300", "300,200,400,300,f", "350,250,40,40,f", "900,100,400,300,c"});
        QVERIFY(helpers.ready());
        const QRect a = xwininfoFrameRect(helpers.window(0));
        const QRect b = xwininfoFrameRect(helpers.window(1));
        // The frame adds a title bar.
        QVERIFY(a.width() >= 400 && a.height() > 300);
        QCOMPARE(b.size(), QSize(400, 300));

        quint64 window = 0;
        QCOMPARE(found(150, 150, 1.0, &window), a);
        QCOMPARE(window, helpers.window(0));
        QCOMPARE(found(320, 220), b);
        // The small window on top is passed over for the one below it.
        QCOMPARE(found(360, 260), b);
        // A native child holding the point is taken; the rest of its parent is the parent.
        const QRect childPoint = xwininfoRect(helpers.child(3));
        QCOMPARE(found(childPoint.center().x(), childPoint.center().y(), 1.0, &window), childPoint);
        QCOMPARE(window, helpers.child(3));
        const QRect d = xwininfoFrameRect(helpers.window(3));
        QCOMPARE(found(childPoint.left() - 5, childPoint.top() - 5), d);
        // Bare desktop.
        QVERIFY(found(1700, 800, 1.0, &window).isEmpty());
        QCOMPARE(window, quint64(0));

        // Windows of this process are never found.
        QWidget own;
        own.setGeometry(120, 130, 200, 150);
        own.show();
        QVERIFY(QTest::qWaitForWindowExposed(&own));
        QCOMPARE(found(150, 150), a);

        // The excluded window is passed over too.
        platform::setExcludedWindow(helpers.window(1));
        QCOMPARE(found(320, 220), a);
        platform::setExcludedWindow(0);
        QCOMPARE(found(320, 220), b);

        // Logical pixels at a scale of 2.
        const QRect halved = found(160, 110, 2.0);
        QCOMPARE(halved.topLeft(), QPoint(qRound(b.x() / 2.0), qRound(b.y() / 2.0)));
        QCOMPARE(halved.size(), QSize(qRound(b.width() / 2.0), qRound(b.height() / 2.0)));

        // A minimised window is passed over.
        QVERIFY(xdotool({"windowminimize", QString::number(helpers.window(1))}));
        QVERIFY(waitFor([&]() { return found(320, 220) == a; }));
    }

    void inputRegionLetsClicksThrough() {
        HelperWindows helpers({"600,600,300,200,f"});
        QVERIFY(helpers.ready());
        Overlay overlay(QColor(255, 0, 255));
        overlay.setGeometry(550, 550, 400, 300);
        overlay.show();
        QVERIFY(QTest::qWaitForWindowExposed(&overlay));
        void* connection = QX11Info::connection();

        // Only a band along the top takes input.
        QVERIFY(platform::setWindowInputRegion(connection, nativeId(&overlay), {{0, 0, 399, 19}}));
        click(QPoint(700, 700));
        QVERIFY(helpers.waitForPresses(0, 1));
        QCOMPARE(overlay.presses, 0);
        click(QPoint(700, 555));
        QVERIFY(waitFor([&]() { return overlay.presses == 1; }));

        // Nothing takes input: the band passes clicks too (to the desktop below).
        QVERIFY(platform::setWindowInputRegion(connection, nativeId(&overlay), {}));
        click(QPoint(700, 555));
        click(QPoint(700, 700));
        QVERIFY(helpers.waitForPresses(0, 2));
        QCOMPARE(overlay.presses, 1);

        // Reset: the whole overlay takes input again.
        QVERIFY(platform::resetWindowInputRegion(connection, nativeId(&overlay)));
        click(QPoint(700, 700));
        QVERIFY(waitFor([&]() { return overlay.presses == 2; }));
        QCOMPARE(helpers.presses(0), 2);

        QVERIFY(!platform::setWindowInputRegion(nullptr, nativeId(&overlay), {}));
        QVERIFY(!platform::setWindowInputRegion(connection, 0, {}));
    }

    // The compositor of the virtual desktop does not follow shape changes, so the shape is
    // read back with xwininfo here; the area picker's test looks at the pixels on a
    // desktop without one.
    void boundingRegionIsSetAndReset() {
        Overlay overlay(QColor(255, 0, 255));
        overlay.setGeometry(550, 550, 400, 300);
        overlay.show();
        QVERIFY(QTest::qWaitForWindowExposed(&overlay));
        auto shapeExtents = [&]() {
            const QString text = run("xwininfo", {"-shape", "-id", QString::number(overlay.winId())});
            const QRegularExpressionMatch match = QRegularExpression("Window shape extents:\\s*(\\S+)").match(text);
            return text.contains("No window shape defined") ? QString("none") : match.captured(1);
        };
        QCOMPARE(shapeExtents(), QString("none"));
        QVERIFY(platform::setWindowBoundingRegion(QX11Info::connection(), nativeId(&overlay),
                                                  {{10, 20, 109, 69}, {200, 200, 209, 209}}));
        QCOMPARE(shapeExtents(), QString("200x190+10+20"));
        QVERIFY(platform::resetWindowBoundingRegion(QX11Info::connection(), nativeId(&overlay)));
        QCOMPARE(shapeExtents(), QString("none"));
    }

    void keepAboveGoesThroughTheWindowManager() {
        QWidget window;
        window.setWindowTitle("keep above");
        window.setGeometry(200, 200, 300, 200);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const quint64 id = window.winId();
        auto keptAbove = [&]() { return platform::isWindowKeptAbove(QX11Info::connection(), uint32_t(id)); };
        QVERIFY(!xprop(id, "_NET_WM_STATE").contains("_NET_WM_STATE_ABOVE"));
        QVERIFY(!keptAbove());
        QVERIFY(platform::setWindowKeepAbove(QX11Info::connection(), uint32_t(id), true));
        QVERIFY(waitFor([&]() { return xprop(id, "_NET_WM_STATE").contains("_NET_WM_STATE_ABOVE"); }));
        // The reader sees what the window manager did, as xprop does.
        QVERIFY(keptAbove());
        QVERIFY(platform::setWindowKeepAbove(QX11Info::connection(), uint32_t(id), false));
        QVERIFY(waitFor([&]() { return !xprop(id, "_NET_WM_STATE").contains("_NET_WM_STATE_ABOVE"); }));
        QVERIFY(!keptAbove());
        // Above again, then hidden: the window manager drops the state of a withdrawn window.
        QVERIFY(platform::setWindowKeepAbove(QX11Info::connection(), uint32_t(id), true));
        QVERIFY(waitFor(keptAbove));
        window.hide();
        QVERIFY(waitFor([&]() { return !keptAbove(); }));
        QVERIFY(!platform::setWindowKeepAbove(QX11Info::connection(), 0, true));
        QVERIFY(!platform::isWindowKeptAbove(QX11Info::connection(), 0));
        QVERIFY(!platform::isWindowKeptAbove(nullptr, uint32_t(id)));
    }

    void positionIsTheServersAfterAMove() {
        QWidget window;
        window.setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
        window.setGeometry(150, 120, 200, 100);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const quint64 id = window.winId();
        const auto position = [&] {
            int x = -1;
            int y = -1;
            return platform::windowRootPosition(QX11Info::connection(), uint32_t(id), &x, &y) ? QPoint(x, y)
                                                                                              : QPoint(-1, -1);
        };
        QVERIFY(waitFor([&] { return position() == xwininfoRect(id).topLeft(); }));
        // Moved by another client: the reader sees at once what xwininfo sees.
        QVERIFY(xdotool({"windowmove", "--sync", QString::number(id), "333", "222"}));
        QVERIFY(waitFor([&] { return xwininfoRect(id).topLeft() == QPoint(333, 222); }));
        QCOMPARE(position(), QPoint(333, 222));
        int x = 7;
        int y = 8;
        QVERIFY(!platform::windowRootPosition(QX11Info::connection(), 0, &x, &y));
        QVERIFY(!platform::windowRootPosition(nullptr, uint32_t(id), &x, &y));
        QCOMPARE(QPoint(x, y), QPoint(7, 8));
        window.close();
    }
};

QTEST_MAIN(TestWindowOverlay)
#include "test_window_overlay.moc"
