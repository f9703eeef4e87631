// Conversion: one source file re-encoded into one destination file with a trim window,
// speed, picture and sound edits, tags, cover and chapters. The work runs on the
// converter's own thread; while it runs, every member may be called from one other
// thread (the owner's). open() runs on the owner's thread; only interruptOpen() may be
// called from another thread during it. Internal to the codec library.
#pragma once

#include "filters.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace calvorine::codec {

struct ConversionChapter {
    int64_t startUs = 0;
    int64_t durationUs = 0;
    std::string title;
};

// Everything a conversion writes, as the encoder-parameter object describes it.
struct ConversionSettings {
    bool copyStreams = false;                // copy every stream unchanged (tags, cover, chapters, trim only)
    AVCodecID videoCodec = AV_CODEC_ID_NONE; // NONE: no video stream
    AVCodecID audioCodec = AV_CODEC_ID_NONE; // NONE: no audio stream
    // Codec id 0 of the request: the source stream's codec where the output format takes
    // it, else the format's default codec (the stream is kept rather than dropped).
    bool videoCodecFromSource = false;
    bool audioCodecFromSource = false;
    std::string audioEncoderName; // a named encoder, else libav's default
    std::string videoEncoderName;
    std::string videoProfile;
    std::string videoPreset;
    int width = 0; // 0: the edited picture's size
    int height = 0;
    int frameRateNum = 0; // 0: the source's rate
    int frameRateDen = 1;
    int64_t videoBitRate = 0; // bit/s; 0 with quality -1: the encoder's default
    int quality = -1;         // constant quality (CRF-like), -1: use the bit rate
    int sampleRate = 0;
    int channels = 0;
    int64_t audioBitRate = 0;

    VideoEdit video;
    AudioEdit audio;

    std::vector<std::pair<std::string, std::string>> tags;
    std::vector<uint8_t> cover; // image file bytes
    std::vector<ConversionChapter> chapters;
};

class Converter {
public:
    Converter() = default;
    ~Converter();
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Opens the source and prepares the destination (muxer by name; "" guesses from the
    // destination's extension). Nothing is written yet. False leaves nothing behind.
    bool open(const char* source, const char* destination, const char* muxer, const ConversionSettings& settings);
    // The trim window: start and length in microseconds (length 0 = to the end). The work
    // takes the window it finds when it starts.
    void setRange(int64_t startUs, int64_t lengthUs);
    // Makes an open in progress on another thread, and every later open of this
    // converter, give up at once. Thread-safe.
    void interruptOpen() { m_openInterrupted = true; }
    // Starts the work on the converter's thread.
    bool start();
    // Asks the work to end and returns at once; the partial output is removed.
    bool stop();
    // Waits for the thread and releases everything (idempotent).
    void close();

    bool isFinished() const { return m_done.load(); }
    bool isStopped() const { return m_stopped.load(); }
    bool hasFailed() const { return m_failed.load(); }
    // Position and length of the work within the trim window, in microseconds of the
    // source; the length is never 0.
    uint64_t positionUs() const { return static_cast<uint64_t>(std::max<int64_t>(0, m_positionUs.load())); }
    uint64_t durationUs() const;
    // Microseconds from start() to the first written output packet (0 before it).
    int64_t firstPacketDelayUs() const { return m_firstPacketDelayUs.load(); }

private:
    struct Impl;
    void work();
    void finishOutput(bool headerWritten, bool failed);

    std::pair<int64_t, int64_t> range() const;

    Impl* m_impl = nullptr;
    std::thread m_thread;
    std::mutex m_closeMutex;
    std::atomic<bool> m_stopRequested{false};
    std::atomic<bool> m_done{false};
    std::atomic<bool> m_stopped{false};
    std::atomic<bool> m_failed{false};
    std::atomic<int64_t> m_positionUs{0};
    std::atomic<int64_t> m_firstPacketDelayUs{0};
    std::atomic<bool> m_openInterrupted{false};
    mutable std::mutex m_rangeLock; // guards the window below
    int64_t m_startUs = 0;
    int64_t m_lengthUs = 0;
    int64_t m_sourceDurationUs = 0;
    int64_t m_startedAtUs = 0;
    std::string m_destination;
};

} // namespace calvorine::codec
