// The editor's playback controller on the virtual desktop: pictures painted into the
// preview widget, play and pause with their signals, position and time texts, steps,
// trim ranges, the crop preview and its drag, snapshots, sound levels, failed opens and
// the equaliser curves.
#include "media/QMediaElementWindow.h"
#include "media/RZPlayerClass.h"
#include "media/RZPlayerManager.h"
#include "platform/codec/calvorine_codec.h"
#include "tests/platform/codec/playback_fixtures.h"

#include <QImage>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <numeric>

namespace {

// The share of the widget's pixels that are not black.
// The gray levels of every fourth pixel of every fourth row of the widget as drawn.
QVector<int> sampledGrays(QWidget* widget) {
    const QImage image = widget->grab().toImage();
    QVector<int> grays;
    for (int y = 0; y < image.height(); y += 4) {
        for (int x = 0; x < image.width(); x += 4) {
            grays << qGray(image.pixel(x, y));
        }
    }
    return grays;
}

double litShare(QWidget* widget) {
    const QVector<int> grays = sampledGrays(widget);
    const auto lit = std::count_if(grays.begin(), grays.end(), [](int gray) { return gray > 30; });
    return grays.isEmpty() ? 0.0 : double(lit) / grays.size();
}

double meanGray(QWidget* widget) {
    const QVector<int> grays = sampledGrays(widget);
    return grays.isEmpty() ? 0.0 : std::accumulate(grays.begin(), grays.end(), 0.0) / grays.size();
}

void sendMouse(RZPlayerManager& manager, QEvent::Type type, QPoint at) {
    QMouseEvent event(type, at, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    if (type == QEvent::MouseButtonPress) {
        manager.mousePressEvent(&event);
    } else if (type == QEvent::MouseMove) {
        manager.mouseMoveEvent(&event);
    } else {
        manager.mouseReleaseEvent(&event);
    }
}

} // namespace

class TestMediaPlayerManager : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void picturesArePaintedIntoThePreview();
    void theEditsShowInThePreviewSurfaceOnly();
    void playPauseAndTimes();
    void stepsAndTrimRange();
    void cropPreviewAndItsDrag();
    void anEmptyRangeShowsNoProgress();
    void watermarkDragMovesTheImage();
    void snapshotIsSavedAtTheVideoSize();
    void soundOnlyMediaGivesLevelData();
    void aFailedOpenResetsAndLeavesNothingPlaying();
    void equaliserCurvesAreHandedOverOnce();
    void quickOpensSeeksStopsAndReleases();
    void aFileThatStartsLateIsTimedFromItsStart();

private:
    QTemporaryDir m_dir;
    QString m_clip;
    QString m_tone;
    QMediaElementWindow* m_window = nullptr;
    RZPlayerManager* m_manager = nullptr;
};

void TestMediaPlayerManager::initTestCase() {
    cvcodec_set_log_level(0);
    QVERIFY(m_dir.isValid());
    m_clip = m_dir.filePath("clip.mp4");
    QVERIFY(fixtures::makeClip(m_clip, 6.0, "320x240", 30, {"-c:v", "libx264", "-preset", "ultrafast"}));
    m_tone = m_dir.filePath("tone.m4a");
    QVERIFY(fixtures::makeTone(m_tone, 3.0, {"-c:a", "aac"}));
}

void TestMediaPlayerManager::init() {
    m_window = new QMediaElementWindow();
    m_window->resize(480, 480);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
    m_manager = new RZPlayerManager();
    m_manager->createPlayer(true);
    m_manager->setVideoWidget(m_window);
}

void TestMediaPlayerManager::cleanup() {
    delete m_manager;
    m_manager = nullptr;
    delete m_window;
    m_window = nullptr;
}

