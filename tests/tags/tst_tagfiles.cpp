// Writing tags into real files of every format, checked with independent readers and
// decoders: fields and cover read back, audio untouched, streams still valid, what the
// library does not model kept, growth past the padding and back, and failed writes.
#include "tagtestsupport.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

#include <algorithm>

using namespace calvorine::tags;
using namespace tagtest;

namespace {

// Which fields each format stores (the rest are dropped on save, by design).
QList<int> storedFields(const QString& format) {
    if (format == "wav") {
        return {0, 1, 2, 3, 4, 5, 6, 7};
    }
    if (format == "mp3" || format == "aac") {
        return {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 13};
    }
    if (format == "m4a") {
        return {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13};
    }
    return {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
}

const char* independentName(int field) {
    static const char* const names[] = {"title",       "artist",   "album",     "genre",  "year",
                                        "track",       "comment",  "copyright", "lyrics", "cover",
                                        "albumartist", "composer", "grouping",  "disc"};
    return field >= 0 && field < 14 ? names[field] : "";
}

QMap<int, QString> sampleFields(const QString& format, const QString& tag) {
    // Letters of several scripts and an emoji: every format keeps them all.
    Q_UNUSED(format);
    const QString accent = QString::fromUtf8(
        " \xC3\xA9t\xC3\xA9 \xF0\x9F\x8E\xB5 \xE2\x9C\x93 \xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E \xCE\xA9");
    QMap<int, QString> fields;
    fields[FieldTitle] = "Title " + tag + accent;
    fields[FieldArtist] = "Artist " + tag;
    fields[FieldAlbum] = "Album " + tag;
    fields[FieldGenre] = "Rock";
    fields[FieldYear] = "2024";
    fields[FieldTrack] = "3/12";
    fields[FieldComment] = "Comment " + tag + accent;
    fields[FieldCopyright] = "Copyright " + tag;
    fields[FieldLyrics] = "Lyrics line one\nline two " + tag;
    fields[FieldAlbumArtist] = "Album Artist " + tag;
    fields[FieldComposer] = "Composer " + tag;
    fields[FieldGrouping] = "Grouping " + tag;
    fields[FieldDisc] = "1/2";
    return fields;
}

QByteArray bigCover(int bytes) {
    QByteArray cover("\x89PNG\r\n\x1a\n", 8);
    quint32 state = 12345;
    while (cover.size() < bytes) {
        state = state * 1103515245u + 12345u;
        cover.append(char(state >> 16));
    }
    return cover;
}

// One data row per format, in a "format" column.
void formatRows(std::initializer_list<const char*> formats) {
    QTest::addColumn<QString>("format");
    for (const char* format : formats) {
        QTest::newRow(format) << QString(format);
    }
}

ino_t inodeOf(const QString& path) {
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_ino : 0;
}

QStringList directoryEntries(const QString& directory) {
    return QDir(directory).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
}

// The sizes of the audio packets as ffprobe reads them: a frame cut short shows.
QByteArray packetSizes(const QString& path) {
    QByteArray output;
    run("ffprobe", {"-v", "error", "-show_entries", "packet=size", "-of", "csv=p=0", path}, &output);
    return output;
}

// Every packet of the sound and the picture (a cover is a stream of its own to ffmpeg:
// left out), by time, size and flags, and what decodes from them.
QByteArray packetLayout(const QString& path) {
    QByteArray layout;
    for (const char* streams : {"a", "V"}) {
        QByteArray packets;
        QByteArray decoded;
        run("ffprobe",
            {"-v", "error", "-select_streams", streams, "-show_entries", "packet=pts,dts,size,flags", "-of", "csv=p=0",
             path},
            &packets);
        if (packets.isEmpty()) {
            continue; // sound alone
        }
        run("ffmpeg", {"-v", "error", "-i", path, "-map", QString("0:") + streams, "-f", "md5", "-"}, &decoded);
        if (decoded.isEmpty()) {
            return {};
        }
        layout += packets + decoded;
    }
    return layout;
}

quint32 be32At(const QByteArray& bytes, int at) {
    return quint32(quint8(bytes[at])) << 24 | quint32(quint8(bytes[at + 1])) << 16 |
           quint32(quint8(bytes[at + 2])) << 8 | quint32(quint8(bytes[at + 3]));
}

// An MP4 whose sidx boxes follow moov, with them moved in front of moov: their first
// offsets (counted from their own ends) then pass moov as well.
QByteArray sidxInFrontOfMoov(const QByteArray& bytes) {
    QList<QByteArray> boxes;
    for (int at = 0; at + 8 <= bytes.size();) {
        const int size = int(be32At(bytes, at));
        if (size < 8) {
            return {};
        }
        boxes << bytes.mid(at, size);
        at += size;
    }
    int moov = 0;
    while (moov < boxes.size() && boxes[moov].mid(4, 4) != "moov") {
        ++moov;
    }
    if (moov + 1 >= boxes.size() || boxes[moov + 1].mid(4, 4) != "sidx") {
        return {};
    }
    const QByteArray moovBox = boxes.takeAt(moov);
    int after = moov;
    while (after < boxes.size() && boxes[after].mid(4, 4) == "sidx") {
        QByteArray& sidx = boxes[after++];
        // version 0: 32-bit times and offset; version 1: 64-bit
        const int at = sidx.at(8) == char(0) ? 24 : 28;
        const int bytesOfOffset = sidx.at(8) == char(0) ? 4 : 8;
        quint64 first = 0;
        for (int i = 0; i < bytesOfOffset; ++i) {
            first = first << 8 | quint8(sidx[at + i]);
        }
        first += quint64(moovBox.size());
        for (int i = bytesOfOffset - 1; i >= 0; --i, first >>= 8) {
            sidx[at + i] = char(first & 0xFF);
        }
    }
    boxes.insert(after, moovBox);
    return boxes.join();
}

// Opens a file, lets `change` edit its items and saves; save's result.
template <typename Change> int editTags(const QString& path, Change change) {
    IAudioTagFile* file = createAudioTagFile();
    const std::u16string name = utf16Path(path);
    int result = file->open(name.c_str());
    if (result == 0) {
        change(file);
        result = file->save();
    }
    releaseAudioTagFile(file);
    return result;
}

} // namespace

class TagFilesTest : public QObject {
    Q_OBJECT

private:
    // The stream is still valid for its own checker (ogginfo, flac -t).
    static void verifyStreamValid(const QString& path) {
        QByteArray output;
        QByteArray errors;
        if (path.endsWith(".ogg")) {
            QCOMPARE(run("ogginfo", {path}, &output, &errors), 0);
            QVERIFY2(!output.contains("WARNING") && !output.contains("ERROR"), output.constData());
        } else if (path.endsWith(".flac")) {
            QVERIFY2(run("flac", {"-t", "-s", path}, &output, &errors) == 0, errors.constData());
        }
    }

    // Our reader and the independent one both see the fields that were written.
    static void verifyFields(const QString& path, const QString& format, const QMap<int, QString>& fields,
                             const QByteArray& cover) {
        const QMap<int, QString> ours = readTags(path);
        const QJsonObject theirs = independentTags(path);
        for (int field : storedFields(format)) {
            const QString expected = field == FieldPicture ? QString::fromLatin1(sha1Hex(cover)) : fields.value(field);
            QCOMPARE(ours.value(field), expected);
            const char* name = independentName(field);
            if (format == "wav" && field == FieldTrack) {
                continue; // ffprobe does not show the RIFF track
            }
            if ((format == "mp3" || format == "aac") && field == FieldLyrics) {
                QCOMPARE(theirs.value(name).toString(), expected);
                continue;
            }
            QVERIFY2(theirs.contains(name), name);
            QCOMPARE(theirs.value(name).toString(), expected);
        }
    }

    // Every index of a fragmented MP4 (tfra entries, sidx references, explicit tfhd
    // bases) points at the box it names, as parsed by the independent checker.
    static void verifyFragmentIndexes(const QString& path) {
        QByteArray output;
        QCOMPARE(run("/usr/bin/python3",
                     {qEnvironmentVariable("CALVORINE_SOURCE_DIR") + "/tests/tags/tagcheck.py", "fragments", path},
                     &output),
                 0);
        const QJsonObject boxes = QJsonDocument::fromJson(output).object();
        QVERIFY2(boxes.value("moofs").toInt() > 1, output.constData());
        QVERIFY2(!boxes.value("tfra").toArray().isEmpty(), output.constData());
        for (const char* index : {"tfra", "sidx"}) {
            for (const QJsonValue entry : boxes.value(index).toArray()) {
                QVERIFY2(entry.toObject().value("lands").toBool(), output.constData());
            }
        }
        for (const QJsonValue base : boxes.value("tfhd_bases").toArray()) {
            QCOMPARE(base.toObject().value("offset").toDouble(), base.toObject().value("moof").toDouble());
        }
    }

