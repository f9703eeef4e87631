// Capture-area panel (edits kept on the screen, presets, full screen, blocking by a modal
// dialog, the keep-ratio bracket), the 3-2-1 countdown and the recording toolbar, on the
// virtual desktop with a screenshot of each look.
#include "app/QRecordAreaInfo.h"
#include "recorder/CaptureArea.h"
#include "recorder/QReciprocalDlg.h"
#include "recorder/QRecordingToolbarWgt.h"
#include "recorder/SelectRecordAreaWgt.h"
#include "toolkit/QAudioDataWidget.h"
#include "toolkit/QRZButton.h"
#include "toolkit/QRZComboBox.h"
#include "toolkit/QRZLineEdit.h"

#include "DesktopHelpers.h"
#include "PrivateUserFolders.h"
#include "TestOutput.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

using namespace desktoptest;
using capturearea::ScreenFit;

namespace {

void keep(QWidget* widget, const QString& name) {
    widget->grab().save(testoutput::pngPath(name));
}

// Types into an edit and presses Return, as the user does.
void typeInto(QRZLineEdit* edit, const QString& text) {
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Return);
}

} // namespace

class TestRecorderPanels : public QObject {
    Q_OBJECT

    QRecordAreaInfo* area() { return QRecordAreaInfo::instance(); }

private slots:
    void fittingKeepsTheAreaOnTheScreen() {
        using capturearea::fitSpan;
        QCOMPARE(fitSpan(0, 20, 1920, 50, ScreenFit::ShrinkSize), qMakePair(0, 50));
        QCOMPARE(fitSpan(100, 5000, 1920, 50, ScreenFit::ShrinkSize), qMakePair(100, 1820));
        QCOMPARE(fitSpan(1900, 5000, 1920, 50, ScreenFit::ShrinkSize), qMakePair(1870, 50));
        QCOMPARE(fitSpan(1900, 640, 1920, 60, ScreenFit::MoveOrigin), qMakePair(1280, 640));
        QCOMPARE(fitSpan(-30, 100, 1920, 60, ScreenFit::MoveOrigin), qMakePair(0, 100));
        QCOMPARE(capturearea::fitOnScreen(QRect(1900, 1000, 640, 480), QSize(1920, 1080), 60, ScreenFit::MoveOrigin),
                 QRect(1280, 600, 640, 480));
        QCOMPARE(capturearea::primaryScreenSize(), QSize(1920, 1080));
    }

    void editsKeepTheAreaOnTheScreen() {
        SelectRecordAreaWgt panel;
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        auto* editW = panel.findChild<QRZLineEdit*>("m_editW");
        auto* editH = panel.findChild<QRZLineEdit*>("m_editH");
        QVERIFY(editW && editH);
        QSignalSpy changes(&panel, &SelectRecordAreaWgt::emitAreaChange);

        area()->setAreaOrigin(0, 0);
        area()->setAreaSize(300, 200);
        typeInto(editW, "20");
        QCOMPARE(area()->areaSize(), QSize(50, 200));
        QCOMPARE(editW->text(), QString("50"));
        QCOMPARE(changes.count(), 1);

        area()->setAreaOrigin(100, 0);
        typeInto(editW, "5000");
        QCOMPARE(area()->areaSize().width(), 1820);
        QCOMPARE(area()->areaOrigin(), QPoint(100, 0));

        // Near the right edge the origin moves back so that 50 pixels fit.
        area()->setAreaOrigin(1900, 40);
        typeInto(editW, "5000");
        QCOMPARE(area()->areaSize().width(), 50);
        QCOMPARE(area()->areaOrigin(), QPoint(1870, 40));

        area()->setAreaOrigin(10, 1060);
        typeInto(editH, "abc");
        QCOMPARE(area()->areaSize().height(), 50);
        QCOMPARE(area()->areaOrigin(), QPoint(10, 1030));
        QCOMPARE(changes.count(), 4);
        keep(&panel, "area_panel");
    }

