#include "media/RZPlayerManager.h"

#include "media/QMediaElementWindow.h"
#include "media/RZInfoManager.h"
#include "media/RZPlayerClass.h"

#include <QCursor>
#include <QImage>
#include <QMouseEvent>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <cstring>
#include <numeric>

namespace {

// Within this many pixels of an edge a press grabs the edge.
constexpr int kEdgeBand = 4;
// The crop rectangle never gets smaller than this many pixels.
constexpr double kMinimumCropPixels = 20.0;
// A watermark never gets smaller than this share of the picture.
constexpr double kMinimumWatermark = 0.02;

QString clockText(uint64_t microseconds, bool withMilliseconds) {
    const uint64_t ms = microseconds / 1000;
    QString text = QStringLiteral("%1:%2:%3")
                       .arg(ms / 3600000, 2, 10, QLatin1Char('0'))
                       .arg((ms / 60000) % 60, 2, 10, QLatin1Char('0'))
                       .arg((ms / 1000) % 60, 2, 10, QLatin1Char('0'));
    if (withMilliseconds) {
        text += QStringLiteral(".%1").arg(ms % 1000, 3, 10, QLatin1Char('0'));
    }
    return text;
}

bool quarterTurn(int rotation) {
    return rotation == 90 || rotation == 270;
}

std::string withoutAt(const std::string& font) {
    return !font.empty() && font[0] == '@' ? font.substr(1) : font;
}

} // namespace

RZPlayerManager::RZPlayerManager(QObject* parent)
    : QObject(parent), m_timeTimer(new QTimer(this)), m_screenTimer(new QTimer(this)), m_audioTimer(new QTimer(this)) {
    // The range signals carry 64-bit times across queued connections too.
    qRegisterMetaType<uint64_t>("uint64_t");
    connect(m_timeTimer, &QTimer::timeout, this, &RZPlayerManager::updateTime);
    connect(m_screenTimer, &QTimer::timeout, this, &RZPlayerManager::updataScreen);
    connect(m_audioTimer, &QTimer::timeout, this, &RZPlayerManager::audioDataChanged);
}

RZPlayerManager::~RZPlayerManager() {
    m_timeTimer->stop();
    m_screenTimer->stop();
    m_audioTimer->stop();
    delete m_player;
    m_player = nullptr;
    delete m_info;
    m_info = nullptr;
    delete m_timeTimer;
    delete m_screenTimer;
    delete m_audioTimer;
}

bool RZPlayerManager::validPlayer() const {
    return m_player && m_player->isValid();
}

void RZPlayerManager::createPlayer(bool mode) {
    if (validPlayer()) {
        return;
    }
    delete m_player;
    m_player = new RZPlayerClass(this);
    m_player->createHandle(mode);
}

// ---- Opening ----

bool RZPlayerManager::openFile(int sourceIndex, int width, int height, int openMode) {
    if (!m_player) {
        m_player = new RZPlayerClass(this);
        m_player->createHandle(true);
    }
    m_secondWidth = width;
    m_secondHeight = height;
    if (!m_player->openSource(sourceIndex)) {
        failOpen();
        return false;
    }
    return finishOpen(true, sourceIndex, QString(), openMode);
}

bool RZPlayerManager::openFileInNewPlayer(const QString& path, int width, int height, int openMode) {
    m_secondWidth = width;
    m_secondHeight = height;
    if (!validPlayer()) {
        delete m_player;
        m_player = new RZPlayerClass();
        m_player->createHandle(true);
    }
    if (!m_player->isAtEnd()) {
        m_player->stop();
    }
    if (!m_player->openFile(path.toUtf8().constData(), width, height, 0, 0)) {
        failOpen();
        return false;
    }
    return finishOpen(false, 0, path, openMode);
}

bool RZPlayerManager::finishOpen(bool bySource, int sourceIndex, const QString& path, int openMode) {
    if (!m_info || !m_info->isValid()) {
        delete m_info;
        m_info = new RZInfoClass(this);
        m_info->createHandle(-1);
    }
    if (bySource) {
        m_info->openSource(sourceIndex);
    } else {
        m_info->open(path.toUtf8().constData());
    }
    m_player->setOpenMode(openMode);
    m_player->setInterval(50000);
    m_player->seek(m_rangeStart);
    m_screenTimer->start(50);
    if (m_videoWidget) {
        m_player->setVideoWindow(int(m_videoWidget->winId()));
    }
    if (m_secondWidget) {
        m_player->setSecondVideoWindow(int(m_secondWidget->winId()));
    }
    classifyStreams();
    emit emitPlayerChange();
    return true;
}

void RZPlayerManager::failOpen() {
    m_timeTimer->stop();
    m_screenTimer->stop();
    m_audioTimer->stop();
    resetTimes();
    emit emitPlayProgress(0.0);
    emit emitPlayFinish();
    if (m_videoWidget) {
        m_videoWidget->show();
    }
    if (m_secondWidget) {
        m_secondWidget->show();
    }
}

void RZPlayerManager::classifyStreams() {
    if (m_player->hasVideo()) {
        m_player->setAudioOnly(0);
        emit emitIsHaveVideo(true);
        m_audioOnly = false;
    } else if (m_player->hasAudio()) {
        m_player->setAudioOnly(1);
        emit emitIsHaveVideo(false);
        m_audioOnly = true;
    }
}