    // Writes the tags twice the program's way: both saves succeed and the second changes
    // no byte.
    static void writeTwiceAlike(const QString& path, const QMap<int, QString>& fields, const QByteArray& cover) {
        QCOMPARE(writeTags(path, fields, cover), 0);
        const QByteArray afterFirst = readFile(path);
        QCOMPARE(writeTags(path, fields, cover), 0);
        QCOMPARE(readFile(path), afterFirst);
    }

private slots:
    void writesFieldsAndCover_data() { formatRows({"mp3", "aac", "wav", "wma", "m4a", "ogg", "ape", "flac"}); }

    // The program's way of writing, then growing past the padding and shrinking again,
    // with the audio and the unmodelled tags checked after every write.
    void writesFieldsAndCover() {
        QFETCH(QString, format);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath("fixture." + format);
        QVERIFY(makeFixture(path));
        if (format != "wav") {
            QVERIFY(enrichFixture(path));
        }
        const QByteArray digest = audioDigest(path);
        QVERIFY(!digest.isEmpty());
        const QJsonArray extrasBefore = independentTags(path).value("extra").toArray();
        const QByteArray cover = makeCover(dir.path());
        QVERIFY(!cover.isEmpty());

        int type = -2;
        readTags(path, &type);
        QCOMPARE(type, QStringList({"wav", "wma", "mp3", "aac", "m4a", "ogg", "ape", "flac"}).indexOf(format));

        // 1. All fields and a small cover.
        QMap<int, QString> fields = sampleFields(format, "one");
        QCOMPARE(writeTags(path, fields, format == "wav" ? QByteArray() : cover), 0);
        verifyFields(path, format, fields, cover);
        QCOMPARE(audioDigest(path), digest);
        verifyStreamValid(path);
        const QJsonObject after = independentTags(path);
        QCOMPARE(after.value("extra").toArray(), extrasBefore);
        if (format == "mp3" || format == "flac") {
            QCOMPARE(after.value("pictures").toInt(), 2); // the back cover stays
        }
        if (format == "ogg" || format == "flac") {
            QCOMPARE(after.value("lyrics").toString(), fields[FieldLyrics]); // "LYRICS", not "LYRICIST"
        }
        const qint64 smallSize = QFileInfo(path).size();

        // 2. Grow well past any padding.
        QMap<int, QString> grown = sampleFields(format, "two");
        QByteArray largeCover = bigCover(300 * 1024);
        if (format == "wav") {
            grown[FieldComment] = QString(200 * 1024, QChar('c'));
            largeCover.clear();
        }
        QCOMPARE(writeTags(path, grown, largeCover), 0);
        verifyFields(path, format, grown, largeCover);
        QCOMPARE(audioDigest(path), digest);
        verifyStreamValid(path);
        QCOMPARE(independentTags(path).value("extra").toArray(), extrasBefore);
        const qint64 largeSize = QFileInfo(path).size();
        QVERIFY(largeSize > smallSize + 190 * 1024);

        // 3. Shrink back.
        QCOMPARE(writeTags(path, fields, format == "wav" ? QByteArray() : cover), 0);
        verifyFields(path, format, fields, cover);
        QCOMPARE(audioDigest(path), digest);
        verifyStreamValid(path);
        QCOMPARE(independentTags(path).value("extra").toArray(), extrasBefore);
        QVERIFY(QFileInfo(path).size() < largeSize - 190 * 1024);

        if (format == "wav") {
            // RIFF INFO text is UTF-8, as mutagen's chunk reader takes it too.
            const QJsonObject info = independentRiffLayout(path).value("info").toObject();
            QCOMPARE(info.value("INAM").toString(), fields[FieldTitle]);
            QCOMPARE(info.value("ICMT").toString(), fields[FieldComment]);
        }

        // 4. Nothing is left beside the file.
        QCOMPARE(directoryEntries(dir.path()), QStringList({"cover.jpg", QFileInfo(path).fileName()}));
    }

    // Tags that fit the padding are written in place; the file itself is not replaced.
    void writesInPlaceWhenTagsFit_data() { formatRows({"mp3", "aac", "flac", "m4a", "wav", "wma", "ogg", "ape"}); }

    void writesInPlaceWhenTagsFit() {
        QFETCH(QString, format);
        QTemporaryDir dir;
        const QString path = dir.filePath("fixture." + format);
        QVERIFY(makeFixture(path));
        const QByteArray digest = audioDigest(path);
        const QByteArray cover = makeCover(dir.path());
        QCOMPARE(writeTags(path, sampleFields(format, "one"), cover), 0);
        const ino_t inode = inodeOf(path);
        const qint64 size = QFileInfo(path).size();
        QCOMPARE(writeTags(path, sampleFields(format, "two"), cover), 0);
        QCOMPARE(inodeOf(path), inode);
        QCOMPARE(QFileInfo(path).size(), size);
        verifyFields(path, format, sampleFields(format, "two"), cover);
        QCOMPARE(audioDigest(path), digest);
        verifyStreamValid(path);
    }

    // Small reads are served from blocks kept in memory: what they return stays what the
    // file holds through writes into, across and past those blocks and through cuts.
    void fileStreamReadsWhatTheFileHolds() {
        QTemporaryDir dir;
        const QString path = dir.filePath("data.bin");
        QByteArray expected(100000, '\0');
        for (int i = 0; i < expected.size(); ++i) {
            expected[i] = char(i * 13 + i / 256);
        }
        QVERIFY(writeFile(path, expected));
        PosixFileStream file(QFile::encodeName(path).toStdString());
        QVERIFY(file.isOpen());
        auto readBack = [&](int64_t offset, int count) {
            QByteArray bytes(count, '\0');
            if (file.seek(offset) != offset) {
                return QByteArray("seek failed");
            }
            bytes.resize(file.read(bytes.data(), count));
            return bytes;
        };
        auto writeAt = [&](int64_t offset, const QByteArray& bytes) {
            QCOMPARE(file.seek(offset), offset);
            QCOMPARE(file.write(bytes.constData(), bytes.size()), bytes.size());
            if (offset + bytes.size() > expected.size()) {
                expected.resize(int(offset + bytes.size()));
            }
            expected.replace(int(offset), bytes.size(), bytes);
        };
        for (const int64_t offset : {int64_t(0), int64_t(10), int64_t(99990), int64_t(50000), int64_t(3)}) {
            QCOMPARE(readBack(offset, 10), expected.mid(int(offset), 10));
        }
        writeAt(5, QByteArray(20, 'a'));        // inside the first block
        writeAt(99995, QByteArray(30, 'b'));    // across the end: the file grows
        writeAt(30000, QByteArray(40000, 'c')); // across both blocks
        for (const int64_t offset : {int64_t(0), int64_t(99980), int64_t(32760), int64_t(69990), int64_t(100020)}) {
            QCOMPARE(readBack(offset, 20), expected.mid(int(offset), 20));
        }
        QCOMPARE(file.size(), int64_t(expected.size()));
        QCOMPARE(file.setSize(99000), int64_t(99000));
        expected.truncate(99000);
        QCOMPARE(readBack(98990, 20), expected.mid(98990, 10));
        QCOMPARE(readBack(0, 8000), expected.left(8000));
        QCOMPARE(readFile(path), expected);
    }

