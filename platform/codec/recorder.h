// The recorder handle: one file at a time, opened, fed from any thread, paused, stopped
// and closed; the next file can then be opened on the same handle. Internal to the
// codec library; the entries of calvorine_codec.h reach it.
#pragma once

#include "handle_kinds.h"
#include "level_block.h"
#include "timeline.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

namespace calvorine::codec {

struct EncoderParams;
struct FrameObject;
class RecordingSession;

class Recorder : public HandleObject {
public:
    static constexpr HandleKind kKind = HandleKind::Recorder;
    Recorder();
    ~Recorder();

    bool open(const char* pathUtf8, const char* muxerName, const EncoderParams& params);
    bool isRunning() const;
    bool pause();
    bool setClockOrigin(int64_t originUs);
    uint64_t recordedTime();
    bool pushVideo(const FrameObject& frame);
    bool pushAudio(const FrameObject& frame);
    uint8_t* levelBlock();
    bool releaseLevelBlock(uint8_t* block);
    bool stop();
    bool close();
    uint64_t dropped(int kind) const;
    int queuedVideoFrames() const;
    int64_t videoBacklogUs() const;
    uint64_t videoBuffersMade() const;

private:
    std::shared_ptr<RecordingSession> session() const;
    void resumeIfPaused();

    // Serialises open, stop and close against each other; never taken by the pushes.
    std::mutex m_lifecycleLock;
    // Guards the session pointer and the state below; held only for moments.
    mutable std::mutex m_stateLock;
    std::shared_ptr<RecordingSession> m_session;
    bool m_running = false;
    uint64_t m_finalTimeUs = 0;

    LevelBlockSet m_levelBlocks;
};

} // namespace calvorine::codec
