#include "library/RZQPlayObject.h"

#include "library/VideoImageWindow.h"
#include "media/FormatTables.h"
#include "media/RZPlayerClass.h"

#include <QTimer>

#include <algorithm>
#include <cstring>

RZQPlayObject::RZQPlayObject(QObject* parent) : QObject(parent), m_player(new RZPlayerClass(this)) {
    m_player->createHandle(true);
    m_timeTimer = new QTimer(this);
    m_screenTimer = new QTimer(this);
    m_audioTimer = new QTimer(this);
    connect(m_timeTimer, &QTimer::timeout, this, &RZQPlayObject::UpdateTime);
    connect(m_screenTimer, &QTimer::timeout, this, &RZQPlayObject::UpdataScreen);
    connect(m_audioTimer, &QTimer::timeout, this, &RZQPlayObject::OnAudioDataTime);
}

RZQPlayObject::~RZQPlayObject() {
    stopTimers();
    if (hasHandle()) {
        m_player->close();
    }
    delete m_player; // destroys the handle
    m_player = nullptr;
}

bool RZQPlayObject::hasHandle() const {
    return m_player != nullptr && m_player->isValid();
}

bool RZQPlayObject::isTimeTimerActive() const {
    return m_timeTimer->isActive();
}
bool RZQPlayObject::isScreenTimerActive() const {
    return m_screenTimer->isActive();
}
bool RZQPlayObject::isAudioTimerActive() const {
    return m_audioTimer->isActive();
}

void RZQPlayObject::stopTimers() {
    m_timeTimer->stop();
    m_screenTimer->stop();
    m_audioTimer->stop();
}

void RZQPlayObject::hideVideoWindow() {
    if (m_videoWindow != nullptr) {
        m_videoWindow->hide();
    }
}

void RZQPlayObject::setRenderWidget(VideoImageWindow* window) {
    m_videoWindow = window;
}

void RZQPlayObject::openFile(const QString& path, int hintA, int hintB) {
    if (!hasHandle()) {
        return;
    }
    if (!m_player->isAtEnd()) {
        m_player->stop();
    }
    emit emitRefreshPlayView();
    if (!m_player->openFile(path.toUtf8().constData(), hintA, hintB, 0, 0)) {
        stopTimers();
        ShowTime(0);
        emit emitPlayPro(0.0);
        emit emitPlayFinish();
        emit emitAudioData(nullptr, 0);
        hideVideoWindow();
        return;
    }
    m_player->setInterval(50000);
    ResizeVideoWindow(m_keepAspect);
    m_player->setVolume(int(m_volume));
    ShowTime(0);
    m_screenTimer->start(50);
    if (m_videoWindow != nullptr) {
        m_player->setSecondVideoWindow(int(m_videoWindow->nativeHandle()));
    }
    checkStreams();
    emit emitCoverImage(getCoverImage(path));
}

void RZQPlayObject::checkStreams() {
    if (!hasHandle()) {
        return;
    }
    if (m_player->hasVideo()) {
        emit emitIsHaveVideo(true);
        m_audioOnly = false;
    } else if (m_player->hasAudio()) {
        emit emitIsHaveVideo(false);
        m_audioOnly = true;
    }
}

void RZQPlayObject::OnPlayVideo() {
    if (!hasHandle()) {
        return;
    }
    if (!m_player->hasVideo() && !m_player->hasAudio()) {
        VideoFinished();
        return;
    }
    if (m_player->isAtEnd()) {
        m_player->stop();
    }
    if (!m_player->play()) {
        return;
    }
    if (m_audioOnly) {
        m_audioTimer->start(50);
    } else if (m_videoWindow != nullptr) {
        m_videoWindow->show();
    }
    m_screenTimer->stop();
    m_timeTimer->start(100);
}

void RZQPlayObject::StartPlay() {
    emit emitPlayState(true);
    OnPlayVideo();
}

void RZQPlayObject::pausePlay() {
    emit emitPlayState(false);
    OnPauseVideo();
}

void RZQPlayObject::OnPauseVideo() {
    if (!hasHandle() || !m_player->pause()) {
        return;
    }
    m_screenTimer->start(50);
    m_timeTimer->stop();
    m_audioTimer->stop();
    emit emitAudioData(nullptr, 0);
}

void RZQPlayObject::UpdateTime() {
    if (!hasHandle()) {
        return;
    }
    if (m_player->isAtEnd()) {
        m_audioTimer->stop();
        emit emitAudioData(nullptr, 0);
        m_timeTimer->stop();
        ShowTime(0);
        emit emitPlayPro(0.0);
        emit emitPlayFinish();
        m_screenTimer->start(50);
        emit emitPlayPro(0.0);
        return;
    }
    const uint64_t duration = m_player->duration();
    const uint64_t position = m_player->position();
    if (position == 0) {
        return;
    }
    // A file whose length is unknown shows no progress rather than dividing by zero.
    emit emitPlayPro(duration > 0 ? std::min(1.0, double(position) / double(duration)) : 0.0);
    ShowTime(position);
    if (m_videoWindow != nullptr) {
        m_videoWindow->repaint();
    }
}

