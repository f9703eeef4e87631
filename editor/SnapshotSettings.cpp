#include "editor/SnapshotSettings.h"

#include "app/AppGlobals.h"
#include "app/ParserXML.h"

#include <QDir>
#include <QDomDocument>
#include <QFile>

namespace {

const QString kRoot = QStringLiteral("ROOTITEM");
const QString kElement = QStringLiteral("Screenshots");
const QString kFormatKey = QStringLiteral("IMG_SUFFIX");
const QString kFolderKey = QStringLiteral("IMG_Folder");

QString defaultFolder() {
    const QString documents = getDocumentsProductDir();
    const QString folder = documents + QStringLiteral("/Converted/Screenshots/");
    if (!QDir().mkpath(folder)) {
        return documents;
    }
    return folder;
}

// The document of the file: parsed; or, when damaged, what could be read of it (the
// damaged file is moved aside as ".bad"); or fresh (root only) when missing. False when
// the file exists but cannot be read.
bool loadSettings(QDomDocument* document, bool* startedAfresh) {
    const QString path = snapshotSettingsPath();
    *startedAfresh = false;
    if (QFile::exists(path) && ParserXML::readXmlDocument(path, document) && !document->documentElement().isNull()) {
        return true;
    }
    if (QFile::exists(path)) {
        // Damaged (or unreadable): set aside as ".bad"; the values read whole go on.
        *document = QDomDocument();
        if (!loadXmlDocument(path, document, XmlSalvage::ReadableValues)) {
            return false;
        }
        if (!document->documentElement().isNull()) {
            *startedAfresh = true;
            return true;
        }
    }
    *startedAfresh = true;
    *document = QDomDocument();
    document->appendChild(document->createElement(kRoot));
    return true;
}

QString readValue(const QString& key, const QString& fallback) {
    QDomDocument document;
    bool fresh = false;
    if (!loadSettings(&document, &fresh)) {
        return fallback;
    }
    QString result = fallback;
    QDomElement element = firstRootChildNamed(document, kElement);
    if (element.isNull()) {
        element = document.createElement(kElement);
        element.setAttribute(key, fallback);
        document.documentElement().appendChild(element);
    } else if (!element.attribute(key).isEmpty()) {
        result = element.attribute(key);
    } else {
        element.setAttribute(key, fallback);
    }
    ParserXML::writeOperateXml(snapshotSettingsPath(), document);
    return result;
}

bool writeValue(const QString& key, const QString& value) {
    const QString path = snapshotSettingsPath();
    if (!QFile::exists(path)) {
        return true; // nothing to store into; the next read creates the file
    }
    QDomDocument document;
    bool fresh = false;
    if (!loadSettings(&document, &fresh)) {
        return false;
    }
    QDomElement element = firstRootChildNamed(document, kElement);
    if (element.isNull()) {
        if (!fresh) {
            return true; // a valid file without the element: nothing is added
        }
        // A damaged file was set aside: the choice starts the new file.
        element = document.createElement(kElement);
        document.documentElement().appendChild(element);
    }
    element.setAttribute(key, value);
    return ParserXML::writeOperateXml(path, document);
}

} // namespace

QString snapshotSettingsPath() {
    return getAppDataProductDir() + QStringLiteral("/VedioEditDefaultSetting.xml");
}

QString readScreenshotFormat() {
    return readValue(kFormatKey, QStringLiteral("JPG"));
}

QString readScreenshotFolder() {
    return readValue(kFolderKey, defaultFolder());
}

bool writeScreenshotFormat(const QString& value) {
    return writeValue(kFormatKey, value);
}

bool writeScreenshotFolder(const QString& value) {
    return writeValue(kFolderKey, value);
}