void RZPlayerManager::resizeOutputs() {
    if (!m_player) {
        return;
    }
    int videoWidth = 0;
    int videoHeight = 0;
    int displayWidth = 0;
    int displayHeight = 0;
    m_player->videoSize(&videoWidth, &videoHeight);
    m_player->displaySize(&displayWidth, &displayHeight);
    if (displayWidth <= 0 || displayHeight <= 0) {
        displayWidth = videoWidth;
        displayHeight = videoHeight;
    }
    if (auto* window = qobject_cast<QMediaElementWindow*>(m_videoWidget)) {
        window->setVideoSize(displayWidth, displayHeight);
    }
    if (auto* second = qobject_cast<QMediaElementWindow*>(m_secondWidget)) {
        if (m_secondWidth > 0 && m_secondHeight > 0) {
            second->setVideoSize(m_secondWidth, m_secondHeight);
        }
    }
}

void RZPlayerManager::setVideoWidget(QWidget* widget) {
    m_videoWidget = widget;
    if (validPlayer()) {
        m_player->setVideoWindow(widget ? int(widget->winId()) : 0);
        resizeOutputs();
    }
}

void RZPlayerManager::setSecondVideoWidget(QWidget* widget) {
    m_secondWidget = widget;
    if (validPlayer()) {
        m_player->setSecondVideoWindow(widget ? int(widget->winId()) : 0);
        resizeOutputs();
    }
}

// ---- Range and times ----

void RZPlayerManager::setPlayRange(uint64_t start, uint64_t end) {
    m_rangeStart = start;
    m_rangeEnd = end;
    m_trimPlayStart = start;
    m_trimPlayEnd = end;
    if (validPlayer()) {
        m_player->seek(start);
    }
}

uint64_t RZPlayerManager::playRangeLength() const {
    if (!validPlayer()) {
        return 0;
    }
    if (m_rangeEnd != 0 && m_rangeEnd > m_rangeStart) {
        return m_rangeEnd - m_rangeStart;
    }
    // A range that starts at or past the end has nothing left to play.
    const uint64_t duration = m_player->duration();
    return duration > m_rangeStart ? duration - m_rangeStart : 0;
}

uint64_t RZPlayerManager::duration() const {
    return validPlayer() ? m_player->duration() : 0;
}

void RZPlayerManager::videoSize(int* width, int* height) const {
    if (validPlayer()) {
        m_player->videoSize(width, height);
        return;
    }
    if (width) {
        *width = 0;
    }
    if (height) {
        *height = 0;
    }
}

QSize RZPlayerManager::videoSize() const {
    int width = 0;
    int height = 0;
    videoSize(&width, &height);
    return QSize(width, height);
}

void RZPlayerManager::emitTimes(uint64_t relative) {
    const uint64_t length = playRangeLength();
    emit emitPlayTime(QStringLiteral("%1 / %2").arg(clockText(relative, false), clockText(length, false)));
    emit emitPlayTime2(QStringLiteral("%1 / %2").arg(clockText(relative, true), clockText(length, true)));
}

void RZPlayerManager::resetTimes() {
    emitTimes(0);
}

bool RZPlayerManager::saveSnapshot(const QString& path, const QString& format) {
    if (!validPlayer()) {
        return false;
    }
    unsigned char* block = m_player->snapshot(0, 0, 0);
    if (!block) {
        return false;
    }
    uint32_t size = 0;
    std::memcpy(&size, block + 2, 4);
    const QImage image = QImage::fromData(block, int(size), "BMP");
    m_player->releaseSnapshot(block);
    const QByteArray lowered = format.toLower().toLatin1();
    return !image.isNull() && image.save(path, lowered.isEmpty() ? nullptr : lowered.constData());
}

// ---- Playing ----

void RZPlayerManager::onPlay() {
    if (!validPlayer()) {
        return;
    }
    if (!m_player->hasStreams()) {
        resetTimes();
        emit emitPlayProgress(0.0);
        emit emitPlayFinish();
        return;
    }
    if (m_player->isAtEnd()) {
        m_player->stop();
    }
    if (!m_player->play()) {
        emit emitPlayState(false);
        return;
    }
    emit emitPlayState(true);
    if (m_audioOnly) {
        m_audioTimer->start(50);
    } else {
        if (m_videoWidget) {
            m_videoWidget->show();
        }
        if (m_secondWidget) {
            m_secondWidget->show();
        }
    }
    m_screenTimer->stop();
    m_timeTimer->start(100);
}

void RZPlayerManager::startPlay() {
    onPlay();
    emit emitPlayState(true);
}

void RZPlayerManager::pausePlay() {
    if (validPlayer() && m_player->pause()) {
        m_screenTimer->start(50);
        m_timeTimer->stop();
        m_audioTimer->stop();
        emit emitAudioData(nullptr, 0);
    }
    emit emitPlayState(false);
}

void RZPlayerManager::onPause() {
    m_trimPlaying = false;
    pausePlay();
}

void RZPlayerManager::onTrimPause() {
    pausePlay();
    emit emitTrimPlayState(false);
}

void RZPlayerManager::onStop() {
    m_trimPlaying = false;
    if (validPlayer() && m_player->hasStreams() && m_player->stop()) {
        m_player->seek(m_rangeStart);
        resetTimes();
        emit emitPlayProgress(0.0);
        emit emitPlayFinish();
        m_screenTimer->start(50);
        m_timeTimer->stop();
        m_audioTimer->stop();
        emit emitAudioData(nullptr, 0);
    }
}

