// Screen and cursor capture on the virtual desktop: pixels against ImageMagick's view of
// the same screen, clamping, scaling, fresh frames, the cursor image with its hotspot
// (colour and monochrome cursors) and the left-button state as xdotool sets it.
#include "platform/system/cursor_capture.h"
#include "platform/system/screen_capture.h"
#include "tests/support/RunTool.h"

#include <QBitmap>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <QWidget>
#include <QtTest>

using calvorine::platform::CursorCapture;
using calvorine::platform::CursorImage;
using calvorine::platform::PointerState;
using calvorine::platform::ScreenCapture;

namespace {

// A frameless window of four coloured quadrants whose colours a test can change.
class Swatch : public QWidget {
public:
    Swatch() {
        setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::X11BypassWindowManagerHint);
        setAttribute(Qt::WA_OpaquePaintEvent);
    }
    QColor colours[4] = {Qt::red, Qt::green, Qt::blue, Qt::white};

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        const int w = width() / 2;
        const int h = height() / 2;
        p.fillRect(0, 0, w, h, colours[0]);
        p.fillRect(w, 0, width() - w, h, colours[1]);
        p.fillRect(0, h, w, height() - h, colours[2]);
        p.fillRect(w, h, width() - w, height() - h, colours[3]);
    }
};

QRgb pixelAt(const uint8_t* frame, int bytesPerLine, int x, int y) {
    const uint8_t* p = frame + size_t(y) * size_t(bytesPerLine) + size_t(x) * 4;
    return qRgb(p[2], p[1], p[0]);
}

bool run(const QString& program, const QStringList& arguments) {
    return runtool::run(program, arguments, 20000).exitCode == 0;
}

// Waits until the screen shows the colour at the point (compositor and window manager
// take a moment after a window is shown or repainted).
bool screenShows(int x, int y, QColor colour) {
    ScreenCapture capture;
    if (!capture.open(x, y, 1, 1, 1.0)) {
        return false;
    }
    for (int i = 0; i < 200; ++i) {
        QCoreApplication::processEvents();
        const uint8_t* frame = capture.grab();
        if (frame && pixelAt(frame, capture.bytesPerLine(), 0, 0) == colour.rgb()) {
            return true;
        }
        QTest::qWait(10);
    }
    return false;
}

} // namespace

class TestScreenCapture : public QObject {
    Q_OBJECT

private:
    Swatch swatch;

private slots:
    void initTestCase() {
        int w = 0;
        int h = 0;
        QVERIFY2(calvorine::platform::screenSize(w, h), "needs a display");
        QCOMPARE(w, 1920);
        QCOMPARE(h, 1080);
        swatch.setGeometry(300, 200, 200, 100);
        swatch.show();
        QVERIFY(QTest::qWaitForWindowExposed(&swatch));
        QVERIFY(screenShows(310, 210, Qt::red));
        QVERIFY(screenShows(490, 290, Qt::white));
    }

    // The frame equals what ImageMagick reads from the same screen, through shared
    // memory and through the plain request.
    void matchesImport_data() {
        QTest::addColumn<bool>("sharedMemory");
        QTest::newRow("shared memory") << true;
        QTest::newRow("plain request") << false;
    }
    void matchesImport() {
        QFETCH(bool, sharedMemory);
        ScreenCapture capture;
        capture.setSharedMemoryAllowed(sharedMemory);
        QVERIFY2(capture.open(250, 150, 301, 201, 1.0), capture.lastError().c_str());
        QCOMPARE(capture.usesSharedMemory(), sharedMemory);
        QCOMPARE(capture.width(), 301);
        QCOMPARE(capture.height(), 201);
        const uint8_t* frame = capture.grab();
        QVERIFY(frame);

        QTemporaryDir dir;
        const QString shot = dir.filePath("shot.png");
        QVERIFY(run("import", {"-window", "root", "-crop", "301x201+250+150", "+repage", shot}));
        QImage reference(shot);
        QCOMPARE(reference.size(), QSize(301, 201));
        int differing = 0;
        for (int y = 0; y < 201; ++y) {
            for (int x = 0; x < 301; ++x) {
                if (pixelAt(frame, capture.bytesPerLine(), x, y) != reference.pixel(x, y)) {
                    ++differing;
                }
            }
        }
        // The pointer may sit inside the area: the screen image never holds it, but
        // allow a cursor's worth of pixels in case ImageMagick's copy does.
        QVERIFY2(differing < 32 * 32, qPrintable(QString::number(differing)));
        QCOMPARE(pixelAt(frame, capture.bytesPerLine(), 60, 60), QColor(Qt::red).rgb());
        QCOMPARE(pixelAt(frame, capture.bytesPerLine(), 240, 60), QColor(Qt::green).rgb());
        QCOMPARE(pixelAt(frame, capture.bytesPerLine(), 60, 140), QColor(Qt::blue).rgb());
        QCOMPARE(pixelAt(frame, capture.bytesPerLine(), 240, 140), QColor(Qt::white).rgb());
    }

