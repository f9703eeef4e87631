// The recorder handle called from several threads at once, as the program does: the
// GUI thread pushes pictures, asks for the time and the level and pauses; one capture
// thread pushes system sound; another feeds the microphone track. Run under the
// sanitizers to catch races and leaks.
#include "platform/codec/calvorine_codec.h"
#include "platform/system/clock.h"
#include "recording_helpers.h"

#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

#include <atomic>
#include <chrono>
#include <cmath>
#include <memory>
#include <thread>
#include <utility>

using namespace codectest;
using calvorine::platform::monotonicMicroseconds;
using calvorine::platform::sleepForMicroseconds;

class RecorderThreadsTest : public QObject {
    Q_OBJECT

private slots:
    void pushesFromThreeThreads();
    void stopWhilePushing();
    void fullQueueDropsAndCounts();
    void trackReleaseWaitsForCallback();
    void picturesReuseTheirBuffers();
};

namespace {

void pushSound(cvcodec_recorder recorder, cvcodec_track track, std::atomic<bool>& done, int64_t origin) {
    cvcodec_frame frame = cvcodec_frame_create();
    int64_t produced = 0;
    while (!done) {
        std::vector<int16_t> samples = makeTone(track ? 1000 : 440, 44100, 2, produced, 441);
        cvcodec_frame_set_sample_format(frame, CVCODEC_SAMPLE_S16);
        cvcodec_frame_set_sample_rate(frame, 44100);
        cvcodec_frame_set_channels(frame, 2);
        cvcodec_frame_set_samples(frame, samples.data(), 441);
        cvcodec_frame_set_timestamp(frame, monotonicMicroseconds() - origin);
        if (track)
            cvcodec_track_push_frame(track, frame);
        else
            cvcodec_recorder_push_audio(recorder, frame);
        // Level metering on the capture thread's own frame.
        if (uint8_t* block = cvcodec_frame_level_block(frame, 1))
            cvcodec_frame_release_level_block(frame, block);
        produced += 441;
        sleepForMicroseconds(10000);
    }
    cvcodec_frame_release(frame);
}

} // namespace

void RecorderThreadsTest::pushesFromThreeThreads() {
    QTemporaryDir dir;
    const QString path = dir.filePath("threads.mp4");
    cvcodec_track microphone = cvcodec_track_create(CVCODEC_TRACK_AUDIO);
    cvcodec_recorder recorder = cvcodec_recorder_create(-1);
    cvcodec_params params = makeParams(320, 240);
    cvcodec_params_set_track_mixing(params, 1);
    cvcodec_params_add_mix_track(params, microphone);
    QVERIFY(cvcodec_recorder_open(recorder, path.toUtf8().constData(), "mp4", params));
    const int64_t origin = monotonicMicroseconds();
    cvcodec_params_release(params);

    std::atomic<bool> done{false};
    std::thread system([&] { pushSound(recorder, nullptr, done, origin); });
    std::thread mic([&] { pushSound(recorder, microphone, done, origin); });
    cvcodec_frame picture = cvcodec_frame_create();
    const int64_t begin = monotonicMicroseconds();
    for (int i = 0; monotonicMicroseconds() - begin < 2500000; ++i) {
        std::vector<uint8_t> pixels = makePicture(320, 240, i);
        cvcodec_frame_set_pixel_format(picture, CVCODEC_PIXEL_BGRA);
        cvcodec_frame_set_size(picture, 320, 240);
        cvcodec_frame_set_plane(picture, 0, pixels.data(), 320 * 4);
        cvcodec_recorder_push_video(recorder, picture);
        cvcodec_recorder_recorded_time(recorder);
        if (uint8_t* block = cvcodec_recorder_level_block(recorder, 1))
            cvcodec_recorder_release_level_block(recorder, block);
        if (i == 30)
            cvcodec_recorder_pause(recorder);
        if (i >= 30 && i < 40)
            continue; // paused for a moment
        sleepForMicroseconds(10000);
    }
    QVERIFY(cvcodec_recorder_stop(recorder));
    done = true;
    system.join();
    mic.join();
    cvcodec_frame_release(picture);
    cvcodec_track_release(microphone);
    QVERIFY(cvcodec_recorder_release(recorder));

    const QJsonObject probed = probe(path);
    QVERIFY(!stream(probed, "video").isEmpty());
    QVERIFY(!stream(probed, "audio").isEmpty());
    QVERIFY(formatDuration(probed) > 1.5);
}

