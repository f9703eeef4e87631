// The built-in player of the history dialog as the user meets it: rows played from the
// list (time, picture, pause, seeks, frame steps, next and previous), sound levels and
// the sound reaching the null sink, mute, snapshots at the video size, files that fail
// to open, full screen read back with xprop, and the floating bars' geometry.
#include "LibraryTestSupport.h"
#include "tests/support/PrivateSink.h"

#include "app/AppGlobals.h"
#include "library/PlayBtnWidget.h"
#include "library/QHistoryChunk.h"
#include "library/QHistoryDlg.h"
#include "library/QHistoryListWgt.h"
#include "library/QHistoryViewParts.h"
#include "library/QPlayerWidget.h"
#include "library/RZQPlayObject.h"
#include "library/SnapshotFileName.h"
#include "library/VideoImageWindow.h"
#include "media/RZPlayerClass.h"
#include "toolkit/QAudioDataWidget.h"
#include "toolkit/QRZBaseProgress.h"
#include "toolkit/QRZButton.h"
#include "toolkit/QRZLineEdit.h"

#include <QLabel>
#include <QSignalSpy>

#include <cmath>

using namespace librarytest;

namespace {

QModelIndex rowOf(QHistoryListWgt* list, const QString& name) {
    QAbstractItemModel* proxy = list->view()->model();
    for (int row = 0; row < proxy->rowCount(); ++row) {
        if (proxy->index(row, 1).data().toString() == name) {
            return proxy->index(row, 0);
        }
    }
    return QModelIndex();
}

uint64_t positionOf(QHistoryDlg& dialog) {
    return dialog.playerWidget()->playObject()->player()->position();
}

// Shows the dialog, plays the named row and waits until playback has passed `afterUs`.
bool playRow(QHistoryDlg& dialog, const QString& name, uint64_t afterUs) {
    if (!showForInput(&dialog)) {
        return false;
    }
    QHistoryListWgt* list = dialog.listWidget();
    list->playItem(rowOf(list, name));
    QElapsedTimer waited;
    waited.start();
    while (positionOf(dialog) <= afterUs && waited.elapsed() < 10000) {
        QTest::qWait(20);
    }
    return positionOf(dialog) > afterUs;
}

// The loudest sample a monitor carries during the next `ms` milliseconds.
int monitorPeak(const QString& monitor, int ms) {
    QProcess parec;
    parec.start("parec", {"-d", monitor, "--format=s16le", "--rate=44100", "--channels=1", "--latency-msec=20"});
    if (!parec.waitForStarted(5000)) {
        return -1;
    }
    QTest::qWait(ms);
    parec.terminate();
    parec.waitForFinished(3000);
    const QByteArray bytes = parec.readAllStandardOutput();
    int peak = 0;
    const auto* samples = reinterpret_cast<const int16_t*>(bytes.constData());
    for (int i = bytes.size() / 2 / 2; i < bytes.size() / 2; ++i) { // the second half: after any old buffer
        peak = std::max(peak, std::abs(int(samples[i])));
    }
    return peak;
}

// Share of the surface's pixels on screen that are not black.
double pictureShare(QWidget* surface) {
    const QImage shot = saveScreenshot(surface, "player_surface_probe");
    if (shot.isNull()) {
        return 0.0;
    }
    int lit = 0;
    int total = 0;
    for (int y = 0; y < shot.height(); y += 4) {
        for (int x = 0; x < shot.width(); x += 4) {
            ++total;
            lit += qGray(shot.pixel(x, y)) > 40 ? 1 : 0;
        }
    }
    return total > 0 ? double(lit) / total : 0.0;
}

QString windowState(QWidget* window) {
    QProcess xprop;
    xprop.start("xprop", {"-id", QString::number(window->winId()), "_NET_WM_STATE"});
    xprop.waitForFinished(5000);
    return QString::fromUtf8(xprop.readAllStandardOutput());
}

} // namespace