    // A tag at the end of the file grows and shrinks where it is; a growth that fails,
    // at its first byte or after the file has grown, leaves the file as it was.
    void tagAtTheEndChangesSizeInPlace() {
        QTemporaryDir dir;
        const QString path = dir.filePath("fixture.ape");
        QVERIFY(makeFixture(path));
        const QByteArray digest = audioDigest(path);
        const QByteArray cover = makeCover(dir.path());
        const QMap<int, QString> small = sampleFields("ape", "one");
        QCOMPARE(writeTags(path, small, cover), 0);
        const ino_t inode = inodeOf(path);
        const qint64 smallSize = QFileInfo(path).size();

        QMap<int, QString> grown = sampleFields("ape", "two");
        grown[FieldComment] = QString(20 * 1024, QChar('g'));
        const QByteArray largeCover = bigCover(80 * 1024);
        const QByteArray before = readFile(path);
        const QString copy = dir.filePath("copy.ape");
        QVERIFY(writeFile(copy, before));
        QCOMPARE(writeTags(copy, grown, largeCover), 0);
        const qint64 growth = QFileInfo(copy).size() - smallSize;
        QVERIFY(growth > 90 * 1024);
        QVERIFY(QFile::remove(copy));
        for (const int64_t budget : {int64_t(0), int64_t(growth)}) {
            {
                PosixFileStream file(QFile::encodeName(path).toStdString());
                FailingStream failing(&file, budget, true);
                QVERIFY(writeTags(&failing, grown, largeCover) < 0);
                QCOMPARE(failing.failures(), 1);
            }
            QCOMPARE(readFile(path), before);
        }
        QCOMPARE(directoryEntries(dir.path()), QStringList({"cover.jpg", "fixture.ape"}));

        QCOMPARE(writeTags(path, grown, largeCover), 0);
        QCOMPARE(inodeOf(path), inode);
        QCOMPARE(QFileInfo(path).size(), smallSize + growth);
        verifyFields(path, "ape", grown, largeCover);
        QCOMPARE(audioDigest(path), digest);

        QCOMPARE(writeTags(path, small, cover), 0);
        QCOMPARE(inodeOf(path), inode);
        QCOMPARE(QFileInfo(path).size(), smallSize);
        verifyFields(path, "ape", small, cover);
        QCOMPARE(audioDigest(path), digest);
        QCOMPARE(directoryEntries(dir.path()), QStringList({"cover.jpg", "fixture.ape"}));
    }

    void failedWriteLeavesFileIntact_data() {
        QTest::addColumn<QString>("format");
        QTest::addColumn<qint64>("budget");
        for (const char* format : {"mp3", "aac", "wav", "wma", "m4a", "ogg", "ape", "flac"}) {
            for (qint64 budget : {0, 1000, 60000}) {
                QTest::newRow(qPrintable(QString("%1 after %2 bytes").arg(format).arg(budget)))
                    << QString(format) << budget;
            }
        }
    }

    // The file system (here a stream) fails partway through a rewrite: save reports it
    // and the original bytes stay as they were, with no scratch file left behind.
    void failedWriteLeavesFileIntact() {
        QFETCH(QString, format);
        QFETCH(qint64, budget);
        QTemporaryDir dir;
        const QString path = dir.filePath("fixture." + format);
        QVERIFY(makeFixture(path));
        const QByteArray original = readFile(path);
        QMap<int, QString> fields = sampleFields(format, "big");
        fields[FieldComment] = QString(30 * 1024, QChar('x')); // forces a rewrite everywhere
        {
            PosixFileStream file(QFile::encodeName(path).toStdString());
            QVERIFY(file.isOpen());
            FailingStream failing(&file, budget, false);
            QVERIFY(writeTags(&failing, fields, format == "wav" ? QByteArray() : bigCover(100 * 1024)) < 0);
            QVERIFY(failing.failures() > 0);
        }
        QCOMPARE(readFile(path), original);
        QCOMPARE(directoryEntries(dir.path()), QStringList({QFileInfo(path).fileName()}));
    }

    // A write in place that fails once is undone from the bytes it replaced.
    void failedInPlaceWriteIsUndone() {
        QTemporaryDir dir;
        const QString path = dir.filePath("fixture.mp3");
        QVERIFY(makeFixture(path));
        const QByteArray cover = makeCover(dir.path());
        QCOMPARE(writeTags(path, sampleFields("mp3", "one"), cover), 0);
        const QByteArray original = readFile(path);
        {
            PosixFileStream file(QFile::encodeName(path).toStdString());
            FailingStream failing(&file, 100, true);
            QVERIFY(writeTags(&failing, sampleFields("mp3", "two"), cover) < 0);
            QCOMPARE(failing.failures(), 1);
        }
        QCOMPARE(readFile(path), original);
    }

    // What a format cannot store is refused and the file left alone.
    void refusesWhatAFormatCannotStore_data() {
        QTest::addColumn<QString>("format");
        QTest::addColumn<int>("field");
        QTest::addColumn<int>("bytes");
        QTest::newRow("flac cover of 16 MiB") << "flac" << int(FieldPicture) << 16 * 1024 * 1024;
        QTest::newRow("ape tag over 16 MiB") << "ape" << int(FieldPicture) << 17 * 1024 * 1024;
        QTest::newRow("asf title over 32K characters") << "wma" << int(FieldTitle) << 40000;
        // The ID3v1 and ID3v2 tags are saved around the FLAC blocks: neither stays changed.
        QTest::newRow("flac cover of 16 MiB beside ID3 tags") << "flac id3" << int(FieldPicture) << 16 * 1024 * 1024;
    }

    void refusesWhatAFormatCannotStore() {
        QFETCH(QString, format);
        QFETCH(int, field);
        QFETCH(int, bytes);
        QTemporaryDir dir;
        const bool id3 = format.endsWith(" id3");
        format.remove(" id3");
        const QString path = dir.filePath("fixture." + format);
        QVERIFY(makeFixture(path));
        if (id3) {
            QByteArray block = QByteArray("TAGv1 title") + QByteArray(117, '\0');
            block[127] = char(255);
            const QByteArray id3v2 = QByteArray("ID3\x03\0\0\0\0\0\x13TIT2\0\0\0\x09\0\0\0v2 title", 29);
            QVERIFY(writeFile(path, id3v2 + readFile(path) + block));
            QCOMPARE(readTags(path).value(FieldTitle), QString("v2 title"));
        }
        const QByteArray original = readFile(path);
        QMap<int, QString> fields;
        QByteArray cover;
        if (field == FieldPicture) {
            cover = bigCover(bytes);
        } else {
            fields[field] = QString(bytes, QChar('t'));
        }
        QVERIFY(writeTags(path, fields, cover) < 0);
        QCOMPARE(readFile(path), original);
    }

    // A streamed WAVE file says 0xFFFFFFFF for its size: the INFO chunk goes at the real
    // end of the data and the size becomes true.
    void wavWithStreamedSizeGetsInfoAtItsEnd() {
        QTemporaryDir dir;
        const QString path = dir.filePath("fixture.wav");
        QVERIFY(makeFixture(path));
        const QByteArray digest = audioDigest(path);
        QByteArray bytes = readFile(path);
        bytes.replace(4, 4, QByteArray(4, '\xFF'));
        QVERIFY(writeFile(path, bytes));
        QMap<int, QString> fields = sampleFields("wav", "one");
        QCOMPARE(writeTags(path, fields, {}), 0);
        bytes = readFile(path);
        const quint32 riffSize =
            quint8(bytes[4]) | (quint8(bytes[5]) << 8) | (quint8(bytes[6]) << 16) | (quint32(quint8(bytes[7])) << 24);
        QCOMPARE(qint64(riffSize), qint64(bytes.size()) - 8);
        QCOMPARE(audioDigest(path), digest);
        verifyFields(path, "wav", fields, {});
    }

    // Damaged WAVE files: where a chunk runs past the end there is no place a reader would
    // find a new INFO chunk, so the file is refused and keeps every byte; other damage is
    // repaired by the first save. Either way a second save of the same tags changes nothing.
    void damagedWavIsRefusedOrRepairedOnce_data() {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<bool>("written");
        QTest::newRow("fmt chunk cut short") << "cut fmt" << false;
        QTest::newRow("fmt size past its bytes") << "long fmt" << false;
        QTest::newRow("LIST size past the end") << "long list" << false;
        QTest::newRow("last LIST size past the end") << "long last list" << false;
        QTest::newRow("LIST size too small") << "short list" << true;
        QTest::newRow("odd last chunk without pad byte") << "no pad" << true;
        QTest::newRow("a second INFO list") << "two lists" << true;
    }

