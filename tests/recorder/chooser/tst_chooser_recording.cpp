// The chooser on the virtual desktop: the selected tile's Settings button as the screen
// shows it (xdotool, ImageMagick), and a format chosen in the chooser is what a recording
// is made in: profile 4002 with H.265 kept through a change of resolution, and Mono
// through a change of audio codec, records HEVC and one-channel sound into Matroska
// (ffprobe judges the file).
#include "ChooserTestSupport.h"

#include "app/AppGlobals.h"
#include "app/QRecordAreaInfo.h"
#include "app/SettingsFile.h"
#include "media/OutputFormatSetting.h"
#include "media/QRecordObject.h"
#include "recorder/CurrentFormat.h"
#include "tests/media/recording_test_support.h"
#include "tests/support/DesktopHelpers.h"
#include "tests/support/TestOutput.h"
#include "toolkit/QRZButton.h"

#include <QApplication>
#include <QElapsedTimer>

using namespace choosertest;

namespace {

// Pixels of the rectangle brighter than any tile colour: the Settings button's near-white
// lines (the tiles themselves are dark greys).
int brightPixels(const QImage& screen, const QRect& rect) {
    int count = 0;
    const QRect inside = rect & screen.rect();
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x) {
            count += qGray(screen.pixel(x, y)) > 160;
        }
    }
    return count;
}

} // namespace

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

    // A click on a tile selects it and shows its Settings button at its top right, where
    // a click slides the settings panel up; a tile under the mouse that is not selected
    // shows none.
    void theSelectedTileShowsItsSettingsButton() {
        QFormatDlg::releaseInstance();
        QFormatDlg* dialog = QFormatDlg::getInstance(nullptr);
        dialog->loadDefaultFormat(true);
        QVERIFY(desktoptest::activate(dialog));
        QRZListView* list = dialog->listView();
        const QModelIndex mov = tileOf(dialog, 4001);
        const QModelIndex webm = tileOf(dialog, 4003);
        QVERIFY(mov.isValid() && webm.isValid());
        auto onScreen = [list](const QModelIndex& index) {
            const QRect tile = list->visualRect(index);
            return QRect(list->viewport()->mapToGlobal(tile.topLeft()), tile.size());
        };
        QRZStyleButton* button = dialog->settingsButton();
        QVERIFY(button->width() > 0 && button->height() > 0);
        auto buttonOn = [&](const QModelIndex& index) {
            return QRect(onScreen(index).topLeft() + QPoint(126 - button->width(), 2), button->size());
        };

        QVERIFY(desktoptest::click(onScreen(mov).center()));
        QTRY_COMPARE(chunkOfIndex(list->currentIndex())->intA(), 4001);
        QTest::qWait(100); // the repaint after the click
        QImage screen = desktoptest::screenshot(testoutput::pngPath("format_tile_selected_settings_button"));
        QVERIFY(!screen.isNull());
        QVERIFY2(brightPixels(screen, buttonOn(mov)) > 10, "no Settings button on the selected tile");

        QVERIFY(desktoptest::moveTo(onScreen(webm).center()));
        QTest::qWait(100);
        screen = desktoptest::screenshot(testoutput::pngPath("format_tile_hovered_not_selected"));
        QVERIFY(!screen.isNull());
        QCOMPARE(brightPixels(screen, buttonOn(webm)), 0);

        QVERIFY(!dialog->isSettingPanelOpen());
        QVERIFY(desktoptest::click(buttonOn(mov).center()));
        QTRY_COMPARE(dialog->settingPanel()->geometry(), QRect(21, 271, 648, 88));
        QCOMPARE(chunkOfIndex(list->currentIndex())->intA(), 4001);
        desktoptest::screenshot(testoutput::pngPath("format_tile_settings_panel_open"));
        dialog->OnBtnCancel();
        QFormatDlg::releaseInstance();
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
