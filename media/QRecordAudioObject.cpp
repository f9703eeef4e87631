#include "media/QRecordAudioObject.h"

#include "app/QRecordAreaInfo.h"
#include "app/Utilities.h"
#include "media/QAudioFrameBuffer.h"

#include <QDebug>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <vector>

using calvorine::platform::SoundFormat;
using calvorine::platform::SoundPacket;
using calvorine::platform::SoundSource;
using calvorine::platform::SoundSourceKind;
using calvorine::platform::StreamClock;

namespace {

// The capture loop's poll interval.
constexpr int64_t kPollUs = 10'000;
// Without a packet for this long a block of silence keeps the track going.
constexpr int64_t kSilenceAfterUs = 1'000'000;
// A silence block is stamped this far in the past.
constexpr int64_t kSilenceLeadUs = 100'000;
constexpr int kSilenceFrames = 64;
// Packets held back before the oldest is handed on (one after a silence block).
constexpr int kQueueDepth = 4;
// How far a packet's stamped end may lie beyond the moment it was read: the jitter of a
// source's age figure, below the encoder's resynchronisation threshold.
constexpr int64_t kAheadSlackUs = 20'000;
// Sound a source hands out ahead of time is held until its time has come, up to this
// much of it (a sine source is two seconds ahead); beyond it the newest is dropped.
constexpr int64_t kMaxEarlyUs = 5'000'000;
// A device's clock is never exactly the machine's (a null output of the sound server
// runs a tenth of a millisecond a second fast): the device's own time, its frames counted
// from an anchor, is followed to the moments the packets were captured. Each window of
// this length, the mean of how far the packets were found from the device's time tells
// how far that time is off, and both the offset and the rate at which it grows are
// corrected by a part of it: a loop that keeps up with a steady drift without lagging
// behind it, and leaves a single packet's jitter out.
constexpr int64_t kClockWindowUs = 1'000'000;
constexpr double kOffsetGain = 0.25;
constexpr double kRateGain = 0.01;
// Packets this far from the followed clock start it anew (sound the device lost, or
// handed out late or early).
constexpr int64_t kClockJumpUs = 20'000;
// The sound handed on is stamped one packet after the other at the device's rate as the
// clock found it. Once it is more than kPullBandUs off the clock's moment, it is drawn
// toward it by what lies beyond over kPullSpanUs, by at most kMaxPull: the recorder
// stretches or shrinks the sound by as much, smoothly, never by leaving out or doubling
// a sample. Within the band the clock's jitter from one window to the next does not
// reach the sound's pitch.
constexpr int64_t kPullBandUs = 250;
constexpr double kPullSpanUs = 1'000'000;
constexpr double kMaxPull = 0.002;
// How far the device's clock may put a packet from the end of the sound before it and
// still be jitter: packets come in bursts (the server's fragments, the capture's poll, a
// loaded machine), and one found far off starts the clock anew. Within it the sound goes
// on where the last packet ended, sample after sample; beyond it the device lost sound
// (or sent it twice) and the clock places it.
constexpr int64_t kGapAfterUs = 60'000;
// A source that failed is opened again at this interval.
constexpr int64_t kReopenEveryUs = 500'000;
// A chosen device missing this long after its source failed is taken as gone for good:
// the default input is recorded instead.
constexpr int64_t kChosenGraceUs = 3'000'000;

std::mutex g_factoryMutex;
QRecordAudioObject::SourceFactory g_factory;

int trackCallback(void*, int32_t) {
    return 0;
}

int64_t framesToUs(int64_t frames, int rateHz) {
    return rateHz > 0 ? frames * 1'000'000 / rateHz : 0;
}

} // namespace

void QRecordAudioObject::setSourceFactory(SourceFactory factory) {
    std::lock_guard<std::mutex> lock(g_factoryMutex);
    g_factory = std::move(factory);
}

QRecordAudioObject::QRecordAudioObject(int sourceType, QObject* parent)
    : QObject(parent), m_sourceType(sourceType == Microphone ? Microphone : SystemSound),
      m_frame(cvcodec_frame_create()) {}