    // Every grab reads the screen anew.
    void everyGrabIsFresh() {
        ScreenCapture capture;
        QVERIFY(capture.open(300, 200, 200, 100, 1.0));
        const uint8_t* frame = capture.grab();
        QVERIFY(frame);
        QCOMPARE(pixelAt(frame, capture.bytesPerLine(), 10, 10), QColor(Qt::red).rgb());
        swatch.colours[0] = Qt::yellow;
        swatch.update();
        QVERIFY(screenShows(310, 210, Qt::yellow));
        frame = capture.grab();
        QVERIFY(frame);
        QCOMPARE(pixelAt(frame, capture.bytesPerLine(), 10, 10), QColor(Qt::yellow).rgb());
        swatch.colours[0] = Qt::red;
        swatch.update();
        QVERIFY(screenShows(310, 210, Qt::red));
    }

    // A rectangle reaching past the screen's edges keeps its size; what lies off the
    // screen is black, what lies on it is the screen.
    void clampedToTheScreen() {
        Swatch corner;
        corner.colours[0] = corner.colours[1] = corner.colours[2] = corner.colours[3] = Qt::magenta;
        corner.setGeometry(1870, 1030, 50, 50);
        corner.show();
        QVERIFY(QTest::qWaitForWindowExposed(&corner));
        QVERIFY(screenShows(1919, 1079, Qt::magenta));
        QVERIFY(screenShows(1870, 1030, Qt::magenta));

        ScreenCapture capture;
        QVERIFY2(capture.open(1880, 1040, 81, 61, 1.0), capture.lastError().c_str());
        QCOMPARE(capture.width(), 81);
        QCOMPARE(capture.height(), 61);
        const uint8_t* frame = capture.grab();
        QVERIFY(frame);
        const int stride = capture.bytesPerLine();
        QCOMPARE(pixelAt(frame, stride, 0, 0), QColor(Qt::magenta).rgb());
        QCOMPARE(pixelAt(frame, stride, 39, 39), QColor(Qt::magenta).rgb());
        QCOMPARE(pixelAt(frame, stride, 40, 0), qRgb(0, 0, 0));
        QCOMPARE(pixelAt(frame, stride, 0, 40), qRgb(0, 0, 0));
        QCOMPARE(pixelAt(frame, stride, 80, 60), qRgb(0, 0, 0));

        // Left and above the screen as well.
        QVERIFY(capture.open(-10, -20, 30, 40, 1.0));
        QVERIFY(capture.grab());
        QCOMPARE(capture.width(), 30);
    }

    void refusedRectangles_data() {
        QTest::addColumn<QRect>("area");
        QTest::newRow("empty") << QRect(10, 10, 0, 10);
        QTest::newRow("negative height") << QRect(10, 10, 10, -5);
        QTest::newRow("right of the screen") << QRect(1920, 0, 100, 100);
        QTest::newRow("above the screen") << QRect(0, -100, 100, 100);
    }
    void refusedRectangles() {
        QFETCH(QRect, area);
        ScreenCapture capture;
        QVERIFY(!capture.open(area.x(), area.y(), area.width(), area.height(), 1.0));
        QVERIFY(!capture.lastError().empty());
        QVERIFY(!capture.isOpen());
        QVERIFY(!capture.grab());
    }