class TestHistoryPlayer : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void playPauseSeekAndStepAVideo();
    void nextAndPreviousWrapInTheTab();
    void audioOnlyShowsLevelsAndSoundsUnlessMuted();
    void levelsKeepComingWhileTheSinkHoldsTheSound();
    void snapshotsAreTakenAtTheVideoSize();
    void aFileThatFailsToOpenShowsNothingOld();
    void closingAFinishedFileStopsEverything();
    void deletingThePlayingRecordClearsThePlayer();
    void fullScreenFromTheButtonAndByDoubleClick();
    void barsVolumeAndLayoutRules();
    void playingSavesAMissingCoverAndShowsTheBarsForAWhile();

private:
    PrivateUserFolders m_folders;
    QString m_media;
    QString m_video;
    QString m_second;
    QString m_song;
    QString m_short;
};

void TestHistoryPlayer::initTestCase() {
    QVERIFY(m_folders.isValid());
    m_media = m_folders.root() + "/media files";
    QVERIFY(QDir().mkpath(m_media));
    m_video = m_media + "/my clip é.mp4"; // spaces and non-ASCII in the path
    QVERIFY(fixtures::makeClip(m_video, 10.0, "320x240", 30, {"-c:v", "libx264", "-preset", "ultrafast"}));
    m_second = m_media + "/second.mkv";
    QVERIFY(fixtures::makeClip(m_second, 4.0, "320x240", 30, {"-c:v", "libx264", "-preset", "ultrafast"}));
    m_song = m_media + "/song.m4a";
    QVERIFY(fixtures::ffmpeg(
        {"-f", "lavfi", "-i", "sine=frequency=440:sample_rate=44100", "-af", "volume=8", "-t", "12", m_song}));
    m_short = m_media + "/short.mp4";
    QVERIFY(fixtures::makeClip(m_short, 1.0));
    QVERIFY(fixtures::writeTruncated(m_video, m_media + "/broken.mp4", 3000));
    QVERIFY(fixtures::writeFile(m_media + "/notes.mp4", "no media in here"));
}

void TestHistoryPlayer::init() {
    QVERIFY(writeHistory(m_folders, {{m_media + "/notes.mp4", "mp4", true},
                                     {m_media + "/broken.mp4", "mp4", true},
                                     {m_short, "mp4", true},
                                     {m_song, "mp4", false},
                                     {m_second, "matroska", true},
                                     {m_video, "mp4", true}}));
}

void TestHistoryPlayer::playPauseSeekAndStepAVideo() {
    QHistoryDlg dialog;
    QVERIFY(showForInput(&dialog));
    QHistoryListWgt* list = dialog.listWidget();
    QPlayerWidget* player = dialog.playerWidget();
    saveScreenshot(&dialog, "player_idle");
    list->playItem(rowOf(list, "my clip é.mp4"));
    QCOMPARE(list->playingChunk()->displayName(), std::string("my clip é.mp4"));
    QTRY_VERIFY_WITH_TIMEOUT(positionOf(dialog) > 1200000, 10000);
    QVERIFY(player->videoWindow()->isVisible());
    QVERIFY(player->levelDisplay()->isHidden());
    QTRY_VERIFY(player->controlBar()->timeLabel()->text().startsWith("00:00:0"));
    QVERIFY(player->controlBar()->timeLabel()->text().endsWith("/ 00:00:10"));
    QVERIFY(player->controlBar()->timeLabel()->text() != "00:00:00 / 00:00:10");
    QTRY_VERIFY(pictureShare(player->videoWindow()->surface()) > 0.5);
    player->ShowPlayBtn(true);
    QTest::qWait(200);
    saveScreenshot(&dialog, "player_playing");
    QVERIFY(player->controlBar()->pauseButton()->isVisibleTo(player->controlBar()));

    // Pause holds the position.
    player->controlBar()->pauseButton()->click();
    QTRY_VERIFY(player->controlBar()->playButton()->isVisibleTo(player->controlBar()));
    const uint64_t paused = positionOf(dialog);
    QTest::qWait(400);
    QCOMPARE(positionOf(dialog), paused);
    saveScreenshot(&dialog, "player_paused");

    // A drag on the progress slider seeks within a frame of where it ends.
    QRZBaseSlider* slider = player->controlBar()->progressSlider();
    QSignalSpy moved(player->controlBar(), &PlayBtnWidget::sendProgressValue);
    const QPoint from = slider->mapToGlobal(QPoint(slider->width() / 10, slider->height() / 2));
    const QPoint to = slider->mapToGlobal(QPoint(slider->width() / 2, slider->height() / 2));
    // The bar shows once the pointer rests in the player's bottom band.
    QVERIFY(xdotool({"mousemove", "--sync", QString::number(from.x()), QString::number(from.y())}));
    QTRY_VERIFY(player->controlBar()->isVisible());
    // The press goes to the bar once the X server shows it under the pointer.
    QVERIFY(QTest::qWaitForWindowExposed(player->controlBar()));
    QVERIFY(xdotool({"mousedown", "1"}));
    QVERIFY(xdotool({"mousemove", "--sync", QString::number(to.x()), QString::number(to.y())}));
    QVERIFY(xdotool({"mouseup", "1"}));
    QTRY_VERIFY(moved.count() > 0);
    const double fraction = moved.last().first().toDouble();
    const uint64_t target = uint64_t(10000000 * fraction);
    QTRY_VERIFY_WITH_TIMEOUT(std::llabs(int64_t(positionOf(dialog)) - int64_t(target)) <= 34000, 5000);
    saveScreenshot(&dialog, "player_seeked");

    // Frame steps move one frame either way and leave the player paused.
    const uint64_t before = positionOf(dialog);
    player->controlBar()->fastButton()->click();
    QTRY_VERIFY(positionOf(dialog) > before);
    QVERIFY(positionOf(dialog) - before <= 34000);
    const uint64_t stepped = positionOf(dialog);
    player->controlBar()->backButton()->click();
    QTRY_VERIFY(positionOf(dialog) < stepped);
    QVERIFY(player->controlBar()->playButton()->isVisibleTo(player->controlBar()));
    dialog.OnBtnClose();
}

