// Media information on the program's side: tags (year and date fill each other), cover
// scaled by its shorter side, chapter list and captions, tag writing, bad files.
#include "media/RZInfoManager.h"
#include "platform/codec/calvorine_codec.h"
#include "tests/platform/codec/playback_fixtures.h"
#include "tests/support/ReadOnlyFile.h"

#include <QCryptographicHash>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class TestMediaInfoManager : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void readTagsFillsYearAndDateFromEachOther();
    void coverIsScaledByItsShorterSide();
    void chapterListStartsWithTheWholeFile();
    void noChaptersGiveAnEmptyList();
    void scaleImageKeepsSmallPictures();
    void formatTimeSpanCountsHours();
    void writeTagsRewritesTheFile();
    void writeTagsKeepsTheLyricsAndReportsFailure();
    void aCoverThatIsNoPictureGivesANullImage();
    void badFilesGiveEmptyResults();

private:
    QTemporaryDir m_dir;
    QString m_tagged;
};

void TestMediaInfoManager::initTestCase() {
    cvcodec_set_log_level(0);
    QVERIFY(m_dir.isValid());
    const QString cover = m_dir.filePath("cover.png");
    QVERIFY(fixtures::makePicture(cover, "2000x1000"));
    const QString metadata = m_dir.filePath("meta.txt");
    QByteArray text = ";FFMETADATA1\n";
    for (int i = 0; i < 10; ++i) {
        text += QStringLiteral("[CHAPTER]\nTIMEBASE=1/1000\nSTART=%1\nEND=%2\ntitle=Part %3\n")
                    .arg(i * 1000)
                    .arg((i + 1) * 1000)
                    .arg(i + 1)
                    .toUtf8();
    }
    QVERIFY(fixtures::writeFile(metadata, text));
    m_tagged = m_dir.filePath("tagged.m4a");
    QVERIFY(fixtures::makeTaggedSong(m_tagged, 10, metadata, cover, {"title=Stück", "date=2019"}));
}

void TestMediaInfoManager::readTagsFillsYearAndDateFromEachOther() {
    RZInfoManager manager;
    manager.ensureInfo();
    QVERIFY(manager.open(m_tagged));
    const VEAudioTagInfo tags = manager.readTags();
    QCOMPARE(QString::fromStdString(tags.title), QStringLiteral("Stück"));
    QCOMPARE(tags.date, std::string("2019"));
    QCOMPARE(tags.year, std::string("2019"));
    QVERIFY(tags.artist.empty());
    QFile cover(m_dir.filePath("cover.png"));
    QVERIFY(cover.open(QIODevice::ReadOnly));
    const QByteArray bytes = cover.readAll();
    QCOMPARE(tags.coverSize, int32_t(bytes.size()));
    QCOMPARE(QByteArray(tags.cover_image.data(), int(tags.cover_image.size())), bytes);
    QVERIFY(!tags.flag);
}

void TestMediaInfoManager::coverIsScaledByItsShorterSide() {
    RZInfoManager manager;
    manager.ensureInfo();
    QVERIFY(manager.open(m_tagged));
    QCOMPARE(manager.coverImage(120).size(), QSize(240, 120));
    // A video without a cover gives its first picture.
    const QString clip = m_dir.filePath("clip.mp4");
    QVERIFY(fixtures::makeClip(clip, 1.0, "320x240"));
    QVERIFY(manager.open(clip));
    QCOMPARE(manager.coverImage(120).size(), QSize(160, 120));
    QCOMPARE(manager.info()->openHintA(), 320);
    QCOMPARE(manager.info()->openHintB(), 240);
}

