#include "media/QRecordObject.h"

#include "app/AppGlobals.h"
#include "app/HistoryFile.h"
#include "app/KeyApplication.h"
#include "app/QRecordAreaInfo.h"
#include "app/Utilities.h"
#include "media/ConvertParam.h"
#include "media/OutputFormatSetting.h"
#include "media/QRecordAudioObject.h"
#include "media/RZInfoManager.h"
#include "platform/system/clock.h"
#include "platform/system/cursor_capture.h"
#include "platform/system/screen_capture.h"

#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QTimer>
#include <QTimerEvent>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <cstring>

using calvorine::platform::CursorCapture;
using calvorine::platform::CursorImage;
using calvorine::platform::PointerState;
using calvorine::platform::ScreenCapture;

namespace {

// A new capture's first sound is waited for this long at most before the first picture
// (a sound server with nothing asking for short latency sends its outputs' sound in
// blocks of up to two seconds; a capture of one waits for the next block).
constexpr int kFirstSoundWaitMs = 2500;
// At a cut, the capture threads hand on the sound before it within this long.
constexpr int kCutHoldMs = 1000;
// At a stop, as long at most: the capture reads the last moments' sound a little after
// they were played, and the stop stays prompt.
constexpr int kStopHoldMs = 300;

// Changes of the sound sources within this long are told as one.
constexpr int kSoundGatherMs = 250;

// A slot closer than this is waited for in a sleep instead of another timer.
constexpr int64_t kSlotSpinUs = 1500;
// The encoder's work waiting, beyond the picture it is encoding: while it needs this long
// for the pictures that wait, a slot's grab is left out (the picture before lasts), so
// that its backlog stays this short (the stop waits for no more) and the pictures it
// takes are spread evenly over the recording.
constexpr int64_t kMostBacklogUs = 100'000;
constexpr int kTimeTickMs = 100;
constexpr int kAudioDataTickMs = 50;
// Click and highlight images are drawn at this size.
constexpr int kOverlaySize = 48;
// One turn of the click image, and the fade-out after a release.
constexpr int64_t kTurnUs = 1'000'000;
constexpr int64_t kFadeUs = 1'000'000;
constexpr int kThumbnailSize = 120;

QRecordObject::ParamsAdjuster g_paramsAdjuster;

// Paints into the part of the frame that the area covers (clipped to the frame), through
// an image over those pixels only, with the frame's coordinates: the rest of the frame
// is neither read nor written.
template <typename Paint> void paintOver(QImage& frame, QRect area, Paint paint) {
    area &= frame.rect();
    if (area.isEmpty()) {
        return;
    }
    QImage part(frame.bits() + qsizetype(area.y()) * frame.bytesPerLine() + qsizetype(area.x()) * (frame.depth() / 8),
                area.width(), area.height(), frame.bytesPerLine(), frame.format());
    QPainter painter(&part);
    painter.translate(-area.topLeft());
    paint(painter);
}

// True when the file opens and holds a picture, or for a sound recording sound: a
// recording cut short by a full disk usually still plays up to the cut. A video recording
// without a picture holds at most the silence or sound of the moments before its first
// picture (a stop that came first, on a loaded machine tens of milliseconds of it).
// `pictureSize` receives the size of the file's own picture (0 x 0 without one), which an
// encoder may have made even.
bool stillPlays(const QString& path, bool video, QSize* pictureSize) {
    RZInfoClass info;
    info.createHandle();
    if (!info.open(path.toUtf8().constData()) || !(video ? info.hasPictures() : info.hasMedia())) {
        return false;
    }
    *pictureSize = info.hasPicture() ? QSize(info.openHintA(), info.openHintB()) : QSize(0, 0);
    return true;
}

} // namespace

void QRecordObject::setParamsAdjuster(ParamsAdjuster adjuster) {
    g_paramsAdjuster = std::move(adjuster);
}

QRecordObject::QRecordObject(QObject* parent)
    : QObject(parent), m_recorder(cvcodec_recorder_create(-1)), m_videoFrame(cvcodec_frame_create()),
      m_systemAudio(new QRecordAudioObject(QRecordAudioObject::SystemSound, this)),
      m_microphone(new QRecordAudioObject(QRecordAudioObject::Microphone, this)) {
    // Told from the capture threads; a change that arrives after the stop is old news.
    for (QRecordAudioObject* audio : {m_systemAudio, m_microphone}) {
        const int source = audio == m_systemAudio ? QRecordAudioObject::SystemSound : QRecordAudioObject::Microphone;
        connect(
            audio, &QRecordAudioObject::emitCaptureChanged, this,
            [this, source](int change) { takeSoundChange(source, change); }, Qt::QueuedConnection);
    }
}

