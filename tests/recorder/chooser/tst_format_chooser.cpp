// The output-format chooser on the offscreen platform: first start, OK and Cancel as
// the files see them, presets, search, category filter, the list records, and the
// custom panel keeping the user's codec and channel choices.
#include "ChooserTestSupport.h"

#include "app/AppGlobals.h"
#include "app/FormatSettingFile.h"
#include "app/SettingsFile.h"
#include "media/OutputFormatSetting.h"
#include "recorder/CurrentFormat.h"
#include "tests/recorder/options/RecorderTestSupport.h"
#include "tests/support/NextMessageBox.h"
#include "tests/support/PrivateUserFolders.h"
#include "tests/support/ReadOnlyFile.h"
#include "toolkit/QRZButton.h"
#include "toolkit/QRZLineEdit.h"

#include <QApplication>
#include <QDir>
#include <QSignalSpy>
#include <memory>

using namespace choosertest;
using namespace recordertest;

namespace {

QString settingsFile() {
    return dataFolder() + "/VideoDefaultSetting.xml";
}
QString formatFile() {
    return dataFolder() + "/VideoDefaultFormatSetting.xml";
}

} // namespace

class TestFormatChooser : public QObject {
    Q_OBJECT

    std::unique_ptr<PrivateUserFolders> m_folders;

    QFormatDlg* freshChooser(bool video) {
        QFormatDlg::releaseInstance();
        QFormatDlg* dialog = QFormatDlg::getInstance(nullptr);
        dialog->loadDefaultFormat(video);
        return dialog;
    }

private slots:
    void initTestCase() {
        setFormatCatalogueProblemHandler([](const QString& message) { QFAIL(qPrintable(message)); });
    }
    // Each case starts with no settings at all.
    void init() {
        m_folders = std::make_unique<PrivateUserFolders>();
        initFormatNameGlobals();
    }
    void cleanup() {
        QFormatDlg::releaseInstance();
        freeFormatNameGlobals();
        m_folders.reset();
    }

    void firstStartShowsTheDefaultFormats() {
        QFormatDlg* dialog = freshChooser(true);
        QWidget laterParent;
        QCOMPARE(QFormatDlg::getInstance(&laterParent), dialog); // later parents change nothing
        QCOMPARE(dialog->categoryBar()->checkedButton()->text(), QStringLiteral("General Video"));
        QCOMPARE(chunkOfIndex(dialog->listView()->currentIndex())->intA(), 4000);
        QCOMPARE(dialog->settingPanel()->profileId(), QStringLiteral("4000"));
        QCOMPARE(dialog->qualityCombo()->currentIndex(), 0);
        QCOMPARE(dialog->qualityCombo()->count(), 2); // no custom record: no "Customized"
        QVERIFY(!shownTitles(dialog).contains("MP3"));
        dialog->show();
        keepShot(dialog, "format_chooser");

        dialog = freshChooser(false);
        QVERIFY(!dialog->isVideoMode());
        QCOMPARE(dialog->categoryBar()->checkedButton()->text(), QStringLiteral("General Audio"));
        QCOMPARE(dialog->settingPanel()->profileId(), QStringLiteral("5000"));
        for (QRZBaseButton* button : dialog->categoryBar()->buttons())
            QCOMPARE(button->isVisibleTo(dialog), button->text() == "General Audio");
        QVERIFY(shownTitles(dialog).contains("MP3"));
        // An audio-only profile shows its Audio tab alone.
        QVERIFY(!dialog->settingPanel()->videoTab()->isVisibleTo(dialog->settingPanel()));
        QVERIFY(dialog->settingPanel()->audioTab()->isChecked());
    }

