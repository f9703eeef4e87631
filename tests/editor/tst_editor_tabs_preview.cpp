// The tabs on the virtual desktop against the editor's real preview: a user's choices
// in the effect, watermark, subtitle and audio tabs reach the picture (pixels read from
// the preview widget) and the sound (read from the null sink's monitor with ffmpeg's
// volumedetect); bad input (a file without video, pack pictures that are missing) keeps
// the preview alive. Screenshots of each tab and dialog are kept among the test outputs.
#include "editor/QAudioOperationForm.h"
#include "editor/QAudioTagForm.h"
#include "editor/QEffectOperationForm.h"
#include "editor/QHorizontalListFrom.h"
#include "editor/QSubtitleOperationForm.h"
#include "editor/QTextStyleSettingDlg.h"
#include "editor/QVideoEditingSettings.h"
#include "editor/QWatermarkOperationForm.h"
#include "editor/VEEffectPack.h"
#include "media/QMediaElementWindow.h"
#include "media/RZPlayerClass.h"
#include "media/RZPlayerManager.h"
#include "platform/codec/calvorine_codec.h"
#include "tests/editor/TabTestSupport.h"
#include "tests/platform/codec/playback_fixtures.h"
#include "tests/support/PrivateSink.h"
#include "tests/support/PrivateUserFolders.h"
#include "tests/support/TestOutput.h"
#include "toolkit/QRZLineEdit.h"
#include "toolkit/QRZTextEdit.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QImage>
#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QtTest>

#include <cmath>

using tabtest::child;
using tabtest::chooseFile;
using tabtest::typeInto;

namespace {

// A plain blue clip with a 440 Hz tone (plain, so that overlays stand out).
bool makeBlueClip(const QString& path, const QString& size, double seconds) {
    return fixtures::ffmpeg({"-f", "lavfi", "-i", QStringLiteral("color=c=blue:s=%1:r=25").arg(size), "-f", "lavfi",
                             "-i", "sine=frequency=440:sample_rate=44100", "-t", QString::number(seconds), "-c:v",
                             "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p", "-c:a", "aac", path});
}

int packIndex(const VEEffectPackManager& manager, const QString& name) {
    for (int i = 0; i < manager.packs().size(); ++i) {
        if (manager.packAt(i)->Name == name) {
            return i;
        }
    }
    return -1;
}

bool isGold(const QColor& c) {
    return c.red() > 170 && c.green() > 130 && c.blue() < 110;
}

int countLight(const QImage& image, const QRect& area) {
    int white = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            // Light text over the blue picture.
            white += c.red() > 180 && c.green() > 180 ? 1 : 0;
        }
    }
    return white;
}

double meanLuma(const QImage& image, const QRect& area) {
    double sum = 0;
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); y += 3) {
        for (int x = area.left(); x <= area.right(); x += 3) {
            sum += qGray(image.pixel(x, y));
            ++count;
        }
    }
    return count ? sum / count : 0.0;
}

void keepScreenshot(QWidget* widget, const QString& name) {
    QVERIFY(widget->grab().save(testoutput::pngPath(QStringLiteral("editor_") + name)));
}

} // namespace

class TestEditorTabsPreview : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void framesFollowTheVideoShape_data();
    void framesFollowTheVideoShape();
    void brightnessDarkensThePicture();
    void watermarkTextShowsTopLeft();
    void subtitleFileShowsItsCue();
    void volumeReachesTheSoundServer();
    void soundPacksKeepPlayingAtTheirRate();
    void fileWithoutVideo();
    void packPicturesThatAreMissing();
    void screenshotsOfDialogs();

private:
    QImage preview() const { return m_window->grab().toImage(); }
    QRect picture() const { return m_window->videoElementRect(); }
    bool open(const QString& path);
    template <typename Tab> Tab* showTab(const QString& name);
    // The loudest level on the null sink's monitor while the preview plays for a while,
    // as ffmpeg's volumedetect reports it (dB).
    double loudestWhilePlaying(const QString& monitor);

    // The file dialogs keep their last folders in the user's configuration.
    PrivateUserFolders m_folders;
    QTemporaryDir m_dir;
    QString m_wide;
    QString m_square;
    QString m_sound;
    QString m_pattern;
    QMediaElementWindow* m_window = nullptr;
    RZPlayerManager* m_manager = nullptr;
    QVideoEditingSettings* m_settings = nullptr;
    QWidget* m_tab = nullptr;
};

