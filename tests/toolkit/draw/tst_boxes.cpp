// Check and radio boxes: the image per check state, enabled and disabled halves, the
// box's placement and the text, clicks on the text, and the combo row box's signal mode.
#include "DrawTestSupport.h"

#include "toolkit/QRZCheckBox.h"
#include "toolkit/QRZRadioButton.h"
#include "toolkit/StyleHelpers.h"

#include <QSignalSpy>
#include <QTest>

using namespace drawtest;

namespace {
const QColor kOn(30, 160, 60);
const QColor kOnDisabled(90, 120, 100);
const QColor kOff(160, 30, 30);
const QColor kOffDisabled(120, 90, 90);
const QColor kBackground(0, 0, 0);

QImage renderOnBlack(QWidget* widget) {
    QImage image(widget->size(), QImage::Format_ARGB32);
    image.fill(kBackground);
    widget->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}
} // namespace

class TestBoxes : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_on;
    QString m_off;
    QString m_onHalves;
    QString m_offHalves;

private slots:
    void initTestCase() {
        m_on = save(m_dir, "on.png", solidStrip({kOn}, 16, 16));
        m_off = save(m_dir, "off.png", solidStrip({kOff}, 16, 16));
        m_onHalves = save(m_dir, "on2.png", solidStrip({kOn, kOnDisabled}, 16, 16));
        m_offHalves = save(m_dir, "off2.png", solidStrip({kOff, kOffDisabled}, 16, 16));
    }

    void boxFollowsTheCheckState() {
        QRZCheckBox box;
        box.resize(100, 24);
        QVERIFY(box.setBoxImages(m_on, m_off, QString(), false));
        QCOMPARE(box.boxRect(), QRect(0, 0, 16, 16));
        // 16 pixels high in a 24-pixel box: drawn from y = 4.
        QImage image = renderOnBlack(&box);
        QCOMPARE(at(image, 8, 4), kOff);
        QCOMPARE(at(image, 8, 3), kBackground);
        QCOMPARE(at(image, 8, 19), kOff);
        QCOMPARE(at(image, 8, 20), kBackground);
        box.setChecked(true);
        QCOMPARE(at(renderOnBlack(&box), 8, 12), kOn);
        // Partially checked without a partial image: no box at all.
        box.setTristate(true);
        box.setCheckState(Qt::PartiallyChecked);
        QCOMPARE(at(renderOnBlack(&box), 8, 12), kBackground);
    }

    void disabledBoxShowsTheRightHalf() {
        QRZCheckBox box;
        box.resize(100, 16);
        QVERIFY(box.setBoxImages(m_onHalves, m_offHalves, QString(), true));
        QCOMPARE(box.boxRect().width(), 16);
        QCOMPARE(at(renderOnBlack(&box), 8, 8), kOff);
        box.setEnabled(false);
        QCOMPARE(at(renderOnBlack(&box), 8, 8), kOffDisabled);
        box.setChecked(true);
        QCOMPARE(at(renderOnBlack(&box), 8, 8), kOnDisabled);
    }

    void textStartsFivePixelsAfterTheBox() {
        QRZCheckBox box;
        box.resize(150, 20);
        QVERIFY(box.setBoxImages(m_on, m_off, QString(), false));
        box.setText(QStringLiteral("Show cursor"));
        QPalette palette = box.palette();
        palette.setColor(QPalette::WindowText, Qt::white);
        box.setPalette(palette);
        const QImage image = renderOnBlack(&box);
        int leftmost = 150;
        for (int x = 16; x < 150; ++x) {
            for (int y = 0; y < 20; ++y) {
                if (at(image, x, y) != kBackground) {
                    leftmost = std::min(leftmost, x);
                }
            }
        }
        QVERIFY2(leftmost >= 21 && leftmost < 30, qPrintable(QString::number(leftmost)));
        QCOMPARE(box.textRect().left(), 21);
    }

    void missingImagesKeepThePlatformLook() {
        QRZCheckBox box;
        QVERIFY(!box.setBoxImages(m_dir.filePath("absent.png"), m_off, QString(), false));
        QVERIFY(!box.hasBoxImage());
        QVERIFY(!setBoxImages(&box, m_off, m_dir.filePath("absent.png"), QString()));
        QVERIFY(setBoxImages(&box, m_off, m_on, QString()));
        QVERIFY(box.hasBoxImage());
    }

    void clickingTheTextToggles() {
        QRZCheckBox box;
        box.resize(150, 20);
        box.setText(QStringLiteral("Label"));
        QVERIFY(box.setBoxImages(m_on, m_off, QString(), false));
        box.show();
        QTest::mouseClick(&box, Qt::LeftButton, Qt::NoModifier, QPoint(120, 10));
        QVERIFY(box.isChecked());
        QTest::mouseClick(&box, Qt::LeftButton, Qt::NoModifier, QPoint(60, 10));
        QVERIFY(!box.isChecked());
    }

    void comboRowBoxInSignalModeOnlySignals() {
        QComboboxCheckbox box;
        box.resize(20, 20);
        box.show();
        box.setSignalMode(true);
        QSignalSpy clicks(&box, SIGNAL(emitClick()));
        QTest::mouseClick(&box, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
        QCOMPARE(clicks.count(), 1);
        QVERIFY(!box.isChecked());
        box.setSignalMode(false);
        QTest::mouseClick(&box, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
        QVERIFY(box.isChecked());
        QCOMPARE(clicks.count(), 1);
    }

    void radioButtonBoxAndButtonLooks() {
        QRZRadioButton radio;
        radio.resize(80, 16);
        radio.setImageMode(m_on, m_off, false, false);
        QVERIFY(radio.hasBoxImage());
        QCOMPARE(at(renderOnBlack(&radio), 8, 8), kOff);
        radio.setChecked(true);
        QCOMPARE(at(renderOnBlack(&radio), 8, 8), kOn);

        QTemporaryDir dir;
        const QString strip = save(dir, "strip.png", solidStrip({Qt::red, Qt::green, Qt::blue, Qt::gray}, 40, 20));
        QRZRadioButton button;
        button.setImageMode(strip, QString(), true, false);
        QVERIFY(button.imageMode());
        QCOMPARE(button.size(), QSize(40, 20));
        button.show();
        QCOMPARE(at(renderOnBlack(&button), 20, 10), QColor(Qt::red));
        QTest::mouseClick(&button, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
        QVERIFY(button.isChecked());
        // Checked image buttons keep the pressed frame.
        QCOMPARE(at(renderOnBlack(&button), 20, 10), QColor(Qt::blue));
    }
};

QTEST_MAIN(TestBoxes)
#include "tst_boxes.moc"
