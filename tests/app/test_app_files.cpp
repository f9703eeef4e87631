// The settings, history, format-setting and language files: missing file, missing
// section, damaged file (kept as .bad), atomic saves, and their edge cases.
#include "tests/support/PrivateUserFolders.h"

#include "app/AppGlobals.h"
#include "app/FormatSettingFile.h"
#include "app/HistoryFile.h"
#include "app/LanguageFile.h"
#include "app/ParserXML.h"
#include "app/SettingsFile.h"
#include "tests/support/DescriptorPath.h"
#include "tests/support/FileSizeLimit.h"
#include "tests/support/ReadOnlyFile.h"

#include <QtTest>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <sys/syscall.h>
#include <sys/types.h>
#include <unistd.h>

namespace {

// While a ReadsFail lives, reads of its files fail with EIO after their first bytes.
std::atomic<bool> g_readsFail{false};
QStringList g_failingPaths;
long g_bytesBeforeFailure = 0;
QHash<int, long> g_bytesRead; // by descriptor

bool isFailingFile(int fd) {
    return g_failingPaths.contains(QString::fromStdString(descriptors::pathOf(fd)));
}

struct ReadsFail {
    ReadsFail(const QStringList& paths, long bytesBeforeFailure) {
        g_failingPaths = paths;
        g_bytesBeforeFailure = bytesBeforeFailure;
        g_bytesRead.clear();
        g_readsFail = true;
    }
    ~ReadsFail() { g_readsFail = false; }
};

} // namespace

// Every read of the process passes here (the XML files' among them).
extern "C" ssize_t read(int fd, void* buffer, size_t count) {
    if (g_readsFail && isFailingFile(fd)) {
        const long left = g_bytesBeforeFailure - g_bytesRead.value(fd);
        if (left <= 0) {
            errno = EIO;
            return -1;
        }
        const ssize_t got = syscall(SYS_read, fd, buffer, std::min<size_t>(count, size_t(left)));
        if (got > 0) {
            g_bytesRead[fd] += long(got);
        }
        return got;
    }
    return syscall(SYS_read, fd, buffer, count);
}

namespace {

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

QDomDocument parse(const QString& path) {
    QDomDocument document;
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        document.setContent(&file);
    }
    return document;
}

// Hears of the damaged files set aside while it lives: each file's path and where it is
// kept (those of earlier tests, handed over when it begins, are left out).
struct DamagedFilesHeard {
    QStringList told;
    DamagedFilesHeard() {
        setDamagedXmlFileHandler([this](const QString& path, const QString& keptAs) { told << path << keptAs; });
        told.clear();
    }
    ~DamagedFilesHeard() { setDamagedXmlFileHandler({}); }
};

HistoryXmlItem makeItem(const QString& path, const QString& title) {
    HistoryXmlItem item;
    item.mediaPath = path;
    item.thumbnailPath = QStringLiteral("/tmp/thumb.jpg");
    item.title = title;
    item.resolution = QStringLiteral("640*480");
    item.duration = QStringLiteral("00:00:05");
    item.size = QStringLiteral("1.50 MB");
    item.creationTime = QStringLiteral("01-02-2024 10:11");
    item.format = QStringLiteral("MP4");
    item.extension = QStringLiteral("mp4");
    item.artist = QStringLiteral("Artist");
    item.album = QStringLiteral("Album");
    item.genre = QStringLiteral("Genre");
    item.preferencePath = QStringLiteral("/out");
    item.extraText = QStringLiteral("not stored");
    item.isVideo = true;
    item.isNew = true;
    return item;
}

} // namespace

class TestAppFiles : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<PrivateUserFolders> m_folders;