void TestHistoryPlayer::nextAndPreviousWrapInTheTab() {
    QHistoryDlg dialog;
    dialog.selectTab(0);
    QVERIFY(showForInput(&dialog));
    QHistoryListWgt* list = dialog.listWidget();
    PlayBtnWidget* bar = dialog.playerWidget()->controlBar();
    QSignalSpy names(list, &QHistoryListWgt::emitPlayName);
    list->playItem(rowOf(list, "my clip é.mp4")); // the first video row
    bar->previousButton()->click();               // wraps to the last video row
    QCOMPARE(list->playingChunk()->displayName(), std::string("notes.mp4"));
    bar->nextButton()->click(); // and back to the first
    QCOMPARE(list->playingChunk()->displayName(), std::string("my clip é.mp4"));
    bar->nextButton()->click();
    QCOMPARE(list->playingChunk()->displayName(), std::string("second.mkv"));
    QCOMPARE(names.last().first().toString(), QString("second.mkv"));
    QTRY_VERIFY_WITH_TIMEOUT(positionOf(dialog) > 200000, 10000);
    dialog.OnBtnClose();
}

void TestHistoryPlayer::audioOnlyShowsLevelsAndSoundsUnlessMuted() {
    // Heard on a sink of the test's own: what other tests play or change on the shared
    // one does not reach it.
    PrivateSink sink;
    QVERIFY(sink.isValid());
    QHistoryDlg dialog;
    QVERIFY(showForInput(&dialog));
    QHistoryListWgt* list = dialog.listWidget();
    QPlayerWidget* player = dialog.playerWidget();
    list->playItem(rowOf(list, "song.m4a"));
    QTRY_VERIFY(player->levelDisplay()->isVisible());
    QVERIFY(player->videoWindow()->isHidden());
    int blocks = 0;
    QAudioDataWidget* levels = player->levelDisplay();
    // The display has taken each block before this runs (it was connected first).
    connect(player->playObject(), &RZQPlayObject::emitAudioData, &dialog, [&blocks, levels](unsigned char* block) {
        const bool lit = std::any_of(levels->levels().begin(), levels->levels().end(), [](int v) { return v > 0; });
        blocks += block != nullptr && lit ? 1 : 0;
    });
    QTRY_VERIFY_WITH_TIMEOUT(blocks >= 3, 10000); // the bars keep moving
    saveScreenshot(&dialog, "player_audio_levels");
    // The levels follow the clock; the sink may hold the first sound a while longer.
    QTRY_VERIFY_WITH_TIMEOUT(monitorPeak(sink.monitor(), 600) > 1000, 8000);

    player->controlBar()->volumeButton()->click(); // mute
    QVERIFY(player->controlBar()->muteButton()->isVisibleTo(player->controlBar()));
    QTest::qWait(300);
    QVERIFY(monitorPeak(sink.monitor(), 600) < 50);
    player->controlBar()->muteButton()->click(); // unmute
    QVERIFY(monitorPeak(sink.monitor(), 800) > 1000);

    // Pausing clears the levels.
    player->controlBar()->pauseButton()->click();
    QTRY_VERIFY(!player->levelDisplay()->hasData());
    dialog.OnBtnClose();
}

