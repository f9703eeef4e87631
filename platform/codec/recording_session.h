// One open file of a recorder: the output, the picture and sound pipelines and the
// timeline they share. Internal to the codec library.
#pragma once

#include "audio_pipeline.h"
#include "muxer_output.h"
#include "timeline.h"
#include "video_pipeline.h"

#include <atomic>
#include <memory>
#include <string>

namespace calvorine::codec {

struct EncoderParams;
struct FrameObject;

class RecordingSession {
public:
    RecordingSession() = default;
    RecordingSession(const RecordingSession&) = delete;
    RecordingSession& operator=(const RecordingSession&) = delete;
    ~RecordingSession();

    // Sets up the output, the encoders and the streams, writes the header and starts
    // the threads; false (nothing left running, the file removed) on any failure.
    bool open(const std::string& pathUtf8, const std::string& muxerName, const EncoderParams& params);

    Timeline& timeline() { return m_timeline; }
    bool hasVideo() const { return m_video != nullptr; }
    bool hasAudio() const { return m_audio != nullptr; }
    bool pushVideo(const FrameObject& frame);
    bool pushAudio(const FrameObject& frame);
    std::vector<int16_t> takeLevelSamples(int& channels, int& sampleRate);
    // Finishes the file; the recorded time is frozen at this moment. Once; every call
    // returns whether the whole file reached the disk (see MuxerOutput::finish).
    bool finish();
    uint64_t recordedTime() const;
    // The recording's clock counts from originUs (monotonic) from now on; called right
    // after the open, before any push or pause.
    void setClockOrigin(int64_t originUs);
    // True once the file could not be written any further; the pushes then fail.
    bool outputFailed() const { return m_output.failed(); }
    uint64_t dropped(int kind) const;
    int queuedVideoFrames() const;
    int64_t videoBacklogUs() const;
    uint64_t videoBuffersMade() const;

private:
    int64_t recordingClock() const;

    Timeline m_timeline;
    std::atomic<int64_t> m_startUs{0};
    MuxerOutput m_output;
    std::unique_ptr<VideoPipeline> m_video;
    std::unique_ptr<AudioPipeline> m_audio;
    std::string m_path;
    std::atomic<bool> m_finished{false};
    // Frames refused for a stamp far ahead of the clock, counted with the drops.
    std::atomic<uint64_t> m_refusedVideo{0};
    std::atomic<uint64_t> m_refusedAudio{0};
};

} // namespace calvorine::codec