void TestEditorTabsPreview::initTestCase() {
    cvcodec_set_log_level(0);
    QVERIFY(m_dir.isValid());
    m_wide = m_dir.filePath("wide.mp4");
    m_square = m_dir.filePath("square.mp4");
    m_sound = m_dir.filePath("sound.m4a");
    QVERIFY(makeBlueClip(m_wide, "320x180", 12));
    QVERIFY(makeBlueClip(m_square, "320x240", 12));
    QVERIFY(fixtures::makeTone(m_sound, 12, {"-c:a", "aac"}));
    m_pattern = m_dir.filePath("pattern.mp4");
    QVERIFY(fixtures::makeClip(m_pattern, 6, "320x180", 25, {"-c:v", "libx264", "-preset", "ultrafast"}));
}

void TestEditorTabsPreview::init() {
    m_window = new QMediaElementWindow();
    m_window->resize(480, 360);
    m_window->move(10, 10);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
    m_manager = new RZPlayerManager();
    m_manager->createPlayer(true);
    // The surface that shows the edited output (the editor's preview surface).
    m_manager->setSecondVideoWidget(m_window);
    m_settings = new QVideoEditingSettings();
    m_settings->setPlayerManager(m_manager);
}

void TestEditorTabsPreview::cleanup() {
    delete m_tab;
    m_tab = nullptr;
    delete m_settings;
    m_settings = nullptr;
    delete m_manager;
    m_manager = nullptr;
    delete m_window;
    m_window = nullptr;
}

bool TestEditorTabsPreview::open(const QString& path) {
    // As the editor does: the file's picture size sizes the preview surface.
    const QJsonObject video = fixtures::stream(fixtures::probe(path), "video");
    if (!m_manager->openFileInNewPlayer(path, video.value("width").toInt(), video.value("height").toInt(), 3)) {
        return false;
    }
    m_manager->resizeOutputs();
    return true;
}

template <typename Tab> Tab* TestEditorTabsPreview::showTab(const QString& name) {
    auto* tab = new Tab();
    tab->setVideoEditingSettings(m_settings);
    tab->resize(900, 170);
    tab->move(10, 420);
    tab->show();
    m_tab = tab;
    if (!QTest::qWaitForWindowExposed(tab)) {
        return nullptr;
    }
    keepScreenshot(tab, name);
    return tab;
}

void TestEditorTabsPreview::framesFollowTheVideoShape_data() {
    QTest::addColumn<bool>("wide");
    QTest::newRow("16:9") << true;
    QTest::newRow("4:3") << false;
}

void TestEditorTabsPreview::framesFollowTheVideoShape() {
    QFETCH(bool, wide);
    QVERIFY(open(wide ? m_wide : m_square));
    auto* tab = showTab<QEffectOperationForm>(QStringLiteral("effect_tab"));
    QVERIFY(tab);
    QFrameChunkManager frames;
    const int gold = packIndex(frames, QStringLiteral("Classic Gold"));
    QVERIFY(gold >= 0);
    QAbstractButton* frameTab = nullptr;
    for (QAbstractButton* button : child<QWidget>(tab, "m_effectTag")->findChildren<QAbstractButton*>()) {
        frameTab = button->text() == QStringLiteral("Frame") ? button : frameTab;
    }
    QVERIFY(frameTab);
    QTest::mouseClick(frameTab, Qt::LeftButton);
    auto* list = child<QHorizontalListFrom>(tab, "m_frameList");
    QVERIFY(list->isVisible());
    QTest::mouseClick(list->itemAt(gold), Qt::LeftButton);
    VEWatermarkSettings record;
    m_settings->getWatermark2(record);
    QVERIFY(QString::fromStdString(record.image.imagePath).endsWith(wide ? "_16x9.png" : "_4x3.png"));
    keepScreenshot(tab, wide ? QStringLiteral("effect_tab_frames") : QStringLiteral("effect_tab_frames_4x3"));

    // The border lies along the picture's edges, the middle stays blue.
    const QRect r = picture();
    QTRY_VERIFY_WITH_TIMEOUT(isGold(preview().pixelColor(r.left() + 3, r.center().y())), 5000);
    const QImage shown = preview();
    QVERIFY(isGold(shown.pixelColor(r.right() - 3, r.center().y())));
    QVERIFY(isGold(shown.pixelColor(r.center().x(), r.top() + 3)));
    QVERIFY(isGold(shown.pixelColor(r.center().x(), r.bottom() - 3)));
    const QColor middle = shown.pixelColor(r.center());
    QVERIFY2(middle.blue() > 150 && middle.red() < 80, qPrintable(middle.name()));
    m_window->grab().save(QStringLiteral(CALVORINE_TEST_OUTPUT_DIR) +
                          (wide ? "/editor_preview_frame_16x9.png" : "/editor_preview_frame_4x3.png"));
}

