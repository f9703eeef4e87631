// The sound side of a recording: one thread resamples every source (the frames pushed
// to the recorder and the tracks added for mixing) to the encoder's rate and layout,
// places each by its time on the output timeline, mixes them, and encodes. Sources
// that fall silent are covered with silence, so the sound never stops while pictures
// go on. Internal to the codec library.
#pragma once

#include "audio_chunk.h"
#include "encoder_params.h"
#include "libav_objects.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace calvorine::codec {

class MuxerOutput;
struct TrackState;

class AudioPipeline {
public:
    // Maps a source's timestamp onto the output timeline; nothing for a paused moment.
    using TimeMapper = std::function<std::optional<int64_t>(int64_t)>;
    // The output timeline's present moment.
    using Clock = std::function<int64_t()>;

    AudioPipeline() = default;
    AudioPipeline(const AudioPipeline&) = delete;
    AudioPipeline& operator=(const AudioPipeline&) = delete;
    ~AudioPipeline();

    bool configure(const StreamSettings& settings, MuxerOutput& output);
    void addTrack(std::shared_ptr<TrackState> track);
    void start(TimeMapper mapper, Clock clock);
    // Queues a chunk whose timestamp is already on the output timeline; false when
    // dropped. Thread-safe.
    bool push(AudioChunk chunk);
    // Mixes and encodes everything up to the end time (or further when a source
    // delivered more), drains the encoder and ends the thread.
    void finish(int64_t endUs);

    // The recorded sound since the last call as signed 16-bit samples (at most one
    // second). Thread-safe.
    std::vector<int16_t> takeLevelSamples();
    int channels() const { return m_channels; }
    int sampleRate() const { return m_sampleRate; }
    uint64_t dropped() const;

private:
    struct Source {
        std::shared_ptr<TrackState> track; // null for the recorder's own frames
        libav::SwrPtr resampler;
        AVSampleFormat inFormat = AV_SAMPLE_FMT_NONE;
        int inRate = 0;
        int inChannels = 0;
        uint64_t inMask = 0;
        int64_t cursor = -1;          // next output sample index; -1 before the first chunk
        int64_t pausedUs = 0;         // the paused time left out before its last chunk
        int compensation = 0;         // the resampler's, in samples over kCompensationSeconds
        int64_t compensationFrom = 0; // the cursor when it was last set
        double stretch = 0;           // the resampling applied: gliding toward rate and offset
        double rate = 0;              // how much faster its timestamps run than its samples
        int64_t rateFromUs = -1;      // the timestamp the rate is read from (-1: none yet)
        int64_t rateSamples = 0;      // and the samples since it
    };

    void run();
    void collect(bool untilEmpty);
    // afterPause: a pause was left out since the source's last chunk.
    void mixChunk(Source& source, const AudioChunk& chunk, bool afterPause);
    bool prepareResampler(Source& source, const AudioChunk& chunk);
    // Sets the source's resampling so that its sound in the mix keeps to its timestamps.
    void followTimestamps(Source& source, const AudioChunk& chunk, int64_t ahead);
    void addToMix(int64_t first, const float* values, int64_t samples);
    void drainResamplers();
    void emitUpTo(int64_t sampleIndex);
    void encodePending(bool flush);
    void send(AVFrame* frame);

    libav::CodecContextPtr m_encoder;
    AVStream* m_stream = nullptr;
    MuxerOutput* m_output = nullptr;
    libav::SwrPtr m_packer; // interleaved float -> the encoder's sample format
    libav::PacketPtr m_packet;
    AVChannelLayout m_layout{};
    int m_sampleRate = 44100;
    int m_channels = 2;
    int m_frameSize = 1024;
    TimeMapper m_mapper;
    Clock m_clock;

    std::vector<Source> m_sources; // [0] the recorder's own frames
    std::vector<float> m_mix;      // interleaved, starting at m_mixBase
    int64_t m_mixBase = 0;
    std::vector<float> m_pending; // mixed, not yet encoded
    int64_t m_encodedSamples = 0;
    int64_t m_skipSamples = 0; // mixed samples left out where the priming plays

    mutable std::mutex m_lock;
    std::condition_variable m_wake;
    std::deque<AudioChunk> m_queue;
    bool m_finishing = false;
    uint64_t m_dropped = 0;
    std::thread m_thread;

    std::mutex m_levelLock;
    std::deque<int16_t> m_levelSamples;
};

} // namespace calvorine::codec