void TestMediaInfoManager::chapterListStartsWithTheWholeFile() {
    RZInfoManager manager;
    manager.ensureInfo();
    QVERIFY(manager.open(m_tagged));
    const QList<VEChapterInfo> chapters = manager.chapterList();
    QCOMPARE(chapters.size(), 11);
    QCOMPARE(chapters[0].index, 0);
    QCOMPARE(chapters[0].title, std::string("Current"));
    QCOMPARE(QString::fromStdString(chapters[0].caption), QStringLiteral("Current, 00:00:00-00:00:10"));
    QCOMPARE(QString::fromStdString(chapters[9].caption), QStringLiteral("  9, 00:00:08-00:00:09 (Part 9)"));
    QCOMPARE(QString::fromStdString(chapters[10].caption), QStringLiteral("10, 00:00:09-00:00:10 (Part 10)"));
    QCOMPARE(chapters[10].start, uint64_t(9000000));
    QCOMPARE(chapters[10].length, uint64_t(1000000));
    QCOMPARE(chapters[10].end, uint64_t(10000000));
}

void TestMediaInfoManager::noChaptersGiveAnEmptyList() {
    const QString tone = m_dir.filePath("tone.mp3");
    QVERIFY(fixtures::makeTone(tone, 1.0));
    RZInfoManager manager;
    manager.ensureInfo();
    QVERIFY(manager.open(tone));
    QVERIFY(manager.chapterList().isEmpty());
    QVERIFY(manager.coverImage(120).isNull());
}

void TestMediaInfoManager::scaleImageKeepsSmallPictures() {
    QImage small(100, 50, QImage::Format_RGB32);
    QCOMPARE(RZInfoManager::scaleImage(small, 120).size(), QSize(100, 50));
    QImage tall(300, 900, QImage::Format_RGB32);
    QCOMPARE(RZInfoManager::scaleImage(tall, 120).size(), QSize(120, 360));
    QVERIFY(RZInfoManager::scaleImage(QImage(), 120).isNull());
}

void TestMediaInfoManager::formatTimeSpanCountsHours() {
    QCOMPARE(formatTimeSpan(3723000000ull), QStringLiteral("01:02:03"));
    QCOMPARE(formatTimeSpan(0), QStringLiteral("00:00:00"));
    QCOMPARE(formatTimeSpan(100ull * 3600 * 1000000), QStringLiteral("100:00:00"));
}

void TestMediaInfoManager::writeTagsRewritesTheFile() {
    const QString tone = m_dir.filePath("write.mp3");
    QVERIFY(fixtures::makeTone(tone, 2.0, {"-metadata", "title=Old", "-metadata", "artist=Old artist"}));
    VEAudioTagInfo tags;
    tags.title = "Neu – Titel";
    tags.album = "Album";
    tags.year = "2024";
    tags.date = "1999"; // the date is never written: only the year
    RZInfoManager manager;
    manager.ensureInfo();
    QVERIFY(manager.open(tone));
    QVERIFY(manager.saveTags(tags));
    const QJsonObject info = fixtures::probe(tone);
    QCOMPARE(fixtures::formatTag(info, "title"), QStringLiteral("Neu – Titel"));
    QCOMPARE(fixtures::formatTag(info, "album"), QStringLiteral("Album"));
    // Everything else was cleared first.
    QCOMPARE(fixtures::formatTag(info, "artist"), QString());
    QVERIFY(qAbs(fixtures::formatDuration(info) - 2.0) < 0.1);
    // A file that cannot be opened is left alone and reported.
    QVERIFY(!RZInfoManager::writeTags(m_dir.filePath("missing.mp3"), tags));
    QVERIFY(!QFile::exists(m_dir.filePath("missing.mp3")));
}

