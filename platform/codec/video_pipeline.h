// The picture side of a recording: a bounded queue of copied pictures between the
// callers and one encoder thread, which converts each picture to the encoder's format
// (sizes padded to even for 4:2:0; screen pictures are converted as they are pushed),
// places it on the constant frame-rate grid by its time and encodes it. Internal to the codec library.
#pragma once

#include "encoder_params.h"
#include "libav_objects.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace calvorine::codec {

struct FrameObject;
class MuxerOutput;

class VideoPipeline {
public:
    // Pictures waiting for the encoder; more are dropped (the caller never waits).
    static constexpr size_t kQueueCapacity = 8;
    // Picture buffers made ready at the start.
    static constexpr size_t kPreparedBuffers = 3;
    // Buffers that can be in use at once: a full queue and the picture being encoded.
    static constexpr size_t kPoolLimit = kQueueCapacity + 1;
    // Below this many spare buffers the encoder thread makes another ready, so that a
    // push finds one whose pages are already mapped.
    static constexpr size_t kSpareLowMark = 2;

    VideoPipeline() = default;
    VideoPipeline(const VideoPipeline&) = delete;
    VideoPipeline& operator=(const VideoPipeline&) = delete;
    ~VideoPipeline();

    // Opens the encoder for the settings and adds its stream; false for a codec without
    // an encoder here or an unusable size.
    bool configure(const StreamSettings& settings, MuxerOutput& output);
    void start();
    // Copies the picture into the queue (a 32-bit picture at the output size for a
    // 4:2:0 encoder is converted on the way); false when the frame is incomplete or was
    // dropped because the queue is full. Thread-safe.
    bool push(const FrameObject& frame, int64_t outputUs);
    // Encodes what is queued, repeats the last picture up to the end time, drains the
    // encoder and ends the thread.
    void finish(int64_t endUs);

    uint64_t dropped() const;
    size_t queued() const;

private:
    // A picture's bytes, kept in the pool between pictures. Never cleared: the copy of
    // a push is the one pass over them.
    struct PictureBuffer {
        std::unique_ptr<uint8_t[]> bytes;
        size_t capacity = 0;
    };
    enum class Pages { Unmapped, Mapped };

    struct Picture {
        int64_t outputUs = 0;
        AVPixelFormat format = AV_PIX_FMT_NONE;
        int width = 0;
        int height = 0;
        uint8_t* planes[4] = {};
        int lineSizes[4] = {};
        PictureBuffer buffer;
    };

    static PictureBuffer makeBuffer(size_t size, Pages pages);
    // Puts a buffer back into the pool (or frees it when the pool is full). Called
    // with m_lock held.
    void keepBuffer(PictureBuffer buffer);
    // On the encoder thread, holding a picture: makes a spare buffer ready when the
    // pool runs low.
    void topUpSpareBuffers();

    void run();
    void encodePicture(Picture& picture);
    bool convert(Picture& picture);
    void padToEven();
    void send(AVFrame* frame);
    bool setUpRateControl(const StreamSettings& settings, const char* encoderName, libav::Options& options);

    libav::CodecContextPtr m_encoder;
    AVStream* m_stream = nullptr;
    MuxerOutput* m_output = nullptr;
    libav::FramePtr m_picture; // the last converted picture, in the encoder's format
    libav::PacketPtr m_packet;
    SwsContext* m_scaler = nullptr; // owned; freed in the destructor
    AVRational m_frameRate{30, 1};
    int m_outWidth = 0; // the picture's size before padding
    int m_outHeight = 0;
    bool m_padEven = false;
    bool m_convertOnPush = false; // set by configure, read-only afterwards
    bool m_hasPicture = false;
    int64_t m_nextIndex = 0;

    mutable std::mutex m_lock;
    std::condition_variable m_wake;
    std::deque<Picture> m_queue;
    std::vector<PictureBuffer> m_spareBuffers;
    size_t m_expectedPictureBytes = 0; // a picture at the output size, as pushed
    bool m_finishing = false;
    uint64_t m_dropped = 0;
    std::thread m_thread;
};

} // namespace calvorine::codec