QRecordAudioObject::~QRecordAudioObject() {
    stop();
    m_frameQueue.reset();
    cvcodec_frame_release(m_frame);
    cvcodec_track_release(m_track.exchange(nullptr));
}

void QRecordAudioObject::start() {
    m_stopRequested = false;
    m_started = false;
    m_soundCame = false;
    m_holdFromUs = -1;
    m_held = false;
    m_recordingActive = false;
    m_paused = false;
    if (!QUtilThread::start()) {
        return;
    }
    // Until the capture runs (or gave up): the thread tells at once, no polling.
    std::unique_lock<std::mutex> lock(m_startLock);
    while (!m_started && isRunning()) {
        m_startWake.wait_for(lock, std::chrono::milliseconds(100));
    }
}

void QRecordAudioObject::markStarted() {
    {
        std::lock_guard<std::mutex> lock(m_startLock);
        m_started = true;
    }
    m_startWake.notify_all();
}

void QRecordAudioObject::stop() {
    m_stopRequested = true;
    stopAndWait();
    m_recordingActive = false;
}

void QRecordAudioObject::setLevelMeterEnabled(bool on) {
    m_levelMetering = on;
}

void QRecordAudioObject::setRecorder(cvcodec_recorder recorder) {
    m_recorder = recorder;
}

cvcodec_recorder QRecordAudioObject::recorder() const {
    return m_recorder;
}

void QRecordAudioObject::setDeviceName(const QString& name) {
    std::lock_guard<std::mutex> lock(m_deviceMutex);
    m_deviceName = name.toStdString();
}

void QRecordAudioObject::beginRecording(int64_t startTimeUs) {
    m_startTimeUs = startTimeUs;
    // The capture thread takes the new start (and ends a hold) before it places anything
    // more: sound held over a cut goes on into this recording.
    m_startCount.fetch_add(1);
    m_paused = false;
    m_recordingActive = true;
}

bool QRecordAudioObject::holdFrom(int64_t cutAtUs, int timeoutMs) {
    m_held = false;
    m_holdFromUs = cutAtUs;
    if (!isCapturing() || !m_recordingActive || m_paused) {
        return true; // nothing is being handed on now
    }
    std::unique_lock<std::mutex> lock(m_waitLock);
    return m_waitWake.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] {
        return m_held || !isCapturing();
    }) && m_held;
}

bool QRecordAudioObject::isCapturing() const {
    return isRunning() && !m_stopRequested;
}

bool QRecordAudioObject::waitForSound(int timeoutMs) {
    // The capture thread wakes this wait with the first sound; its end is polled.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    std::unique_lock<std::mutex> lock(m_waitLock);
    while (!m_soundCame && isCapturing() && std::chrono::steady_clock::now() < deadline) {
        m_waitWake.wait_for(lock, std::chrono::milliseconds(20));
    }
    return m_soundCame;
}

void QRecordAudioObject::wakeWaiters() {
    { std::lock_guard<std::mutex> lock(m_waitLock); }
    m_waitWake.notify_all();
}

void QRecordAudioObject::setPaused(bool paused) {
    // Stamps stay on the recording's clock: the recorder leaves the paused span out of
    // the output, so the sound after the pause continues where it stopped. What was
    // captured before the resume stays out.
    if (paused) {
        m_pausedAtUs = getMicroseconds();
    } else {
        m_resumedAtUs = getMicroseconds();
    }
    m_paused = paused;
}

cvcodec_track QRecordAudioObject::audioTrack() const {
    return m_track;
}

int QRecordAudioObject::levelOfBlock(const uint8_t* block) {
    if (!block) {
        return 0;
    }
    uint32_t bytes = 0;
    std::memcpy(&bytes, block + CVCODEC_LEVEL_SIZE_OFFSET_AGAIN, sizeof bytes);
    const uint32_t count = bytes / 2;
    if (count == 0) {
        return 0;
    }
    // Samples are signed: their magnitudes are averaged (read as unsigned, a quiet
    // signal would show as half scale).
    uint64_t sum = 0;
    const uint8_t* samples = block + CVCODEC_LEVEL_HEADER_BYTES;
    for (uint32_t i = 0; i < count; ++i) {
        int16_t sample = 0;
        std::memcpy(&sample, samples + size_t(i) * 2, sizeof sample);
        sum += uint64_t(sample < 0 ? -int32_t(sample) : int32_t(sample));
    }
    return int(sum / count);
}