void RZPlayerManager::closePlay() {
    onStop();
    if (m_player) {
        m_player->close();
    }
    resetTimes();
    emit emitPlayProgress(0.0);
    emit emitPlayFinish();
    emit emitClosePlay();
    emit emitAudioData(nullptr, 0);
}

void RZPlayerManager::updateTime() {
    if (!validPlayer()) {
        return;
    }
    const uint64_t position = m_player->position();
    const uint64_t length = playRangeLength();
    if (m_trimPlaying && position > m_trimPlayEnd) {
        m_player->seek(m_trimPlayEnd);
        const uint64_t relative = m_trimPlayEnd > m_rangeStart ? m_trimPlayEnd - m_rangeStart : 0;
        emit emitPlayProgress(length > 0 ? double(relative) / double(length) : 0.0);
        emitTimes(relative);
        m_trimPlaying = false;
        pausePlay();
        emit emitTrimPlayState(false);
        return;
    }
    if ((m_rangeEnd != 0 && position > m_rangeEnd) || m_player->isAtEnd()) {
        onStop();
        return;
    }
    if (position != 0) {
        const uint64_t relative = position > m_rangeStart ? position - m_rangeStart : 0;
        // A range of length 0 has no progress to show.
        emit emitPlayProgress(length > 0 ? double(relative) / double(length) : 0.0);
        emitTimes(relative);
    }
}

void RZPlayerManager::updataScreen() {
    if (validPlayer() && m_player->hasVideo() && !m_player->isAtEnd()) {
        m_player->repaint();
    }
}

void RZPlayerManager::audioDataChanged() {
    if (!validPlayer()) {
        return;
    }
    unsigned char* block = m_player->audioBlock(1);
    if (block) {
        uint32_t bytes = 0;
        std::memcpy(&bytes, block + 24, 4);
        emit emitAudioData(block, int(bytes / 2));
    }
    m_player->releaseAudioBlock(block);
}

void RZPlayerManager::progressValueChange(double fraction) {
    if (!validPlayer()) {
        return;
    }
    const uint64_t offset = uint64_t(fraction * double(playRangeLength()));
    m_player->seek(m_rangeStart + offset);
    emitTimes(offset);
}

void RZPlayerManager::beginAsyncSeek() {
    if (validPlayer()) {
        m_player->beginAsyncSeek(2000000);
    }
}

void RZPlayerManager::endAsyncSeek() {
    if (validPlayer()) {
        m_player->endAsyncSeek();
    }
}

void RZPlayerManager::onTrimPlay(float startFraction, float endFraction) {
    if (!validPlayer()) {
        return;
    }
    const double length = double(playRangeLength());
    m_trimPlayStart = m_rangeStart + uint64_t(startFraction * length);
    m_trimPlayEnd = m_rangeStart + uint64_t(endFraction * length);
    if (!m_trimPlaying) {
        m_trimPlaying = true;
        m_player->seek(m_trimPlayStart);
    }
    onPlay();
    emit emitPlayState(true);
    emit emitTrimPlayState(true);
}

void RZPlayerManager::onPreviousStep(bool seekFirst, float fraction) {
    stepOneFrame(StepDirection::Back, seekFirst, fraction);
}

void RZPlayerManager::onNextStep(bool seekFirst, float fraction) {
    stepOneFrame(StepDirection::Forward, seekFirst, fraction);
}

void RZPlayerManager::stepOneFrame(StepDirection direction, bool seekFirst, float fraction) {
    if (!validPlayer()) {
        return;
    }
    if (!m_player->isPaused()) {
        m_trimPlaying = false;
        pausePlay();
        emit emitTrimPlayState(false);
    }
    const uint64_t length = playRangeLength();
    const uint64_t target = m_rangeStart + uint64_t(fraction * double(length));
    if (seekFirst) {
        m_player->seek(target);
    }
    // No step leaves the play range: at its edge the sought picture is shown instead.
    const bool insideRange =
        direction == StepDirection::Back ? target > m_rangeStart : m_rangeEnd == 0 || target < m_rangeEnd;
    if (insideRange) {
        m_player->step(direction == StepDirection::Back ? -1 : 1);
    } else if (seekFirst) {
        m_player->showCurrentFrame();
    }
    const uint64_t shown = m_player->frameTime();
    const uint64_t relative = shown != 0 && shown > m_rangeStart ? shown - m_rangeStart : 0;
    const double share = shown != 0 && length > 0 ? double(relative) / double(length) : 0.0;
    emit emitPlayProgress(share);
    emit emitStartEndProgressValue(float(share * 100.0));
    emitTimes(relative);
}

void RZPlayerManager::onTrim(uint64_t start, uint64_t end) {
    if (!validPlayer()) {
        return;
    }
    m_rangeStart = start;
    m_rangeEnd = end;
    onStop();
    m_player->seek(start);
    resetTimes();
    emit emitTrimTimeChange(start, end);
}

void RZPlayerManager::onTrimChapter(uint64_t start, uint64_t end) {
    onTrim(start, end);
}

void RZPlayerManager::onReset() {
    m_rangeStart = 0;
    m_rangeEnd = 0;
    onStop();
    if (validPlayer()) {
        m_player->seek(0);
    }
    resetTimes();
    emit emitTrimTimeChange(0, 0);
}

// ---- Edit parameters ----

