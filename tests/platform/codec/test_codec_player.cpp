// Player handles: play, pause, seek, frame steps, end, snapshot, level blocks, the sound
// on the sound server's null sink, live edits and bad input.
#include "platform/codec/calvorine_codec.h"
#include "tests/platform/codec/playback_fixtures.h"
#include "tests/support/PrivateSink.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <cmath>
#include <cstring>

namespace {

int threadCount() {
    return QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size();
}

const double kFrameUs = 1000000.0 / 30.0;

// A level block's sound: its byte count at offset 24, the samples from offset 44.
uint32_t levelBytes(const uint8_t* block) {
    uint32_t bytes = 0;
    std::memcpy(&bytes, block + 24, 4);
    return bytes;
}

const int16_t* levelSamples(const uint8_t* block) {
    return reinterpret_cast<const int16_t*>(block + 44);
}

int levelPeak(const uint8_t* block) {
    const int16_t* samples = levelSamples(block);
    int peak = 0;
    for (uint32_t i = 0; i < levelBytes(block) / 2; ++i) {
        peak = std::max(peak, std::abs(int(samples[i])));
    }
    return peak;
}

// The first level block of a playing player; null after 5 s without one. The sound
// server may hold the first writes for a while (a sink waking up).
uint8_t* awaitLevelBlock(cvcodec_player player) {
    uint8_t* block = nullptr;
    for (int i = 0; i < 100 && !block; ++i) {
        QTest::qWait(50);
        block = cvcodec_player_level_block(player, 1);
    }
    return block;
}

QImage snapshotOf(cvcodec_player player) {
    uint8_t* block = cvcodec_player_snapshot(player, 0, 0, 0);
    if (!block) {
        return {};
    }
    uint32_t size = 0;
    std::memcpy(&size, block + 2, 4);
    QImage image = QImage::fromData(block, int(size), "BMP");
    cvcodec_player_release_snapshot(player, block);
    return image;
}

} // namespace

class TestCodecPlayer : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void playPauseSeekAndStep();
    void theEndComesAfterTheLastFrame();
    void snapshotHasTheVideoSize();
    void anOddSizeIsShownAsTheFileHasIt_data();
    void anOddSizeIsShownAsTheFileHasIt();
    void liveEditsChangeThePicture();
    void imageFactorsCoverAShareOfThePicture();
    void soundOnlyGivesLevelBlocks();
    void levelBlocksGoOnWhileTheSoundServerHoldsTheWrites();
    void aSinkThatGoesAwayLeavesThePlayerRunning();
    void volumeAndSpeedApplyWhilePlaying();
    void soundReachesTheNullSink();
    void aFailedOpenLeavesThePlayerEmpty();
    void badInputIsRefused();
    void quickOpensSeeksStopsAndReleases();
    void aFrameCallbackMayAskThePlayer();
    void aFileThatStartsLateRunsFromZero_data();
    void aFileThatStartsLateRunsFromZero();

private:
    QTemporaryDir m_dir;
    QString m_clip;
    QString m_tone;
};

namespace {

// A frame callback that asks the player for its position and picture, as an owner that
// paints at once would.
struct AskingOwner {
    cvcodec_player player = nullptr;
    std::atomic<int> frames{0};
    std::atomic<uint64_t> lastPosition{0};
    static void onFrame(void* context) {
        auto* self = static_cast<AskingOwner*>(context);
        self->lastPosition = cvcodec_player_position(self->player);
        int32_t width = 0;
        int32_t height = 0;
        cvcodec_player_frame_size(self->player, &width, &height);
        ++self->frames;
    }
};

} // namespace

void TestCodecPlayer::initTestCase() {
    cvcodec_set_log_level(0);
    QVERIFY(m_dir.isValid());
    m_clip = m_dir.filePath("clip.mp4");
    QVERIFY(fixtures::makeClip(m_clip, 10.0, "320x240", 30, {"-c:v", "libx264", "-preset", "ultrafast", "-g", "60"}));
    m_tone = m_dir.filePath("tone.mp3");
    QVERIFY(fixtures::makeTone(m_tone, 4.0));
}

