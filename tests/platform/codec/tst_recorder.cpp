// The recorder handle through its entries, checked with ffprobe and ffmpeg.
#include "platform/codec/calvorine_codec.h"
#include "platform/system/clock.h"
#include "recording_helpers.h"
#include "tests/support/FileSizeLimit.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <cstring>

using namespace codectest;
using calvorine::platform::monotonicMicroseconds;

namespace {

constexpr double kFrame = 1.0 / 30.0;
// AAC works in blocks of 1024 samples: the sound may end up to one block after the
// picture.
constexpr double kAudioBlock = 1024.0 / 44100.0;

struct Recording {
    cvcodec_recorder recorder = cvcodec_recorder_create(-1);
    ~Recording() { cvcodec_recorder_release(recorder); }

    bool open(const QString& path, const char* muxer, cvcodec_params params, int64_t& origin) {
        const bool opened = cvcodec_recorder_open(recorder, path.toUtf8().constData(), muxer, params);
        origin = monotonicMicroseconds();
        return opened;
    }
};

} // namespace

class RecorderTest : public QObject {
    Q_OBJECT

private slots:
    void everyOfferedFormatRecords_data();
    void everyOfferedFormatRecords();
    void recordsPictureAndSound_data();
    void recordsPictureAndSound();
    void oddSizeIsPaddedToEven();
    void screenPicturesKeepTheirColoursAndEdges();
    void everyPictureLayoutArrivesWhole();
    void pictureAndSoundStayInStep_data();
    void pictureAndSoundStayInStep();
    void pauseIsLeftOut();
    void microphoneTrackIsMixedIntoTheOneStream();
    void cutOnTheSameHandleGivesTwoFiles();
    void killedRecordingStaysPlayable();
    void badInputFailsCleanly();
    void failedWriteEndsTheRecording();
    void diskFullAtStopIsReported_data();
    void diskFullAtStopIsReported();
    void stampsFarAheadAreRefused();
    void levelBlocksCarryTheRecordedSound();
    void soundGapsAreSilentAndOverlapsCut();

private:
    QTemporaryDir m_dir;
};

void RecorderTest::everyOfferedFormatRecords_data() {
    // The containers and codecs the output-format catalogue offers.
    QTest::addColumn<QString>("muxer");
    QTest::addColumn<int>("videoCodec");
    QTest::addColumn<int>("audioCodec");
    QTest::addColumn<QString>("videoName");
    QTest::addColumn<QString>("audioName");
    QTest::newRow("mov") << "mov" << int(CVCODEC_H264) << int(CVCODEC_AAC) << "h264"
                         << "aac";
    QTest::newRow("mkv h265 mp3") << "matroska" << int(CVCODEC_H265) << int(CVCODEC_MP3) << "hevc"
                                  << "mp3";
    QTest::newRow("webm") << "webm" << int(CVCODEC_VP9) << int(CVCODEC_VORBIS) << "vp9"
                          << "vorbis";
    QTest::newRow("avi") << "avi" << int(CVCODEC_MPEG4) << int(CVCODEC_MP3) << "mpeg4"
                         << "mp3";
    QTest::newRow("avi xvid") << "avi" << int(CVCODEC_XVID) << int(CVCODEC_MP3) << "mpeg4"
                              << "mp3";
    QTest::newRow("flv") << "flv" << int(CVCODEC_H264) << int(CVCODEC_AAC) << "h264"
                         << "aac";
    QTest::newRow("wmv") << "asf" << int(CVCODEC_WMV2) << int(CVCODEC_WMAV2) << "wmv2"
                         << "wmav2";
    QTest::newRow("ts") << "mpegts" << int(CVCODEC_H264) << int(CVCODEC_AAC) << "h264"
                        << "aac";
    QTest::newRow("mp3") << "mp3" << int(CVCODEC_NONE) << int(CVCODEC_MP3) << ""
                         << "mp3";
    QTest::newRow("aac") << "adts" << int(CVCODEC_NONE) << int(CVCODEC_AAC) << ""
                         << "aac";
    QTest::newRow("m4a alac") << "mp4" << int(CVCODEC_NONE) << int(CVCODEC_ALAC) << ""
                              << "alac";
    QTest::newRow("wav") << "wav" << int(CVCODEC_NONE) << int(CVCODEC_PCM_S16LE) << ""
                         << "pcm_s16le";
    QTest::newRow("flac") << "flac" << int(CVCODEC_NONE) << int(CVCODEC_FLAC) << ""
                          << "flac";
    QTest::newRow("ogg") << "ogg" << int(CVCODEC_NONE) << int(CVCODEC_VORBIS) << ""
                         << "vorbis";
    QTest::newRow("wma") << "asf" << int(CVCODEC_NONE) << int(CVCODEC_WMAV2) << ""
                         << "wmav2";
}

void RecorderTest::everyOfferedFormatRecords() {
    QFETCH(QString, muxer);
    QFETCH(int, videoCodec);
    QFETCH(int, audioCodec);
    QFETCH(QString, videoName);
    QFETCH(QString, audioName);
    const QString path = m_dir.filePath(QString("offered-%1.%2").arg(QTest::currentDataTag()).arg(muxer));
    Recording recording;
    cvcodec_params params = makeParams(320, 240, videoCodec, audioCodec);
    cvcodec_params_set_video_bit_rate(params, 1000000);
    PushPlan plan;
    plan.seconds = 0.6;
    QVERIFY(recording.open(path, muxer.toUtf8().constData(), params, plan.audioClockOriginUs));
    cvcodec_params_release(params);
    pushRealTime(recording.recorder, plan);
    QVERIFY(cvcodec_recorder_stop(recording.recorder));
    const QJsonObject probed = probe(path);
    QVERIFY2(!probed.isEmpty(), "ffprobe cannot read the file");
    QCOMPARE(stream(probed, "video").value("codec_name").toString(), videoName);
    QCOMPARE(stream(probed, "audio").value("codec_name").toString(), audioName);
    if (!videoName.isEmpty())
        QCOMPARE(stream(probed, "video").value("pix_fmt").toString(), QString("yuv420p"));
    QVERIFY(formatDuration(probed) > 0.4);
}