// A suspended sink (of this test's own) takes a little sound and then holds every
// further write; the level display still gets a new block every few polls while the
// song plays, and the dialog closes.
void TestHistoryPlayer::levelsKeepComingWhileTheSinkHoldsTheSound() {
    PrivateSink sink;
    QVERIFY(sink.isValid());
    QVERIFY(sink.suspend(true));
    QHistoryDlg dialog;
    QVERIFY(showForInput(&dialog));
    QPlayerWidget* player = dialog.playerWidget();
    QAudioDataWidget* levels = player->levelDisplay();
    int blocks = 0;
    // The display has taken each block before this runs (it was connected first).
    connect(player->playObject(), &RZQPlayObject::emitAudioData, &dialog, [&blocks, levels](unsigned char* block) {
        const bool lit = std::any_of(levels->levels().begin(), levels->levels().end(), [](int v) { return v > 0; });
        blocks += block != nullptr && lit ? 1 : 0;
    });
    dialog.listWidget()->playItem(rowOf(dialog.listWidget(), "song.m4a"));
    QTRY_VERIFY(levels->isVisible());
    QTRY_VERIFY(blocks > 0);
    const int first = blocks;
    QTest::qWait(1500);
    QVERIFY(positionOf(dialog) > 1000000); // still playing
    // The display polls every 50 ms: 30 chances in 1.5 s.
    QVERIFY2(blocks - first >= 15, qPrintable(QString::number(blocks - first)));
    QCOMPARE(sink.streamCount(), 1); // the song plays into the held sink, no other
    saveScreenshot(&dialog, "player_levels_sink_suspended");
    // The sink goes away (muted first: the server moves the song to the shared sink).
    player->controlBar()->volumeButton()->click();
    QVERIFY(sink.unload());
    const uint64_t gone = positionOf(dialog);
    QTRY_VERIFY_WITH_TIMEOUT(positionOf(dialog) > gone + 1000000, 10000);
    dialog.OnBtnClose();
    QVERIFY(!player->playObject()->isScreenTimerActive());
    QVERIFY(!dialog.isVisible());
}

void TestHistoryPlayer::snapshotsAreTakenAtTheVideoSize() {
    const QString shots = m_folders.root() + "/shots"; // no trailing separator, not there yet
    setScreenshotPath(shots);
    QHistoryDlg dialog;
    QVERIFY(playRow(dialog, "my clip é.mp4", 500000));
    dialog.playerWidget()->controlBar()->snapshotButton()->click();
    const QStringList files = QDir(shots).entryList({"ScreenCapture_*.png"});
    QCOMPARE(files.size(), 1);
    const QJsonObject picture = fixtures::stream(fixtures::probe(shots + "/" + files.first()), "video");
    QCOMPARE(picture.value("width").toInt(), 320);
    QCOMPARE(picture.value("height").toInt(), 240);
    dialog.OnBtnClose();

    // A name already taken gets "(1)" before the extension.
    bool clashed = false;
    for (int attempt = 0; attempt < 200 && !clashed; ++attempt) {
        const QString first = makeSnapshotFileName();
        QVERIFY(fixtures::writeFile(first, "x"));
        const QString second = makeSnapshotFileName();
        QVERIFY(!second.contains("//"));
        if (second.startsWith(first.chopped(4))) {
            QCOMPARE(second, first.chopped(4) + "(1).png");
            clashed = true;
        }
    }
    QVERIFY(clashed);

    // A folder that cannot be made (a file holds its name): the user is told.
    const QString blocked = m_folders.root() + "/blocked";
    QVERIFY(fixtures::writeFile(blocked, "x"));
    setScreenshotPath(blocked + "/shots");
    QHistoryDlg again;
    QVERIFY(playRow(again, "my clip é.mp4", 500000));
    QString told;
    acceptNextMessage(&told);
    again.playerWidget()->controlBar()->snapshotButton()->click();
    QVERIFY2(told.contains("The snapshot could not be saved"), qPrintable(told));
    again.OnBtnClose();
    setScreenshotPath(QString());
}

