// Media fixtures made with the ffmpeg command line and results read back with ffprobe,
// so that tests of the conversion, information and player code check against an
// independent reader.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace fixtures {

// Runs ffmpeg quietly with the arguments; true on exit code 0.
inline bool ffmpeg(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral("ffmpeg"), QStringList{"-v", "error", "-y"} + arguments);
    return process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

// A test picture with a tone: H.264/AAC in the container the path's extension names.
inline bool makeClip(const QString& path, double seconds, const QString& size = QStringLiteral("320x240"),
                     int rate = 30, const QStringList& extra = {}) {
    const QString duration = QString::number(seconds);
    return ffmpeg(QStringList{"-f", "lavfi", "-i", QStringLiteral("testsrc=size=%1:rate=%2").arg(size).arg(rate), "-f",
                              "lavfi", "-i", "sine=frequency=440:sample_rate=44100", "-t", duration, "-pix_fmt",
                              "yuv420p"} +
                  extra + QStringList{path});
}

// A one-second test picture of any size, odd ones too (4:4:4 H.264 takes them).
inline bool makeAnySizeClip(const QString& path, const QString& size, int rate) {
    return ffmpeg({"-f", "lavfi", "-i", QStringLiteral("testsrc=size=%1:rate=%2").arg(size).arg(rate), "-t", "1",
                   "-c:v", "libx264", "-pix_fmt", "yuv444p", "-preset", "ultrafast", path});
}

// A tone alone.
inline bool makeTone(const QString& path, double seconds, const QStringList& extra = {}) {
    return ffmpeg(
        QStringList{"-f", "lavfi", "-i", "sine=frequency=440:sample_rate=44100", "-t", QString::number(seconds)} +
        extra + QStringList{path});
}

// A small picture file (PNG or JPEG by extension).
inline bool makePicture(const QString& path, const QString& size = QStringLiteral("64x48")) {
    return ffmpeg(
        QStringList{"-f", "lavfi", "-i", QStringLiteral("testsrc=size=%1").arg(size), "-frames:v", "1", path});
}

// A new file of the given bytes: metadata and subtitle texts, files that are no media.
inline bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The first bytes of a media file, as an interrupted copy leaves it.
inline bool writeTruncated(const QString& source, const QString& path, qint64 byteCount) {
    QFile whole(source);
    return whole.open(QIODevice::ReadOnly) && writeFile(path, whole.read(byteCount));
}

// ffprobe's JSON for the file: format, streams and chapters.
inline QJsonObject probe(const QString& path) {
    QProcess process;
    process.start(QStringLiteral("ffprobe"), QStringList{"-v", "error", "-print_format", "json", "-show_format",
                                                         "-show_streams", "-show_chapters", path});
    if (!process.waitForFinished(60000) || process.exitCode() != 0) {
        return {};
    }
    return QJsonDocument::fromJson(process.readAllStandardOutput()).object();
}

inline double formatDuration(const QJsonObject& info) {
    return info.value("format").toObject().value("duration").toString().toDouble();
}

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

inline QString formatTag(const QJsonObject& info, const QString& key) {
    const QJsonObject tags = info.value("format").toObject().value("tags").toObject();
    for (auto it = tags.begin(); it != tags.end(); ++it) {
        if (it.key().compare(key, Qt::CaseInsensitive) == 0) {
            return it.value().toString();
        }
    }
    return {};
}

// Frames of the first video stream, counted by decoding.
inline int countVideoFrames(const QString& path) {
    QProcess process;
    process.start(QStringLiteral("ffprobe"),
                  QStringList{"-v", "error", "-count_frames", "-select_streams", "v:0", "-show_entries",
                              "stream=nb_read_frames", "-of", "default=nokey=1:noprint_wrappers=1", path});
    if (!process.waitForFinished(60000)) {
        return -1;
    }
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed().toInt();
}

} // namespace fixtures