void RZPlayerManager::setAdjustSettings(int brightness, int, int saturation, int contrast, int hue) {
    if (!validPlayer()) {
        return;
    }
    m_player->setBrightness(brightness);
    m_player->setSaturation(saturation);
    m_player->setHue(hue);
    m_player->setContrast(contrast);
}

void RZPlayerManager::setSubtitleStyle(VETextStyle style) {
    if (!validPlayer()) {
        return;
    }
    RZPlayerClass* p = m_player;
    p->setSubtitleAlpha(style.alpha);
    p->setSubtitleParams(style.values[0], style.values[1]);
    p->setSubtitleBold(style.bold);
    p->setSubtitleFont(style.fontName.c_str());
    p->setSubtitleSize(style.fontSize);
    p->setSubtitleItalic(style.italic);
    p->setSubtitleOutlineColor(style.outlineColour);
    p->setSubtitleOutlineSize(style.outlineSize);
    p->setSubtitleScale(style.scaleHorizontal, style.scaleVertical);
    p->setSubtitleShadowColor(style.shadowColour);
    p->setSubtitleShadowOffset(style.shadowOffset);
    p->setSubtitleColor(style.fontColour);
    p->setSubtitleStrikeOut(style.strikeout);
    p->setSubtitleUnderline(style.underline);
    p->setSubtitleMarginA(style.first);
    p->setSubtitleMargin(style.margin);
    p->setSubtitlePosition(style.positionCode);
    p->setSubtitleSpacingH(style.spacingHorizontal);
    p->setSubtitleSpacingV(style.spacingVertical);
}

void RZPlayerManager::setSubtitleTrack(VESubtitleTrack track) {
    if (!validPlayer() || !m_info || !m_info->isValid() || !m_info->selectAudio(track.audioTrack)) {
        return;
    }
    m_player->selectAudioTrack(track.audioTrack);
    const int count = int(m_info->subtitleCount());
    const int choice = track.subtitleChoice;
    // The editor lists only the subtitle files the user added and keeps their path with
    // the choice: a path shows that file whatever the number.
    if (!track.data.empty()) {
        if (m_info->selectSubtitle(-1)) {
            m_player->setSubtitleFile(track.data.c_str());
        }
    } else if (choice <= count) {
        if (m_info->selectSubtitle(choice - 1)) {
            m_player->selectSubtitle(choice - 1);
        }
    } else if (choice == count + 1) {
        if (m_info->enableSubtitle(1)) {
            m_player->setSubtitleOn(1);
        }
    } else if (m_info->selectSubtitle(-1)) {
        m_player->setSubtitleFile(track.data.c_str());
    }
}

void RZPlayerManager::setAudioSettings(VEAudioSettings audio, int value) {
    if (!validPlayer()) {
        return;
    }
    m_player->beginUpdate();
    m_player->setAudioTrackParam(value);
    m_player->setBackgroundAudio(audio.backgroundPath.empty() ? nullptr : audio.backgroundPath.c_str());
    m_player->setBackgroundRepeat(audio.repeat);
    m_player->setBackgroundParam(audio.value);
    m_player->setBackgroundWeight(audio.weight);
    m_player->setVolume(audio.volume);
    m_player->setBackgroundRange(audio.firstRangeStart, audio.firstRangeEnd);
    m_player->setBackgroundRange2(audio.secondRangeStart, audio.secondRangeEnd);
    m_player->endUpdate();
}

void RZPlayerManager::updateAudioSettings(VEAudioSettings audio, int value) {
    if (!validPlayer()) {
        return;
    }
    m_player->beginUpdate();
    m_player->setAudioTrackParam(value);
    m_player->setBackgroundRepeat(audio.repeat);
    m_player->setBackgroundParam(audio.value);
    m_player->setBackgroundWeight(audio.weight);
    m_player->setVolume(audio.volume);
    m_player->setBackgroundRange(audio.firstRangeStart, audio.firstRangeEnd);
    m_player->setBackgroundRange2(audio.secondRangeStart, audio.secondRangeEnd);
    m_player->endUpdate();
}

void RZPlayerManager::setAudioEffect(int volume, int value, int rate) {
    if (!validPlayer()) {
        return;
    }
    m_player->setEffectVolume(volume, 0);
    m_player->setEffectParam(value);
    m_player->setEffectRate(rate, 0);
}

void RZPlayerManager::setAudioEffectCurves(VEDoubleArrays curves) {
    if (!validPlayer()) {
        return;
    }
    m_player->setEqualizer(curves.frequencies, curves.gains, curves.count);
    // The copy owns its arrays; they go with it (once, by its own destructor).
    curves.clear();
}

void RZPlayerManager::setAudioEffectCurves(const double* frequencies, const double* gains, int count) {
    VEDoubleArrays curves;
    curves.assign(frequencies, gains, count);
    setAudioEffectCurves(curves);
}

// ---- Crop ----

double* RZPlayerManager::activeCropRect(VECropSettings& crop) {
    const bool cropApplies = crop.padEnabled && crop.cropMode == 1 && crop.aspectMode != 2;
    return cropApplies ? crop.cropRect : crop.pictureRect;
}