    void presetsAndFullScreen() {
        SelectRecordAreaWgt panel;
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        auto* presets = panel.findChild<QRZComboBox*>("m_cmbAraeCustom");
        QVERIFY(presets);
        const int n = presets->count();
        QCOMPARE(n, 20);
        QSignalSpy changes(&panel, &SelectRecordAreaWgt::emitAreaChange);
        QSignalSpy pick(&panel, &SelectRecordAreaWgt::emitShowPointAreaDlg);

        // A preset moves the origin to (0,0) even when the size is unchanged.
        const QString first = presets->itemText(0);
        const QSize size(first.section('*', 0, 0).toInt(), first.section('*', 1, 1).toInt());
        area()->setAreaOrigin(30, 40);
        area()->setAreaSize(size.width(), size.height());
        panel.SizeItemChange(0);
        QCOMPARE(area()->areaOrigin(), QPoint(0, 0));
        QCOMPARE(area()->areaSize(), size);
        QCOMPARE(presets->toolTip(), first);
        QCOMPARE(changes.count(), 1);

        panel.SizeItemChange(n - 2);
        QCOMPARE(area()->areaSize(), QSize(1920, 1080));
        panel.SizeItemChange(n - 2);
        QCOMPARE(changes.count(), 2);

        panel.SizeItemChange(n - 1);
        QCOMPARE(pick.count(), 1);
        QCOMPARE(changes.count(), 2);

        panel.setSizeFields(0, 0);
        QVERIFY(presets->toolTip().isEmpty());
    }

    void keepRatioAndArea() {
        SelectRecordAreaWgt panel;
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        QSignalSpy ratio(&panel, &SelectRecordAreaWgt::emitKeepScaleChange);
        QSignalSpy areaButton(&panel, &SelectRecordAreaWgt::emitOnShowAreaDlg);
        area()->setKeepRatio(false);
        auto* ratioButton = panel.findChild<QRZBaseButton*>("m_btnKeepRatio");
        QTest::mouseClick(ratioButton, Qt::LeftButton);
        QVERIFY(area()->isKeepRatio());
        QCOMPARE(ratio.count(), 1);
        QCOMPARE(ratio.at(0).at(0).toBool(), true);
        // The bracket joins the two edits through the button's centre column.
        const QImage image = panel.grab().toImage();
        auto* editW = panel.findChild<QRZLineEdit*>("m_editW");
        const int column = ratioButton->x() + ratioButton->width() / 2;
        const int row = editW->y() + editW->height() / 2 + 4;
        QCOMPARE(image.pixelColor(column, row), QColor(180, 180, 180));
        keep(&panel, "area_panel_keep_ratio");
        QTest::mouseClick(ratioButton, Qt::LeftButton);
        QVERIFY(!area()->isKeepRatio());
        QCOMPARE(panel.grab().toImage().pixelColor(column, row), QColor(74, 72, 72));

        QTest::mouseClick(panel.findChild<QRZBaseButton*>("m_btnAddArea"), Qt::LeftButton);
        QCOMPARE(areaButton.count(), 1);
        panel.setAttention(true);
        QVERIFY(panel.findChild<QRZBaseButton*>("m_btnAddArea")->isBlinking());
        panel.setAttention(false);
        QVERIFY(!panel.findChild<QRZBaseButton*>("m_btnAddArea")->isBlinking());
    }

    void blockedUnderAModalDialog() {
        SelectRecordAreaWgt panel;
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        QVERIFY(!panel.isBlocked());
        bool blockedMeanwhile = false;
        QDialog dialog;
        QTimer::singleShot(0, [&]() {
            QVERIFY(waitFor([&]() { return panel.isBlocked(); }));
            blockedMeanwhile = panel.isBlocked();
            dialog.accept();
        });
        dialog.exec();
        QVERIFY(blockedMeanwhile);
        QVERIFY(waitFor([&]() { return !panel.isBlocked(); }));
    }

    void countdownShowsThreeTwoOne() {
        QReciprocalDlg countdown;
        QCOMPARE(countdown.size(), QSize(300, 190));
        QCOMPARE(countdown.windowTitle(), QString("Calvorine Screen Recorder"));
        QCOMPARE(countdown.shownDigit(), 0);
        QVector<int> digits;
        QStringList kept;
        QTimer sampler;
        connect(&sampler, &QTimer::timeout, [&]() {
            const int digit = countdown.shownDigit();
            if (countdown.isVisible() && (digits.isEmpty() || digits.last() != digit)) {
                digits << digit;
                const QString name = QString("countdown_%1").arg(digit);
                keep(&countdown, name);
            }
        });
        sampler.start(5);
        QElapsedTimer clock;
        clock.start();
        countdown.exec();
        const qint64 elapsed = clock.elapsed();
        sampler.stop();
        QCOMPARE(digits, QVector<int>({0, 3, 2, 1}));
        QCOMPARE(countdown.counter(), 0);
        QVERIFY(!countdown.isVisible());
        // Thirty ticks of 100 ms.
        QVERIFY2(elapsed >= 2900, qPrintable(QString::number(elapsed)));

        // The digit at each tick: none before the first, then ten ticks each.
        QReciprocalDlg ticks;
        QVector<int> shown;
        for (int i = 0; i < 30; ++i) {
            ticks.OnReciprocalCount();
            shown << ticks.shownDigit();
        }
        QCOMPARE(shown.mid(0, 10), QVector<int>(10, 3));
        QCOMPARE(shown[10], 2);
        QCOMPARE(shown[20], 1);
        QCOMPARE(shown.last(), 0);
        QVERIFY(!ticks.isVisible());
    }