void TestCodecPlayer::playPauseSeekAndStep() {
    cvcodec_player player = cvcodec_player_create(-1);
    QVERIFY(cvcodec_player_open(player, m_clip.toUtf8().constData(), 0, 0, 0, 0));
    QVERIFY(cvcodec_player_has_video(player));
    QVERIFY(cvcodec_player_has_audio(player));
    QVERIFY(cvcodec_player_is_paused(player));
    QCOMPARE(cvcodec_player_frame_time(player), uint64_t(0));
    QVERIFY(qAbs(double(cvcodec_player_duration(player)) - 10e6) < 50000);

    QVERIFY(cvcodec_player_play(player));
    // Measured from the first advance, so that a slow start on a loaded machine (the
    // sound server wakes its sink, the decoder fills its queues) is not counted as a
    // clock that runs slow.
    QTRY_VERIFY_WITH_TIMEOUT(cvcodec_player_position(player) > 0, 5000);
    const double started = double(cvcodec_player_position(player));
    QElapsedTimer played;
    played.start();
    QTest::qWait(1000);
    const double position = double(cvcodec_player_position(player)) - started;
    const double elapsed = played.nsecsElapsed() / 1000.0;
    QVERIFY2(position > elapsed - 350000 && position < elapsed + 200000, qPrintable(QString::number(position)));
    // The shown picture follows the clock.
    QVERIFY(cvcodec_player_frame_time(player) > 500000);

    QVERIFY(cvcodec_player_pause(player));
    QVERIFY(cvcodec_player_is_paused(player));
    const uint64_t paused = cvcodec_player_position(player);
    QTest::qWait(300);
    QCOMPARE(cvcodec_player_position(player), paused);

    QVERIFY(cvcodec_player_seek(player, 5000000));
    const double landed = double(cvcodec_player_frame_time(player));
    QVERIFY2(qAbs(landed - 5e6) < kFrameUs, qPrintable(QString::number(landed)));
    QVERIFY(cvcodec_player_step(player, 1));
    const double next = double(cvcodec_player_frame_time(player));
    QVERIFY2(qAbs(next - landed - kFrameUs) < 1000, qPrintable(QString::number(next - landed)));
    QVERIFY(cvcodec_player_step(player, -1));
    QVERIFY(qAbs(double(cvcodec_player_frame_time(player)) - landed) < 1000);
    // A step while playing pauses first.
    QVERIFY(cvcodec_player_play(player));
    QVERIFY(cvcodec_player_step(player, 1));
    QVERIFY(cvcodec_player_is_paused(player));
    cvcodec_player_release(player);
}

void TestCodecPlayer::theEndComesAfterTheLastFrame() {
    cvcodec_player player = cvcodec_player_create(-1);
    QVERIFY(cvcodec_player_open(player, m_clip.toUtf8().constData(), 0, 0, 0, 0));
    QVERIFY(cvcodec_player_seek(player, 9980000));
    QVERIFY(!cvcodec_player_is_at_end(player));
    const uint64_t last = cvcodec_player_frame_time(player);
    QVERIFY(qAbs(double(last) - (10e6 - kFrameUs)) < 1000);
    QVERIFY(!cvcodec_player_step(player, 1));
    QVERIFY(cvcodec_player_is_at_end(player));
    QCOMPARE(cvcodec_player_frame_time(player), last);
    // Playing from the end starts over; playing to the end stops there.
    QVERIFY(cvcodec_player_seek(player, 9500000));
    QVERIFY(cvcodec_player_play(player));
    QTRY_VERIFY_WITH_TIMEOUT(cvcodec_player_is_at_end(player), 5000);
    QVERIFY(cvcodec_player_is_paused(player));
    cvcodec_player_release(player);
}

void TestCodecPlayer::snapshotHasTheVideoSize() {
    cvcodec_player player = cvcodec_player_create(-1);
    QVERIFY(cvcodec_player_open(player, m_clip.toUtf8().constData(), 0, 0, 0, 0));
    QCOMPARE(cvcodec_player_video_width(player), 320);
    QCOMPARE(cvcodec_player_video_height(player), 240);
    QVERIFY(cvcodec_player_seek(player, 2000000));
    const QImage image = snapshotOf(player);
    QCOMPARE(image.size(), QSize(320, 240));
    // testsrc is a bright pattern, never a black picture.
    qint64 sum = 0;
    for (int y = 0; y < image.height(); y += 8) {
        for (int x = 0; x < image.width(); x += 8) {
            sum += qGray(image.pixel(x, y));
        }
    }
    QVERIFY(sum / ((image.width() / 8) * (image.height() / 8)) > 40);
    cvcodec_player_release(player);
}

