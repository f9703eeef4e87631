// Conversion handles: trim windows in several containers, progress, stop, speed, picture
// edits, tags and cover, and bad input. Results are read back with ffprobe.
#include "platform/codec/calvorine_codec.h"
#include "tests/platform/codec/playback_fixtures.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <cmath>

namespace {

struct Run {
    bool finished = false;
    bool failed = false;
    bool stopped = false;
    QList<uint64_t> positions;
    uint64_t duration = 0;
};

// Starts a converter and polls it to its end (as the program's worker does).
Run convert(const QString& source, const QString& destination, const char* muxer, cvcodec_params params,
            int64_t startUs, int64_t lengthUs, bool tagsOnly = false) {
    Run run;
    cvcodec_converter c = tagsOnly ? cvcodec_converter_create_tags_only(-1) : cvcodec_converter_create(-1);
    if (!cvcodec_converter_open(c, source.toUtf8().constData(), destination.toUtf8().constData(), muxer, params)) {
        cvcodec_converter_release(c);
        run.failed = true;
        return run;
    }
    cvcodec_converter_set_range(c, startUs, lengthUs);
    if (!cvcodec_converter_start(c)) {
        cvcodec_converter_release(c);
        run.failed = true;
        return run;
    }
    while (!cvcodec_converter_is_finished(c) && !cvcodec_converter_is_stopped(c)) {
        run.positions << cvcodec_converter_position(c);
        QThread::msleep(20);
    }
    run.positions << cvcodec_converter_position(c);
    run.duration = cvcodec_converter_duration(c);
    run.finished = cvcodec_converter_is_finished(c);
    run.failed = cvcodec_converter_has_failed(c);
    run.stopped = cvcodec_converter_is_stopped(c);
    cvcodec_converter_close(c);
    cvcodec_converter_release(c);
    return run;
}

cvcodec_params videoParams(int video = CVCODEC_H264, int audio = CVCODEC_AAC) {
    cvcodec_params p = cvcodec_params_create();
    cvcodec_params_set_video_codec(p, video);
    cvcodec_params_set_audio_codec(p, audio);
    cvcodec_params_set_speed_preset(p, 0);
    return p;
}

// The picture at 0.5 s of a file, decoded by the ffmpeg command line.
QImage frameAt(const QString& path, const QString& png) {
    if (!fixtures::ffmpeg({"-ss", "0.5", "-i", path, "-frames:v", "1", png})) {
        return {};
    }
    return QImage(png);
}

double meanGray(const QImage& image, const QRect& area) {
    double sum = 0.0;
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            sum += qGray(image.pixel(x, y));
            ++count;
        }
    }
    return count > 0 ? sum / count : 0.0;
}

// The mean loudness in dB that ffmpeg's volumedetect measures.
double meanVolume(const QString& path) {
    QProcess process;
    process.start("ffmpeg", {"-hide_banner", "-i", path, "-af", "volumedetect", "-f", "null", "-"});
    process.waitForFinished(60000);
    const QString log = QString::fromUtf8(process.readAllStandardError());
    const int at = log.indexOf("mean_volume:");
    return at < 0 ? 0.0 : log.mid(at + 12).section(' ', 1, 1).toDouble();
}

} // namespace

class TestCodecConversion : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void trimWindowInEachContainer_data();
    void trimWindowInEachContainer();
    void progressRisesToTheWholeWindow();
    void stopEndsAtOnceAndRemovesThePartialFile();
    void doubleSpeedHalvesTheDuration();
    void cropRotationAndFlipsGiveTheOutputSize_data();
    void cropRotationAndFlipsGiveTheOutputSize();
    void tagsAndCoverLandInTheResult_data();
    void tagsAndCoverLandInTheResult();
    void editsReachThePictureAndSound();
    void pathsWithFilterCharactersStayOnePath();
    void chaptersAreWritten();
    void tagsOnlyCopiesTheStreams();
    void badInputIsRefused();
    void aWindowPastTheEndFails();
    void aSourceThatStartsLateGivesAnOutputFromZero_data();
    void anOddSizedSourceIsShapedAndWrittenEven_data();
    void anOddSizedSourceIsShapedAndWrittenEven();
    void aSourceThatStartsLateGivesAnOutputFromZero();

