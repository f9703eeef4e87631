// The capture frame, the shade and window snapping, driven with xdotool against windows
// of another process: the frame stays on the screen, clicks inside the area and on the
// shade reach the window below, the hint moves the frame, edges stop at 60 pixels and at
// the screen's edge, the recording border takes no clicks, lies wholly outside the area
// and its dashes run (and stand still while paused); pick mode snaps to the window as xwininfo reports it, passes over
// small windows and our own, takes a jittered click as a click and a drag as a
// rectangle. Run once more on a desktop without compositor, where the pixels outside
// the frame must stay the desktop's.
#include "app/QRecordAreaInfo.h"
#include "recorder/QRecordCropDlg.h"
#include "recorder/QTransparentWidget.h"

#include "DesktopHelpers.h"
#include "PrivateUserFolders.h"
#include "TestOutput.h"

#include <QApplication>
#include <QDir>
#include <QSignalSpy>
#include <QTimer>
#include <QX11Info>
#include <QtTest>

using namespace desktoptest;

namespace {

QImage keepScreen(const QString& name) {
    return screenshot(testoutput::pngPath(name));
}

QRect lastRect(const QSignalSpy& spy) {
    return spy.isEmpty() ? QRect() : spy.last().at(0).toRect();
}

const QColor kHelperColour(200, 40, 40); // the helper's first window

} // namespace