void QRecordObject::takeSoundChange(int source, int change) {
    if (m_stopped) {
        return;
    }
    m_soundLost &= ~source;
    m_soundFromDefault &= ~source;
    if (change == QRecordAudioObject::CaptureLost) {
        m_soundLost |= source;
    } else if (change == QRecordAudioObject::CaptureFromDefault) {
        m_soundFromDefault |= source;
    }
    // Sources that go together (the sound server ended) are told together: what comes
    // within a moment is gathered first.
    if (!m_soundTellPending) {
        m_soundTellPending = true;
        QTimer::singleShot(kSoundGatherMs, this, &QRecordObject::tellSoundChange);
    }
}

void QRecordObject::tellSoundChange() {
    m_soundTellPending = false;
    if (m_stopped) {
        return;
    }
    const int state = m_soundLost != 0          ? QRecordAudioObject::CaptureLost
                      : m_soundFromDefault != 0 ? QRecordAudioObject::CaptureFromDefault
                                                : QRecordAudioObject::CaptureBack;
    const int sources = state == QRecordAudioObject::CaptureLost          ? m_soundLost
                        : state == QRecordAudioObject::CaptureFromDefault ? m_soundFromDefault
                                                                          : 0;
    // Told when the state changes, or when one more source joins it.
    if (state != m_soundTold || (sources & ~m_soundToldSources) != 0) {
        m_soundTold = state;
        m_soundToldSources = sources;
        emit emitSoundChanged(state, sources);
    }
}

QRecordObject::~QRecordObject() {
    stopRecord();
    cvcodec_frame_release(m_videoFrame);
    cvcodec_recorder_release(m_recorder);
    delete m_cursorImage;
}

bool QRecordObject::isRecording() const {
    return !m_stopped;
}
bool QRecordObject::isPaused() const {
    return !m_stopped && m_paused;
}
QString QRecordObject::thumbnailPath() const {
    return m_thumbnailPath;
}
QString QRecordObject::outputPath() const {
    return m_outputPath;
}

QString QRecordObject::formatDurationText(uint64_t microseconds) {
    // Hours are not wrapped at 24: a day-long recording reads "24:00:00", not nothing.
    const uint64_t seconds = microseconds / 1'000'000;
    return QString::asprintf("%02llu:%02llu:%02llu", static_cast<unsigned long long>(seconds / 3600),
                             static_cast<unsigned long long>(seconds / 60 % 60),
                             static_cast<unsigned long long>(seconds % 60));
}

WatermarkPlacement QRecordObject::placeWatermark(QSize captureSize, QSize imageSize, int position,
                                                 int verticalMarginPercent, int horizontalMarginPercent) {
    const int cw = captureSize.width();
    const int ch = captureSize.height();
    const int w = imageSize.width();
    const int h = imageSize.height();
    const int my = int(int64_t(ch) * verticalMarginPercent / 100);
    const int mx = int(int64_t(cw) * horizontalMarginPercent / 100);
    const int column = std::clamp(position, 0, 8) % 3;
    const int row = std::clamp(position, 0, 8) / 3;

    int x = 0;
    int left = 0;
    int right = w - 1;
    if (column == 0) {
        x = mx;
        right = mx + w > cw ? cw - mx - 1 : w - 1;
    } else if (column == 1) {
        if (w <= cw) {
            x = (cw - w) / 2;
        } else {
            left = (w - cw) / 2;
            right = left + cw - 1;
        }
    } else if (mx + w > cw) {
        left = w + mx - cw;
    } else {
        x = cw - mx - w;
    }

    int y = 0;
    int top = 0;
    int bottom = h - 1;
    if (row == 0) {
        y = my;
        bottom = my + h <= ch ? h - 1 : ch - my - 1;
    } else if (row == 1) {
        if (h <= ch) {
            y = (ch - h) / 2;
        } else {
            top = (h - ch) / 2;
            bottom = top + ch - 1;
        }
    } else if (my + h <= ch) {
        y = ch - my - h;
    } else {
        top = h + my - ch;
    }
    return {QPoint(x, y), QRect(QPoint(left, top), QPoint(right, bottom))};
}

