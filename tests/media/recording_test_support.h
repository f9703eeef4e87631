// Helpers of the recording tests: a private home for settings, history and thumbnails,
// and the outside tools (ffprobe, ffmpeg) that judge the recorded files.
#pragma once

#include "tests/support/Ffprobe.h"
#include "tests/support/PrivateUserFolders.h"
#include "tests/support/RunTool.h"
#include "tests/support/ToneStrength.h"

#include <QByteArray>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVector>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>

namespace recording_test {

// Settings, history and thumbnails go to a private HOME, XDG folders and TMPDIR; made
// before the application object.
using PrivateHome = PrivateUserFolders;

using Output = runtool::Result;
using runtool::run;

// ffprobe's view of a file: its format and streams.
struct Probe {
    bool ok = false;
    double durationSeconds = 0;
    QJsonArray streams;

    std::optional<QJsonObject> stream(const QString& type) const {
        for (const auto& value : streams) {
            if (value.toObject().value("codec_type").toString() == type) {
                return value.toObject();
            }
        }
        return std::nullopt;
    }
    QString codec(const QString& type) const {
        auto s = stream(type);
        return s ? s->value("codec_name").toString() : QString();
    }
};

inline Probe probe(const QString& path) {
    Probe result;
    const QJsonObject root = ffprobe::probe(path);
    if (root.isEmpty()) {
        return result;
    }
    result.streams = root.value("streams").toArray();
    result.durationSeconds = ffprobe::formatDuration(root);
    result.ok = true;
    return result;
}

// ffmpeg's volumedetect of the first audio stream: {mean, max} in dB; nothing on failure.
struct Volume {
    double meanDb = -1000;
    double maxDb = -1000;
};
// With a frequency, only a narrow band around it is measured.
inline std::optional<Volume> volume(const QString& path, int bandHz = 0) {
    const QString filter =
        bandHz > 0 ? QString("bandpass=f=%1:width_type=q:w=30,volumedetect").arg(bandHz) : "volumedetect";
    const Output o =
        run("ffmpeg", {"-nostdin", "-hide_banner", "-i", path, "-map", "0:a:0", "-af", filter, "-f", "null", "-"});
    if (o.exitCode != 0) {
        return std::nullopt;
    }
    const QString text = QString::fromUtf8(o.err);
    Volume v;
    const auto mean = QRegularExpression("mean_volume: (-?[0-9.inf]+) dB").match(text);
    const auto max = QRegularExpression("max_volume: (-?[0-9.inf]+) dB").match(text);
    if (!mean.hasMatch() || !max.hasMatch()) {
        return std::nullopt;
    }
    v.meanDb = mean.captured(1).toDouble();
    v.maxDb = max.captured(1).toDouble();
    return v;
}

// The file's decoded sound, mono 16-bit at the given rate.
inline QVector<int16_t> decodeMono(const QString& path, int rateHz) {
    const std::vector<int16_t> samples = soundtest::decodedMono(path, rateHz);
    return QVector<int16_t>(samples.begin(), samples.end());
}

// The quietest and the loudest 20 ms of samples between two moments (seconds): each
// window's average magnitude (0 silence, 32768 full scale). -1 for both when the span
// holds no whole window.
struct Loudness {
    int quietest = -1;
    int loudest = -1;
};
inline Loudness loudness(const QVector<int16_t>& samples, int rateHz, double fromSeconds, double toSeconds) {
    Loudness result;
    const int window = rateHz / 50;
    const int end = std::min(int(toSeconds * rateHz), int(samples.size()));
    for (int at = std::max(0, int(fromSeconds * rateHz)); at + window <= end; at += window) {
        int64_t sum = 0;
        for (int i = at; i < at + window; ++i) {
            sum += std::abs(int(samples[i]));
        }
        const int level = int(sum / window);
        result.quietest = result.quietest < 0 ? level : std::min(result.quietest, level);
        result.loudest = std::max(result.loudest, level);
    }
    return result;
}

// The file's pictures as small grey images: one average luma value (0-255) per frame,
// with each frame's time in seconds.
struct PictureTimes {
    QVector<double> seconds;
    QVector<double> luma;
};
inline PictureTimes pictureLuma(const QString& path) {
    PictureTimes result;
    const Output o = run("ffmpeg", {"-nostdin", "-hide_banner", "-i", path, "-map", "0:v:0", "-vf",
                                    "signalstats,metadata=print:key=lavfi.signalstats.YAVG", "-f", "null", "-"});
    const QString text = QString::fromUtf8(o.err);
    const QRegularExpression timeRe("pts_time:([0-9.]+)");
    const QRegularExpression lumaRe("lavfi.signalstats.YAVG=([0-9.]+)");
    double lastTime = -1;
    for (const QString& line : text.split('\n')) {
        auto t = timeRe.match(line);
        if (t.hasMatch()) {
            lastTime = t.captured(1).toDouble();
        }
        auto l = lumaRe.match(line);
        if (l.hasMatch()) {
            result.seconds.push_back(lastTime);
            result.luma.push_back(l.captured(1).toDouble());
        }
    }
    return result;
}

} // namespace recording_test