    void damagedWavIsRefusedOrRepairedOnce() {
        QFETCH(QString, damage);
        QFETCH(bool, written);
        QTemporaryDir dir;
        const QString path = dir.filePath("damaged.wav");
        // ffmpeg puts its LIST between "fmt " and "data"; bit-exact output has none.
        QStringList make{"-v", "error", "-y", "-f", "lavfi", "-i", "sine=frequency=440:duration=1", "-ac", "1"};
        if (damage == "no pad") {
            make << "-ar"
                 << "8000"
                 << "-c:a"
                 << "pcm_u8"
                 << "-af"
                 << "atrim=end_sample=7999";
        }
        if (damage == "no pad" || damage == "long last list") {
            make << "-fflags"
                 << "+bitexact"
                 << "-flags:a"
                 << "+bitexact";
        } else {
            make << "-metadata"
                 << "title=Old title"
                 << "-metadata"
                 << "artist=Old artist";
        }
        QVERIFY(run("ffmpeg", make << path) == 0);
        if (damage == "long last list") {
            QCOMPARE(writeTags(path, sampleFields("wav", "old"), {}), 0);
        }
        QByteArray bytes = readFile(path);
        const int fmt = bytes.indexOf("fmt ");
        const int list = bytes.indexOf("LIST");
        auto setLe32 = [&bytes](int at, quint32 value) {
            for (int i = 0; i < 4; ++i) {
                bytes[at + i] = char(value >> (8 * i));
            }
        };
        auto le32 = [&bytes](int at) {
            return quint32(quint8(bytes[at])) | (quint32(quint8(bytes[at + 1])) << 8) |
                   (quint32(quint8(bytes[at + 2])) << 16) | (quint32(quint8(bytes[at + 3])) << 24);
        };
        QVERIFY(fmt == 12);
        if (damage == "cut fmt") {
            bytes.truncate(fmt + 8 + 10);
        } else if (damage == "long fmt") {
            setLe32(fmt + 4, le32(fmt + 4) + 2);
        } else if (damage == "long list") {
            QVERIFY(list > 0 && list < bytes.indexOf("data"));
            setLe32(list + 4, 0x7FFFFFF0u);
        } else if (damage == "long last list") {
            QVERIFY(list > bytes.indexOf("data"));
            setLe32(list + 4, quint32(bytes.size() - list - 8 + 100));
        } else if (damage == "short list") {
            QVERIFY(list > 0);
            setLe32(list + 4, 4); // "INFO" alone: the items now sit behind it as chunks of their own
        } else if (damage == "no pad") {
            const int data = bytes.indexOf("data");
            QVERIFY(data > 0 && (le32(data + 4) & 1) && bytes.size() == data + 8 + int(le32(data + 4)) + 1);
            bytes.chop(1);
            setLe32(4, quint32(bytes.size() - 8));
        } else if (damage == "two lists") {
            // Readers show both lists' items; the save leaves one list, with what was written.
            bytes.append(QByteArray("LIST\x1a\0\0\0INFOIART\x0e\0\0\0Stale artist\0\0", 34));
            setLe32(4, quint32(bytes.size() - 8));
        }
        const double seconds = independentRiffLayout(path).value("length").toDouble();
        QVERIFY(seconds > 0.1);
        QVERIFY(writeFile(path, bytes));
        const QByteArray damaged = readFile(path);
        const QByteArray digest = written ? audioDigest(path) : QByteArray();
        const QMap<int, QString> fields = sampleFields("wav", "new");

        const int first = writeTags(path, fields, {});
        const QByteArray afterFirst = readFile(path);
        const int second = writeTags(path, fields, {});
        QCOMPARE(readFile(path), afterFirst);
        if (!written) {
            QVERIFY(first < 0);
            QVERIFY(second < 0);
            QCOMPARE(afterFirst, damaged);
            return;
        }
        QCOMPARE(first, 0);
        QCOMPARE(second, 0);
        verifyFields(path, "wav", fields, {});
        QCOMPARE(audioDigest(path), digest);
        const QJsonObject layout = independentRiffLayout(path);
        const QJsonArray chunks = layout.value("chunks").toArray();
        QVERIFY2(std::count(chunks.begin(), chunks.end(), QJsonValue("LIST")) == 1 && chunks.contains("data"),
                 QJsonDocument(layout).toJson().constData());
        QVERIFY(std::abs(layout.value("length").toDouble() - seconds) < 0.001);
        bytes = afterFirst; // and the RIFF size says what the file holds
        QCOMPARE(qint64(le32(4)), qint64(bytes.size()) - 8);
    }

    // A second INFO list goes, which brings the JUNK behind it up behind the first list.
    // A list that keeps its length leaves that JUNK as it is: the second save of the same
    // tags changes nothing.
    void wavJunkBehindTheListStaysOnTheSecondSave() {
        QTemporaryDir dir;
        const QString path = dir.filePath("fixture.wav");
        QVERIFY(run("ffmpeg", {"-v", "error", "-f", "lavfi", "-i", "sine=duration=1", "-fflags", "+bitexact",
                               "-flags:a", "+bitexact", path}) == 0);
        QByteArray bytes = readFile(path);
        const int data = bytes.indexOf("data");
        QVERIFY(data > 12 && !bytes.contains("LIST"));
        auto le32 = [](int value) { return littleEndian(quint64(value), 4); };
        // An empty list and two bytes of JUNK: the 22 bytes a list holding the title "T" takes.
        const QByteArray chunks = "LIST" + le32(4) + "INFO" + "JUNK" + le32(2) + QByteArray(2, 0) + "LIST" + le32(18) +
                                  "INFO" + "IART" + le32(6) + QByteArray("Stale\0", 6) + "JUNK" + le32(13) +
                                  QByteArray(13, 'j') + QByteArray(1, 0);
        bytes.insert(data, chunks);
        bytes.replace(4, 4, le32(bytes.size() - 8));
        QVERIFY(writeFile(path, bytes));
        const QByteArray digest = audioDigest(path);
        QCOMPARE(readTags(path).value(FieldArtist), QString("Stale"));

        writeTwiceAlike(path, {{FieldTitle, "T"}}, {});
        QCOMPARE(readTags(path), (QMap<int, QString>{{FieldTitle, "T"}}));
        const QJsonObject theirs = independentTags(path);
        QCOMPARE(theirs.value("title").toString(), QString("T"));
        QVERIFY(!theirs.contains("artist"));
        QCOMPARE(audioDigest(path), digest);
    }

    // A FLAC stream whose last metadata block lacks the last-block flag keeps its audio.
    void flacWithoutLastBlockFlagKeepsAudio() {
        QTemporaryDir dir;
        const QString path = dir.filePath("fixture.flac");
        QVERIFY(makeFixture(path));
        const QByteArray digest = audioDigest(path);
        QByteArray bytes = readFile(path);
        int at = 4;
        while (true) {
            const int length = (quint8(bytes[at + 1]) << 16) | (quint8(bytes[at + 2]) << 8) | quint8(bytes[at + 3]);
            if (quint8(bytes[at]) & 0x80) {
                bytes[at] = char(quint8(bytes[at]) & 0x7F);
                break;
            }
            at += 4 + length;
        }
        QVERIFY(writeFile(path, bytes));
        QCOMPARE(writeTags(path, sampleFields("flac", "one"), makeCover(dir.path())), 0);
        QCOMPARE(audioDigest(path), digest);
        verifyStreamValid(path);
    }

    // A FLAC stream with bytes (zeros here) between its ID3v2 tag and "fLaC", which
    // decoders do not skip. Whatever a save changes (every tag and a cover the program's
    // way, the FLAC blocks alone, the ID3v2 tag alone), the file then starts with its
    // ID3v2 tag or with "fLaC" right after it, flac and ffprobe read it as FLAC, and the
    // audio is that of before.
    void flacWithBytesBeforeTheStreamLosesThem_data() {
        QTest::addColumn<QString>("changed");
        QTest::newRow("every tag, with a cover") << "all";
        QTest::newRow("the FLAC blocks") << "flac";
        QTest::newRow("the ID3v2 tag") << "id3v2";
    }