private:
    QTemporaryDir m_dir;
    QString m_clip;
};

void TestCodecConversion::initTestCase() {
    cvcodec_set_log_level(0);
    QVERIFY(m_dir.isValid());
    m_clip = m_dir.filePath("clip.mp4");
    QVERIFY(fixtures::makeClip(m_clip, 10.0, "320x240", 30, {"-c:v", "libx264", "-preset", "ultrafast"}));
}

void TestCodecConversion::trimWindowInEachContainer_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("muxer");
    QTest::addColumn<bool>("audioOnly");
    QTest::newRow("mp4") << "out.mp4"
                         << "mp4" << false;
    QTest::newRow("mkv") << "out.mkv"
                         << "matroska" << false;
    QTest::newRow("mp3") << "out.mp3"
                         << "mp3" << true;
}

void TestCodecConversion::trimWindowInEachContainer() {
    QFETCH(QString, name);
    QFETCH(QString, muxer);
    QFETCH(bool, audioOnly);
    cvcodec_params p = audioOnly ? videoParams(-1, CVCODEC_MP3) : videoParams();
    const QString out = m_dir.filePath(name);
    const Run run = convert(m_clip, out, muxer.toUtf8().constData(), p, 2000000, 3000000);
    cvcodec_params_release(p);
    QVERIFY(run.finished);
    QVERIFY(!run.failed);
    const QJsonObject info = fixtures::probe(out);
    const double frame = 1.0 / 30.0;
    if (audioOnly) {
        QVERIFY(fixtures::stream(info, "video").isEmpty());
        QVERIFY(qAbs(fixtures::formatDuration(info) - 3.0) <= 0.06); // an MP3 frame is 26 ms
    } else {
        QCOMPARE(fixtures::countVideoFrames(out), 90);
        QVERIFY2(qAbs(fixtures::formatDuration(info) - 3.0) <= frame,
                 qPrintable(QString::number(fixtures::formatDuration(info))));
        // The window starts at 2 s of the source: testsrc shows a frame counter, so the
        // first picture differs from the source's first.
        QCOMPARE(fixtures::stream(info, "video").value("width").toInt(), 320);
    }
}

void TestCodecConversion::progressRisesToTheWholeWindow() {
    cvcodec_params p = videoParams();
    const Run run = convert(m_clip, m_dir.filePath("progress.mp4"), "mp4", p, 1000000, 0);
    cvcodec_params_release(p);
    QVERIFY(run.finished);
    QVERIFY(run.duration >= 8900000 && run.duration <= 9100000);
    for (int i = 1; i < run.positions.size(); ++i) {
        QVERIFY(run.positions[i] >= run.positions[i - 1]);
    }
    QCOMPARE(run.positions.last(), run.duration);
}

void TestCodecConversion::stopEndsAtOnceAndRemovesThePartialFile() {
    const QString longClip = m_dir.filePath("long.mkv");
    QVERIFY(fixtures::makeClip(longClip, 60.0, "640x360", 30, {"-c:v", "libx264", "-preset", "ultrafast"}));
    cvcodec_params p = videoParams();
    cvcodec_params_set_speed_preset(p, 8); // slow enough to be stopped halfway
    const QString out = m_dir.filePath("cancelled.mp4");
    cvcodec_converter c = cvcodec_converter_create(-1);
    QVERIFY(cvcodec_converter_open(c, longClip.toUtf8().constData(), out.toUtf8().constData(), "mp4", p));
    QVERIFY(cvcodec_converter_start(c));
    QTRY_VERIFY_WITH_TIMEOUT(cvcodec_converter_position(c) > 1000000, 30000);
    QVERIFY(QFile::exists(out));
    QVERIFY(cvcodec_converter_stop(c));
    QTRY_VERIFY_WITH_TIMEOUT(cvcodec_converter_is_stopped(c), 10000);
    QVERIFY(!cvcodec_converter_is_finished(c));
    QVERIFY(!QFile::exists(out));
    cvcodec_converter_close(c);
    cvcodec_converter_release(c);
    cvcodec_params_release(p);
}

