// The picture side of a recording: a bounded queue of pictures between the callers and
// one encoder thread, which places each on the constant frame-rate grid by its time and
// encodes it. Slots between two pictures repeat the one before while the encoder has the
// time for them; an encoder that cannot take every slot spends its time on the new
// pictures only and leaves the slots between them out (the picture before lasts until
// the next), so that it never falls behind the recording. Screen pictures at the output
// size are converted to the encoder's format as they are pushed, straight into a pooled
// frame that the encoder is handed as it is; other pictures are copied as pushed and
// converted (scaled) on the encoder thread. Sizes are padded to even for 4:2:0. Internal
// to the codec library.
#pragma once

#include "encoder_params.h"
#include "frame_pool.h"
#include "libav_objects.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

namespace calvorine::codec {

struct FrameObject;
class MuxerOutput;

class VideoPipeline {
public:
    // Pictures waiting for the encoder; more are dropped (the caller never waits).
    static constexpr size_t kQueueCapacity = 8;
    // Encoder-format pictures made ready at the start.
    static constexpr size_t kPreparedBuffers = 3;
    // The encoder thread keeps at least this many free in the pool, so that a push
    // finds one whose pages are already mapped.
    static constexpr size_t kSpareLowMark = 2;

    VideoPipeline() = default;
    VideoPipeline(const VideoPipeline&) = delete;
    VideoPipeline& operator=(const VideoPipeline&) = delete;
    ~VideoPipeline();

    // Opens the encoder for the settings and adds its stream; false for a codec without
    // an encoder here or an unusable size.
    bool configure(const StreamSettings& settings, MuxerOutput& output);
    void start();
    // Queues the picture: a 32-bit picture at the output size for a 4:2:0 encoder is
    // converted on the way, any other is copied; false when the frame is incomplete or was
    // dropped because the queue is full. Thread-safe.
    bool push(const FrameObject& frame, int64_t outputUs);
    // Encodes what is queued, repeats the last picture up to the end time, drains the
    // encoder and ends the thread.
    void finish(int64_t endUs);

    uint64_t dropped() const;
    size_t queued() const;
    // How long the encoder will take for the pictures waiting (microseconds, by its recent
    // pace). Thread-safe.
    int64_t backlogUs() const;
    // Picture buffers made so far: bounded by the queue, whatever the length of the
    // recording.
    size_t buffersMade() const;

private:
    struct Picture {
        int64_t outputUs = 0;
        libav::FramePtr frame;
        bool converted = false; // in the encoder's format and size already; else as pushed
    };

    // The pool of the pushed pictures' format and size (made anew when they change).
    // Called with m_lock held.
    FramePool* copyPool(AVPixelFormat format, int width, int height);
    // On the encoder thread: makes sure the encoder-format pool has spare buffers.
    void topUpSpareBuffers();

    void run();
    void encodePicture(Picture& picture);
    // True while the encoder takes a picture in well under a slot: the slots between two
    // pictures are then filled with repeats.
    bool repeatsAffordable() const;
    // The picture's frame in the encoder's format and size (padding filled).
    libav::FramePtr convert(Picture& picture);
    void padToEven(AVFrame* frame) const;
    void send(AVFrame* frame);
    bool setUpRateControl(const StreamSettings& settings, const char* encoderName, libav::Options& options);

    libav::CodecContextPtr m_encoder;
    AVStream* m_stream = nullptr;
    MuxerOutput* m_output = nullptr;
    libav::FramePtr m_picture; // the last picture encoded, held for repeating
    libav::PacketPtr m_packet;
    SwsContext* m_scaler = nullptr; // owned; freed in the destructor
    AVRational m_frameRate{30, 1};
    int m_outWidth = 0; // the picture's size before padding
    int m_outHeight = 0;
    bool m_padEven = false;
    bool m_convertOnPush = false; // set by configure, read-only afterwards
    int64_t m_nextIndex = 0;
    int64_t m_slotUs = 33'333;                  // one slot of the grid
    int64_t m_minimumEncodeUs = 0;              // set by configure
    std::atomic<int64_t> m_encodeUs{0};         // a new picture's encoding, smoothed; set on the encoder thread
    std::unique_ptr<FramePool> m_encoderFrames; // set by configure

    mutable std::mutex m_lock;
    std::condition_variable m_wake;
    std::deque<Picture> m_queue;
    std::unique_ptr<FramePool> m_copyFrames;
    size_t m_retiredBuffers = 0; // made by copy pools since replaced
    bool m_finishing = false;
    uint64_t m_dropped = 0;
    std::thread m_thread;
};

} // namespace calvorine::codec