bool QRecordObject::startRecord(const QString& file, float systemVolume, bool hasVideo) {
    if (!m_stopped) {
        stopRecord();
    }
    m_hasVideo = hasVideo;
    m_historyPending = true;
    m_failureReported = false;
    m_soundLost = 0;
    m_soundFromDefault = 0;
    m_soundTold = QRecordAudioObject::CaptureBack;
    m_soundToldSources = 0;
    m_fileWhole = true;
    m_paused = false;
    m_outputPath = file;
    m_outputExisted = QFileInfo::exists(file);
    const QByteArray utf8Path = file.toUtf8();

    QByteArray formatName;
    cvcodec_params params = streamParams(formatName);
    cvcodec_token token = cvcodec_start_scope_begin();
    startSoundSources(params, systemVolume);
    QString reason;
    bool ok = openEncoder(params, utf8Path, formatName, reason);
    cvcodec_params_release(params);
    cvcodec_start_scope_end(token);
    if (!ok) {
        failStart(reason);
        return false;
    }
    m_thumbnailPath.clear();
    m_stopped = false;
    m_lastRecordTime = 0;
    m_nextSlot = 0;
    m_pausedUs = 0;
    loadOverlays();
    startTimers();
    return true;
}

cvcodec_params QRecordObject::streamParams(QByteArray& formatName) {
    auto param = std::make_unique<ConvertParam>();
    fillFormatParams(*param);
    cvcodec_params params = cvcodec_params_create();
    configureStream(params, *param);
    if (g_paramsAdjuster) {
        g_paramsAdjuster(params);
    }
    formatName = QByteArray(param->name ? param->name : "");
    m_formatName = currentFormatName();
    m_formatExtension = currentFormatExtension();
    m_formatSize = QSize(param->videoWidth, param->videoHeight);
    takeFrameRate(*param);
    return params;
}

void QRecordObject::takeFrameRate(const ConvertParam& param) {
    // The same rate the encoder is given (hundredths first, as configureStream does).
    if (param.frameRateHundredths > 0) {
        m_frameRateNum = param.frameRateHundredths;
        m_frameRateDen = 100;
    } else if (param.frameRateNumerator > 0 && param.frameRateDenominator > 0) {
        m_frameRateNum = param.frameRateNumerator;
        m_frameRateDen = param.frameRateDenominator;
    } else {
        m_frameRateNum = 30;
        m_frameRateDen = 1;
    }
    m_framePeriodUs = int64_t(1'000'000) * m_frameRateDen / m_frameRateNum;
    if (m_framePeriodUs < 1000) {
        m_frameRateNum = 1000;
        m_frameRateDen = 1;
        m_framePeriodUs = 1000;
    }
}

bool QRecordObject::startChosenSources(bool& systemStarted, bool& microphoneStarted) {
    QRecordAreaInfo* area = QRecordAreaInfo::instance();
    const bool systemChosen = area->hasAudioSource(QRecordAreaInfo::SystemSound);
    const bool microphoneChosen =
        area->hasAudioSource(QRecordAreaInfo::Microphone) && area->isDevicePresent(QRecordAreaInfo::Microphone);
    // With both sources the microphone goes into a track of its own that the encoder
    // mixes into the system sound.
    m_systemAudio->setRecorder(m_recorder);
    m_microphone->setRecorder(systemChosen && microphoneChosen ? nullptr : m_recorder);
    // Every supported system captures the system sound: the microphone-only path of old
    // systems is not needed. A capture already running (opened ahead, or over a cut) is
    // kept; one switched off is ended.
    systemStarted = false;
    microphoneStarted = false;
    for (QRecordAudioObject* audio : {m_microphone, m_systemAudio}) {
        const bool chosen = audio == m_systemAudio ? systemChosen : microphoneChosen;
        bool& started = audio == m_systemAudio ? systemStarted : microphoneStarted;
        if (!chosen) {
            audio->stop();
        } else if (!audio->isCapturing()) {
            audio->start();
            started = true;
        }
    }
    return systemChosen && microphoneChosen;
}

void QRecordObject::startSoundSources(cvcodec_params params, float systemVolume) {
    m_systemAudio->setVolume(systemVolume);
    bool systemStarted = false;
    bool microphoneStarted = false;
    if (startChosenSources(systemStarted, microphoneStarted)) {
        cvcodec_params_set_track_mixing(params, 1);
        cvcodec_params_add_mix_track(params, m_microphone->audioTrack());
    }
    // What is played from the first picture on is in the file: a capture opened just now
    // is waited for until its sound flows.
    const auto deadline = getMicroseconds() + int64_t(kFirstSoundWaitMs) * 1000;
    for (QRecordAudioObject* audio : {m_systemAudio, m_microphone}) {
        if (audio == m_systemAudio ? systemStarted : microphoneStarted) {
            audio->waitForSound(int(std::max<int64_t>(deadline - getMicroseconds(), 0) / 1000));
        }
    }
}

void QRecordObject::prepareSound() {
    if (!m_stopped) {
        return;
    }
    bool systemStarted = false;
    bool microphoneStarted = false;
    startChosenSources(systemStarted, microphoneStarted);
}

void QRecordObject::releasePreparedSound() {
    if (m_stopped) {
        m_systemAudio->stop();
        m_microphone->stop();
    }
}

