#include "app/FormatSettingFile.h"

#include "app/AppGlobals.h"
#include "app/ParserXML.h"

namespace {

const QString kFormatElement = QStringLiteral("FORMAT_");
const QString kFormatId = QStringLiteral("Format_ID");

QDomElement findFormat(const QDomDocument& document, const QString& formatId) {
    for (QDomElement child = document.documentElement().firstChildElement(); !child.isNull();
         child = child.nextSiblingElement()) {
        if (child.attribute(kFormatId) == formatId) {
            return child;
        }
    }
    return QDomElement();
}

bool loadExisting(QDomDocument* document) {
    return loadExistingXmlFile(formatSettingFilePath(), document);
}

// The format's element, added with its id to the root when the file has none yet.
QDomElement findOrAddFormat(QDomDocument* document, const QString& formatId) {
    QDomElement format = findFormat(*document, formatId);
    if (format.isNull()) {
        format = document->createElement(kFormatElement);
        format.setAttribute(kFormatId, formatId);
        document->documentElement().appendChild(format);
    }
    return format;
}

} // namespace

QString formatSettingFilePath() {
    return getAppDataProductDir() + QStringLiteral("/VideoDefaultFormatSetting.xml");
}

std::optional<FormatSetting> readFormatSetting(const QString& formatId) {
    QDomDocument document;
    if (!loadExisting(&document)) {
        return std::nullopt;
    }
    const QDomElement format = findFormat(document, formatId);
    if (format.isNull()) {
        return std::nullopt;
    }
    const QDomElement custom = format.firstChildElement();
    if (custom.isNull()) {
        return std::nullopt;
    }
    FormatSetting setting;
    setting.onlyAudio = custom.attribute(QStringLiteral("OnlyAudio")) == QLatin1String("Y");
    if (!setting.onlyAudio) {
        setting.videoEncoder = custom.attribute(QStringLiteral("V_Encoder"));
        setting.videoResolution = custom.attribute(QStringLiteral("V_Resolution"));
        setting.videoFrameRate = custom.attribute(QStringLiteral("V_FrameRate"));
        setting.videoBitRate = custom.attribute(QStringLiteral("V_BitRate"));
        setting.videoQuality = custom.attribute(QStringLiteral("V_Quality"));
    }
    setting.audioEncoder = custom.attribute(QStringLiteral("A_Encoder"));
    setting.audioChannels = custom.attribute(QStringLiteral("A_Channel"));
    setting.audioSampleRate = custom.attribute(QStringLiteral("A_SampleRate"));
    setting.audioBitRate = custom.attribute(QStringLiteral("A_BitRate"));
    return setting;
}

bool writeFormatSetting(const QString& formatId, const FormatSetting& setting) {
    const QString path = formatSettingFilePath();
    QDomDocument document;
    if (!loadOrCreateXmlFile(path, &document)) {
        return false;
    }
    QDomElement format = findOrAddFormat(&document, formatId);
    QDomElement custom = format.firstChildElement();
    if (custom.isNull()) {
        custom = document.createElement(QStringLiteral("Format_Custom"));
        format.appendChild(custom);
    }
    custom.setAttribute(QStringLiteral("OnlyAudio"), setting.onlyAudio ? QStringLiteral("Y") : QStringLiteral("N"));
    custom.setAttribute(QStringLiteral("V_Encoder"), setting.videoEncoder);
    custom.setAttribute(QStringLiteral("V_Resolution"), setting.videoResolution);
    custom.setAttribute(QStringLiteral("V_FrameRate"), setting.videoFrameRate);
    custom.setAttribute(QStringLiteral("V_BitRate"), setting.videoBitRate);
    custom.setAttribute(QStringLiteral("V_Quality"), setting.videoQuality);
    custom.setAttribute(QStringLiteral("A_Encoder"), setting.audioEncoder);
    custom.setAttribute(QStringLiteral("A_Channel"), setting.audioChannels);
    custom.setAttribute(QStringLiteral("A_SampleRate"), setting.audioSampleRate);
    custom.setAttribute(QStringLiteral("A_BitRate"), setting.audioBitRate);
    return ParserXML::writeOperateXml(path, document);
}

QString readFormatAttribute(const QString& formatId, const QString& key) {
    QDomDocument document;
    if (!loadExisting(&document)) {
        return QString();
    }
    return findFormat(document, formatId).attribute(key);
}

bool writeFormatAttribute(const QString& formatId, const QString& key, const QString& value) {
    // Dropping the value when the format has no element yet would lose a reset's
    // QUALITY_VALUE on a clean file, so the file and the element are created.
    const QString path = formatSettingFilePath();
    QDomDocument document;
    if (!loadOrCreateXmlFile(path, &document)) {
        return false;
    }
    QDomElement format = findOrAddFormat(&document, formatId);
    format.setAttribute(key, value);
    return ParserXML::writeOperateXml(path, document);
}
