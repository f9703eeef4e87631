// Image-framed edits: validator, frame states, the picture's placement, the extra text and
// the step buttons' repeat.
#include "DrawTestSupport.h"

#include "toolkit/QRZBaseRectImageDraw.h"
#include "toolkit/QRZButton.h"
#include "toolkit/QRZLineEdit.h"
#include "toolkit/QRZSpinBox.h"
#include "toolkit/QRZTextEdit.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QTextEdit>
#include <QTimerEvent>
#include <QValidator>

using namespace drawtest;

namespace {
const QColor kFrames[4] = {QColor(200, 40, 40), QColor(40, 200, 40), QColor(40, 40, 200), QColor(120, 120, 120)};
}

class TestEdits : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_strip;
    QString m_frame;

private slots:
    void initTestCase() {
        m_strip = save(m_dir, "strip.png", solidStrip({kFrames[0], kFrames[1], kFrames[2], kFrames[3]}, 30, 30));
        m_frame = save(m_dir, "frame.png", solidStrip({kFrames[0]}, 30, 30));
    }

    void positiveIntegerValidator() {
        QRZLineEdit edit;
        edit.setPositiveIntegerValidator();
        const QValidator* validator = edit.validator();
        QVERIFY(validator != nullptr);
        const struct {
            const char* text;
            bool acceptable;
        } cases[] = {{"10", true},   {"007", true}, {"1", true},   {"0", false},
                     {"000", false}, {"", false},   {"-5", false}, {"1a", false}};
        for (const auto& test : cases) {
            QString text = QString::fromLatin1(test.text);
            int position = 0;
            QCOMPARE(validator->validate(text, position) == QValidator::Acceptable, test.acceptable);
        }
        // A minus sign cannot even be typed.
        QTest::keyClicks(&edit, QStringLiteral("-12"));
        QCOMPARE(edit.text(), QStringLiteral("12"));
    }

    void frameMakesTheEditTransparentOnlyWhenItLoads() {
        QRZLineEdit edit;
        QVERIFY(!edit.setFrameImage(m_dir.filePath("absent.png")));
        QVERIFY(edit.styleSheet().isEmpty());
        QVERIFY(edit.setFrameImage(m_frame));
        QVERIFY(edit.styleSheet().contains(QStringLiteral("background-color:transparent")));
        QCOMPARE(edit.textMargins(), QMargins(3, 0, 2, 0));
        edit.resize(80, 24);
        QCOMPARE(at(render(&edit), 2, 2), kFrames[0]);
    }

    void stripFrameFollowsTheStateAndTheFocusState() {
        QWidget owner;
        owner.resize(60, 30);
        QRZBaseRectImageDraw draw(&owner);
        QVERIFY(draw.setFrameImage(m_strip));
        draw.setFrameIsStrip(true);
        draw.setTextColors(Qt::red, Qt::green, Qt::blue, Qt::gray);
        QEvent enter(QEvent::Enter);
        draw.enter(&enter);
        QCOMPARE(draw.state(), int(QRZBaseRectImageDraw::StateHover));
        QCOMPARE(draw.textColor(), QColor(Qt::green));
        draw.setFocusState(true);
        QCOMPARE(draw.textColor(), QColor(Qt::blue));
        draw.setFocusState(false);
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QCOMPARE(draw.mousePress(&press), 1);
        QCOMPARE(draw.mousePress(&press), 2);
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(5, 5), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        draw.mouseRelease(&release);
        QCOMPARE(draw.state(), int(QRZBaseRectImageDraw::StateNormal));
        owner.setEnabled(false);
        QCOMPARE(draw.mousePress(&press), 0);
        QCOMPARE(draw.state(), int(QRZBaseRectImageDraw::StateDisabled));
    }

    void pictureIsCentredVertically() {
        QTemporaryDir dir;
        QImage icon(16, 16, QImage::Format_ARGB32);
        icon.fill(Qt::yellow);
        QRZLineEdit edit;
        edit.resize(100, 30);
        QVERIFY(edit.setFrameImage(m_frame));
        QVERIFY(edit.setExtraImage(save(dir, "icon.png", icon)));
        edit.setExtraImageRect(QRect(5, -1, 0, 0));
        const QImage image = render(&edit);
        QCOMPARE(edit.extraImageRect(), QRect(5, 7, 16, 16));
        QCOMPARE(at(image, 6, 7), QColor(Qt::yellow));
        QCOMPARE(at(image, 6, 6), kFrames[0]);
        QVERIFY(!edit.setExtraImage(QImage()));
    }

    void extraTextIsRightAlignedInsideTheMargins() {
        QRZLineEditEx edit;
        edit.resize(120, 24);
        QVERIFY(edit.setFrameImage(m_frame));
        edit.setExtraText(QStringLiteral("%"));
        edit.setExtraTextColor(Qt::white);
        edit.setExtraTextMargins(1, 1, 5, 1);
        const QImage image = render(&edit);
        int rightmost = -1;
        for (int x = 0; x < 120; ++x) {
            for (int y = 0; y < 24; ++y) {
                const QColor c = at(image, x, y);
                if (c.green() > 120) { // white text over the red frame
                    rightmost = x;
                }
            }
        }
        QVERIFY(rightmost > 100);
        QVERIFY2(rightmost <= 120 - 1 - 5, qPrintable(QString::number(rightmost)));
    }

    void textEditReportsItsPlainText() {
        QRZTextEdit edit;
        edit.resize(100, 60);
        QVERIFY(edit.setFrameImage(m_frame));
        edit.setTextMargins(1, 2, 2, 1);
        edit.show();
        QSignalSpy changed(&edit, SIGNAL(textChanged(QString)));
        edit.textEdit()->setPlainText(QStringLiteral("two\nlines"));
        QVERIFY(changed.count() >= 1);
        QCOMPARE(changed.last().at(0).toString(), QStringLiteral("two\nlines"));
        QCOMPARE(edit.textEdit()->geometry(), QRect(QPoint(1, 2), QPoint(97, 58)));
    }

    void repeatTickCountIsDeterministic() {
        QWidget owner;
        QRZSpinButtons buttons;
        QVERIFY(buttons.create(&owner, m_strip, m_strip, true));
        buttons.press(&owner, false);
        const int id = buttons.timerId();
        QVERIFY(id != 0);
        int steps = 0;
        for (int tick = 1; tick <= 10; ++tick) {
            const int step = buttons.tick(id);
            if (tick < 7) {
                QCOMPARE(step, 0);
            } else {
                QCOMPARE(step, -1);
            }
            steps += step != 0 ? 1 : 0;
        }
        // Ticks 7 to 10 repeat; the click on release adds the fifth step.
        QCOMPARE(steps, 4);
        buttons.release(&owner);
        QCOMPARE(buttons.tick(id), 0);
    }

    void spinButtonsStepThroughTheirSignals() {
        QRZDoubleSpinBox spin;
        spin.setRange(0, 100);
        spin.setValue(50);
        QVERIFY(spin.setButtonImages(m_strip, m_strip));
        spin.resize(80, 60);
        spin.show();
        QTest::mouseClick(spin.upButton(), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
        QCOMPARE(spin.value(), 51.0);
        QTest::mouseClick(spin.downButton(), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
        QTest::mouseClick(spin.downButton(), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
        QCOMPARE(spin.value(), 49.0);
        // Natural-size layout: the up button at the top, the down button at the bottom.
        QCOMPARE(spin.upButton()->pos(), QPoint(80 - 30, 0));
        QCOMPARE(spin.downButton()->pos(), QPoint(80 - 30, 60 - 30));
        QVERIFY(!spin.setButtonImages(m_dir.filePath("absent.png"), m_strip));
        QVERIFY(spin.upButton() == nullptr);
    }

    void framedSpinEditsReplaceTheirOwnBackground() {
        QRZDoubleSpinBox spin;
        QRZTimeEdit time;
        QVERIFY(!spin.setFrameImage(m_dir.filePath("absent.png")));
        QVERIFY(spin.styleSheet().isEmpty());
        QVERIFY(spin.setFrameImage(m_frame));
        QVERIFY(time.setFrameImage(m_frame));
        // The sheet names the framework class, so that it reaches the edit itself.
        QCOMPARE(spin.styleSheet(), QStringLiteral("QDoubleSpinBox {background-color:transparent;border:none}"));
        QCOMPARE(time.styleSheet(), QStringLiteral("QDateTimeEdit {background-color:transparent;border:none}"));
    }

    void timeEditStepsThroughItsButtons() {
        QRZTimeEdit edit;
        edit.setDisplayFormat(QStringLiteral("hh:mm:ss"));
        edit.setCurrentSection(QDateTimeEdit::SecondSection);
        QVERIFY(edit.setButtonImages(m_strip, m_strip));
        edit.resize(80, 60);
        edit.show();
        QSignalSpy edited(&edit, SIGNAL(emitTimeEdited(QString)));
        QTest::mouseClick(edit.upButton(), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
        QCOMPARE(edit.time(), QTime(0, 0, 1));
        QCOMPARE(edited.count(), 1);
        QTest::mouseClick(edit.downButton(), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
        QCOMPARE(edit.time(), QTime(0, 0, 0));
        QCOMPARE(edited.count(), 2);
        QCOMPARE(edited.last().at(0).toString(), QStringLiteral("00:00:00"));
    }

    void timeEditReportsEditsAndSteps() {
        QRZTimeEdit edit;
        edit.setDisplayFormat(QStringLiteral("hh:mm:ss"));
        QCOMPARE(edit.time(), QTime(0, 0, 0));
        QSignalSpy edited(&edit, SIGNAL(emitTimeEdited(QString)));
        edit.setCurrentSection(QDateTimeEdit::SecondSection);
        edit.stepBy(5);
        QCOMPARE(edited.count(), 1);
        QCOMPARE(edited.at(0).at(0).toString(), QStringLiteral("00:00:05"));
        // Typing goes through the inner line edit's textEdited signal.
        QLineEdit* line = edit.findChild<QLineEdit*>();
        QVERIFY(line != nullptr);
        QVERIFY(QMetaObject::invokeMethod(line, "textEdited", Q_ARG(QString, QStringLiteral("01:00:05"))));
        QCOMPARE(edited.count(), 2);
        QCOMPARE(edited.at(1).at(0).toString(), QStringLiteral("01:00:05"));
    }
};

QTEST_MAIN(TestEdits)
#include "tst_edits.moc"
