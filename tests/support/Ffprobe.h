// ffprobe as the independent reader of the files the tests make: its JSON for a file, the
// format's duration and the first stream of a kind.
#pragma once

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace ffprobe {

// Counting decodes every packet: asked for only where a test reads the frame counts.
enum class FrameCount { NotCounted, Counted };

// ffprobe's JSON for the file (format, streams and chapters); empty when it cannot read it.
inline QJsonObject probe(const QString& path, FrameCount count = FrameCount::NotCounted) {
    QStringList arguments{"-v", "error", "-print_format", "json", "-show_format", "-show_streams", "-show_chapters"};
    if (count == FrameCount::Counted) {
        arguments << "-count_frames";
    }
    QProcess process;
    process.start(QStringLiteral("ffprobe"), arguments << path);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        return {};
    }
    return QJsonDocument::fromJson(process.readAllStandardOutput()).object();
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

} // namespace ffprobe
