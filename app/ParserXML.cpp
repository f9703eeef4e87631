#include "app/ParserXML.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSet>
#include <QStringList>
#include <QTextStream>
#include <QXmlStreamReader>

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

const QString kRootName = QStringLiteral("ROOTITEM");

// Files found unreadable in this run, each told once; damaged files set aside, each told
// once; and the ones who tell the user.
struct TroubledFiles {
    QSet<QString> unreadable;
    QStringList unreadableUntold;
    std::function<void(const QString&)> tellUnreadable;
    QList<QPair<QString, QString>> damagedUntold;
    std::function<void(const QString&, const QString&)> tellDamaged;
};

TroubledFiles& troubledFiles() {
    static TroubledFiles files;
    return files;
}

void noteUnreadable(const QString& path, const QString& why) {
    TroubledFiles& files = troubledFiles();
    if (files.unreadable.contains(path)) {
        return;
    }
    qWarning("loadXmlDocument: %s cannot be read (%s); it is left as it is", qPrintable(path), qPrintable(why));
    files.unreadable.insert(path);
    if (files.tellUnreadable) {
        files.tellUnreadable(path);
    } else {
        files.unreadableUntold.append(path);
    }
}

void noteDamaged(const QString& path, const QString& keptAs) {
    TroubledFiles& files = troubledFiles();
    if (files.tellDamaged) {
        files.tellDamaged(path, keptAs);
    } else {
        files.damagedUntold.append({path, keptAs});
    }
}

// Reads the elements under the root of a damaged file's text, one piece of the text at a
// time, and adds each one read whole (or, for independent values, what was read of a
// broken one) to the salvaged document's root.
class SalvageReader {
public:
    SalvageReader(XmlSalvage salvage, QDomDocument* document)
        : m_salvage(salvage), m_document(document), m_root(document->documentElement()) {}

    // Reads `piece` up to its end, its root's end or the first damage. A piece that is
    // not the text's start begins with an element under the root, and is read as if the
    // root's start tag stood before it.
    void read(const QString& piece, bool atTextStart);

private:
    QDomElement readPartialStartTag(const QString& raw);
    QDomElement elementOf(const QXmlStreamReader& reader);

    const XmlSalvage m_salvage;
    QDomDocument* const m_document;
    QDomElement m_root;
};

void SalvageReader::read(const QString& piece, bool atTextStart) {
    QXmlStreamReader reader(atTextStart ? piece : QStringLiteral("<%1>").arg(kRootName) + piece);
    int depth = 0;
    int wholeRead = 0;
    QDomElement entry; // the element under the root being read
    QDomElement open;  // the innermost element being read within it
    while (!reader.atEnd()) {
        const QXmlStreamReader::TokenType token = reader.readNext();
        if (reader.hasError()) {
            break;
        }
        if (token == QXmlStreamReader::StartElement) {
            if (++depth == 1) {
                continue; // the root
            }
            QDomElement element = elementOf(reader);
            if (depth == 2) {
                entry = element;
            } else {
                open.appendChild(element);
            }
            open = element;
        } else if (token == QXmlStreamReader::EndElement) {
            if (--depth == 0) {
                return; // the root's end
            }
            if (depth == 1) {
                m_root.appendChild(entry);
                entry = QDomElement();
                ++wholeRead;
            } else {
                open = open.parentNode().toElement();
            }
        } else if (token == QXmlStreamReader::Characters && depth >= 2 && !reader.isWhitespace()) {
            open.appendChild(reader.isCDATA() ? QDomNode(m_document->createCDATASection(reader.text().toString()))
                                              : QDomNode(m_document->createTextNode(reader.text().toString())));
        }
    }
    if (m_salvage != XmlSalvage::ReadableValues) {
        return;
    }
    // For independent values, the broken element keeps the attributes read whole: those
    // of its start tag when that was read (its content is dropped), else those read whole
    // from its start tag, cut short or broken, at the piece's start.
    QDomElement kept;
    if (depth >= 2) {
        kept = entry.cloneNode(false).toElement();
    } else if (!atTextStart && wholeRead == 0) {
        // A start tag holds no "<": it ends before the next one at the latest.
        kept = readPartialStartTag(piece.left(piece.indexOf(QLatin1Char('<'), 1)));
    }
    if (!kept.isNull() && kept.hasAttributes()) {
        m_root.appendChild(kept);
    }
}

QDomElement SalvageReader::elementOf(const QXmlStreamReader& reader) {
    QDomElement element = m_document->createElement(reader.qualifiedName().toString());
    for (const QXmlStreamAttribute& attribute : reader.attributes()) {
        element.setAttribute(attribute.qualifiedName().toString(), attribute.value().toString());
    }
    return element;
}