    void flacWithBytesBeforeTheStreamLosesThem() {
        QFETCH(QString, changed);
        QTemporaryDir dir;
        const QString path = dir.filePath("stray.flac");
        QVERIFY(makeFixture(path));
        const QByteArray digest = audioDigest(path);
        QVERIFY2(holdsSound(digest), digest.constData());
        auto syncSafe = [](int v) {
            const char bytes[4] = {char((v >> 21) & 0x7F), char((v >> 14) & 0x7F), char((v >> 7) & 0x7F),
                                   char(v & 0x7F)};
            return QByteArray(bytes, 4);
        };
        const QByteArray title("\0Old title", 10);
        const QByteArray frame = "TIT2" + QByteArray(3, '\0') + char(title.size()) + QByteArray(2, '\0') + title;
        const QByteArray id3 = "ID3" + QByteArray("\x03\0\0", 3) + syncSafe(frame.size()) + frame;
        QVERIFY(writeFile(path, id3 + QByteArray(64, '\0') + readFile(path)));
        QCOMPARE(readTags(path).value(FieldTitle), QString("Old title"));

        const QString text("New text");
        auto add = [&text](int slot, int field) {
            return [&text, slot, field](IAudioTagFile* file) {
                file->addItem(slot, field, TagValueText, text.size() * 2, text.utf16());
            };
        };
        if (changed == "all") {
            QCOMPARE(writeTags(path, sampleFields("flac", "one"), makeCover(dir.path())), 0);
        } else if (changed == "flac") {
            QCOMPARE(editTags(path, add(SlotFlac, FieldAlbum)), 0);
        } else {
            QCOMPARE(editTags(path, add(SlotId3v2, FieldAlbum)), 0);
        }
        const QByteArray bytes = readFile(path);
        QCOMPARE(bytes.startsWith("ID3"), changed != "all");
        int streamAt = 0;
        if (bytes.startsWith("ID3")) {
            streamAt =
                10 + ((bytes[6] & 0x7F) << 21 | (bytes[7] & 0x7F) << 14 | (bytes[8] & 0x7F) << 7 | (bytes[9] & 0x7F));
        }
        QCOMPARE(bytes.mid(streamAt, 4), QByteArray("fLaC"));
        verifyStreamValid(path);
        QByteArray probed;
        QCOMPARE(run("ffprobe",
                     {"-v", "error", "-show_entries", "format=format_name:stream=codec_type,codec_name", "-of",
                      "compact=p=0:nk=1", path},
                     &probed),
                 0);
        QVERIFY2(probed.startsWith("flac|audio\n") && probed.endsWith("\nflac\n"), probed.constData());
        QCOMPARE(audioDigest(path), digest);
        QCOMPARE(readTags(path).value(FieldAlbum), changed == "all" ? QString("Album one") : text);
    }

    // The item list's handler atom has the size its fields take.
    void mp4HandlerAtomSizeMatchesFields() {
        QTemporaryDir dir;
        const QString path = dir.filePath("fixture.m4a");
        QVERIFY(makeFixture(path));
        QCOMPARE(writeTags(path, sampleFields("m4a", "one"), {}), 0);
        const QByteArray bytes = readFile(path);
        const int at = bytes.indexOf(QByteArray("hdlr\0\0\0\0\0\0\0\0mdirappl", 20));
        QVERIFY(at > 4);
        const int size = (quint8(bytes[at - 4]) << 24) | (quint8(bytes[at - 3]) << 16) | (quint8(bytes[at - 2]) << 8) |
                         quint8(bytes[at - 1]);
        QCOMPARE(size, 34);
        // The item list starts right behind it.
        QCOMPARE(bytes.mid(at - 4 + size + 4, 4), QByteArray("ilst"));
    }

    // With moov in front of the media every chunk offset moves with the new tags.
    void mp4WithMoovFirstKeepsPlaying() {
        QTemporaryDir dir;
        const QString path = dir.filePath("fixture.m4a");
        QVERIFY(run("ffmpeg",
                    {"-v", "error", "-f", "lavfi", "-i", "sine=duration=2", "-movflags", "+faststart", path}) == 0);
        const QByteArray digest = audioDigest(path);
        QVERIFY(readFile(path).indexOf("moov") < readFile(path).indexOf("mdat"));
        const QByteArray cover = makeCover(dir.path());
        for (int size : {0, 50000, 1000}) {
            QCOMPARE(writeTags(path, sampleFields("m4a", QString::number(size)), size ? bigCover(size) : cover), 0);
            QCOMPARE(audioDigest(path), digest);
            verifyFields(path, "m4a", sampleFields("m4a", QString::number(size)), size ? bigCover(size) : cover);
        }
        // Removing every item removes the udta and shrinks moov; the audio still plays.
        QCOMPARE(writeTags(path, {}, {}), 0);
        QCOMPARE(audioDigest(path), digest);
        QVERIFY(readTags(path).isEmpty());
    }

    // A Vorbis stream that lost its comment header gets a new one right behind the
    // identification page, with the later pages renumbered.
    void oggWithoutCommentHeaderGetsOne() {
        QTemporaryDir dir;
        const QString path = dir.filePath("fixture.ogg");
        QVERIFY(makeFixture(path));
        const QByteArray digest = audioDigest(path);
        QCOMPARE(runChecker({"strip-comment", path}), 0);
        const QMap<int, QString> fields = sampleFields("ogg", "one");
        QCOMPARE(writeTags(path, fields, bigCover(80000)), 0);
        verifyStreamValid(path);
        verifyFields(path, "ogg", fields, bigCover(80000));
        QCOMPARE(audioDigest(path), digest);
    }

    // A page of another stream between the Vorbis comment's pages goes behind the new
    // comment: ahead of it, it would part the comment from the identification header, and
    // the next save would have to refuse the file.
    void oggPageOfAnotherStreamStaysOutOfTheComment() {
        QTemporaryDir dir;
        const QString path = dir.filePath("fixture.ogg");
        // An Opus stream beside the Vorbis one, whose comment is longer than a page.
        QVERIFY(run("ffmpeg", {"-v",
                               "error",
                               "-f",
                               "lavfi",
                               "-i",
                               "sine=duration=2",
                               "-f",
                               "lavfi",
                               "-i",
                               "sine=frequency=880:duration=2",
                               "-map",
                               "0",
                               "-map",
                               "1",
                               "-c:a:0",
                               "libopus",
                               "-c:a:1",
                               "libvorbis",
                               "-metadata:s:a:1",
                               "comment=" + QString(70000, 'x'),
                               path}) == 0);
        QCOMPARE(runChecker({"interleave-ogg", path}), 0);
        verifyStreamValid(path);
        const QByteArray digest = audioDigest(path);
        QVERIFY(!digest.isEmpty());
        const QMap<int, QString> fields = sampleFields("ogg", "one");
        const QByteArray cover = makeCover(dir.path());
        writeTwiceAlike(path, fields, cover);
        verifyStreamValid(path);
        verifyFields(path, "ogg", fields, cover);
        QCOMPARE(audioDigest(path), digest);
    }

    // Chapters live in udta beside the item list; rewriting the items keeps them.
    void mp4KeepsChapters() {
        QTemporaryDir dir;
        const QString chapters = dir.filePath("chapters.txt");
        QVERIFY(writeFile(chapters, ";FFMETADATA1\n[CHAPTER]\nTIMEBASE=1/1000\nSTART=0\nEND=1000\ntitle=Intro\n"
                                    "[CHAPTER]\nTIMEBASE=1/1000\nSTART=1000\nEND=2000\ntitle=Main\n"));
        const QString path = dir.filePath("fixture.m4a");
        QVERIFY(run("ffmpeg", {"-v", "error", "-f", "lavfi", "-i", "sine=duration=2", "-i", chapters, "-map_metadata",
                               "1", "-map_chapters", "1", path}) == 0);
        QVERIFY(readFile(path).contains("chpl"));
        QCOMPARE(writeTags(path, sampleFields("m4a", "one"), bigCover(20000)), 0);
        QVERIFY(readFile(path).contains("chpl"));
        QByteArray output;
        QCOMPARE(run("ffprobe", {"-v", "error", "-show_chapters", "-of", "csv", path}, &output), 0);
        QVERIFY2(output.contains("Intro") && output.contains("Main"), output.constData());
    }