float QRecordAudioObject::volume() const {
    return m_volume;
}

void QRecordAudioObject::setVolume(float volume) {
    m_volume = volume;
}

void QRecordAudioObject::resetRecorder() {
    stop();
    if (m_sourceType == Microphone && QRecordAreaInfo::instance()->isDevicePresent(QRecordAreaInfo::Microphone)) {
        start();
    }
}

std::unique_ptr<SoundSource> QRecordAudioObject::makeSource(const std::string& deviceName) const {
    std::unique_ptr<SoundSource> source;
    {
        std::lock_guard<std::mutex> lock(g_factoryMutex);
        if (g_factory) {
            source = g_factory(SourceType(m_sourceType), deviceName);
        }
    }
    if (!source) {
        source = calvorine::platform::createSoundCapture(
            m_sourceType == Microphone ? SoundSourceKind::Microphone : SoundSourceKind::SystemSound, deviceName);
    }
    // A stop does not wait for a server that hangs.
    source->setGiveUp(&m_stopRequested);
    return source;
}

void QRecordAudioObject::run() {
    // A track of an earlier run must not be handed to a recording whose capture fails.
    cvcodec_track_release(m_track.exchange(nullptr));
    std::string deviceName;
    {
        std::lock_guard<std::mutex> lock(m_deviceMutex);
        deviceName = m_deviceName;
    }
    std::unique_ptr<SoundSource> source = makeSource(deviceName);
    if (source->open()) {
        captureLoop(source, deviceName);
        source->close();
    } else {
        qWarning().noquote() << "audio capture--------------------------"
                             << (m_sourceType == Microphone ? "microphone" : "system sound")
                             << "not captured:" << QString::fromStdString(source->lastError());
    }
    markStarted();
    emit emitVolume(-10000);
}

void QRecordAudioObject::makeTrack(const SoundFormat& format) {
    cvcodec_track_release(m_track.exchange(nullptr));
    cvcodec_track track = cvcodec_track_create(CVCODEC_TRACK_AUDIO);
    cvcodec_track_set_format(track, CVCODEC_TRACK_FORMAT_AUDIO_FRAMES);
    cvcodec_track_set_sample_rate(track, format.sampleRateHz);
    cvcodec_track_set_channels(track, format.channels);
    if (format.channelMask != 0) {
        cvcodec_track_set_channel_mask(track, format.channelMask, 0);
    }
    cvcodec_track_set_sample_format(track, int32_t(format.sampleFormat));
    cvcodec_track_set_bits_per_sample(track, format.bitsPerSample);
    cvcodec_track_set_callback(track, &trackCallback, nullptr);
    m_track = track;
}

void QRecordAudioObject::setFrameFormat(cvcodec_frame frame) const {
    cvcodec_frame_set_sample_format(frame, int32_t(m_format.sampleFormat));
    cvcodec_frame_set_sample_rate(frame, m_format.sampleRateHz);
    cvcodec_frame_set_channels(frame, m_format.channels);
    if (m_format.channelMask != 0) {
        cvcodec_frame_set_channel_mask(frame, m_format.channelMask, 0);
    }
}

int64_t QRecordAudioObject::recordingNow(int64_t nowUs) const {
    return nowUs - m_stampOriginUs;
}

