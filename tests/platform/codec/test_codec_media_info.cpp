// Media-information handles against ffprobe: tags, cover, chapters, duration, picture
// size, the demuxer's name list and the brand; bad files.
#include "platform/codec/calvorine_codec.h"
#include "tests/platform/codec/playback_fixtures.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

#include <cstring>

class TestCodecMediaInfo : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void tagsMatchTheReader();
    void coverBytesAreTheAttachedPicture();
    void chaptersMatchTheReader();
    void pictureOfAVideoHasItsSize();
    void pictureOfASmallVideoStaysInItsBlock();
    void matroskaBrandTellsWebmFromMatroska();
    void badFilesGiveNothing();
    void aFileThatStartsLateRunsFromZero_data();
    void aFileThatStartsLateRunsFromZero();
    void rawAacHasTheLengthThatDecodes();

private:
    QTemporaryDir m_dir;
    QString m_tagged;
    QString m_cover;
    QString m_video;
};

void TestCodecMediaInfo::initTestCase() {
    cvcodec_set_log_level(0);
    QVERIFY(m_dir.isValid());
    m_cover = m_dir.filePath("cover.png");
    QVERIFY(fixtures::makePicture(m_cover));
    const QString metadata = m_dir.filePath("meta.txt");
    QVERIFY(fixtures::writeFile(
        metadata, ";FFMETADATA1\ntitle=Fixture\n[CHAPTER]\nTIMEBASE=1/1000\nSTART=0\nEND=1500\ntitle=One\n"
                  "[CHAPTER]\nTIMEBASE=1/1000\nSTART=1500\nEND=4000\ntitle=Two\n"));
    m_tagged = m_dir.filePath("tagged.m4a");
    QVERIFY(
        fixtures::makeTaggedSong(m_tagged, 4, metadata, m_cover, {"artist=Someone", "date=2021", "album_artist=Band"}));
    m_video = m_dir.filePath("video.mkv");
    QVERIFY(fixtures::makeClip(m_video, 2.0, "176x144"));
}

void TestCodecMediaInfo::tagsMatchTheReader() {
    const QJsonObject probe = fixtures::probe(m_tagged);
    cvcodec_info info = cvcodec_info_create(-1);
    QVERIFY(cvcodec_info_open(info, m_tagged.toUtf8().constData()));
    for (const char* key : {"title", "artist", "album_artist", "date", "major_brand"}) {
        const auto* value = static_cast<const char*>(cvcodec_info_tag(info, key));
        QVERIFY2(value, key);
        QCOMPARE(QString::fromUtf8(value), fixtures::formatTag(probe, key));
    }
    QCOMPARE(QString::fromUtf8(static_cast<const char*>(cvcodec_info_tag(info, "year"))), QStringLiteral("2021"));
    QCOMPARE(QString::fromUtf8(static_cast<const char*>(cvcodec_info_tag(info, "ffmpeg_format"))),
             probe.value("format").toObject().value("format_name").toString());
    QVERIFY(!cvcodec_info_tag(info, "composer"));
    const double seconds = fixtures::formatDuration(probe);
    QCOMPARE(qint64(cvcodec_info_duration(info)), qint64(qRound64(seconds * 1e6)));
    QVERIFY(cvcodec_info_has_picture(info));
    cvcodec_info_close(info);
    cvcodec_info_release(info);
}

void TestCodecMediaInfo::coverBytesAreTheAttachedPicture() {
    QFile file(m_cover);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray expected = file.readAll();
    cvcodec_info info = cvcodec_info_create(-1);
    QVERIFY(cvcodec_info_open(info, m_tagged.toUtf8().constData()));
    const void* value = cvcodec_info_tag(info, "cover_image");
    QVERIFY(value);
    const QByteArray bytes(static_cast<const char*>(cvcodec_tag_value_data(value)), cvcodec_tag_value_size(value));
    QCOMPARE(bytes, expected);
    // Without a picture stream the decoded picture is the cover.
    uint8_t* block = cvcodec_info_picture(info, 0, 0, 0, 0, 0, 0);
    QVERIFY(block);
    const QImage picture = QImage::fromData(block, cvcodec_picture_size(block), "BMP");
    QCOMPARE(picture.size(), QSize(64, 48));
    QVERIFY(cvcodec_info_release_picture(info, block));
    cvcodec_info_release(info);
}