void RecorderTest::recordsPictureAndSound_data() {
    QTest::addColumn<QString>("muxer");
    QTest::addColumn<QString>("file");
    QTest::newRow("mp4") << "mp4"
                         << "three.mp4";
    QTest::newRow("matroska") << "matroska"
                              << "three.mkv";
}

void RecorderTest::recordsPictureAndSound() {
    QFETCH(QString, muxer);
    QFETCH(QString, file);
    const QString path = m_dir.filePath(file);
    Recording recording;
    cvcodec_params params = makeParams(320, 240);
    PushPlan plan;
    plan.seconds = 3.0;
    QVERIFY(recording.open(path, muxer.toUtf8().constData(), params, plan.audioClockOriginUs));
    cvcodec_params_release(params);
    QVERIFY(cvcodec_recorder_is_running(recording.recorder));
    pushRealTime(recording.recorder, plan);
    QVERIFY(cvcodec_recorder_stop(recording.recorder));
    QVERIFY(!cvcodec_recorder_is_running(recording.recorder));
    QVERIFY(cvcodec_recorder_close(recording.recorder));

    const QJsonObject probed = probe(path);
    QVERIFY2(!probed.isEmpty(), "ffprobe cannot read the file");
    const QJsonObject video = stream(probed, "video");
    const QJsonObject audio = stream(probed, "audio");
    QCOMPARE(video.value("codec_name").toString(), QString("h264"));
    QCOMPARE(video.value("pix_fmt").toString(), QString("yuv420p"));
    QCOMPARE(video.value("width").toInt(), 320);
    QCOMPARE(video.value("height").toInt(), 240);
    const QString offGrid = ffprobe::picturesOffTheGrid(path, 30);
    QVERIFY2(offGrid.isEmpty(), qPrintable(offGrid));
    QCOMPARE(audio.value("codec_name").toString(), QString("aac"));
    QCOMPARE(audio.value("sample_rate").toString(), QString("44100"));
    QCOMPARE(audio.value("channels").toInt(), 2);
    const double frames = video.value("nb_read_frames").toString().toDouble();
    QVERIFY2(std::abs(frames * kFrame - 3.0) <= kFrame + 1e-6, qPrintable(QString::number(frames)));
    const double duration = formatDuration(probed);
    QVERIFY2(std::abs(duration - 3.0) <= kFrame + kAudioBlock, qPrintable(QString::number(duration)));
    // The tone arrives whole.
    std::vector<int16_t> samples = decodeAudio(path, 44100);
    QVERIFY(toneStrength(samples, 44100, 440) > 0.2);
}

void RecorderTest::oddSizeIsPaddedToEven() {
    const QString path = m_dir.filePath("odd.mp4");
    Recording recording;
    cvcodec_params params = makeParams(321, 241, CVCODEC_H264, CVCODEC_NONE);
    PushPlan plan;
    plan.width = 321;
    plan.height = 241;
    plan.audio = false;
    plan.seconds = 0.5;
    QVERIFY(recording.open(path, "mp4", params, plan.audioClockOriginUs));
    cvcodec_params_release(params);
    pushRealTime(recording.recorder, plan);
    QVERIFY(cvcodec_recorder_stop(recording.recorder));
    const QJsonObject video = stream(probe(path), "video");
    QCOMPARE(video.value("width").toInt(), 322);
    QCOMPARE(video.value("height").toInt(), 242);
    QCOMPARE(video.value("pix_fmt").toString(), QString("yuv420p"));
}

void RecorderTest::screenPicturesKeepTheirColoursAndEdges() {
    // A 32-bit picture of odd size in four flat quarters, its last column white and its
    // last row black: the file holds them in BT.601 limited range, and the padding
    // repeats the last column and row.
    constexpr int kWidth = 321;
    constexpr int kHeight = 241;
    struct Colour {
        int red, green, blue;
    };
    const Colour quarters[4] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {128, 128, 128}};
    auto colourAt = [&](int x, int y) -> Colour {
        if (x == kWidth - 1)
            return {255, 255, 255};
        if (y == kHeight - 1)
            return {0, 0, 0};
        return quarters[(y < kHeight / 2 ? 0 : 2) + (x < kWidth / 2 ? 0 : 1)];
    };
    std::vector<uint8_t> bgra(size_t(kWidth) * kHeight * 4, 0);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const Colour c = colourAt(x, y);
            uint8_t* p = &bgra[size_t(y * kWidth + x) * 4];
            p[0] = uint8_t(c.blue);
            p[1] = uint8_t(c.green);
            p[2] = uint8_t(c.red);
        }
    }
    const QString path = m_dir.filePath("colours.mkv");
    Recording recording;
    cvcodec_params params = makeParams(kWidth, kHeight, CVCODEC_H264, CVCODEC_NONE);
    cvcodec_params_set_video_quality(params, 100);
    int64_t origin = 0;
    QVERIFY(recording.open(path, "matroska", params, origin));
    cvcodec_params_release(params);
    cvcodec_frame frame = cvcodec_frame_create();
    for (int slot = 0; slot < 3; ++slot) {
        cvcodec_frame_set_pixel_format(frame, CVCODEC_PIXEL_BGRA);
        cvcodec_frame_set_size(frame, kWidth, kHeight);
        cvcodec_frame_set_plane(frame, 0, bgra.data(), kWidth * 4);
        cvcodec_frame_set_timestamp(frame, int64_t(slot) * 1000000 / 30);
        QVERIFY(cvcodec_recorder_push_video(recording.recorder, frame));
    }
    cvcodec_frame_release(frame);
    QVERIFY(cvcodec_recorder_stop(recording.recorder));

    QProcess decode;
    decode.start("ffmpeg", {"-v", "error", "-i", path, "-frames:v", "1", "-f", "rawvideo", "-pix_fmt", "yuv420p", "-"});
    QVERIFY(decode.waitForFinished(60000));
    QCOMPARE(decode.exitCode(), 0);
    const QByteArray yuv = decode.readAllStandardOutput();
    constexpr int kPaddedWidth = kWidth + 1;
    constexpr int kPaddedHeight = kHeight + 1;
    QCOMPARE(yuv.size(), kPaddedWidth * kPaddedHeight * 3 / 2);
    const auto* luma = reinterpret_cast<const uint8_t*>(yuv.constData());
    const uint8_t* blue = luma + kPaddedWidth * kPaddedHeight;
    const uint8_t* red = blue + (kPaddedWidth / 2) * (kPaddedHeight / 2);
    auto expect = [](const char* what, int seen, double wanted, int tolerance) {
        return std::abs(seen - int(std::lround(wanted))) <= tolerance
                   ? QString()
                   : QString("%1: %2, expected %3").arg(what).arg(seen).arg(wanted);
    };
    for (int quarter = 0; quarter < 4; ++quarter) {
        const int x = (quarter % 2 == 0 ? kWidth / 4 : kWidth * 3 / 4) & ~1;
        const int y = (quarter < 2 ? kHeight / 4 : kHeight * 3 / 4) & ~1;
        const Colour c = quarters[quarter];
        const double r = c.red / 255.0;
        const double g = c.green / 255.0;
        const double b = c.blue / 255.0;
        const int chroma = (y / 2) * (kPaddedWidth / 2) + x / 2;
        for (const QString& problem :
             {expect("Y", luma[y * kPaddedWidth + x], 16 + 65.481 * r + 128.553 * g + 24.966 * b, 3),
              expect("U", blue[chroma], 128 - 37.797 * r - 74.203 * g + 112.0 * b, 3),
              expect("V", red[chroma], 128 + 112.0 * r - 93.786 * g - 18.214 * b, 3)})
            QVERIFY2(problem.isEmpty(), qPrintable(QString("quarter %1 %2").arg(quarter).arg(problem)));
    }
    // The padding column is as white as the last column, the padding row as black as
    // the last row (away from the corner, where they meet).
    for (int y = 10; y < kHeight - 10; y += 20) {
        const QString problem = expect("padding column", luma[y * kPaddedWidth + kWidth], 235, 12);
        QVERIFY2(problem.isEmpty(), qPrintable(QString("row %1 %2").arg(y).arg(problem)));
    }
    for (int x = 10; x < kWidth - 10; x += 20) {
        const QString problem = expect("padding row", luma[kHeight * kPaddedWidth + x], 16, 12);
        QVERIFY2(problem.isEmpty(), qPrintable(QString("column %1 %2").arg(x).arg(problem)));
    }
}

