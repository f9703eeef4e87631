// The track: a stream of frames fed by one producer thread and read by a recording.
// The state is shared so that a track released by its producer while a recording still
// reads it stays valid for the reader. Internal to the codec library.
#pragma once

#include "audio_chunk.h"
#include "calvorine_codec.h"
#include "handle_kinds.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace calvorine::codec {

struct TrackState {
    static constexpr size_t kMaxQueuedChunks = 400; // several seconds of capture packets

    std::mutex lock;
    int32_t type = 0;
    uint32_t format = 0;
    int32_t sampleRate = 0;
    int32_t channels = 0;
    uint32_t channelMask = 0;
    int32_t sampleFormat = -1;
    int32_t bitsPerSample = 0;
    cvcodec_track_callback callback = nullptr;
    void* callbackContext = nullptr;
    int32_t width = 0;
    int32_t height = 0;
    int32_t frameRate[2] = {0, 0};
    int32_t aspect[2] = {0, 0};
    int32_t timeBase[2] = {0, 0};
    std::vector<uint8_t> codecData;

    bool released = false; // the producer let go of the handle
    // Threads inside the callback now; the release waits until none is left but its own.
    std::vector<std::thread::id> callingThreads;
    std::condition_variable callbackDone;
    int readers = 0; // recordings taking its frames
    std::deque<AudioChunk> queue;
    uint64_t dropped = 0;

    // Tells the producer's callback (outside the lock).
    void notify(int32_t event);
    // Marks the track released and returns once no callback runs on another thread; a
    // callback that releases its own track does not wait for itself.
    void release();
};

struct TrackObject : HandleObject {
    static constexpr HandleKind kKind = HandleKind::Track;
    TrackObject() : HandleObject(kKind), state(std::make_shared<TrackState>()) {}

    std::shared_ptr<TrackState> state;
};

} // namespace calvorine::codec