void TestEditorTabsPreview::brightnessDarkensThePicture() {
    QVERIFY(open(m_pattern));
    auto* tab = showTab<QEffectOperationForm>(QStringLiteral("effect_tab"));
    QVERIFY(tab);
    QTRY_VERIFY_WITH_TIMEOUT(meanLuma(preview(), picture()) > 15, 5000);
    const double before = meanLuma(preview(), picture());
    typeInto(child<QRZLineEdit>(tab, "m_leBrightnessValue"), QStringLiteral("0"));
    QTRY_VERIFY_WITH_TIMEOUT(meanLuma(preview(), picture()) < before - 10, 5000);
}

void TestEditorTabsPreview::watermarkTextShowsTopLeft() {
    QVERIFY(open(m_wide));
    auto* tab = showTab<QWatermarkOperationForm>(QStringLiteral("watermark_tab"));
    QVERIFY(tab);
    const QRect r = picture();
    const QRect topLeft(r.left(), r.top(), r.width() / 3, r.height() / 3);
    const QRect bottomRight(r.left() + r.width() / 2, r.top() + r.height() / 2, r.width() / 2 - 1, r.height() / 2 - 1);
    QTRY_VERIFY_WITH_TIMEOUT(meanLuma(preview(), r) > 15, 5000);
    QCOMPARE(countLight(preview(), topLeft), 0);
    QTest::keyClicks(child<QRZTextEdit>(tab, "m_leAddWKText")->textEdit(), QStringLiteral("MARK"));
    QTRY_VERIFY_WITH_TIMEOUT(countLight(preview(), topLeft) > 20, 5000);
    QCOMPARE(countLight(preview(), bottomRight), 0);
    keepScreenshot(tab, QStringLiteral("watermark_tab_text"));
    m_window->grab().save(QStringLiteral(CALVORINE_TEST_OUTPUT_DIR "/editor_preview_watermark_text.png"));
    // Transparency 0 hides it again.
    typeInto(child<QRZLineEdit>(tab, "m_leTextAlphaValue"), QStringLiteral("0"));
    QTRY_COMPARE_WITH_TIMEOUT(countLight(preview(), topLeft), 0, 5000);
}

void TestEditorTabsPreview::subtitleFileShowsItsCue() {
    const QString cues = m_dir.filePath("movie.en.srt");
    QVERIFY(fixtures::writeFile(cues, "1\n00:00:00,000 --> 00:00:11,000\nHELLO HELLO\n\n"));
    QVERIFY(open(m_wide));
    auto* tab = showTab<QSubtitleOperationForm>(QStringLiteral("subtitle_tab"));
    QVERIFY(tab);
    const QRect r = picture();
    const QRect lowerHalf(r.left(), r.center().y(), r.width(), r.height() / 2 - 1);
    QTRY_VERIFY_WITH_TIMEOUT(meanLuma(preview(), r) > 15, 5000);
    QCOMPARE(countLight(preview(), lowerHalf), 0);
    chooseFile(cues);
    QTest::mouseClick(child<QWidget>(tab, "m_btnSetFamily"), Qt::LeftButton);
    QCOMPARE(child<QComboBox>(tab, "m_cbbSubtitleList")->currentText(), QStringLiteral("(movie.en)[SRT]"));
    m_manager->onPlay();
    QTRY_VERIFY_WITH_TIMEOUT(countLight(preview(), lowerHalf) > 20, 8000);
    keepScreenshot(tab, QStringLiteral("subtitle_tab_file"));
    m_window->grab().save(QStringLiteral(CALVORINE_TEST_OUTPUT_DIR "/editor_preview_subtitle.png"));
    // Reset clears the choice: the cue goes.
    QMetaObject::invokeMethod(tab, "reset");
    QTRY_COMPARE_WITH_TIMEOUT(countLight(preview(), lowerHalf), 0, 8000);
    m_manager->onPause();
}