void RecorderTest::everyPictureLayoutArrivesWhole() {
    // Pictures in turn packed, with padded rows, planar, and smaller than the output,
    // each one flat colour in its own frame slot: every frame of the file shows its own
    // picture's colour, whichever reused buffer carried it.
    const QString path = m_dir.filePath("layouts.mkv");
    constexpr int kWidth = 320;
    constexpr int kHeight = 240;
    struct Layout {
        int pixelFormat;
        int width;
        int extraBytesPerLine;
        uint8_t values[3]; // B, G, R for the RGB layouts; Y, U, V for the planar one
        int red, green, blue;
    };
    const Layout layouts[] = {
        {CVCODEC_PIXEL_BGRA, kWidth, 0, {0, 0, 255}, 255, 0, 0},
        {CVCODEC_PIXEL_BGRA, kWidth, 64, {0, 255, 0}, 0, 255, 0},
        {CVCODEC_PIXEL_YUV420P, kWidth, 0, {41, 240, 110}, 0, 0, 255},
        {CVCODEC_PIXEL_BGRA, kWidth / 2, 0, {255, 255, 255}, 255, 255, 255},
        {CVCODEC_PIXEL_YUV420P, kWidth, 32, {81, 90, 240}, 255, 0, 0},
        {CVCODEC_PIXEL_BGRA, kWidth, 0, {255, 0, 0}, 0, 0, 255},
    };
    Recording recording;
    cvcodec_params params = makeParams(kWidth, kHeight, CVCODEC_H264, CVCODEC_NONE);
    int64_t origin = 0;
    QVERIFY(recording.open(path, "matroska", params, origin));
    cvcodec_params_release(params);
    cvcodec_frame frame = cvcodec_frame_create();
    int slot = 0;
    for (const Layout& layout : layouts) {
        const int width = layout.width;
        const int height = width * kHeight / kWidth;
        std::vector<std::vector<uint8_t>> planes;
        if (layout.pixelFormat == CVCODEC_PIXEL_BGRA) {
            const int line = width * 4 + layout.extraBytesPerLine;
            planes.emplace_back(size_t(line) * size_t(height), uint8_t(0));
            for (int y = 0; y < height; ++y) {
                for (int x = 0; x < width; ++x)
                    std::memcpy(&planes[0][size_t(y * line + x * 4)], layout.values, 3);
            }
            cvcodec_frame_set_pixel_format(frame, CVCODEC_PIXEL_BGRA);
            cvcodec_frame_set_size(frame, width, height);
            cvcodec_frame_set_plane(frame, 0, planes[0].data(), line);
        } else {
            cvcodec_frame_set_pixel_format(frame, CVCODEC_PIXEL_YUV420P);
            cvcodec_frame_set_size(frame, width, height);
            for (int plane = 0; plane < 3; ++plane) {
                const int line = (plane == 0 ? width : width / 2) + layout.extraBytesPerLine;
                const int rows = plane == 0 ? height : height / 2;
                planes.emplace_back(size_t(line) * size_t(rows), layout.values[plane]);
                cvcodec_frame_set_plane(frame, plane, planes.back().data(), line);
            }
        }
        cvcodec_frame_set_timestamp(frame, int64_t(slot++) * 1000000 / 30);
        QVERIFY(cvcodec_recorder_push_video(recording.recorder, frame));
    }
    cvcodec_frame_release(frame);
    QVERIFY(cvcodec_recorder_stop(recording.recorder));

    // The middle of each frame, shrunk, tells its colour.
    const std::vector<std::array<int, 3>> middles = pictureMiddles(path);
    QVERIFY(middles.size() >= std::size(layouts));
    for (int i = 0; i < int(std::size(layouts)); ++i) {
        const std::array<int, 3>& middle = middles[size_t(i)];
        const Layout& layout = layouts[i];
        const QString seen = QString("frame %1: %2,%3,%4").arg(i).arg(middle[0]).arg(middle[1]).arg(middle[2]);
        QVERIFY2(std::abs(middle[0] - layout.red) < 40 && std::abs(middle[1] - layout.green) < 40 &&
                     std::abs(middle[2] - layout.blue) < 40,
                 qPrintable(seen));
    }
}

