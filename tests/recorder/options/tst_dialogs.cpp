// The preferences dialog and pages, the schedule countdown and the toolbar notice,
// driven through their controls on the offscreen platform; stored values are read back
// from the settings file with the DOM.
#include "RecorderTestSupport.h"

#include "app/AppGlobals.h"
#include "app/QRecordAreaInfo.h"
#include "app/SettingsFile.h"
#include "recorder/QPreferencesDlg.h"
#include "recorder/RecordingNotices.h"
#include "tests/support/NextMessageBox.h"
#include "tests/support/PrivateUserFolders.h"
#include "tests/support/ReadOnlyFile.h"
#include "toolkit/QRZButton.h"
#include "toolkit/QRZCheckBox.h"
#include "toolkit/QRZComboBox.h"
#include "toolkit/QRZRadioButton.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace recordertest;

namespace {

QString settingsFile() {
    return dataFolder() + "/VideoDefaultSetting.xml";
}

int64_t microsecondsOfDay(const QTime& time) {
    return int64_t(QTime(0, 0).msecsTo(time)) * 1000;
}

} // namespace

class TestDialogs : public QObject {
    Q_OBJECT

    std::unique_ptr<PrivateUserFolders> m_folders;

private slots:
    void init() { m_folders = std::make_unique<PrivateUserFolders>(); }
    void cleanup() { m_folders.reset(); }

    void preferencesOkWritesOnlyChanges() {
        writeSettingValue("SHOWDOWN_ITEM", "Finished_All_Job", "1");
        QPreferencesDlg dialog;
        QSignalSpy updates(&dialog, &QPreferencesDlg::emitAutoUpdate);
        GeneralWidget* general = dialog.generalPage();
        QVERIFY(general->noUpdateButton()->isChecked());
        QVERIFY(general->exitButton()->isChecked());
        dialog.show();
        keepShot(&dialog, "preferences_general");
        // On and back off before OK: nothing to write, nothing said.
        QTest::mouseClick(general->autoUpdateButton(), Qt::LeftButton, {}, QPoint(5, 8));
        QVERIFY(!general->noUpdateButton()->isChecked());
        QTest::mouseClick(general->noUpdateButton(), Qt::LeftButton, {}, QPoint(5, 8));
        QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
        QVERIFY(dialog.isAccepted());
        QCOMPARE(updates.count(), 0);
        QCOMPARE(storedSetting("UPDATES_ITEM", "bIsAutoUpdate"), QStringLiteral("(none)"));
        QCOMPARE(storedSetting("CLOSE_ITEM", "bIsCloseDlg"), QStringLiteral("(none)"));
        QCOMPARE(storedSetting("SHOWDOWN_ITEM", "Finished_All_Job"), QStringLiteral("1"));

        QPreferencesDlg second;
        QSignalSpy secondUpdates(&second, &QPreferencesDlg::emitAutoUpdate);
        second.show();
        QTest::mouseClick(second.generalPage()->autoUpdateButton(), Qt::LeftButton, {}, QPoint(5, 8));
        QTest::mouseClick(second.generalPage()->minimizeButton(), Qt::LeftButton, {}, QPoint(5, 8));
        second.OnBtnOk();
        QCOMPARE(secondUpdates.count(), 1);
        QCOMPARE(secondUpdates.at(0).at(0).toBool(), true);
        QCOMPARE(storedSetting("UPDATES_ITEM", "bIsAutoUpdate"), QStringLiteral("Y"));
        QCOMPARE(storedSetting("CLOSE_ITEM", "bIsCloseDlg"), QStringLiteral("N"));
        // Any stored close value but "Y" shows "Minimize to Tray".
        writeSettingValue("CLOSE_ITEM", "bIsCloseDlg", "maybe");
        QPreferencesDlg third;
        QVERIFY(third.generalPage()->minimizeButton()->isChecked());
    }

    // A settings file that cannot be written: OK tells the user, the file stays as it was.
    void preferencesThatCannotBeSavedAreTold() {
        QPreferencesDlg prepared; // reading creates the sections once
        const QByteArray before = fileBytes(settingsFile());
        ReadOnlyFile readOnly(settingsFile());
        QVERIFY(readOnly.isReadOnly());
        QPreferencesDlg dialog;
        dialog.show();
        QTest::mouseClick(dialog.generalPage()->autoUpdateButton(), Qt::LeftButton, {}, QPoint(5, 8));
        QString told;
        acceptNextMessage(&told);
        QTest::mouseClick(dialog.okButton(), Qt::LeftButton);
        QCOMPARE(told, QStringLiteral("Your preferences could not be saved."));
        QCOMPARE(fileBytes(settingsFile()), before);
    }

    void preferencesCancelWritesNothing() {
        QPreferencesDlg prepared; // reading creates the sections once
        const QByteArray before = fileBytes(settingsFile());
        QPreferencesDlg dialog;
        dialog.show();
        QTest::mouseClick(dialog.generalPage()->autoUpdateButton(), Qt::LeftButton, {}, QPoint(5, 8));
        dialog.convertPage()->finishedCombo()->setCurrentIndex(2);
        QTest::mouseClick(dialog.cancelButton(), Qt::LeftButton);
        QVERIFY(!dialog.isAccepted());
        QCOMPARE(fileBytes(settingsFile()), before);
        QPreferencesDlg closed;
        closed.show();
        QTest::mouseClick(closed.closeButton(), Qt::LeftButton);
        QVERIFY(!closed.isAccepted());
        QCOMPARE(fileBytes(settingsFile()), before);
    }