    void toolbarTimeAndLayout() {
        QCOMPARE(QRecordingToolbarWgt::elapsedText(3723000000ULL), QString("01:02:03"));
        QCOMPARE(QRecordingToolbarWgt::elapsedText(100ULL * 3600 * 1000000), QString("100:00:00"));
        QCOMPARE(QRecordingToolbarWgt::elapsedText(999999), QString("00:00:00"));
        // Past 24 days of milliseconds (beyond a 32-bit count).
        QCOMPARE(QRecordingToolbarWgt::elapsedText(700ULL * 3600 * 1000000), QString("700:00:00"));

        QRecordingToolbarWgt toolbar;
        toolbar.show();
        QVERIFY(QTest::qWaitForWindowExposed(&toolbar));
        auto* play = toolbar.findChild<QRZBaseButton*>("m_btnPlay");
        auto* pause = toolbar.findChild<QRZBaseButton*>("m_btnPause");
        auto* stop = toolbar.findChild<QRZBaseButton*>("m_btnStop");
        auto* cut = toolbar.findChild<QRZBaseButton*>("m_btnCut");
        auto* time = toolbar.findChild<QLabel*>("m_labTime");
        QVERIFY(play && pause && stop && cut && time);
        toolbar.RecordTime(3723000000ULL);
        QCOMPARE(time->text(), QString("01:02:03"));

        // Video mode: no level display, buttons centred in the whole height.
        QVERIFY(!toolbar.levelDisplay()->isVisible());
        QCOMPARE(stop->y(), (toolbar.height() - stop->height()) / 2);
        QCOMPARE(stop->x(), play->x() + play->width() + 17);
        QCOMPARE(cut->x(), stop->x() + stop->width() + 17);
        QCOMPARE(time->geometry().right(), toolbar.width() - 18);
        keep(&toolbar, "toolbar_video");

        toolbar.setRunning(true);
        QVERIFY(pause->isVisible());
        QVERIFY(!play->isVisible());

        QSignalSpy pauses(&toolbar, &QRecordingToolbarWgt::emitPauseRecord);
        QSignalSpy resumes(&toolbar, &QRecordingToolbarWgt::emitContinueRecord);
        QSignalSpy stops(&toolbar, &QRecordingToolbarWgt::emitStopRecord);
        QSignalSpy cuts(&toolbar, &QRecordingToolbarWgt::emitCutRecord);
        QTest::mouseClick(pause, Qt::LeftButton);
        QTest::mouseClick(cut, Qt::LeftButton);
        QTest::mouseClick(stop, Qt::LeftButton);
        toolbar.setRunning(false);
        QTest::mouseClick(play, Qt::LeftButton);
        QCOMPARE(pauses.count() + resumes.count() + stops.count() + cuts.count(), 4);
        QCOMPARE(pauses.count(), 1);
        QCOMPARE(resumes.count(), 1);

        // Audio mode: the level display on top, the buttons below it.
        toolbar.setVideoMode(false);
        QAudioDataWidget* levels = toolbar.levelDisplay();
        QVERIFY(levels->isVisible());
        QCOMPARE(levels->geometry(), QRect(7, 0, toolbar.width() - 14, 45));
        QCOMPARE(stop->y(), 45 + (toolbar.height() - stop->height() - 45) / 2);
        QCOMPARE(levels->barCount(), (toolbar.width() - 14 + 2) / 13);
        keep(&toolbar, "toolbar_audio");
    }
};

int main(int argc, char** argv) {
    PrivateUserFolders folders;
    QApplication app(argc, argv);
    TestRecorderPanels test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_recorder_panels.moc"