void TestHistoryPlayer::aFileThatFailsToOpenShowsNothingOld() {
    QHistoryDlg dialog;
    QVERIFY(playRow(dialog, "my clip é.mp4", 300000));
    QHistoryListWgt* list = dialog.listWidget();
    QPlayerWidget* player = dialog.playerWidget();
    for (const QString& bad : {QString("notes.mp4"), QString("broken.mp4")}) {
        QSignalSpy finished(player->playObject(), &RZQPlayObject::emitPlayFinish);
        list->playItem(rowOf(list, bad));
        QVERIFY(finished.count() >= 1);
        QVERIFY(player->videoWindow()->isHidden());
        QVERIFY(player->levelDisplay()->isHidden());
        QCOMPARE(player->controlBar()->timeLabel()->text(), QString("00:00:00 / 00:00:00"));
        QVERIFY(!player->playObject()->isTimeTimerActive());
        QTest::qWait(300);
        QCOMPARE(positionOf(dialog), uint64_t(0)); // the previous file does not play on
    }
    saveScreenshot(&dialog, "player_failed_open");
    dialog.OnBtnClose();
}

void TestHistoryPlayer::closingAFinishedFileStopsEverything() {
    QHistoryDlg dialog;
    QVERIFY(showForInput(&dialog));
    QHistoryListWgt* list = dialog.listWidget();
    QPlayerWidget* player = dialog.playerWidget();
    QSignalSpy finished(player->playObject(), &RZQPlayObject::emitPlayFinish);
    list->playItem(rowOf(list, "short.mp4"));
    QTRY_VERIFY_WITH_TIMEOUT(
        finished.count() > 0 && player->controlBar()->playButton()->isVisibleTo(player->controlBar()), 10000);
    QVERIFY(player->playObject()->isScreenTimerActive()); // finished: still drawing
    QSignalSpy closed(player->playObject(), &RZQPlayObject::emitClosePlay);
    player->closePlay();
    QCOMPARE(closed.count(), 1);
    QVERIFY(!player->playObject()->isScreenTimerActive());
    QVERIFY(!player->playObject()->isTimeTimerActive());
    QVERIFY(player->videoWindow()->isHidden());
    saveScreenshot(&dialog, "player_closed");
    // Play again on the finished-then-closed player starts nothing old.
    QCOMPARE(player->controlBar()->timeLabel()->text(), QString("00:00:00 / 00:00:00"));
}

void TestHistoryPlayer::deletingThePlayingRecordClearsThePlayer() {
    const QString copy = m_media + "/doomed.mp4";
    QVERIFY(QFile::copy(m_second, copy));
    QVERIFY(writeHistory(m_folders, {{m_video, "mp4", true}, {copy, "mp4", true}}));
    QHistoryDlg dialog;
    QVERIFY(playRow(dialog, "doomed.mp4", 200000));
    QHistoryListWgt* list = dialog.listWidget();
    QPlayerWidget* player = dialog.playerWidget();
    QSignalSpy names(list, &QHistoryListWgt::emitPlayName);
    answerNextModal("m_btnDelete");
    list->deleteItem(rowOf(list, "doomed.mp4"));
    QVERIFY(!QFile::exists(copy));
    QVERIFY(list->playingChunk() == nullptr);
    QCOMPARE(names.last().first().toString(), QString());
    QVERIFY(player->videoWindow()->isHidden());
    QVERIFY(!player->playObject()->isTimeTimerActive());
    // The Play button then starts the first row.
    player->controlBar()->playButton()->click();
    QCOMPARE(list->playingChunk()->displayName(), std::string("my clip é.mp4"));
    dialog.OnBtnClose();
}

