#include "app/HistoryFile.h"

#include "app/AppGlobals.h"
#include "app/ParserXML.h"

#include <QFileInfo>

namespace {

const QString kPathItem = QStringLiteral("Path_item");
const QString kPathKey = QStringLiteral("Converted_path_");
const QString kInfo = QStringLiteral("CONVERTED_INFO_");

QString yesNo(bool value) {
    return value ? QStringLiteral("Y") : QStringLiteral("N");
}
bool isYes(const QString& text) {
    return text == QLatin1String("Y");
}

QString normalised(QString path) {
    return path.replace(QLatin1Char('\\'), QLatin1Char('/'));
}

// Loads an existing history file; false when it is missing or cannot be opened.
bool loadExisting(QDomDocument* document) {
    return loadExistingXmlFile(historyFilePath(), document);
}

QDomElement findEntry(const QDomDocument& document, const QString& mediaPath) {
    const QString wanted = normalised(mediaPath);
    for (QDomElement child = document.documentElement().firstChildElement(); !child.isNull();
         child = child.nextSiblingElement()) {
        if (child.tagName() == kPathItem && normalised(child.attribute(kPathKey)) == wanted) {
            return child;
        }
    }
    return QDomElement();
}

// The existing history file's entry of the file; a null element when the history file
// or the entry is missing.
QDomElement loadEntry(QDomDocument* document, const QString& mediaPath) {
    if (!loadExisting(document)) {
        return QDomElement();
    }
    return findEntry(*document, mediaPath);
}

void readValues(const QDomElement& info, HistoryXmlItem* item, bool withFormat) {
    item->thumbnailPath = info.attribute(QStringLiteral("Img_path_"));
    item->title = info.attribute(QStringLiteral("Title_"));
    item->resolution = info.attribute(QStringLiteral("Resolutin_"));
    item->duration = info.attribute(QStringLiteral("Time_"));
    item->size = info.attribute(QStringLiteral("Size_"));
    item->creationTime = info.attribute(QStringLiteral("Create_time_"));
    if (withFormat) {
        item->format = info.attribute(QStringLiteral("Format_"));
    }
    item->extension = info.attribute(QStringLiteral("Extend_"));
    item->artist = info.attribute(QStringLiteral("Artist_"));
    item->album = info.attribute(QStringLiteral("Album_"));
    item->genre = info.attribute(QStringLiteral("Genre_"));
    item->preferencePath = info.attribute(QStringLiteral("preferencePath_"));
    item->isVideo = isYes(info.attribute(QStringLiteral("Video_file")));
    item->isNew = isYes(info.attribute(QStringLiteral("New_file")));
}

} // namespace

QString historyFilePath() {
    return getAppDataProductDir() + QStringLiteral("/History.xml");
}

bool addHistoryItem(const HistoryXmlItem& item) {
    const QString path = historyFilePath();
    QDomDocument document;
    if (!loadOrCreateXmlFile(path, &document)) {
        // A history that cannot be read may still be whole (a permission, a failing
        // disk): nothing is written over it, and the entry is not saved.
        return false;
    }
    QDomElement root = document.documentElement();
    // Compared as "/" paths: an entry stored with backslashes is updated, not doubled.
    QDomElement entry = findEntry(document, item.mediaPath);
    if (entry.isNull()) {
        entry = document.createElement(kPathItem);
        entry.setAttribute(kPathKey, item.mediaPath);
        root.appendChild(entry);
    }
    QDomElement info = entry.firstChildElement();
    if (info.isNull()) {
        info = document.createElement(kInfo);
        entry.appendChild(info);
    }
    info.setAttribute(QStringLiteral("Img_path_"), item.thumbnailPath);
    info.setAttribute(QStringLiteral("Title_"), item.title);
    info.setAttribute(QStringLiteral("Resolutin_"), item.resolution);
    info.setAttribute(QStringLiteral("Time_"), item.duration);
    info.setAttribute(QStringLiteral("Size_"), item.size);
    info.setAttribute(QStringLiteral("Create_time_"), item.creationTime);
    info.setAttribute(QStringLiteral("Format_"), item.format);
    info.setAttribute(QStringLiteral("Extend_"), item.extension);
    info.setAttribute(QStringLiteral("Artist_"), item.artist);
    info.setAttribute(QStringLiteral("Album_"), item.album);
    info.setAttribute(QStringLiteral("Genre_"), item.genre);
    info.setAttribute(QStringLiteral("preferencePath_"), item.preferencePath);
    info.setAttribute(QStringLiteral("Video_file"), yesNo(item.isVideo));
    info.setAttribute(QStringLiteral("New_file"), yesNo(item.isNew));
    return ParserXML::writeOperateXml(path, document);
}

std::optional<HistoryXmlItem> findHistoryItem(const QString& mediaPath) {
    QDomDocument document;
    const QDomElement entry = loadEntry(&document, mediaPath);
    if (entry.isNull()) {
        return std::nullopt;
    }
    HistoryXmlItem item;
    item.mediaPath = normalised(mediaPath);
    readValues(entry.firstChildElement(), &item, true);
    return item;
}

QString readHistoryPreferencePath(const QString& mediaPath) {
    QDomDocument document;
    return loadEntry(&document, mediaPath).firstChildElement().attribute(QStringLiteral("preferencePath_"));
}

bool removeHistoryItem(const QString& mediaPath) {
    QDomDocument document;
    QDomElement entry = loadEntry(&document, mediaPath);
    if (entry.isNull()) {
        return true;
    }
    document.documentElement().removeChild(entry);
    return ParserXML::writeOperateXml(historyFilePath(), document);
}

bool renameHistoryItem(const QString& oldMediaPath, const QString& newMediaPath) {
    QDomDocument document;
    QDomElement entry = loadEntry(&document, oldMediaPath);
    if (entry.isNull()) {
        return false;
    }
    entry.setAttribute(kPathKey, newMediaPath);
    return ParserXML::writeOperateXml(historyFilePath(), document);
}

QStringList listHistoryFiles(bool* saved) {
    if (saved != nullptr) {
        *saved = true;
    }
    QStringList files;
    QDomDocument document;
    if (!loadExisting(&document)) {
        return files;
    }
    QDomElement root = document.documentElement();
    bool changed = false;
    QDomElement child = root.firstChildElement();
    while (!child.isNull()) {
        QDomElement next = child.nextSiblingElement();
        const QString mediaPath = normalised(child.attribute(kPathKey));
        if (!mediaPath.isEmpty() && QFileInfo::exists(mediaPath)) {
            files.append(mediaPath);
        } else {
            root.removeChild(child);
            changed = true;
        }
        child = next;
    }
    if (changed && !ParserXML::writeOperateXml(historyFilePath(), document) && saved != nullptr) {
        *saved = false;
    }
    return files;
}

bool readAllHistoryItems(QList<HistoryXmlItem>* items) {
    if (items == nullptr) {
        return true;
    }
    QDomDocument document;
    if (!loadExisting(&document)) {
        return true;
    }
    bool changed = false;
    for (QDomElement child = document.documentElement().firstChildElement(); !child.isNull();
         child = child.nextSiblingElement()) {
        HistoryXmlItem item;
        item.mediaPath = normalised(child.attribute(kPathKey));
        QDomElement info = child.firstChildElement();
        readValues(info, &item, true);
        if (item.isNew) {
            info.setAttribute(QStringLiteral("New_file"), QStringLiteral("N"));
            changed = true;
        }
        items->append(item);
    }
    return !changed || ParserXML::writeOperateXml(historyFilePath(), document);
}
