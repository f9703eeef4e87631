#include "recording_helpers.h"

#include "platform/system/clock.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>

#include <cmath>
#include <cstring>

namespace codectest {

std::vector<uint8_t> makePicture(int width, int height, int index) {
    std::vector<uint8_t> pixels(size_t(width) * size_t(height) * 4);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            uint8_t* at = &pixels[(size_t(y) * size_t(width) + size_t(x)) * 4];
            at[0] = uint8_t(x + index * 4);
            at[1] = uint8_t(y + index * 2);
            at[2] = uint8_t((x / 16 + y / 16 + index) % 2 ? 220 : 30);
            at[3] = 255;
        }
    }
    return pixels;
}

std::vector<int16_t> makeTone(int frequencyHz, int sampleRate, int channels, int64_t first, int count) {
    std::vector<int16_t> samples(size_t(count) * size_t(channels));
    for (int i = 0; i < count; ++i) {
        const double t = double(first + i) / sampleRate;
        const auto value = int16_t(std::lround(std::sin(2.0 * M_PI * frequencyHz * t) * 12000.0));
        for (int c = 0; c < channels; ++c)
            samples[size_t(i) * size_t(channels) + size_t(c)] = value;
    }
    return samples;
}

cvcodec_params makeParams(int width, int height, int videoCodec, int audioCodec) {
    cvcodec_params params = cvcodec_params_create();
    cvcodec_params_set_video_codec(params, videoCodec);
    cvcodec_params_set_audio_codec(params, audioCodec);
    if (videoCodec == CVCODEC_H264) {
        cvcodec_params_set_speed_preset(params, 2);
        cvcodec_params_set_profile(params, 66);
    }
    cvcodec_params_set_video_size(params, width, height);
    cvcodec_params_set_frame_rate(params, 30, 1);
    cvcodec_params_set_video_quality(params, 50);
    cvcodec_params_set_channels(params, 2);
    cvcodec_params_set_sample_rate(params, 44100);
    cvcodec_params_set_audio_bit_rate(params, 128000);
    return params;
}

void pushRealTime(cvcodec_recorder recorder, const PushPlan& plan) {
    using calvorine::platform::monotonicMicroseconds;
    const int64_t begin = monotonicMicroseconds();
    const int64_t endUs = int64_t(plan.seconds * 1e6);
    cvcodec_frame picture = cvcodec_frame_create();
    cvcodec_frame sound = cvcodec_frame_create();
    int64_t nextPictureUs = 0;
    int64_t nextSoundUs = 0;
    int pictureIndex = 0;
    int64_t soundSamples = 0;
    for (;;) {
        const int64_t elapsed = monotonicMicroseconds() - begin;
        if (elapsed >= endUs)
            break;
        if (elapsed >= nextPictureUs) {
            std::vector<uint8_t> pixels = makePicture(plan.width, plan.height, pictureIndex++);
            cvcodec_frame_set_pixel_format(picture, CVCODEC_PIXEL_BGRA);
            cvcodec_frame_set_size(picture, plan.width, plan.height);
            cvcodec_frame_set_plane(picture, 0, pixels.data(), plan.width * 4);
            cvcodec_recorder_push_video(recorder, picture);
            nextPictureUs += 1000000 / 30;
        }
        // Sound that fell behind (the thread was not scheduled) is caught up at once.
        while (plan.audio && elapsed >= nextSoundUs) {
            const int count = 441;
            std::vector<int16_t> samples = makeTone(plan.toneHz, 44100, 2, soundSamples, count);
            cvcodec_frame_set_sample_format(sound, CVCODEC_SAMPLE_S16);
            cvcodec_frame_set_sample_rate(sound, 44100);
            cvcodec_frame_set_channels(sound, 2);
            cvcodec_frame_set_samples(sound, samples.data(), count);
            cvcodec_frame_set_timestamp(sound, begin - plan.audioClockOriginUs + soundSamples * 1000000 / 44100);
            cvcodec_recorder_push_audio(recorder, sound);
            soundSamples += count;
            nextSoundUs += 10000;
        }
        calvorine::platform::sleepForMicroseconds(2000);
    }
    cvcodec_frame_release(picture);
    cvcodec_frame_release(sound);
}

QJsonObject probe(const QString& path) {
    return ffprobe::probe(path, ffprobe::FrameCount::Counted);
}

std::vector<std::array<int, 3>> pictureMiddles(const QString& path) {
    QProcess decode;
    decode.start("ffmpeg", {"-v", "error", "-i", path, "-vf", "scale=4:4", "-f", "rawvideo", "-pix_fmt", "rgb24", "-"});
    if (!decode.waitForFinished(60000) || decode.exitCode() != 0)
        return {};
    const QByteArray pixels = decode.readAllStandardOutput();
    constexpr int kFrameBytes = 4 * 4 * 3;
    std::vector<std::array<int, 3>> middles;
    for (int at = 0; at + kFrameBytes <= pixels.size(); at += kFrameBytes) {
        const auto* middle = reinterpret_cast<const uint8_t*>(pixels.constData()) + at + (1 * 4 + 1) * 3;
        middles.push_back({middle[0], middle[1], middle[2]});
    }
    return middles;
}

std::vector<int16_t> decodeAudio(const QString& path, int sampleRate) {
    QProcess process;
    process.start("ffmpeg", {"-v", "error", "-i", path, "-map", "0:a:0", "-ac", "1", "-ar", QString::number(sampleRate),
                             "-f", "s16le", "-"});
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return {};
    const QByteArray bytes = process.readAllStandardOutput();
    std::vector<int16_t> samples(size_t(bytes.size()) / 2);
    std::memcpy(samples.data(), bytes.constData(), samples.size() * 2);
    return samples;
}

int threadCount() {
    return int(QDir("/proc/self/task").entryList(QDir::Dirs | QDir::NoDotAndDotDot).size());
}

} // namespace codectest
