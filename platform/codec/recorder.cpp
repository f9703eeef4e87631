// The recorder handle and its entries.
#include "recorder.h"

#include "calvorine_codec.h"
#include "encoder_params.h"
#include "frame.h"
#include "level_block.h"
#include "platform/system/clock.h"
#include "recording_session.h"
#include "utf8_path.h"

namespace calvorine::codec {

Recorder::Recorder() : HandleObject(kKind) {}

Recorder::~Recorder() {
    close();
}

std::shared_ptr<RecordingSession> Recorder::session() const {
    std::lock_guard<std::mutex> guard(m_stateLock);
    return m_session;
}

bool Recorder::open(const char* pathUtf8, const char* muxerName, const EncoderParams& params) {
    if (!isUsablePath(pathUtf8) || !muxerName)
        return false;
    std::lock_guard<std::mutex> lifecycle(m_lifecycleLock);
    {
        std::lock_guard<std::mutex> guard(m_stateLock);
        if (m_running)
            return false;
    }
    // A stopped file that was not closed yet is closed now.
    std::shared_ptr<RecordingSession> previous;
    {
        std::lock_guard<std::mutex> guard(m_stateLock);
        previous = std::move(m_session);
    }
    previous.reset();

    auto next = std::make_shared<RecordingSession>();
    if (!next->open(pathUtf8, muxerName, params))
        return false;
    std::lock_guard<std::mutex> guard(m_stateLock);
    m_session = std::move(next);
    m_running = true;
    m_finalTimeUs = 0;
    return true;
}

bool Recorder::isRunning() const {
    std::lock_guard<std::mutex> guard(m_stateLock);
    // A file that can no longer be written is no longer being recorded, even before
    // the caller stops it.
    return m_running && !(m_session && m_session->outputFailed());
}

bool Recorder::pause() {
    std::shared_ptr<RecordingSession> current;
    {
        std::lock_guard<std::mutex> guard(m_stateLock);
        if (!m_running)
            return false;
        current = m_session;
    }
    current->timeline().pause(calvorine::platform::monotonicMicroseconds());
    return true;
}

bool Recorder::setClockOrigin(int64_t originUs) {
    std::shared_ptr<RecordingSession> current = session();
    if (!current)
        return false;
    current->setClockOrigin(originUs);
    return true;
}

void Recorder::resumeIfPaused() {
    std::shared_ptr<RecordingSession> current;
    {
        std::lock_guard<std::mutex> guard(m_stateLock);
        if (!m_running)
            return;
        current = m_session;
    }
    current->timeline().resume(calvorine::platform::monotonicMicroseconds());
}

uint64_t Recorder::recordedTime() {
    resumeIfPaused();
    std::shared_ptr<RecordingSession> current;
    {
        std::lock_guard<std::mutex> guard(m_stateLock);
        if (!m_running)
            return m_finalTimeUs;
        current = m_session;
    }
    return current->recordedTime();
}

bool Recorder::pushVideo(const FrameObject& frame) {
    resumeIfPaused();
    std::shared_ptr<RecordingSession> current = session();
    return current && current->pushVideo(frame);
}

bool Recorder::pushAudio(const FrameObject& frame) {
    std::shared_ptr<RecordingSession> current = session();
    return current && current->pushAudio(frame);
}

uint8_t* Recorder::levelBlock() {
    std::shared_ptr<RecordingSession> current = session();
    if (!current)
        return nullptr;
    int channels = 0;
    int sampleRate = 0;
    std::vector<int16_t> samples = current->takeLevelSamples(channels, sampleRate);
    return m_levelBlocks.keep(makeLevelBlock(samples.data(), samples.size(), channels, sampleRate));
}

bool Recorder::releaseLevelBlock(uint8_t* block) {
    return m_levelBlocks.release(block);
}

bool Recorder::stop() {
    std::lock_guard<std::mutex> lifecycle(m_lifecycleLock);
    std::shared_ptr<RecordingSession> current;
    {
        std::lock_guard<std::mutex> guard(m_stateLock);
        if (!m_running)
            return false;
        m_running = false;
        current = m_session;
    }
    const bool whole = current->finish();
    std::lock_guard<std::mutex> guard(m_stateLock);
    m_finalTimeUs = current->recordedTime();
    return whole;
}

bool Recorder::close() {
    stop();
    std::lock_guard<std::mutex> lifecycle(m_lifecycleLock);
    std::shared_ptr<RecordingSession> current;
    {
        std::lock_guard<std::mutex> guard(m_stateLock);
        current = std::move(m_session);
    }
    return current != nullptr;
}

uint64_t Recorder::dropped(int kind) const {
    std::shared_ptr<RecordingSession> current = session();
    return current ? current->dropped(kind) : 0;
}

int Recorder::queuedVideoFrames() const {
    std::shared_ptr<RecordingSession> current = session();
    return current ? current->queuedVideoFrames() : 0;
}

int64_t Recorder::videoBacklogUs() const {
    std::shared_ptr<RecordingSession> current = session();
    return current ? current->videoBacklogUs() : 0;
}

uint64_t Recorder::videoBuffersMade() const {
    std::shared_ptr<RecordingSession> current = session();
    return current ? current->videoBuffersMade() : 0;
}

} // namespace calvorine::codec