void TestMediaPlayerManager::picturesArePaintedIntoThePreview() {
    QSignalSpy hasVideo(m_manager, &RZPlayerManager::emitIsHaveVideo);
    QSignalSpy changed(m_manager, &RZPlayerManager::emitPlayerChange);
    QVERIFY(m_manager->openFileInNewPlayer(m_clip, 320, 240, 3));
    QCOMPARE(hasVideo.count(), 1);
    QCOMPARE(hasVideo.first().first().toBool(), true);
    QCOMPARE(changed.count(), 1);
    m_manager->resizeOutputs();
    // The element keeps 4:3 inside the square window, centred.
    QCOMPARE(m_window->videoElementRect(), QRect(0, 60, 480, 360));
    QTRY_VERIFY_WITH_TIMEOUT(litShare(m_window) > 0.4, 5000);
}

// The main surface shows the file as it is (the crop frame is drawn over it); the second
// surface shows the edited output.
void TestMediaPlayerManager::theEditsShowInThePreviewSurfaceOnly() {
    QMediaElementWindow second;
    second.resize(480, 480);
    second.move(500, 0);
    second.show();
    QVERIFY(QTest::qWaitForWindowExposed(&second));
    m_manager->setSecondVideoWidget(&second);
    QVERIFY(m_manager->openFileInNewPlayer(m_clip, 320, 240, 3));
    m_manager->resizeOutputs();
    QTRY_VERIFY_WITH_TIMEOUT(litShare(m_window) > 0.4, 5000);
    QTRY_VERIFY_WITH_TIMEOUT(litShare(&second) > 0.4, 5000);
    const double unedited = meanGray(m_window);
    QTRY_VERIFY(qAbs(meanGray(&second) - unedited) < 10);
    m_manager->setAdjustSettings(-255, 0, 100, 100, 0); // as dark as it goes
    QTRY_VERIFY_WITH_TIMEOUT(meanGray(&second) < unedited / 2, 5000);
    m_manager->player()->repaint();
    QTest::qWait(200); // a repaint of both surfaces has had its time
    QVERIFY2(qAbs(meanGray(m_window) - unedited) < 10, qPrintable(QString::number(meanGray(m_window))));
    // Played on, the main surface still shows the unedited pictures.
    m_manager->onPlay();
    QTest::qWait(500);
    m_manager->onPause();
    QTRY_VERIFY_WITH_TIMEOUT(meanGray(&second) < unedited / 2, 5000);
    QVERIFY(meanGray(m_window) > unedited * 0.8);
    m_window->grab().save(QStringLiteral(CALVORINE_TEST_OUTPUT_DIR "/editor_player_source_surface.png"));
    second.grab().save(QStringLiteral(CALVORINE_TEST_OUTPUT_DIR "/editor_player_preview_surface.png"));
    m_manager->setSecondVideoWidget(nullptr);
}

void TestMediaPlayerManager::playPauseAndTimes() {
    QVERIFY(m_manager->openFileInNewPlayer(m_clip, 320, 240, 3));
    QSignalSpy state(m_manager, qOverload<bool>(&RZPlayerManager::emitPlayState));
    QSignalSpy times(m_manager, &RZPlayerManager::emitPlayTime);
    QSignalSpy progress(m_manager, &RZPlayerManager::emitPlayProgress);
    m_manager->onPlay();
    QCOMPARE(state.count(), 1);
    QCOMPARE(state.first().first().toBool(), true);
    QTest::qWait(1200);
    QVERIFY(!times.isEmpty());
    QVERIFY(times.last().first().toString().endsWith(QStringLiteral(" / 00:00:06")));
    const double share = progress.last().first().toDouble();
    QVERIFY2(share > 0.05 && share < 0.4, qPrintable(QString::number(share)));
    m_manager->onPause();
    QCOMPARE(state.last().first().toBool(), false);
    QVERIFY(m_manager->player()->isPaused());
    // Played to the end, it stops at the range start.
    QSignalSpy finished(m_manager, &RZPlayerManager::emitPlayFinish);
    m_manager->progressValueChange(0.95);
    m_manager->onPlay();
    QTRY_VERIFY_WITH_TIMEOUT(!finished.isEmpty(), 5000);
    QVERIFY(m_manager->player()->frameTime() < 100000);
}