void QRecordAudioObject::followStart() {
    const int count = m_startCount;
    if (count == m_followedStarts) {
        return;
    }
    m_followedStarts = count;
    const int64_t start = m_startTimeUs;
    // A moment on the old start plus clockShiftUs is the same moment on the new one: the
    // device's followed clock goes on. Before the first start nothing was placed.
    const int64_t clockShiftUs = m_stampOriginUs - start;
    m_clockAnchorUs += clockShiftUs;
    m_clockWindowEndUs += clockShiftUs;
    const int64_t shiftUs = m_haveStart ? clockShiftUs : 0;
    m_nextExactUs = m_haveStart ? std::max(m_nextExactUs + double(shiftUs), 0.0) : 0.0;
    m_nextTimestampUs = int64_t(std::llround(m_nextExactUs));
    if (m_nextTimestampUs <= 0) {
        m_runFrames = 0;
    }
    m_placeFromUs = 0;
    m_stampOriginUs = start;
    m_haveStart = true;
    m_holdFromUs = -1;
    m_held = false;
    // Sound still queued for the recorder was placed on the old start: on the new one it
    // lies before the file (it belonged to the one before, now finished).
    auto queued = std::make_unique<QAudioFrameBuffer>();
    while (const QAudioFrameBuffer::Frame* frame = m_frameQueue->front()) {
        if (frame->timestamp + shiftUs >= 0) {
            queued->push(frame->data.get(), frame->length, frame->timestamp + shiftUs);
        }
        m_frameQueue->popFront();
    }
    m_frameQueue = std::move(queued);
    while (const QAudioFrameBuffer::Frame* frame = m_heldQueue->front()) {
        const int64_t stamp = frame->timestamp + shiftUs;
        if (stamp >= 0) {
            deliver(frame->data.get(), frame->length / m_format.bytesPerFrame, stamp);
        }
        m_heldQueue->popFront();
    }
}

bool QRecordAudioObject::writing() {
    followStart();
    const bool on = m_recordingActive && !m_paused && m_haveStart;
    if (on && m_wasPaused) {
        m_placeFromUs = std::max(m_placeFromUs, recordingNow(m_resumedAtUs));
    }
    m_wasPaused = !on;
    return on;
}

bool QRecordAudioObject::holdsFrom(const uint8_t* data, int frames, int64_t stampUs) {
    const int64_t holdFromUs = m_holdFromUs;
    if (holdFromUs < 0) {
        return false;
    }
    const int64_t cutUs = holdFromUs - m_stampOriginUs;
    if (stampUs + framesToUs(frames, m_format.sampleRateHz) <= cutUs) {
        return false; // all of it before the cut
    }
    // Split at the cut's own sample: no sample is lost or given to both files.
    const int before =
        int(std::clamp<int64_t>((cutUs - stampUs) * m_format.sampleRateHz / 1'000'000, 0, int64_t(frames)));
    if (before > 0) {
        deliver(data, before, stampUs);
    }
    if (frames > before) {
        m_heldQueue->push(data + size_t(before) * size_t(m_format.bytesPerFrame),
                          (frames - before) * m_format.bytesPerFrame,
                          stampUs + framesToUs(before, m_format.sampleRateHz));
    }
    if (!m_held) {
        // Everything before the cut is placed (stamps only go forward): it goes on now.
        sendAll();
        m_held = true;
        wakeWaiters();
    }
    return true;
}

void QRecordAudioObject::sendFrame(const uint8_t* data, int frames, int64_t timestampUs) {
    setFrameFormat(m_frame);
    cvcodec_frame_set_samples(m_frame, data, frames);
    cvcodec_frame_set_timestamp(m_frame, timestampUs);
    cvcodec_recorder_push_audio(m_recorder, m_frame);
}

void QRecordAudioObject::sendOldest() {
    const QAudioFrameBuffer::Frame* frame = m_frameQueue->front();
    if (!frame) {
        return;
    }
    sendFrame(frame->data.get(), frame->length / m_format.bytesPerFrame, frame->timestamp);
    m_frameQueue->popFront();
}

void QRecordAudioObject::sendAll() {
    while (m_frameQueue && m_frameQueue->count() > 0) {
        sendOldest();
    }
}

void QRecordAudioObject::pushSilence(int64_t nowUs) {
    // Stamped a little in the past, but never before the end of what was sent already:
    // the recorder's clock must not run backwards.
    int64_t stamp = std::max<int64_t>(recordingNow(nowUs) - kSilenceLeadUs, 0);
    stamp = std::max(stamp, m_nextTimestampUs);
    const std::vector<uint8_t> zeros(size_t(kSilenceFrames) * size_t(m_format.bytesPerFrame), 0);
    continueRun(stamp, kSilenceFrames);
    if (holdsFrom(zeros.data(), kSilenceFrames, stamp)) {
        return;
    }
    m_frameQueue->push(zeros.data(), int(zeros.size()), stamp);
    if (m_frameQueue->count() > 1) {
        sendOldest();
    }
}

