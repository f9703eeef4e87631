#include "editor/QVideoEditingSettings.h"

#include "media/RZPlayerManager.h"

QVideoEditingSettings::QVideoEditingSettings(QObject* parent) : QObject(parent) {
    m_config.reset();
}

QVideoEditingSettings::~QVideoEditingSettings() = default;

void QVideoEditingSettings::setPlayerManager(RZPlayerManager* manager) {
    if (!manager) {
        return;
    }
    m_manager = manager;
    connect(manager, &RZPlayerManager::emitPlayerChange, this, &QVideoEditingSettings::playerChange);
    connect(manager, &RZPlayerManager::emitTrimTimeChange, this, &QVideoEditingSettings::trimTimeChange);
    connect(manager, &RZPlayerManager::emitCropAreaChange, this, &QVideoEditingSettings::cropAreaChange);
    connect(manager, &RZPlayerManager::emitWatermarkRectChange, this, &QVideoEditingSettings::watermarkRectChange);
}

void QVideoEditingSettings::setAdjust(const VEAdjustSettings& adjust) {
    if (&adjust == &m_config.adjust) {
        return;
    }
    m_config.adjust = adjust;
    if (m_manager) {
        m_manager->setAdjustSettings(adjust.brightness, adjust.second, adjust.saturation, adjust.contrast, adjust.hue);
    }
}

void QVideoEditingSettings::setCrop(const VECropSettings& crop) {
    if (&crop == &m_config.crop) {
        return;
    }
    m_config.crop = crop;
    if (m_manager) {
        m_manager->setCropSettings(m_config.crop);
    }
}

void QVideoEditingSettings::setWatermark1(const VEWatermarkSettings& watermark) {
    if (&watermark == &m_config.watermarks[0]) {
        return;
    }
    m_config.watermarks[0] = watermark;
    if (m_manager) {
        m_manager->selectAndApplyWatermark(m_config.watermarks[0], 1);
    }
}

void QVideoEditingSettings::setWatermark2(const VEWatermarkSettings& watermark) {
    if (&watermark == &m_config.watermarks[1]) {
        return;
    }
    m_config.watermarks[1] = watermark;
    if (m_manager) {
        m_manager->selectAndApplyWatermark(m_config.watermarks[1], 2);
    }
}

void QVideoEditingSettings::setWatermark(const VEWatermarkSettings& watermark, int value, bool reload) {
    if (&watermark == &m_config.watermarks[2]) {
        return;
    }
    m_config.watermarks[2] = watermark;
    if (!m_manager) {
        return;
    }
    // The controller reports the placed rectangle back through emitWatermarkRectChange,
    // which lands in the third record again.
    const VEWatermarkSettings pushed = m_config.watermarks[2];
    if (reload) {
        m_manager->setWatermarkSettings(pushed, 0, value != 0);
    } else {
        m_manager->updateWatermarkSettings(pushed, 0, value);
    }
}

void QVideoEditingSettings::setTextStyle(const VETextStyle& style) {
    if (&style == &m_config.subtitleStyle) {
        return;
    }
    m_config.subtitleStyle = style;
    if (m_manager) {
        m_manager->setSubtitleStyle(m_config.subtitleStyle);
    }
}

void QVideoEditingSettings::setSubtitleTrack(const VESubtitleTrack& track) {
    if (&track == &m_config.stream) {
        return;
    }
    m_config.stream = track;
    pushSubtitleTrack();
}

void QVideoEditingSettings::pushSubtitleTrack() {
    if (m_manager) {
        m_manager->setSubtitleTrack(m_config.stream);
        m_manager->setSubtitleStyle(m_config.subtitleStyle);
    }
}

void QVideoEditingSettings::setAudioSettings(const VEAudioSettings& audio, bool withFile) {
    if (&audio == &m_config.audio) {
        return;
    }
    m_config.audio = audio;
    if (!m_manager) {
        return;
    }
    if (withFile) {
        m_manager->setAudioSettings(m_config.audio);
    } else {
        m_manager->updateAudioSettings(m_config.audio);
    }
}

void QVideoEditingSettings::setAudioEffect(const VEAudioEffect& effect) {
    if (&effect == &m_config.audioEffect) {
        return;
    }
    m_config.audioEffect = effect;
    pushAudioEffect();
}

void QVideoEditingSettings::pushAudioEffect() {
    if (!m_manager) {
        return;
    }
    const VEAudioEffect& effect = m_config.audioEffect;
    m_manager->setAudioEffect(effect.volume, effect.value, effect.rate);
    m_manager->setAudioEffectCurves(effect.curves);
}

void QVideoEditingSettings::setTags(const VEAudioTagInfo& tags) {
    if (&tags != &m_config.tags) {
        m_config.tags = tags;
    }
}

void QVideoEditingSettings::setStringPairs(const QList<VEStringPair>& pairs) {
    if (&pairs != &m_config.subtitles) {
        m_config.subtitles = pairs;
    }
}

void QVideoEditingSettings::setChapters(const QList<VEChapterInfo>& chapters) {
    if (&chapters != &m_config.chapters) {
        m_config.chapters = chapters;
    }
}

void QVideoEditingSettings::setEditConfig(const VEEditConfig& config) {
    if (&config == &m_config) {
        return;
    }
    m_config = config;
    applyAll();
}

void QVideoEditingSettings::applyAll() {
    if (!m_manager) {
        return;
    }
    VEEditConfig& c = m_config;
    m_manager->setPlayRange(c.trimStart, c.trimEnd);
    m_manager->setCropSettings(c.crop);
    m_manager->setAudioEffectCurves(c.audioEffect.curves);
    pushAudioEffect();
    m_manager->setAdjustSettings(c.adjust.brightness, c.adjust.second, c.adjust.saturation, c.adjust.contrast,
                                 c.adjust.hue);
    c.audio.firstRangeStart = c.trimStart;
    m_manager->setAudioSettings(c.audio);
    pushSubtitleTrack();
    m_manager->setSubtitleStyle(c.subtitleStyle);
    c.watermarks[1].image.rangeStart = c.trimStart;
    m_manager->selectAndApplyWatermark(c.watermarks[1], 2);
    c.watermarks[0].image.rangeStart = c.trimStart;
    m_manager->selectAndApplyWatermark(c.watermarks[0], 1);
    c.watermarks[2].image.rangeStart = c.trimStart;
    const VEWatermarkSettings third = c.watermarks[2];
    m_manager->setWatermarkSettings(third, 0, true);
}

QSize QVideoEditingSettings::videoSize() const {
    return m_manager ? m_manager->videoSize() : QSize(0, 0);
}

uint64_t QVideoEditingSettings::duration() const {
    return m_manager ? m_manager->duration() : 0;
}

uint64_t QVideoEditingSettings::playRangeLength() const {
    return m_manager ? m_manager->playRangeLength() : 0;
}

void QVideoEditingSettings::trimTimeChange(uint64_t start, uint64_t end) {
    m_config.trimStart = start;
    m_config.trimEnd = end;
}

void QVideoEditingSettings::cropAreaChange(VECropSettings crop) {
    m_config.crop = crop;
}

void QVideoEditingSettings::watermarkRectChange(VEWatermarkSettings watermark, int) {
    m_config.watermarks[2] = watermark;
}

void QVideoEditingSettings::playerChange() {}