void TestMediaPlayerManager::stepsAndTrimRange() {
    QVERIFY(m_manager->openFileInNewPlayer(m_clip, 320, 240, 3));
    QSignalSpy trimChange(m_manager, &RZPlayerManager::emitTrimTimeChange);
    m_manager->onTrim(1000000, 3000000);
    QCOMPARE(trimChange.count(), 1);
    QCOMPARE(trimChange.first().at(0).value<uint64_t>(), uint64_t(1000000));
    QCOMPARE(m_manager->playRangeLength(), uint64_t(2000000));
    QSignalSpy percent(m_manager, &RZPlayerManager::emitStartEndProgressValue);
    m_manager->onNextStep(true, 0.5f);
    const uint64_t shown = m_manager->player()->frameTime();
    QVERIFY2(shown > 2000000 && shown < 2100000, qPrintable(QString::number(shown)));
    QVERIFY(qAbs(percent.last().first().toFloat() - 50.0f) < 3.0f);
    // At the range's end a step shows the current picture instead of leaving the range.
    m_manager->onNextStep(true, 1.0f);
    QVERIFY(m_manager->player()->frameTime() <= 3000000);
    m_manager->onPreviousStep(true, 0.0f);
    QVERIFY(m_manager->player()->frameTime() <= 1000000);
    m_manager->onReset();
    QCOMPARE(trimChange.last().at(1).value<uint64_t>(), uint64_t(0));
    QCOMPARE(m_manager->playRangeLength(), m_manager->duration());
}

void TestMediaPlayerManager::cropPreviewAndItsDrag() {
    QVERIFY(m_manager->openFileInNewPlayer(m_clip, 320, 240, 3));
    m_manager->resizeOutputs();
    QSignalSpy cropChange(m_manager, &RZPlayerManager::emitCropAreaChange);
    VECropSettings crop;
    crop.rotation = 90;
    m_manager->setCropSettings(crop);
    QCOMPARE(cropChange.count(), 1);
    int width = 0;
    int height = 0;
    m_manager->player()->displaySize(&width, &height);
    QCOMPARE(QSize(width, height), QSize(240, 320));

    // Dragging the right edge far to the left stops at 20 pixels of the element.
    crop = VECropSettings();
    m_manager->setCropSettings(crop);
    m_manager->resizeOutputs();
    const QRect element = m_window->videoElementRect();
    const int middle = element.top() + element.height() / 2;
    sendMouse(*m_manager, QEvent::MouseButtonPress, QPoint(element.left() + element.width(), middle));
    sendMouse(*m_manager, QEvent::MouseMove, QPoint(element.left() - 200, middle));
    sendMouse(*m_manager, QEvent::MouseButtonRelease, QPoint(element.left() - 200, middle));
    const VECropSettings dragged = m_manager->cropSettings();
    QVERIFY(qAbs(dragged.pictureRect[2] * element.width() - 20.0) < 0.001);
    QCOMPARE(dragged.pictureRect[0], 0.0);
    QVERIFY(cropChange.count() >= 3);

    // With the crop rectangle in force the shape is locked: an edge drag takes the other
    // dimension along.
    m_manager->setCropSettings(VECropSettings()); // the whole picture again: 4:3 on display
    crop = VECropSettings();
    crop.cropMode = 1;
    crop.padEnabled = 1;
    m_manager->setCropSettings(crop);
    const VECropSettings fitted = m_manager->cropSettings();
    QVERIFY(qAbs(fitted.cropRect[2] - 1.0) < 0.001 && qAbs(fitted.cropRect[3] - 1.0) < 0.001);
    sendMouse(*m_manager, QEvent::MouseButtonPress, QPoint(element.left() + element.width(), middle));
    sendMouse(*m_manager, QEvent::MouseMove, QPoint(element.left() + element.width() - 96, middle));
    sendMouse(*m_manager, QEvent::MouseButtonRelease, QPoint(element.left() + element.width() - 96, middle));
    const VECropSettings locked = m_manager->cropSettings();
    QVERIFY2(qAbs(locked.cropRect[2] - 0.8) < 0.001, qPrintable(QString::number(locked.cropRect[2])));
    QVERIFY2(qAbs(locked.cropRect[3] - 0.8) < 0.001, qPrintable(QString::number(locked.cropRect[3])));
    QCOMPARE(locked.cropRect[0], 0.0);
}