// Lyrics, which the tag record does not carry, are read and written with mutagen.
static QString mutagenLyrics(const QString& path, const QString& setTo = QString()) {
    const QString script = setTo.isNull()
                               ? QStringLiteral("import sys\nfrom mutagen.id3 import ID3\n"
                                                "t=ID3(sys.argv[1])\n"
                                                "print('|'.join(f.text for f in t.getall('USLT')),end='')\n")
                               : QStringLiteral("import sys\nfrom mutagen.id3 import ID3,USLT\n"
                                                "t=ID3(sys.argv[1])\n"
                                                "t.add(USLT(encoding=3,lang='eng',desc='',text=sys.argv[2]))\n"
                                                "t.save(sys.argv[1])\n");
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), script, path, setTo});
    if (!python.waitForFinished(30000) || python.exitCode() != 0) {
        return QStringLiteral("<mutagen failed: %1>").arg(QString::fromUtf8(python.readAllStandardError()));
    }
    return QString::fromUtf8(python.readAllStandardOutput());
}

void TestMediaInfoManager::writeTagsKeepsTheLyricsAndReportsFailure() {
    const QString tone = m_dir.filePath("lyrics.mp3");
    QVERIFY(fixtures::makeTone(tone, 2.0, {"-metadata", "title=Old", "-metadata", "artist=Old artist"}));
    QCOMPARE(mutagenLyrics(tone, QStringLiteral("la la la")), QString());
    VEAudioTagInfo tags;
    tags.title = "New";
    QVERIFY(RZInfoManager::writeTags(tone, tags));
    QCOMPARE(mutagenLyrics(tone), QStringLiteral("la la la"));
    QJsonObject info = fixtures::probe(tone);
    QCOMPARE(fixtures::formatTag(info, "title"), QStringLiteral("New"));
    QCOMPARE(fixtures::formatTag(info, "artist"), QString());

    // A file that cannot be written: false, and its bytes stay as they were.
    auto digest = [&] {
        QFile file(tone);
        return file.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha1)
                                              : QByteArray();
    };
    const QByteArray before = digest();
    {
        ReadOnlyFile readOnly(tone);
        QVERIFY(readOnly.isReadOnly());
        tags.title = "Refused";
        RZInfoManager manager;
        manager.ensureInfo();
        QVERIFY(manager.open(tone));
        QVERIFY(!manager.saveTags(tags));
    }
    QCOMPARE(digest(), before);
    info = fixtures::probe(tone);
    QCOMPARE(fixtures::formatTag(info, "title"), QStringLiteral("New"));
}

void TestMediaInfoManager::aCoverThatIsNoPictureGivesANullImage() {
    const QString tone = m_dir.filePath("garbage_cover.mp3");
    QVERIFY(fixtures::makeTone(tone, 1.0));
    VEAudioTagInfo tags;
    tags.title = "Broken cover";
    tags.cover_image = std::string(3000, '\x5a');
    tags.coverSize = 3000;
    RZInfoManager::writeTags(tone, tags);
    RZInfoManager manager;
    manager.ensureInfo();
    QVERIFY(manager.open(tone));
    QCOMPARE(manager.readTags().title, std::string("Broken cover"));
    // Neither the bytes nor a decoded picture load: a null image, every block given back
    // (the sanitizer build watches for the leak).
    QVERIFY(manager.coverImage(120).isNull());
}

void TestMediaInfoManager::badFilesGiveEmptyResults() {
    const QString text = m_dir.filePath("notes.m4a");
    QVERIFY(fixtures::writeFile(text, QByteArray(1000, 'n')));
    RZInfoManager manager;
    QVERIFY(!manager.open(m_tagged)); // no information object yet
    QVERIFY(manager.readTags().title.empty());
    manager.ensureInfo();
    QVERIFY(manager.open(m_tagged));
    QVERIFY(!manager.open(text));
    QVERIFY(manager.readTags().title.empty());
    QVERIFY(manager.chapterList().isEmpty());
    QVERIFY(manager.coverImage(120).isNull());
    QVERIFY(!manager.open(m_dir.filePath("missing.mp4")));
    QCOMPARE(manager.path(), m_dir.filePath("missing.mp4"));
}

QTEST_MAIN(TestMediaInfoManager)
#include "test_media_info_manager.moc"