// For a video recording, prepares the screen and the pointer; then opens the file and
// lets the sound through. The screen comes first, so that an area that cannot be read
// never creates a file.
bool QRecordObject::openEncoder(cvcodec_params params, const QByteArray& utf8Path, const QByteArray& formatName,
                                QString& reason) {
    QRecordAreaInfo* area = QRecordAreaInfo::instance();
    m_origin = area->areaOrigin();
    m_size = area->areaSize();
    m_screenshotPending = false;
    if (m_hasVideo) {
        m_scale = double(scaleFactor());
        m_screen = std::make_unique<ScreenCapture>();
        m_cursor = std::make_unique<CursorCapture>();
        if (!m_screen->open(m_origin.x(), m_origin.y(), m_size.width(), m_size.height(), m_scale)) {
            reason = "the screen cannot be read: " + QString::fromStdString(m_screen->lastError());
            qWarning().noquote() << "recordStart--------------------------" + reason;
            return false;
        }
    }
    if (!cvcodec_recorder_open(m_recorder, utf8Path.constData(), formatName.constData(), params)) {
        reason = "the encoder did not open " + m_outputPath;
        qWarning().noquote() << "recordStart--------------------------" + reason;
        return false;
    }
    // The recorder's clock starts with the open: pictures and sound are stamped from here;
    // the next file of a cut counts from the cut, where its sound goes on.
    m_startTimeUs = m_cutAtUs >= 0 ? m_cutAtUs : getMicroseconds();
    m_cutAtUs = -1;
    // The recorder's pauses are on the same clock as the stamps.
    cvcodec_recorder_set_clock_origin(m_recorder, m_startTimeUs);
    if (!cvcodec_recorder_is_running(m_recorder)) {
        reason = "the file cannot be written " + m_outputPath;
        qWarning().noquote() << "recordStart--------------------------" + reason;
        return false;
    }
    m_systemAudio->beginRecording(m_startTimeUs);
    m_microphone->beginRecording(m_startTimeUs);
    return true;
}

// A start that failed leaves nothing behind: no capture thread, no open file, no
// history entry, no half-written output.
void QRecordObject::failStart(const QString& reason) {
    m_historyPending = false;
    m_microphone->stop();
    m_systemAudio->stop();
    killTimers();
    if (cvcodec_recorder_is_running(m_recorder)) {
        cvcodec_recorder_stop(m_recorder);
    }
    cvcodec_recorder_close(m_recorder);
    releaseCaptureBuffers();
    if (!m_outputExisted && !m_outputPath.isEmpty() && QFile::exists(m_outputPath)) {
        QFile::remove(m_outputPath);
    }
    m_stopped = true;
    reportFailure(reason);
}

void QRecordObject::reportFailure(const QString& reason) {
    if (m_failureReported) {
        return;
    }
    m_failureReported = true;
    emit emitRecordFailed(reason);
}

void QRecordObject::startTimers() {
    // Pictures are grabbed by a single-shot timer set for the next slot only, so that no
    // timer fires while nothing is due (a 10 ms tick would wake the thread two or three
    // times between two slots).
    if (m_hasVideo && !m_slotTimer) {
        armSlotTimer();
    }
    if (!m_timeTimer) {
        m_timeTimer = startTimer(kTimeTickMs, Qt::CoarseTimer);
    }
    if (!m_hasVideo && !m_audioDataTimer) {
        m_audioDataTimer = startTimer(kAudioDataTickMs, Qt::CoarseTimer);
    }
}

void QRecordObject::killTimers() {
    for (int* id : {&m_slotTimer, &m_timeTimer, &m_audioDataTimer}) {
        if (*id) {
            killTimer(*id);
            *id = 0;
        }
    }
}

void QRecordObject::pauseRecord() {
    killTimers();
    if (m_stopped || m_paused) {
        return;
    }
    m_paused = true;
    // The sound's pause begins just before the recorder's and ends just after it, so
    // that both leave out the same span (to well below a sample): the recorder leaves
    // out sound whose first moment falls in its pause.
    m_systemAudio->setPaused(true);
    m_microphone->setPaused(true);
    m_pauseStartUs = getMicroseconds();
    cvcodec_recorder_pause(m_recorder);
}

void QRecordObject::resumeRecord() {
    if (m_stopped || !cvcodec_recorder_is_running(m_recorder)) {
        return;
    }
    if (m_paused) {
        // Asking for the recorded time resumes the recorder at once (not at the next
        // picture), so that sound captured from now on is kept.
        cvcodec_recorder_recorded_time(m_recorder);
        // The paused span is left out of the recording's clock: the slots after it
        // continue the grid where the pause cut it.
        const int64_t now = getMicroseconds();
        m_pausedUs += now - m_pauseStartUs;
        m_nextSlot = std::max(m_nextSlot, slotAtOrAfter(now));
        m_systemAudio->setPaused(false);
        m_microphone->setPaused(false);
        m_paused = false;
    }
    startTimers();
}

