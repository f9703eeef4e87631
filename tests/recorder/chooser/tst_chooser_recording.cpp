// A format chosen in the chooser is what a recording is made in: profile 4002 with
// H.265 kept through a change of resolution, and Mono through a change of audio codec,
// records HEVC and one-channel sound into Matroska (ffprobe judges the file).
#include "ChooserTestSupport.h"

#include "app/AppGlobals.h"
#include "app/QRecordAreaInfo.h"
#include "app/SettingsFile.h"
#include "media/OutputFormatSetting.h"
#include "media/QRecordObject.h"
#include "recorder/CurrentFormat.h"
#include "tests/media/recording_test_support.h"

#include <QApplication>
#include <QElapsedTimer>

using namespace choosertest;

class TestChooserRecording : public QObject {
    Q_OBJECT

    QTemporaryDir m_out;

private slots:
    void initTestCase() {
        QVERIFY(m_out.isValid());
        setFormatCatalogueProblemHandler([](const QString& message) { QFAIL(qPrintable(message)); });
        initFormatNameGlobals();
    }
    void cleanupTestCase() {
        g_currentFormat = nullptr;
        QFormatDlg::releaseInstance();
        freeFormatNameGlobals();
    }

    void profile4002RecordsWhatWasChosen() {
        writeSettingValue("FormatSet", "Video_Id", "4002");
        QFormatDlg* dialog = QFormatDlg::getInstance(nullptr);
        dialog->loadDefaultFormat(true);
        QFormatSettingDlg* panel = dialog->settingPanel();
        QCOMPARE(panel->profileId(), QStringLiteral("4002"));
        QVERIFY(choose(panel->videoEncoderCombo(), "H265", true));
        QVERIFY(choose(panel->resolutionCombo(), "854*480", false));
        QVERIFY(choose(panel->channelCombo(), "1", true));
        QVERIFY(choose(panel->audioEncoderCombo(), "MP3", true));
        dialog->OnBtnOk();
        g_currentFormat = g_storedVideoFormat;

        QRecordAreaInfo* area = QRecordAreaInfo::instance();
        area->setAreaOrigin(0, 0);
        area->setAreaSize(320, 240);
        area->setAudioSource(QRecordAreaInfo::SystemSound, true);
        area->setDevicePresent(QRecordAreaInfo::SystemSound, true);
        area->setCursorOption(QRecordAreaInfo::ShowCursor, false);
        area->setCursorOption(QRecordAreaInfo::HighlightCursor, false);
        area->setCursorOption(QRecordAreaInfo::HighlightClicks, false);

        const QString file = m_out.filePath("REC_chosen.mkv");
        {
            QRecordObject recorder;
            QVERIFY(recorder.startRecord(file, 100.0f, true));
            QElapsedTimer clock;
            clock.start();
            QTRY_VERIFY_WITH_TIMEOUT(clock.elapsed() >= 1000, 3000);
            recorder.stopRecord();
        }
        const recording_test::Probe probed = recording_test::probe(file);
        QVERIFY2(probed.ok, "ffprobe could not read the recording");
        QCOMPARE(probed.codec("video"), QStringLiteral("hevc"));
        QCOMPARE(probed.codec("audio"), QStringLiteral("mp3"));
        QCOMPARE(probed.stream("audio")->value("channels").toInt(), 1);
        QCOMPARE(probed.stream("video")->value("width").toInt(), 854);
        const recording_test::Output format =
            recording_test::run("ffprobe", {"-v", "error", "-show_entries", "format=format_name", "-of",
                                            "default=noprint_wrappers=1:nokey=1", file});
        QVERIFY2(format.out.contains("matroska"), format.out.constData());
    }
};

int main(int argc, char** argv) {
    recording_test::PrivateHome home;
    QApplication app(argc, argv);
    TestChooserRecording test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_chooser_recording.moc"
