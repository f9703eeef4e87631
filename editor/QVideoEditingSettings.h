// The one owner of the edit being made in an editor window: a VEEditConfig. Tabs copy a
// part out through a getter, change it and store it back through a setter; each setter
// stores the part and at once hands it to the linked playback controller, so that the
// preview shows the change. The trim range, the crop rectangle and the watermark
// rectangle flow back from the controller when the user changes them on the preview.
// GUI thread, and once the editor's loading thread (setEditConfig) while the GUI thread
// waits in a modal dialog; no lock.
#pragma once

#include "media/VEEditConfig.h"

#include <QList>
#include <QObject>
#include <QPair>
#include <QSize>
#include <QStringList>

#include <cstdint>

class RZPlayerManager;

class QVideoEditingSettings : public QObject {
    Q_OBJECT

public:
    explicit QVideoEditingSettings(QObject* parent = nullptr);
    ~QVideoEditingSettings() override;

    // Links the controller (not owned) and connects its trim, crop, watermark and
    // player-change signals. A null controller is ignored: an earlier link stays.
    void setPlayerManager(RZPlayerManager* manager);
    RZPlayerManager* playerManager() const { return m_manager; }

    // Setters do nothing when handed the holder's own member; pushes happen only while a
    // controller is linked.
    uint64_t getTrimStart() const { return m_config.trimStart; }
    void getAdjust(VEAdjustSettings& out) const { out = m_config.adjust; }
    void setAdjust(const VEAdjustSettings& adjust);
    void getCrop(VECropSettings& out) const { out = m_config.crop; }
    void setCrop(const VECropSettings& crop);
    // The three watermark records: the first two belong to the effect tab (player slots 1
    // and 2), the third to the watermark tab (player slot 0).
    void getWatermark1(VEWatermarkSettings& out) const { out = m_config.watermarks[0]; }
    void setWatermark1(const VEWatermarkSettings& watermark);
    void getWatermark2(VEWatermarkSettings& out) const { out = m_config.watermarks[1]; }
    void setWatermark2(const VEWatermarkSettings& watermark);
    void getWatermark(VEWatermarkSettings& out) const { out = m_config.watermarks[2]; }
    // reload: the player takes the record with its files (and value != 0 reads the
    // placed rectangle back); else only the changed values.
    void setWatermark(const VEWatermarkSettings& watermark, int value, bool reload);
    void getTextStyle(VETextStyle& out) const { out = m_config.subtitleStyle; }
    void setTextStyle(const VETextStyle& style);
    void getSubtitleTrack(VESubtitleTrack& out) const { out = m_config.stream; }
    void setSubtitleTrack(const VESubtitleTrack& track);
    void getAudioSettings(VEAudioSettings& out) const { out = m_config.audio; }
    // withFile: the player also (re)loads the background audio file.
    void setAudioSettings(const VEAudioSettings& audio, bool withFile);
    void getAudioEffect(VEAudioEffect& out) const { out = m_config.audioEffect; }
    void setAudioEffect(const VEAudioEffect& effect);
    void getTags(VEAudioTagInfo& out) const { out = m_config.tags; }
    void setTags(const VEAudioTagInfo& tags);
    void getStringPairs(QList<VEStringPair>& out) const { out = m_config.subtitles; }
    void setStringPairs(const QList<VEStringPair>& pairs);
    // The chapter list; the trim tab writes the whole-file entry back through the setter,
    // which pushes nothing.
    void getChapters(QList<VEChapterInfo>& out) const { out = m_config.chapters; }
    void setChapters(const QList<VEChapterInfo>& chapters);
    void getStringList(QStringList& out) const { out = m_config.audioTrackNames; }
    // The video's size as the editor window recorded it (sourceWidth, sourceHeight).
    QPair<int, int> getTrailingInts() const { return {m_config.sourceWidth, m_config.sourceHeight}; }
    void getEditConfig(VEEditConfig& out) const { out = m_config; }
    // Stores the record whole and pushes every part (applyAll).
    void setEditConfig(const VEEditConfig& config);

    // Answered by the controller; 0 or an empty size while none is linked.
    QSize videoSize() const;
    uint64_t duration() const;
    uint64_t playRangeLength() const;

public slots:
    void trimTimeChange(uint64_t start, uint64_t end);
    void cropAreaChange(VECropSettings crop);
    // Stored as the third watermark record whatever the index.
    void watermarkRectChange(VEWatermarkSettings watermark, int index);
    void playerChange();

private:
    void applyAll();
    void pushAudioEffect();
    void pushSubtitleTrack();

    RZPlayerManager* m_manager = nullptr;
    VEEditConfig m_config;
};