void TestCodecPlayer::anOddSizeIsShownAsTheFileHasIt_data() {
    QTest::addColumn<int>("shapeWidth");
    QTest::addColumn<int>("shapeHeight");
    QTest::addColumn<bool>("pad");
    QTest::newRow("no shape") << 0 << 0 << false;
    QTest::newRow("its own size") << 1919 << 1079 << false;
    QTest::newRow("its own size, padded") << 1919 << 1079 << true;
    QTest::newRow("16:9, the file's shape") << 16 << 9 << false;
    QTest::newRow("16:9, padded") << 16 << 9 << true;
}

// Sizes of odd dimensions are not rounded to even ones on the way to the screen: the
// shown picture, the snapshot and the reported sizes are the file's, as ffprobe reads it.
void TestCodecPlayer::anOddSizeIsShownAsTheFileHasIt() {
    QFETCH(int, shapeWidth);
    QFETCH(int, shapeHeight);
    QFETCH(bool, pad);
    const QString odd = m_dir.filePath("odd.mkv");
    if (!QFile::exists(odd)) {
        QVERIFY(fixtures::makeAnySizeClip(odd, "1919x1079", 10));
    }
    const QJsonObject stream = fixtures::stream(fixtures::probe(odd), "video");
    const QSize fileSize(stream.value("width").toInt(), stream.value("height").toInt());
    QCOMPARE(fileSize, QSize(1919, 1079));
    cvcodec_player player = cvcodec_player_create(-1);
    QVERIFY(cvcodec_player_open(player, odd.toUtf8().constData(), 0, 0, 0, 0));
    cvcodec_player_begin_update(player);
    cvcodec_player_set_pad(player, pad ? 1 : 0, 0xff000000);
    cvcodec_player_set_output_size(player, shapeWidth, shapeHeight);
    cvcodec_player_end_update(player);
    QVERIFY(cvcodec_player_seek(player, 500000));
    QCOMPARE(QSize(cvcodec_player_video_width(player), cvcodec_player_video_height(player)), fileSize);
    QCOMPARE(QSize(cvcodec_player_display_width(player), cvcodec_player_display_height(player)), fileSize);
    int32_t width = 0;
    int32_t height = 0;
    QVERIFY(cvcodec_player_frame_size(player, &width, &height));
    QCOMPARE(QSize(width, height), fileSize);
    QCOMPARE(snapshotOf(player).size(), fileSize);
    cvcodec_player_release(player);
}

void TestCodecPlayer::liveEditsChangeThePicture() {
    cvcodec_player player = cvcodec_player_create(-1);
    QVERIFY(cvcodec_player_open(player, m_clip.toUtf8().constData(), 0, 0, 0, 0));
    QCOMPARE(cvcodec_player_display_width(player), 320);
    QVERIFY(cvcodec_player_begin_update(player));
    cvcodec_player_set_rotation(player, 90);
    cvcodec_player_set_picture_rect(player, 0.0, 0.0, 0.5, 0.5);
    // Gathered: nothing changes before the group ends.
    QCOMPARE(cvcodec_player_display_width(player), 320);
    QVERIFY(cvcodec_player_end_update(player));
    QCOMPARE(cvcodec_player_display_width(player), 120);
    QCOMPARE(cvcodec_player_display_height(player), 160);
    QCOMPARE(snapshotOf(player).size(), QSize(120, 160));
    // Brightness all the way down darkens the picture.
    cvcodec_player_set_rotation(player, 0);
    cvcodec_player_set_picture_rect(player, 0.0, 0.0, 1.0, 1.0);
    const int before = qGray(snapshotOf(player).pixel(40, 40));
    cvcodec_player_set_brightness(player, -255);
    const int after = qGray(snapshotOf(player).pixel(40, 40));
    QVERIFY2(after < before - 25, qPrintable(QStringLiteral("%1 -> %2").arg(before).arg(after)));
    // A white watermark over the top-left corner shows within its display range only.
    const QString white = m_dir.filePath("white.png");
    QVERIFY(fixtures::ffmpeg({"-f", "lavfi", "-i", "color=white:size=64x48", "-frames:v", "1", white}));
    cvcodec_player_set_brightness(player, 0);
    cvcodec_player_select_watermark(player, 1);
    cvcodec_player_begin_update(player);
    cvcodec_player_set_watermark_image(player, white.toUtf8().constData());
    cvcodec_player_set_watermark_image_range(player, 3000000, 6000000);
    cvcodec_player_end_update(player);
    QVERIFY(cvcodec_player_seek(player, 1000000));
    QVERIFY(qGray(snapshotOf(player).pixel(20, 20)) < 250 || qGray(snapshotOf(player).pixel(40, 10)) < 250);
    QVERIFY(cvcodec_player_seek(player, 4000000));
    const QImage marked = snapshotOf(player);
    QCOMPARE(qGray(marked.pixel(20, 20)), 255);
    QCOMPARE(qGray(marked.pixel(40, 10)), 255);
    cvcodec_player_set_watermark_image(player, nullptr);
    // A watermark image that cannot be read does not stop the picture.
    cvcodec_player_select_watermark(player, 0);
    cvcodec_player_set_watermark_image(player, m_dir.filePath("missing.png").toUtf8().constData());
    QCOMPARE(snapshotOf(player).size(), QSize(320, 240));
    // ...and the picture still takes the other edits.
    const int lit = qGray(snapshotOf(player).pixel(40, 40));
    cvcodec_player_set_brightness(player, -255);
    QVERIFY(qGray(snapshotOf(player).pixel(40, 40)) < lit - 25);
    cvcodec_player_set_brightness(player, 0);
    cvcodec_player_release(player);
}

