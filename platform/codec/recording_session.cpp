#include "recording_session.h"

#include "encoder_params.h"
#include "frame.h"
#include "platform/system/clock.h"

namespace calvorine::codec {

namespace {

int64_t now() {
    return calvorine::platform::monotonicMicroseconds();
}

// A stamp this far ahead of the recording's clock cannot come from a capture: taken, it
// would make the other side fill the gap up to it.
constexpr int64_t kFutureLimitUs = 10'000'000;

} // namespace

RecordingSession::~RecordingSession() {
    finish();
}

bool RecordingSession::open(const std::string& pathUtf8, const std::string& muxerName, const EncoderParams& params) {
    const MuxerEntry* muxer = findMuxer(muxerName);
    if (!muxer || !m_output.create(*muxer, pathUtf8))
        return false;
    m_path = pathUtf8;
    const StreamSettings& stream = params.stream;
    if (stream.videoCodecId != -1) {
        m_video = std::make_unique<VideoPipeline>();
        if (!m_video->configure(stream, m_output))
            return false;
    }
    if (stream.audioCodecId != -1) {
        m_audio = std::make_unique<AudioPipeline>();
        if (!m_audio->configure(stream, m_output))
            return false;
        if (params.mixTracks) {
            for (const auto& track : params.mixTrackList)
                m_audio->addTrack(track);
        }
    }
    if (!m_video && !m_audio)
        return false;
    if (!m_output.start())
        return false;
    m_startUs = now();
    m_timeline.start(m_startUs);
    if (m_video)
        m_video->start();
    if (m_audio) {
        m_audio->start([this](int64_t clockUs) { return m_timeline.toOutput(clockUs); },
                       [this] { return m_timeline.recordedAt(now()); });
    }
    return true;
}

void RecordingSession::setClockOrigin(int64_t originUs) {
    m_startUs = originUs;
    m_timeline.start(originUs);
}

int64_t RecordingSession::recordingClock() const {
    return now() - m_startUs;
}

bool RecordingSession::pushVideo(const FrameObject& frame) {
    if (!m_video || m_finished || m_output.failed())
        return false;
    // Pictures are stamped on arrival unless the caller gave a time of its own.
    const int64_t arrival = recordingClock();
    if (frame.hasTimestamp && frame.timestampUs > arrival + kFutureLimitUs) {
        ++m_refusedVideo;
        return false;
    }
    const int64_t clock = frame.hasTimestamp ? frame.timestampUs : arrival;
    std::optional<int64_t> at = m_timeline.toOutput(clock);
    if (!at)
        return false;
    return m_video->push(frame, *at);
}

bool RecordingSession::pushAudio(const FrameObject& frame) {
    if (!m_audio || m_finished || m_output.failed())
        return false;
    AudioChunk chunk;
    if (!frame.audioChunk(chunk))
        return false;
    const int64_t arrival = recordingClock();
    if (!frame.hasTimestamp) {
        chunk.timestampUs = arrival;
    } else if (chunk.timestampUs > arrival + kFutureLimitUs) {
        ++m_refusedAudio;
        return false;
    }
    return m_audio->push(std::move(chunk));
}

std::vector<int16_t> RecordingSession::takeLevelSamples(int& channels, int& sampleRate) {
    if (!m_audio)
        return {};
    channels = m_audio->channels();
    sampleRate = m_audio->sampleRate();
    return m_audio->takeLevelSamples();
}

bool RecordingSession::finish() {
    if (m_finished.exchange(true))
        return m_output.finish();
    m_timeline.stop(now());
    const int64_t endUs = m_timeline.recordedAt(now());
    if (m_video)
        m_video->finish(endUs);
    if (m_audio)
        m_audio->finish(endUs);
    return m_output.finish();
}

uint64_t RecordingSession::recordedTime() const {
    return uint64_t(m_timeline.recordedAt(now()));
}

uint64_t RecordingSession::dropped(int kind) const {
    if (kind == 1)
        return m_refusedVideo + (m_video ? m_video->dropped() : 0);
    if (kind == 2)
        return m_refusedAudio + (m_audio ? m_audio->dropped() : 0);
    return 0;
}

int RecordingSession::queuedVideoFrames() const {
    return m_video ? int(m_video->queued()) : 0;
}

int64_t RecordingSession::videoBacklogUs() const {
    return m_video ? m_video->backlogUs() : 0;
}

uint64_t RecordingSession::videoBuffersMade() const {
    return m_video ? m_video->buffersMade() : 0;
}

} // namespace calvorine::codec