    void preferencesPagesAndFolders() {
        QPreferencesDlg dialog;
        dialog.show();
        QAbstractButton* general = dialog.pageButtons().at(0);
        QAbstractButton* convert = dialog.pageButtons().at(1);
        QVERIFY(!general->isEnabled());
        QTest::mouseClick(convert, Qt::LeftButton);
        QTest::mouseClick(convert, Qt::LeftButton); // disabled now: nothing more
        QVERIFY(dialog.convertPage()->isVisible());
        QVERIFY(!dialog.generalPage()->isVisible());
        QVERIFY(!convert->isEnabled());
        QVERIFY(general->isEnabled());
        keepShot(&dialog, "preferences_convert");

        ConvertWidget* page = dialog.convertPage();
        QCOMPARE(page->outputFolder(), ConvertWidget::defaultOutputFolder());
        QTemporaryDir writable;
        QVERIFY(page->takeOutputFolder(writable.path()));
        QCOMPARE(page->outputFolder(), writable.path() + "/");
        // A folder nothing can be written to is ignored.
        QTemporaryDir locked;
        QFile::setPermissions(locked.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        const bool lockedHolds = !isFolderWritable(locked.path() + "/"); // root may write anyway
        if (lockedHolds) {
            QVERIFY(!page->takeOutputFolder(locked.path()));
            QCOMPARE(page->outputFolder(), writable.path() + "/");
        }
        QVERIFY(!page->takeOutputFolder(writable.path() + "/no/such/folder"));
        QVERIFY(!page->takeOutputFolder("/proc")); // read-only even for the superuser
        QCOMPARE(page->outputFolder(), writable.path() + "/");
        QFile::setPermissions(locked.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        page->takeScreenshotFolder("/tmp/shots");
        dialog.OnBtnOk();
        QCOMPARE(getOutputPath(), writable.path() + "/");
        QCOMPARE(getScreenshotPath(), QStringLiteral("/tmp/shots/"));
        QCOMPARE(storedSetting("SHOWDOWN_ITEM", "Finished_All_Job"), QStringLiteral("0"));
    }

    void scheduleStartsOnTime() {
        const QDateTime now = QDateTime::currentDateTime();
        QRecordAreaInfo::instance()->setScheduleStart(microsecondsOfDay(now.time().addSecs(2)));
        QElapsedTimer clock;
        clock.start();
        QScheduleWgt view;
        view.show();
        QSignalSpy start(&view, &QScheduleWgt::emitStartRecord);
        QSignalSpy stop(&view, &QScheduleWgt::emitStopSchedule);
        QTest::mouseClick(view.stopButton(), Qt::LeftButton);
        QCOMPARE(stop.count(), 1);
        QCOMPARE(start.count(), 0);
        keepShot(&view, "schedule_countdown");
        QVERIFY(start.wait(2500));
        QVERIFY(clock.elapsed() >= 900);
        QCOMPARE(start.count(), 1);
    }

    void scheduleTargets() {
        const QDateTime now(QDate(2026, 3, 10), QTime(12, 0, 0, 500));
        // One minute past: tomorrow, about 23:59:00 away.
        const QDateTime past = QScheduleWgt::nextStart(microsecondsOfDay(QTime(11, 59, 0)), now);
        QCOMPARE(past, QDateTime(QDate(2026, 3, 11), QTime(11, 59, 0)));
        QCOMPARE(now.msecsTo(past) / 1000, qint64(23 * 3600 + 59 * 60 - 1));
        // One minute ahead: today.
        QCOMPARE(QScheduleWgt::nextStart(microsecondsOfDay(QTime(12, 1, 0)), now),
                 QDateTime(QDate(2026, 3, 10), QTime(12, 1, 0)));
        // Equal to the millisecond counts as today.
        const QDateTime exact(QDate(2026, 3, 10), QTime(12, 0, 0));
        QCOMPARE(QScheduleWgt::nextStart(microsecondsOfDay(QTime(12, 0, 0)), exact), exact);
        // Out of a day reads as midnight.
        QCOMPARE(QScheduleWgt::nextStart(-5, now).time(), QTime(0, 0));

        const QTime pastTime = QTime::currentTime().addSecs(-60);
        QRecordAreaInfo::instance()->setScheduleStart(microsecondsOfDay(pastTime));
        // The time left shows from the start, not "00:00:00" until the first tick.
        QScheduleWgt view;
        QVERIFY2(view.remainingText().startsWith("23:5"), qPrintable(view.remainingText()));
        QRecordAreaInfo::instance()->setScheduleStart(microsecondsOfDay(QTime::currentTime().addSecs(3600)));
        QScheduleWgt hourAhead;
        QVERIFY2(hourAhead.remainingText().startsWith("00:59"), qPrintable(hourAhead.remainingText()));
    }

    void noticeAnswers() {
        {
            QRecorderMessage notice;
            notice.show();
            keepShot(&notice, "toolbar_notice");
            QTest::mouseClick(notice.okButton(), Qt::LeftButton);
            QVERIFY(!notice.isVisible());
            QVERIFY(notice.isShowAgain());
        }
        QRecorderMessage notice;
        notice.show();
        QTest::mouseClick(notice.noteBox(), Qt::LeftButton, {}, QPoint(5, 8));
        QTest::mouseClick(notice.closeButton(), Qt::LeftButton);
        QVERIFY(!notice.isVisible());
        QVERIFY(!notice.isShowAgain());
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    TestDialogs test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_dialogs.moc"