void QRecordAudioObject::continueRun(int64_t stampUs, int frames, double stretch) {
    // Counted exactly from where the run began: summing each packet's length in whole
    // microseconds would drift from the sound's real length.
    if (m_runFrames == 0 || stampUs != m_nextTimestampUs) {
        m_nextExactUs = double(stampUs);
        m_runFrames = 0;
    }
    m_runFrames += frames;
    m_nextExactUs += double(frames) * 1e6 / m_format.sampleRateHz * (1.0 + stretch);
    m_nextTimestampUs = int64_t(std::llround(m_nextExactUs));
}

int64_t QRecordAudioObject::followDeviceClock(const SoundPacket& packet, int64_t readAtUs) {
    // The packet's first frame was captured at least as long before it was read as the
    // source held (by the machine's clock: the source's own age figure follows the
    // device's clock), else backlog frames before. Read just after a start, it can lie
    // before it (a source that hands out its sound in chunks): that moment is kept as it
    // is, below zero, so that the clock goes on and placePacket leaves that part out.
    // A source that hands out sound ahead of time holds its future as well: when its
    // stream's clock finds the packet far newer than what it holds, the held sound was
    // not all captured yet, and the stream's clock tells the packet's moment (a sine
    // source's two seconds at once, on time or late).
    const int nearFrames = int(StreamClock::kNearUs * m_format.sampleRateHz / 1'000'000);
    const bool holdsFuture = packet.bufferedFrames - packet.backlogFrames > nearFrames;
    const int held = packet.bufferedFrames > 0 && !holdsFuture ? packet.bufferedFrames : packet.backlogFrames;
    const int backlog = std::max(held, packet.frameCount);
    const int64_t capturedUs = readAtUs - framesToUs(backlog, m_format.sampleRateHz);
    int64_t deviceUs = m_clockAnchorUs + framesToUs(m_clockFrames, m_format.sampleRateHz) + int64_t(m_clockOffsetUs);
    const int64_t error = capturedUs - deviceUs;
    if (!m_clockKnown || error > kClockJumpUs || error < -kClockJumpUs) {
        m_clockKnown = true;
        m_clockAnchorUs = capturedUs;
        m_clockFrames = 0;
        m_clockOffsetUs = 0;
        m_clockDriftUs = 0;
        m_clockWindowEndUs = capturedUs + kClockWindowUs;
        m_clockWindowError = 0;
        m_clockWindowPackets = 0;
        deviceUs = capturedUs;
    } else {
        m_clockWindowError += error;
        ++m_clockWindowPackets;
        if (capturedUs >= m_clockWindowEndUs) {
            const double mean = double(m_clockWindowError) / double(m_clockWindowPackets);
            m_clockDriftUs += kRateGain * mean;
            m_clockOffsetUs += kOffsetGain * mean + m_clockDriftUs;
            m_clockWindowPackets = 0;
            m_clockWindowEndUs = capturedUs + kClockWindowUs;
            m_clockWindowError = 0;
        }
    }
    m_clockFrames += packet.frameCount;
    return deviceUs;
}