void TestCodecConversion::doubleSpeedHalvesTheDuration() {
    cvcodec_params p = videoParams();
    cvcodec_params_set_video_speed(p, 200);
    cvcodec_params_set_audio_speed(p, 200);
    const QString out = m_dir.filePath("fast.mp4");
    QVERIFY(convert(m_clip, out, "mp4", p, 0, 0).finished);
    cvcodec_params_release(p);
    const QJsonObject info = fixtures::probe(out);
    QVERIFY2(qAbs(fixtures::formatDuration(info) - 5.0) <= 0.1,
             qPrintable(QString::number(fixtures::formatDuration(info))));
    const double audio = fixtures::stream(info, "audio").value("duration").toString().toDouble();
    QVERIFY(qAbs(audio - 5.0) <= 0.1);
}

void TestCodecConversion::cropRotationAndFlipsGiveTheOutputSize_data() {
    QTest::addColumn<int>("rotation");
    QTest::addColumn<int>("mirrored");
    QTest::addColumn<double>("cropWidth");
    QTest::addColumn<double>("cropHeight");
    QTest::addColumn<int>("expectedWidth");
    QTest::addColumn<int>("expectedHeight");
    QTest::newRow("crop half") << 0 << 0 << 0.5 << 0.5 << 160 << 120;
    QTest::newRow("rotate 90") << 90 << 0 << 1.0 << 1.0 << 240 << 320;
    QTest::newRow("rotate 270, crop") << 270 << 0 << 0.5 << 1.0 << 240 << 160;
    QTest::newRow("flip 180 and mirror") << 180 << 1 << 1.0 << 1.0 << 320 << 240;
}

void TestCodecConversion::cropRotationAndFlipsGiveTheOutputSize() {
    QFETCH(int, rotation);
    QFETCH(int, mirrored);
    QFETCH(double, cropWidth);
    QFETCH(double, cropHeight);
    QFETCH(int, expectedWidth);
    QFETCH(int, expectedHeight);
    cvcodec_params p = videoParams();
    cvcodec_params_set_rotation(p, rotation);
    cvcodec_params_set_mirror(p, mirrored);
    cvcodec_params_set_picture_rect(p, (1.0 - cropWidth) / 2, 0.0, cropWidth, cropHeight);
    const QString out = m_dir.filePath(QStringLiteral("edit_%1_%2.mp4").arg(rotation).arg(mirrored));
    QVERIFY(convert(m_clip, out, "mp4", p, 0, 1000000).finished);
    cvcodec_params_release(p);
    const QJsonObject video = fixtures::stream(fixtures::probe(out), "video");
    QCOMPARE(video.value("width").toInt(), expectedWidth);
    QCOMPARE(video.value("height").toInt(), expectedHeight);
}

void TestCodecConversion::tagsAndCoverLandInTheResult_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("muxer");
    QTest::addColumn<int>("audioCodec");
    QTest::newRow("m4a") << "tagged.m4a"
                         << "m4a" << int(CVCODEC_AAC);
    QTest::newRow("mp3") << "tagged.mp3"
                         << "mp3" << int(CVCODEC_MP3);
}