void TestCodecPlayer::imageFactorsCoverAShareOfThePicture() {
    // A 100 x 100 picture: red left half, blue right half.
    QImage halves(100, 100, QImage::Format_RGB32);
    halves.fill(Qt::red);
    for (int y = 0; y < 100; ++y) {
        for (int x = 50; x < 100; ++x) {
            halves.setPixel(x, y, qRgb(0, 0, 255));
        }
    }
    const QString path = m_dir.filePath("halves.png");
    QVERIFY(halves.save(path));
    auto isBlue = [](QRgb c) { return qBlue(c) > 200 && qRed(c) < 60 && qGreen(c) < 60; };
    auto isRed = [](QRgb c) { return qRed(c) > 200 && qBlue(c) < 60 && qGreen(c) < 60; };

    cvcodec_player player = cvcodec_player_create(-1);
    QVERIFY(cvcodec_player_open(player, m_clip.toUtf8().constData(), 0, 0, 0, 0));
    QVERIFY(cvcodec_player_seek(player, 2000000));
    const QImage plain = snapshotOf(player);
    cvcodec_player_select_watermark(player, 1);
    cvcodec_player_begin_update(player);
    cvcodec_player_set_watermark_image(player, path.toUtf8().constData());
    cvcodec_player_set_watermark_image_pos(player, 0.0, 0.0);
    cvcodec_player_set_watermark_image_factors(player, 0.5, 0.5);
    cvcodec_player_set_watermark_image_rect(player, 0.5, 0.0, 0.5, 1.0);
    cvcodec_player_end_update(player);
    // The right half of the picture, stretched over the top-left quarter (160 x 120).
    QImage shown = snapshotOf(player);
    QVERIFY(isBlue(shown.pixel(5, 5)));
    QVERIFY(isBlue(shown.pixel(150, 110)));
    QCOMPARE(shown.pixel(170, 60), plain.pixel(170, 60));
    QCOMPARE(shown.pixel(60, 130), plain.pixel(60, 130));
    QVERIFY(cvcodec_player_watermark_image_width(player) > 0.49 && cvcodec_player_watermark_image_width(player) < 0.51);
    // A rectangle that is not a part of the image draws all of it.
    cvcodec_player_set_watermark_image_rect(player, 0.8, 0.0, 0.5, std::nan(""));
    shown = snapshotOf(player);
    QVERIFY(isRed(shown.pixel(5, 5)));
    QVERIFY(isBlue(shown.pixel(150, 110)));
    // Factors of 0: the picture at its own size.
    cvcodec_player_set_watermark_image_factors(player, 0.0, 0.0);
    shown = snapshotOf(player);
    QVERIFY(isRed(shown.pixel(20, 20)));
    QVERIFY(isBlue(shown.pixel(80, 20)));
    QCOMPARE(shown.pixel(150, 60), plain.pixel(150, 60));
    cvcodec_player_release(player);
}

