#include "app/SettingsFile.h"

#include "app/AppGlobals.h"
#include "app/ParserXML.h"

#include <QFile>

QString settingsFilePath() {
    return getAppDataProductDir() + QStringLiteral("/VideoDefaultSetting.xml");
}

QString readSettingValue(const QString& section, const QString& key, const QString& defaultValue) {
    const QString path = settingsFilePath();
    QDomDocument document;
    if (!loadOrCreateXmlFile(path, &document, XmlSalvage::ReadableValues)) {
        return defaultValue;
    }
    QString result = defaultValue;
    // A missing (or damaged) file or a missing section comes into being here; an unchanged
    // file is not written again (each save reaches the disk).
    bool changed = !QFile::exists(path);
    QDomElement element = firstRootChildNamed(document, section);
    if (element.isNull()) {
        document.documentElement().appendChild(document.createElement(section));
        changed = true;
    } else {
        const QString stored = element.attribute(key);
        if (!stored.isEmpty()) {
            result = stored;
        }
    }
    if (changed) {
        ParserXML::writeOperateXml(path, document);
    }
    return result;
}

bool writeSettingValue(const QString& section, const QString& key, const QString& value) {
    const QString path = settingsFilePath();
    QDomDocument document;
    if (!loadOrCreateXmlFile(path, &document, XmlSalvage::ReadableValues)) {
        return false;
    }
    QDomElement element = firstRootChildNamed(document, section);
    if (element.isNull()) {
        element = document.createElement(section);
        document.documentElement().appendChild(element);
    }
    element.setAttribute(key, value);
    return ParserXML::writeOperateXml(path, document);
}