    void okStoresTheChoiceAndCancelStoresNothing() {
        QFormatDlg* dialog = freshChooser(true);
        const QByteArray settingsBefore = fileBytes(settingsFile());
        const QByteArray formatsBefore = fileBytes(formatFile());
        dialog->show();
        dialog->qualityCombo()->setCurrentIndex(1);
        dialog->listView()->setCurrentIndex(tileOf(dialog, 4001));
        dialog->OnBtnCancel();
        QVERIFY(!dialog->isVisible());
        QCOMPARE(fileBytes(settingsFile()), settingsBefore);
        QCOMPARE(fileBytes(formatFile()), formatsBefore);

        dialog = freshChooser(true);
        dialog->show();
        dialog->qualityCombo()->setCurrentIndex(1);
        QTest::mouseClick(dialog->closeButton(), Qt::LeftButton);
        QVERIFY(!dialog->isVisible());
        QCOMPARE(fileBytes(settingsFile()), settingsBefore);
        QCOMPARE(fileBytes(formatFile()), formatsBefore);

        // OK without any change still stores the panel's values as the custom record.
        dialog = freshChooser(true);
        dialog->show();
        QTest::mouseClick(dialog->okButton(), Qt::LeftButton);
        QVERIFY(!dialog->isVisible());
        QVERIFY(readFormatSetting("4000").has_value());
        QCOMPARE(readFormatAttribute("4000", "QUALITY_VALUE"), QStringLiteral("0"));
        QCOMPARE(storedSetting("FormatSet", "Video_Id"), QStringLiteral("4000"));
        QCOMPARE(storedSetting("FormatSet", "Video_Categories"), QStringLiteral("General Video"));
        QCOMPARE(videoFormatName()->id, QStringLiteral("4000"));
        dialog = freshChooser(true);
        QCOMPARE(dialog->qualityCombo()->count(), 3);

        // Another profile at small size.
        dialog->listView()->setCurrentIndex(tileOf(dialog, 4003));
        dialog->qualityCombo()->setCurrentIndex(1);
        dialog->OnBtnOk();
        QCOMPARE(storedSetting("FormatSet", "Video_Id"), QStringLiteral("4003"));
        QCOMPARE(readFormatAttribute("4003", "QUALITY_VALUE"), QStringLiteral("1"));
        QCOMPARE(videoFormatName()->title, QStringLiteral("WebM (VP9)"));
        QCOMPARE(g_storedVideoFormat->extension, QStringLiteral("webm"));
    }

    // Settings files that cannot be written: OK tells the user; the files stay as they were.
    void okThatCannotBeSavedIsTold() {
        QFormatDlg* dialog = freshChooser(true);
        QVERIFY(writeFormatAttribute("4000", "QUALITY_VALUE", "0")); // both files exist
        const QByteArray settingsBefore = fileBytes(settingsFile());
        const QByteArray formatsBefore = fileBytes(formatFile());
        ReadOnlyFile settings(settingsFile());
        ReadOnlyFile formats(formatFile());
        QVERIFY(settings.isReadOnly() && formats.isReadOnly());
        dialog->show();
        dialog->listView()->setCurrentIndex(tileOf(dialog, 4003));
        QString told;
        acceptNextMessage(&told);
        dialog->OnBtnOk();
        QCOMPARE(told, QStringLiteral("The output format could not be saved."));
        QCOMPARE(fileBytes(settingsFile()), settingsBefore);
        QCOMPARE(fileBytes(formatFile()), formatsBefore);
    }

    // An id no tile carries leaves no current tile; OK then stores nothing and the
    // format stays.
    void okWithoutAProfileStoresNothing() {
        writeSettingValue("FormatSet", "Video_Id", "4999");
        QFormatDlg* dialog = freshChooser(true);
        QVERIFY(!dialog->listView()->currentIndex().isValid());
        QVERIFY(!dialog->settingPanel()->hasProfile());
        const QByteArray settingsBefore = fileBytes(settingsFile());
        const QByteArray formatsBefore = fileBytes(formatFile());
        dialog->OnBtnOk();
        QCOMPARE(fileBytes(settingsFile()), settingsBefore);
        QCOMPARE(fileBytes(formatFile()), formatsBefore);
    }