private slots:
    void init() {
        m_folders = std::make_unique<PrivateUserFolders>();
        QVERIFY(m_folders->isValid());
        QCOMPARE(getAppDataProductDir(), m_folders->dataFolder());
    }
    void cleanup() { m_folders.reset(); }

    // ---- settings file ----

    void settingsMissingFileIsCreatedWithTheSection() {
        QVERIFY(!QFile::exists(settingsFilePath()));
        QCOMPARE(readSettingValue("XML_KEEP_SCALE", "KEEP_SCALE", "N"), QString("N"));
        const QDomDocument document = parse(settingsFilePath());
        QCOMPARE(document.documentElement().tagName(), QString("ROOTITEM"));
        const QDomElement section = document.documentElement().firstChildElement();
        QCOMPARE(section.tagName(), QString("XML_KEEP_SCALE"));
        QVERIFY(section.attributes().isEmpty());
        QVERIFY(section.nextSiblingElement().isNull());
    }

    void settingsMissingSectionIsAppended() {
        writeSettingValue("OTOOL_MSG", "Hide_otool_msg", "N");
        QCOMPARE(readSettingValue("CLOSE_ITEM", "bIsCloseDlg", "Y"), QString("Y"));
        const QDomDocument document = parse(settingsFilePath());
        QVERIFY(!firstRootChildNamed(document, "CLOSE_ITEM").isNull());
        QCOMPARE(readSettingValue("OTOOL_MSG", "Hide_otool_msg", "Y"), QString("N"));
    }

    void settingsWriteThenRead() {
        writeSettingValue("SHORTCUT_SET", "Stop_shortcut", "201326592*16777274");
        writeSettingValue("SHORTCUT_SET", "Pause_shortcut", "201326592*16777275");
        QCOMPARE(readSettingValue("SHORTCUT_SET", "Stop_shortcut", ""), QString("201326592*16777274"));
        QCOMPARE(readSettingValue("SHORTCUT_SET", "Pause_shortcut", ""), QString("201326592*16777275"));
        // UTF-8, indent 4, no declaration.
        const QByteArray text = readAll(settingsFilePath());
        QVERIFY(!text.startsWith("<?xml"));
        QVERIFY(text.contains("\n    <SHORTCUT_SET"));
    }

    void settingsReadOfAnExistingSectionLeavesTheFile() {
        QDir().mkpath(m_folders->dataFolder());
        const QByteArray text = "<ROOTITEM><CLOSE_ITEM bIsCloseDlg=\"N\"/></ROOTITEM>";
        writeAll(settingsFilePath(), text);
        QCOMPARE(readSettingValue("CLOSE_ITEM", "bIsCloseDlg", "Y"), QString("N"));
        QCOMPARE(readSettingValue("CLOSE_ITEM", "missing", "x"), QString("x"));
        QCOMPARE(readAll(settingsFilePath()), text);
    }

    void settingsEmptyAttributeReadsAsDefault() {
        writeAll(settingsFilePath(), "<ROOTITEM><UPDATES_ITEM bIsAutoUpdate=\"\"/></ROOTITEM>");
        QCOMPARE(readSettingValue("UPDATES_ITEM", "bIsAutoUpdate", "N"), QString("N"));
    }

    void settingsOnlyFirstOfTwoSectionsIsUsed() {
        writeAll(settingsFilePath(), "<ROOTITEM><A k=\"1\"/><A k=\"2\"/></ROOTITEM>");
        QCOMPARE(readSettingValue("A", "k", "0"), QString("1"));
        writeSettingValue("A", "k", "3");
        const QDomDocument document = parse(settingsFilePath());
        const QDomElement first = document.documentElement().firstChildElement();
        QCOMPARE(first.attribute("k"), QString("3"));
        QCOMPARE(first.nextSiblingElement().attribute("k"), QString("2"));
    }

    // A damaged settings file is kept as .bad; every value that can still be read from it
    // is kept: the sections before the damage, the attributes of the broken section read
    // whole before it, and the sections after it. The user is told once.
    void settingsDamagedFileKeepsReadableValues() {
        DamagedFilesHeard heard;
        QStringList& told = heard.told;
        // The broken section's start tag was read, its end was not.
        QByteArray damaged = "<ROOTITEM><CLOSE_ITEM bIsCloseDlg=\"N\"></ROOT";
        writeAll(settingsFilePath(), damaged);
        QCOMPARE(readSettingValue("CLOSE_ITEM", "bIsCloseDlg", "Y"), QString("N"));
        QCOMPARE(readAll(settingsFilePath() + ".bad"), damaged);
        QCOMPARE(told, QStringList({settingsFilePath(), settingsFilePath() + ".bad"}));
        QVERIFY(firstRootChildNamed(parse(settingsFilePath()), "CLOSE_ITEM").nextSiblingElement().isNull());

        const QList<QStringList> values = {{"CLOSE_ITEM", "bIsCloseDlg", "N"},
                                           {"CURSOR_OPTION", "Cursor_Show_Value", "N"},
                                           {"CURSOR_OPTION", "Cursor_Hight_Index", "3"},
                                           {"CURSOR_OPTION", "Cursor_Hight_Click_Index", "2"},
                                           {"OutPut_path", "path_value", "/home/u/Vidéos & <clips>/"},
                                           {"UPDATES_ITEM", "bIsAutoUpdate", "Y"}};
        QFile::remove(settingsFilePath());
        for (const QStringList& value : values) {
            QVERIFY(writeSettingValue(value[0], value[1], value[2]));
        }
        const QByteArray whole = readAll(settingsFilePath());
        // The attributes of a section are written in no fixed order: the damage lies in
        // the cursor section's last one, and those before it are whole.
        const QStringList cursorKeys = {"Cursor_Show_Value", "Cursor_Hight_Index", "Cursor_Hight_Click_Index"};
        int brokenValue = 0;
        for (const QString& key : cursorKeys) {
            brokenValue = std::max(brokenValue, int(whole.indexOf(key.toUtf8())));
        }
        // Cut short inside the cursor section: what lies before the cut is kept.
        const QByteArray cut = whole.left(brokenValue + 10);
        // Garbage inside the cursor section: the sections after it are kept too.
        QByteArray garbled = whole;
        garbled.replace(brokenValue, 6, QByteArray("\x01<\"&\x02=", 6));
        for (const QByteArray& bytes : {cut, garbled}) {
            told.clear();
            writeAll(settingsFilePath(), bytes);
            QCOMPARE(readSettingValue("CLOSE_ITEM", "bIsCloseDlg", "Y"), QString("N"));
            QCOMPARE(told, QStringList({settingsFilePath(), settingsFilePath() + ".2.bad"}));
            QCOMPARE(readAll(settingsFilePath() + ".2.bad"), bytes);
            QVERIFY(QFile::remove(settingsFilePath() + ".2.bad"));
            for (const QStringList& value : values.mid(1, 3)) {
                const bool read = whole.indexOf(value[1].toUtf8()) < brokenValue;
                QCOMPARE(readSettingValue(value[0], value[1], "-"), read ? value[2] : QString("-"));
            }
            const bool afterKept = bytes == garbled;
            QCOMPARE(readSettingValue("OutPut_path", "path_value", "-"),
                     afterKept ? QString("/home/u/Vidéos & <clips>/") : QString("-"));
            QCOMPARE(readSettingValue("UPDATES_ITEM", "bIsAutoUpdate", "N"), afterKept ? QString("Y") : QString("N"));
            // Read and saved once: the user is told once.
            QCOMPARE(told.size(), 2);
        }
    }

    void settingsEmptyFileIsDamaged() {
        writeAll(settingsFilePath(), "");
        writeSettingValue("CLOSE_ITEM", "bIsCloseDlg", "N");
        QVERIFY(QFile::exists(settingsFilePath() + ".bad"));
        QCOMPARE(readSettingValue("CLOSE_ITEM", "bIsCloseDlg", "Y"), QString("N"));
    }

    void settingsUnreadableFileGivesDefaultsAndIsLeftAlone() {
        if (geteuid() == 0) {
            QSKIP("root reads files without read permission");
        }
        writeAll(settingsFilePath(), "<ROOTITEM><CLOSE_ITEM bIsCloseDlg=\"N\"/></ROOTITEM>");
        QFile::setPermissions(settingsFilePath(), QFile::WriteOwner);
        QCOMPARE(readSettingValue("CLOSE_ITEM", "bIsCloseDlg", "Y"), QString("Y"));
        writeSettingValue("CLOSE_ITEM", "bIsCloseDlg", "Y");
        QFile::setPermissions(settingsFilePath(), QFile::ReadOwner | QFile::WriteOwner);
        QCOMPARE(readSettingValue("CLOSE_ITEM", "bIsCloseDlg", "Y"), QString("N"));
    }

    void saveFailureKeepsOldContent() {
        writeSettingValue("CLOSE_ITEM", "bIsCloseDlg", "N");
        const QByteArray before = readAll(settingsFilePath());
        // A save that cannot complete (here: the folder refuses new files, as a full disk
        // would refuse the bytes) leaves the old file untouched.
        QDomDocument document;
        document.appendChild(document.createElement("ROOTITEM"));
        QVERIFY(!ParserXML::writeOperateXml(m_folders->root() + "/no-such-folder/VideoDefaultSetting.xml", document));
        if (geteuid() != 0) {
            QFile::setPermissions(m_folders->dataFolder(), QFile::ReadOwner | QFile::ExeOwner);
            QVERIFY(!ParserXML::writeOperateXml(settingsFilePath(), document));
            QFile::setPermissions(m_folders->dataFolder(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        QCOMPARE(readAll(settingsFilePath()), before);
    }

    void readXmlDocumentNeverChangesTheFile() {
        const QString path = m_folders->root() + "/edit.xml";
        writeAll(path, "");
        QDomDocument document;
        QVERIFY(!ParserXML::readXmlDocument(path, &document));
        QVERIFY(QFile::exists(path));
        QVERIFY(!QFile::exists(path + ".bad"));
        QVERIFY(!ParserXML::readXmlDocument(m_folders->root() + "/missing.xml", &document));
        writeAll(path, "<ROOTITEM><A/></ROOTITEM>");
        QVERIFY(ParserXML::readXmlDocument(path, &document));
        QCOMPARE(document.documentElement().firstChildElement().tagName(), QString("A"));
    }

    // ---- history file ----

    void historyMissingFile() {
        QVERIFY(!findHistoryItem("/v/a.mp4").has_value());
        QVERIFY(readHistoryPreferencePath("/v/a.mp4").isEmpty());
        QVERIFY(listHistoryFiles().isEmpty());
        QList<HistoryXmlItem> items;
        readAllHistoryItems(&items);
        QVERIFY(items.isEmpty());
        removeHistoryItem("/v/a.mp4");
        renameHistoryItem("/v/a.mp4", "/v/b.mp4");
        QVERIFY(!QFile::exists(historyFilePath()));
        addHistoryItem(makeItem("/v/a.mp4", "A"));
        QVERIFY(QFile::exists(historyFilePath()));
    }

    void historyAddTwiceKeepsOneEntryWithTheSecondValues() {
        addHistoryItem(makeItem("/v/a.mp4", "first"));
        HistoryXmlItem second = makeItem("/v/a.mp4", "second");
        second.isVideo = false;
        addHistoryItem(second);
        const QDomDocument document = parse(historyFilePath());
        const QDomElement entry = document.documentElement().firstChildElement();
        QCOMPARE(entry.tagName(), QString("Path_item"));
        QVERIFY(entry.nextSiblingElement().isNull());
        const QDomElement info = entry.firstChildElement();
        QCOMPARE(info.tagName(), QString("CONVERTED_INFO_"));
        QCOMPARE(info.attribute("Title_"), QString("second"));
        QCOMPARE(info.attribute("Video_file"), QString("N"));
        QCOMPARE(info.attribute("New_file"), QString("Y"));
        QVERIFY(!info.hasAttribute("extraText"));
    }

    void historyFindNormalisesSlashesAndReturnsAValue() {
        addHistoryItem(makeItem("C:\\v\\a.mp4", "A"));
        addHistoryItem(makeItem("/v/b.mp4", "B"));
        const std::optional<HistoryXmlItem> a = findHistoryItem("C:/v/a.mp4");
        QVERIFY(a.has_value());
        QCOMPARE(a->mediaPath, QString("C:/v/a.mp4"));
        QCOMPARE(a->title, QString("A"));
        QCOMPARE(a->format, QString("MP4"));
        QCOMPARE(a->resolution, QString("640*480"));
        QCOMPARE(a->preferencePath, QString("/out"));
        QVERIFY(a->isVideo);
        QVERIFY(a->extraText.isEmpty());
        // A later call does not disturb the earlier result (values, not a shared record).
        const std::optional<HistoryXmlItem> b = findHistoryItem("/v/b.mp4");
        QCOMPARE(b->title, QString("B"));
        QCOMPARE(a->title, QString("A"));
        QCOMPARE(readHistoryPreferencePath("C:/v/a.mp4"), QString("/out"));
        QVERIFY(!findHistoryItem("/v/c.mp4").has_value());
    }

    void historyReadAllClearsNewMarks() {
        addHistoryItem(makeItem("/v/a.mp4", "A"));
        HistoryXmlItem old = makeItem("C:\\v\\b.mp4", "B");
        old.isNew = false;
        addHistoryItem(old);
        QList<HistoryXmlItem> items;
        readAllHistoryItems(&items);
        QCOMPARE(items.size(), 2);
        QCOMPARE(items[0].mediaPath, QString("/v/a.mp4"));
        QVERIFY(items[0].isNew);
        QCOMPARE(items[0].format, QString("MP4")); // the stored format spares the list a probe
        QCOMPARE(items[1].mediaPath, QString("C:/v/b.mp4"));
        QVERIFY(!items[1].isNew);
        QCOMPARE(
            parse(historyFilePath()).documentElement().firstChildElement().firstChildElement().attribute("New_file"),
            QString("N"));
        QList<HistoryXmlItem> again;
        readAllHistoryItems(&again);
        QVERIFY(!again[0].isNew);
    }

    void historyListDropsMissingFiles() {
        const QString existing = m_folders->root() + "/exists.mp4";
        writeAll(existing, "x");
        addHistoryItem(makeItem("/nowhere/a.mp4", "A"));
        addHistoryItem(makeItem(existing, "E"));
        addHistoryItem(makeItem("/nowhere/b.mp4", "B"));
        QCOMPARE(listHistoryFiles(), QStringList{existing});
        QFile::remove(existing);
        QVERIFY(listHistoryFiles().isEmpty());
        const QDomDocument document = parse(historyFilePath());
        QCOMPARE(document.documentElement().tagName(), QString("ROOTITEM"));
        QVERIFY(document.documentElement().firstChildElement().isNull());
    }

    // The tidying saves of a history file that cannot be written say so to the caller;
    // what was read comes all the same, and the file keeps what it held.
    void historyTidyingThatCannotBeSavedSaysSo() {
        const QString existing = m_folders->root() + "/exists.mp4";
        writeAll(existing, "x");
        addHistoryItem(makeItem(existing, "E"));
        addHistoryItem(makeItem("/nowhere/a.mp4", "A"));
        const QByteArray bytes = readAll(historyFilePath());
        {
            ReadOnlyFile readOnly(historyFilePath());
            QVERIFY(readOnly.isReadOnly());
            bool saved = true;
            QCOMPARE(listHistoryFiles(&saved), QStringList{existing});
            QVERIFY(!saved);
            QList<HistoryXmlItem> items;
            QVERIFY(!readAllHistoryItems(&items));
            QCOMPARE(items.size(), 2);
            QVERIFY(items[0].isNew);
            QCOMPARE(readAll(historyFilePath()), bytes);
        }
        bool saved = false;
        QCOMPARE(listHistoryFiles(&saved), QStringList{existing});
        QVERIFY(saved);
        QList<HistoryXmlItem> items;
        QVERIFY(readAllHistoryItems(&items));
        QVERIFY(items[0].isNew);
        // Nothing left to change: nothing to save, and that is no failure.
        QList<HistoryXmlItem> again;
        QVERIFY(readAllHistoryItems(&again));
        QVERIFY(!again[0].isNew);
        QVERIFY(listHistoryFiles(&saved).size() == 1 && saved);
    }

    void historyRemoveAndRename() {
        addHistoryItem(makeItem("/v/a.mp4", "A"));
        addHistoryItem(makeItem("/v/b.mp4", "B"));
        const QDateTime before = QFileInfo(historyFilePath()).lastModified();
        const QByteArray bytes = readAll(historyFilePath());
        QTest::qWait(20);
        renameHistoryItem("/v/none.mp4", "/v/x.mp4");
        QCOMPARE(readAll(historyFilePath()), bytes);
        QCOMPARE(QFileInfo(historyFilePath()).lastModified(), before);
        renameHistoryItem("\\v\\a.mp4", "D:\\w\\c.mp4");
        QVERIFY(!findHistoryItem("/v/a.mp4").has_value());
        QCOMPARE(parse(historyFilePath()).documentElement().firstChildElement().attribute("Converted_path_"),
                 QString("D:\\w\\c.mp4"));
        QCOMPARE(findHistoryItem("D:/w/c.mp4")->title, QString("A"));
        removeHistoryItem("/v/b.mp4");
        QVERIFY(!findHistoryItem("/v/b.mp4").has_value());
        QVERIFY(findHistoryItem("D:/w/c.mp4").has_value());
    }

    void historyDamagedFileIsKeptAsBad() {
        const QByteArray damaged = "<ROOTITEM><Path_item Converted_path_=\"/v/a.mp4\">";
        QDir().mkpath(m_folders->dataFolder());
        writeAll(historyFilePath(), damaged);
        QVERIFY(!findHistoryItem("/v/a.mp4").has_value());
        QCOMPARE(readAll(historyFilePath() + ".bad"), damaged);
        addHistoryItem(makeItem("/v/b.mp4", "B"));
        QCOMPARE(findHistoryItem("/v/b.mp4")->title, QString("B"));
        QCOMPARE(readAll(historyFilePath() + ".bad"), damaged);
        // A second damaged file is kept beside the first, which stays as it was.
        const QByteArray damagedAgain = "<ROOTITEM><Path_item";
        writeAll(historyFilePath(), damagedAgain);
        QVERIFY(addHistoryItem(makeItem("/v/c.mp4", "C")));
        QCOMPARE(readAll(historyFilePath() + ".bad"), damaged);
        QCOMPARE(readAll(historyFilePath() + ".2.bad"), damagedAgain);
        QVERIFY(!findHistoryItem("/v/b.mp4").has_value());
        QCOMPARE(findHistoryItem("/v/c.mp4")->title, QString("C"));
    }

    // A damaged history keeps every entry that can still be read whole, with all its
    // values, in the new file, whatever broke it: cut short (a crash, a full disk), garbage
    // in the middle, an entry's end lost. Only the entries the damage lies in are lost;
    // the damaged file is kept as .bad and the user is told once.
    void historyDamagedFileKeepsItsWholeEntries() {
        QList<HistoryXmlItem> stored;
        for (int i = 0; i < 18; ++i) {
            stored.append(makeItem(QStringLiteral("/v/Clip %1 é€.mp4").arg(i), QStringLiteral("T<%1> & \"ü\"").arg(i)));
            stored.last().isNew = i % 2 == 0;
            QVERIFY(addHistoryItem(stored.last()));
        }
        const QByteArray whole = readAll(historyFilePath());
        // Each entry's bytes, from its line's start to its end tag's end.
        QList<QPair<int, int>> spans;
        for (int start = whole.indexOf("\n    <Path_item"); start >= 0;
             start = whole.indexOf("\n    <Path_item", start + 1)) {
            spans.append({start, whole.indexOf("</Path_item>", start) + int(strlen("</Path_item>"))});
        }
        QCOMPARE(spans.size(), 18);
        QByteArray garbage;
        for (int i = 0; i < 300; ++i) {
            garbage.append(char((i * 37 + 11) & 0xFF));
        }
        const int garbageAt = whole.size() * 2 / 5;
        QByteArray endLost = whole;
        endLost.remove(spans[3].second - int(strlen("</Path_item>")), int(strlen("</Path_item>")));
        struct Damage {
            QByteArray bytes;
            QPair<int, int> broken; // the bytes the damage lies in
        };
        const QList<Damage> damages = {
            {whole.left(whole.size() / 2), {whole.size() / 2, whole.size()}},
            {QByteArray(whole).replace(garbageAt, garbage.size(), garbage), {garbageAt, garbageAt + garbage.size()}},
            {endLost, {spans[3].second - 1, spans[3].second}}};
        for (const Damage& damage : damages) {
            DamagedFilesHeard heard;
            writeAll(historyFilePath(), damage.bytes);
            QList<HistoryXmlItem> read;
            QVERIFY(readAllHistoryItems(&read));
            QList<HistoryXmlItem> expected;
            for (int i = 0; i < 18; ++i) {
                if (spans[i].second <= damage.broken.first || spans[i].first >= damage.broken.second) {
                    expected.append(stored[i]);
                }
            }
            QVERIFY2(expected.size() >= 8 && expected.size() < 18, qPrintable(QString::number(expected.size())));
            QCOMPARE(read.size(), expected.size());
            for (int i = 0; i < read.size(); ++i) {
                QCOMPARE(read[i].mediaPath, expected[i].mediaPath);
                QCOMPARE(read[i].title, expected[i].title);
                QCOMPARE(read[i].isNew, expected[i].isNew);
                QCOMPARE(read[i].creationTime, expected[i].creationTime);
                QCOMPARE(read[i].preferencePath, expected[i].preferencePath);
            }
            QCOMPARE(readAll(historyFilePath() + ".bad"), damage.bytes);
            QCOMPARE(heard.told, QStringList({historyFilePath(), historyFilePath() + ".bad"}));
            // The new file holds them (and their cleared marks); nothing more is told.
            read.clear();
            QVERIFY(readAllHistoryItems(&read));
            QCOMPARE(read.size(), expected.size());
            QVERIFY(std::none_of(read.begin(), read.end(), [](const HistoryXmlItem& item) { return item.isNew; }));
            QCOMPARE(heard.told.size(), 2);
            QVERIFY(QFile::remove(historyFilePath() + ".bad"));
        }
    }

    // A history or settings file that exists but cannot be read (a folder in its place:
    // no open; a disk that fails under it: no read to the end) may still be whole: it is
    // left where it is, nothing is written over it or beside it, and the user is told
    // once per file.
    void unreadableFilesAreLeftAsTheyAreAndToldOnce() {
        QStringList told;
        setUnreadableXmlFileHandler([&told](const QString& path) { told << path; });
        QDir().mkpath(historyFilePath());
        QVERIFY(!addHistoryItem(makeItem("/v/b.mp4", "B")));
        QVERIFY(!findHistoryItem("/v/b.mp4").has_value());
        QVERIFY(listHistoryFiles().isEmpty());
        QVERIFY(QFileInfo(historyFilePath()).isDir());
        QCOMPARE(told, QStringList{historyFilePath()});
        QVERIFY(QDir(historyFilePath()).removeRecursively());

        QVERIFY(writeSettingValue("CLOSE_ITEM", "bIsCloseDlg", "N"));
        QVERIFY(addHistoryItem(makeItem("/v/a.mp4", "A")));
        const QByteArray settings = readAll(settingsFilePath());
        const QByteArray history = readAll(historyFilePath());
        {
            ReadsFail failing({settingsFilePath(), historyFilePath()}, 16);
            QCOMPARE(readSettingValue("CLOSE_ITEM", "bIsCloseDlg", "Y"), QString("Y"));
            QVERIFY(!writeSettingValue("CLOSE_ITEM", "bIsCloseDlg", "Y"));
            QVERIFY(!addHistoryItem(makeItem("/v/b.mp4", "B")));
            QVERIFY(!findHistoryItem("/v/a.mp4").has_value());
        }
        QCOMPARE(readAll(settingsFilePath()), settings);
        QCOMPARE(readAll(historyFilePath()), history);
        QCOMPARE(QDir(m_folders->dataFolder()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot),
                 QStringList({"History.xml", "VideoDefaultSetting.xml"}));
        QCOMPARE(told, QStringList({historyFilePath(), settingsFilePath()}));
        // Readable again, both are whole.
        QCOMPARE(findHistoryItem("/v/a.mp4")->title, QString("A"));
        QCOMPARE(readSettingValue("CLOSE_ITEM", "bIsCloseDlg", "Y"), QString("N"));
        setUnreadableXmlFileHandler({});
    }

    // Every change that could not be saved (here: no file may grow, as on a full disk)
    // says so, and the file keeps its content.
    void savesThatFailAreReported() {
        QVERIFY(addHistoryItem(makeItem("/v/a.mp4", "A")));
        QVERIFY(writeSettingValue("CLOSE_ITEM", "bIsCloseDlg", "N"));
        QVERIFY(writeFormatAttribute("4000", "QUALITY_VALUE", "1"));
        const QByteArray history = readAll(historyFilePath());
        const QByteArray formats = readAll(formatSettingFilePath());
        {
            FileSizeLimit full(0);
            const QRegularExpression failed("writeOperateXml");
            QTest::ignoreMessage(QtWarningMsg, failed);
            QVERIFY(!addHistoryItem(makeItem("/v/b.mp4", "B")));
            QTest::ignoreMessage(QtWarningMsg, failed);
            QVERIFY(!removeHistoryItem("/v/a.mp4"));
            QTest::ignoreMessage(QtWarningMsg, failed);
            QVERIFY(!renameHistoryItem("/v/a.mp4", "/v/c.mp4"));
            QTest::ignoreMessage(QtWarningMsg, failed);
            QVERIFY(!writeSettingValue("CLOSE_ITEM", "bIsCloseDlg", "Y"));
            QTest::ignoreMessage(QtWarningMsg, failed);
            QVERIFY(!writeFormatAttribute("4000", "QUALITY_VALUE", "0"));
            QTest::ignoreMessage(QtWarningMsg, failed);
            QVERIFY(!writeFormatSetting("4000", FormatSetting()));
        }
        QCOMPARE(readAll(historyFilePath()), history);
        QCOMPARE(readAll(formatSettingFilePath()), formats);
        QCOMPARE(readSettingValue("CLOSE_ITEM", "bIsCloseDlg", "Y"), QString("N"));
    }

    // ---- format-setting file ----

    void formatMissingFile() {
        QVERIFY(!readFormatSetting("4000").has_value());
        QVERIFY(readFormatAttribute("4000", "QUALITY_VALUE").isEmpty());
        FormatSetting setting;
        setting.videoEncoder = "H.264";
        setting.videoResolution = "1280*720";
        setting.audioEncoder = "AAC";
        setting.audioChannels = "2";
        writeFormatSetting("4000", setting);
        const QDomDocument document = parse(formatSettingFilePath());
        const QDomElement format = document.documentElement().firstChildElement();
        QCOMPARE(format.tagName(), QString("FORMAT_"));
        QCOMPARE(format.attribute("Format_ID"), QString("4000"));
        QVERIFY(format.nextSiblingElement().isNull());
        QCOMPARE(format.firstChildElement().tagName(), QString("Format_Custom"));
        QVERIFY(format.firstChildElement().nextSiblingElement().isNull());
        const std::optional<FormatSetting> back = readFormatSetting("4000");
        QVERIFY(back.has_value());
        QCOMPARE(back->videoEncoder, QString("H.264"));
        QCOMPARE(back->videoResolution, QString("1280*720"));
        QCOMPARE(back->audioChannels, QString("2"));
        QVERIFY(!back->onlyAudio);
    }

    void formatOnlyAudioReadsEmptyVideoTexts() {
        QDir().mkpath(m_folders->dataFolder());
        writeAll(formatSettingFilePath(),
                 "<ROOTITEM><FORMAT_ Format_ID=\"5000\"><Format_Custom OnlyAudio=\"Y\" V_Encoder=\"H.264\" "
                 "V_BitRate=\"900\" A_Encoder=\"MP3\" A_SampleRate=\"44100\"/></FORMAT_></ROOTITEM>");
        const std::optional<FormatSetting> setting = readFormatSetting("5000");
        QVERIFY(setting.has_value());
        QVERIFY(setting->onlyAudio);
        QVERIFY(setting->videoEncoder.isEmpty());
        QVERIFY(setting->videoBitRate.isEmpty());
        QCOMPARE(setting->audioEncoder, QString("MP3"));
        QCOMPARE(setting->audioSampleRate, QString("44100"));
    }

    void formatAttributes() {
        // A clean file: the attribute is stored with its element (issue 4's reset).
        writeFormatAttribute("4000", "QUALITY_VALUE", "1");
        QCOMPARE(readFormatAttribute("4000", "QUALITY_VALUE"), QString("1"));
        QVERIFY(!readFormatSetting("4000").has_value()); // no Format_Custom yet
        FormatSetting setting;
        setting.videoQuality = "70 %";
        writeFormatSetting("4000", setting);
        writeFormatAttribute("4000", "Video_Quality", "70");
        QCOMPARE(readFormatAttribute("4000", "QUALITY_VALUE"), QString("1"));
        QCOMPARE(readFormatAttribute("4000", "Video_Quality"), QString("70"));
        QCOMPARE(readFormatSetting("4000")->videoQuality, QString("70 %"));
        QVERIFY(readFormatAttribute("4001", "QUALITY_VALUE").isEmpty());
        QVERIFY(readFormatAttribute("4000", "missing").isEmpty());
    }

    void formatMissingSectionAndDamagedFile() {
        writeFormatSetting("4000", FormatSetting());
        QVERIFY(!readFormatSetting("9999").has_value());
        const QByteArray damaged = "<ROOTITEM><FORMAT_ Format_ID=";
        writeAll(formatSettingFilePath(), damaged);
        QVERIFY(!readFormatSetting("4000").has_value());
        QCOMPARE(readAll(formatSettingFilePath() + ".bad"), damaged);
        FormatSetting setting;
        setting.audioBitRate = "192";
        writeFormatSetting("4000", setting);
        QCOMPARE(readFormatSetting("4000")->audioBitRate, QString("192"));
    }

    // ---- language list ----

    void languageList() {
        const QString path = m_folders->root() + "/Language.xml";
        QCOMPARE(readLanguageItem(path, "German").languageFile, QString());
        writeAll(path, "<LANGUAGES><L Language_Name=\"German\" Language_File=\"de1.qm\" Language_Type=\"de\"/>"
                       "<L Language_Name=\"French\" Language_File=\"fr.qm\" Language_Type=\"fr\"/>"
                       "<L Language_Name=\"German\" Language_File=\"de2.qm\" Language_Type=\"de_DE\"/></LANGUAGES>");
        const LanguageItem german = readLanguageItem(path, "German");
        QCOMPARE(german.languageFile, QString("de2.qm"));
        QCOMPARE(german.languageType, QString("de_DE"));
        QCOMPARE(readLanguageItem(path, "French").languageFile, QString("fr.qm"));
        QVERIFY(readLanguageItem(path, "german").languageFile.isEmpty());
        // Shipped data: a damaged list reads as empty and is left where it is.
        writeAll(path, "<LANGUAGES><L");
        QVERIFY(readLanguageItem(path, "German").languageFile.isEmpty());
        QCOMPARE(readAll(path), QByteArray("<LANGUAGES><L"));
    }

    // ---- a process killed during saves ----

    void killedDuringSaveLeavesOldOrNewContent() {
        const QString writer = QCoreApplication::applicationDirPath() + "/app_file_writer";
        QVERIFY2(QFile::exists(writer), qPrintable(writer));
        // Write the files first so there is always an "old" content.
        writeSettingValue("FIRST", "value", "0");
        addHistoryItem(makeItem("/first.mp4", "first"));
        writeFormatSetting("4000", FormatSetting());
        QRandomGenerator random(12345);
        int kills = 0;
        for (int round = 0; round < 25; ++round) {
            QProcess process;
            process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            process.start(writer, QStringList());
            QVERIFY(process.waitForStarted());
            QVERIFY(process.waitForReadyRead(5000)); // it prints once it is saving in a loop
            QTest::qSleep(static_cast<int>(random.bounded(1, 40)));
            ::kill(static_cast<pid_t>(process.processId()), SIGKILL);
            QVERIFY(process.waitForFinished(5000));
            ++kills;
            for (const QString& path : {settingsFilePath(), historyFilePath(), formatSettingFilePath()}) {
                const QByteArray bytes = readAll(path);
                QVERIFY2(!bytes.isEmpty(), qPrintable(path + " is empty after a kill"));
                QDomDocument document;
                QVERIFY2(document.setContent(bytes), qPrintable(path + " is not well-formed after a kill"));
                QCOMPARE(document.documentElement().tagName(), QString("ROOTITEM"));
                QVERIFY(!QFile::exists(path + ".bad"));
            }
            QVERIFY(findHistoryItem("/first.mp4").has_value());
        }
        QCOMPARE(kills, 25);
    }
};

QTEST_GUILESS_MAIN(TestAppFiles)
#include "test_app_files.moc"