class TestAreaPicker : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { qRegisterMetaType<QRect>(); }

    void frameStaysOnTheScreen() {
        QRecordCropDlg frame;
        QSignalSpy reported(&frame, &QVariableSizeWgt::emitRecordRect);
        frame.setFrameRect(1900, 0, 640, 480);
        QCOMPARE(frame.frameRect(), QRect(1280, 0, 640, 480));
        QCOMPARE(lastRect(reported), QRect(1280, 0, 640, 480));
        frame.setFrameRect(10, 1070, 20, 5000);
        QCOMPARE(frame.frameRect(), QRect(10, 0, 60, 1080));
        // An unchanged rectangle is not reported again.
        const int count = reported.count();
        frame.setFrameRect(10, 0, 60, 1080);
        QCOMPARE(reported.count(), count);
    }

    void areaModeLetsClicksThroughAndDrags() {
        HelperWindows helper({"200,200,800,500,f"});
        QVERIFY(helper.ready());
        QTransparentWidget shade;
        QRecordCropDlg frame;
        QSignalSpy reported(&frame, &QVariableSizeWgt::emitRecordRect);
        frame.setFrameRect(300, 300, 400, 300);
        shade.setClearRect(300, 300, 699, 599);
        shade.show();
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        QVERIFY(shade.isVisible() == QX11Info::isCompositingManagerRunning());
        QTest::qWait(100);
        keepScreen("area_mode");

        // Inside the area (away from the hint) and on the shade outside the frame.
        click(QPoint(350, 350));
        QVERIFY(helper.waitForPresses(0, 1));
        click(QPoint(900, 650));
        QVERIFY(helper.waitForPresses(0, 2));

        // The hint (the square in the middle) moves the frame; the report follows.
        const QPoint hint = frame.hintRect().center();
        drag(hint, hint + QPoint(100, 50));
        QVERIFY(waitFor([&]() { return frame.frameRect() == QRect(400, 350, 400, 300); }));
        QCOMPARE(lastRect(reported), QRect(400, 350, 400, 300));
        QCOMPARE(helper.presses(0), 2);

        // The right edge dragged far to the left stops 60 pixels from the left edge.
        drag(QPoint(799, 500), QPoint(200, 500));
        QVERIFY(waitFor([&]() { return frame.frameRect().width() == 60; }));
        QCOMPARE(frame.frameRect().x(), 400);
        // The bottom edge dragged past the screen stops at its edge.
        drag(QPoint(430, 649), QPoint(430, 1079));
        QVERIFY(waitFor([&]() { return frame.frameRect().bottom() == 1079; }));
        // The left edge dragged to the screen's left edge stops there.
        drag(QPoint(400, 500), QPoint(0, 500));
        QVERIFY(waitFor([&]() { return frame.frameRect().left() == 0; }));
        QCOMPARE(frame.frameRect().right(), 459);
        QCOMPARE(lastRect(reported), frame.frameRect());
        keepScreen("area_mode_resized");
    }

    void keepRatioOffersNoCornersAndFollowsTheWidth() {
        QRecordCropDlg frame;
        frame.setFrameRect(300, 300, 400, 200);
        frame.setKeepRatio(true);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        // The corners give the side handles; no corner squares are drawn.
        QCOMPARE(frame.hitTest(QPoint(699, 300)), int(QVariableSizeWgt::HandleRight));
        QCOMPARE(frame.hitTest(QPoint(300, 499)), int(QVariableSizeWgt::HandleLeft));
        const QImage image = frame.grab().toImage();
        QCOMPARE(image.pixelColor(301, 301).alpha(), 0);
        QCOMPARE(image.pixelColor(301, 400), QColor(0, 0, 255));
        drag(QPoint(699, 400), QPoint(799, 400));
        QVERIFY(waitFor([&]() { return frame.frameRect().width() == 500; }));
        QCOMPARE(frame.frameRect(), QRect(300, 300, 500, 250));
        frame.setKeepRatio(false);
        QCOMPARE(frame.hitTest(QPoint(799, 300)), int(QVariableSizeWgt::HandleTopRight));
    }

    void recordingBorderTakesNoClicksAndRuns() {
        HelperWindows helper({"200,200,800,500,f"});
        QVERIFY(helper.ready());
        QRecordCropDlg frame;
        frame.setFrameRect(300, 300, 400, 300);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        frame.setRecording(true);
        QTest::qWait(100);
        keepScreen("recording_border");
        // On the border and on the hint: both reach the window below.
        click(QPoint(298, 450));
        QVERIFY(helper.waitForPresses(0, 1));
        click(QPoint(500, 450));
        QVERIFY(helper.waitForPresses(0, 2));
        QCOMPARE(frame.frameRect(), QRect(300, 300, 400, 300));

        auto* timer = frame.findChild<QTimer*>();
        QVERIFY(timer && timer->isActive());
        QCOMPARE(timer->interval(), 50);
        const int phase = frame.dashPhase();
        QVERIFY(waitFor([&]() { return frame.dashPhase() != phase; }, 1000));

        // One tick moves the dashes of the top side by one pixel.
        frame.setPaused(true);
        QVERIFY(!timer->isActive());
        const QImage before = frame.grab().toImage();
        frame.recordTimer();
        const QImage after = frame.grab().toImage();
        int shiftedBy = -1;
        for (int shift : {1, -1}) {
            bool same = true;
            for (int x = 320; x < 680 && same; ++x) {
                same = before.pixelColor(x, 298) == after.pixelColor(x + shift, 298);
            }
            if (same) {
                shiftedBy = shift;
            }
        }
        QVERIFY(shiftedBy != -1 || before.pixelColor(320, 298) != after.pixelColor(320, 298));
        QVERIFY(shiftedBy == 1 || shiftedBy == -1);
        // Paused: nothing runs.
        const int pausedPhase = frame.dashPhase();
        QTest::qWait(300);
        QCOMPARE(frame.dashPhase(), pausedPhase);
        frame.setPaused(false);
        QVERIFY(timer->isActive());
        frame.setRecording(false);
        QVERIFY(!timer->isActive());
    }

    // The running border lies wholly outside the area, for even and odd sizes, in the
    // middle of the screen and against its edges: no pixel of the area (what a recording
    // grabs) shows its colour. Run once more without compositor.
    void recordingBorderStaysOutsideTheArea_data() {
        QTest::addColumn<QRect>("area");
        QTest::newRow("even") << QRect(300, 300, 640, 360);
        QTest::newRow("odd") << QRect(301, 301, 641, 361);
        QTest::newRow("top left corner") << QRect(0, 0, 641, 361);
        QTest::newRow("bottom right corner") << QRect(1279, 719, 641, 361);
        QTest::newRow("full width") << QRect(0, 400, 1920, 361);
        QTest::newRow("full height") << QRect(700, 0, 641, 1080);
    }
    void recordingBorderStaysOutsideTheArea() {
        QFETCH(QRect, area);
        const QColor colour(253, 94, 105);
        QRecordCropDlg frame;
        frame.setFrameColor(colour);
        frame.setFrameRect(area.x(), area.y(), area.width(), area.height());
        QCOMPARE(frame.frameRect(), area);
        frame.setRecording(true);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        const QRect ring = area.adjusted(-2, -2, 2, 2);
        const QString name = QStringLiteral("recording_border_%1%2_%3")
                                 .arg(QX11Info::isCompositingManagerRunning() ? "" : "plain_")
                                 .arg(area.width())
                                 .arg(area.x());
        QImage shot;
        int inside = 0;
        // Once the dashes show around the area, none may lie in it.
        QVERIFY(waitFor([&]() {
            shot = keepScreen(name);
            inside = countColour(shot, area, colour);
            return countColour(shot, ring, colour) - inside > 100;
        }));
        QVERIFY2(inside == 0,
                 qPrintable(QStringLiteral("%1 pixels of the border inside the area, %2 in its last row, "
                                           "%3 in its last column")
                                .arg(inside)
                                .arg(countColour(shot, QRect(area.left(), area.bottom(), area.width(), 1), colour))
                                .arg(countColour(shot, QRect(area.right(), area.top(), 1, area.height()), colour))));
    }

    void pickModeSnapsToWindows() {
        // A decorated, B frameless over it, C (40 x 40) on top of B.
        HelperWindows helpers({"100,100,500,400", "300,250,400,300,f", "350,300,40,40,f"});
        QVERIFY(helpers.ready());
        const QRect b = xwininfoFrameRect(helpers.window(1));
        QCOMPARE(b.size(), QSize(400, 300));
        QWidget own;
        own.setGeometry(1200, 600, 300, 200);
        own.show();
        QVERIFY(QTest::qWaitForWindowExposed(&own));

        QRecordCropDlg frame;
        QSignalSpy picked(&frame, &QRecordCropDlg::emitSelectAreaRect);
        frame.setFrameRect(0, 0, 60, 60);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        frame.setPickMode(true);

        moveTo(QPoint(320, 270));
        QVERIFY(waitFor([&]() { return frame.pickedRect() == b; }));
        keepScreen("pick_mode_hover");
        // The small window on top is passed over.
        moveTo(QPoint(360, 310));
        QTest::qWait(100);
        QVERIFY(waitFor([&]() { return frame.pickedRect() == b; }));
        // Our own window is passed over (only the bare desktop lies below it).
        moveTo(QPoint(1300, 700));
        QVERIFY(waitFor([&]() { return frame.pickedRect().isEmpty(); }));

        // A click with two pixels of jitter picks the hovered window.
        moveTo(QPoint(320, 270));
        QVERIFY(waitFor([&]() { return frame.pickedRect() == b; }));
        xdotool({"mousedown", "1"});
        moveTo(QPoint(322, 271));
        xdotool({"mouseup", "1"});
        QVERIFY(waitFor([&]() { return picked.count() == 1; }));
        QCOMPARE(lastRect(picked), b);
        QVERIFY(!frame.isPickMode());

        // A drag of 100 pixels gives a width of 100.
        frame.setPickMode(true);
        drag(QPoint(800, 600), QPoint(900, 650));
        QVERIFY(waitFor([&]() { return picked.count() == 2; }));
        QCOMPARE(lastRect(picked), QRect(800, 600, 100, 50));

        // A right click takes what is shown.
        frame.setPickMode(true);
        moveTo(QPoint(150, 150));
        const QRect a = xwininfoFrameRect(helpers.window(0));
        QVERIFY(waitFor([&]() { return frame.pickedRect() == a; }));
        xdotool({"click", "3"});
        QVERIFY(waitFor([&]() { return picked.count() == 3; }));
        QCOMPARE(lastRect(picked), a);
    }

    // Only on a desktop without compositor (the second run of this test).
    void withoutCompositorOnlyTheFrameIsDrawn() {
        if (QX11Info::isCompositingManagerRunning()) {
            QSKIP("runs on the desktop without compositor");
        }
        HelperWindows helper({"200,200,800,500,f"});
        QVERIFY(helper.ready());
        QTest::qWait(100);
        const QImage before = keepScreen("plain_before");
        QTransparentWidget shade;
        shade.show();
        QVERIFY(!shade.isVisible());

        QRecordCropDlg frame;
        frame.setFrameRect(300, 300, 400, 300);
        frame.show();
        QVERIFY(QTest::qWaitForWindowExposed(&frame));
        QImage shot;
        QVERIFY(waitFor([&]() {
            shot = keepScreen("plain_area_mode");
            return shot.pixelColor(298, 450) == QColor(0, 0, 255);
        }));
        const QVector<QPoint> outside = {QPoint(250, 250), QPoint(400, 400), QPoint(900, 650), QPoint(1500, 900)};
        QVERIFY(waitFor([&]() {
            shot = keepScreen("plain_area_mode");
            for (const QPoint& p : outside) {
                if (shot.pixelColor(p) != before.pixelColor(p)) {
                    return false;
                }
            }
            return true;
        }));
        QCOMPARE(shot.pixelColor(250, 250), kHelperColour);
        click(QPoint(350, 350));
        QVERIFY(helper.waitForPresses(0, 1));

        // Pick mode dims nothing and still sees the pointer everywhere.
        QSignalSpy picked(&frame, &QRecordCropDlg::emitSelectAreaRect);
        frame.setPickMode(true);
        drag(QPoint(800, 600), QPoint(900, 650));
        QVERIFY(waitFor([&]() { return picked.count() == 1; }));
        QCOMPARE(lastRect(picked), QRect(800, 600, 100, 50));
        QCOMPARE(helper.presses(0), 1);
        frame.setRecording(true);
        QVERIFY(waitFor([&]() {
            shot = keepScreen("plain_recording");
            return shot.pixelColor(500, 450) == before.pixelColor(500, 450) &&
                   shot.pixelColor(250, 250) == before.pixelColor(250, 250);
        }));
    }
};

int main(int argc, char** argv) {
    PrivateUserFolders folders;
    QApplication app(argc, argv);
    TestAreaPicker test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_area_picker.moc"