void TestCodecMediaInfo::chaptersMatchTheReader() {
    const QJsonArray chapters = fixtures::probe(m_tagged).value("chapters").toArray();
    cvcodec_info info = cvcodec_info_create(-1);
    QVERIFY(cvcodec_info_open(info, m_tagged.toUtf8().constData()));
    QCOMPARE(cvcodec_info_chapter_count(info), int32_t(chapters.size()));
    for (int i = 0; i < chapters.size(); ++i) {
        const QJsonObject chapter = chapters[i].toObject();
        const double start = chapter.value("start_time").toString().toDouble();
        const double end = chapter.value("end_time").toString().toDouble();
        QCOMPARE(qint64(cvcodec_info_chapter_start(info, i)), qint64(qRound64(start * 1e6)));
        QCOMPARE(qint64(cvcodec_info_chapter_length(info, i)), qint64(qRound64((end - start) * 1e6)));
        QCOMPARE(QString::fromUtf8(cvcodec_info_chapter_title(info, i)),
                 chapter.value("tags").toObject().value("title").toString());
    }
    QCOMPARE(cvcodec_info_chapter_start(info, 7), uint64_t(0));
    QCOMPARE(QString::fromUtf8(cvcodec_info_chapter_title(info, -1)), QString());
    cvcodec_info_release(info);
}

void TestCodecMediaInfo::pictureOfAVideoHasItsSize() {
    cvcodec_info info = cvcodec_info_create(-1);
    QVERIFY(cvcodec_info_open(info, m_video.toUtf8().constData()));
    QCOMPARE(cvcodec_info_picture_width(info), 176);
    QCOMPARE(cvcodec_info_picture_height(info), 144);
    uint8_t* block = cvcodec_info_picture(info, 0, 0, 0, 0, 0, 0);
    QVERIFY(block);
    uint32_t total = 0;
    std::memcpy(&total, block + 2, 4);
    QCOMPARE(int32_t(total), cvcodec_picture_size(block));
    QCOMPARE(QImage::fromData(block, int(total), "BMP").size(), QSize(176, 144));
    cvcodec_info_release_picture(info, block);
    QCOMPARE(cvcodec_info_chapter_count(info), 0);
    cvcodec_info_release(info);
}

// The scaler's vector code writes past the last row of a picture whose rows are not a
// whole number of its blocks (16 bytes past a 60 x 60 one, the smallest area the recorder
// takes): the heap's bookkeeping behind the picture was overwritten and a later
// allocation aborted the program. Each picture is taken and given back many times, so
// that the allocator meets what was written.
void TestCodecMediaInfo::pictureOfASmallVideoStaysInItsBlock() {
    for (const char* size : {"60x60", "62x60"}) {
        const QString path = m_dir.filePath(QStringLiteral("small-%1.mp4").arg(QLatin1String(size)));
        QVERIFY(
            fixtures::ffmpeg({"-f", "lavfi", "-i", QStringLiteral("testsrc=size=%1:rate=25").arg(QLatin1String(size)),
                              "-t", "1", "-pix_fmt", "yuv420p", "-c:v", "libx264", path}));
        cvcodec_info info = cvcodec_info_create(-1);
        QVERIFY(cvcodec_info_open(info, path.toUtf8().constData()));
        for (int i = 0; i < 100; ++i) {
            uint8_t* block = cvcodec_info_picture(info, 0, 0, 0, 0, 0, 0);
            QVERIFY(block);
            QCOMPARE(QImage::fromData(block, cvcodec_picture_size(block), "BMP").size(),
                     QSize(QString::fromLatin1(size).section('x', 0, 0).toInt(),
                           QString::fromLatin1(size).section('x', 1, 1).toInt()));
            QVERIFY(cvcodec_info_release_picture(info, block));
        }
        cvcodec_info_release(info);
    }
}

void TestCodecMediaInfo::matroskaBrandTellsWebmFromMatroska() {
    const QString webm = m_dir.filePath("clip.webm");
    QVERIFY(fixtures::makeTone(webm, 1.0, {"-c:a", "libopus"}));
    cvcodec_info info = cvcodec_info_create(-1);
    QVERIFY(cvcodec_info_open(info, m_video.toUtf8().constData()));
    QCOMPARE(QString::fromUtf8(static_cast<const char*>(cvcodec_info_tag(info, "ffmpeg_format"))),
             QStringLiteral("matroska,webm"));
    QCOMPARE(QString::fromUtf8(static_cast<const char*>(cvcodec_info_tag(info, "major_brand"))),
             QStringLiteral("matroska"));
    QVERIFY(cvcodec_info_open(info, webm.toUtf8().constData()));
    QCOMPARE(QString::fromUtf8(static_cast<const char*>(cvcodec_info_tag(info, "major_brand"))),
             QStringLiteral("webm"));
    cvcodec_info_release(info);
}

