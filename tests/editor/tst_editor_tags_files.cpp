// The tags tab over real files: MP3, M4A, FLAC and Ogg Vorbis tagged by ffmpeg and
// mutagen, read by the media-information reader as the editor's loader does, shown field
// by field and saved as the editor saves them (read back by mutagen and ffprobe), and the
// text conversion of tag bytes of unknown encoding.
#include "editor/QAudioTagForm.h"
#include "editor/QVideoEditingSettings.h"
#include "media/RZInfoManager.h"
#include "tests/editor/TabTestSupport.h"
#include "tests/platform/codec/playback_fixtures.h"
#include "tests/support/TestOutput.h"
#include "toolkit/QRZButton.h"
#include "toolkit/QRZComboBox.h"
#include "toolkit/QRZLineEdit.h"
#include "toolkit/QRZTextEdit.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QtTest>

using tabtest::child;

namespace {

// Tags written by mutagen (the system's python, where mutagen lives): ID3 for MP3,
// Vorbis comments and a PNG picture for FLAC.
const char* kMutagenScript = R"(
import sys
from mutagen import id3, flac, oggvorbis
kind, path, cover = sys.argv[1], sys.argv[2], sys.argv[3]
if kind == 'mp3':
    t = id3.ID3()
    t.add(id3.TIT2(encoding=3, text='Evening'))
    t.add(id3.TPE1(encoding=3, text='The Band'))
    t.add(id3.TALB(encoding=3, text='Songs'))
    t.add(id3.TCOM(encoding=3, text='Composer Name'))
    t.add(id3.TIT1(encoding=3, text='Group'))
    t.add(id3.TCOP(encoding=3, text='2016 Someone'))
    t.add(id3.COMM(encoding=3, lang='eng', desc='', text='A comment'))
    t.add(id3.TRCK(encoding=3, text='3\\12'))
    t.add(id3.TPOS(encoding=3, text='1/2'))
    t.add(id3.TDRC(encoding=3, text='2016-05-01'))
    t.add(id3.TCON(encoding=3, text='Jazz'))
    t.save(path)
else:
    f = flac.FLAC(path) if kind == 'flac' else oggvorbis.OggVorbis(path)
    f['title'] = 'Evening'
    f['artist'] = 'The Band'
    f['album'] = 'Songs'
    f['composer'] = 'Composer Name'
    f['grouping'] = 'Group'
    f['copyright'] = '2016 Someone'
    f['comment'] = 'A comment'
    f['tracknumber'] = '3\\12'
    f['discnumber'] = '1/2'
    f['date'] = '2016-05-01'
    f['genre'] = 'Jazz'
    if kind == 'flac':
        p = flac.Picture()
        p.type = 3
        p.mime = 'image/png'
        p.data = open(cover, 'rb').read()
        f.add_picture(p)
    f.save()
)";

// The stored date of the file as mutagen reads it (ID3 TDRC, Vorbis DATE, MP4 day).
const char* kMutagenDate = R"(
import sys, mutagen
tags = mutagen.File(sys.argv[1]).tags
for key in ('TDRC', 'date', 'DATE', '\xa9day'):
    if key in tags:
        value = tags[key]
        print(str(value) if key == 'TDRC' else value[0])
        break
)";

QString storedDate(const QString& path) {
    QProcess mutagen;
    mutagen.start("/usr/bin/python3", {"-c", kMutagenDate, path});
    mutagen.waitForFinished(30000);
    return QString::fromUtf8(mutagen.readAllStandardOutput()).trimmed();
}

// Title and album of a saved file, one a line, as mutagen reads them (WAV: the INFO
// chunk's texts, taken as UTF-8 strictly).
const char* kMutagenTitleAlbum = R"(
import sys, mutagen
from mutagen import _riff, id3
path = sys.argv[1]
if path.endswith('.wav'):
    found = {}
    with open(path, 'rb') as f:
        for chunk in _riff.RiffFile(f).root.subchunks():
            if isinstance(chunk, _riff.RiffListChunk) and chunk.name == 'INFO':
                for item in chunk.subchunks():
                    found[item.id] = item.read().split(b'\0')[0].decode('utf-8')
    print(found.get('INAM', '')); print(found.get('IPRD', ''))
elif path.endswith(('.mp3', '.aac')):
    tags = id3.ID3(path)
    print(tags['TIT2'].text[0]); print(tags['TALB'].text[0])
else:
    tags = mutagen.File(path).tags
    for title, album in (('title', 'album'), ('Title', 'WM/AlbumTitle'), ('\xa9nam', '\xa9alb')):
        if title in tags:
            print(tags[title][0]); print(tags[album][0])
            break
)";

QStringList runLines(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(30000);
    return QString::fromUtf8(process.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
}

// A file opened as the editor opens it: its tags read into the settings holder and
// shown in a tags tab.
struct OpenedTags {
    RZInfoManager info;
    QVideoEditingSettings settings;
    QAudioTagForm tab;
    bool open(const QString& path) {
        info.ensureInfo();
        if (!info.open(path)) {
            return false;
        }
        settings.setTags(info.readTags());
        tab.setVideoEditingSettings(&settings);
        tab.show();
        return true;
    }
};

QString text(QWidget* tab, const char* name) {
    return child<QLineEdit>(tab, name)->text();
}

} // namespace