    // An mp3 with ID3v2, APE and ID3v1: the tags at the end are found again after the
    // one at the start changes size, and keep their order.
    void mp3TagsAtBothEndsStayInOrder() {
        QTemporaryDir dir;
        const QString path = dir.filePath("fixture.mp3");
        QVERIFY(makeFixture(path));
        const QByteArray digest = audioDigest(path);
        IAudioTagFile* file = createAudioTagFile();
        const std::u16string name = utf16Path(path);
        QCOMPARE(file->open(name.c_str()), 0);
        const QString apeTitle("ape title");
        const QString v1Title("v1 title");
        QCOMPARE(file->addItem(SlotApe, FieldTitle, TagValueText, apeTitle.size() * 2, apeTitle.utf16()), 0);
        QCOMPARE(file->addItem(SlotId3v1, FieldTitle, TagValueText, v1Title.size() * 2, v1Title.utf16()), 0);
        const QByteArray cover = bigCover(40000);
        QCOMPARE(file->addItem(-1, FieldPicture, TagValueBinary, cover.size(), cover.constData()), 0);
        QCOMPARE(file->save(), 0);
        file->close();
        releaseAudioTagFile(file);
        const QByteArray bytes = readFile(path);
        QVERIFY(bytes.startsWith("ID3"));
        QCOMPARE(bytes.mid(bytes.size() - 128, 3), QByteArray("TAG"));
        QCOMPARE(bytes.mid(bytes.size() - 128 - 32, 8), QByteArray("APETAGEX"));
        QCOMPARE(audioDigest(path), digest);
        // Read again: every tag is where it should be.
        IAudioTagFile* again = createAudioTagFile();
        QCOMPARE(again->open(name.c_str()), 0);
        QStringList titles;
        for (int i = 0; i < again->itemCount(); ++i) {
            const TagItem item = again->getItem(i);
            if (item.field == FieldTitle) {
                titles << QString::number(item.slot) + ":" +
                              QString::fromUtf16(reinterpret_cast<const char16_t*>(item.data), item.length / 2);
            }
        }
        releaseAudioTagFile(again);
        QCOMPARE(titles, QStringList({"6:ape title", "0:v1 title"}));
        QCOMPARE(independentTags(path).value("cover").toString(), QString::fromLatin1(sha1Hex(cover)));
    }

    // A 131-byte APE tag at the very end of an mp3 holds "TAG" 128 bytes from the end, in
    // its own header: it is read as the APE tag, not as an ID3v1 block, and a save that
    // clears it takes it whole, the same way every time.
    void apeTagIsNotTakenForAnId3v1Block() {
        QTemporaryDir dir;
        const QString path = dir.filePath("fixture.mp3");
        QVERIFY(makeFixture(path));
        const QByteArray audio = readFile(path);
        const QString title(53, QChar('t')); // a 67-byte item, 64 bytes of header and footer
        QCOMPARE(runChecker({"ape-title", path, title}), 0);
        const QByteArray tagged = readFile(path);
        QCOMPARE(tagged.size(), audio.size() + 131);
        QCOMPARE(tagged.mid(tagged.size() - 128, 3), QByteArray("TAG"));
        QCOMPARE(readTags(path).value(FieldTitle), title);
        const QByteArray digest = audioDigest(path);

        const QMap<int, QString> fields = sampleFields("mp3", "one");
        const QByteArray cover = makeCover(dir.path());
        writeTwiceAlike(path, fields, cover);
        verifyFields(path, "mp3", fields, cover);
        QCOMPARE(audioDigest(path), digest);
        QVERIFY(readFile(path).endsWith(audio.right(4096)));
        QVERIFY(!readFile(path).contains("APETAGEX"));
    }

    // A short mp3 or AAC whose last 128 bytes of audio begin with "TAG" (ffprobe reads
    // the frame they belong to whole): they are audio, not an ID3v1 block. Clearing the
    // tags keeps them, writing tags puts a block behind them, and removing that block
    // takes only the block.
    void audioEndingInTagStaysWhole_data() { formatRows({"mp3", "aac"}); }

    void audioEndingInTagStaysWhole() {
        QFETCH(QString, format);
        QTemporaryDir dir;
        const QString path = dir.filePath("short." + format);
        QStringList arguments{"-v", "error", "-f", "lavfi", "-i", "sine=frequency=440:duration=0.3", "-ac", "2"};
        if (format == "mp3") {
            arguments << "-c:a"
                      << "libmp3lame";
        }
        QCOMPARE(run("ffmpeg", arguments << path), 0);
        QByteArray bytes = readFile(path);
        const QByteArray packets = packetSizes(path);
        bytes.replace(bytes.size() - 128, 3, "TAG");
        QVERIFY(writeFile(path, bytes));
        QCOMPARE(packetSizes(path), packets);
        const QByteArray digest = audioDigest(path);
        int start = 0;
        if (bytes.startsWith("ID3")) {
            start =
                10 + ((bytes[6] & 0x7F) << 21 | (bytes[7] & 0x7F) << 14 | (bytes[8] & 0x7F) << 7 | (bytes[9] & 0x7F));
        }
        const QByteArray audio = bytes.mid(start);

        int type = -1;
        QVERIFY(!readTags(path, &type).contains(FieldYear)); // the "TAG" bytes hold no year
        QCOMPARE(type, format == "mp3" ? int(FileMp3) : int(FileAac));
        QCOMPARE(editTags(path, [](IAudioTagFile* file) { file->clearAll(); }), 0);
        QCOMPARE(readFile(path), bytes);

        const QMap<int, QString> fields = sampleFields(format, "one");
        writeTwiceAlike(path, fields, {});
        QCOMPARE(independentTags(path).value("title").toString(), fields.value(FieldTitle));
        QVERIFY(readFile(path).endsWith(audio));
        const QString title("v1 title");
        QCOMPARE(editTags(path,
                          [&title](IAudioTagFile* file) {
                              file->addItem(SlotId3v1, FieldTitle, TagValueText, title.size() * 2, title.utf16());
                          }),
                 0);
        bytes = readFile(path);
        QCOMPARE(bytes.right(128).left(11), QByteArray("TAGv1 title"));
        QVERIFY(bytes.left(bytes.size() - 128).endsWith(audio));
        QCOMPARE(editTags(path, [](IAudioTagFile* file) { file->clearSlot(SlotId3v1); }), 0);
        QVERIFY(readFile(path).endsWith(audio));
        QCOMPARE(packetSizes(path), packets);
        QCOMPARE(audioDigest(path), digest);
    }

    // A cover whose image is of a type the tags cannot name (WebP) stays as it was stored,
    // declared type and all, through saves that leave the cover alone (the program's
    // own, which writes back the cover it read, and one that changes only the title);
    // a new cover replaces it.
    void coverOfAnotherTypeStaysAsStored_data() { formatRows({"mp3", "m4a", "wma"}); }

    void coverOfAnotherTypeStaysAsStored() {
        QFETCH(QString, format);
        QTemporaryDir dir;
        const QString path = dir.filePath("fixture." + format);
        QVERIFY(makeFixture(path));
        QByteArray output;
        QCOMPARE(run("/usr/bin/python3",
                     {qEnvironmentVariable("CALVORINE_SOURCE_DIR") + "/tests/tags/tagcheck.py", "webp-cover", path},
                     &output),
                 0);
        const QByteArray stored = QByteArray::fromHex(output.trimmed());
        const QByteArray webp = QByteArray("RIFF\x24\0\0\0WEBPVP8 ", 16) + QByteArray("webp-cover").repeated(40);
        const QString webpSha = QString::fromLatin1(sha1Hex(webp));
        QCOMPARE(readTags(path).value(FieldPicture), webpSha);

        const QString title("new title");
        QCOMPARE(editTags(path,
                          [&title](IAudioTagFile* file) {
                              file->removeByField(FieldTitle);
                              file->addItem(-1, FieldTitle, TagValueText, title.size() * 2, title.utf16());
                          }),
                 0);
        QVERIFY(readFile(path).contains(stored));
        QJsonObject theirs = independentTags(path);
        QCOMPARE(theirs.value("cover").toString(), webpSha);
        QCOMPARE(theirs.value("title").toString(), title);

        const QMap<int, QString> fields = sampleFields(format, "one");
        writeTwiceAlike(path, fields, webp);
        QVERIFY(readFile(path).contains(stored));
        QCOMPARE(readTags(path).value(FieldPicture), webpSha);
        theirs = independentTags(path);
        QCOMPARE(theirs.value("cover").toString(), webpSha);
        QCOMPARE(theirs.value("pictures").toInt(), 1);
        QCOMPARE(theirs.value("title").toString(), fields.value(FieldTitle));

        const QByteArray cover = makeCover(dir.path());
        QCOMPARE(writeTags(path, fields, cover), 0);
        QVERIFY(!readFile(path).contains("webp-cover"));
        QCOMPARE(independentTags(path).value("cover").toString(), QString::fromLatin1(sha1Hex(cover)));
    }

