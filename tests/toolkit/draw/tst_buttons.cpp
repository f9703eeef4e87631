// Strip-drawn buttons: the frame shown in each state, text colours, the badge, the extended
// button's fitted picture and the in-view style button.
#include "DrawTestSupport.h"

#include "toolkit/QRZButton.h"

#include <QApplication>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QStyleOptionButton>
#include <QTest>

using namespace drawtest;

Q_DECLARE_METATYPE(QMouseEvent*)

namespace {
const QColor kNormal(200, 40, 40);
const QColor kHover(40, 200, 40);
const QColor kPressed(40, 40, 200);
const QColor kDisabled(120, 120, 120);

void sendCrossing(QWidget* widget, QEvent::Type type) {
    QEvent event(type);
    QApplication::sendEvent(widget, &event);
}

QColor centre(QWidget* widget) {
    const QImage image = render(widget);
    return at(image, image.width() / 2, image.height() / 2);
}
} // namespace

class TestButtons : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_strip;

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        qRegisterMetaType<QMouseEvent*>();
        m_strip = save(m_dir, "strip.png", solidStrip({kNormal, kHover, kPressed, kDisabled}, 100, 30));
    }

    void setImageResizesToOneFrame() {
        QRZBaseButton button;
        button.resize(10, 10);
        QVERIFY(button.setImage(m_strip, true));
        QCOMPARE(button.size(), QSize(100, 30));
        QVERIFY(button.hasImage());
    }

    void missingOrBrokenStripChangesNothing() {
        QFile broken(m_dir.filePath("broken.png"));
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write("garbage");
        broken.close();
        QRZBaseButton button;
        button.resize(33, 44);
        QVERIFY(!button.setImage(broken.fileName(), true));
        QVERIFY(!button.setImage(m_dir.filePath("absent.png"), true));
        QCOMPARE(button.size(), QSize(33, 44));
        QVERIFY(!button.hasImage());
        // With a strip set, a failing call keeps it.
        QVERIFY(button.setImage(m_strip, true));
        QVERIFY(!button.setImage(broken.fileName(), true));
        QVERIFY(button.hasImage());
        QCOMPARE(button.size(), QSize(100, 30));
    }

    void eachStateShowsItsFrame() {
        QRZBaseButton button;
        button.setImage(m_strip, true);
        button.show();
        QCOMPARE(centre(&button), kNormal);
        sendCrossing(&button, QEvent::Enter);
        QCOMPARE(button.state(), int(QRZBaseButtonDraw::StateHover));
        QCOMPARE(centre(&button), kHover);
        sendMouse(&button, QEvent::MouseButtonPress, QPoint(10, 10));
        QCOMPARE(centre(&button), kPressed);
        sendMouse(&button, QEvent::MouseButtonRelease, QPoint(10, 10));
        // After a click the button shows its normal frame until the mouse re-enters.
        QCOMPARE(button.state(), int(QRZBaseButtonDraw::StateNormal));
        QCOMPARE(centre(&button), kNormal);
        sendCrossing(&button, QEvent::Leave);
        sendCrossing(&button, QEvent::Enter);
        QCOMPARE(centre(&button), kHover);
        button.setEnabled(false);
        QCOMPARE(centre(&button), kDisabled);
        button.setEnabled(true);
        QCOMPARE(centre(&button), kNormal);
    }

    void checkedShowsThePressedFrameWhateverTheMouseDoes() {
        QRZBaseButton button;
        button.setImage(m_strip, true);
        button.setTextColors(Qt::red, Qt::green, Qt::blue, Qt::gray);
        button.setCheckable(true);
        button.setChecked(true);
        button.show();
        QCOMPARE(centre(&button), kPressed);
        QCOMPARE(button.currentTextColor(), QColor(Qt::blue));
        sendCrossing(&button, QEvent::Enter);
        QCOMPARE(centre(&button), kPressed);
        sendCrossing(&button, QEvent::Leave);
        QCOMPARE(centre(&button), kPressed);
        button.setChecked(false);
        QCOMPARE(centre(&button), kNormal);
        QCOMPARE(button.currentTextColor(), QColor(Qt::red));
    }

    void mouseSignalsCarryThePressPosition() {
        QRZBaseButton button;
        button.resize(80, 30);
        button.show();
        QSignalSpy down(&button, SIGNAL(mouseDown(QMouseEvent*, int)));
        QSignalSpy released(&button, SIGNAL(mouseRelease(QMouseEvent*, int)));
        QSignalSpy moved(&button, SIGNAL(mouseMove(QMouseEvent*, int)));
        QSignalSpy clicked(&button, SIGNAL(clicked()));
        // Without a strip the button still reports its mouse.
        sendMouse(&button, QEvent::MouseButtonPress, QPoint(17, 5));
        QCOMPARE(down.count(), 1);
        QCOMPARE(down.at(0).at(1).toInt(), 17);
        QMouseEvent move(QEvent::MouseMove, QPoint(20, 5), button.mapToGlobal(QPoint(20, 5)), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&button, &move);
        QCOMPARE(moved.count(), 1);
        sendMouse(&button, QEvent::MouseButtonRelease, QPoint(20, 5));
        QCOMPARE(released.count(), 1);
        QCOMPARE(clicked.count(), 1);
        // The right button is not the button's business.
        sendMouse(&button, QEvent::MouseButtonPress, QPoint(17, 5), Qt::RightButton);
        QCOMPARE(down.count(), 1);
    }

    void blinkAlternatesHoverAndPressedFrames() {
        QRZBaseButton button;
        button.setImage(m_strip, true);
        button.show();
        button.startBlink(20);
        QVERIFY(button.isBlinking());
        // Phase not set yet: the pressed frame lies over the state frame.
        QCOMPARE(centre(&button), kPressed);
        QTRY_COMPARE_WITH_TIMEOUT(centre(&button), kHover, 5000);
        button.stopBlink();
        QVERIFY(!button.isBlinking());
        QCOMPARE(centre(&button), kNormal);
    }

    void badgeCapsAtNinetyNinePlus() {
        QRZBaseButton button;
        button.setImage(m_strip, true);
        button.setBadgeCount(100);
        const QImage hundred = render(&button);
        button.setBadgeCount(250);
        const QImage many = render(&button);
        button.setBadgeCount(99);
        const QImage ninetyNine = render(&button);
        button.setBadgeCount(0);
        const QImage none = render(&button);
        QCOMPARE(hundred, many);
        QVERIFY(hundred != ninetyNine);
        // The badge sits in the top-right 20x20 corner in its orange fill.
        QCOMPARE(at(hundred, 90, 3), QColor(255, 120, 0));
        QCOMPARE(at(none, 90, 3), kNormal);
        QCOMPARE(at(hundred, 10, 25), kNormal);
        button.addItemCount();
        QCOMPARE(button.badgeCount(), 1);
    }

    void textStaysInsideItsRectangle() {
        QRZBaseButton button;
        button.setImage(m_strip, true);
        button.setText(QStringLiteral("A label far too long for the space it is given"));
        button.setTextColors(Qt::white, Qt::white, Qt::white, Qt::white);
        button.setTextRect(QRect(10, 0, 40, 30));
        const QImage image = render(&button);
        bool drawn = false;
        for (int y = 0; y < 30; ++y) {
            for (int x = 0; x < 100; ++x) {
                if (at(image, x, y) != kNormal) {
                    drawn = true;
                    QVERIFY2(x >= 10 && x < 50, qPrintable(QStringLiteral("text at x %1").arg(x)));
                }
            }
        }
        QVERIFY(drawn);
    }

    void zeroWidthTextRectangleEndsAtTheButtonLessTheIcon() {
        QRZBaseButton button;
        button.setImage(m_strip, true);
        QImage icon(30, 30, QImage::Format_ARGB32);
        icon.fill(Qt::black);
        QVERIFY(button.setIconImage(icon));
        button.setIconRect(QRect(0, 0, 30, 30));
        button.setText(QStringLiteral("WWWWWWWWWWWWWWWWWWWWWWWWWWWWWW"));
        button.setTextColors(Qt::white, Qt::white, Qt::white, Qt::white);
        // Text from x 40: the width becomes 100 - 30, reaching past the right edge.
        button.setTextRect(QRect(40, 0, 0, 30));
        const QImage image = render(&button);
        bool drawn = false;
        for (int y = 0; y < 30; ++y) {
            for (int x = 30; x < 40; ++x) {
                QCOMPARE(at(image, x, y), kNormal);
            }
            for (int x = 40; x < 100; ++x) {
                drawn = drawn || at(image, x, y) != kNormal;
            }
            QCOMPARE(at(image, 5, y), QColor(Qt::black));
        }
        QVERIFY(drawn);
    }

    void extendedButtonFitsItsPicture() {
        QCOMPARE(QRZButtonExtend::fittedPictureRect(QRect(0, 0, 100, 100), QSize(200, 100)), QRect(0, 25, 100, 50));
        QCOMPARE(QRZButtonExtend::fittedPictureRect(QRect(0, 0, 100, 100), QSize(50, 100)), QRect(25, 0, 50, 100));
        QCOMPARE(QRZButtonExtend::fittedPictureRect(QRect(10, 10, 60, 60), QSize(30, 30)), QRect(10, 10, 60, 60));

        QRZButtonExtend button;
        button.resize(100, 100);
        QImage picture(200, 100, QImage::Format_ARGB32);
        picture.fill(Qt::yellow);
        button.setBackgroundColor(Qt::black);
        QVERIFY(button.setImage(QRect(0, 0, 100, 100), picture));
        const QImage image = render(&button);
        QCOMPARE(at(image, 50, 10), QColor(Qt::black));
        QCOMPARE(at(image, 50, 50), QColor(Qt::yellow));
        QCOMPARE(at(image, 50, 90), QColor(Qt::black));
        QVERIFY(!button.setImage(QRect(0, 0, 10, 10), QImage()));
        QVERIFY(!button.hasPicture());
        QVERIFY(!button.setImageData(QRect(0, 0, 10, 10), std::string("not an image")));
        QVERIFY(!button.setImage(QRect(0, 0, 10, 10), QString()));
    }

    void styleButtonFallsBackToItsNormalStrip() {
        QRZStyleButton button;
        QVERIFY(!button.setImages(m_dir.filePath("absent.png"), m_strip));
        QVERIFY(button.setImages(m_strip, m_dir.filePath("absent.png")));
        QCOMPARE(button.size(), QSize(100, 30));
        button.setSelected(true);
        QCOMPARE(button.delegateStyle()->image(), QImage(m_strip));
        QSignalSpy clicks(&button, SIGNAL(emitClickIndex(QModelIndex)));
        button.clickIndex(QModelIndex());
        QCOMPARE(clicks.count(), 1);
    }

    void delegateStylePicksTheFrameFromTheOptionState() {
        QRZStyleButton button;
        QVERIFY(button.setImages(m_strip, m_strip));
        QImage canvas(100, 30, QImage::Format_ARGB32);
        QStyleOptionButton option;
        option.rect = QRect(0, 0, 100, 30);
        const struct {
            QStyle::State state;
            QColor expected;
        } cases[] = {
            {QStyle::State_Enabled, kNormal},
            {QStyle::State_Enabled | QStyle::State_MouseOver, kHover},
            {QStyle::State_Enabled | QStyle::State_Sunken, kPressed},
            {QStyle::State_None, kDisabled},
        };
        for (const auto& test : cases) {
            canvas.fill(Qt::black);
            option.state = test.state;
            QPainter painter(&canvas);
            button.delegateStyle()->drawControl(QStyle::CE_PushButton, &option, &painter, &button);
            painter.end();
            QCOMPARE(at(canvas, 50, 15), test.expected);
        }
    }
};

QTEST_MAIN(TestButtons)
#include "tst_buttons.moc"