void RZPlayerManager::fitCropRect(VECropSettings& crop) {
    if (!m_player->hasVideo()) {
        return;
    }
    int width = m_secondWidth;
    int height = m_secondHeight;
    if (width <= 0 || height <= 0) {
        m_player->videoSize(&width, &height);
    }
    if (quarterTurn(crop.rotation)) {
        std::swap(width, height);
    }
    double ratioWidth = crop.ratioWidth;
    double ratioHeight = crop.ratioHeight;
    if (crop.aspectMode == 1) {
        int w = 0;
        int h = 0;
        m_player->videoSize(&w, &h);
        ratioWidth = w;
        ratioHeight = h;
    } else if (ratioWidth <= 0 || ratioHeight <= 0) {
        int w = 0;
        int h = 0;
        m_player->displaySize(&w, &h);
        const int divisor = std::max(1, std::gcd(w, h));
        ratioWidth = w / divisor;
        ratioHeight = h / divisor;
    }
    if (width <= 0 || height <= 0 || ratioWidth <= 0 || ratioHeight <= 0) {
        return;
    }
    const double* picture = crop.pictureRect;
    const double pictureWidth = picture[2] * width;
    const double pictureHeight = picture[3] * height;
    const double target = ratioWidth / ratioHeight;
    double* out = crop.cropRect;
    out[0] = picture[0];
    out[1] = picture[1];
    out[2] = picture[2];
    out[3] = picture[3];
    if (pictureWidth / pictureHeight > target) {
        // Too wide: the width shrinks, centred.
        const double fittedWidth = pictureHeight * target / width;
        out[0] = picture[0] + (picture[2] - fittedWidth) / 2;
        out[2] = fittedWidth;
    } else {
        const double fittedHeight = pictureWidth / target / height;
        out[1] = picture[1] + (picture[3] - fittedHeight) / 2;
        out[3] = fittedHeight;
    }
}

void RZPlayerManager::pushCrop(const VECropSettings& r) {
    RZPlayerClass* p = m_player;
    p->setRotation(r.rotation);
    p->setMirrored(r.mirrored);
    const bool rotated = quarterTurn(r.rotation);
    if (r.padEnabled && r.cropMode == 1 && r.aspectMode != 2) {
        p->setPad(0, r.padColour);
        p->setPictureRect(r.cropRect[0], r.cropRect[1], r.cropRect[2], r.cropRect[3]);
    } else {
        p->setPad(r.aspectMode == 2 ? 0 : r.padEnabled, r.padColour);
        p->setPictureRect(r.pictureRect[0], r.pictureRect[1], r.pictureRect[2], r.pictureRect[3]);
    }
    int outWidth = r.ratioWidth;
    int outHeight = r.ratioHeight;
    if (r.padEnabled && r.cropMode == 1) {
        p->videoSize(&outWidth, &outHeight);
        if (rotated) {
            std::swap(outWidth, outHeight);
        }
    } else if (rotated && r.aspectMode == 2) {
        std::swap(outWidth, outHeight);
    }
    p->setOutputSize(outWidth, outHeight);
}

void RZPlayerManager::setCropSettings(VECropSettings crop) {
    if (!validPlayer()) {
        return;
    }
    RZPlayerClass* p = m_player;
    const bool rotated = quarterTurn(crop.rotation);
    p->beginUpdate();
    pushCrop(crop);
    if (crop.cropMode == 0) {
        p->setPictureRect(crop.pictureRect[0], crop.pictureRect[1], crop.pictureRect[2], crop.pictureRect[3]);
        p->setPad(1, crop.padColour);
        p->setOutputSize(crop.ratioWidth, crop.ratioHeight);
        if (crop.aspectMode == 2) {
            p->setPad(0, crop.padColour);
            if (rotated) {
                p->setOutputSize(crop.ratioHeight, crop.ratioWidth);
            } else {
                p->setOutputSize(crop.ratioWidth, crop.ratioHeight);
            }
        } else if (crop.padEnabled) {
            p->setPad(crop.padEnabled, crop.padColour);
            p->setOutputSize(crop.ratioWidth, crop.ratioHeight);
        }
    } else if (crop.cropMode == 1) {
        fitCropRect(crop);
        p->setPictureRect(crop.cropRect[0], crop.cropRect[1], crop.cropRect[2], crop.cropRect[3]);
        p->setPad(0, crop.padColour);
        if (rotated) {
            p->setOutputSize(m_secondHeight, m_secondWidth);
        } else {
            p->setOutputSize(m_secondWidth, m_secondHeight);
        }
    }
    p->endUpdate();
    m_crop = crop;
    emit emitCropAreaChange(m_crop);
}

// ---- Watermarks ----