void RecorderTest::pictureAndSoundStayInStep_data() {
    QTest::addColumn<QString>("muxer");
    QTest::newRow("mp4") << "mp4";
    QTest::newRow("matroska") << "matroska";
}

void RecorderTest::pictureAndSoundStayInStep() {
    // At one second into the recording the picture turns white and a tone begins: in
    // the file both must start within a frame of each other. A picture is what the
    // screen showed when it was handed over, so when this thread wakes late (or the
    // recorder refuses a picture) the white one truly comes later, and the file must show
    // it that much later.
    QFETCH(QString, muxer);
    const QString path = m_dir.filePath("step." + muxer);
    Recording recording;
    cvcodec_params params = makeParams(160, 120);
    int64_t origin = 0;
    QVERIFY(recording.open(path, muxer.toUtf8().constData(), params, origin));
    cvcodec_params_release(params);
    cvcodec_frame picture = cvcodec_frame_create();
    cvcodec_frame sound = cvcodec_frame_create();
    std::vector<uint8_t> black(160 * 120 * 4, 0);
    std::vector<uint8_t> white(160 * 120 * 4, 255);
    int64_t nextPictureUs = 0;
    int64_t produced = 0;
    int64_t whiteHandedOverUs = -1;
    for (;;) {
        const int64_t clock = monotonicMicroseconds() - origin;
        if (clock >= 2000000)
            break;
        if (clock >= nextPictureUs) {
            cvcodec_frame_set_pixel_format(picture, CVCODEC_PIXEL_BGRA);
            cvcodec_frame_set_size(picture, 160, 120);
            cvcodec_frame_set_plane(picture, 0, (clock >= 1000000 ? white : black).data(), 160 * 4);
            // A picture the recorder refuses (its queue full under load) never reaches the file.
            if (cvcodec_recorder_push_video(recording.recorder, picture) && clock >= 1000000 && whiteHandedOverUs < 0)
                whiteHandedOverUs = clock;
            nextPictureUs += 1000000 / 30;
        }
        if (clock * 441 / 10000 >= produced + 441) {
            std::vector<int16_t> samples = makeTone(440, 44100, 2, produced, 441);
            for (int i = 0; i < 441; ++i) {
                if (produced + i < 44100)
                    samples[size_t(i) * 2] = samples[size_t(i) * 2 + 1] = 0;
            }
            cvcodec_frame_set_sample_format(sound, CVCODEC_SAMPLE_S16);
            cvcodec_frame_set_sample_rate(sound, 44100);
            cvcodec_frame_set_channels(sound, 2);
            cvcodec_frame_set_samples(sound, samples.data(), 441);
            cvcodec_frame_set_timestamp(sound, produced * 10000 / 441);
            cvcodec_recorder_push_audio(recording.recorder, sound);
            produced += 441;
        }
        calvorine::platform::sleepForMicroseconds(1000);
    }
    cvcodec_frame_release(picture);
    cvcodec_frame_release(sound);
    QVERIFY(cvcodec_recorder_stop(recording.recorder));

    QProcess decode;
    decode.start("ffmpeg",
                 {"-v", "error", "-i", path, "-map", "0:v:0", "-vf", "scale=8:8,format=gray", "-f", "rawvideo", "-"});
    QVERIFY(decode.waitForFinished(60000));
    const QByteArray pictures = decode.readAllStandardOutput();
    int firstWhite = -1;
    for (int frame = 0; frame * 64 < pictures.size(); ++frame) {
        if (uint8_t(pictures.at(frame * 64 + 27)) > 128) {
            firstWhite = frame;
            break;
        }
    }
    QVERIFY(firstWhite > 0);
    const std::vector<int16_t> samples = decodeAudio(path, 44100);
    size_t firstLoud = 0;
    while (firstLoud < samples.size() && std::abs(int(samples[firstLoud])) < 3000)
        ++firstLoud;
    QVERIFY(firstLoud < samples.size());
    const double pictureAt = firstWhite * kFrame;
    const double soundAt = double(firstLoud) / 44100.0;
    QVERIFY(whiteHandedOverUs >= 0);
    const double pictureLate = (whiteHandedOverUs - 1000000) / 1e6;
    qInfo("picture turns white at %.3f s (handed over %.3f s late), the tone begins at %.3f s", pictureAt, pictureLate,
          soundAt);
    QVERIFY2(std::abs(pictureAt - pictureLate - soundAt) <= kFrame,
             qPrintable(QString("picture %1 s (%2 s late), sound %3 s").arg(pictureAt).arg(pictureLate).arg(soundAt)));
}

void RecorderTest::pauseIsLeftOut() {
    const QString path = m_dir.filePath("paused.mp4");
    Recording recording;
    cvcodec_params params = makeParams(320, 240);
    PushPlan plan;
    plan.seconds = 1.0;
    QVERIFY(recording.open(path, "mp4", params, plan.audioClockOriginUs));
    cvcodec_params_release(params);
    pushRealTime(recording.recorder, plan);
    QVERIFY(cvcodec_recorder_pause(recording.recorder));
    QVERIFY(cvcodec_recorder_is_running(recording.recorder)); // paused is still running
    calvorine::platform::sleepForMicroseconds(1000000);
    pushRealTime(recording.recorder, plan); // the first picture resumes
    QVERIFY(cvcodec_recorder_stop(recording.recorder));
    const uint64_t recorded = cvcodec_recorder_recorded_time(recording.recorder);
    QVERIFY2(recorded > 1900000 && recorded < 2200000, qPrintable(QString::number(recorded)));

    const QJsonObject probed = probe(path);
    const double duration = formatDuration(probed);
    QVERIFY2(std::abs(duration - 2.0) <= 2 * kFrame + kAudioBlock, qPrintable(QString::number(duration)));
    const double audioDuration = stream(probed, "audio").value("duration").toString().toDouble();
    QVERIFY2(std::abs(audioDuration - 2.0) <= 2 * kFrame + kAudioBlock, qPrintable(QString::number(audioDuration)));
}