bool QRecordAudioObject::placePacket(const SoundPacket& packet, int64_t deviceUs, int64_t readAtUs, int64_t& stampUs,
                                     int& skipFrames) {
    // Stamped one after the other, the packets stay whole: following each one's own
    // moment instead, the encoder would meet small gaps (silence) and overlaps (cut
    // sound). A packet near the end of the last one continues it, at the device's rate
    // and drawn toward its clock (the recorder resamples the sound as far as that differs
    // from the machine's); one further off (a pause, sound the device lost, a clock
    // started anew) takes the place the device's clock gives it.
    const int rate = m_format.sampleRateHz;
    const int64_t drift = m_nextTimestampUs - deviceUs;
    const bool continues =
        m_runFrames > 0 && m_nextTimestampUs >= m_placeFromUs && drift <= kGapAfterUs && drift >= -kGapAfterUs;
    int64_t stamp = continues ? m_nextTimestampUs : deviceUs;
    skipFrames = 0;
    double stretch = 0;
    if (continues) {
        const int64_t beyond = drift > kPullBandUs    ? drift - kPullBandUs
                               : drift < -kPullBandUs ? drift + kPullBandUs
                                                      : 0;
        stretch = m_clockDriftUs / kClockWindowUs + std::clamp(-double(beyond) / kPullSpanUs, -kMaxPull, kMaxPull);
    } else {
        // What was captured before the start or the resume is not the recording's, and
        // stamps never go back behind what was sent already: it is cut off there.
        const int64_t from = std::max<int64_t>({m_placeFromUs, m_nextTimestampUs, 0});
        if (stamp < from) {
            skipFrames = int(std::min<int64_t>((from - stamp) * rate / 1'000'000, packet.frameCount));
            if (skipFrames >= packet.frameCount) {
                return false;
            }
            stamp = from;
        }
    }
    const int64_t lengthUs = framesToUs(packet.frameCount - skipFrames, rate);
    // Its last frame was captured before it was read. A stamp that ends later is no
    // capture time at all: the source handed out more than the clock allows (sound the
    // server held back and then delivered in pieces, each looking newer than it is, as
    // sound from a pause does after the resume). Placed there, it would push every
    // later packet, and the end of the recording, further into the future; it is left
    // out instead.
    if (stamp + lengthUs > readAtUs + kAheadSlackUs) {
        return false;
    }
    stampUs = stamp;
    continueRun(stamp, packet.frameCount - skipFrames, stretch);
    return true;
}

void QRecordAudioObject::placeRead(const SoundPacket& packet, const uint8_t* data, bool on, int64_t deviceUs,
                                   int64_t readAtUs) {
    if (!on) {
        // Paused: the sound queued for the recorder goes on, so that none of it waits
        // into the next file of a cut.
        sendAll();
        return;
    }
    int64_t stamp = 0;
    int skip = 0;
    if (placePacket(packet, deviceUs, readAtUs, stamp, skip)) {
        deliver(data + size_t(skip) * size_t(m_format.bytesPerFrame), packet.frameCount - skip, stamp);
    }
}

void QRecordAudioObject::deliver(const uint8_t* data, int frames, int64_t stampUs) {
    if (frames <= 0) {
        return;
    }
    if (holdsFrom(data, frames, stampUs)) {
        return;
    }
    if (m_recorder) {
        m_frameQueue->push(data, frames * m_format.bytesPerFrame, stampUs);
        if (m_frameQueue->count() > kQueueDepth) {
            sendOldest();
        }
    } else if (cvcodec_track track = m_track) {
        setFrameFormat(m_frame);
        cvcodec_frame_set_samples(m_frame, data, frames);
        cvcodec_frame_set_timestamp(m_frame, stampUs);
        cvcodec_track_push_frame(track, m_frame);
    }
}

void QRecordAudioObject::holdEarly(const uint8_t* data, int frames, int64_t firstFrameUs) {
    if (framesToUs(m_earlyFrames + frames, m_format.sampleRateHz) > kMaxEarlyUs) {
        return;
    }
    m_earlyQueue->push(data, frames * m_format.bytesPerFrame, firstFrameUs);
    m_earlyFrames += frames;
}

bool QRecordAudioObject::releaseEarly(int64_t nowUs) {
    bool released = false;
    while (const QAudioFrameBuffer::Frame* frame = m_earlyQueue->front()) {
        const int frames = frame->length / m_format.bytesPerFrame;
        const int64_t ageUs = nowUs - frame->timestamp;
        if (ageUs < framesToUs(frames, m_format.sampleRateHz)) {
            break; // its last frame is still to come
        }
        // Now it is sound like any other, read the moment its last frame was due: the
        // level shown follows it as the recording does.
        if (m_levelMetering) {
            meterLevel(frame->data.get(), frames);
        }
        SoundPacket packet;
        packet.frameCount = frames;
        packet.backlogFrames = int(ageUs * m_format.sampleRateHz / 1'000'000);
        // A start taken up first: the device's clock is followed on the stamps' clock.
        const bool on = writing();
        const int64_t deviceUs = followDeviceClock(packet, recordingNow(nowUs));
        placeRead(packet, frame->data.get(), on, deviceUs, recordingNow(nowUs));
        m_earlyFrames -= frames;
        m_earlyQueue->popFront();
        released = true;
    }
    return released;
}