void RZPlayerManager::pushWatermark(const VEWatermarkSettings& s, bool withFiles) {
    RZPlayerClass* p = m_player;
    const VEWatermarkImage& image = s.image;
    if (!withFiles || !image.imagePath.empty()) {
        if (withFiles) {
            p->setWatermarkImage(image.imagePath.c_str());
            p->setWatermarkImage2(image.secondImagePath.c_str());
        }
        p->setWatermarkImageMode(image.values[0]);
        p->setWatermarkImagePos(image.x, image.y);
        p->setWatermarkImageScale(image.scaleHorizontal, image.scaleVertical);
        p->setWatermarkImageParam(image.second);
        p->setWatermarkImageAlpha(image.alpha);
        p->setWatermarkImageFlag(image.instanceFlag);
        p->setWatermarkImageShown(image.shown);
        p->setWatermarkImageFactors(image.pair[0], image.pair[1]);
        p->setWatermarkImageKind(image.kind);
        p->setWatermarkImageRect(image.rect[0], image.rect[1], image.rect[2], image.rect[3]);
        p->setWatermarkImageRange(image.rangeStart, image.rangeEnd);
        p->setWatermarkImageTimes(image.moreValues[0], image.moreValues[1], image.moreValues[2], image.moreValues[3]);
    } else {
        p->setWatermarkImage(nullptr);
        p->setWatermarkImage2(nullptr);
    }
    const VEWatermarkText& text = s.text;
    if (!withFiles || !text.text.empty()) {
        if (withFiles) {
            p->setWatermarkText(text.text.c_str());
        }
        p->setWatermarkTextAlpha(text.alpha);
        p->setWatermarkTextPos(text.x, text.y);
        p->setWatermarkTextParam(text.value);
        p->setWatermarkTextBold(text.bold);
        p->setWatermarkTextSize(text.fontSize);
        p->setWatermarkTextFont(withoutAt(text.fontName).c_str());
        p->setWatermarkTextColor(text.fontColour);
        p->setWatermarkOutlineColor(text.outlineColour);
        p->setWatermarkOutlineSize(text.outlineSize);
        p->setWatermarkShadowColor(text.shadowColour);
        p->setWatermarkShadowOffset(text.shadowOffset);
        p->setWatermarkTextItalic(text.italic);
        p->setWatermarkTextUnderline(text.underline);
        p->setWatermarkTextStrikeOut(text.strikeout);
        p->setWatermarkTextScale(text.scaleHorizontal, text.scaleVertical);
        p->setWatermarkTextShown(text.shown);
        p->setWatermarkTextSelected(text.textSelected);
        p->setWatermarkTextSpacingH(text.spacingHorizontal);
        p->setWatermarkTextSpacingV(text.spacingVertical);
        p->setWatermarkTextRange(text.rangeStart, text.rangeEnd);
    } else {
        p->setWatermarkText(nullptr);
        p->setWatermarkTextOff(0);
    }
}

void RZPlayerManager::readBackWatermark(VEWatermarkSettings& s) {
    m_player->refreshWatermark();
    s.text.x = m_player->watermarkTextX();
    s.text.y = m_player->watermarkTextY();
    s.text.fittedWidth = m_player->watermarkTextWidth();
    s.text.fittedHeight = m_player->watermarkTextHeight();
    s.image.x = m_player->watermarkImageX();
    s.image.y = m_player->watermarkImageY();
    s.image.fittedWidth = m_player->watermarkImageWidth();
    s.image.fittedHeight = m_player->watermarkImageHeight();
}

void RZPlayerManager::applyWatermark(const VEWatermarkSettings& settings, int index, bool withFiles) {
    m_selectedWatermark = index;
    m_player->beginUpdate();
    m_player->selectWatermark(index);
    pushWatermark(settings, withFiles);
    m_player->endUpdate();
}

void RZPlayerManager::selectAndApplyWatermark(VEWatermarkSettings settings, int index) {
    if (validPlayer()) {
        applyWatermark(settings, index, true);
    }
}

void RZPlayerManager::selectAndUpdateWatermark(VEWatermarkSettings settings, int index) {
    if (validPlayer()) {
        applyWatermark(settings, index, false);
    }
}

void RZPlayerManager::setWatermarkSettings(VEWatermarkSettings settings, int index, bool readBack) {
    if (!validPlayer()) {
        return;
    }
    m_watermark = settings;
    m_watermarkIndex = index;
    applyWatermark(settings, index, true);
    if (readBack) {
        readBackWatermark(m_watermark);
    }
    emit emitWatermarkRectChange(m_watermark, index);
}

void RZPlayerManager::updateWatermarkSettings(VEWatermarkSettings settings, int index, int) {
    if (!validPlayer()) {
        return;
    }
    m_watermark = settings;
    m_watermarkIndex = index;
    applyWatermark(settings, index, false);
    readBackWatermark(m_watermark);
    emit emitWatermarkRectChange(m_watermark, index);
}

int RZPlayerManager::watermarkSettings(VEWatermarkSettings& settings) const {
    settings = m_watermark;
    return m_watermarkIndex;
}

// ---- Dragging ----

QRect RZPlayerManager::elementRect(QWidget* widget) const {
    if (auto* window = qobject_cast<QMediaElementWindow*>(widget)) {
        return window->videoElementRect();
    }
    return widget ? widget->rect() : QRect();
}

// Drag modes: 1 top-left, 2 bottom-left, 3 left, 4 top-right, 5 bottom-right, 6 right,
// 7 top, 8 bottom, 9 inside (move), 0 none.
int RZPlayerManager::hitTest(const QRectF& r, const QPoint& point) const {
    const double x = point.x();
    const double y = point.y();
    const auto near = [](double a, double b) { return std::abs(a - b) <= kEdgeBand; };
    const bool topEdge = near(y, r.top());
    const bool bottomEdge = near(y, r.bottom());
    const bool betweenVertically = y > r.top() && y < r.bottom();
    if (near(x, r.left())) {
        if (topEdge) {
            return 1;
        }
        if (bottomEdge) {
            return 2;
        }
        return betweenVertically ? 3 : 0;
    }
    if (near(x, r.right())) {
        if (topEdge) {
            return 4;
        }
        if (bottomEdge) {
            return 5;
        }
        return betweenVertically ? 6 : 0;
    }
    if (x > r.left() && x < r.right()) {
        if (topEdge) {
            return 7;
        }
        if (bottomEdge) {
            return 8;
        }
        if (betweenVertically) {
            return 9;
        }
    }
    return 0;
}