void TestCodecMediaInfo::badFilesGiveNothing() {
    const QString text = m_dir.filePath("notes.mp3");
    QVERIFY(fixtures::writeFile(text, QByteArray(2048, 'z')));
    const QString truncated = m_dir.filePath("cut.m4a");
    QVERIFY(fixtures::writeTruncated(m_tagged, truncated, 100));

    cvcodec_info info = cvcodec_info_create(-1);
    QVERIFY(cvcodec_info_open(info, m_tagged.toUtf8().constData()));
    for (const QString& path : {text, truncated, m_dir.filePath("missing.mp4")}) {
        QVERIFY2(!cvcodec_info_open(info, path.toUtf8().constData()), qPrintable(path));
        // The file opened before is gone too: nothing of it answers under the new name.
        QCOMPARE(cvcodec_info_duration(info), uint64_t(0));
        QVERIFY(!cvcodec_info_tag(info, "title"));
        QVERIFY(!cvcodec_info_picture(info, 0, 0, 0, 0, 0, 0));
    }
    cvcodec_info_release(info);
    QVERIFY(!cvcodec_info_open(nullptr, m_tagged.toUtf8().constData()));
    QCOMPARE(cvcodec_info_chapter_count(nullptr), 0);
}

void TestCodecMediaInfo::aFileThatStartsLateRunsFromZero_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("extra");
    QTest::newRow("MPEG-TS") << "late.ts" << QStringList{};
    QTest::newRow("MP4 with a start offset") << "offset.mp4" << QStringList{"-output_ts_offset", "1.5"};
    QTest::newRow("MKV with a start offset") << "offset.mkv" << QStringList{"-output_ts_offset", "1.5"};
    QTest::newRow("MP4 from 0") << "plain.mp4" << QStringList{};
}

// The length runs from the first picture or sound to the end of the last stream (an MP4's
// own duration counts its start offset too); the picture is the first frame.
void TestCodecMediaInfo::aFileThatStartsLateRunsFromZero() {
    QFETCH(QString, name);
    QFETCH(QStringList, extra);
    const QString path = m_dir.filePath(name);
    QVERIFY(fixtures::makeNumberedClip(path, 3.0, {}, extra));
    const fixtures::Timeline timeline = fixtures::timelineOf(path, fixtures::probe(path));
    QVERIFY(timeline.length > 2.9 && timeline.length < 3.2);
    cvcodec_info info = cvcodec_info_create(-1);
    QVERIFY(cvcodec_info_open(info, path.toUtf8().constData()));
    const double duration = double(cvcodec_info_duration(info));
    QVERIFY2(qAbs(duration - timeline.length * 1e6) < 10000, qPrintable(QString::number(duration)));
    uint8_t* picture = cvcodec_info_picture(info, 0, 0, 1, 0, 0, 0);
    QVERIFY(picture);
    const QImage image = QImage::fromData(picture, cvcodec_picture_size(picture));
    cvcodec_info_release_picture(info, picture);
    QCOMPARE(fixtures::frameNumberOf(image), 0);
    cvcodec_info_release(info);
}

// A raw AAC file has no index, and its quiet first frames are tiny: the length read from
// their bit rate is far too long (ffprobe's guess shows the file is such a one). The
// information and the player both give the length that decodes.
void TestCodecMediaInfo::rawAacHasTheLengthThatDecodes() {
    const QString path = m_dir.filePath("quiet-start.aac");
    QVERIFY(fixtures::ffmpeg({"-f", "lavfi", "-i", "aevalsrc=if(gt(t\\,1.5)\\,0.5*sin(2*PI*1000*t)\\,0):s=48000:d=4",
                              "-c:a", "aac", "-b:a", "128k", path}));
    const double decoded = ffprobe::decodedSoundSeconds(path);
    QVERIFY2(decoded > 3.9 && decoded < 4.2, qPrintable(QString::number(decoded)));
    const double guessed = fixtures::formatDuration(fixtures::probe(path));
    QVERIFY2(guessed > decoded + 0.5, qPrintable(QString("guessed %1 s, decodes %2 s").arg(guessed).arg(decoded)));

    cvcodec_info info = cvcodec_info_create(-1);
    QVERIFY(cvcodec_info_open(info, path.toUtf8().constData()));
    const double informed = double(cvcodec_info_duration(info)) / 1e6;
    cvcodec_info_release(info);
    cvcodec_player player = cvcodec_player_create(-1);
    QVERIFY(cvcodec_player_open(player, path.toUtf8().constData(), 0, 0, 0, 0));
    const double played = double(cvcodec_player_duration(player)) / 1e6;
    cvcodec_player_release(player);
    const QString found = QString("information %1 s, player %2 s, decodes %3 s").arg(informed).arg(played).arg(decoded);
    qInfo().noquote() << found;
    QVERIFY2(qAbs(informed - decoded) < 0.1 && qAbs(played - decoded) < 0.1, qPrintable(found));
}

QTEST_GUILESS_MAIN(TestCodecMediaInfo)
#include "test_codec_media_info.moc"