void TestCodecConversion::tagsAndCoverLandInTheResult() {
    QFETCH(QString, name);
    QFETCH(QString, muxer);
    QFETCH(int, audioCodec);
    const QString picture = m_dir.filePath("cover.png");
    QVERIFY(QFile::exists(picture) || fixtures::makePicture(picture));
    QFile pictureFile(picture);
    QVERIFY(pictureFile.open(QIODevice::ReadOnly));
    const QByteArray cover = pictureFile.readAll();

    cvcodec_params p = videoParams(-1, audioCodec);
    cvcodec_params_set_tag(p, "title", "Grüße");
    cvcodec_params_set_tag(p, "artist", "Calvorine");
    cvcodec_params_set_tag(p, "album", "Tests");
    cvcodec_blob blob = cvcodec_blob_create(cover.constData(), cover.size());
    cvcodec_params_set_tag_bytes(p, "cover_image", blob);
    cvcodec_blob_release(blob);
    const QString out = m_dir.filePath(name);
    QVERIFY(convert(m_clip, out, muxer.toUtf8().constData(), p, 0, 2000000).finished);
    cvcodec_params_release(p);

    const QJsonObject info = fixtures::probe(out);
    QCOMPARE(fixtures::formatTag(info, "title"), QStringLiteral("Grüße"));
    QCOMPARE(fixtures::formatTag(info, "artist"), QStringLiteral("Calvorine"));
    QCOMPARE(fixtures::formatTag(info, "album"), QStringLiteral("Tests"));
    const QJsonObject coverStream = fixtures::stream(info, "video", true);
    QCOMPARE(coverStream.value("width").toInt(), 64);
    QCOMPARE(coverStream.value("height").toInt(), 48);
}

void TestCodecConversion::editsReachThePictureAndSound() {
    const QString white = m_dir.filePath("white.png");
    QVERIFY(fixtures::ffmpeg({"-f", "lavfi", "-i", "color=white:size=64x48", "-frames:v", "1", white}));
    const QString subtitles = m_dir.filePath("lines.srt");
    QVERIFY(fixtures::writeFile(subtitles, "1\n00:00:00,000 --> 00:00:09,000\nSUBTITLE LINE\n"));

    cvcodec_params plain = videoParams();
    QVERIFY(convert(m_clip, m_dir.filePath("plain.mp4"), "mp4", plain, 0, 1000000).finished);
    cvcodec_params_release(plain);
    const QImage reference = frameAt(m_dir.filePath("plain.mp4"), m_dir.filePath("plain.png"));
    QCOMPARE(reference.size(), QSize(320, 240));

    cvcodec_params edited = videoParams();
    cvcodec_params_set_watermark_image(edited, white.toUtf8().constData());
    cvcodec_params_set_subtitle_file(edited, subtitles.toUtf8().constData());
    // The style as a conversion request leaves it: all zero.
    cvcodec_params_set_subtitle_alpha(edited, 0);
    cvcodec_params_set_subtitle_font_size(edited, 0);
    cvcodec_params_set_subtitle_colour(edited, 0);
    cvcodec_params_set_subtitle_bold(edited, 1);
    cvcodec_params_set_rate_first(edited, 10); // the sound at a tenth
    QVERIFY(convert(m_clip, m_dir.filePath("edited.mp4"), "mp4", edited, 0, 1000000).finished);
    cvcodec_params_release(edited);
    const QImage picture = frameAt(m_dir.filePath("edited.mp4"), m_dir.filePath("edited.png"));
    // The white image lies over the top-left corner.
    QVERIFY(meanGray(picture, QRect(4, 4, 50, 36)) > 240);
    QVERIFY(meanGray(reference, QRect(4, 4, 50, 36)) < 200);
    // The subtitle line is burned in near the bottom, nowhere else.
    const QRect bottom(60, 205, 200, 30);
    double difference = 0.0;
    for (int y = bottom.top(); y <= bottom.bottom(); ++y) {
        for (int x = bottom.left(); x <= bottom.right(); ++x) {
            difference += qAbs(qGray(picture.pixel(x, y)) - qGray(reference.pixel(x, y)));
        }
    }
    QVERIFY(difference / (bottom.width() * bottom.height()) > 10.0);
    QVERIFY(meanVolume(m_dir.filePath("edited.mp4")) < meanVolume(m_dir.filePath("plain.mp4")) - 15.0);

    cvcodec_params dark = videoParams();
    cvcodec_params_set_brightness(dark, -200);
    QVERIFY(convert(m_clip, m_dir.filePath("dark.mp4"), "mp4", dark, 0, 1000000).finished);
    cvcodec_params_release(dark);
    const QImage darker = frameAt(m_dir.filePath("dark.mp4"), m_dir.filePath("dark.png"));
    QVERIFY(meanGray(darker, darker.rect()) < meanGray(reference, reference.rect()) - 60);
}