void TestCodecPlayer::soundOnlyGivesLevelBlocks() {
    cvcodec_player player = cvcodec_player_create(-1);
    QVERIFY(cvcodec_player_open(player, m_tone.toUtf8().constData(), 0, 0, 0, 0));
    QVERIFY(!cvcodec_player_has_video(player));
    QVERIFY(cvcodec_player_has_audio(player));
    QVERIFY(cvcodec_player_play(player));
    uint8_t* block = awaitLevelBlock(player);
    QVERIFY(block);
    const uint32_t bytes = levelBytes(block);
    uint32_t again = 0;
    std::memcpy(&again, block + 40, 4);
    QVERIFY(bytes > 0);
    QCOMPARE(again, bytes);
    QVERIFY(levelPeak(block) > 1000);
    QVERIFY(cvcodec_player_release_level_block(player, block));
    QVERIFY(!cvcodec_player_release_level_block(player, nullptr));
    cvcodec_player_release(player);
}

// A suspended sink (one of this test's own) takes a little sound and then holds every
// further write: the level display still gets a block each time it asks while the sound
// plays, and the player can be paused, sought and released at any time.
void TestCodecPlayer::levelBlocksGoOnWhileTheSoundServerHoldsTheWrites() {
    if (qEnvironmentVariableIsEmpty("PULSE_SERVER")) {
        QSKIP("no sound server of the virtual desktop");
    }
    PrivateSink sink;
    QVERIFY(sink.isValid());
    QVERIFY(sink.suspend(true));
    cvcodec_player player = cvcodec_player_create(-1);
    QVERIFY(cvcodec_player_open(player, m_tone.toUtf8().constData(), 0, 0, 0, 0));
    QVERIFY(cvcodec_player_play(player));
    QTRY_VERIFY(cvcodec_player_position(player) > 200000);
    QCOMPARE(sink.streamCount(), 1); // the sound goes to the held sink, no other
    int asked = 0;
    int answered = 0;
    int loud = 0;
    while (cvcodec_player_position(player) < 2500000 && asked < 100) {
        QTest::qWait(100);
        ++asked;
        uint8_t* block = cvcodec_player_level_block(player, 1);
        if (block) {
            ++answered;
            loud += levelPeak(block) > 1000 ? 1 : 0;
        }
        cvcodec_player_release_level_block(player, block);
    }
    QVERIFY2(asked >= 10, qPrintable(QString::number(asked)));
    // Every 100 ms some sound has been reached by the clock; a late answer now and then
    // on a loaded machine is allowed.
    QVERIFY2(answered >= asked * 3 / 4, qPrintable(QStringLiteral("%1 of %2").arg(answered).arg(asked)));
    QVERIFY(loud >= answered - 1);
    // The writes are held by now: pausing, seeking back and playing on still answer, and
    // the clock goes on.
    QVERIFY(cvcodec_player_pause(player));
    QVERIFY(cvcodec_player_seek(player, 500000));
    QVERIFY(cvcodec_player_play(player));
    QTRY_VERIFY(cvcodec_player_position(player) > 1500000);
    cvcodec_player_release(player);

    // Released at once after play, while the sound thread makes its stream and fills it.
    for (int round = 0; round < 20; ++round) {
        player = cvcodec_player_create(-1);
        QVERIFY(cvcodec_player_open(player, m_tone.toUtf8().constData(), 0, 0, 0, 0));
        QVERIFY(cvcodec_player_play(player));
        QTest::qWait(round * 10);
        cvcodec_player_release(player);
    }
}

// The sink the sound plays into goes away (an unplugged device): the clock goes on, and
// the player is released.
void TestCodecPlayer::aSinkThatGoesAwayLeavesThePlayerRunning() {
    if (qEnvironmentVariableIsEmpty("PULSE_SERVER")) {
        QSKIP("no sound server of the virtual desktop");
    }
    PrivateSink sink;
    QVERIFY(sink.isValid());
    cvcodec_player player = cvcodec_player_create(-1);
    QVERIFY(cvcodec_player_open(player, m_clip.toUtf8().constData(), 0, 0, 0, 0));
    // Silent: the server moves the stream to the shared sink that other tests hear.
    QVERIFY(cvcodec_player_set_volume(player, 0));
    QVERIFY(cvcodec_player_play(player));
    QTRY_VERIFY_WITH_TIMEOUT(sink.streamCount() == 1, 10000);
    QVERIFY(sink.unload());
    const uint64_t gone = cvcodec_player_position(player);
    QTRY_VERIFY_WITH_TIMEOUT(cvcodec_player_position(player) > gone + 1000000, 10000);
    QVERIFY(cvcodec_player_pause(player));
    QVERIFY(cvcodec_player_play(player));
    cvcodec_player_release(player);
}