void TestHistoryPlayer::fullScreenFromTheButtonAndByDoubleClick() {
    QHistoryDlg dialog;
    QVERIFY(playRow(dialog, "my clip é.mp4", 300000));
    QHistoryListWgt* list = dialog.listWidget();
    QPlayerWidget* player = dialog.playerWidget();

    player->controlBar()->fullScreenButton()->click();
    QTRY_VERIFY_WITH_TIMEOUT(windowState(&dialog).contains("_NET_WM_STATE_FULLSCREEN"), 5000);
    QVERIFY(dialog.isFullScreenMode());
    QVERIFY(list->isHidden());
    QVERIFY(dialog.allTab()->isHidden() && dialog.searchEdit()->isHidden() && dialog.deleteAllButton()->isHidden());
    QTRY_COMPARE(player->geometry(), dialog.rect());
    QVERIFY(player->controlBar()->normalScreenButton()->isVisibleTo(player->controlBar()));
    QVERIFY(player->controlBar()->actualSizeButton()->isChecked()); // starts at the actual size
    // The pointer in the bottom band brings the bar up, above the picture.
    QTRY_COMPARE(dialog.geometry(), QGuiApplication::primaryScreen()->geometry());
    const QPoint band = player->mapToGlobal(QPoint(player->width() / 2, player->height() - 20));
    QVERIFY(xdotool({"mousemove", "--sync", QString::number(band.x()), QString::number(band.y())}));
    QTRY_VERIFY(player->controlBar()->isVisible());
    QVERIFY(player->controlBar()->windowFlags() & Qt::WindowStaysOnTopHint);
    QTRY_COMPARE(player->controlBar()->geometry().bottom(), player->mapToGlobal(QPoint(0, player->height() - 3)).y());
    // The bar, not the black around the picture, once the X server shows it.
    const QPoint onBar = player->controlBar()->mapToGlobal(QPoint(player->controlBar()->width() / 4, 10));
    QTRY_VERIFY(qGray(saveScreenshot(nullptr, "player_full_screen").pixel(onBar)) > 0);

    player->controlBar()->normalScreenButton()->click();
    QTRY_VERIFY_WITH_TIMEOUT(!windowState(&dialog).contains("_NET_WM_STATE_FULLSCREEN"), 5000);
    QVERIFY(list->isVisible());
    QVERIFY(dialog.allTab()->isVisible() && dialog.searchEdit()->isVisible());
    QVERIFY(player->keepsAspect());
    QTRY_COMPARE(player->geometry().x(), 350);

    // A double click on the picture does the same.
    QVERIFY(showForInput(&dialog));
    QVERIFY(clickAt(player, player->rect().center(), 1, 2));
    QTRY_VERIFY_WITH_TIMEOUT(windowState(&dialog).contains("_NET_WM_STATE_FULLSCREEN"), 5000);
    QVERIFY(list->isHidden());
    QTest::qWait(200);
    QVERIFY(clickAt(player, player->rect().center(), 1, 2));
    QTRY_VERIFY_WITH_TIMEOUT(!windowState(&dialog).contains("_NET_WM_STATE_FULLSCREEN"), 5000);
    QVERIFY(list->isVisible());
    saveScreenshot(&dialog, "player_left_full_screen");
    dialog.OnBtnClose();
}