bool QRecordAudioObject::beginCapture(SoundSource& source) {
    m_format = source.format();
    if (m_format.bytesPerFrame <= 0 || m_format.sampleRateHz <= 0) {
        qWarning() << "audio capture--------------------------unusable sound format";
        return false;
    }
    m_frameQueue = std::make_unique<QAudioFrameBuffer>();
    m_earlyQueue = std::make_unique<QAudioFrameBuffer>();
    m_heldQueue = std::make_unique<QAudioFrameBuffer>();
    m_earlyFrames = 0;
    m_nextTimestampUs = 0;
    m_runFrames = 0;
    m_clockKnown = false;
    // Stamps count from the next beginRecording (given once this open is told).
    m_followedStarts = m_startCount;
    m_haveStart = false;
    m_wasPaused = false;
    makeTrack(m_format);
    markStarted();
    m_lastPacketUs = getMicroseconds();
    return true;
}

void QRecordAudioObject::bridgeQuietSource(int64_t nowUs) {
    const bool writing = this->writing();
    if (releaseEarly(nowUs)) {
        m_lastPacketUs = nowUs;
    }
    if (nowUs - m_lastPacketUs > kSilenceAfterUs && m_earlyQueue->count() == 0) {
        m_lastPacketUs = nowUs;
        if (m_recorder && writing) {
            pushSilence(nowUs);
        }
    }
}

void QRecordAudioObject::meterLevel(const uint8_t* data, int frames) {
    setFrameFormat(m_frame);
    cvcodec_frame_set_samples(m_frame, data, frames);
    uint8_t* block = cvcodec_frame_level_block(m_frame, 1);
    if (block) {
        const int level = levelOfBlock(block);
        cvcodec_frame_release_level_block(m_frame, block);
        emit emitVolume(level);
    }
}

void QRecordAudioObject::takePacket(const SoundPacket& packet, const uint8_t* data) {
    const int64_t now = getMicroseconds();
    // A packet whose end lies beyond the moment it was read came ahead of time (by the
    // source's own account): it waits for its time. Placed at once, it would be taken
    // for sound beyond the clock and left out.
    const int64_t aheadUs = framesToUs(int64_t(packet.frameCount) - packet.backlogFrames, m_format.sampleRateHz);
    // What was held until its time and is due now goes first: a packet waits behind
    // held sound only while some is still to come, and sound that comes in real time
    // after a stretch handed out ahead of it is taken as it comes again.
    if (m_earlyQueue->count() > 0) {
        releaseEarly(now);
    }
    if (aheadUs > kAheadSlackUs || m_earlyQueue->count() > 0) {
        // Metered when its time comes (a sine source hands out seconds at once).
        holdEarly(data, packet.frameCount, now - framesToUs(packet.backlogFrames, m_format.sampleRateHz));
    } else {
        if (m_levelMetering) {
            meterLevel(data, packet.frameCount);
        }
        // The device's clock is followed before the start and through a pause too, so
        // that the sound after them keeps the place the clock gives it.
        const bool on = writing();
        const int64_t deviceUs = followDeviceClock(packet, recordingNow(now));
        placeRead(packet, data, on, deviceUs, recordingNow(now));
    }
    m_lastPacketUs = now;
    if (!m_soundCame) {
        m_soundCame = true;
        wakeWaiters();
    }
}

int QRecordAudioObject::readPackets(SoundSource& source, int frames, std::vector<uint8_t>& silence) {
    while (frames > 0 && !m_stopRequested) {
        SoundPacket packet;
        if (!source.readPacket(packet)) {
            return -1;
        }
        // A packet flagged silent stands for silence whatever its bytes hold.
        const uint8_t* data = packet.data;
        const size_t bytes = size_t(packet.frameCount) * size_t(m_format.bytesPerFrame);
        if (packet.silent || !data) {
            if (silence.size() < bytes) {
                silence.assign(bytes, 0);
            }
            data = silence.data();
        }
        takePacket(packet, data);
        if (!source.releasePacket()) {
            return -1;
        }
        frames = source.nextPacketFrames();
    }
    return frames;
}

