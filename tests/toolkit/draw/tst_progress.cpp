// Progress bar and slider: range and value rules, the repaint throttle, the small-value
// pill, text formats, circular display, values from clicks and keys, the handle, and an
// empty range (minimum equal to maximum).
#include "DrawTestSupport.h"

#include "toolkit/QRZBaseProgress.h"
#include "toolkit/QRZButton.h"

#include <QApplication>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>

using namespace drawtest;

Q_DECLARE_METATYPE(QMouseEvent*)

namespace {
const QColor kGroove(90, 90, 90);
const QColor kChunkStart(220, 0, 0);
const QColor kChunkMiddle(0, 200, 0);
const QColor kChunkEnd(0, 0, 220);

// Renders with painting forced now (update() requests are counted separately).
QImage paint(QWidget* widget) {
    return render(widget);
}
} // namespace

class TestProgress : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_groove;
    QString m_chunk;

private slots:
    void initTestCase() {
        qRegisterMetaType<QMouseEvent*>();
        m_groove = save(m_dir, "groove.png", solidStrip({kGroove}, 200, 10));
        m_chunk = save(m_dir, "chunk.png", solidStrip({kChunkStart, kChunkMiddle, kChunkMiddle, kChunkEnd}, 5, 10));
    }

    void rangeIsOrderedAndClampsWithoutSignal() {
        QRZBaseProgress bar;
        bar.setRange(0, 200);
        bar.setValue(150.0);
        QSignalSpy changed(&bar, SIGNAL(valueChanged(double)));
        bar.setRange(100, 0);
        QCOMPARE(bar.minimum(), 0.0);
        QCOMPARE(bar.maximum(), 100.0);
        QCOMPARE(bar.value(), 100.0);
        QCOMPARE(changed.count(), 0);
        // Beyond the bound the bar already shows: no change, no signal.
        bar.setValue(500);
        QCOMPARE(bar.value(), 100.0);
        QCOMPARE(changed.count(), 0);
        bar.setValue(60);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(changed.at(0).at(0).toDouble(), 60.0);
        bar.setMinimum(20);
        bar.setValue(-5.0);
        QCOMPARE(bar.value(), 20.0);
    }

    void textFormats() {
        QRZBaseProgress bar;
        bar.setValue(45);
        QCOMPARE(bar.formatText(bar.value()), QStringLiteral("45.0%"));
        bar.setRange(0, 9);
        bar.setValue(3);
        bar.setTextFormat(QStringLiteral("%v %m"));
        QCOMPARE(bar.formatText(bar.value()), QStringLiteral("3.0 10.0"));
        bar.setTextFormat(QString());
        QVERIFY(bar.formatText(1).isEmpty());
    }

    void marginsThatFillTheBarAreDropped() {
        QRZBaseProgress bar;
        bar.resize(200, 10);
        bar.setMargins(100, 100);
        QCOMPARE(bar.marginStart(), 0);
        QCOMPARE(bar.marginEnd(), 0);
        bar.setMargins(10, 20);
        QCOMPARE(bar.marginStart(), 10);
        QCOMPARE(bar.marginEnd(), 20);
    }

    void throttleRepaintsABurstOnceAndShowsItsLastValueLater() {
        QRZBaseProgress bar;
        bar.setUpdateInterval(100);
        // Let the first interval pass so that the burst's first value repaints at once.
        QTest::qWait(150);
        const int before = bar.repaintRequests();
        for (int i = 1; i <= 50; ++i) {
            bar.setValue(static_cast<double>(i));
        }
        QCOMPARE(bar.value(), 50.0);
        QCOMPARE(bar.repaintRequests(), before + 1);
        // The pending last value is painted by the timer.
        QTRY_COMPARE_WITH_TIMEOUT(bar.repaintRequests(), before + 2, 5000);
        QTest::qWait(350);
        QCOMPARE(bar.repaintRequests(), before + 2);
        bar.setUpdateInterval(0);
        bar.setValue(10.0);
        QCOMPARE(bar.repaintRequests(), before + 3);
    }

    void smallValueDrawsOnlyTheOuterCapColumns() {
        QRZBaseProgress bar;
        bar.resize(200, 10);
        bar.setTextFormat(QString());
        QVERIFY(bar.setBackgroundImage(m_groove));
        QVERIFY(bar.setChunkImage(m_chunk));
        QCOMPARE(bar.capSize(), 5);
        bar.setValue(1);
        // Filled length 2.5: one column of the chunk's start, one of its end.
        QImage image = paint(&bar);
        QCOMPARE(at(image, 0, 5), kChunkStart);
        QCOMPARE(at(image, 1, 5), kChunkEnd);
        QCOMPARE(at(image, 2, 5), kGroove);
        // A larger value: caps unscaled at both ends of the filled part.
        bar.setValue(50);
        image = paint(&bar);
        QCOMPARE(at(image, 2, 5), kChunkStart);
        QCOMPARE(at(image, 50, 5), kChunkMiddle);
        QCOMPARE(at(image, 97, 5), kChunkEnd);
        QCOMPARE(at(image, 101, 5), kGroove);
    }

    void circularDisplayAtItsMinimumShowsOnlyTheBackground() {
        QRZBaseProgress ring;
        ring.setProgressType(QRZBaseProgress::Circular);
        ring.setDisplayMode(QRZBaseProgress::Pie);
        ring.resize(100, 100);
        ring.setTextFormat(QString());
        QPalette palette = ring.palette();
        palette.setColor(QPalette::Base, QColor(40, 40, 40));
        palette.setColor(QPalette::Highlight, QColor(0, 220, 0));
        ring.setPalette(palette);
        QImage image = paint(&ring);
        QCOMPARE(at(image, 70, 30), QColor(40, 40, 40));
        ring.setValue(25);
        image = paint(&ring);
        // A quarter clockwise from twelve o'clock.
        QCOMPARE(at(image, 70, 30), QColor(0, 220, 0));
        QCOMPARE(at(image, 30, 70), QColor(40, 40, 40));
    }

    void pressSetsTheValueAndReportsTheFraction() {
        QRZBaseSlider slider;
        slider.resize(200, 20);
        QSignalSpy fraction(&slider, SIGNAL(sendProgressValue(double)));
        QSignalSpy pressed(&slider, SIGNAL(sendPressEvent(QMouseEvent*)));
        sendMouse(&slider, QEvent::MouseButtonPress, QPoint(50, 10));
        QCOMPARE(slider.value(), 25.0);
        QCOMPARE(fraction.count(), 1);
        QCOMPARE(fraction.at(0).at(0).toDouble(), 0.25);
        QCOMPARE(pressed.count(), 1);
        slider.setMouseEnabled(false);
        sendMouse(&slider, QEvent::MouseButtonPress, QPoint(150, 10));
        QCOMPARE(slider.value(), 25.0);
    }

    void verticalSliderHasItsLowEndAtTheBottom() {
        QRZBaseSlider slider;
        slider.setProgressType(QRZBaseProgress::VerticalBar);
        slider.resize(16, 80);
        sendMouse(&slider, QEvent::MouseButtonPress, QPoint(8, 60));
        QCOMPARE(slider.value(), 25.0);
    }

    void arrowKeysStepByAHundredthOfTheRange() {
        QRZBaseSlider slider;
        slider.setRange(0, 500);
        slider.setValue(100);
        QSignalSpy changed(&slider, SIGNAL(valueChanged(double)));
        QTest::keyClick(&slider, Qt::Key_Right);
        QCOMPARE(slider.value(), 105.0);
        QTest::keyClick(&slider, Qt::Key_Up);
        QCOMPARE(slider.value(), 110.0);
        QTest::keyClick(&slider, Qt::Key_Left);
        QTest::keyClick(&slider, Qt::Key_Down);
        QCOMPARE(slider.value(), 100.0);
        QCOMPARE(changed.count(), 4);
        slider.setValue(500);
        changed.clear();
        QTest::keyClick(&slider, Qt::Key_Right);
        QCOMPARE(slider.value(), 500.0);
        QCOMPARE(changed.count(), 0);
    }

    void handleFollowsTheValueInsideItsMargins() {
        QTemporaryDir dir;
        const QString strip = save(dir, "handle.png", solidStrip({Qt::red, Qt::green, Qt::blue, Qt::gray}, 10, 10));
        QRZBaseSlider slider;
        slider.resize(200, 20);
        QVERIFY(slider.setHandleImage(strip));
        QRZBaseButton* handle = slider.handle();
        QVERIFY(handle != nullptr);
        QCOMPARE(handle->size(), QSize(10, 10));
        // Margins below half the handle become half its width.
        QCOMPARE(slider.marginStart(), 5);
        QCOMPARE(slider.usableLength(), 190);
        slider.setValue(50);
        paint(&slider);
        QCOMPARE(handle->pos(), QPoint(5 + 95 - 1 - 5, 5));
        slider.setHandleOffset(-4);
        slider.setHandleSize(20, 0);
        QCOMPARE(handle->size(), QSize(20, 10));
        paint(&slider);
        QCOMPARE(handle->pos(), QPoint(5 + 95 - 1 - 10, 1));
        // Dragging the handle sets the value from the pointer's place in the window (the
        // global position may be wrong while Qt has not heard where the window went).
        QSignalSpy fraction(&slider, SIGNAL(sendProgressValue(double)));
        const QPoint local = handle->mapFrom(&slider, QPoint(5 + 38, 10));
        QMouseEvent move(QEvent::MouseMove, local, QPoint(4000, 3000), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        emit handle->mouseMove(&move, 0);
        QCOMPARE(slider.value(), 20.0);
        QCOMPARE(fraction.count(), 1);
    }

    void missingHandleImageGivesAPlainHandle() {
        QRZBaseSlider slider;
        slider.resize(200, 20);
        QVERIFY(slider.setHandleImage(QStringLiteral("/nonexistent/handle.png")));
        QCOMPARE(slider.handle()->size(), QSize(10, 20));
    }

    void emptyRangeNeitherDividesByZeroNorMoves() {
        QRZBaseSlider slider;
        slider.resize(200, 20);
        QVERIFY(slider.setBackgroundImage(m_groove));
        QVERIFY(slider.setChunkImage(m_chunk));
        slider.setRange(5, 5);
        QCOMPARE(slider.value(), 5.0);
        QSignalSpy fraction(&slider, SIGNAL(sendProgressValue(double)));
        QSignalSpy changed(&slider, SIGNAL(valueChanged(double)));
        sendMouse(&slider, QEvent::MouseButtonPress, QPoint(150, 10));
        QTest::keyClick(&slider, Qt::Key_Right);
        QCOMPARE(slider.value(), 5.0);
        QCOMPARE(fraction.count(), 0);
        QCOMPARE(changed.count(), 0);
        QCOMPARE(slider.formatText(5), QStringLiteral("0.0%"));
        // Shows an empty bar.
        const QImage image = paint(&slider);
        QCOMPARE(at(image, 100, 10), kGroove);

        QRZBaseProgress ring;
        ring.setProgressType(QRZBaseProgress::Circular);
        ring.resize(50, 50);
        ring.setRange(3, 3);
        paint(&ring);
    }
};

QTEST_MAIN(TestProgress)
#include "tst_progress.moc"
