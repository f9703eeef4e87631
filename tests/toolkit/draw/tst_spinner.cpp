// Busy spinner: painted only while running or when asked to show when stopped; the delay
// does not start it; each tick turns it by one spoke.
#include "DrawTestSupport.h"

#include "toolkit/QProgressIndicator.h"

#include <QTest>

using namespace drawtest;

namespace {
bool paintsSomething(QWidget* widget) {
    const QImage image = render(widget);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixelColor(x, y).alpha() != 0) {
                return true;
            }
        }
    }
    return false;
}
} // namespace

class TestSpinner : public QObject {
    Q_OBJECT

private slots:
    void stoppedSpinnerPaintsNothingUnlessAsked() {
        QProgressIndicator spinner;
        spinner.resize(20, 20);
        QCOMPARE(spinner.sizeHint(), QSize(20, 20));
        QCOMPARE(spinner.heightForWidth(37), 37);
        QVERIFY(!paintsSomething(&spinner));
        spinner.setDisplayedWhenStopped(true);
        QVERIFY(paintsSomething(&spinner));
        spinner.setDisplayedWhenStopped(false);
        spinner.startAnimation();
        QVERIFY(paintsSomething(&spinner));
        spinner.stopAnimation();
        QVERIFY(!spinner.isAnimated());
        QVERIFY(!paintsSomething(&spinner));
    }

    void delayDoesNotStartAStoppedSpinner() {
        QProgressIndicator spinner;
        spinner.setAnimationDelay(10);
        QVERIFY(!spinner.isAnimated());
        QCOMPARE(spinner.animationDelay(), 10);
        spinner.startAnimation();
        QVERIFY(spinner.isAnimated());
        spinner.setAnimationDelay(15);
        QVERIFY(spinner.isAnimated());
        spinner.stopAnimation();
    }

    void ticksTurnTheSpinnerBySpokes() {
        QProgressIndicator spinner;
        spinner.resize(64, 64);
        spinner.setColor(Qt::black);
        spinner.setDisplayedWhenStopped(true);
        const QImage before = render(&spinner);
        spinner.setAnimationDelay(5);
        spinner.startAnimation();
        QCOMPARE(spinner.angle(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(spinner.angle() != 0, 5000);
        QCOMPARE(spinner.angle() % 30, 0);
        spinner.stopAnimation();
        const int angle = spinner.angle();
        const QImage turned = render(&spinner);
        // Twelve spokes: a full turn looks the same as the start, any other angle not.
        if (angle == 0) {
            QCOMPARE(turned, before);
        } else {
            QVERIFY(turned != before);
        }
        spinner.setIndicatorStyle(QProgressIndicator::Dots);
        QVERIFY(render(&spinner) != turned);
    }
};

QTEST_MAIN(TestSpinner)
#include "tst_spinner.moc"