void RecorderThreadsTest::stopWhilePushing() {
    // The producers keep pushing while the file is stopped, closed and the handle let
    // go of its session: every late push is refused, nothing crashes.
    QTemporaryDir dir;
    const QString path = dir.filePath("stop.mkv");
    cvcodec_recorder recorder = cvcodec_recorder_create(-1);
    cvcodec_params params = makeParams(160, 120);
    QVERIFY(cvcodec_recorder_open(recorder, path.toUtf8().constData(), "matroska", params));
    cvcodec_params_release(params);
    std::atomic<bool> done{false};
    std::thread sound([&] { pushSound(recorder, nullptr, done, monotonicMicroseconds()); });
    std::thread pictures([&] {
        cvcodec_frame picture = cvcodec_frame_create();
        std::vector<uint8_t> pixels = makePicture(160, 120, 0);
        while (!done) {
            cvcodec_frame_set_pixel_format(picture, CVCODEC_PIXEL_BGRA);
            cvcodec_frame_set_size(picture, 160, 120);
            cvcodec_frame_set_plane(picture, 0, pixels.data(), 160 * 4);
            cvcodec_recorder_push_video(recorder, picture);
            sleepForMicroseconds(5000);
        }
        cvcodec_frame_release(picture);
    });
    sleepForMicroseconds(500000);
    QVERIFY(cvcodec_recorder_stop(recorder));
    QVERIFY(cvcodec_recorder_close(recorder));
    sleepForMicroseconds(100000);
    done = true;
    sound.join();
    pictures.join();
    QVERIFY(cvcodec_recorder_release(recorder));
    QVERIFY(!stream(probe(path), "video").isEmpty());
}