void RecorderTest::microphoneTrackIsMixedIntoTheOneStream() {
    const QString path = m_dir.filePath("mixed.mkv");
    cvcodec_track microphone = cvcodec_track_create(CVCODEC_TRACK_AUDIO);
    QVERIFY(microphone);
    cvcodec_track_set_format(microphone, CVCODEC_TRACK_FORMAT_AUDIO_FRAMES);
    cvcodec_track_set_sample_rate(microphone, 48000);
    cvcodec_track_set_channels(microphone, 1);
    cvcodec_track_set_sample_format(microphone, CVCODEC_SAMPLE_FLOAT);
    cvcodec_track_set_bits_per_sample(microphone, 32);
    static std::atomic<int> started{0};
    static std::atomic<int> stopped{0};
    cvcodec_track_set_callback(
        microphone,
        [](void* context, int32_t event) -> int {
            if (context == &started)
                (event == 1 ? started : stopped)++;
            return 0;
        },
        &started);

    Recording recording;
    cvcodec_params params = makeParams(320, 240);
    QVERIFY(cvcodec_params_set_track_mixing(params, 1));
    QVERIFY(cvcodec_params_add_mix_track(params, microphone));
    PushPlan plan;
    plan.seconds = 2.0;
    QVERIFY(recording.open(path, "matroska", params, plan.audioClockOriginUs));
    cvcodec_params_release(params);

    // The microphone runs on a thread of its own, 48 kHz mono float at 1000 Hz. As a
    // capture device does, it hands on every sample, stamped with the time it was
    // captured: a thread that was not scheduled for a while catches up with stamps from
    // the past rather than leaving a gap and jumping the tone's phase.
    std::atomic<bool> done{false};
    std::thread capture([&] {
        cvcodec_frame frame = cvcodec_frame_create();
        int64_t produced = 0;
        const int64_t begin = monotonicMicroseconds();
        while (!done) {
            const int64_t due = (monotonicMicroseconds() - begin) * 48 / 1000;
            while (due >= produced + 480) {
                std::vector<float> samples(480);
                for (int i = 0; i < 480; ++i)
                    samples[size_t(i)] = float(0.35 * std::sin(2.0 * M_PI * 1000.0 * double(produced + i) / 48000.0));
                cvcodec_frame_set_sample_format(frame, CVCODEC_SAMPLE_FLOAT);
                cvcodec_frame_set_sample_rate(frame, 48000);
                cvcodec_frame_set_channels(frame, 1);
                cvcodec_frame_set_samples(frame, samples.data(), 480);
                cvcodec_frame_set_timestamp(frame, begin - plan.audioClockOriginUs + produced * 1000 / 48);
                cvcodec_track_push_frame(microphone, frame);
                produced += 480;
            }
            calvorine::platform::sleepForMicroseconds(3000);
        }
        cvcodec_frame_release(frame);
    });
    pushRealTime(recording.recorder, plan);
    done = true;
    capture.join();
    QCOMPARE(started.load(), 1);
    QVERIFY(cvcodec_recorder_stop(recording.recorder));
    QCOMPARE(stopped.load(), 1);
    cvcodec_track_release(microphone);

    const QJsonObject probed = probe(path);
    int audioStreams = 0;
    for (const QJsonValue& value : probed.value("streams").toArray())
        audioStreams += value.toObject().value("codec_type").toString() == "audio";
    QCOMPARE(audioStreams, 1);
    std::vector<int16_t> samples = decodeAudio(path, 44100);
    // Skip the first half second: the two sources start a moment apart.
    samples.erase(samples.begin(), samples.begin() + std::min<size_t>(samples.size(), 22050));
    // Mono mixed into stereo at -3 dB: the microphone's tone is about 0.25 when whole.
    const double systemStrength = toneStrength(samples, 44100, 440);
    const double microphoneStrength = toneStrength(samples, 44100, 1000);
    QVERIFY2(systemStrength > 0.2, qPrintable(QString("system sound missing: %1").arg(systemStrength)));
    QVERIFY2(microphoneStrength > 0.2, qPrintable(QString("microphone missing: %1").arg(microphoneStrength)));
}

void RecorderTest::cutOnTheSameHandleGivesTwoFiles() {
    Recording recording;
    const QString first = m_dir.filePath("cut-1.mp4");
    const QString second = m_dir.filePath("cut-2.mp4");
    cvcodec_params params = makeParams(320, 240);
    PushPlan plan;
    QVERIFY(recording.open(first, "mp4", params, plan.audioClockOriginUs));
    cvcodec_params_release(params);
    pushRealTime(recording.recorder, plan);
    QVERIFY(cvcodec_recorder_stop(recording.recorder));
    QVERIFY(cvcodec_recorder_close(recording.recorder));

    // The next file at another size.
    params = makeParams(480, 360);
    plan.width = 480;
    plan.height = 360;
    QVERIFY(recording.open(second, "mp4", params, plan.audioClockOriginUs));
    QVERIFY(!cvcodec_recorder_open(recording.recorder, first.toUtf8().constData(), "mp4", params)); // busy
    cvcodec_params_release(params);
    pushRealTime(recording.recorder, plan);
    QVERIFY(cvcodec_recorder_stop(recording.recorder));
    QVERIFY(cvcodec_recorder_close(recording.recorder));

    for (const QString& path : {first, second}) {
        const QJsonObject probed = probe(path);
        QVERIFY2(!probed.isEmpty(), qPrintable(path));
        QVERIFY(std::abs(formatDuration(probed) - 1.0) <= kFrame + kAudioBlock);
    }
    QCOMPARE(stream(probe(first), "video").value("width").toInt(), 320);
    QCOMPARE(stream(probe(second), "video").value("width").toInt(), 480);
}

void RecorderTest::killedRecordingStaysPlayable() {
    const QString path = m_dir.filePath("killed.mp4");
    QProcess helper;
    helper.setProgram(QCoreApplication::applicationDirPath() + "/codec_record_helper");
    helper.setArguments({path, "30"});
    helper.start();
    QVERIFY(helper.waitForStarted());
    // The helper reports each second it has recorded; kill it in the middle of the
    // fourth.
    QByteArray output;
    while (!output.contains("recorded 3")) {
        QVERIFY2(helper.waitForReadyRead(20000), "the helper did not report");
        output += helper.readAllStandardOutput();
    }
    calvorine::platform::sleepForMicroseconds(500000);
    ::kill(pid_t(helper.processId()), SIGKILL);
    QVERIFY(helper.waitForFinished(10000));
    QCOMPARE(helper.exitStatus(), QProcess::CrashExit);

    const QJsonObject probed = probe(path);
    QVERIFY2(!probed.isEmpty(), "the killed recording cannot be read");
    const double frames = stream(probed, "video").value("nb_read_frames").toString().toDouble();
    // 3.5 s were recorded; about a second may be lost (a little more on a busy machine).
    qInfo("killed after 3.5 s of recording: %.2f s of picture kept", frames * kFrame);
    QVERIFY2(frames * kFrame >= 2.2, qPrintable(QString::number(frames)));
    QVERIFY(!stream(probed, "audio").isEmpty());
    QProcess decode;
    decode.start("ffmpeg", {"-v", "error", "-i", path, "-f", "null", "-"});
    QVERIFY(decode.waitForFinished(60000));
    QCOMPARE(decode.exitCode(), 0);
}