class TestEditorTagsFiles : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void fieldsOfTaggedFiles_data();
    void fieldsOfTaggedFiles();
    void tagTextOfUnknownEncoding();
    void savedTagsReadBackWhole_data();
    void savedTagsReadBackWhole();

private:
    QTemporaryDir m_dir;
    QString m_cover;
};

void TestEditorTagsFiles::initTestCase() {
    QVERIFY(m_dir.isValid());
    m_cover = m_dir.filePath("cover.png");
    QVERIFY(fixtures::makePicture(m_cover, "40x30"));
}

void TestEditorTagsFiles::fieldsOfTaggedFiles_data() {
    QTest::addColumn<QString>("kind");
    QTest::newRow("mp3") << "mp3";
    QTest::newRow("m4a") << "m4a";
    QTest::newRow("flac") << "flac";
    QTest::newRow("ogg") << "ogg";
}

void TestEditorTagsFiles::fieldsOfTaggedFiles() {
    QFETCH(QString, kind);
    const QString path = m_dir.filePath("tagged." + kind);
    if (kind == "m4a") {
        QVERIFY(fixtures::makeTone(path, 1.0, {"-c:a",      "aac",
                                               "-metadata", "title=Evening",
                                               "-metadata", "artist=The Band",
                                               "-metadata", "album=Songs",
                                               "-metadata", "composer=Composer Name",
                                               "-metadata", "grouping=Group",
                                               "-metadata", "copyright=2016 Someone",
                                               "-metadata", "comment=A comment",
                                               "-metadata", "track=3/12",
                                               "-metadata", "disc=1/2",
                                               "-metadata", "date=2016-05-01",
                                               "-metadata", "genre=Jazz"}));
    } else {
        const char* codec = kind == "mp3" ? "libmp3lame" : kind == "flac" ? "flac" : "libvorbis";
        QVERIFY(fixtures::makeTone(path, 1.0, {"-c:a", codec}));
        QProcess mutagen;
        mutagen.start("/usr/bin/python3", {"-c", kMutagenScript, kind, path, m_cover});
        QVERIFY(mutagen.waitForFinished(30000));
        QVERIFY2(mutagen.exitCode() == 0, mutagen.readAllStandardError().constData());
    }

    OpenedTags opened;
    QVERIFY(opened.open(path));
    RZInfoManager& info = opened.info;
    QVideoEditingSettings& settings = opened.settings;
    QAudioTagForm& tab = opened.tab;
    QCOMPARE(text(&tab, "m_editTitle"), QStringLiteral("Evening"));
    QCOMPARE(text(&tab, "m_editArtist"), QStringLiteral("The Band"));
    QCOMPARE(text(&tab, "m_editAlbum"), QStringLiteral("Songs"));
    QCOMPARE(text(&tab, "m_editComposer"), QStringLiteral("Composer Name"));
    QCOMPARE(text(&tab, "m_editGrouping"), QStringLiteral("Group"));
    QCOMPARE(text(&tab, "m_editCopyright"), QStringLiteral("2016 Someone"));
    QCOMPARE(child<QRZTextEdit>(&tab, "m_editComments")->textEdit()->toPlainText(), QStringLiteral("A comment"));
    QCOMPARE(text(&tab, "m_editTrack1"), QStringLiteral("3"));
    QCOMPARE(text(&tab, "m_editTrack2"), QStringLiteral("12"));
    QCOMPARE(text(&tab, "m_editDisc1"), QStringLiteral("1"));
    QCOMPARE(text(&tab, "m_editDisc2"), QStringLiteral("2"));
    QCOMPARE(text(&tab, "m_editYear"), QStringLiteral("2016"));
    QCOMPARE(child<QRZComboBox>(&tab, "m_editGenre")->currentText(), QStringLiteral("Jazz"));
    if (kind == "flac") {
        QVERIFY(child<QRZButtonExtend>(&tab, "m_btnTagImg")->hasPicture());
        QVERIFY(!child<QWidget>(&tab, "m_btnDelete")->isHidden());
    }
    VEAudioTagInfo tags;
    settings.getTags(tags);
    QCOMPARE(tags.track, std::string("3/12"));
    QCOMPARE(tags.disc, std::string("1/2"));
    // A look at the tab changes nothing in the file's tags.
    QVERIFY(!tab.isTagsChanged());

    // Another field's edit, saved as the editor saves it, keeps the full date the year
    // edit shows only the year of; a changed year replaces it.
    QCOMPARE(storedDate(path), QStringLiteral("2016-05-01"));
    child<QLineEdit>(&tab, "m_editTitle")->setText("Morning");
    settings.getTags(tags);
    QVERIFY(info.saveTags(tags));
    QCOMPARE(storedDate(path), QStringLiteral("2016-05-01"));
    child<QLineEdit>(&tab, "m_editYear")->setText("2017");
    settings.getTags(tags);
    QVERIFY(info.saveTags(tags));
    QCOMPARE(storedDate(path), QStringLiteral("2017"));
}