    void presets() {
        // Without the "auto" flag the presets choose the small or the high bit rate.
        QFormatDlg* dialog = freshChooser(false);
        QFormatSettingDlg* panel = dialog->settingPanel();
        QVERIFY(!panel->qualityCombo()->isEnabled());
        QCOMPARE(panel->audioBitRateCombo()->currentText(), QStringLiteral("192 kbps"));
        dialog->qualityCombo()->setCurrentIndex(1);
        dialog->qualityCombo()->setCurrentIndex(0);
        QCOMPARE(panel->audioBitRateCombo()->currentText(), QStringLiteral("192 kbps"));

        // With it, both presets put every combo on its first row ("Auto").
        dialog = freshChooser(true);
        panel = dialog->settingPanel();
        QVERIFY(panel->qualityCombo()->isEnabled());
        dialog->qualityCombo()->setCurrentIndex(1);
        for (QRZComboBox* combo : {panel->videoEncoderCombo(), panel->resolutionCombo(), panel->videoBitRateCombo(),
                                   panel->qualityCombo(), panel->channelCombo()})
            QCOMPARE(combo->currentIndex(), 0);
        QCOMPARE(panel->videoEncoderCombo()->currentText(), QStringLiteral("Auto"));

        // Customized without a custom record counts as high quality.
        dialog->applyQualityMode(QualityCustomized);
        QCOMPARE(panel->videoEncoderCombo()->currentIndex(), 0);
        QCOMPARE(dialog->qualityCombo()->currentIndex(), 0);

        // A bit rate resets the quality to "Auto" and a quality resets the bit rate; a
        // user's change moves the preset to "Customized".
        QVERIFY(choose(panel->qualityCombo(), "70 %", false));
        QCOMPARE(panel->videoBitRateCombo()->currentIndex(), 0);
        QCOMPARE(dialog->qualityCombo()->currentIndex(), 2);
        QCOMPARE(panel->qualityCombo()->currentText(), QStringLiteral("70 %"));
        QVERIFY(choose(panel->videoBitRateCombo(), "5000 kbps", false));
        QCOMPARE(panel->qualityCombo()->currentIndex(), 0);
        QCOMPARE(panel->videoBitRateCombo()->currentText(), QStringLiteral("5000 kbps"));
    }

    void codecAndChannelChoicesSurviveRereads() {
        writeSettingValue("FormatSet", "Video_Id", "4002");
        QFormatDlg* dialog = freshChooser(true);
        QFormatSettingDlg* panel = dialog->settingPanel();
        QCOMPARE(panel->profileId(), QStringLiteral("4002"));
        QVERIFY(choose(panel->videoEncoderCombo(), "H265", true));
        QVERIFY(choose(panel->resolutionCombo(), "1280*720", false));
        QCOMPARE(panel->videoEncoderCombo()->currentData().toString(), QStringLiteral("H265"));
        QCOMPARE(panel->resolutionCombo()->currentText(), QStringLiteral("1280*720"));
        QVERIFY(choose(panel->channelCombo(), "1", true));
        QCOMPARE(panel->channelCombo()->currentText(), QStringLiteral("Mono"));
        QVERIFY(choose(panel->audioEncoderCombo(), "MP3", true));
        QCOMPARE(panel->channelCombo()->currentData().toString(), QStringLiteral("1"));
        QCOMPARE(panel->videoEncoderCombo()->currentData().toString(), QStringLiteral("H265"));
        dialog->OnBtnOk();
        QCOMPARE(readFormatAttribute("4002", "QUALITY_VALUE"), QStringLiteral("2"));
        QCOMPARE(g_storedVideoFormat->videoCodec, QStringLiteral("H265"));
        QCOMPARE(g_storedVideoFormat->container, QStringLiteral("matroska"));
        QCOMPARE(g_storedVideoFormat->channels, 1);
        QCOMPARE(g_storedVideoFormat->audioCodec, QStringLiteral("MP3"));
        QCOMPARE(QSize(g_storedVideoFormat->width, g_storedVideoFormat->height), QSize(1280, 720));

        // Reopened, the stored custom record shows the same choices.
        dialog = freshChooser(true);
        panel = dialog->settingPanel();
        QCOMPARE(dialog->qualityCombo()->currentIndex(), 2);
        QCOMPARE(panel->videoEncoderCombo()->currentData().toString(), QStringLiteral("H265"));
        QCOMPARE(panel->channelCombo()->currentText(), QStringLiteral("Mono"));
        QCOMPARE(panel->audioEncoderCombo()->currentData().toString(), QStringLiteral("MP3"));
    }

    // A user on the Audio tab who picks another codec, channel layout or preset stays on
    // it (each of them reloads the profile into the panel).
    void theAudioTabStaysThroughRereads() {
        writeSettingValue("FormatSet", "Video_Id", "4002");
        QFormatDlg* dialog = freshChooser(true);
        dialog->show();
        dialog->OnSetting(dialog->listView()->currentIndex());
        QFormatSettingDlg* panel = dialog->settingPanel();
        QTRY_VERIFY(panel->isVisible());
        QTest::mouseClick(panel->audioTab(), Qt::LeftButton);
        auto onAudioTab = [panel] {
            return panel->audioTab()->isChecked() && !panel->videoTab()->isChecked() &&
                   panel->audioEncoderCombo()->isVisibleTo(panel) && !panel->videoEncoderCombo()->isVisibleTo(panel);
        };
        QVERIFY(onAudioTab());
        QVERIFY(choose(panel->audioEncoderCombo(), "MP3", true));
        QVERIFY(onAudioTab());
        QVERIFY(choose(panel->channelCombo(), "1", true));
        QVERIFY(onAudioTab());
        dialog->qualityCombo()->setCurrentIndex(1);
        QVERIFY(onAudioTab());
        // The picture once the panel has slid into place (the checks above do not wait for it).
        if (QTest::qWaitFor([panel] { return panel->geometry() == QRect(21, 271, 648, 88); }, 5000)) {
            keepShot(dialog, "format_chooser_audio_tab_kept");
        }
        // The Video tab, once clicked, stays in the same way.
        QTest::mouseClick(panel->videoTab(), Qt::LeftButton);
        QVERIFY(choose(panel->videoEncoderCombo(), "H265", true));
        QVERIFY(panel->videoTab()->isChecked() && panel->videoEncoderCombo()->isVisibleTo(panel));
    }