void RecorderTest::badInputFailsCleanly() {
    const int threadsBefore = threadCount();
    Recording recording;
    cvcodec_params params = makeParams(320, 240);
    const QByteArray good = m_dir.filePath("never.mp4").toUtf8();
    QVERIFY(!cvcodec_recorder_open(recording.recorder, good.constData(), "no-such-muxer", params));
    QVERIFY(!cvcodec_recorder_open(recording.recorder, "/nonexistent-folder/x.mp4", "mp4", params));
    QVERIFY(!cvcodec_recorder_open(recording.recorder, "", "mp4", params));
    QVERIFY(!cvcodec_recorder_open(recording.recorder, "bad\xff.mp4", "mp4", params));
    QVERIFY(!cvcodec_recorder_open(recording.recorder, good.constData(), nullptr, params));
    QVERIFY(!cvcodec_recorder_open(recording.recorder, good.constData(), "mp4", nullptr));
    cvcodec_params_set_video_size(params, 0, 0);
    QVERIFY(!cvcodec_recorder_open(recording.recorder, good.constData(), "mp4", params));
    cvcodec_params_set_video_size(params, 320, 240);
    cvcodec_params_set_video_codec(params, 0x7777);
    QVERIFY(!cvcodec_recorder_open(recording.recorder, good.constData(), "mp4", params));
    cvcodec_params_set_video_codec(params, CVCODEC_NONE);
    cvcodec_params_set_audio_codec(params, CVCODEC_NONE);
    QVERIFY(!cvcodec_recorder_open(recording.recorder, good.constData(), "mp4", params)); // no stream
    cvcodec_params_release(params);
    QVERIFY(!QFileInfo::exists(QString::fromUtf8(good)));
    QVERIFY(!cvcodec_recorder_is_running(recording.recorder));
    QVERIFY(!cvcodec_recorder_stop(recording.recorder));
    QCOMPARE(threadCount(), threadsBefore);

    // A frame that does not describe its picture is refused.
    cvcodec_frame frame = cvcodec_frame_create();
    QVERIFY(!cvcodec_frame_set_size(frame, 0, 10));
    QVERIFY(!cvcodec_frame_set_pixel_format(frame, 12345));
    QVERIFY(!cvcodec_recorder_push_video(recording.recorder, frame));
    cvcodec_frame_release(frame);

    // Every entry refuses a 0 handle, and a handle of another kind.
    cvcodec_recorder noRecorder = nullptr;
    QVERIFY(!cvcodec_recorder_release(noRecorder));
    QVERIFY(!cvcodec_recorder_open(noRecorder, good.constData(), "mp4", nullptr));
    QVERIFY(!cvcodec_recorder_is_running(noRecorder));
    QVERIFY(!cvcodec_recorder_pause(noRecorder));
    QCOMPARE(cvcodec_recorder_recorded_time(noRecorder), uint64_t(0));
    QVERIFY(!cvcodec_recorder_push_video(noRecorder, nullptr));
    QVERIFY(!cvcodec_recorder_push_audio(noRecorder, nullptr));
    QVERIFY(!cvcodec_recorder_level_block(noRecorder, 1));
    QVERIFY(!cvcodec_recorder_release_level_block(noRecorder, nullptr));
    QVERIFY(!cvcodec_recorder_stop(noRecorder));
    QVERIFY(!cvcodec_recorder_close(noRecorder));
    QVERIFY(!cvcodec_params_release(nullptr));
    QVERIFY(!cvcodec_params_set_video_codec(nullptr, 28));
    QVERIFY(!cvcodec_params_set_tag(nullptr, "title", "x"));
    QVERIFY(!cvcodec_params_add_mix_track(nullptr, nullptr));
    QVERIFY(!cvcodec_frame_release(nullptr));
    QVERIFY(!cvcodec_frame_set_samples(nullptr, nullptr, 0));
    QVERIFY(!cvcodec_frame_level_block(nullptr, 1));
    QVERIFY(!cvcodec_track_release(nullptr));
    QVERIFY(!cvcodec_track_push_frame(nullptr, nullptr));
    QVERIFY(!cvcodec_blob_release(nullptr));
    QVERIFY(!cvcodec_start_scope_end(nullptr));
    QVERIFY(!cvcodec_params_set_video_codec(reinterpret_cast<cvcodec_params>(recording.recorder), 28));
    cvcodec_params wrongKind = cvcodec_params_create();
    QVERIFY(!cvcodec_recorder_stop(reinterpret_cast<cvcodec_recorder>(wrongKind)));
    QVERIFY(cvcodec_params_release(wrongKind));
    QVERIFY(!cvcodec_track_create(5));
    QVERIFY(!cvcodec_blob_create(nullptr, 4));
}