void TestCodecPlayer::volumeAndSpeedApplyWhilePlaying() {
    cvcodec_player player = cvcodec_player_create(-1);
    QVERIFY(cvcodec_player_open(player, m_tone.toUtf8().constData(), 0, 0, 0, 0));
    QVERIFY(cvcodec_player_set_volume(player, 0));
    QVERIFY(cvcodec_player_play(player));
    uint8_t* block = awaitLevelBlock(player);
    QVERIFY(block);
    const int16_t* samples = levelSamples(block);
    for (uint32_t i = 0; i < levelBytes(block) / 2; ++i) {
        QCOMPARE(samples[i], int16_t(0));
    }
    cvcodec_player_release_level_block(player, block);
    cvcodec_player_release(player);

    // Twice the speed: a second of playing covers two seconds of the file.
    player = cvcodec_player_create(-1);
    QVERIFY(cvcodec_player_open(player, m_clip.toUtf8().constData(), 0, 0, 0, 0));
    QVERIFY(cvcodec_player_set_effect_rate(player, 200));
    QVERIFY(cvcodec_player_play(player));
    QTest::qWait(1000);
    const double position = double(cvcodec_player_position(player));
    QVERIFY2(position > 1.4e6 && position < 2.6e6, qPrintable(QString::number(position)));
    cvcodec_player_release(player);
}

void TestCodecPlayer::soundReachesTheNullSink() {
    if (qEnvironmentVariableIsEmpty("PULSE_SERVER")) {
        QSKIP("no sound server of the virtual desktop");
    }
    // A null sink of the test's own: nothing another test plays or changes is heard.
    PrivateSink sink;
    QVERIFY(sink.isValid());
    QProcess recorder;
    recorder.start("parec", {"-d", sink.monitor(), "--format=s16le", "--rate=44100", "--channels=1", "--raw"});
    QVERIFY(recorder.waitForStarted());
    // The monitor delivers (silent) data once it runs; only then is anything heard.
    QTRY_VERIFY_WITH_TIMEOUT(recorder.bytesAvailable() > 0, 10000);
    cvcodec_player player = cvcodec_player_create(-1);
    QVERIFY(cvcodec_player_open(player, m_tone.toUtf8().constData(), 0, 0, 0, 0));
    QVERIFY(cvcodec_player_play(player));
    QTest::qWait(3000);
    cvcodec_player_release(player);
    recorder.terminate();
    recorder.waitForFinished(3000);
    const QByteArray raw = recorder.readAllStandardOutput();
    const auto* samples = reinterpret_cast<const int16_t*>(raw.constData());
    // The loudest tenth of a second: the tone, wherever the server placed it.
    double rms = 0.0;
    const int window = 4410;
    for (int start = 0; start + window <= raw.size() / 2; start += window) {
        double sum = 0.0;
        for (int i = start; i < start + window; ++i) {
            sum += double(samples[i]) * samples[i];
        }
        rms = std::max(rms, std::sqrt(sum / window));
    }
    QVERIFY2(rms > 500.0, qPrintable(QString::number(rms)));
}

void TestCodecPlayer::aFailedOpenLeavesThePlayerEmpty() {
    cvcodec_player player = cvcodec_player_create(-1);
    QVERIFY(cvcodec_player_open(player, m_clip.toUtf8().constData(), 0, 0, 0, 0));
    QVERIFY(!cvcodec_player_open(player, m_dir.filePath("missing.mp4").toUtf8().constData(), 0, 0, 0, 0));
    QVERIFY(!cvcodec_player_has_video(player));
    QVERIFY(!cvcodec_player_has_audio(player));
    QCOMPARE(cvcodec_player_duration(player), uint64_t(0));
    QVERIFY(!cvcodec_player_play(player));
    QVERIFY(!cvcodec_player_snapshot(player, 0, 0, 0));
    int32_t width = -1;
    int32_t height = -1;
    QVERIFY(!cvcodec_player_frame_size(player, &width, &height));
    QCOMPARE(width, 0);
    cvcodec_player_release(player);
}