void RZPlayerManager::setDragCursor(QWidget* widget, int mode) const {
    if (!widget) {
        return;
    }
    switch (mode) {
    case 1:
    case 5:
        widget->setCursor(Qt::SizeFDiagCursor);
        break;
    case 2:
    case 4:
        widget->setCursor(Qt::SizeBDiagCursor);
        break;
    case 3:
    case 6:
        widget->setCursor(Qt::SizeHorCursor);
        break;
    case 7:
    case 8:
        widget->setCursor(Qt::SizeVerCursor);
        break;
    case 9:
        widget->setCursor(Qt::SizeAllCursor);
        break;
    default:
        widget->setCursor(Qt::ArrowCursor);
        break;
    }
}

// Moves (mode 9) or resizes the rectangle (fractions) by the travel, keeping it inside
// the picture and at least the minimum size.
void RZPlayerManager::dragRect(double r[4], int mode, double dx, double dy, double minWidth, double minHeight) const {
    double left = m_pressRect[0];
    double top = m_pressRect[1];
    double right = left + m_pressRect[2];
    double bottom = top + m_pressRect[3];
    if (mode == 9) {
        const double width = right - left;
        const double height = bottom - top;
        left = std::clamp(left + dx, 0.0, 1.0 - width);
        top = std::clamp(top + dy, 0.0, 1.0 - height);
        r[0] = left;
        r[1] = top;
        r[2] = width;
        r[3] = height;
        return;
    }
    if (mode == 1 || mode == 2 || mode == 3) {
        left = std::clamp(left + dx, 0.0, right - minWidth);
    }
    if (mode == 4 || mode == 5 || mode == 6) {
        right = std::clamp(right + dx, left + minWidth, 1.0);
    }
    if (mode == 1 || mode == 4 || mode == 7) {
        top = std::clamp(top + dy, 0.0, bottom - minHeight);
    }
    if (mode == 2 || mode == 5 || mode == 8) {
        bottom = std::clamp(bottom + dy, top + minHeight, 1.0);
    }
    r[0] = left;
    r[1] = top;
    r[2] = right - left;
    r[3] = bottom - top;
}

void RZPlayerManager::mousePressEvent(QMouseEvent* event) {
    if (!event || !validPlayer()) {
        return;
    }
    VECropSettings crop = m_crop;
    const double* rect = activeCropRect(crop);
    if (rect[2] <= 0.0001 || rect[3] <= 0.0001) {
        return;
    }
    const QRect element = elementRect(m_videoWidget);
    const double width = element.width();
    const double height = element.height();
    const QRectF pixels(rect[0] * width + element.left(), rect[1] * height + element.top(), rect[2] * width,
                        rect[3] * height);
    m_dragMode = hitTest(pixels, event->pos());
    setDragCursor(qobject_cast<QWidget*>(sender()) ? qobject_cast<QWidget*>(sender()) : m_videoWidget, m_dragMode);
    m_pressPoint = event->pos();
    std::copy(rect, rect + 4, m_pressRect);
}

void RZPlayerManager::mouseMoveEvent(QMouseEvent* event) {
    if (!event || !validPlayer()) {
        return;
    }
    QWidget* widget = qobject_cast<QWidget*>(sender()) ? qobject_cast<QWidget*>(sender()) : m_videoWidget;
    VECropSettings crop = m_crop;
    double* rect = activeCropRect(crop);
    if (rect[2] <= 0.0001 || rect[3] <= 0.0001) {
        return;
    }
    const QRect element = elementRect(m_videoWidget);
    const double width = std::max(1, element.width());
    const double height = std::max(1, element.height());
    if (m_dragMode == 0) {
        const QRectF pixels(rect[0] * width + element.left(), rect[1] * height + element.top(), rect[2] * width,
                            rect[3] * height);
        setDragCursor(widget, hitTest(pixels, event->pos()));
        return;
    }
    const double dx = (event->pos().x() - m_pressPoint.x()) / width;
    const double dy = (event->pos().y() - m_pressPoint.y()) / height;
    double result[4];
    dragRect(result, m_dragMode, dx, dy, kMinimumCropPixels / width, kMinimumCropPixels / height);
    const bool locked = crop.padEnabled && crop.cropMode == 1 && (crop.aspectMode == 0 || crop.aspectMode == 1);
    if (locked && m_pressRect[3] > 0.0 && m_dragMode != 9) {
        // The shape of the press-time rectangle holds: the other dimension follows,
        // limited by the picture's border.
        const double ratio = (m_pressRect[2] * width) / (m_pressRect[3] * height);
        const bool widthLeads =
            m_dragMode == 3 || m_dragMode == 6 ||
            ((m_dragMode <= 5 && m_dragMode != 3) && result[2] * width >= result[3] * height * ratio);
        const bool anchorBottom = m_dragMode == 1 || m_dragMode == 4 || m_dragMode == 7;
        const bool anchorRight = m_dragMode == 1 || m_dragMode == 2 || m_dragMode == 3;
        double w = result[2];
        double h = result[3];
        if (widthLeads) {
            h = w * width / ratio / height;
        } else {
            w = h * height * ratio / width;
        }
        const double maxHeight = anchorBottom ? result[1] + result[3] : 1.0 - result[1];
        const double maxWidth = anchorRight ? result[0] + result[2] : 1.0 - result[0];
        const double shrink = std::min({1.0, maxWidth / w, maxHeight / h});
        w *= shrink;
        h *= shrink;
        if (anchorRight) {
            result[0] = result[0] + result[2] - w;
        }
        if (anchorBottom) {
            result[1] = result[1] + result[3] - h;
        }
        result[2] = w;
        result[3] = h;
    }
    std::copy(result, result + 4, crop.pictureRect);
    if (locked) {
        std::copy(result, result + 4, crop.cropRect);
    }
    m_player->beginUpdate();
    pushCrop(crop);
    m_player->endUpdate();
    m_crop = crop;
    emit emitCropAreaChange(m_crop);
}