void RecorderTest::failedWriteEndsTheRecording() {
    const QString path = m_dir.filePath("disk-full.mp4");
    constexpr rlim_t kRoomBytes = 160 * 1024;
    Recording recording;
    cvcodec_params params = makeParams(320, 240);
    PushPlan plan;
    plan.seconds = 0.5;
    bool running = true;
    {
        FileSizeLimit full(kRoomBytes);
        QVERIFY(recording.open(path, "mp4", params, plan.audioClockOriginUs));
        for (int step = 0; step < 30 && running; ++step) {
            pushRealTime(recording.recorder, plan);
            running = cvcodec_recorder_is_running(recording.recorder);
        }
        // The failure is reported, not only logged: the handle stops running and takes
        // no more pictures or sound.
        QVERIFY2(!running, "a recording whose file cannot grow still reports running");
        std::vector<uint8_t> pixels = makePicture(320, 240, 0);
        cvcodec_frame picture = cvcodec_frame_create();
        cvcodec_frame_set_pixel_format(picture, CVCODEC_PIXEL_BGRA);
        cvcodec_frame_set_size(picture, 320, 240);
        cvcodec_frame_set_plane(picture, 0, pixels.data(), 320 * 4);
        QVERIFY(!cvcodec_recorder_push_video(recording.recorder, picture));
        cvcodec_frame_release(picture);
        // The stop finishes what it can, and says that the file is not whole.
        QVERIFY(!cvcodec_recorder_stop(recording.recorder));
        QVERIFY(cvcodec_recorder_close(recording.recorder));
    }
    cvcodec_params_release(params);
    QVERIFY(QFileInfo(path).size() <= qint64(kRoomBytes));

    // What reached the file before the disk ran full still plays.
    const QJsonObject probed = probe(path);
    QVERIFY2(!probed.isEmpty(), "the cut-off recording cannot be read");
    const double frames = stream(probed, "video").value("nb_read_frames").toString().toDouble();
    QVERIFY2(frames * kFrame >= 0.9, qPrintable(QString::number(frames)));
    QVERIFY(!stream(probed, "audio").isEmpty());

    // The handle opens the next file as usual.
    const QString next = m_dir.filePath("after-disk-full.mp4");
    cvcodec_params nextParams = makeParams(320, 240);
    QVERIFY(recording.open(next, "mp4", nextParams, plan.audioClockOriginUs));
    cvcodec_params_release(nextParams);
    pushRealTime(recording.recorder, plan);
    QVERIFY(cvcodec_recorder_is_running(recording.recorder));
    QVERIFY(cvcodec_recorder_stop(recording.recorder));
    QVERIFY(!probe(next).isEmpty());
}

void RecorderTest::diskFullAtStopIsReported_data() {
    QTest::addColumn<QString>("muxer");
    QTest::addColumn<int>("videoCodec");
    QTest::addColumn<int>("audioCodec");
    QTest::newRow("mp4") << "mp4" << int(CVCODEC_H264) << int(CVCODEC_AAC);
    QTest::newRow("mkv") << "matroska" << int(CVCODEC_H264) << int(CVCODEC_AAC);
    QTest::newRow("wav") << "wav" << int(CVCODEC_NONE) << int(CVCODEC_PCM_S16LE);
}

// The disk runs full just before the stop: what is still queued, the encoders' last
// packets and the trailer (index, sizes) cannot be written. The stop says so.
void RecorderTest::diskFullAtStopIsReported() {
    QFETCH(QString, muxer);
    QFETCH(int, videoCodec);
    QFETCH(int, audioCodec);
    const QString path = m_dir.filePath(QString("full-at-stop-%1").arg(QTest::currentDataTag()));
    Recording recording;
    cvcodec_params params = makeParams(320, 240, videoCodec, audioCodec);
    PushPlan plan;
    plan.seconds = 1.5;
    QVERIFY(recording.open(path, muxer.toUtf8().constData(), params, plan.audioClockOriginUs));
    cvcodec_params_release(params);
    pushRealTime(recording.recorder, plan);
    QVERIFY(cvcodec_recorder_is_running(recording.recorder));
    {
        FileSizeLimit full(rlim_t(QFileInfo(path).size()));
        QVERIFY2(!cvcodec_recorder_stop(recording.recorder), "a file cut short at the stop is reported finished");
    }
    QVERIFY(!cvcodec_recorder_is_running(recording.recorder));
    QVERIFY(cvcodec_recorder_close(recording.recorder));

    // The handle records the next file as usual, and that stop succeeds.
    const QString next = path + "-next";
    cvcodec_params nextParams = makeParams(320, 240);
    QVERIFY(recording.open(next, "matroska", nextParams, plan.audioClockOriginUs));
    cvcodec_params_release(nextParams);
    plan.seconds = 0.3;
    pushRealTime(recording.recorder, plan);
    QVERIFY(cvcodec_recorder_stop(recording.recorder));
}

// A picture or a chunk of sound stamped an hour ahead is refused and counted as dropped;
// the file keeps the length that was recorded.
void RecorderTest::stampsFarAheadAreRefused() {
    const QString path = m_dir.filePath("far-ahead.mkv");
    Recording recording;
    cvcodec_params params = makeParams(320, 240);
    PushPlan plan;
    plan.seconds = 0.5;
    QVERIFY(recording.open(path, "matroska", params, plan.audioClockOriginUs));
    cvcodec_params_release(params);
    pushRealTime(recording.recorder, plan);
    constexpr int64_t kHourUs = 3'600'000'000;
    std::vector<int16_t> samples(441 * 2, 1000);
    cvcodec_frame sound = cvcodec_frame_create();
    cvcodec_frame_set_sample_format(sound, CVCODEC_SAMPLE_S16);
    cvcodec_frame_set_sample_rate(sound, 44100);
    cvcodec_frame_set_channels(sound, 2);
    cvcodec_frame_set_samples(sound, samples.data(), 441);
    cvcodec_frame_set_timestamp(sound, monotonicMicroseconds() - plan.audioClockOriginUs + kHourUs);
    QVERIFY(!cvcodec_recorder_push_audio(recording.recorder, sound));
    cvcodec_frame_release(sound);
    std::vector<uint8_t> pixels = makePicture(320, 240, 0);
    cvcodec_frame picture = cvcodec_frame_create();
    cvcodec_frame_set_pixel_format(picture, CVCODEC_PIXEL_BGRA);
    cvcodec_frame_set_size(picture, 320, 240);
    cvcodec_frame_set_plane(picture, 0, pixels.data(), 320 * 4);
    cvcodec_frame_set_timestamp(picture, monotonicMicroseconds() - plan.audioClockOriginUs + kHourUs);
    QVERIFY(!cvcodec_recorder_push_video(recording.recorder, picture));
    cvcodec_frame_release(picture);
    QVERIFY(cvcodec_recorder_dropped_frames(recording.recorder, 1) >= 1);
    QVERIFY(cvcodec_recorder_dropped_frames(recording.recorder, 2) >= 1);
    pushRealTime(recording.recorder, plan);
    QVERIFY(cvcodec_recorder_stop(recording.recorder));
    const double seconds = formatDuration(probe(path));
    QVERIFY2(seconds > 0.8 && seconds < 1.5, qPrintable(QString::number(seconds)));
}