void TestHistoryPlayer::barsVolumeAndLayoutRules() {
    // The band that shows the bars: the bottom 49 rows, 3 pixels in from either side.
    const QSize size(500, 300);
    QVERIFY(!QHistoryDlg().isFullScreenMode());
    QVERIFY(!QPlayerWidget::inShowBand(2, 290, size));
    QVERIFY(QPlayerWidget::inShowBand(3, 290, size));
    QVERIFY(QPlayerWidget::inShowBand(3, 251, size));
    QVERIFY(!QPlayerWidget::inShowBand(3, 250, size));
    QVERIFY(!QPlayerWidget::inShowBand(498, 290, size));

    QPlayerWidget player;
    player.resize(804, 604);
    player.show();
    QVERIFY(QTest::qWaitForWindowExposed(&player));
    // Unmuting after the slider went to 0 restores the loudest volume.
    player.SoundValueChange(0.0);
    QVERIFY(player.controlBar()->muteButton()->isVisibleTo(player.controlBar()));
    player.OnBtnVolume(false);
    QCOMPARE(player.volume(), 200.0f);
    QCOMPARE(player.controlBar()->volumeSlider()->value(), 100.0);
    QCOMPARE(player.playObject()->volume(), 200.0f);
    player.playObject()->setSoundVolume(-5);
    QCOMPARE(player.playObject()->volume(), 0.0f);

    // A 1920 x 1080 picture in an 800 x 600 window.
    VideoImageWindow* window = player.videoWindow();
    QCOMPARE(window->size(), QSize(800, 600));
    window->fitKeepingAspect(1920, 1080);
    QCOMPARE(window->surface()->geometry(), QRect(0, 75, 800, 450));
    window->showActualSize(320, 240);
    QCOMPARE(window->surface()->geometry(), QRect(240, 180, 320, 240));

    // The control bar centres its play button 10 pixels right of the middle.
    PlayBtnWidget* bar = player.controlBar();
    bar->resize(860, 42);
    bar->show();
    QTRY_VERIFY(bar->isVisible());
    QCOMPARE(bar->playButton()->x(), (860 - bar->playButton()->width()) / 2 + 10);
    QSignalSpy played(bar, &PlayBtnWidget::emitBtnPlay);
    bar->OnBtnPalyOrPause();
    QCOMPARE(played.count(), 1);
    QVERIFY(bar->pauseButton()->isVisibleTo(bar));
    bar->actualSizeButton()->show();
    bar->scaleButton()->show();
    bar->scaleButton()->click();
    QVERIFY(bar->scaleButton()->isChecked() && !bar->scaleButton()->isEnabled());

    // Times: a zero duration is no division; hours are not cut to two digits.
    QCOMPARE(RZQPlayObject::timeText(0, 0), QString("00:00:00 / 00:00:00"));
    QCOMPARE(RZQPlayObject::timeText(3723000000ull, 360000000000ull), QString("01:02:03 / 100:00:00"));
    // Closing without anything open still reports the end.
    QSignalSpy closed(player.playObject(), &RZQPlayObject::emitClosePlay);
    player.closePlay();
    QCOMPARE(closed.count(), 1);
}

void TestHistoryPlayer::playingSavesAMissingCoverAndShowsTheBarsForAWhile() {
    const QString cover = getTempProductDir() + "/player_cover_test.JPG";
    QFile::remove(cover);
    QVERIFY(writeHistory(m_folders, {{m_video, "mp4", true, false, "", cover}}));
    QHistoryDlg dialog;
    QVERIFY(playRow(dialog, "my clip é.mp4", 100000));
    QVERIFY(QFile::exists(cover)); // a picture of the file, fitted into 120 x 120
    const QJsonObject saved = fixtures::stream(fixtures::probe(cover), "video");
    QCOMPARE(saved.value("width").toInt(), 120);
    QCOMPARE(saved.value("height").toInt(), 90);

    // After a row starts, the bars show for 15 ticks wherever the pointer is.
    QPlayerWidget* player = dialog.playerWidget();
    const QPoint away = dialog.mapToGlobal(QPoint(100, 200));
    QVERIFY(xdotool({"mousemove", "--sync", QString::number(away.x()), QString::number(away.y())}));
    QTRY_VERIFY(!player->controlBar()->isVisible());
    QElapsedTimer shown;
    player->startShowPlayWgt();
    QCOMPARE(player->showCounter(), 15);
    QTRY_VERIFY(player->controlBar()->isVisible() && player->caption()->isVisible());
    shown.start();
    QTRY_VERIFY_WITH_TIMEOUT(!player->controlBar()->isVisible(), 4000);
    QVERIFY(shown.elapsed() >= 1000);
    QCOMPARE(player->showCounter(), 0);
    QFile::remove(cover);
    dialog.OnBtnClose();
}

QTEST_MAIN(TestHistoryPlayer)
#include "tst_history_player.moc"