void TestMediaPlayerManager::anEmptyRangeShowsNoProgress() {
    QVERIFY(m_manager->openFileInNewPlayer(m_clip, 320, 240, 3));
    // A range that starts at the file's end, or past it (an open end), has length 0: no
    // division by it, and no length that wrapped round.
    for (const uint64_t start : {m_manager->duration(), m_manager->duration() + 1500000}) {
        m_manager->setPlayRange(start, 0);
        QCOMPARE(m_manager->playRangeLength(), uint64_t(0));
        QSignalSpy progress(m_manager, &RZPlayerManager::emitPlayProgress);
        QSignalSpy percent(m_manager, &RZPlayerManager::emitStartEndProgressValue);
        QSignalSpy times(m_manager, &RZPlayerManager::emitPlayTime);
        m_manager->onNextStep(true, 0.5f);
        m_manager->onPreviousStep(true, 0.5f);
        m_manager->updateTime();
        QVERIFY(!progress.isEmpty());
        for (const QList<QVariant>& call : progress) {
            QCOMPARE(call.first().toDouble(), 0.0);
        }
        for (const QList<QVariant>& call : percent) {
            QCOMPARE(call.first().toFloat(), 0.0f);
        }
        QVERIFY(!times.isEmpty());
        for (const QList<QVariant>& call : times) {
            QVERIFY2(call.first().toString().endsWith(QStringLiteral(" / 00:00:00")),
                     qPrintable(call.first().toString()));
        }
    }
}

