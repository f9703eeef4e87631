// Media fixtures made with the ffmpeg command line and results read back with ffprobe,
// so that tests of the conversion, information and player code check against an
// independent reader.
#pragma once

#include "tests/support/Ffprobe.h"

#include <QByteArray>
#include <QFile>
#include <QImage>
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

// A grey picture whose brightness tells the frame's number (25 frames a second, a key
// frame every 2 s), with a tone: frameNumberOf reads the number back from a shown picture.
inline bool makeNumberedClip(const QString& path, double seconds, const QStringList& inputOptions = {},
                             const QStringList& extra = {}) {
    return ffmpeg(QStringList{"-f", "lavfi", "-i", "nullsrc=s=64x48:r=25,geq=lum='16+2*N':cb=128:cr=128"} +
                  inputOptions +
                  QStringList{"-f", "lavfi", "-i", "sine=frequency=440:sample_rate=44100", "-t",
                              QString::number(seconds), "-c:v", "libx264", "-g", "50", "-pix_fmt", "yuv420p"} +
                  extra + QStringList{path});
}

// The frame number of a picture of makeNumberedClip (its brightness 16 + 2n, shown in full
// range); -1 for a picture that is not one of its frames.
inline int frameNumberOf(const QImage& picture) {
    if (picture.isNull()) {
        return -1;
    }
    const QRgb centre = picture.pixel(picture.width() / 2, picture.height() / 2);
    if (qAbs(qRed(centre) - qBlue(centre)) > 6 || qAbs(qGreen(centre) - qBlue(centre)) > 6) {
        return -1;
    }
    return qRound(qGreen(centre) * 219.0 / 255.0 / 2.0);
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

// A sine tone as AAC in an .m4a, with the tags and chapters of an ffmetadata file, the
// picture as its attached cover, and the further tags given as "key=value".
inline bool makeTaggedSong(const QString& path, double seconds, const QString& metadata, const QString& cover,
                           const QStringList& tags = {}) {
    QStringList arguments{"-f",
                          "lavfi",
                          "-t",
                          QString::number(seconds),
                          "-i",
                          "sine",
                          "-i",
                          metadata,
                          "-i",
                          cover,
                          "-map",
                          "0:a",
                          "-map",
                          "2",
                          "-map_metadata",
                          "1",
                          "-map_chapters",
                          "1",
                          "-c:a",
                          "aac",
                          "-c:v",
                          "copy",
                          "-disposition:v",
                          "attached_pic"};
    for (const QString& tag : tags) {
        arguments << "-metadata" << tag;
    }
    return ffmpeg(arguments << path);
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

using ffprobe::formatDuration;
using ffprobe::probe;
using ffprobe::stream;

// The first picture of a file, decoded by the ffmpeg command line into a PNG beside it.
inline QImage firstPicture(const QString& path) {
    const QString png = path + QStringLiteral(".first.png");
    if (!ffmpeg({"-i", path, "-frames:v", "1", png})) {
        return {};
    }
    const QImage image(png);
    QFile::remove(png);
    return image;
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

// Where a file's timeline begins (ffprobe's start time of the file) and how long it runs
// from there to the end of its last stream, in seconds.
struct Timeline {
    double start = 0.0;
    double length = 0.0;
    // The start of the first stream of the type, counted from the file's start.
    double streamStart(const QJsonObject& info, const QString& type) const {
        return stream(info, type).value("start_time").toString().toDouble() - start;
    }
};
inline Timeline timelineOf(const QJsonObject& info) {
    Timeline timeline;
    timeline.start = info.value("format").toObject().value("start_time").toString().toDouble();
    double end = 0.0;
    for (const QJsonValue& value : info.value("streams").toArray()) {
        const QJsonObject s = value.toObject();
        end = qMax(end, s.value("start_time").toString().toDouble() + s.value("duration").toString().toDouble());
    }
    timeline.length = end - timeline.start;
    return timeline;
}

// The same for a file whose streams tell no extents (Matroska): the end is where its last
// picture or sound packet ends, as ffprobe reads the packets.
inline Timeline timelineOf(const QString& path, const QJsonObject& info) {
    Timeline timeline = timelineOf(info);
    bool extentsTold = true;
    for (const QJsonValue& value : info.value("streams").toArray()) {
        extentsTold = extentsTold && value.toObject().contains("duration");
    }
    if (extentsTold) {
        return timeline;
    }
    QProcess process;
    process.start(QStringLiteral("ffprobe"),
                  QStringList{"-v", "error", "-show_entries", "packet=pts_time,duration_time", "-of", "csv=p=0", path});
    if (!process.waitForFinished(60000) || process.exitCode() != 0) {
        return Timeline{};
    }
    double end = 0.0;
    for (const QString& line : QString::fromUtf8(process.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts)) {
        const QStringList fields = line.split(',');
        if (fields.size() >= 2) {
            end = qMax(end, fields[0].toDouble() + fields[1].toDouble());
        }
    }
    timeline.length = end - timeline.start;
    return timeline;
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
