// Codec and container names as the profiles and media information give them.
#include "media/FormatTables.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <limits>

namespace {

bool runFfmpeg(const QStringList& arguments) {
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"), QStringList{"-v", "error", "-y"} + arguments);
    return ffmpeg.waitForFinished(120000) && ffmpeg.exitCode() == 0;
}

} // namespace

class TestFormatTables : public QObject {
    Q_OBJECT

private slots:
    void codecCodes() {
        QCOMPARE(codecFourccFromName("H264"), 28);
        QCOMPARE(codecFourccFromName("H265"), 0x48323635);
        QCOMPARE(codecFourccFromName("VBIS"), codecFourccFromName("OGG"));
        QCOMPARE(codecFourccFromName("APE"), codecFourccFromName("PCM"));
        QCOMPARE(codecFourccFromName("alac"), 0x15010);
        // Exact, case-sensitive names.
        QCOMPARE(codecFourccFromName("h264"), 0);
        QCOMPARE(codecFourccFromName("AAC "), 0);
        QCOMPARE(codecFourccFromName(""), 0);
    }

    void containerNames() {
        QCOMPARE(containerNameFromFormat("mkv"), std::string("matroska"));
        QCOMPARE(containerNameFromFormat("wmv"), std::string("asf"));
        QCOMPARE(containerNameFromFormat("ts"), std::string("mpegts"));
        QCOMPARE(containerNameFromFormat("aac"), std::string("adts"));
        QCOMPARE(containerNameFromFormat("m4r"), std::string("mp4"));
        QCOMPARE(containerNameFromFormat("WebM"), std::string("webm"));
        QCOMPARE(containerNameFromFormat("webm"), std::string("webm"));
        QCOMPARE(containerNameFromFormat("MKV"), std::string("MKV"));
        QCOMPARE(containerNameFromFormat("mp3"), std::string("mp3"));

        QCOMPARE(containerFromExtensionList("mov,mp4,m4a,3gp,3g2,mj2", "qt  "), std::string("mov"));
        QCOMPARE(containerFromExtensionList("mov,mp4,m4a,3gp,3g2,mj2", "f4v "), std::string("f4v"));
        QCOMPARE(containerFromExtensionList("mov,mp4,m4a,3gp,3g2,mj2", "3gp5"), std::string("3gp"));
        QCOMPARE(containerFromExtensionList("mov,mp4,m4a,3gp,3g2,mj2", "3g2a"), std::string("3g2"));
        QCOMPARE(containerFromExtensionList("mov,mp4,m4a,3gp,3g2,mj2", "isom"), std::string("mp4"));
        QCOMPARE(containerFromExtensionList("matroska,webm", "webm"), std::string("webm"));
        QCOMPARE(containerFromExtensionList("matroska,webm", "matroska"), std::string("matroska"));
        // A Matroska list never maps to another container, whatever the brand says.
        QCOMPARE(containerFromExtensionList("matroska,webm", ""), std::string("matroska"));
        QCOMPARE(containerFromExtensionList("matroska,webm", "isom"), std::string("matroska"));
        QCOMPARE(containerFromExtensionList("avi", "x"), std::string("avi"));
    }

    void frameRates_data() {
        QTest::addColumn<double>("fps");
        QTest::addColumn<int>("num");
        QTest::addColumn<int>("den");
        QTest::newRow("25") << 25.0 << 25 << 1;
        QTest::newRow("23.976") << 23.976 << 24000 << 1001;
        QTest::newRow("23.99 is 24") << 23.99 << 24 << 1;
        QTest::newRow("24") << 24.0 << 24 << 1;
        QTest::newRow("23.5 edge") << 23.5 << 23 << 1;
        QTest::newRow("29.97") << 29.97 << 30000 << 1001;
        QTest::newRow("59.94") << 59.94 << 60000 << 1001;
        QTest::newRow("14.995") << 14.995 << 15 << 1;
        QTest::newRow("negative") << -5.0 << 0 << 1;
        QTest::newRow("not a number") << std::nan("") << 0 << 1;
        QTest::newRow("huge") << 1e300 << std::numeric_limits<int>::max() << 1;
    }

    void frameRates() {
        QFETCH(double, fps);
        QFETCH(int, num);
        QFETCH(int, den);
        int gotNum = -1, gotDen = -1;
        frameRateToRational(fps, &gotNum, &gotDen);
        QCOMPARE(gotNum, num);
        QCOMPARE(gotDen, den);
    }

    // Files made by ffmpeg: a song with a cover, one without, a video, and none at all.
    void coversAndDurations() {
        QTemporaryDir dir;
        const QString cover = dir.filePath("cover.png");
        const QString withCover = dir.filePath("with cover.mp3");
        const QString plain = dir.filePath("plain.mp3");
        const QString video = dir.filePath("video.mkv");
        QVERIFY(runFfmpeg({"-f", "lavfi", "-i", "color=c=red:s=64x48", "-frames:v", "1", cover}));
        QVERIFY(runFfmpeg({"-f", "lavfi", "-i", "sine=frequency=440:duration=61:sample_rate=8000", "-ac", "1", "-b:a",
                           "16k", plain}));
        QVERIFY(runFfmpeg({"-i", plain, "-i", cover, "-map", "0", "-map", "1", "-c:a", "copy", "-c:v", "png",
                           "-disposition:v", "attached_pic", "-id3v2_version", "3", withCover}));
        QVERIFY(runFfmpeg({"-f", "lavfi", "-i", "testsrc=size=160x120:rate=10:duration=3", "-c:v", "mpeg4", video}));

        const QImage fromTag = readCoverImage(withCover);
        QCOMPARE(fromTag.size(), QSize(64, 48));
        QVERIFY(qRed(fromTag.pixel(10, 10)) > 240 && qGreen(fromTag.pixel(10, 10)) < 16);
        QCOMPARE(readCoverImage(video).size(), QSize(160, 120));
        QVERIFY(readCoverImage(plain).isNull());
        QVERIFY(readCoverImage(dir.filePath("absent.mp3")).isNull());

        QCOMPARE(readDurationText(plain), QStringLiteral("00:01:01"));
        QCOMPARE(readDurationText(video), QStringLiteral("00:00:03"));
        QVERIFY(readDurationText(dir.filePath("absent.mp3")).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestFormatTables)
#include "tst_format_tables.moc"