    void searchAndCategories() {
        QFormatDlg* dialog = freshChooser(true);
        QTest::keyClicks(dialog->searchEdit(), "MP4 (H");
        QCOMPARE(shownTitles(dialog), QStringList{"MP4 (H.264)"});
        dialog->searchEdit()->clear();
        QTest::keyClicks(dialog->searchEdit(), "mkv");
        QCOMPARE(shownTitles(dialog), QStringList{"MKV (H.264/H.265)"});
        dialog->searchEdit()->clear();
        QVERIFY(shownTitles(dialog).size() > 3);

        // The category filter is a substring test; a record without category shows always.
        QFormatSortModel* proxy = dialog->proxyModel();
        proxy->setCategoryFilter("General Audio");
        QVERIFY(shownTitles(dialog).contains("WAV"));
        QVERIFY(!shownTitles(dialog).contains("MP4 (H.264)"));
        proxy->setCategoryFilter("General Video and General Audio");
        QVERIFY(shownTitles(dialog).contains("WAV"));
        QVERIFY(shownTitles(dialog).contains("MP4 (H.264)"));

        QFormatType* bar = dialog->categoryBar();
        QSignalSpy changes(bar, &QFormatType::emitTypeChange);
        bar->clickCategory("No Such Category");
        bar->clickCategory("General Video"); // already checked: disabled, nothing
        QCOMPARE(changes.count(), 0);
        QVERIFY(!bar->checkedButton()->isEnabled());
    }

    void settingsPanelSlides() {
        QFormatDlg* dialog = freshChooser(true);
        dialog->show();
        const QModelIndex current = dialog->listView()->currentIndex();
        dialog->OnSetting(current);
        QVERIFY(dialog->isSettingPanelOpen());
        QTRY_COMPARE(dialog->settingPanel()->geometry(), QRect(21, 271, 648, 88));
        QCOMPARE(dialog->listView()->geometry(), QRect(20, 75, 661, 201));
        keepShot(dialog, "format_chooser_settings");
        // Another tile's button only selects that tile.
        dialog->OnSetting(tileOf(dialog, 4001));
        QCOMPARE(chunkOfIndex(dialog->listView()->currentIndex())->intA(), 4001);
        QVERIFY(dialog->isSettingPanelOpen());
        // Searching closes the panel.
        QTest::keyClicks(dialog->searchEdit(), "M");
        QVERIFY(!dialog->isSettingPanelOpen());
        QTRY_VERIFY(!dialog->settingPanel()->isVisible());
        QCOMPARE(dialog->listView()->geometry(), QRect(20, 75, 661, 281));
    }

    void formatRecordsReadShortValuesAsAbsent() {
        QFormatChunk record;
        QCOMPARE(record.getString("missing"), std::string());
        QCOMPARE(record.getInt("missing"), 0);
        record.setBool("flag", true);
        QCOMPARE(record.getInt("flag"), 0); // 1 byte is no 4-byte value
        QCOMPARE(record.getDouble("flag"), 0.0);
        QCOMPARE(record.getBool("flag"), true);
        record.setInt("n", 7);
        QCOMPARE(record.getInt64("n"), int64_t(0));
        QCOMPARE(record.getInt("n"), 7);
        record.setString(QFormatChunk::kCategoryKey, "General Video");
        QCOMPARE(record.getString(QFormatChunk::kCategoryKey), std::string("General Video"));
        QVERIFY(!record.hasKey(QFormatChunk::kCategoryKey)); // its own map, not the base store
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    TestFormatChooser test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_format_chooser.moc"