    // With a scale factor the physical rectangle (each value times the factor plus 0.1,
    // truncated) is read and scaled to the logical size.
    void scaleFactorApplies() {
        ScreenCapture capture;
        // Logical (150,100) 100x50 at 2.0 is physical (300,200) 200x100: the swatch.
        QVERIFY(capture.open(150, 100, 100, 50, 2.0));
        QCOMPARE(capture.width(), 100);
        QCOMPARE(capture.height(), 50);
        const uint8_t* frame = capture.grab();
        QVERIFY(frame);
        const int stride = capture.bytesPerLine();
        QCOMPARE(pixelAt(frame, stride, 10, 10), QColor(Qt::red).rgb());
        QCOMPARE(pixelAt(frame, stride, 90, 10), QColor(Qt::green).rgb());
        QCOMPARE(pixelAt(frame, stride, 10, 40), QColor(Qt::blue).rgb());
        QCOMPARE(pixelAt(frame, stride, 90, 40), QColor(Qt::white).rgb());
        // 1.5 x 101 + 0.1 = 151.6 -> 151: the rounding the area picker relies on.
        QCOMPARE(calvorine::platform::toPhysicalPixels(1.5, 101), 151);
        QCOMPARE(calvorine::platform::toPhysicalPixels(1.25, 3), 3);
        QCOMPARE(calvorine::platform::toPhysicalPixels(1.25, 4), 5);
    }

    // A colour cursor and a two-colour (bitmap) cursor both come out with their pixels
    // and their hotspots.
    void cursorImageAndHotspot() {
        QPixmap colour(24, 16);
        colour.fill(QColor(0, 128, 255));
        swatch.setCursor(QCursor(colour, 5, 7));
        QCursor::setPos(400, 250);
        CursorCapture cursors;
        CursorImage image;
        QTRY_VERIFY(cursors.currentCursor(image) && image.width == 24 && image.height == 16);
        QCOMPARE(image.hotspotX, 5);
        QCOMPARE(image.hotspotY, 7);
        QCOMPARE(image.x, 400);
        QCOMPARE(image.y, 250);
        QCOMPARE(image.pixels.size(), size_t(24 * 16));
        QCOMPARE(image.pixels[100], 0xff0080ffu);

        // Monochrome: a 16x16 bitmap, black frame and white inside, fully masked.
        QBitmap bits(16, 16);
        QBitmap mask(16, 16);
        bits.clear();
        mask.fill(Qt::color1);
        {
            QPainter p(&bits);
            p.setPen(Qt::color1);
            p.drawRect(0, 0, 15, 15);
        }
        swatch.setCursor(QCursor(bits, mask, 8, 8));
        QTRY_VERIFY(cursors.currentCursor(image) && image.width == 16 && image.hotspotX == 8);
        QCOMPARE(image.hotspotY, 8);
        const uint32_t edge = image.pixels[0];
        const uint32_t inside = image.pixels[8 * 16 + 8];
        QCOMPARE(edge >> 24, 0xffu);
        QCOMPARE(inside >> 24, 0xffu);
        QVERIFY(edge != inside);
        swatch.unsetCursor();
    }

    void leftButtonFollowsXdotool() {
        CursorCapture cursors;
        PointerState state;
        QVERIFY(run("xdotool", {"mousemove", "700", "600"}));
        QVERIFY(cursors.queryPointer(state));
        QCOMPARE(state.x, 700);
        QCOMPARE(state.y, 600);
        QVERIFY(!state.leftButtonDown);
        QVERIFY(run("xdotool", {"mousedown", "1"}));
        QVERIFY(cursors.queryPointer(state));
        const bool down = state.leftButtonDown;
        QVERIFY(run("xdotool", {"mouseup", "1"}));
        QVERIFY(down);
        QVERIFY(cursors.queryPointer(state));
        QVERIFY(!state.leftButtonDown);
    }
};

QTEST_MAIN(TestScreenCapture)
#include "test_screen_capture.moc"