void RecorderThreadsTest::fullQueueDropsAndCounts() {
    // Large pictures pushed back to back into a slow encoder (at least 40 ms a picture,
    // more than a slot): the queue fills, the pushes that find it full are refused and
    // counted instead of waiting.
    QTemporaryDir dir;
    const QString path = dir.filePath("full.mp4");
    cvcodec_recorder recorder = cvcodec_recorder_create(-1);
    cvcodec_params params = makeParams(1920, 1080, CVCODEC_H264, CVCODEC_NONE);
    cvcodec_params_set_speed_preset(params, 8);
    cvcodec_params_set_minimum_encode_time(params, 40'000);
    QVERIFY(cvcodec_recorder_open(recorder, path.toUtf8().constData(), "mp4", params));
    cvcodec_params_release(params);
    std::vector<uint8_t> pixels = makePicture(1920, 1080, 0);
    cvcodec_frame picture = cvcodec_frame_create();
    const int pushes = 60;
    int accepted = 0;
    for (int i = 0; i < pushes; ++i) {
        pixels[size_t(i) * 4000] ^= 0xff;
        cvcodec_frame_set_pixel_format(picture, CVCODEC_PIXEL_BGRA);
        cvcodec_frame_set_size(picture, 1920, 1080);
        cvcodec_frame_set_plane(picture, 0, pixels.data(), 1920 * 4);
        cvcodec_frame_set_timestamp(picture, int64_t(i) * 1000000 / 30);
        accepted += cvcodec_recorder_push_video(recorder, picture);
    }
    const uint64_t dropped = cvcodec_recorder_dropped_frames(recorder, 1);
    QVERIFY(dropped > 0);
    QCOMPARE(uint64_t(accepted) + dropped, uint64_t(pushes));
    QVERIFY(cvcodec_recorder_stop(recorder));
    cvcodec_frame_release(picture);
    cvcodec_recorder_release(recorder);
    // Every accepted picture keeps its slot of the 30 fps grid. The slots between them are
    // filled with repeats only while the encoder has time for them, and this one may not.
    const QJsonObject video = stream(probe(path), "video");
    QVERIFY(video.value("nb_read_frames").toString().toInt() >= accepted);
    const QString offGrid = ffprobe::picturesOffTheGrid(path, 30);
    QVERIFY2(offGrid.isEmpty(), qPrintable(offGrid));
}

namespace {

// What the track's callback sees; it outlives every callback only if the release waits.
struct CallbackProbe {
    std::atomic<int> calls{0};
    std::atomic<bool> inside{false};
    std::atomic<bool> finished{false};
    std::atomic<bool> calledAfterRelease{false};
    std::atomic<bool> released{false};
    cvcodec_track ownTrack = nullptr; // released from within the callback when set
};

int slowCallback(void* context, int32_t) {
    auto* p = static_cast<CallbackProbe*>(context);
    if (p->released)
        p->calledAfterRelease = true;
    ++p->calls;
    p->inside = true;
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    p->finished = true;
    return 0;
}

int selfReleasingCallback(void* context, int32_t) {
    auto* p = static_cast<CallbackProbe*>(context);
    ++p->calls;
    if (p->ownTrack)
        cvcodec_track_release(std::exchange(p->ownTrack, nullptr));
    return 0;
}

} // namespace

void RecorderThreadsTest::trackReleaseWaitsForCallback() {
    // The recording's start calls the track's callback on the opening thread; the
    // producer releases the track meanwhile and frees the context right after: the
    // release must not return while the callback still runs, and none may follow it.
    QTemporaryDir dir;
    {
        auto probe = std::make_unique<CallbackProbe>();
        cvcodec_track track = cvcodec_track_create(CVCODEC_TRACK_AUDIO);
        QVERIFY(cvcodec_track_set_callback(track, slowCallback, probe.get()));
        cvcodec_recorder recorder = cvcodec_recorder_create(-1);
        cvcodec_params params = makeParams(160, 120);
        cvcodec_params_set_track_mixing(params, 1);
        cvcodec_params_add_mix_track(params, track);
        const QByteArray path = dir.filePath("release.mkv").toUtf8();
        std::atomic<int> opened{-1};
        std::thread opener([&] { opened = cvcodec_recorder_open(recorder, path.constData(), "matroska", params); });
        QTRY_VERIFY_WITH_TIMEOUT(probe->inside, 10000);
        QVERIFY(cvcodec_track_release(track));
        QVERIFY2(probe->finished, "the release returned while the callback was still running");
        probe->released = true;
        opener.join();
        QCOMPARE(opened.load(), 1);
        QVERIFY(cvcodec_recorder_stop(recorder)); // would tell the released track
        QVERIFY(cvcodec_recorder_release(recorder));
        cvcodec_params_release(params);
        QCOMPARE(probe->calls.load(), 1);
        QVERIFY(!probe->calledAfterRelease);
    }
    {
        // A callback may release its own track without waiting for itself.
        CallbackProbe probe;
        cvcodec_track track = cvcodec_track_create(CVCODEC_TRACK_AUDIO);
        probe.ownTrack = track;
        QVERIFY(cvcodec_track_set_callback(track, selfReleasingCallback, &probe));
        cvcodec_recorder recorder = cvcodec_recorder_create(-1);
        cvcodec_params params = makeParams(160, 120);
        cvcodec_params_set_track_mixing(params, 1);
        cvcodec_params_add_mix_track(params, track);
        QVERIFY(cvcodec_recorder_open(recorder, dir.filePath("self.mkv").toUtf8().constData(), "matroska", params));
        QVERIFY(!probe.ownTrack);
        QVERIFY(cvcodec_recorder_stop(recorder));
        QVERIFY(cvcodec_recorder_release(recorder));
        cvcodec_params_release(params);
        QCOMPARE(probe.calls.load(), 1);
    }
}

void RecorderThreadsTest::picturesReuseTheirBuffers() {
    // Pictures go to the encoder in pooled buffers that come back for later pictures:
    // many pictures, at the output size (converted as pushed) and at half of it (copied,
    // scaled by the encoder thread), make only a handful of buffers, and no buffer is
    // reused while the encoder still holds its picture: every frame of the file shows
    // its own picture's colour.
    QTemporaryDir dir;
    const QString path = dir.filePath("reuse.mkv");
    constexpr int kWidth = 320;
    constexpr int kHeight = 240;
    constexpr int kPictures = 240;
    const uint8_t colours[4][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}}; // R, G, B
    cvcodec_recorder recorder = cvcodec_recorder_create(-1);
    cvcodec_params params = makeParams(kWidth, kHeight, CVCODEC_H264, CVCODEC_NONE);
    cvcodec_params_set_video_quality(params, 100);
    QVERIFY(cvcodec_recorder_open(recorder, path.toUtf8().constData(), "matroska", params));
    cvcodec_params_release(params);
    cvcodec_frame picture = cvcodec_frame_create();
    for (int i = 0; i < kPictures; ++i) {
        const bool half = i % 4 == 3;
        const int width = half ? kWidth / 2 : kWidth;
        const int height = half ? kHeight / 2 : kHeight;
        std::vector<uint8_t> pixels(size_t(width) * height * 4, 255);
        for (size_t at = 0; at < pixels.size(); at += 4) {
            pixels[at] = colours[i % 4][2];
            pixels[at + 1] = colours[i % 4][1];
            pixels[at + 2] = colours[i % 4][0];
        }
        // Every picture is accepted: the queue is given time to drain.
        while (cvcodec_recorder_queued_video_frames(recorder) >= 6)
            sleepForMicroseconds(1000);
        cvcodec_frame_set_pixel_format(picture, CVCODEC_PIXEL_BGRA);
        cvcodec_frame_set_size(picture, width, height);
        cvcodec_frame_set_plane(picture, 0, pixels.data(), width * 4);
        cvcodec_frame_set_timestamp(picture, int64_t(i) * 1000000 / 30);
        QVERIFY(cvcodec_recorder_push_video(recorder, picture));
    }
    cvcodec_frame_release(picture);
    QVERIFY(cvcodec_recorder_stop(recorder));
    const uint64_t buffers = cvcodec_recorder_video_buffers(recorder);
    QVERIFY2(buffers >= 2 && buffers <= 24,
             qPrintable(QString("%1 buffers for %2 pictures").arg(buffers).arg(kPictures)));
    QVERIFY(cvcodec_recorder_release(recorder));

    const QJsonObject video = stream(probe(path), "video");
    QCOMPARE(video.value("width").toInt(), kWidth);
    QCOMPARE(video.value("height").toInt(), kHeight);
    QCOMPARE(video.value("nb_read_frames").toString().toInt(), kPictures);
    const std::vector<std::array<int, 3>> middles = pictureMiddles(path);
    QCOMPARE(int(middles.size()), kPictures);
    for (int i = 0; i < kPictures; ++i) {
        const std::array<int, 3>& middle = middles[size_t(i)];
        const uint8_t* wanted = colours[i % 4];
        QVERIFY2(std::abs(middle[0] - wanted[0]) < 40 && std::abs(middle[1] - wanted[1]) < 40 &&
                     std::abs(middle[2] - wanted[2]) < 40,
                 qPrintable(QString("frame %1: %2,%3,%4").arg(i).arg(middle[0]).arg(middle[1]).arg(middle[2])));
    }
}

QTEST_GUILESS_MAIN(RecorderThreadsTest)
#include "tst_recorder_threads.moc"