void RecorderTest::levelBlocksCarryTheRecordedSound() {
    const QString path = m_dir.filePath("sound.m4a");
    Recording recording;
    cvcodec_params params = makeParams(0, 0, CVCODEC_NONE, CVCODEC_AAC);
    PushPlan plan;
    plan.seconds = 1.0;
    QVERIFY(recording.open(path, "m4a", params, plan.audioClockOriginUs));
    cvcodec_params_release(params);
    pushRealTime(recording.recorder, plan);
    calvorine::platform::sleepForMicroseconds(400000); // past the mixer's wait for late sound
    uint8_t* block = cvcodec_recorder_level_block(recording.recorder, 1);
    QVERIFY(block);
    uint32_t size24 = 0;
    uint32_t size40 = 0;
    std::memcpy(&size24, block + 24, 4);
    std::memcpy(&size40, block + 40, 4);
    QCOMPARE(size24, size40);
    QVERIFY(size24 >= 2 * 44100 / 2); // at least half a second of stereo 16-bit sound
    QVERIFY(size24 <= 2 * 2 * 44100); // at most one second
    const auto* samples = reinterpret_cast<const int16_t*>(block + 44);
    int peak = 0;
    for (uint32_t i = 0; i < size24 / 2; ++i)
        peak = std::max(peak, std::abs(int(samples[i])));
    QVERIFY(peak > 8000);
    QVERIFY(cvcodec_recorder_release_level_block(recording.recorder, block));
    QVERIFY(!cvcodec_recorder_release_level_block(recording.recorder, block)); // not twice

    // A frame's own level block: its samples as signed 16-bit values.
    cvcodec_frame frame = cvcodec_frame_create();
    const float values[4] = {0.5f, -0.5f, 1.5f, -1.0f};
    cvcodec_frame_set_sample_format(frame, CVCODEC_SAMPLE_FLOAT);
    cvcodec_frame_set_sample_rate(frame, 48000);
    cvcodec_frame_set_channels(frame, 2);
    QVERIFY(cvcodec_frame_set_samples(frame, values, 2));
    uint8_t* own = cvcodec_frame_level_block(frame, 1);
    QVERIFY(own);
    std::memcpy(&size24, own + 24, 4);
    std::memcpy(&size40, own + 40, 4);
    QCOMPARE(size24, 8u);
    QCOMPARE(size40, 8u);
    int16_t converted[4];
    std::memcpy(converted, own + 44, 8);
    QCOMPARE(converted[0], int16_t(16383));
    QCOMPARE(converted[1], int16_t(-16383));
    QCOMPARE(converted[2], int16_t(32767)); // clipped
    QCOMPARE(converted[3], int16_t(-32767));
    QVERIFY(!cvcodec_recorder_release_level_block(recording.recorder, own)); // not the recorder's
    QVERIFY(cvcodec_frame_release_level_block(frame, own));
    cvcodec_frame_release(frame);
    QVERIFY(cvcodec_recorder_stop(recording.recorder));
    const QJsonObject probed = probe(path);
    QVERIFY(stream(probed, "video").isEmpty());
    QCOMPARE(stream(probed, "audio").value("codec_name").toString(), QString("aac"));
}

void RecorderTest::soundGapsAreSilentAndOverlapsCut() {
    // Two seconds of sound stamped like a capture thread does, with nothing delivered
    // from 0.8 s to 1.2 s and, at 1.5 s, one packet stamped 200 ms in the past (the
    // device ran ahead): the gap becomes silence, the repeated span is cut, and the
    // sound still lasts two seconds.
    const QString path = m_dir.filePath("gaps.mkv");
    Recording recording;
    cvcodec_params params = makeParams(0, 0, CVCODEC_NONE, CVCODEC_FLAC);
    int64_t origin = 0;
    QVERIFY(recording.open(path, "matroska", params, origin));
    cvcodec_params_release(params);
    cvcodec_frame sound = cvcodec_frame_create();
    int64_t produced = 0;
    bool rewound = false;
    for (;;) {
        const int64_t clock = monotonicMicroseconds() - origin;
        if (clock >= 2000000)
            break;
        const int64_t due = clock * 441 / 10000;
        if (due >= produced + 441) {
            std::vector<int16_t> samples = makeTone(440, 44100, 2, produced, 441);
            int64_t stamp = produced * 10000 / 441;
            if (stamp >= 1500000 && !rewound) {
                stamp -= 200000;
                rewound = true;
            }
            if (stamp < 800000 || stamp >= 1200000) {
                cvcodec_frame_set_sample_format(sound, CVCODEC_SAMPLE_S16);
                cvcodec_frame_set_sample_rate(sound, 44100);
                cvcodec_frame_set_channels(sound, 2);
                cvcodec_frame_set_samples(sound, samples.data(), 441);
                cvcodec_frame_set_timestamp(sound, stamp);
                cvcodec_recorder_push_audio(recording.recorder, sound);
            }
            produced += 441;
        }
        calvorine::platform::sleepForMicroseconds(2000);
    }
    cvcodec_frame_release(sound);
    QVERIFY(cvcodec_recorder_stop(recording.recorder));

    std::vector<int16_t> samples = decodeAudio(path, 44100);
    const double seconds = double(samples.size()) / 44100.0;
    QVERIFY2(std::abs(seconds - 2.0) <= 0.05, qPrintable(QString::number(seconds)));
    auto window = [&](double from, double to) {
        return std::vector<int16_t>(samples.begin() + std::ptrdiff_t(from * 44100),
                                    samples.begin() + std::ptrdiff_t(to * 44100));
    };
    QVERIFY(toneStrength(window(0.1, 0.7), 44100, 440) > 0.2);
    QVERIFY(toneStrength(window(0.85, 1.15), 44100, 440) < 0.01);
    QVERIFY(toneStrength(window(1.25, 1.45), 44100, 440) > 0.2);
    QVERIFY(toneStrength(window(1.6, 1.9), 44100, 440) > 0.2);
}

QTEST_GUILESS_MAIN(RecorderTest)
#include "tst_recorder.moc"