void TestCodecConversion::pathsWithFilterCharactersStayOnePath() {
    // Quotes, colons, commas, brackets and semicolons mean something to the filter
    // graph's text: a user's file names must reach the filters unchanged.
    const QString odd = m_dir.filePath(QStringLiteral("it's a: [mark], ok; yes.png"));
    QVERIFY(fixtures::ffmpeg({"-f", "lavfi", "-i", "color=white:size=64x48", "-frames:v", "1", odd}));
    const QString lines = m_dir.filePath(QStringLiteral("sub's: [1], a;b.srt"));
    QVERIFY(fixtures::writeFile(lines, "1\n00:00:00,000 --> 00:00:09,000\nODD PATH\n"));
    cvcodec_params p = videoParams();
    cvcodec_params_set_watermark_image(p, odd.toUtf8().constData());
    cvcodec_params_set_subtitle_file(p, lines.toUtf8().constData());
    cvcodec_params_set_watermark_text(p, "50% off: it's [new], a;b \\ c");
    const QString out = m_dir.filePath("odd.mp4");
    const Run run = convert(m_clip, out, "mp4", p, 0, 1000000);
    cvcodec_params_release(p);
    QVERIFY(run.finished);
    QVERIFY(!run.failed);
    const QImage picture = frameAt(out, m_dir.filePath("odd.png"));
    QVERIFY(meanGray(picture, QRect(4, 4, 50, 36)) > 240);
}

void TestCodecConversion::chaptersAreWritten() {
    cvcodec_params p = videoParams();
    cvcodec_params_add_chapter(p, 0, 1000000, "Opening");
    cvcodec_params_add_chapter(p, 1000000, 2000000, "Middle");
    const QString out = m_dir.filePath("chapters.mkv");
    QVERIFY(convert(m_clip, out, "matroska", p, 0, 3000000).finished);
    cvcodec_params_release(p);
    const QJsonArray chapters = fixtures::probe(out).value("chapters").toArray();
    QCOMPARE(chapters.size(), 2);
    QCOMPARE(chapters[1].toObject().value("tags").toObject().value("title").toString(), QStringLiteral("Middle"));
    QCOMPARE(chapters[1].toObject().value("start_time").toString().toDouble(), 1.0);
}

void TestCodecConversion::tagsOnlyCopiesTheStreams() {
    cvcodec_params p = cvcodec_params_create();
    cvcodec_params_set_tag(p, "title", "Copied");
    const QString out = m_dir.filePath("copied.mp4");
    QVERIFY(convert(m_clip, out, "mp4", p, 0, 0, true).finished);
    cvcodec_params_release(p);
    const QJsonObject info = fixtures::probe(out);
    QCOMPARE(fixtures::formatTag(info, "title"), QStringLiteral("Copied"));
    QCOMPARE(fixtures::countVideoFrames(out), 300);
    QVERIFY(!fixtures::stream(info, "audio").isEmpty());
}

void TestCodecConversion::badInputIsRefused() {
    const QString truncated = m_dir.filePath("truncated.mp4");
    QVERIFY(fixtures::writeTruncated(m_clip, truncated, QFileInfo(m_clip).size() / 3));
    const QString text = m_dir.filePath("notes.mp4");
    QVERIFY(fixtures::writeFile(text, QByteArray(4096, 'x')));
    cvcodec_params p = videoParams();
    const QString out = m_dir.filePath("bad.mp4");
    // A file cut short keeps no index (the moov box is at its end): nothing to read.
    QVERIFY(convert(truncated, out, "mp4", p, 0, 0).failed);
    QVERIFY(convert(text, out, "mp4", p, 0, 0).failed);
    QVERIFY(convert(m_dir.filePath("missing.mp4"), out, "mp4", p, 0, 0).failed);
    QVERIFY(convert(m_clip, out, "no-such-muxer", p, 0, 0).failed);
    QVERIFY(convert(m_clip, "/proc/forbidden/out.mp4", "mp4", p, 0, 0).failed);
    QVERIFY(!QFile::exists(out));
    // Opened and closed without a start: no empty file stays behind.
    cvcodec_converter unused = cvcodec_converter_create(-1);
    QVERIFY(cvcodec_converter_open(unused, m_clip.toUtf8().constData(), out.toUtf8().constData(), "mp4", p));
    QVERIFY(QFile::exists(out));
    cvcodec_converter_release(unused);
    QVERIFY(!QFile::exists(out));
    cvcodec_params_release(p);
    // A 0 handle answers 0 everywhere.
    QCOMPARE(cvcodec_converter_start(nullptr), 0);
    QCOMPARE(cvcodec_converter_duration(nullptr), uint64_t(0));
    QCOMPARE(cvcodec_converter_release(nullptr), 0);
}