void TestCodecPlayer::badInputIsRefused() {
    const QString text = m_dir.filePath("notes.mp4");
    QVERIFY(fixtures::writeFile(text, QByteArray(4096, 'q')));
    const QString truncated = m_dir.filePath("cut.mp4");
    QVERIFY(fixtures::writeTruncated(m_clip, truncated, QFileInfo(m_clip).size() / 2));
    const int threadsBefore = threadCount();
    cvcodec_player player = cvcodec_player_create(-1);
    QVERIFY(cvcodec_player_open(player, m_clip.toUtf8().constData(), 0, 0, 0, 0));
    QVERIFY(threadCount() > threadsBefore);
    QVERIFY(!cvcodec_player_open(player, text.toUtf8().constData(), 0, 0, 0, 0));
    // The failed open ended the previous file's threads and started none.
    QCOMPARE(threadCount(), threadsBefore);
    QVERIFY(!cvcodec_player_open(player, truncated.toUtf8().constData(), 0, 0, 0, 0));
    QVERIFY(!cvcodec_player_open(player, nullptr, 0, 0, 0, 0));
    QVERIFY(!cvcodec_player_play(player));
    QCOMPARE(threadCount(), threadsBefore);
    cvcodec_player_release(player);
    QVERIFY(!cvcodec_player_open(nullptr, m_clip.toUtf8().constData(), 0, 0, 0, 0));
    QVERIFY(!cvcodec_player_play(nullptr));
    QCOMPARE(cvcodec_player_release(nullptr), 0);
    QVERIFY(!cvcodec_player_create_source(0));
}

void TestCodecPlayer::quickOpensSeeksStopsAndReleases() {
    // Handles opened, played, sought, stepped, stopped, reopened and released in quick
    // turns while their decoders and sound output run; afterwards nothing runs on.
    const int threadsBefore = threadCount();
    for (int round = 0; round < 10; ++round) {
        cvcodec_player player = cvcodec_player_create(-1);
        const QByteArray first = (round % 3 == 2 ? m_tone : m_clip).toUtf8();
        QVERIFY(cvcodec_player_open(player, first.constData(), 0, 0, 0, 0));
        QVERIFY(cvcodec_player_play(player));
        QTest::qWait(round % 4 * 10);
        QVERIFY(cvcodec_player_seek(player, uint64_t(round % 5) * 900000));
        cvcodec_player_step(player, round % 2 ? 1 : -1);
        QVERIFY(cvcodec_player_play(player));
        cvcodec_player_seek(player, 1500000);
        cvcodec_player_stop(player);
        QVERIFY(cvcodec_player_play(player));
        // Another file replaces the playing one on the same handle, without waiting for
        // a sound server that holds the first writes (the null sink does, for about 2 s,
        // while it wakes up).
        const QByteArray second = (round % 2 ? m_tone : m_clip).toUtf8();
        QElapsedTimer replacing;
        replacing.start();
        QVERIFY(cvcodec_player_open(player, second.constData(), 0, 0, 0, 0));
        QVERIFY2(replacing.elapsed() < 1000, qPrintable(QString::number(replacing.elapsed())));
        QVERIFY(cvcodec_player_play(player));
        if (round % 2) {
            cvcodec_player_close(player);
        }
        // Released as it is, playing or closed.
        QCOMPARE(cvcodec_player_release(player), 1);
    }
    QTRY_COMPARE_WITH_TIMEOUT(threadCount(), threadsBefore, 3000);
}

// The callback comes while the player shows a picture: on its own thread while playing,
// on the caller's thread for a seek or a step. Asking the player from it must not hang.
void TestCodecPlayer::aFrameCallbackMayAskThePlayer() {
    AskingOwner owner;
    owner.player = cvcodec_player_create(-1);
    QVERIFY(cvcodec_player_set_frame_callback(owner.player, &AskingOwner::onFrame, &owner));
    QVERIFY(cvcodec_player_open(owner.player, m_clip.toUtf8().constData(), 0, 0, 0, 0));
    QVERIFY(cvcodec_player_seek(owner.player, 2000000));
    QVERIFY(cvcodec_player_step(owner.player, 1));
    const int beforePlaying = owner.frames;
    QVERIFY(beforePlaying >= 2);
    QVERIFY(cvcodec_player_play(owner.player));
    QTRY_VERIFY_WITH_TIMEOUT(owner.frames > beforePlaying + 10, 10000);
    QVERIFY(owner.lastPosition > 2000000);
    QVERIFY(cvcodec_player_pause(owner.player));
    QVERIFY(cvcodec_player_release(owner.player));
}

