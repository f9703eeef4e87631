// Entries of the track.
#include "track.h"

#include "frame.h"

#include <algorithm>

namespace calvorine::codec {

void TrackState::notify(int32_t event) {
    cvcodec_track_callback function;
    void* context;
    {
        std::lock_guard<std::mutex> guard(lock);
        if (released)
            return;
        function = callback;
        context = callbackContext;
        if (!function)
            return;
        callingThreads.push_back(std::this_thread::get_id());
    }
    function(context, event);
    {
        std::lock_guard<std::mutex> guard(lock);
        callingThreads.erase(std::find(callingThreads.begin(), callingThreads.end(), std::this_thread::get_id()));
    }
    callbackDone.notify_all();
}

void TrackState::release() {
    std::unique_lock<std::mutex> guard(lock);
    released = true;
    callback = nullptr;
    callbackContext = nullptr;
    queue.clear();
    const std::thread::id self = std::this_thread::get_id();
    callbackDone.wait(guard, [&] {
        return std::all_of(callingThreads.begin(), callingThreads.end(),
                           [&](const std::thread::id& id) { return id == self; });
    });
}

} // namespace calvorine::codec

using calvorine::codec::fromHandle;
using calvorine::codec::TrackObject;
using calvorine::codec::TrackState;

// One setter: locks the track's state and runs the statement on `s`.
#define CVCODEC_TRACK_SETTER(function, parameters, statement)                                                          \
    extern "C" CVCODEC_API int function(cvcodec_track handle, parameters) {                                            \
        TrackObject* t = fromHandle<TrackObject>(handle);                                                              \
        if (!t)                                                                                                        \
            return 0;                                                                                                  \
        TrackState* s = t->state.get();                                                                                \
        std::lock_guard<std::mutex> guard(s->lock);                                                                    \
        statement;                                                                                                     \
        return 1;                                                                                                      \
    }
#define CVCODEC_TRACK_PAIR(a, b) a, b

extern "C" CVCODEC_API cvcodec_track cvcodec_track_create(int32_t type) {
    if (type != CVCODEC_TRACK_VIDEO && type != CVCODEC_TRACK_AUDIO && type != CVCODEC_TRACK_SUBTITLE)
        return nullptr;
    auto* track = new TrackObject;
    track->state->type = type;
    return calvorine::codec::toHandle<cvcodec_track>(track);
}

extern "C" CVCODEC_API int cvcodec_track_release(cvcodec_track handle) {
    TrackObject* t = fromHandle<TrackObject>(handle);
    if (!t)
        return 0;
    t->state->release();
    delete t;
    return 1;
}

CVCODEC_TRACK_SETTER(cvcodec_track_set_format, uint32_t v, s->format = v)
CVCODEC_TRACK_SETTER(cvcodec_track_set_sample_rate, int32_t v, s->sampleRate = v)
CVCODEC_TRACK_SETTER(cvcodec_track_set_channels, int32_t v, s->channels = v)
CVCODEC_TRACK_SETTER(cvcodec_track_set_channel_mask, CVCODEC_TRACK_PAIR(uint32_t v, int32_t), s->channelMask = v)
CVCODEC_TRACK_SETTER(cvcodec_track_set_sample_format, int32_t v, s->sampleFormat = v)
CVCODEC_TRACK_SETTER(cvcodec_track_set_bits_per_sample, int32_t v, s->bitsPerSample = v)
CVCODEC_TRACK_SETTER(cvcodec_track_set_callback, CVCODEC_TRACK_PAIR(cvcodec_track_callback c, void* context),
                     s->callback = c;
                     s->callbackContext = context)
CVCODEC_TRACK_SETTER(cvcodec_track_set_video_size, CVCODEC_TRACK_PAIR(int32_t w, int32_t h), s->width = w;
                     s->height = h)
CVCODEC_TRACK_SETTER(cvcodec_track_set_frame_rate, CVCODEC_TRACK_PAIR(int32_t n, int32_t d), s->frameRate[0] = n;
                     s->frameRate[1] = d)
CVCODEC_TRACK_SETTER(cvcodec_track_set_aspect, CVCODEC_TRACK_PAIR(int32_t n, int32_t d), s->aspect[0] = n;
                     s->aspect[1] = d)
CVCODEC_TRACK_SETTER(cvcodec_track_set_time_base, CVCODEC_TRACK_PAIR(int32_t n, int32_t d), s->timeBase[0] = n;
                     s->timeBase[1] = d)

extern "C" CVCODEC_API int cvcodec_track_set_codec_data(cvcodec_track handle, const void* data, int32_t size) {
    TrackObject* t = fromHandle<TrackObject>(handle);
    if (!t || size < 0 || (size > 0 && !data))
        return 0;
    std::lock_guard<std::mutex> guard(t->state->lock);
    const auto* bytes = static_cast<const uint8_t*>(data);
    t->state->codecData.assign(bytes, bytes + size);
    return 1;
}

extern "C" CVCODEC_API int cvcodec_track_push_frame(cvcodec_track handle, cvcodec_frame frame) {
    TrackObject* t = fromHandle<TrackObject>(handle);
    auto* f = fromHandle<calvorine::codec::FrameObject>(frame);
    if (!t || !f)
        return 0;
    calvorine::codec::AudioChunk chunk;
    if (t->state->type != CVCODEC_TRACK_AUDIO || !f->audioChunk(chunk))
        return 0;
    std::lock_guard<std::mutex> guard(t->state->lock);
    // Without a reader nobody would ever empty the queue: keep only the newest.
    if (t->state->queue.size() >= TrackState::kMaxQueuedChunks) {
        t->state->queue.pop_front();
        ++t->state->dropped;
    }
    t->state->queue.push_back(std::move(chunk));
    return 1;
}
