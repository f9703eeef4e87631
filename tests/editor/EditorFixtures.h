// Media files of the editor tests, made with ffmpeg's lavfi sources: a clip whose
// top-left quadrant is red and the rest blue, with a tone; the same with chapters; a
// tone alone as MP3. Pixel helpers read colours back from screenshots.
#pragma once

#include "tests/platform/codec/playback_fixtures.h"

#include <QColor>
#include <QImage>
#include <QString>
#include <QStringList>

namespace editorfixtures {

// 10 s (or `seconds`) of WIDTHxHEIGHT at 25 frames a second: red top-left quadrant, blue
// elsewhere, a 440 Hz tone; H.264/AAC. `chapters` is an ffmetadata file or empty.
// An odd size needs `pixelFormat` "yuv444p".
inline bool makeQuadrantClip(const QString& path, int width, int height, double seconds = 10.0,
                             const QString& chapters = QString(),
                             const QString& pixelFormat = QStringLiteral("yuv420p")) {
    const QString d = QString::number(seconds);
    QStringList args{
        "-f", "lavfi", "-i", QStringLiteral("color=c=blue:s=%1x%2:r=25:d=%3").arg(width).arg(height).arg(d),
        "-f", "lavfi", "-i", QStringLiteral("color=c=red:s=%1x%2:r=25:d=%3").arg(width / 2).arg(height / 2).arg(d),
        "-f", "lavfi", "-i", QStringLiteral("sine=frequency=440:sample_rate=44100:duration=%1").arg(d)};
    if (!chapters.isEmpty()) {
        args += QStringList{"-i", chapters};
    }
    args += QStringList{"-filter_complex", "[0:v][1:v]overlay=0:0[v]", "-map", "[v]", "-map", "2:a"};
    if (!chapters.isEmpty()) {
        args += QStringList{"-map_chapters", "3"};
    }
    args +=
        QStringList{"-c:v", "libx264", "-preset", "ultrafast", "-pix_fmt", pixelFormat, "-c:a", "aac", "-t", d, path};
    return fixtures::ffmpeg(args);
}

// An ffmetadata file with chapters at 0-3, 3-7 and 7-10 s.
inline bool writeChapterMetadata(const QString& path) {
    QByteArray text(";FFMETADATA1\n");
    const int bounds[4] = {0, 3000, 7000, 10000};
    for (int i = 0; i < 3; ++i) {
        text += QStringLiteral("[CHAPTER]\nTIMEBASE=1/1000\nSTART=%1\nEND=%2\ntitle=Part %3\n")
                    .arg(bounds[i])
                    .arg(bounds[i + 1])
                    .arg(i + 1)
                    .toUtf8();
    }
    return fixtures::writeFile(path, text);
}

inline bool makeMp3(const QString& path, double seconds = 10.0) {
    return fixtures::makeTone(path, seconds, {"-c:a", "libmp3lame"});
}

inline bool isRed(const QColor& c) {
    return c.red() > 180 && c.green() < 80 && c.blue() < 80;
}
inline bool isBlue(const QColor& c) {
    return c.blue() > 180 && c.red() < 80 && c.green() < 80;
}
inline bool isBlack(const QColor& c) {
    return c.red() < 30 && c.green() < 30 && c.blue() < 30;
}

} // namespace editorfixtures