void TestCodecPlayer::aFileThatStartsLateRunsFromZero_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("inputOptions");
    QTest::addColumn<QStringList>("extra");
    QTest::newRow("MPEG-TS") << "late.ts" << QStringList{} << QStringList{};
    QTest::newRow("MP4 with a start offset")
        << "offset.mp4" << QStringList{} << QStringList{"-output_ts_offset", "1.5"};
    QTest::newRow("MP4, sound starts late") << "late-sound.mp4" << QStringList{"-itsoffset", "0.5"} << QStringList{};
    QTest::newRow("MKV with a start offset")
        << "offset.mkv" << QStringList{} << QStringList{"-output_ts_offset", "1.5"};
}

// Positions run from 0 at the file's first picture or sound to its length, whatever
// timestamp the file starts at; seeks show the picture of the asked time and steps go
// back across a key frame, in files without an index too.
void TestCodecPlayer::aFileThatStartsLateRunsFromZero() {
    QFETCH(QString, name);
    QFETCH(QStringList, inputOptions);
    QFETCH(QStringList, extra);
    const QString path = m_dir.filePath(name);
    QVERIFY(fixtures::makeNumberedClip(path, 4.0, inputOptions, extra));
    const QJsonObject info = fixtures::probe(path);
    const fixtures::Timeline timeline = fixtures::timelineOf(path, info);
    const double length = timeline.length;
    QVERIFY(length > 3.9 && length < 4.2);
    const double firstPicture = timeline.streamStart(info, "video");
    const auto pictureTime = [&](int number) { return (firstPicture + number / 25.0) * 1e6; };

    cvcodec_player player = cvcodec_player_create(-1);
    QVERIFY(cvcodec_player_open(player, path.toUtf8().constData(), 0, 0, 0, 0));
    QVERIFY2(qAbs(double(cvcodec_player_duration(player)) - length * 1e6) < 50000,
             qPrintable(QString::number(cvcodec_player_duration(player))));
    QCOMPARE(fixtures::frameNumberOf(snapshotOf(player)), 0);
    QVERIFY(qAbs(double(cvcodec_player_frame_time(player)) - pictureTime(0)) < 1000);
    QVERIFY(double(cvcodec_player_position(player)) < pictureTime(1));

    for (const double target : {1.3, length / 2, firstPicture + 2.0, length - 0.15}) {
        QVERIFY(cvcodec_player_seek(player, uint64_t(target * 1e6)));
        const int expected = std::min(99, int(std::floor((target - firstPicture) * 25.0 + 1e-6)));
        QCOMPARE(fixtures::frameNumberOf(snapshotOf(player)), expected);
        QVERIFY2(qAbs(double(cvcodec_player_frame_time(player)) - pictureTime(expected)) < 1000,
                 qPrintable(QString::number(cvcodec_player_frame_time(player))));
        QVERIFY(qAbs(double(cvcodec_player_position(player)) - target * 1e6) < 1e6 / 25);
        // The picture before: across the key frame at 2 s, the seek goes back a group.
        QVERIFY(cvcodec_player_step(player, -1));
        QCOMPARE(fixtures::frameNumberOf(snapshotOf(player)), expected - 1);
    }

    // Played to the end, the position stops at the file's length.
    QVERIFY(cvcodec_player_seek(player, uint64_t((length - 0.4) * 1e6)));
    QVERIFY(cvcodec_player_play(player));
    QTRY_VERIFY_WITH_TIMEOUT(cvcodec_player_is_at_end(player), 10000);
    QCOMPARE(fixtures::frameNumberOf(snapshotOf(player)), 99);
    const double end = double(cvcodec_player_position(player));
    QVERIFY2(end > (length - 0.06) * 1e6 && end <= double(cvcodec_player_duration(player)),
             qPrintable(QString::number(end)));
    cvcodec_player_release(player);
}

QTEST_GUILESS_MAIN(TestCodecPlayer)
#include "test_codec_player.moc"