void RZPlayerManager::mouseReleaseEvent(QMouseEvent*) {
    m_dragMode = 0;
}

QRectF RZPlayerManager::watermarkRect(bool text) const {
    const QRect element = elementRect(m_secondWidget);
    const double width = element.width();
    const double height = element.height();
    double x = 0.0;
    double y = 0.0;
    double w = 0.0;
    double h = 0.0;
    bool shown = false;
    if (text) {
        x = m_watermark.text.x;
        y = m_watermark.text.y;
        w = m_player->watermarkTextWidth();
        h = m_player->watermarkTextHeight();
        shown = m_watermark.text.shown != 0;
    } else {
        x = m_watermark.image.x;
        y = m_watermark.image.y;
        w = m_player->watermarkImageWidth();
        h = m_player->watermarkImageHeight();
        shown = m_watermark.image.shown != 0;
    }
    if (!shown || w <= 0.0001 || h <= 0.0001) {
        return {};
    }
    return QRectF(x * width + element.left(), y * height + element.top(), w * width, h * height);
}

void RZPlayerManager::mouseWatermarkPressEvent(QMouseEvent* event) {
    if (!event || !m_secondWidget || !validPlayer()) {
        return;
    }
    const bool textFirst = m_watermark.text.textSelected == 1;
    m_dragMode = 0;
    for (bool text : {textFirst, !textFirst}) {
        const QRectF rect = watermarkRect(text);
        if (rect.isEmpty()) {
            continue;
        }
        const int mode = hitTest(rect, event->pos());
        if (mode != 0) {
            m_dragMode = mode;
            m_dragText = text;
            m_watermark.text.textSelected = text ? 1 : 0;
            const QRect element = elementRect(m_secondWidget);
            m_pressRect[0] = (rect.left() - element.left()) / std::max(1, element.width());
            m_pressRect[1] = (rect.top() - element.top()) / std::max(1, element.height());
            m_pressRect[2] = rect.width() / std::max(1, element.width());
            m_pressRect[3] = rect.height() / std::max(1, element.height());
            m_pressScale[0] = text ? m_watermark.text.scaleHorizontal : m_watermark.image.scaleHorizontal;
            m_pressScale[1] = text ? m_watermark.text.scaleVertical : m_watermark.image.scaleVertical;
            break;
        }
    }
    m_pressPoint = event->pos();
    setDragCursor(m_secondWidget, m_dragMode);
}

void RZPlayerManager::mouseWatermarkMoveEvent(QMouseEvent* event) {
    if (!event || !m_secondWidget || !validPlayer()) {
        return;
    }
    if (m_watermarkIndex >= 0 && m_watermarkIndex != m_selectedWatermark) {
        m_player->selectWatermark(m_watermarkIndex);
        m_selectedWatermark = m_watermarkIndex;
    }
    if (m_dragMode == 0) {
        const bool textFirst = m_watermark.text.textSelected == 1;
        int mode = 0;
        for (bool text : {textFirst, !textFirst}) {
            const QRectF rect = watermarkRect(text);
            if (!rect.isEmpty() && (mode = hitTest(rect, event->pos())) != 0) {
                break;
            }
        }
        setDragCursor(m_secondWidget, mode);
        return;
    }
    const QRect element = elementRect(m_secondWidget);
    const double dx = double(event->pos().x() - m_pressPoint.x()) / std::max(1, element.width());
    const double dy = double(event->pos().y() - m_pressPoint.y()) / std::max(1, element.height());
    double result[4];
    dragRect(result, m_dragMode, dx, dy, kMinimumWatermark, kMinimumWatermark);
    // A resize changes the part's scale in proportion to its size at the press.
    const int scaleWidth = m_pressRect[2] > 0 ? int(m_pressScale[0] * result[2] / m_pressRect[2]) : m_pressScale[0];
    const int scaleHeight = m_pressRect[3] > 0 ? int(m_pressScale[1] * result[3] / m_pressRect[3]) : m_pressScale[1];
    if (m_dragText) {
        m_watermark.text.x = result[0];
        m_watermark.text.y = result[1];
        m_watermark.text.scaleHorizontal = scaleWidth;
        m_watermark.text.scaleVertical = scaleHeight;
    } else {
        m_watermark.image.x = result[0];
        m_watermark.image.y = result[1];
        m_watermark.image.scaleHorizontal = scaleWidth;
        m_watermark.image.scaleVertical = scaleHeight;
    }
    m_player->beginUpdate();
    pushWatermark(m_watermark, false);
    m_player->endUpdate();
    emit emitWatermarkRectChange(m_watermark, m_watermarkIndex);
}

void RZPlayerManager::mouseWatermarkReleaseEvent(QMouseEvent*) {
    m_dragMode = 0;
    updateWatermarkSettings(m_watermark, m_watermarkIndex);
}
