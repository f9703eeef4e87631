// ffprobe as the independent reader of the files the tests make: its JSON for a file, the
// format's duration and the first stream of a kind.
#pragma once

#include "tests/support/RunTool.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QVector>

#include <cmath>

namespace ffprobe {

// Counting decodes every packet: asked for only where a test reads the frame counts.
enum class FrameCount { NotCounted, Counted };

// ffprobe's JSON for the file (format, streams and chapters); empty when it cannot read it.
inline QJsonObject probe(const QString& path, FrameCount count = FrameCount::NotCounted) {
    QStringList arguments{"-v", "error", "-print_format", "json", "-show_format", "-show_streams", "-show_chapters"};
    if (count == FrameCount::Counted) {
        arguments << "-count_frames";
    }
    const runtool::Result result = runtool::run(QStringLiteral("ffprobe"), arguments << path);
    return result.exitCode == 0 ? QJsonDocument::fromJson(result.out).object() : QJsonObject();
}

inline double formatDuration(const QJsonObject& info) {
    return info.value("format").toObject().value("duration").toString().toDouble();
}

// The first stream of the type ("video", "audio", ...): a cover picture counts as a video
// stream only when asked for.
inline QJsonObject stream(const QJsonObject& info, const QString& type, bool attachedPicture = false) {
    for (const QJsonValue& value : info.value("streams").toArray()) {
        const QJsonObject s = value.toObject();
        const bool attached = s.value("disposition").toObject().value("attached_pic").toInt() == 1;
        if (s.value("codec_type").toString() == type && attached == attachedPicture) {
            return s;
        }
    }
    return {};
}

// The length of the first sound stream as ffmpeg decodes it to its end (the time of its
// last progress line), in seconds; -1 when it cannot decode it.
inline double decodedSoundSeconds(const QString& path) {
    const runtool::Result result = runtool::run(
        QStringLiteral("ffmpeg"), {"-nostdin", "-hide_banner", "-i", path, "-map", "0:a:0", "-f", "null", "-"});
    const QStringList times = QString::fromUtf8(result.err).split(QStringLiteral("time="));
    if (result.exitCode != 0 || times.size() < 2) {
        return -1;
    }
    const QStringList hms = times.last().section(QLatin1Char(' '), 0, 0).split(QLatin1Char(':'));
    return hms.size() == 3 ? hms[0].toDouble() * 3600 + hms[1].toDouble() * 60 + hms[2].toDouble() : -1;
}

// The time of each picture of the first video stream, in seconds, in decoding order; empty
// when ffprobe cannot read the file.
inline QVector<double> frameTimes(const QString& path) {
    const runtool::Result result =
        runtool::run(QStringLiteral("ffprobe"), {"-v", "error", "-select_streams", "v:0", "-show_entries",
                                                 "frame=best_effort_timestamp_time", "-of", "csv=p=0", path});
    QVector<double> times;
    if (result.exitCode != 0) {
        return times;
    }
    for (const QByteArray& line : result.out.split('\n')) {
        if (!line.trimmed().isEmpty()) {
            times.append(line.trimmed().toDouble());
        }
    }
    return times;
}

// Where the file's pictures leave the frame grid of `fps` (more than a twentieth of a
// slot off), as a text for the failure; empty when every one lies on it. The grid is
// counted from the second picture: some muxers move the first to the stream's start. A
// recording whose encoder cannot take every slot leaves slots out, so its average rate
// falls under the grid's, but its pictures keep their slots.
inline QString picturesOffTheGrid(const QString& path, double fps) {
    const QVector<double> times = frameTimes(path);
    if (times.size() < 2) {
        return QString("%1 pictures read").arg(times.size());
    }
    QStringList off;
    for (int i = 1; i < times.size(); ++i) {
        const double slot = (times[i] - times[1]) * fps;
        if (std::abs(slot - std::round(slot)) > 0.05) {
            off << QString::number(times[i], 'f', 4);
        }
    }
    return off.isEmpty() ? QString()
                         : QString("%1 of %2 pictures off the %3 fps grid, at %4 s")
                               .arg(off.size())
                               .arg(times.size())
                               .arg(fps)
                               .arg(off.mid(0, 8).join(' '));
}

} // namespace ffprobe
