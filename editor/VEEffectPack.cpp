#include "editor/VEEffectPack.h"

#include "app/AppGlobals.h"
#include "app/ParserXML.h"

#include <QDir>
#include <QDirIterator>
#include <QDomDocument>
#include <QDomElement>
#include <QFileInfo>

namespace {

// Missing, empty or not a number: 0.
int32_t intAttribute(const QDomElement& element, const QString& name) {
    return element.attribute(name).trimmed().toInt();
}

double doubleAttribute(const QDomElement& element, const QString& name) {
    return element.attribute(name).trimmed().toDouble();
}

// A later FrameInfo replaces an earlier one whole. Every child yields an entry: one that
// is not an element (a comment) gives an empty name and zeros.
void readFrameInfo(const QDomElement& element, VEFrameInfo* info) {
    info->Name = element.attribute(QStringLiteral("Name"));
    info->files.clear();
    for (QDomNode node = element.firstChild(); !node.isNull(); node = node.nextSibling()) {
        const QDomElement item = node.toElement();
        VEFrameFile file;
        if (!item.isNull()) {
            file.FileName = item.attribute(QStringLiteral("FileName"));
            file.Height = intAttribute(item, QStringLiteral("Height"));
            file.Width = intAttribute(item, QStringLiteral("Width"));
            file.Type = intAttribute(item, QStringLiteral("Type"));
        }
        info->files.append(file);
    }
}

// Points of several EQ elements merge; a repeated frequency keeps the last gain.
void readEqualiser(const QDomElement& element, QMap<double, double>* eq) {
    for (QDomNode node = element.firstChild(); !node.isNull(); node = node.nextSibling()) {
        const QDomElement point = node.toElement();
        eq->insert(doubleAttribute(point, QStringLiteral("hz")), doubleAttribute(point, QStringLiteral("db")));
    }
}

} // namespace

QString VEEffectPack::thumbnailPath() const {
    return QStringLiteral("%1/%2").arg(folder, Thumbnail);
}

VEEffectPack* parseEffectConfig(const QString& path) {
    QDomDocument document;
    if (!QFileInfo(path).isFile() || !ParserXML::readXmlDocument(path, &document)) {
        return nullptr;
    }
    const QDomElement root = document.documentElement();
    if (root.isNull()) {
        return nullptr;
    }
    auto* pack = new VEEffectPack;
    pack->APPMinVersion = intAttribute(root, QStringLiteral("APPMinVersion"));
    pack->Version = intAttribute(root, QStringLiteral("Version"));
    pack->Thumbnail = root.attribute(QStringLiteral("Thumbnail"));
    pack->Name = root.attribute(QStringLiteral("Name"));
    for (QDomNode node = root.firstChild(); !node.isNull(); node = node.nextSibling()) {
        const QDomElement child = node.toElement();
        const QString tag = child.tagName();
        if (tag.isEmpty()) {
            continue;
        }
        if (tag == QLatin1String("FrameInfo")) {
            readFrameInfo(child, &pack->frameInfo);
        } else if (tag == QLatin1String("EQ")) {
            readEqualiser(child, &pack->eq);
        } else if (tag == QLatin1String("Rate")) {
            const QString value = child.attribute(QStringLiteral("Value"));
            if (!value.isEmpty()) {
                pack->Rate = value.trimmed().toInt();
            }
        }
    }
    return pack;
}

VEEffectPackManager::VEEffectPackManager(const QString& folder, QObject* parent) : QObject(parent) {
    if (!QDir(folder).exists()) {
        return;
    }
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (!path.contains(QLatin1String("config.xml"))) {
            continue;
        }
        VEEffectPack* pack = parseEffectConfig(path);
        if (pack) {
            pack->folder = QFileInfo(path).absolutePath();
            m_packs.append(pack);
        }
    }
}

VEEffectPackManager::~VEEffectPackManager() {
    qDeleteAll(m_packs);
    m_packs.clear();
}

VEEffectPack* VEEffectPackManager::packAt(int index) const {
    return index >= 0 && index < m_packs.size() ? m_packs.at(index) : nullptr;
}

QVideoEffectManager::QVideoEffectManager(QObject* parent)
    : VEEffectPackManager(getAppDirPath() + QStringLiteral("/VideoEffects/"), parent) {}

QFrameChunkManager::QFrameChunkManager(QObject* parent)
    : VEEffectPackManager(getAppDirPath() + QStringLiteral("/VideoFrames/"), parent) {}

QAudioEffectManager::QAudioEffectManager(QObject* parent)
    : VEEffectPackManager(getAppDirPath() + QStringLiteral("/AudioEffects/"), parent) {}