void RZQPlayObject::UpdataScreen() {
    if (hasHandle() && m_player->hasVideo()) {
        m_player->repaint();
    }
}

void RZQPlayObject::OnAudioDataTime() {
    if (!hasHandle()) {
        return;
    }
    unsigned char* block = m_player->audioBlock(1);
    if (block != nullptr) {
        uint32_t bytes = 0;
        std::memcpy(&bytes, block + 24, sizeof bytes);
        emit emitAudioData(block, int(bytes / 2));
    }
    m_player->releaseAudioBlock(block);
}

QString RZQPlayObject::timeText(uint64_t positionUs, uint64_t durationUs) {
    const auto format = [](uint64_t microseconds) {
        const uint32_t ms = uint32_t(microseconds / 1000);
        const uint32_t hours = ms / 3600000;
        const uint32_t minutes = ms / 60000 - hours * 60;
        const uint32_t seconds = ms / 1000 - (ms / 60000) * 60;
        const QChar zero(QLatin1Char('0'));
        return QStringLiteral("%1:%2:%3").arg(hours, 2, 10, zero).arg(minutes, 2, 10, zero).arg(seconds, 2, 10, zero);
    };
    return QStringLiteral("%1 / %2").arg(format(positionUs), format(durationUs));
}

void RZQPlayObject::ShowTime(uint64_t positionUs) {
    emit emitPlayTime(timeText(positionUs, hasHandle() ? m_player->duration() : 0));
}

void RZQPlayObject::ProgressValueChange(double fraction) {
    if (!hasHandle()) {
        return;
    }
    if (m_player->isAtEnd()) {
        m_player->stop();
    }
    const uint64_t target = uint64_t(double(m_player->duration()) * std::clamp(fraction, 0.0, 1.0));
    m_player->seek(target);
    ShowTime(target);
}

void RZQPlayObject::beginAsyncSeek() {
    if (hasHandle()) {
        m_player->beginAsyncSeek(2000000);
    }
}

void RZQPlayObject::endAsyncSeek() {
    if (hasHandle()) {
        m_player->endAsyncSeek();
    }
}

void RZQPlayObject::setSoundVolume(int volume) {
    m_volume = float(std::max(0, volume));
    if (hasHandle()) {
        m_player->setVolume(int(m_volume));
    }
}

void RZQPlayObject::OnBtnStop() {
    if (!hasHandle() || !m_player->hasStreams() || m_player->isAtEnd() || !m_player->stop()) {
        return;
    }
    VideoFinished();
    stopTimers();
    emit emitAudioData(nullptr, 0);
    hideVideoWindow();
}

void RZQPlayObject::VideoFinished() {
    ShowTime(0);
    emit emitPlayPro(0.0);
    emit emitPlayFinish();
}

void RZQPlayObject::closePlay() {
    if (hasHandle()) {
        OnBtnStop();
        m_player->close();
    }
    // A file that had come to its end is closed too: nothing may keep polling or showing
    // its last picture.
    stopTimers();
    hideVideoWindow();
    ShowTime(0);
    emit emitPlayPro(0.0);
    emit emitPlayFinish();
    emit emitClosePlay();
    emit emitAudioData(nullptr, 0);
}

void RZQPlayObject::videoFrameStepUp() {
    pausePlay();
    if (hasHandle()) {
        m_player->step(1);
    }
    UpdateTime();
}

void RZQPlayObject::videoFrameStepDown() {
    pausePlay();
    if (hasHandle()) {
        m_player->step(-1);
    }
    UpdateTime();
}

void RZQPlayObject::ResizeVideoWindow(bool keepAspect) {
    m_keepAspect = keepAspect;
    if (!hasHandle() || m_videoWindow == nullptr) {
        return;
    }
    int width = 0;
    int height = 0;
    m_player->videoSize(&width, &height);
    if (!keepAspect) {
        m_videoWindow->showActualSize(width, height);
        return;
    }
    int displayWidth = 0;
    int displayHeight = 0;
    m_player->displaySize(&displayWidth, &displayHeight);
    if (displayWidth != 0 && displayHeight != 0) {
        width = displayWidth;
        height = displayHeight;
    }
    m_videoWindow->fitKeepingAspect(width, height);
}

void RZQPlayObject::ResizeVideoWindow() {
    ResizeVideoWindow(true);
}

bool RZQPlayObject::Screenshots(QString path) {
    if (!hasHandle()) {
        return true;
    }
    unsigned char* block = m_player->snapshot(0, 0, 0);
    if (block == nullptr) {
        return true;
    }
    uint32_t length = 0;
    std::memcpy(&length, block + 2, sizeof length);
    QImage image;
    const bool saved = image.loadFromData(block, int(length)) && image.save(path, "PNG");
    m_player->releaseSnapshot(block);
    return saved;
}

QImage RZQPlayObject::getCoverImage(QString path) {
    return readCoverImage(path);
}