void TestMediaPlayerManager::watermarkDragMovesTheImage() {
    const QString white = m_dir.filePath("mark.png");
    QVERIFY(fixtures::ffmpeg({"-f", "lavfi", "-i", "color=white:size=64x48", "-frames:v", "1", white}));
    QMediaElementWindow second;
    second.resize(320, 240);
    second.show();
    QVERIFY(QTest::qWaitForWindowExposed(&second));
    m_manager->setSecondVideoWidget(&second);
    QVERIFY(m_manager->openFileInNewPlayer(m_clip, 320, 240, 3));
    m_manager->resizeOutputs();
    QCOMPARE(second.videoElementRect(), QRect(0, 0, 320, 240));

    VEWatermarkSettings mark;
    mark.image.imagePath = white.toStdString();
    mark.image.x = 0.1;
    mark.image.y = 0.1;
    mark.text.textSelected = 0;
    QSignalSpy rectChange(m_manager, &RZPlayerManager::emitWatermarkRectChange);
    m_manager->setWatermarkSettings(mark, 0, true);
    QCOMPARE(rectChange.count(), 1);
    VEWatermarkSettings placed = rectChange.last().first().value<VEWatermarkSettings>();
    // The image's fitted size: 64 x 48 of a 320 x 240 picture.
    QVERIFY(qAbs(placed.image.fittedWidth - 0.2) < 0.001);
    QVERIFY(qAbs(placed.image.fittedHeight - 0.2) < 0.001);

    // Press inside the image (32 + 10, 24 + 10) and move it 64 pixels right, 24 down.
    QMouseEvent press(QEvent::MouseButtonPress, QPoint(42, 34), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    m_manager->mouseWatermarkPressEvent(&press);
    QMouseEvent move(QEvent::MouseMove, QPoint(106, 58), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    m_manager->mouseWatermarkMoveEvent(&move);
    QMouseEvent release(QEvent::MouseButtonRelease, QPoint(106, 58), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    m_manager->mouseWatermarkReleaseEvent(&release);
    VEWatermarkSettings moved;
    m_manager->watermarkSettings(moved);
    QVERIFY2(qAbs(moved.image.x - 0.3) < 0.01, qPrintable(QString::number(moved.image.x)));
    QVERIFY(qAbs(moved.image.y - 0.2) < 0.01);
    QCOMPARE(moved.image.scaleHorizontal, 100);
    // Dragged past the border it stays inside the picture.
    m_manager->mouseWatermarkPressEvent(&move);
    QMouseEvent far(QEvent::MouseMove, QPoint(1000, 1000), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    m_manager->mouseWatermarkMoveEvent(&far);
    m_manager->watermarkSettings(moved);
    QVERIFY(qAbs(moved.image.x - 0.8) < 0.001);
    QVERIFY(qAbs(moved.image.y - 0.8) < 0.001);
    m_manager->setSecondVideoWidget(nullptr);
}

void TestMediaPlayerManager::snapshotIsSavedAtTheVideoSize() {
    QVERIFY(m_manager->openFileInNewPlayer(m_clip, 320, 240, 3));
    const QString path = m_dir.filePath("snapshot.png");
    QVERIFY(m_manager->saveSnapshot(path, QStringLiteral("PNG")));
    QCOMPARE(QImage(path).size(), QSize(320, 240));
    // Without a format the path's suffix decides.
    const QString jpeg = m_dir.filePath("snapshot.jpg");
    QVERIFY(m_manager->saveSnapshot(jpeg));
    QCOMPARE(QImage(jpeg, "JPG").size(), QSize(320, 240));
    int width = 0;
    int height = 0;
    m_manager->videoSize(&width, &height);
    QCOMPARE(QSize(width, height), QSize(320, 240));
}

void TestMediaPlayerManager::soundOnlyMediaGivesLevelData() {
    QSignalSpy hasVideo(m_manager, &RZPlayerManager::emitIsHaveVideo);
    QVERIFY(m_manager->openFileInNewPlayer(m_tone, 0, 0, 3));
    QCOMPARE(hasVideo.first().first().toBool(), false);
    int samples = 0;
    connect(m_manager, &RZPlayerManager::emitAudioData, this, [&samples](unsigned char* block, int count) {
        if (block && count > 0) {
            samples += count;
        }
    });
    m_manager->onPlay();
    QTRY_VERIFY_WITH_TIMEOUT(samples > 4410, 5000);
    m_manager->onStop();
}

void TestMediaPlayerManager::aFailedOpenResetsAndLeavesNothingPlaying() {
    QVERIFY(m_manager->openFileInNewPlayer(m_clip, 320, 240, 3));
    QSignalSpy finished(m_manager, &RZPlayerManager::emitPlayFinish);
    QSignalSpy times(m_manager, &RZPlayerManager::emitPlayTime);
    QVERIFY(!m_manager->openFileInNewPlayer(m_dir.filePath("missing.mp4"), 320, 240, 3));
    QCOMPARE(finished.count(), 1);
    QCOMPARE(times.last().first().toString(), QStringLiteral("00:00:00 / 00:00:00"));
    // The previous file does not play on under the new name.
    QVERIFY(!m_manager->player()->hasVideo());
    QCOMPARE(m_manager->duration(), uint64_t(0));
    QSignalSpy state(m_manager, qOverload<bool>(&RZPlayerManager::emitPlayState));
    m_manager->onPlay();
    QVERIFY(state.isEmpty() || !state.last().first().toBool());
    QTRY_VERIFY_WITH_TIMEOUT(litShare(m_window) < 0.05, 3000);
}

void TestMediaPlayerManager::equaliserCurvesAreHandedOverOnce() {
    QVERIFY(m_manager->openFileInNewPlayer(m_tone, 0, 0, 3));
    const double frequencies[] = {60.0, 1000.0, 8000.0};
    const double gains[] = {6.0, -3.0, 2.0};
    VEDoubleArrays curves;
    curves.assign(frequencies, gains, 3);
    // The controller frees its copy's arrays; the copy's own destructor must not free
    // them a second time, and the caller's record keeps its own.
    m_manager->setAudioEffectCurves(curves);
    m_manager->setAudioEffectCurves(curves);
    QCOMPARE(curves.count, 3);
    QCOMPARE(curves.gains[1], -3.0);
    m_manager->setAudioEffect(150, 100, 100);
    m_manager->onPlay();
    QTest::qWait(300);
    m_manager->onStop();
}

void TestMediaPlayerManager::quickOpensSeeksStopsAndReleases() {
    // Opens, plays, seeks, steps and stops follow each other with hardly a picture or a
    // sound block between them, while the decoder and the sound output are still busy.
    for (int round = 0; round < 12; ++round) {
        const bool video = round % 3 != 2;
        QVERIFY(m_manager->openFileInNewPlayer(video ? m_clip : m_tone, 320, 240, 3));
        m_manager->onPlay();
        QTest::qWait(round % 4 * 10);
        m_manager->player()->seek(uint64_t(round % 5) * 1000000);
        m_manager->onNextStep(false, 0.0f);
        m_manager->onPlay();
        m_manager->player()->seek(uint64_t(round % 2) * 2500000);
        QCoreApplication::processEvents();
        if (round % 2) {
            m_manager->onPause();
        }
        m_manager->onStop();
        if (round % 4 == 3) {
            // A new player replaces the running one outright.
            m_manager->onPlay();
            m_manager->createPlayer(true);
            m_manager->setVideoWidget(m_window);
        }
    }
    // Still answers after all that: a last file opens, plays and moves on.
    QVERIFY(m_manager->openFileInNewPlayer(m_clip, 320, 240, 3));
    m_manager->onPlay();
    QTRY_VERIFY_WITH_TIMEOUT(m_manager->player()->position() > 200000, 5000);
    m_manager->onStop();
    // Released while playing.
    m_manager->onPlay();
    delete m_manager;
    m_manager = nullptr;
}

// An MPEG-TS file made by ffmpeg starts at 1.4 s: its times, trim range and steps count
// from its first picture or sound, and the picture shown is the one of that time.
void TestMediaPlayerManager::aFileThatStartsLateIsTimedFromItsStart() {
    const QString path = m_dir.filePath("late.ts");
    QVERIFY(fixtures::makeNumberedClip(path, 4.0));
    const QJsonObject info = fixtures::probe(path);
    const double firstPicture = fixtures::timelineOf(info).streamStart(info, "video");
    QVERIFY(m_manager->openFileInNewPlayer(path, 64, 48, 3));
    QVERIFY(qAbs(double(m_manager->duration()) - fixtures::timelineOf(info).length * 1e6) < 50000);
    QSignalSpy times(m_manager, &RZPlayerManager::emitPlayTime);
    m_manager->progressValueChange(0.5);
    QVERIFY(!times.isEmpty());
    QVERIFY2(times.last().first().toString() == QStringLiteral("00:00:02 / 00:00:04"),
             qPrintable(times.last().first().toString()));

    m_manager->onTrim(1000000, 3000000);
    m_manager->onNextStep(true, 0.5f);
    const uint64_t shown = m_manager->player()->frameTime();
    QVERIFY2(shown > 2000000 && shown < 2100000, qPrintable(QString::number(shown)));
    const QString snapshot = m_dir.filePath("late.png");
    QVERIFY(m_manager->saveSnapshot(snapshot));
    QCOMPARE(fixtures::frameNumberOf(QImage(snapshot)), qRound((shown / 1e6 - firstPicture) * 25.0));
}

QTEST_MAIN(TestMediaPlayerManager)
#include "test_media_player_manager.moc"