    // Pictures beyond the cover: an image the tags can hold goes when the cover is cleared
    // (it would read back as the cover, to be dropped by the next save); one they cannot
    // hold (TIFF) is never the cover and stays as it was. Two saves give the same bytes.
    void flacPicturesBeyondTheCoverSaveStably() {
        QTemporaryDir dir;
        const QString path = dir.filePath("fixture.flac");
        QVERIFY(makeFixture(path));
        const QByteArray digest = audioDigest(path);
        QCOMPARE(runChecker({"flac-pictures", path}), 0);
        QCOMPARE(independentTags(path).value("pictures").toInt(), 3);
        const QString tiff = QString::fromLatin1(sha1Hex(QByteArray("II*\0", 4) + QByteArray("leaflet").repeated(50)));

        const QMap<int, QString> fields = sampleFields("flac", "one");
        writeTwiceAlike(path, fields, {});
        QVERIFY(!readTags(path).contains(FieldPicture));
        QJsonObject theirs = independentTags(path);
        QCOMPARE(theirs.value("pictures").toInt(), 1);
        QCOMPARE(theirs.value("cover").toString(), tiff);
        QCOMPARE(theirs.value("title").toString(), fields.value(FieldTitle));
        QCOMPARE(audioDigest(path), digest);
        verifyStreamValid(path);

        // A new cover goes in front of the TIFF.
        const QByteArray cover = makeCover(dir.path());
        QCOMPARE(writeTags(path, fields, cover), 0);
        verifyFields(path, "flac", fields, cover);
        QCOMPARE(independentTags(path).value("pictures").toInt(), 2);
    }

    void oddMp4UdtaSavesStably_data() {
        QTest::addColumn<QString>("damage");
        QTest::newRow("udta longer than moov") << "long udta";
        QTest::newRow("atom sized to the end of udta") << "sized to end";
        QTest::newRow("a second title atom in udta") << "second title";
        QTest::newRow("a second udta") << "second udta";
    }

    // MP4 files with odd udta contents: what was written reads back, a second save of the
    // same tags changes no byte, and tags cleared stay cleared.
    void oddMp4UdtaSavesStably() {
        QFETCH(QString, damage);
        QTemporaryDir dir;
        const QString path = dir.filePath("fixture.m4a");
        // Bit-exact: no encoder item, so the udta holds nothing but the title.
        QVERIFY(run("ffmpeg", {"-v", "error", "-f", "lavfi", "-i", "sine=duration=2", "-fflags", "+bitexact",
                               "-flags:a", "+bitexact", "-metadata", "title=Old title", path}) == 0);
        const QByteArray digest = audioDigest(path);
        QByteArray bytes = readFile(path);
        auto be32 = [&bytes](int at) {
            return int((quint8(bytes[at]) << 24) | (quint8(bytes[at + 1]) << 16) | (quint8(bytes[at + 2]) << 8) |
                       quint8(bytes[at + 3]));
        };
        auto grow = [&bytes, &be32](int at, int by) {
            const int size = be32(at) + by;
            for (int i = 0; i < 4; ++i) {
                bytes[at + i] = char(size >> (24 - 8 * i));
            }
        };
        // ffmpeg ends the file with moov and moov with udta: what is added to either goes
        // at the end of the file.
        const int moov = bytes.indexOf("moov") - 4;
        const int udta = bytes.indexOf("udta") - 4;
        QVERIFY(moov > 0 && udta > moov);
        QCOMPARE(moov + be32(moov), int(bytes.size()));
        QCOMPARE(udta + be32(udta), int(bytes.size()));
        // A QuickTime title atom: size, name, text length, language, text.
        const QByteArray staleTitle("\0\0\0\x15\xA9nam\0\x09\x55\xC4Stale one", 21);
        if (damage == "long udta") {
            grow(udta, 64);
        } else if (damage == "sized to end") {
            bytes.append(QByteArray("\0\0\0\0xtra\1\2\3\4", 12));
            grow(udta, 12);
            grow(moov, 12);
        } else if (damage == "second title") {
            bytes.append(staleTitle);
            grow(udta, staleTitle.size());
            grow(moov, staleTitle.size());
        } else {
            bytes.append(QByteArray("\0\0\0\x1dudta", 8) + staleTitle);
            grow(moov, 8 + staleTitle.size());
        }
        QVERIFY(writeFile(path, bytes));

        const QMap<int, QString> fields = sampleFields("m4a", "new");
        const QByteArray cover = makeCover(dir.path());
        for (const bool withTags : {true, false}) {
            const QMap<int, QString> written = withTags ? fields : QMap<int, QString>();
            writeTwiceAlike(path, written, withTags ? cover : QByteArray());
            if (withTags) {
                verifyFields(path, "m4a", fields, cover);
            } else {
                QVERIFY(readTags(path).isEmpty());
            }
            QCOMPARE(audioDigest(path), digest);
        }
    }

    // A genre keeps what reading shows of it. Reading rewrites genre references, so one
    // that holds what still reads as a reference, such as "(17)" read from "((17)", is
    // stored in a form that reads back as itself, and saves again byte for byte; plain
    // genres are stored as they are, for every reader.
    void genreReadsBackAsWritten() {
        QTemporaryDir dir;
        for (const QString format : {"mp3", "flac", "m4a", "ogg", "wma", "ape", "wav"}) {
            const QString path = dir.filePath("fixture." + format);
            QVERIFY(makeFixture(path));
            QMap<int, QString> fields{{FieldTitle, "Title"}, {FieldGenre, "((17)  "}};
            writeTwiceAlike(path, fields, {});
            QCOMPARE(readTags(path).value(FieldGenre), QString("(17) "));
            // Editing another field keeps the genre as it reads.
            IAudioTagFile* file = createAudioTagFile();
            const std::u16string name = utf16Path(path);
            QCOMPARE(file->open(name.c_str()), 0);
            const QString title("Other title");
            QCOMPARE(file->setItemsByField(FieldTitle, -1, FieldTitle, TagValueText, title.size() * 2, title.utf16()),
                     0);
            QCOMPARE(file->save(), 0);
            file->close();
            releaseAudioTagFile(file);
            QCOMPARE(readTags(path).value(FieldTitle), title);
            QCOMPARE(readTags(path).value(FieldGenre), QString("(17) "));

            for (const QString genre : {"(Demo", "Hip Hop/Rap"}) {
                fields[FieldGenre] = genre;
                QCOMPARE(writeTags(path, fields, {}), 0);
                QCOMPARE(readTags(path).value(FieldGenre), genre);
                QCOMPARE(independentTags(path).value("genre").toString(), genre);
            }
        }
    }

    void secondValuesGoWithTheirField_data() { formatRows({"flac", "ogg", "wma"}); }

    // A file with two genres and two albums (mutagen writes them: in WMA the second genre
    // in the Metadata Library): setting the fields leaves the new value alone, clearing
    // them leaves none that could come back, two saves give the same bytes, and what the
    // library does not model stays.
    void secondValuesGoWithTheirField() {
        QFETCH(QString, format);
        QTemporaryDir dir;
        const QString path = dir.filePath("fixture." + format);
        QVERIFY(makeFixture(path));
        QVERIFY(enrichFixture(path));
        QCOMPARE(runChecker({"two-values", path}), 0);
        QJsonObject theirs = independentTags(path);
        QCOMPARE(theirs.value("genres").toArray(), QJsonArray({"Rock", "Pop"}));
        QCOMPARE(theirs.value("albums").toArray(), QJsonArray({"Old album", "Second album"}));
        const QJsonArray extras = theirs.value("extra").toArray();
        QVERIFY(!extras.isEmpty());
        // (Which one is read depends on where the format keeps the second.)
        QVERIFY(theirs.value("genres").toArray().contains(readTags(path).value(FieldGenre)));

        QMap<int, QString> fields{{FieldTitle, "Title"}, {FieldGenre, "Jazz"}, {FieldAlbum, "New album"}};
        writeTwiceAlike(path, fields, {});
        theirs = independentTags(path);
        QCOMPARE(theirs.value("genres").toArray(), QJsonArray({"Jazz"}));
        QCOMPARE(theirs.value("albums").toArray(), QJsonArray({"New album"}));
        QCOMPARE(theirs.value("extra").toArray(), extras);

        QCOMPARE(runChecker({"two-values", path}), 0);
        fields.remove(FieldGenre);
        fields.remove(FieldAlbum);
        writeTwiceAlike(path, fields, {});
        theirs = independentTags(path);
        QCOMPARE(theirs.value("genres").toArray(), QJsonArray());
        QCOMPARE(theirs.value("albums").toArray(), QJsonArray());
        QCOMPARE(theirs.value("extra").toArray(), extras);
        const QMap<int, QString> ours = readTags(path);
        QVERIFY(!ours.contains(FieldGenre) && !ours.contains(FieldAlbum));
        QCOMPARE(ours.value(FieldTitle), QString("Title"));
        verifyStreamValid(path);
    }