void TestCodecConversion::aWindowPastTheEndFails() {
    cvcodec_params p = videoParams();
    const QString out = m_dir.filePath("past.mp4");
    const Run run = convert(m_clip, out, "mp4", p, 30000000, 1000000);
    cvcodec_params_release(p);
    // Nothing of the window exists: a failure, never a finished empty file.
    QVERIFY(run.finished);
    QVERIFY(run.failed);
    QVERIFY(run.duration > 0);
    QVERIFY(!QFile::exists(out));
}

void TestCodecConversion::aSourceThatStartsLateGivesAnOutputFromZero_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("inputOptions");
    QTest::addColumn<QStringList>("extra");
    QTest::addColumn<double>("start");
    QTest::addColumn<double>("length"); // 0: to the end
    QTest::addColumn<bool>("tagsOnly");
    const QStringList none;
    const QStringList offset{"-output_ts_offset", "1.5"};
    const QStringList soundLate{"-itsoffset", "0.5"};
    QTest::newRow("MPEG-TS, whole") << "late.ts" << none << none << 0.0 << 0.0 << false;
    QTest::newRow("MPEG-TS, trimmed") << "late.ts" << none << none << 0.5 << 1.0 << false;
    QTest::newRow("MPEG-TS, trimmed past a key frame") << "late.ts" << none << none << 2.3 << 1.0 << false;
    QTest::newRow("MPEG-TS, copied") << "late.ts" << none << none << 0.0 << 0.0 << true;
    QTest::newRow("MPEG-TS, copied, cut short") << "late.ts" << none << none << 0.0 << 1.0 << true;
    QTest::newRow("MP4 with a start offset, whole") << "offset.mp4" << none << offset << 0.0 << 0.0 << false;
    QTest::newRow("MP4 with a start offset, trimmed") << "offset.mp4" << none << offset << 2.2 << 1.0 << false;
    QTest::newRow("MP4, sound starts late, whole") << "late-sound.mp4" << soundLate << none << 0.0 << 0.0 << false;
    QTest::newRow("MP4, sound starts late, trimmed") << "late-sound.mp4" << soundLate << none << 0.2 << 1.0 << false;
}

