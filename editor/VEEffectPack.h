// The editor's add-on packs: folders beside the program holding a config.xml, a
// thumbnail and the files the description names. Video effects and frames carry
// pictures, one per video shape; audio effects carry an equaliser curve and a playing
// rate. Packs are only read. GUI thread only.
#pragma once

#include <QList>
#include <QMap>
#include <QObject>
#include <QString>

#include <cstdint>

// One picture of a pack, as its description names it.
struct VEFrameFile {
    QString FileName; // inside the pack folder
    int32_t Width = 0;
    int32_t Height = 0;
    int32_t Type = 0;
};

struct VEFrameInfo {
    QString Name;
    QList<VEFrameFile> files; // in document order
};

struct VEEffectPack {
    int32_t APPMinVersion = 0; // read, never compared
    int32_t Version = 0;
    QString Name;
    QString Thumbnail; // file name inside the pack folder
    QString folder;    // absolute folder of the config.xml, no trailing separator
    VEFrameInfo frameInfo;
    QMap<double, double> eq; // hertz to decibels, ascending
    int32_t Rate = 100;      // percent

    // folder + "/" + Thumbnail.
    QString thumbnailPath() const;
};

// A new record from the description file, or null when the file is missing, unreadable
// or not XML. `folder` is left empty. The caller owns the record.
VEEffectPack* parseEffectConfig(const QString& path);

// The packs found below one folder, in the order the folder walk met them. Every file
// whose path contains "config.xml" is read (so a "config.xml.bak" is too); files that
// are not descriptions are skipped silently. The scan runs once, in the constructor.
// Owns its records.
class VEEffectPackManager : public QObject {
    Q_OBJECT

public:
    // `folder`: the absolute folder to search; a missing folder gives no packs.
    explicit VEEffectPackManager(const QString& folder, QObject* parent = nullptr);
    ~VEEffectPackManager() override;

    QList<VEEffectPack*> packs() const { return m_packs; }
    // Null when the index lies outside the list.
    VEEffectPack* packAt(int index) const;

private:
    QList<VEEffectPack*> m_packs;
};

// Video effects: the application directory's "/VideoEffects/".
class QVideoEffectManager : public VEEffectPackManager {
    Q_OBJECT
public:
    explicit QVideoEffectManager(QObject* parent = nullptr);
};

// Frames: "/VideoFrames/".
class QFrameChunkManager : public VEEffectPackManager {
    Q_OBJECT
public:
    explicit QFrameChunkManager(QObject* parent = nullptr);
};

// Audio effects: "/AudioEffects/".
class QAudioEffectManager : public VEEffectPackManager {
    Q_OBJECT
public:
    explicit QAudioEffectManager(QObject* parent = nullptr);
};