// The element of the start tag `raw` with the attributes read whole before the point
// where it was cut or broken: the longest part of it that ends with a quote and, closed,
// reads as a start tag. A null element when there is none.
QDomElement SalvageReader::readPartialStartTag(const QString& raw) {
    for (int quote = raw.size() - 1; quote > 0; --quote) {
        if (raw.at(quote) != QLatin1Char('"') && raw.at(quote) != QLatin1Char('\'')) {
            continue;
        }
        QXmlStreamReader reader(raw.left(quote + 1) + QStringLiteral("/>"));
        while (!reader.atEnd() && !reader.isStartElement()) {
            reader.readNext();
        }
        if (!reader.hasError() && reader.isStartElement()) {
            return elementOf(reader);
        }
    }
    return QDomElement();
}

} // namespace

void setUnreadableXmlFileHandler(std::function<void(const QString&)> tell) {
    TroubledFiles& files = troubledFiles();
    files.tellUnreadable = std::move(tell);
    if (!files.tellUnreadable) {
        return;
    }
    const QStringList untold = std::exchange(files.unreadableUntold, QStringList());
    for (const QString& path : untold) {
        files.tellUnreadable(path);
    }
}

void setDamagedXmlFileHandler(std::function<void(const QString&, const QString&)> tell) {
    TroubledFiles& files = troubledFiles();
    files.tellDamaged = std::move(tell);
    if (!files.tellDamaged) {
        return;
    }
    const QList<QPair<QString, QString>> untold = std::exchange(files.damagedUntold, {});
    for (const auto& damaged : untold) {
        files.tellDamaged(damaged.first, damaged.second);
    }
}

bool keepXmlFileAsBad(const QString& path, QString* keptAs) {
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
    if (keptAs != nullptr) {
        *keptAs = badPath;
    }
    return true;
}

int salvageXmlText(const QString& text, XmlSalvage salvage, QDomDocument* document) {
    document->clear();
    document->appendChild(document->createElement(kRootName));
    // The files are written four spaces in per level: each element under the root begins
    // a line after four spaces (values never hold a raw "<", nor a line break). The text
    // is read in pieces from each such start to the next, so that damage in one element
    // reaches no other.
    static const QRegularExpression elementStart(QStringLiteral("(?<=\\n    )<(?=[\\p{L}_:])"));
    const QString body = text.startsWith(QChar(0xFEFF)) ? text.mid(1) : text;
    SalvageReader reader(salvage, document);
    int pieceStart = 0;
    QRegularExpressionMatchIterator starts = elementStart.globalMatch(body);
    while (pieceStart < body.size()) {
        const int next = starts.hasNext() ? starts.next().capturedStart() : body.size();
        reader.read(body.mid(pieceStart, next - pieceStart), pieceStart == 0);
        pieceStart = next;
    }
    return document->documentElement().childNodes().count();
}

bool loadXmlDocument(const QString& path, QDomDocument* document, XmlSalvage salvage) {
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
    // Damaged: kept for the user (and for whoever wants to repair it) rather than
    // silently wiped; what can still be read from it goes on.
    qWarning("loadXmlDocument: %s does not parse (%s at %d:%d)", qPrintable(path), qPrintable(error), line, column);
    QDomDocument salvaged;
    // All of it: QString::fromUtf8(QByteArray) would end at a NUL byte among the garbage.
    const int kept = salvageXmlText(QString::fromUtf8(bytes.constData(), bytes.size()), salvage, &salvaged);
    QString keptAs;
    if (!keepXmlFileAsBad(path, &keptAs)) {
        // Still in its place: a save would write over it.
        return false;
    }
    *document = salvaged;
    qWarning("loadXmlDocument: %d element(s) read from the damaged %s are kept", kept, qPrintable(path));
    // Saved now: an operation that only reads saves nothing, and the next one would find
    // no file.
    if (!ParserXML::writeOperateXml(path, *document)) {
        qWarning("loadXmlDocument: what was read from %s could not be saved; %s keeps all of it", qPrintable(path),
                 qPrintable(keptAs));
    }
    noteDamaged(path, keptAs);
    return true;
}

bool loadExistingXmlFile(const QString& path, QDomDocument* document, XmlSalvage salvage) {
    if (!QFile::exists(path) || !loadXmlDocument(path, document, salvage)) {
        return false;
    }
    if (document->documentElement().isNull()) {
        document->appendChild(document->createElement(kRootName));
    }
    return true;
}

bool loadOrCreateXmlFile(const QString& path, QDomDocument* document, XmlSalvage salvage) {
    if (QFile::exists(path)) {
        return loadExistingXmlFile(path, document, salvage);
    }
    document->appendChild(document->createElement(kRootName));
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