void QRecordObject::takeScreenshot(const QString& path) {
    m_screenshotPath = path;
    m_screenshotPending = true;
}

void QRecordObject::stopRecord() {
    if (!m_stopped) {
        endFileAt(getMicroseconds(), kStopHoldMs);
    }
    m_systemAudio->stop();
    m_microphone->stop();
    m_cutAtUs = -1;
    finishFile();
}

void QRecordObject::stopForCut() {
    if (m_stopped) {
        return;
    }
    // The next file starts at the cut, running, with the sound from that moment on.
    const int64_t cutAt = getMicroseconds();
    if (!endFileAt(cutAt, kCutHoldMs)) {
        qWarning() << "recordCut--------------------------the sound before the cut did not come in time";
    }
    m_cutAtUs = cutAt;
    finishFile();
}

bool QRecordObject::endFileAt(int64_t atUs, int holdMs) {
    // Picture and sound end at this moment: the recorder's clock stops here (or where a
    // pause stopped it), while the capture threads still read the sound played up to
    // it, which comes a little later.
    killTimers();
    if (!m_paused) {
        const uint64_t t = cvcodec_recorder_recorded_time(m_recorder);
        if (t != 0) {
            m_lastRecordTime = t;
        }
        cvcodec_recorder_pause(m_recorder);
        m_paused = true;
    }
    bool handedOn = true;
    for (QRecordAudioObject* audio : {m_systemAudio, m_microphone}) {
        handedOn = audio->holdFrom(atUs, holdMs) && handedOn;
    }
    return handedOn;
}

void QRecordObject::finishFile() {
    killTimers();
    if (m_recorder && !m_stopped) {
        if (!m_paused) {
            const uint64_t t = cvcodec_recorder_recorded_time(m_recorder);
            if (t != 0) {
                m_lastRecordTime = t;
            }
        }
        m_fileWhole = cvcodec_recorder_stop(m_recorder) != 0;
        cvcodec_recorder_close(m_recorder);
        if (!m_fileWhole) {
            qWarning() << "recordStop--------------------------the file could not be finished" << m_outputPath;
        }
    }
    m_stopped = true;
    m_paused = false;
    releaseCaptureBuffers();
    const bool plays = addToHistory();
    if (!m_fileWhole) {
        reportFailure("the file could not be finished " + m_outputPath);
    } else if (!plays) {
        reportFailure("the file does not play " + m_outputPath);
    }
}

// The screen's shared memory and the display connections are made at every start and
// given back at every stop, so that a long session of cuts holds no more than one set.
void QRecordObject::releaseCaptureBuffers() {
    m_screen.reset();
    m_cursor.reset();
}

void QRecordObject::timerEvent(QTimerEvent* event) {
    const int id = event->timerId();
    if (id == 0) {
        return;
    }
    if (id == m_slotTimer) {
        killTimer(m_slotTimer);
        m_slotTimer = 0;
        videoTick();
    } else if (id == m_timeTimer) {
        timeTick();
    } else if (id == m_audioDataTimer) {
        audioDataTick();
    }
}

void QRecordObject::timeTick() {
    if (!m_recorder) {
        return;
    }
    if (!m_stopped && !cvcodec_recorder_is_running(m_recorder)) {
        // The file cannot be written any further (a full disk): the recording ends
        // here like a stop, so what reached the file is finished, playable and listed.
        qWarning() << "recordTime--------------------------writing the recording failed; stopped" << m_outputPath;
        stopRecord();
        reportFailure("writing the file failed " + m_outputPath);
        return;
    }
    const uint64_t t = cvcodec_recorder_recorded_time(m_recorder);
    if (t != 0) {
        m_lastRecordTime = t;
        emit emitRecordTime(t);
    }
}

void QRecordObject::audioDataTick() {
    if (!m_recorder || m_hasVideo) {
        return;
    }
    uint8_t* block = cvcodec_recorder_level_block(m_recorder, 1);
    if (block) {
        uint32_t bytes = 0;
        std::memcpy(&bytes, block + CVCODEC_LEVEL_SIZE_OFFSET, sizeof bytes);
        emit emitAudioData(block, int(bytes / 2));
    }
    cvcodec_recorder_release_level_block(m_recorder, block);
}

