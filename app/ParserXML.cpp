#include "app/ParserXML.h"

#include <QDebug>
#include <QFile>
#include <QSaveFile>
#include <QTextStream>

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

bool keepXmlFileAsBad(const QString& path) {
    const QString badPath = path + QStringLiteral(".bad");
    QFile::remove(badPath);
    if (!QFile::rename(path, badPath)) {
        qWarning("loadXmlDocument: could not keep %s as %s", qPrintable(path), qPrintable(badPath));
        return false;
    }
    return true;
}

bool loadXmlDocument(const QString& path, QDomDocument* document) {
    if (document == nullptr) {
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return false;
    }
    QString error;
    int line = 0;
    int column = 0;
    if (document->setContent(&file, false, &error, &line, &column)) {
        return true;
    }
    file.close();
    // Damaged: keep it for the user (and for whoever wants to repair it) rather than
    // silently wiping it, then start afresh.
    const QString badPath = path + QStringLiteral(".bad");
    qWarning("loadXmlDocument: %s is damaged (%s at %d:%d); kept as %s", qPrintable(path), qPrintable(error), line,
             column, qPrintable(badPath));
    keepXmlFileAsBad(path);
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
