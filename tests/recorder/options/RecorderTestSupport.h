// Helpers of the recorder window's tests: values read back from the settings file with
// the DOM rather than the program's own reader, and screenshots kept in the build
// folder's test-output/.
#pragma once

#include "tests/support/TestOutput.h"

#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QImage>
#include <QStandardPaths>
#include <QString>
#include <QWidget>

namespace recordertest {

inline QString dataFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/Calvorine Screen Recorder");
}

// The attribute of a section of "VideoDefaultSetting.xml"; "(none)" when missing.
inline QString storedSetting(const QString& section, const QString& key) {
    QFile file(dataFolder() + QStringLiteral("/VideoDefaultSetting.xml"));
    QDomDocument document;
    if (!file.open(QIODevice::ReadOnly) || !document.setContent(&file))
        return QStringLiteral("(none)");
    const QDomElement element = document.documentElement().firstChildElement(section);
    if (element.isNull() || !element.hasAttribute(key))
        return QStringLiteral("(none)");
    return element.attribute(key);
}

inline QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

// The widget as drawn, kept as test-output/<name>.png.
inline QImage keepShot(QWidget* widget, const QString& name) {
    const QImage shot = widget->grab().toImage();
    shot.save(testoutput::pngPath(name));
    return shot;
}

} // namespace recordertest