double TestEditorTabsPreview::loudestWhilePlaying(const QString& monitor) {
    QProcess recorder;
    recorder.start("parec", {"-d", monitor, "--format=s16le", "--rate=44100", "--channels=1", "--raw"});
    if (!recorder.waitForStarted()) {
        return 1000;
    }
    // The monitor delivers (silent) data once it runs; only then is anything heard.
    QElapsedTimer waited;
    waited.start();
    while (recorder.bytesAvailable() == 0 && waited.elapsed() < 10000) {
        QTest::qWait(20);
    }
    recorder.readAllStandardOutput();
    m_manager->onPlay();
    QTest::qWait(2500);
    m_manager->onPause();
    recorder.terminate();
    recorder.waitForFinished(3000);
    const QString raw = m_dir.filePath("monitor.raw");
    fixtures::writeFile(raw, recorder.readAllStandardOutput());
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg", {"-hide_banner", "-f", "s16le", "-ar", "44100", "-ac", "1", "-i", raw, "-af", "volumedetect",
                            "-f", "null", "-"});
    ffmpeg.waitForFinished(30000);
    const QString report = QString::fromUtf8(ffmpeg.readAllStandardError());
    const QRegularExpressionMatch max = QRegularExpression("max_volume: (-?[0-9.]+|-inf) dB").match(report);
    if (!max.hasMatch()) {
        return 1000;
    }
    return max.captured(1) == "-inf" ? -1000 : max.captured(1).toDouble();
}

void TestEditorTabsPreview::volumeReachesTheSoundServer() {
    if (qEnvironmentVariableIsEmpty("PULSE_SERVER")) {
        QSKIP("no sound server of the virtual desktop");
    }
    // A sink of the test's own, heard on its monitor: what other tests play or change on
    // the shared one does not reach it.
    PrivateSink sink;
    QVERIFY(sink.isValid());
    QVERIFY(open(m_wide));
    auto* tab = showTab<QAudioOperationForm>(QStringLiteral("audio_tab"));
    QVERIFY(tab);
    typeInto(child<QRZLineEdit>(tab, "m_leVolumeValue"), QStringLiteral("0"));
    const double silent = loudestWhilePlaying(sink.monitor());
    QVERIFY2(silent < -60, qPrintable(QString::number(silent)));
    QCOMPARE(sink.streamCount(), 1);
    typeInto(child<QRZLineEdit>(tab, "m_leVolumeValue"), QStringLiteral("100"));
    const double heard = loudestWhilePlaying(sink.monitor());
    QVERIFY2(heard > -30 && heard < 1, qPrintable(QString::number(heard)));
}

void TestEditorTabsPreview::soundPacksKeepPlayingAtTheirRate() {
    QVERIFY(open(m_sound));
    auto* tab = showTab<QAudioOperationForm>(QStringLiteral("audio_tab"));
    QVERIFY(tab);
    QAudioEffectManager packs;
    auto* list = child<QHorizontalListFrom>(tab, "m_effectsList");
    auto advancePerSecond = [this] {
        const double start = double(m_manager->player()->position());
        QElapsedTimer clock;
        clock.start();
        QTest::qWait(2000);
        return (double(m_manager->player()->position()) - start) / (clock.nsecsElapsed() / 1000.0);
    };
    // An equaliser pack keeps it playing at the normal pace.
    QTest::mouseClick(list->itemAt(packIndex(packs, QStringLiteral("Bass Boost"))), Qt::LeftButton);
    m_manager->onPlay();
    QTRY_VERIFY_WITH_TIMEOUT(m_manager->player()->position() > 0, 5000);
    const double normal = advancePerSecond();
    QVERIFY2(normal > 0.8 && normal < 1.2, qPrintable(QString::number(normal)));
    // Rate 150.
    QTest::mouseClick(list->itemAt(packIndex(packs, QStringLiteral("Fast Forward"))), Qt::LeftButton);
    QTest::qWait(300);
    const double fast = advancePerSecond();
    QVERIFY2(fast > 1.3 && fast < 1.7, qPrintable(QString::number(fast)));
    keepScreenshot(tab, QStringLiteral("audio_tab_packs"));
    m_manager->onPause();
}

