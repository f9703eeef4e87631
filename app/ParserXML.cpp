#include "app/ParserXML.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>
#include <QStringList>
#include <QTextStream>

#include <utility>

bool ParserXML::writeOperateXml(const QString& path, const QDomDocument& document) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        qWarning("error::ParserXML->writeOperateXml->file.open\n");
        return false;
    }
    QByteArray bytes;
    {
        QTextStream stream(&bytes);
        stream.setCodec("utf-8");
        // The stream is UTF-8; the files carry no XML declaration, which
        // EncodingFromTextStream would add.
        document.save(stream, 4);
        stream.flush();
    }
    // commit() renames whatever reached the temporary file, even when the buffered bytes
    // could not be written: every byte is written and flushed here first.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        qWarning("error::ParserXML->writeOperateXml->file.write: %s", qPrintable(file.errorString()));
        file.cancelWriting();
        return false;
    }
    // commit() flushes to disk and renames over the old file; on any failure (a full disk
    // among them) the old file stays as it was.
    if (!file.commit()) {
        qWarning("error::ParserXML->writeOperateXml->file.commit: %s", qPrintable(file.errorString()));
        return false;
    }
    return true;
}

bool ParserXML::readXmlDocument(const QString& path, QDomDocument* document) {
    if (document == nullptr) {
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return false;
    }
    return document->setContent(&file, false);
}

namespace {

// Files found unreadable in this run, each told once; and the one who tells the user.
struct UnreadableFiles {
    QSet<QString> found;
    QStringList untold;
    std::function<void(const QString&)> tell;
};

UnreadableFiles& unreadableFiles() {
    static UnreadableFiles files;
    return files;
}

void noteUnreadable(const QString& path, const QString& why) {
    UnreadableFiles& files = unreadableFiles();
    if (files.found.contains(path)) {
        return;
    }
    qWarning("loadXmlDocument: %s cannot be read (%s); it is left as it is", qPrintable(path), qPrintable(why));
    files.found.insert(path);
    if (files.tell) {
        files.tell(path);
    } else {
        files.untold.append(path);
    }
}

} // namespace

void setUnreadableXmlFileHandler(std::function<void(const QString&)> tell) {
    UnreadableFiles& files = unreadableFiles();
    files.tell = std::move(tell);
    if (!files.tell) {
        return;
    }
    const QStringList untold = std::exchange(files.untold, QStringList());
    for (const QString& path : untold) {
        files.tell(path);
    }
}

bool keepXmlFileAsBad(const QString& path) {
    // Every damaged copy is kept: History.xml.bad, then History.xml.2.bad, ...
    QString badPath = path + QStringLiteral(".bad");
    for (int n = 2; QFileInfo::exists(badPath) || QFileInfo(badPath).isSymLink(); ++n) {
        badPath = QStringLiteral("%1.%2.bad").arg(path).arg(n);
    }
    if (!QFile::rename(path, badPath)) {
        qWarning("loadXmlDocument: could not keep %s as %s", qPrintable(path), qPrintable(badPath));
        return false;
    }
    qWarning("loadXmlDocument: %s is damaged; kept as %s", qPrintable(path), qPrintable(badPath));
    return true;
}

bool loadXmlDocument(const QString& path, QDomDocument* document) {
    if (document == nullptr) {
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        noteUnreadable(path, file.errorString());
        return false;
    }
    // Read to the end before parsing: a read that fails part way (an I/O error) leaves
    // text that does not parse, and must not be taken for a damaged file. readAll() would
    // hand back the bytes before the error as if they were the whole file.
    QByteArray bytes;
    for (;;) {
        char chunk[16384];
        const qint64 got = file.read(chunk, sizeof chunk);
        if (got < 0) {
            noteUnreadable(path, file.errorString());
            return false;
        }
        if (got == 0) {
            break;
        }
        bytes.append(chunk, int(got));
    }
    file.close();
    QString error;
    int line = 0;
    int column = 0;
    if (document->setContent(bytes, false, &error, &line, &column)) {
        return true;
    }
    // Damaged: keep it for the user (and for whoever wants to repair it) rather than
    // silently wiping it, then start afresh.
    qWarning("loadXmlDocument: %s does not parse (%s at %d:%d)", qPrintable(path), qPrintable(error), line, column);
    if (!keepXmlFileAsBad(path)) {
        // Still in its place: a save would write over it.
        return false;
    }
    document->clear();
    document->appendChild(document->createElement(QStringLiteral("ROOTITEM")));
    return true;
}

bool loadExistingXmlFile(const QString& path, QDomDocument* document) {
    if (!QFile::exists(path) || !loadXmlDocument(path, document)) {
        return false;
    }
    if (document->documentElement().isNull()) {
        document->appendChild(document->createElement(QStringLiteral("ROOTITEM")));
    }
    return true;
}

bool loadOrCreateXmlFile(const QString& path, QDomDocument* document) {
    if (QFile::exists(path)) {
        return loadExistingXmlFile(path, document);
    }
    document->appendChild(document->createElement(QStringLiteral("ROOTITEM")));
    return true;
}

QDomElement firstRootChildNamed(const QDomDocument& document, const QString& name) {
    const QDomElement root = document.documentElement();
    for (QDomElement child = root.firstChildElement(); !child.isNull(); child = child.nextSiblingElement()) {
        if (child.tagName() == name) {
            return child;
        }
    }
    return QDomElement();
}