using calvorine::codec::EncoderParams;
using calvorine::codec::FrameObject;
using calvorine::codec::fromHandle;
using calvorine::codec::Recorder;

extern "C" CVCODEC_API cvcodec_recorder cvcodec_recorder_create(int32_t) {
    return calvorine::codec::toHandle<cvcodec_recorder>(new Recorder);
}

extern "C" CVCODEC_API int cvcodec_recorder_release(cvcodec_recorder handle) {
    Recorder* recorder = fromHandle<Recorder>(handle);
    if (!recorder)
        return 0;
    delete recorder;
    return 1;
}

extern "C" CVCODEC_API int cvcodec_recorder_open(cvcodec_recorder handle, const char* path, const char* muxer,
                                                 cvcodec_params params) {
    Recorder* recorder = fromHandle<Recorder>(handle);
    EncoderParams* settings = fromHandle<EncoderParams>(params);
    if (!recorder || !settings)
        return 0;
    return recorder->open(path, muxer, *settings) ? 1 : 0;
}

extern "C" CVCODEC_API int cvcodec_recorder_is_running(cvcodec_recorder handle) {
    Recorder* recorder = fromHandle<Recorder>(handle);
    return recorder && recorder->isRunning() ? 1 : 0;
}

extern "C" CVCODEC_API int cvcodec_recorder_pause(cvcodec_recorder handle) {
    Recorder* recorder = fromHandle<Recorder>(handle);
    return recorder && recorder->pause() ? 1 : 0;
}

extern "C" CVCODEC_API int cvcodec_recorder_set_clock_origin(cvcodec_recorder handle, int64_t originUs) {
    Recorder* recorder = fromHandle<Recorder>(handle);
    return recorder && recorder->setClockOrigin(originUs) ? 1 : 0;
}

extern "C" CVCODEC_API uint64_t cvcodec_recorder_recorded_time(cvcodec_recorder handle) {
    Recorder* recorder = fromHandle<Recorder>(handle);
    return recorder ? recorder->recordedTime() : 0;
}

extern "C" CVCODEC_API int cvcodec_recorder_push_video(cvcodec_recorder handle, cvcodec_frame frame) {
    Recorder* recorder = fromHandle<Recorder>(handle);
    FrameObject* picture = fromHandle<FrameObject>(frame);
    return recorder && picture && recorder->pushVideo(*picture) ? 1 : 0;
}

extern "C" CVCODEC_API int cvcodec_recorder_push_audio(cvcodec_recorder handle, cvcodec_frame frame) {
    Recorder* recorder = fromHandle<Recorder>(handle);
    FrameObject* sound = fromHandle<FrameObject>(frame);
    return recorder && sound && recorder->pushAudio(*sound) ? 1 : 0;
}

extern "C" CVCODEC_API uint8_t* cvcodec_recorder_level_block(cvcodec_recorder handle, int32_t) {
    Recorder* recorder = fromHandle<Recorder>(handle);
    return recorder ? recorder->levelBlock() : nullptr;
}

extern "C" CVCODEC_API int cvcodec_recorder_release_level_block(cvcodec_recorder handle, uint8_t* block) {
    Recorder* recorder = fromHandle<Recorder>(handle);
    return recorder && recorder->releaseLevelBlock(block) ? 1 : 0;
}

extern "C" CVCODEC_API int cvcodec_recorder_stop(cvcodec_recorder handle) {
    Recorder* recorder = fromHandle<Recorder>(handle);
    return recorder && recorder->stop() ? 1 : 0;
}

extern "C" CVCODEC_API int cvcodec_recorder_close(cvcodec_recorder handle) {
    Recorder* recorder = fromHandle<Recorder>(handle);
    return recorder && recorder->close() ? 1 : 0;
}

extern "C" CVCODEC_API uint64_t cvcodec_recorder_dropped_frames(cvcodec_recorder handle, int32_t kind) {
    Recorder* recorder = fromHandle<Recorder>(handle);
    return recorder ? recorder->dropped(kind) : 0;
}

extern "C" CVCODEC_API int cvcodec_recorder_queued_video_frames(cvcodec_recorder handle) {
    Recorder* recorder = fromHandle<Recorder>(handle);
    return recorder ? recorder->queuedVideoFrames() : 0;
}

extern "C" CVCODEC_API int64_t cvcodec_recorder_video_backlog(cvcodec_recorder handle) {
    Recorder* recorder = fromHandle<Recorder>(handle);
    return recorder ? recorder->videoBacklogUs() : 0;
}

extern "C" CVCODEC_API uint64_t cvcodec_recorder_video_buffers(cvcodec_recorder handle) {
    Recorder* recorder = fromHandle<Recorder>(handle);
    return recorder ? recorder->videoBuffersMade() : 0;
}