    // A FLAC stream whose last 128 bytes begin with "TAG" by chance (noise coded as it is,
    // with "TAG" in its last samples): they are audio, not an ID3v1 block. Clearing the
    // tags keeps them, writing tags twice gives the same bytes and the same audio.
    void flacEndingInTagKeepsItsAudio() {
        QTemporaryDir dir;
        const QString wave = dir.filePath("noise.wav");
        const QString path = dir.filePath("noise.flac");
        // Mono 16-bit: a verbatim frame holds each sample big-endian, then its CRC-16, so
        // the 63rd sample from the end starts 128 bytes before the file's end.
        const int samples = 5000;
        QByteArray pcm(samples * 2, '\0');
        quint32 state = 777;
        for (int i = 0; i < samples; ++i) {
            state = state * 1103515245u + 12345u;
            pcm[2 * i] = char(state >> 16);
            pcm[2 * i + 1] = char(state >> 24);
        }
        pcm[2 * (samples - 63)] = 'A'; // little-endian in the WAVE: "TA" big-endian
        pcm[2 * (samples - 63) + 1] = 'T';
        pcm[2 * (samples - 62) + 1] = 'G';
        auto le32 = [](quint32 v) { return littleEndian(v, 4); };
        const QByteArray header = QByteArray("RIFF") + le32(36 + pcm.size()) + "WAVEfmt " + le32(16) +
                                  QByteArray("\x01\0\x01\0", 4) + le32(44100) + le32(88200) +
                                  QByteArray("\x02\0\x10\0", 4) + "data" + le32(pcm.size());
        QVERIFY(writeFile(wave, header + pcm));
        QCOMPARE(run("flac", {"-s", "-f", "--no-padding", "--disable-constant-subframes", "--disable-fixed-subframes",
                              "--max-lpc-order=0", "-o", path, wave}),
                 0);
        QByteArray bytes = readFile(path);
        QCOMPARE(bytes.right(128).left(3), QByteArray("TAG"));
        verifyStreamValid(path);
        const QByteArray digest = audioDigest(path);
        const QByteArray frames = bytes.right(4096);

        int type = -1;
        QVERIFY(readTags(path, &type).isEmpty());
        QCOMPARE(type, int(FileFlac));
        QCOMPARE(editTags(path, [](IAudioTagFile* file) { file->clearAll(); }), 0);
        QVERIFY(readFile(path).endsWith(frames));
        const QMap<int, QString> fields = sampleFields("flac", "one");
        writeTwiceAlike(path, fields, {});
        QVERIFY(readFile(path).endsWith(frames));
        QCOMPARE(independentTags(path).value("title").toString(), fields.value(FieldTitle));
        QCOMPARE(audioDigest(path), digest);
        verifyStreamValid(path);
    }

    void fragmentedMp4KeepsItsIndexes_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("make");
        const QStringList sine{"-v", "error", "-f", "lavfi", "-i", "sine=duration=3"};
        const QStringList picture{
            "-v", "error", "-f",       "lavfi",           "-i",   "testsrc=duration=3:size=160x120:rate=10",
            "-f", "lavfi", "-i",       "sine=duration=3", "-c:v", "libx264",
            "-g", "10",    "-shortest"};
        // The program's own recordings: its recorder's M4A (sound alone) and MP4.
        QTest::newRow("recorded m4a") << "recording.m4a" << QStringList{"record", "m4a"};
        QTest::newRow("recorded mp4") << "recording.mp4" << QStringList{"record", "mp4"};
        // The recorder's flags, and fragments whose tfhd holds an absolute base offset.
        QTest::newRow("ffmpeg, base in moof")
            << "flags.m4a"
            << sine +
                   QStringList{"-movflags", "+frag_keyframe+empty_moov+default_base_moof", "-frag_duration", "500000"};
        QTest::newRow("ffmpeg, absolute bases")
            << "bases.m4a" << sine + QStringList{"-movflags", "frag_keyframe+empty_moov", "-frag_duration", "200000"};
        QTest::newRow("ffmpeg, sidx behind moov")
            << "sidx.mp4" << picture + QStringList{"-movflags", "+dash+global_sidx"};
        QTest::newRow("sidx in front of moov")
            << "early sidx.mp4" << picture + QStringList{"-movflags", "+dash+global_sidx", "sidx first"};
    }

    // Fragmented MP4 files, the program's recordings among them, take tags that grow and
    // shrink moov: afterwards every tfra entry and sidx reference lands on its box, every
    // explicit tfhd base on its moof, the packets are those of before, and the file
    // plays to its end and seeks without an error.
    void fragmentedMp4KeepsItsIndexes() {
        QFETCH(QString, name);
        QFETCH(QStringList, make);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        if (make.first() == "record") {
            QCOMPARE(run(qEnvironmentVariable("CALVORINE_RECORD_HELPER"), {path, "2", make.last()}), 0);
        } else if (make.last() == "sidx first") {
            make.removeLast();
            QCOMPARE(run("ffmpeg", make << path), 0);
            QVERIFY(writeFile(path, sidxInFrontOfMoov(readFile(path))));
        } else {
            QCOMPARE(run("ffmpeg", make << path), 0);
        }
        const QByteArray packets = packetLayout(path);
        QVERIFY(!packets.isEmpty());
        verifyFragmentIndexes(path);
        const QMap<int, QString> fields = sampleFields("m4a", "one");
        const QByteArray cover = makeCover(dir.path());
        for (const bool withTags : {true, false}) {
            writeTwiceAlike(path, withTags ? fields : QMap<int, QString>(), withTags ? cover : QByteArray());
            if (withTags) {
                verifyFields(path, "m4a", fields, cover);
            } else {
                QVERIFY(readTags(path).isEmpty());
            }
            verifyFragmentIndexes(path);
            QCOMPARE(packetLayout(path), packets);
            QByteArray errors;
            QCOMPARE(run("ffmpeg", {"-v", "error", "-i", path, "-map", "0:a", "-map", "0:V?", "-f", "null", "-"},
                         nullptr, &errors),
                     0);
            QVERIFY2(errors.isEmpty(), errors.constData());
            QCOMPARE(run("ffmpeg",
                         {"-v", "error", "-ss", "1.5", "-i", path, "-map", "0:a", "-map", "0:V?", "-f", "null", "-"},
                         nullptr, &errors),
                     0);
            QVERIFY2(errors.isEmpty(), errors.constData());
        }
    }

    // A file that is not what its extension says is typed by its contents.
    void typesByContentWhenTheExtensionLies() {
        QTemporaryDir dir;
        const QString wav = dir.filePath("fixture.wav");
        QVERIFY(makeFixture(wav));
        const QString named = dir.filePath("really a wave.MP3");
        QVERIFY(QFile::copy(wav, named));
        int type = -2;
        readTags(named, &type);
        QCOMPARE(type, int(FileWav));
        // Ogg without a Vorbis stream, and Ogg FLAC, are not taken as ogg or flac files.
        for (const QString& name : {QString("opus.ogg"), QString("oggflac.flac")}) {
            const QString path = dir.filePath(name);
            QVERIFY(run("ffmpeg", {"-v", "error", "-f", "lavfi", "-i", "sine=duration=1", "-c:a",
                                   name.startsWith("opus") ? "libopus" : "flac", "-f", "ogg", path}) == 0);
            readTags(path, &type);
            QCOMPARE(type, -1);
        }
        const QString garbage = dir.filePath("noise.mp3");
        QVERIFY(writeFile(garbage, bigCover(5000)));
        IAudioTagFile* file = createAudioTagFile();
        const std::u16string name = utf16Path(garbage);
        QCOMPARE(file->open(name.c_str()), -1);
        QCOMPARE(file->itemCount(), -1);
        releaseAudioTagFile(file);
    }
};

QTEST_GUILESS_MAIN(TagFilesTest)
#include "tst_tagfiles.moc"