// The window is counted from the source's own start (an MPEG-TS file made by ffmpeg starts
// at 1.4 s, an MP4 may carry an offset), and the output starts at 0 with the window's first
// picture, as long as the window; sound that starts late keeps its place.
void TestCodecConversion::aSourceThatStartsLateGivesAnOutputFromZero() {
    QFETCH(QString, name);
    QFETCH(QStringList, inputOptions);
    QFETCH(QStringList, extra);
    QFETCH(double, start);
    QFETCH(double, length);
    QFETCH(bool, tagsOnly);
    const QString source = m_dir.filePath(name);
    if (!QFile::exists(source)) {
        QVERIFY(fixtures::makeNumberedClip(source, 4.0, inputOptions, extra));
    }
    const QJsonObject sourceInfo = fixtures::probe(source);
    const fixtures::Timeline timeline = fixtures::timelineOf(sourceInfo);
    const double firstPicture = timeline.streamStart(sourceInfo, "video");
    const double end = length > 0 ? start + length : timeline.length;

    cvcodec_params p = tagsOnly ? cvcodec_params_create() : videoParams();
    const QString out = m_dir.filePath(QStringLiteral("out-%1.mp4").arg(QTest::currentDataTag()));
    const Run run = convert(source, out, "mp4", p, qint64(start * 1e6), qint64(length * 1e6), tagsOnly);
    cvcodec_params_release(p);
    QVERIFY(run.finished);
    QVERIFY(!run.failed);
    // Progress is measured against the window (an MP4's own duration counts its offset).
    QVERIFY2(qAbs(double(run.duration) - (end - start) * 1e6) < 50000, qPrintable(QString::number(run.duration)));
    const QJsonObject info = fixtures::probe(out);
    const double duration = fixtures::formatDuration(info);
    // A copy is cut in decoding order: the pictures shown after the end that the last
    // ones kept refer to come along (up to three frames, as the ffmpeg command line does).
    const double tolerance = tagsOnly && length > 0 ? 0.1 + 3 / 25.0 : 0.1;
    QVERIFY2(qAbs(duration - (end - start)) <= tolerance, qPrintable(QString::number(duration)));
    const double outputStart = info.value("format").toObject().value("start_time").toString().toDouble();
    QVERIFY2(qAbs(outputStart) <= 0.05, qPrintable(QString::number(outputStart)));
    if (tagsOnly) {
        return;
    }
    // Frame n of the source is shown at firstPicture + n/25: the output holds those in the
    // window, from the first of them.
    const int first = qMax(0, int(std::ceil((start - firstPicture) * 25.0 - 1e-6)));
    const int last = qMin(99, int(std::ceil((end - firstPicture) * 25.0 - 1e-6)) - 1);
    QCOMPARE(fixtures::frameNumberOf(fixtures::firstPicture(out)), first);
    QCOMPARE(fixtures::countVideoFrames(out), last - first + 1);
    const double soundStart = qMax(0.0, timeline.streamStart(sourceInfo, "audio") - start);
    const double outputSoundStart = fixtures::stream(info, "audio").value("start_time").toString().toDouble();
    QVERIFY2(qAbs(outputSoundStart - soundStart) <= 0.05, qPrintable(QString::number(outputSoundStart)));
}

void TestCodecConversion::anOddSizedSourceIsShapedAndWrittenEven_data() {
    QTest::addColumn<int>("shapeWidth");
    QTest::addColumn<int>("shapeHeight");
    QTest::addColumn<bool>("pad");
    QTest::addColumn<int>("expectedWidth");
    QTest::addColumn<int>("expectedHeight");
    QTest::newRow("its own size") << 321 << 241 << false << 320 << 240;
    QTest::newRow("16:9, padded") << 16 << 9 << true << 428 << 240;
    QTest::newRow("no shape") << 0 << 0 << false << 320 << 240;
}

// Encoders take even sizes: an odd-sized source is written at the even size below its
// shape, and a padded shape never asks for less than the picture it pads.
void TestCodecConversion::anOddSizedSourceIsShapedAndWrittenEven() {
    QFETCH(int, shapeWidth);
    QFETCH(int, shapeHeight);
    QFETCH(bool, pad);
    QFETCH(int, expectedWidth);
    QFETCH(int, expectedHeight);
    const QString source = m_dir.filePath("odd.mkv");
    if (!QFile::exists(source)) {
        QVERIFY(fixtures::makeAnySizeClip(source, "321x241", 30));
    }
    cvcodec_params p = videoParams();
    cvcodec_params_set_shape(p, shapeWidth, shapeHeight);
    cvcodec_params_set_padding(p, pad ? 1 : 0, 0xff000000);
    const QString out = m_dir.filePath(QStringLiteral("odd-%1x%2.mp4").arg(shapeWidth).arg(shapeHeight));
    const Run run = convert(source, out, "mp4", p, 0, 0);
    cvcodec_params_release(p);
    QVERIFY(run.finished);
    QVERIFY(!run.failed);
    const QJsonObject video = fixtures::stream(fixtures::probe(out), "video");
    QCOMPARE(video.value("width").toInt(), expectedWidth);
    QCOMPARE(video.value("height").toInt(), expectedHeight);
    QCOMPARE(fixtures::countVideoFrames(out), 30);
}

QTEST_GUILESS_MAIN(TestCodecConversion)
#include "test_codec_conversion.moc"