void QRecordObject::loadOverlays() {
    QRecordAreaInfo* area = QRecordAreaInfo::instance();
    m_clickCounter = m_highlightCounter = -1;
    m_clickStartUs = m_releaseUs = -1;
    m_highlightImage = QPixmap();
    m_clickImage = QPixmap();
    m_watermarkImage = QPixmap();
    m_watermarkSource = QRect(0, 0, -1, -1);
    // Overlays are painted into pictures only: a sound recording loads none.
    if (!m_hasVideo) {
        return;
    }
    if (area->cursorOption(QRecordAreaInfo::HighlightCursor) &&
        m_highlightImage.load(QRecordAreaInfo::cursorImagePath(
            QRecordAreaInfo::HighlightCursor, area->cursorImageIndex(QRecordAreaInfo::HighlightCursor)))) {
        // Always drawn at one size: scaled once here, not on every frame.
        m_highlightImage =
            m_highlightImage.scaled(kOverlaySize, kOverlaySize, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }
    if (area->cursorOption(QRecordAreaInfo::HighlightClicks)) {
        m_clickImage.load(QRecordAreaInfo::cursorImagePath(QRecordAreaInfo::HighlightClicks,
                                                           area->cursorImageIndex(QRecordAreaInfo::HighlightClicks)));
    }

    const WatermarkImageSettings settings = area->watermarkSettings();
    const QString path = QString::fromStdString(settings.imagePath);
    if (path.isEmpty() || !QFileInfo::exists(path)) {
        return;
    }
    QFile file(path);
    QPixmap image;
    if (!file.open(QIODevice::ReadOnly) || !image.loadFromData(file.readAll()) || image.isNull()) {
        return;
    }
    const int cw = m_size.width();
    const int ch = m_size.height();
    const int iw = image.width();
    const int ih = image.height();
    int baseWidth = 0;
    int baseHeight = 0;
    // Compared as ih / iw < ch / cw without rounding.
    if (int64_t(ih) * cw < int64_t(ch) * iw) {
        baseWidth = cw / 2;
        baseHeight = int(int64_t(baseWidth) * ih / iw);
    } else {
        baseHeight = ch / 2;
        baseWidth = int(int64_t(baseHeight) * iw / ih);
    }
    const int w = int(baseWidth * settings.widthScalePercent / 100.0);
    const int h = int(baseHeight * settings.heightScalePercent / 100.0);
    if (w <= 0 || h <= 0) {
        return;
    }
    const QPixmap scaled = image.scaled(w, h, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    // The transparency is applied once here rather than on every frame.
    QPixmap faded(scaled.size());
    faded.fill(Qt::transparent);
    {
        QPainter painter(&faded);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawPixmap(0, 0, scaled);
        painter.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        painter.fillRect(faded.rect(), QColor(0, 0, 0, std::clamp(settings.alpha, 0, 255)));
    }
    const WatermarkPlacement placement = placeWatermark(
        m_size, scaled.size(), settings.position, settings.verticalMarginPercent, settings.horizontalMarginPercent);
    m_watermarkImage = faded;
    m_watermarkPoint = placement.destination;
    m_watermarkSource = placement.source;
}

int64_t QRecordObject::slotTimeUs(int64_t slot) const {
    // Exact for any rate: no period rounded to whole microseconds adds up over hours.
    return m_startTimeUs + m_pausedUs + slot * 1'000'000 * m_frameRateDen / m_frameRateNum;
}

int64_t QRecordObject::slotAtOrAfter(int64_t clockUs) const {
    const int64_t since = clockUs - m_startTimeUs - m_pausedUs;
    if (since <= 0) {
        return 0;
    }
    const int64_t scale = int64_t(1'000'000) * m_frameRateDen;
    return (since * m_frameRateNum + scale - 1) / scale;
}

// A single-shot precise timer for the next slot (at most a second away: the slot is
// looked at again then).
void QRecordObject::armSlotTimer() {
    if (m_slotTimer) {
        killTimer(m_slotTimer);
        m_slotTimer = 0;
    }
    const int64_t wait = slotTimeUs(m_nextSlot) - getMicroseconds();
    m_slotTimer = startTimer(int(std::clamp<int64_t>(wait / 1000, 0, 1000)), Qt::PreciseTimer);
}

void QRecordObject::videoTick() {
    if (!m_recorder || !m_screen) {
        return;
    }
    // Grabs fall on the recording's own frame grid: slot k is due k frame periods after
    // the start (paused spans left out), and its picture is stamped with that time, so
    // that every slot gets its own picture and no two pictures meet in one slot.
    int64_t now = getMicroseconds();
    const int64_t due = slotTimeUs(m_nextSlot);
    if (now < due) {
        if (due - now > kSlotSpinUs) {
            if (!m_slotTimer) {
                armSlotTimer();
            }
            return;
        }
        calvorine::platform::sleepForMicroseconds(due - now);
        now = getMicroseconds();
    }
    // Late by more than half a period (the machine did not keep up): the picture goes to
    // the slot nearest to its grab; the slots missed repeat the picture before.
    int64_t slot = m_nextSlot;
    while (now - slotTimeUs(slot + 1) >= -m_framePeriodUs / 2) {
        ++slot;
    }
    m_nextSlot = slot + 1;
    armSlotTimer();
    // An encoder slower than the slots takes pictures at its own pace: grabbing more
    // would only make a queue grow behind it (and the stop wait for it).
    if (cvcodec_recorder_video_backlog(m_recorder) >= kMostBacklogUs) {
        return;
    }

    uint8_t* pixels = m_screen->grab();
    if (!pixels) {
        return;
    }
    QImage frame(pixels, m_screen->width(), m_screen->height(), m_screen->bytesPerLine(), QImage::Format_RGB32);
    // Each overlay is painted over its own rectangle only.
    drawWatermark(frame);
    PointerState pointer;
    if (m_cursor->queryPointer(pointer)) {
        const QPoint cursor(int(pointer.x / m_scale) - m_origin.x(), int(pointer.y / m_scale) - m_origin.y());
        drawClickAndHighlight(frame, cursor, pointer.leftButtonDown);
    }
    drawCursor(frame);
    if (m_screenshotPending) {
        m_screenshotPending = false;
        if (!frame.save(m_screenshotPath)) {
            qWarning() << "recordScreenshot--------------------------cannot save" << m_screenshotPath;
            emit emitScreenshotFailed(m_screenshotPath);
        }
    }
    if (m_thumbnailPath.isEmpty()) {
        saveThumbnail(frame);
    }
    pushFrame(frame, slotTimeUs(slot) - m_startTimeUs);
}

void QRecordObject::drawWatermark(QImage& frame) {
    if (m_watermarkImage.isNull() || !m_watermarkSource.isValid()) {
        return;
    }
    paintOver(frame, QRect(m_watermarkPoint, m_watermarkSource.size()),
              [this](QPainter& painter) { painter.drawPixmap(m_watermarkPoint, m_watermarkImage, m_watermarkSource); });
}

void QRecordObject::drawClickAndHighlight(QImage& frame, QPoint cursor, bool buttonDown) {
    QRecordAreaInfo* area = QRecordAreaInfo::instance();
    const int64_t now = getMicroseconds();
    auto drawCentred = [&frame, cursor](const QPixmap& image, double opacity = 1.0) {
        const QPoint corner(cursor.x() - image.width() / 2, cursor.y() - image.height() / 2);
        paintOver(frame, QRect(corner, image.size()), [&](QPainter& painter) {
            painter.setOpacity(opacity);
            painter.drawPixmap(corner, image);
        });
    };
    auto rotated = [](const QPixmap& image, int size, double degrees) {
        const QPixmap scaled = image.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        return scaled.transformed(QTransform().rotate(degrees), Qt::SmoothTransformation);
    };
    auto drawHighlight = [&]() {
        if (area->cursorOption(QRecordAreaInfo::HighlightCursor) && !m_highlightImage.isNull()) {
            drawCentred(m_highlightImage);
        }
    };

    if (buttonDown && area->cursorOption(QRecordAreaInfo::HighlightClicks)) {
        ++m_clickCounter;
        m_highlightCounter = -1;
        int64_t elapsed = 0;
        if (m_clickCounter == 0) {
            m_clickStartUs = now;
        } else {
            elapsed = now - m_clickStartUs;
        }
        if (!m_clickImage.isNull()) {
            drawCentred(rotated(m_clickImage, kOverlaySize, double(elapsed % kTurnUs) * 360.0 / kTurnUs));
        }
        return;
    }
    if (m_clickCounter < 0) {
        m_clickCounter = m_highlightCounter = -1;
        drawHighlight();
        return;
    }
    // Released after a click: a ring that keeps turning, grows to 2.5 times its size and
    // fades out within a second; then the highlight again.
    ++m_highlightCounter;
    const int64_t elapsed = now - m_clickStartUs;
    int64_t sinceRelease = 0;
    if (m_highlightCounter == 0) {
        m_releaseUs = now;
    } else {
        sinceRelease = now - m_releaseUs;
    }
    if (sinceRelease >= kFadeUs) {
        m_clickCounter = m_highlightCounter = -1;
        drawHighlight();
        return;
    }
    if (m_clickImage.isNull()) {
        return;
    }
    const double progress = double(sinceRelease) / kFadeUs;
    const int size = int((1.0 + 1.5 * progress) * kOverlaySize);
    drawCentred(rotated(m_clickImage, size, double(elapsed % kTurnUs) * 360.0 / kTurnUs), 1.0 - progress);
}

void QRecordObject::drawCursor(QImage& frame) {
    if (!QRecordAreaInfo::instance()->cursorOption(QRecordAreaInfo::ShowCursor) || !m_cursor) {
        return;
    }
    CursorImage cursor;
    if (!m_cursor->currentCursor(cursor)) {
        return;
    }
    if (!m_cursorImage || cursor.serial != m_cursorSerial || m_cursorImage->width() != cursor.width ||
        m_cursorImage->height() != cursor.height) {
        delete m_cursorImage;
        m_cursorImage = new QImage(QImage(reinterpret_cast<const uchar*>(cursor.pixels.data()), cursor.width,
                                          cursor.height, cursor.width * 4, QImage::Format_ARGB32_Premultiplied)
                                       .copy());
        m_cursorSerial = cursor.serial;
    }
    // The image is placed so that its hotspot, not its corner, lies on the pointer.
    const double x = (cursor.x - cursor.hotspotX) / m_scale - m_origin.x();
    const double y = (cursor.y - cursor.hotspotY) / m_scale - m_origin.y();
    if (m_scale == 1.0) {
        const QPoint corner{int(x), int(y)};
        paintOver(frame, QRect(corner, m_cursorImage->size()),
                  [&](QPainter& painter) { painter.drawImage(corner, *m_cursorImage); });
    } else {
        const QRectF target(x, y, cursor.width / m_scale, cursor.height / m_scale);
        paintOver(frame, target.toAlignedRect(), [&](QPainter& painter) { painter.drawImage(target, *m_cursorImage); });
    }
}

void QRecordObject::saveThumbnail(const QImage& frame) {
    const QImage small = frame.scaled(kThumbnailSize, kThumbnailSize, Qt::KeepAspectRatio, Qt::FastTransformation);
    const QString name =
        QString::fromStdString(MD5(m_outputPath.toUtf8().toStdString()).hexdigest()) + QString(".%1").arg("JPG");
    const QString path = getTempProductDir() + "/" + name;
    if (!QFileInfo::exists(path)) {
        small.save(path, "JPG");
    }
    m_thumbnailPath = path;
}

void QRecordObject::pushFrame(const QImage& frame, int64_t timestampUs) {
    cvcodec_frame_set_pixel_format(m_videoFrame, CVCODEC_PIXEL_BGRA);
    cvcodec_frame_set_size(m_videoFrame, frame.width(), frame.height());
    cvcodec_frame_set_plane(m_videoFrame, 0, frame.constBits(), int32_t(frame.bytesPerLine()));
    // Stamped with the time of its slot, on the clock the sound is stamped with; the grab
    // happened at that time or as close after it as the machine allowed.
    cvcodec_frame_set_timestamp(m_videoFrame, timestampUs);
    cvcodec_recorder_push_video(m_recorder, m_videoFrame);
}

bool QRecordObject::addToHistory() {
    if (!m_historyPending) {
        return true;
    }
    m_historyPending = false;
    m_outputPath.replace('\\', '/');
    // Never delete what was recorded; but a file that does not open or holds nothing
    // (cut short that early, or stopped before anything was written) is not listed as a
    // recording.
    QSize pictureSize;
    if (!stillPlays(m_outputPath, m_hasVideo, &pictureSize)) {
        qWarning() << "recordStop--------------------------the file does not play; not listed" << m_outputPath;
        return false;
    }
    const QFileInfo info(m_outputPath);
    HistoryXmlItem item;
    item.thumbnailPath = m_thumbnailPath;
    item.mediaPath = m_outputPath;
    int width = 0;
    int height = 0;
    if (m_hasVideo && pictureSize.width() > 0 && pictureSize.height() > 0) {
        // What the file holds, as the player and the editor will find it.
        width = pictureSize.width();
        height = pictureSize.height();
    } else if (m_hasVideo) {
        width = m_formatSize.width() > 0 ? m_formatSize.width() : m_size.width();
        height = m_formatSize.height() > 0 ? m_formatSize.height() : m_size.height();
    }
    item.resolution = QString("%1*%2").arg(width).arg(height);
    item.duration = formatDurationText(m_lastRecordTime);
    item.size = formatFileSize(info.size());
    QDateTime created = info.birthTime();
    if (!created.isValid()) {
        created = info.lastModified();
    }
    item.creationTime = created.toString("dd-MM-yyyy hh:mm");
    item.format = m_formatName;
    item.extension = m_formatExtension;
    item.isVideo = m_hasVideo;
    item.isNew = true;
    if (!addHistoryItem(item)) {
        qWarning() << "recordStop--------------------------the history could not be saved" << m_outputPath;
        emit emitHistoryNotSaved(m_outputPath);
    }
    return true;
}