void TestEditorTagsFiles::tagTextOfUnknownEncoding() {
    struct Case {
        std::string bytes;
        QString shown;
    } cases[] = {
        {"", QString()},
        {"Caf\xC3\xA9", QStringLiteral("Caf\u00e9")},                 // UTF-8
        {"Caf\xE9", QStringLiteral("Caf\u00e9")},                     // Windows-1252
        {"\x93quoted\x94", QStringLiteral("\u201cquoted\u201d")},     // 1252's own characters
        {"Song \xF0\x9F\x8E\xB5", QStringLiteral("Song \U0001F3B5")}, // an emoji
        {std::string("cut\0here", 8), QStringLiteral("cut")},         // up to the first NUL
    };
    for (const Case& c : cases) {
        QVideoEditingSettings settings;
        VEAudioTagInfo tags;
        tags.title = c.bytes;
        settings.setTags(tags);
        QAudioTagForm tab;
        tab.setVideoEditingSettings(&settings);
        tab.show();
        QCOMPARE(text(&tab, "m_editTitle"), c.shown);
    }
}

void TestEditorTagsFiles::savedTagsReadBackWhole_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("codec");
    QTest::newRow("mp3") << "mp3"
                         << "libmp3lame";
    QTest::newRow("aac") << "aac"
                         << "aac";
    QTest::newRow("m4a") << "m4a"
                         << "aac";
    QTest::newRow("flac") << "flac"
                          << "flac";
    QTest::newRow("ogg") << "ogg"
                         << "libvorbis";
    QTest::newRow("wma") << "wma"
                         << "wmav2";
    QTest::newRow("wav") << "wav"
                         << "pcm_s16le";
}

// Text of any script and a cover, saved as the editor saves them: the file reads back
// with every letter (mutagen, ffprobe and the tab itself), the cover does not turn into
// a comment the user never typed, and a WAV file, which holds no cover, refuses the save
// with the cover and keeps every byte, then takes the text alone.
void TestEditorTagsFiles::savedTagsReadBackWhole() {
    QFETCH(QString, kind);
    QFETCH(QString, codec);
    const QString path = m_dir.filePath("saved." + kind);
    QVERIFY(fixtures::makeTone(path, 1.0, {"-c:a", codec}));
    const QString title = QStringLiteral("\u00dcn\u00efc\u00f8d\u00e9 \u2013 \u65e5\u672c\u8a9e ") + kind;
    const QString album = QStringLiteral("\u00c4lbum \u03a9");
    QFile picture(m_cover);
    QVERIFY(picture.open(QIODevice::ReadOnly));
    const QByteArray cover = picture.readAll();
    QVERIFY(!cover.isEmpty());

    OpenedTags opened;
    QVERIFY(opened.open(path));
    RZInfoManager& info = opened.info;
    QVideoEditingSettings& settings = opened.settings;
    QAudioTagForm& tab = opened.tab;
    child<QLineEdit>(&tab, "m_editTitle")->setText(title);
    child<QLineEdit>(&tab, "m_editAlbum")->setText(album);
    VEAudioTagInfo tags;
    settings.getTags(tags);
    tags.cover_image = cover.toStdString();
    tags.coverSize = cover.size();
    if (kind == "wav") {
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray before = file.readAll();
        file.close();
        QVERIFY(!info.saveTags(tags));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), before);
        file.close();
        tags.cover_image.clear();
        tags.coverSize = 0;
    }
    QVERIFY(info.saveTags(tags));

    QCOMPARE(runLines("/usr/bin/python3", {"-c", kMutagenTitleAlbum, path}), QStringList({title, album}));
    // Ogg keeps the tags on the sound stream, the others in the container.
    const QStringList probed = runLines("ffprobe", {"-v", "error", "-select_streams", "a", "-show_entries",
                                                    "format_tags=title,album:stream_tags=title,album", "-of",
                                                    "default=noprint_wrappers=1:nokey=1", path});
    QVERIFY2(probed.contains(title) && probed.contains(album), qPrintable(probed.join(" | ")));

    OpenedTags reopened;
    QVERIFY(reopened.open(path));
    QAudioTagForm& shown = reopened.tab;
    QCOMPARE(text(&shown, "m_editTitle"), title);
    QCOMPARE(text(&shown, "m_editAlbum"), album);
    QCOMPARE(child<QRZTextEdit>(&shown, "m_editComments")->textEdit()->toPlainText(), QString());
    QCOMPARE(child<QRZButtonExtend>(&shown, "m_btnTagImg")->hasPicture(), kind != "wav");
    shown.resize(720, 420);
    QVERIFY(shown.grab().save(testoutput::pngPath("tags-reopened-" + kind)));
}

QTEST_MAIN(TestEditorTagsFiles)
#include "tst_editor_tags_files.moc"