void QRecordAudioObject::tellCaptureChange(CaptureChange change) {
    if (m_recordingActive) {
        emit emitCaptureChanged(int(change));
    }
}

bool QRecordAudioObject::reopen(std::unique_ptr<SoundSource>& source, const std::string& chosen, int64_t lostForUs,
                                bool& fromDefault) {
    if (source->open()) {
        return true;
    }
    source->close();
    // The system sound follows its output: when that stays away, the default output.
    const bool followsDevice = !chosen.empty() || m_sourceType == SystemSound;
    if (!followsDevice || lostForUs < kChosenGraceUs || m_stopRequested) {
        return false;
    }
    std::unique_ptr<SoundSource> fallback = makeSource(std::string());
    // A microphone's default input may be the monitor of an output, the system sound.
    fallback->keepToDeviceKind(source->deviceKind());
    if (!fallback->open()) {
        return false;
    }
    source = std::move(fallback);
    fromDefault = true;
    return true;
}

void QRecordAudioObject::resumeCapture(SoundSource& source) {
    const SoundFormat format = source.format();
    if (format.bytesPerFrame != m_format.bytesPerFrame || format.sampleRateHz != m_format.sampleRateHz ||
        format.channels != m_format.channels || format.sampleFormat != m_format.sampleFormat) {
        // Queued frames are in the old format: what is due goes on now, sound held for
        // later than now belonged to the old device's future and is gone with it.
        releaseEarly(getMicroseconds());
        sendAll();
        m_earlyQueue = std::make_unique<QAudioFrameBuffer>();
        m_heldQueue = std::make_unique<QAudioFrameBuffer>();
        m_earlyFrames = 0;
        m_format = format;
    }
    // Another stream, another device clock.
    m_clockKnown = false;
    m_lastPacketUs = getMicroseconds();
}

void QRecordAudioObject::captureLoop(std::unique_ptr<SoundSource>& source, const std::string& chosen) {
    if (!beginCapture(*source)) {
        return;
    }
    std::vector<uint8_t> silence;
    bool lost = false;
    bool away = false;
    int64_t lostAtUs = 0;
    int64_t nextTryUs = 0;
    while (!m_stopRequested) {
        if (stopEvent().waitFor(std::chrono::microseconds(kPollUs)) || m_stopRequested) {
            break;
        }
        emit emitVolume(0);
        const int64_t now = getMicroseconds();
        if (lost) {
            // Silence keeps the recording's sound to its time until the source is back.
            bridgeQuietSource(now);
            if (now < nextTryUs) {
                continue;
            }
            bool fromDefault = false;
            if (!reopen(source, chosen, now - lostAtUs, fromDefault)) {
                nextTryUs = getMicroseconds() + kReopenEveryUs;
                continue;
            }
            qWarning().noquote() << (fromDefault ? "audio capture--------------------------taken up again from the "
                                                   "default input"
                                                 : "audio capture--------------------------taken up again");
            resumeCapture(*source);
            lost = false;
            away = false;
            tellCaptureChange(fromDefault ? CaptureFromDefault : CaptureBack);
            continue;
        }
        int frames = source->nextPacketFrames();
        if (frames >= 0) {
            bridgeQuietSource(now);
            frames = readPackets(*source, frames, silence);
        }
        if (frames < 0) {
            qWarning().noquote() << "audio capture--------------------------ended:"
                                 << QString::fromStdString(source->lastError()) << "(taken up again when it returns)";
            source->close();
            lost = true;
            lostAtUs = getMicroseconds();
            nextTryUs = lostAtUs + kReopenEveryUs;
            tellCaptureChange(CaptureLost);
            continue;
        }
        if (source->deviceAway() != away) {
            away = !away;
            qWarning().noquote() << "audio capture--------------------------"
                                 << (away ? "the device went away: the default input is recorded"
                                          : "the device is back");
            tellCaptureChange(away ? CaptureFromDefault : CaptureBack);
        }
    }
    // What is held for later than now belongs after the end of the recording.
    releaseEarly(getMicroseconds());
    sendAll();
}