void TestEditorTabsPreview::fileWithoutVideo() {
    QVERIFY(open(m_sound));
    QCOMPARE(m_manager->videoSize(), QSize(0, 0));
    auto* effects = showTab<QEffectOperationForm>(QStringLiteral("effect_tab_sound_file"));
    QVERIFY(effects);
    QTest::mouseClick(child<QHorizontalListFrom>(effects, "m_effectsList")->itemAt(0), Qt::LeftButton);
    VEWatermarkSettings record;
    m_settings->getWatermark1(record);
    QCOMPARE(record.image.rect[2], 1.0);
    QCOMPARE(record.image.rect[3], 1.0);
    QVERIFY(std::isfinite(record.image.rect[0]) && std::isfinite(record.image.rect[1]));
    delete m_tab;
    m_tab = nullptr;
    auto* audio = showTab<QAudioOperationForm>(QStringLiteral("audio_tab_sound_file"));
    QVERIFY(audio);
    typeInto(child<QRZLineEdit>(audio, "m_leVolumeValue"), QStringLiteral("50"));
    m_manager->onPlay();
    QTRY_VERIFY_WITH_TIMEOUT(m_manager->player()->position() > 300000, 5000);
    m_manager->onPause();
}

void TestEditorTabsPreview::packPicturesThatAreMissing() {
    QTemporaryDir packs;
    QDir(packs.path()).mkpath("Gone");
    QVERIFY(fixtures::writeFile(packs.path() + "/Gone/config.xml",
                                "<Pack Name=\"Gone\"><FrameInfo><F FileName=\"gone.png\" Width=\"640\" "
                                "Height=\"360\"/></FrameInfo></Pack>"));
    VEEffectPackManager manager(packs.path());
    QCOMPARE(manager.packs().size(), 1);
    const QString path = QEffectOperationForm::overlayImagePath(*manager.packAt(0), 16.0 / 9);
    QVERIFY(!QFile::exists(path));
    QVERIFY(open(m_pattern));
    QTRY_VERIFY_WITH_TIMEOUT(meanLuma(preview(), picture()) > 15, 5000);
    VEWatermarkSettings record;
    m_settings->getWatermark2(record);
    record.image.imagePath = path.toStdString();
    m_settings->setWatermark2(record);
    // The picture stays, and still takes other edits.
    QTest::qWait(300);
    QVERIFY(meanLuma(preview(), picture()) > 15);
    VEAdjustSettings dark;
    dark.brightness = -255;
    const double before = meanLuma(preview(), picture());
    m_settings->setAdjust(dark);
    QTRY_VERIFY_WITH_TIMEOUT(meanLuma(preview(), picture()) < before - 10, 5000);
}

void TestEditorTabsPreview::screenshotsOfDialogs() {
    QVERIFY(open(m_wide));
    for (bool subtitles : {false, true}) {
        QTextStyleSettingDlg* dialog =
            subtitles ? static_cast<QTextStyleSettingDlg*>(new QSubtitleSettingDlg) : new QWatermartTextSettingDlg;
        dialog->setVideoEditingSettings(m_settings);
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        keepScreenshot(dialog,
                       subtitles ? QStringLiteral("subtitle_style_dialog") : QStringLiteral("text_style_dialog"));
        delete dialog;
    }
    VEAudioTagInfo tags;
    tags.title = "Evening";
    tags.artist = "The Band";
    tags.track = "3/12";
    tags.year = "2016";
    tags.genre = "Jazz";
    m_settings->setTags(tags);
    auto* tab = new QAudioTagForm();
    // The editor window's dark background, behind the tab.
    tab->setAutoFillBackground(true);
    QPalette dark = tab->palette();
    dark.setColor(QPalette::Window, QColor(55, 53, 53));
    tab->setPalette(dark);
    tab->setVideoEditingSettings(m_settings);
    tab->resize(686, 435);
    tab->show();
    m_tab = tab;
    QVERIFY(QTest::qWaitForWindowExposed(tab));
    keepScreenshot(tab, QStringLiteral("tags_tab"));
}

QTEST_MAIN(TestEditorTabsPreview)
#include "tst_editor_tabs_preview.moc"
