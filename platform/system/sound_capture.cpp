#include "platform/system/sound_capture.h"

#include "platform/system/clock.h"

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <atomic>
#include <deque>
#include <mutex>
#include <vector>

namespace calvorine::platform {

namespace {

// How long a missing or hung server may delay the start of a capture.
constexpr int64_t kConnectTimeoutUs = 3'000'000;
// The fragment the server is asked to send at a time: 40 ms of sound. Each one wakes the
// event thread; at 10 ms that thread cost several times what it does at 40 ms.
constexpr pa_usec_t kFragmentUs = 40'000;
// Sound kept for a reader that does not read (about 20 s of stereo float at 48 kHz);
// beyond it the oldest goes, as the server itself would drop it.
constexpr size_t kMaxBufferedBytes = size_t(8) << 20;

// One lookup on the sound server: what it found, and whether it has answered in full.
struct DeviceQuery {
    bool done = false;
    bool found = false;
    std::string text;    // the default output device, or the device to record from
    std::string monitor; // the default input device
    pa_sample_spec sampleSpec{};
    bool isMonitor = false; // the input found is the monitor of an output
    pa_threaded_mainloop* loop = nullptr;
};

// Keeps the first device a lookup reports (the name to record from and its format) and
// marks the lookup done at the end of the list.
void noteFirstDevice(void* data, const char* name, const pa_sample_spec* format, int eol) {
    auto* q = static_cast<DeviceQuery*>(data);
    if (format && !q->found) {
        q->found = true;
        q->text = name ? name : "";
        q->sampleSpec = *format;
    }
    if (eol != 0) {
        q->done = true;
        pa_threaded_mainloop_signal(q->loop, 0);
    }
}

class PulseCapture final : public SoundSource {
public:
    PulseCapture(SoundSourceKind kind, std::string sourceName) : kind_(kind), requestedName_(std::move(sourceName)) {}
    ~PulseCapture() override { close(); }

    bool open() override;
    SoundFormat format() const override { return format_; }
    int nextPacketFrames() override;
    bool readPacket(SoundPacket& packet) override;
    bool releasePacket() override;
    bool deviceAway() const override { return away_; }
    void setGiveUp(const std::atomic<bool>* flag) override { giveUp_ = flag; }
    DeviceKind deviceKind() const override {
        return monitorInput_ < 0 ? DeviceKind::Unknown : monitorInput_ ? DeviceKind::OutputMonitor : DeviceKind::Input;
    }
    void keepToDeviceKind(DeviceKind kind) override {
        if (kind_ == SoundSourceKind::Microphone && kind != DeviceKind::Unknown) {
            monitorInput_ = int(kind == DeviceKind::OutputMonitor);
        }
    }
    void close() override;
    std::string lastError() const override { return error_; }

private:
    struct Lock {
        explicit Lock(pa_threaded_mainloop* loop) : loop_(loop) { pa_threaded_mainloop_lock(loop_); }
        ~Lock() { pa_threaded_mainloop_unlock(loop_); }
        pa_threaded_mainloop* loop_;
    };

    // Waits (with the loop locked) until done() holds or the time-out passes.
    template <typename Done> bool waitFor(Done done);
    bool connectContext();
    bool findSource(std::string& name, pa_sample_spec& sampleSpec);
    // The server's default devices, then the device to record from and its format.
    bool askServerDefaults(DeviceQuery& server);
    bool askDevice(const DeviceQuery& server, DeviceQuery& device);
    // Waits for a lookup's answer; false when it could not be asked or never answered.
    bool awaitLookup(pa_operation* operation, DeviceQuery& query);
    bool connectStream(const std::string& name, const pa_sample_spec& deviceSpec);
    void fail(const std::string& what);

    static void onContextState(pa_context*, void* self);
    static void onStreamState(pa_stream*, void* self);
    static void onStreamRead(pa_stream*, size_t, void* self);
    static void onStreamMoved(pa_stream*, void* self);
    static void onSourceEvent(pa_context*, pa_subscription_event_type_t event, uint32_t, void* self);
    // On the event thread: moves what the stream holds into the buffer below.
    void takeFromStream();

    SoundSourceKind kind_;
    std::string requestedName_;
    pa_threaded_mainloop* loop_ = nullptr;
    pa_context* context_ = nullptr;
    pa_stream* stream_ = nullptr;
    SoundFormat format_;
    std::string error_;

    // The sound is taken from the stream on the event thread, as it arrives, into this
    // buffer; the reader takes it from here. So the reader never locks the event loop
    // nor calls the client library, and the event thread wakes only for the server.
    struct Piece {
        bool silent = false; // a hole: only its length counts
        size_t bytes = 0;
        std::vector<uint8_t> data; // empty for a hole
        size_t offset = 0;         // what the reader has taken
    };
    std::mutex bufferLock_;
    std::deque<Piece> pieces_;
    size_t bufferedBytes_ = 0; // not yet taken, over all pieces
    // Set on the event thread when the server or the stream fails.
    std::atomic<bool> broken_{false};
    // The device the stream was connected to, and whether the server has moved it to
    // another one since (set on the event thread).
    std::string deviceName_;
    std::atomic<bool> away_{false};
    // The output whose monitor the system sound is taken from: opened again after a
    // loss, it is taken up when it returns (kept over close).
    std::string followedOutput_;
    // Set by the reader's owner to give up a connect or a lookup at once (see waitFor).
    const std::atomic<bool>* giveUp_ = nullptr;
    // Whether the microphone's first device was the monitor of an output (-1 not yet
    // known; kept over close): it is opened again, or moved by the server, only to a
    // device of the same kind.
    int monitorInput_ = -1;
    // The device a microphone capture was moved to is not yet known to be of that kind:
    // what comes meanwhile is left out. On the event thread.
    bool moveUnchecked_ = false;
    bool taking_ = false; // the stream is ready; under the loop's lock

    // On the reader's thread: the piece handed out and not yet released.
    size_t maxPacketBytes_ = 0;
    bool havePacket_ = false;
    SoundPacket packet_;
    std::vector<uint8_t> packetBytes_;
    std::vector<uint8_t> zeros_;
    // The stream's own clock: the frames handed out so far (holes included).
    StreamClock clock_;
};

void PulseCapture::fail(const std::string& what) {
    error_ = what;
    if (context_ && pa_context_errno(context_) != 0) {
        error_ += ": ";
        error_ += pa_strerror(pa_context_errno(context_));
    }
}

// The state and lookup callbacks signal the loop as its API asks, but no thread blocks in
// pa_threaded_mainloop_wait (it has no time-out): waitFor() polls their results instead.
// The state callbacks also mark a failed server or stream for the reader.
void PulseCapture::onContextState(pa_context* context, void* self) {
    auto* capture = static_cast<PulseCapture*>(self);
    if (!PA_CONTEXT_IS_GOOD(pa_context_get_state(context))) {
        capture->broken_ = true;
    }
    pa_threaded_mainloop_signal(capture->loop_, 0);
}

void PulseCapture::onStreamState(pa_stream* stream, void* self) {
    auto* capture = static_cast<PulseCapture*>(self);
    if (!PA_STREAM_IS_GOOD(pa_stream_get_state(stream))) {
        capture->broken_ = true;
    }
    pa_threaded_mainloop_signal(capture->loop_, 0);
}

void PulseCapture::onStreamRead(pa_stream*, size_t, void* self) {
    static_cast<PulseCapture*>(self)->takeFromStream();
}

// The server moves a capture whose device went away to its default device, and back
// once the device returns (by name: a device plugged in again has a new index).
// A microphone capture moved to the monitor of an output would record the system sound:
// until the new device is known, nothing is taken, and one of the other kind ends the
// stream (it is opened again, in silence meanwhile).
void PulseCapture::onStreamMoved(pa_stream* stream, void* self) {
    auto* capture = static_cast<PulseCapture*>(self);
    const char* name = pa_stream_get_device_name(stream);
    capture->away_ = name == nullptr || capture->deviceName_ != name;
    capture->moveUnchecked_ = true;
    pa_operation* lookup = pa_context_get_source_info_by_index(
        capture->context_, pa_stream_get_device_index(stream),
        [](pa_context*, const pa_source_info* info, int eol, void* self) {
            auto* capture = static_cast<PulseCapture*>(self);
            if (info) {
                if (int(info->monitor_of_sink != PA_INVALID_INDEX) != capture->monitorInput_) {
                    capture->broken_ = true;
                } else {
                    capture->moveUnchecked_ = false;
                }
            } else if (eol < 0) {
                capture->broken_ = true;
            }
        },
        capture);
    if (lookup) {
        pa_operation_unref(lookup);
    } else {
        capture->broken_ = true;
    }
}

// The server does not bring the capture back by itself to a device that returns (a
// microphone plugged in again): while the capture is away, each new source is tried.
void PulseCapture::onSourceEvent(pa_context* context, pa_subscription_event_type_t event, uint32_t, void* self) {
    auto* capture = static_cast<PulseCapture*>(self);
    if ((event & PA_SUBSCRIPTION_EVENT_TYPE_MASK) != PA_SUBSCRIPTION_EVENT_NEW || !capture->away_ ||
        !capture->stream_ || pa_stream_get_state(capture->stream_) != PA_STREAM_READY) {
        return;
    }
    pa_operation* move = pa_context_move_source_output_by_name(context, pa_stream_get_index(capture->stream_),
                                                               capture->deviceName_.c_str(), nullptr, nullptr);
    if (move) {
        pa_operation_unref(move);
    }
}

void PulseCapture::takeFromStream() {
    if (!taking_) {
        return; // still connecting: the stream keeps it
    }
    const size_t frameBytes = size_t(format_.bytesPerFrame);
    for (;;) {
        const void* data = nullptr;
        size_t bytes = 0;
        if (pa_stream_peek(stream_, &data, &bytes) < 0) {
            broken_ = true;
            return;
        }
        if (bytes == 0) {
            return;
        }
        // Whole frames only (a partial one is left out).
        const size_t whole = bytes - bytes % frameBytes;
        if (whole > 0 && !moveUnchecked_) {
            Piece piece;
            piece.silent = data == nullptr;
            piece.bytes = whole;
            if (data) {
                piece.data.assign(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + whole);
            }
            std::lock_guard<std::mutex> guard(bufferLock_);
            pieces_.push_back(std::move(piece));
            bufferedBytes_ += whole;
            while (bufferedBytes_ > kMaxBufferedBytes && pieces_.size() > 1) {
                bufferedBytes_ -= pieces_.front().bytes - pieces_.front().offset;
                pieces_.pop_front();
            }
        }
        if (pa_stream_drop(stream_) < 0) {
            broken_ = true;
            return;
        }
    }
}

template <typename Done> bool PulseCapture::waitFor(Done done) {
    const int64_t deadline = monotonicMicroseconds() + kConnectTimeoutUs;
    while (!done()) {
        if (monotonicMicroseconds() > deadline || (giveUp_ && *giveUp_)) {
            return false;
        }
        // Polls every 2 ms with the loop unlocked, so that its thread can run the
        // callbacks that change what done() reads; nothing wakes this sleep early.
        pa_threaded_mainloop_unlock(loop_);
        sleepForMicroseconds(2000);
        pa_threaded_mainloop_lock(loop_);
    }
    return true;
}

bool PulseCapture::connectContext() {
    context_ = pa_context_new(pa_threaded_mainloop_get_api(loop_), "Calvorine Screen Recorder");
    if (!context_) {
        fail("cannot create a sound-server context");
        return false;
    }
    pa_context_set_state_callback(context_, &PulseCapture::onContextState, this);
    // No autospawn: a recorder must not start a sound server of its own.
    if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        fail("no sound server");
        return false;
    }
    bool ready = waitFor([this] {
        pa_context_state_t state = pa_context_get_state(context_);
        return state == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(state);
    });
    if (!ready || pa_context_get_state(context_) != PA_CONTEXT_READY) {
        fail(ready ? "no sound server" : "the sound server does not answer");
        return false;
    }
    return true;
}

bool PulseCapture::awaitLookup(pa_operation* operation, DeviceQuery& query) {
    if (!operation) {
        return false;
    }
    bool finished = waitFor([&query] { return query.done; });
    pa_operation_unref(operation);
    return finished;
}

bool PulseCapture::askServerDefaults(DeviceQuery& server) {
    server.loop = loop_;
    const bool ok = awaitLookup(pa_context_get_server_info(
                                    context_,
                                    [](pa_context*, const pa_server_info* info, void* data) {
                                        auto* q = static_cast<DeviceQuery*>(data);
                                        if (info) {
                                            q->found = true;
                                            q->text = info->default_sink_name ? info->default_sink_name : "";
                                            q->monitor = info->default_source_name ? info->default_source_name : "";
                                        }
                                        q->done = true;
                                        pa_threaded_mainloop_signal(q->loop, 0);
                                    },
                                    &server),
                                server);
    if (!ok || !server.found) {
        fail("the sound server gives no defaults");
        return false;
    }
    return true;
}

bool PulseCapture::askDevice(const DeviceQuery& server, DeviceQuery& device) {
    device.loop = loop_;
    bool ok = false;
    if (kind_ == SoundSourceKind::SystemSound) {
        // The output named at creation, else the one this capture followed before it
        // went away, else the default output.
        const std::string sink = !requestedName_.empty()    ? requestedName_
                                 : !followedOutput_.empty() ? followedOutput_
                                                            : server.text;
        if (sink.empty()) {
            fail("there is no output device");
            return false;
        }
        device.monitor = sink;
        ok = awaitLookup(pa_context_get_sink_info_by_name(
                             context_, sink.c_str(),
                             [](pa_context*, const pa_sink_info* info, int eol, void* data) {
                                 noteFirstDevice(data, info ? info->monitor_source_name : nullptr,
                                                 info ? &info->sample_spec : nullptr, eol);
                             },
                             &device),
                         device);
    } else {
        const std::string wanted = requestedName_.empty() ? server.monitor : requestedName_;
        if (wanted.empty()) {
            fail("there is no input device");
            return false;
        }
        ok = awaitLookup(
            pa_context_get_source_info_by_name(
                context_, wanted.c_str(),
                [](pa_context*, const pa_source_info* info, int eol, void* data) {
                    if (info) {
                        static_cast<DeviceQuery*>(data)->isMonitor = info->monitor_of_sink != PA_INVALID_INDEX;
                    }
                    noteFirstDevice(data, info ? info->name : nullptr, info ? &info->sample_spec : nullptr, eol);
                },
                &device),
            device);
    }
    if (!ok || !device.found || device.text.empty()) {
        fail(kind_ == SoundSourceKind::SystemSound ? "the output device has no monitor" : "no such input device");
        return false;
    }
    return true;
}

bool PulseCapture::findSource(std::string& name, pa_sample_spec& sampleSpec) {
    DeviceQuery server;
    DeviceQuery device;
    if (!askServerDefaults(server) || !askDevice(server, device)) {
        return false;
    }
    name = device.text;
    sampleSpec = device.sampleSpec;
    if (kind_ == SoundSourceKind::SystemSound) {
        followedOutput_ = device.monitor;
    } else if (monitorInput_ >= 0 && int(device.isMonitor) != monitorInput_) {
        // A microphone gone away leaves the server a monitor of an output as its default
        // input: that is the system sound, which is not taken for the microphone (nor
        // the other way round, for a user who records an output as their input).
        fail("the default input is not the kind of device first recorded");
        return false;
    } else {
        monitorInput_ = int(device.isMonitor);
    }
    return true;
}

bool PulseCapture::connectStream(const std::string& name, const pa_sample_spec& deviceSpec) {
    // Samples come as 32-bit float at the device's own rate, so the server only converts
    // the sample type; more than two channels are mixed down to stereo.
    pa_sample_spec sampleSpec;
    sampleSpec.format = PA_SAMPLE_FLOAT32LE;
    sampleSpec.rate = pa_sample_spec_valid(&deviceSpec) ? deviceSpec.rate : 48000;
    sampleSpec.rate = std::clamp<uint32_t>(sampleSpec.rate, 8000, 192000);
    sampleSpec.channels = pa_sample_spec_valid(&deviceSpec) ? std::min<uint8_t>(deviceSpec.channels, 2) : 2;
    pa_channel_map map;
    pa_channel_map_init_auto(&map, sampleSpec.channels, PA_CHANNEL_MAP_WAVEEX);

    stream_ = pa_stream_new(context_, kind_ == SoundSourceKind::SystemSound ? "System sound" : "Microphone",
                            &sampleSpec, &map);
    if (!stream_) {
        fail("cannot create a capture stream");
        return false;
    }
    pa_stream_set_state_callback(stream_, &PulseCapture::onStreamState, this);
    pa_stream_set_read_callback(stream_, &PulseCapture::onStreamRead, this);
    pa_stream_set_moved_callback(stream_, &PulseCapture::onStreamMoved, this);
    pa_buffer_attr attr;
    attr.maxlength = uint32_t(-1);
    attr.tlength = uint32_t(-1);
    attr.prebuf = uint32_t(-1);
    attr.minreq = uint32_t(-1);
    attr.fragsize = uint32_t(pa_usec_to_bytes(kFragmentUs, &sampleSpec));
    // The server moves a capture whose device went away to its default input, a
    // microphone: the system sound is never moved (it fails instead and is opened again
    // on its output, in silence meanwhile).
    auto flags =
        pa_stream_flags_t(PA_STREAM_ADJUST_LATENCY | (kind_ == SoundSourceKind::SystemSound ? PA_STREAM_DONT_MOVE : 0));
    // A new stream carries no sound from before it was connected.
    clock_.restart(monotonicMicroseconds());
    if (pa_stream_connect_record(stream_, name.c_str(), &attr, flags) < 0) {
        fail("cannot connect the capture stream");
        return false;
    }
    bool ready = waitFor([this] {
        pa_stream_state_t state = pa_stream_get_state(stream_);
        return state == PA_STREAM_READY || !PA_STREAM_IS_GOOD(state);
    });
    if (!ready || pa_stream_get_state(stream_) != PA_STREAM_READY) {
        fail("the capture stream did not start");
        return false;
    }
    const char* connected = pa_stream_get_device_name(stream_);
    deviceName_ = connected ? connected : name;
    away_ = false;
    pa_context_set_subscribe_callback(context_, &PulseCapture::onSourceEvent, this);
    if (pa_operation* subscribe = pa_context_subscribe(context_, PA_SUBSCRIPTION_MASK_SOURCE, nullptr, nullptr)) {
        pa_operation_unref(subscribe);
    }
    // From here the event thread takes the sound as it arrives (it holds the loop's
    // lock, as this thread does now).
    format_.sampleRateHz = int(sampleSpec.rate);
    format_.channels = sampleSpec.channels;
    format_.sampleFormat = SampleFormat::Float32;
    format_.bitsPerSample = 32;
    format_.channelMask = sampleSpec.channels == 1 ? 0x4u : 0x3u;
    format_.bytesPerFrame = int(pa_frame_size(&sampleSpec));
    maxPacketBytes_ = size_t(format_.bytesPerFrame) * size_t(std::max(1, format_.sampleRateHz / 100));
    taking_ = true;
    takeFromStream(); // what arrived while the stream was being set up
    return true;
}

bool PulseCapture::open() {
    close();
    error_.clear();
    loop_ = pa_threaded_mainloop_new();
    if (!loop_ || pa_threaded_mainloop_start(loop_) < 0) {
        fail("cannot start the sound event loop");
        close();
        return false;
    }
    bool ok = false;
    {
        Lock lock(loop_);
        std::string name;
        pa_sample_spec sampleSpec{};
        ok = connectContext() && findSource(name, sampleSpec) && connectStream(name, sampleSpec);
    }
    if (!ok) {
        std::string reason = error_;
        close();
        error_ = reason;
    }
    return ok;
}

int PulseCapture::nextPacketFrames() {
    if (!stream_) {
        return -1;
    }
    if (havePacket_) {
        return packet_.frameCount;
    }
    if (broken_) {
        fail("the sound server or the device went away");
        return -1;
    }
    const size_t frameBytes = size_t(format_.bytesPerFrame);
    std::lock_guard<std::mutex> guard(bufferLock_);
    if (pieces_.empty()) {
        return 0;
    }
    Piece& piece = pieces_.front();
    // Some devices hand out far more than asked for at a time (a sine source gives a
    // third of a second); the reader still gets it in pieces of about 10 ms.
    const size_t bytes = std::min(piece.bytes - piece.offset, maxPacketBytes_);
    packet_.frameCount = int(bytes / frameBytes);
    // How old the packet is. What is buffered here, this packet included, is all
    // captured already when the device delivers in real time; the server's latency
    // figure does not tell sound handed out ahead of time (for a monitor it even counts
    // the output's playback buffer). The stream's own clock does (see StreamClock).
    const int64_t buffered = int64_t(bufferedBytes_ / frameBytes);
    const int64_t age = clock_.ageFrames(monotonicMicroseconds(), buffered, format_.sampleRateHz);
    packet_.backlogFrames = int(std::max<int64_t>(age, INT32_MIN));
    packet_.bufferedFrames = int(std::min<int64_t>(buffered, INT32_MAX));
    clock_.taken(int(bytes / frameBytes));
    // A hole (no data) is a stretch the server had nothing for: its length is kept, in zeros.
    packet_.silent = piece.silent;
    if (piece.silent) {
        if (zeros_.size() < bytes) {
            zeros_.assign(maxPacketBytes_, 0);
        }
        packet_.data = zeros_.data();
    } else {
        packetBytes_.assign(piece.data.begin() + std::ptrdiff_t(piece.offset),
                            piece.data.begin() + std::ptrdiff_t(piece.offset + bytes));
        packet_.data = packetBytes_.data();
    }
    piece.offset += bytes;
    bufferedBytes_ -= bytes;
    if (piece.offset >= piece.bytes) {
        pieces_.pop_front();
    }
    havePacket_ = true;
    return packet_.frameCount;
}

bool PulseCapture::readPacket(SoundPacket& packet) {
    if (!havePacket_ && nextPacketFrames() <= 0) {
        return false;
    }
    packet = packet_;
    return true;
}

bool PulseCapture::releasePacket() {
    havePacket_ = false;
    packet_ = SoundPacket();
    return true;
}

void PulseCapture::close() {
    if (loop_) {
        {
            Lock lock(loop_);
            if (stream_) {
                pa_stream_set_state_callback(stream_, nullptr, nullptr);
                pa_stream_set_read_callback(stream_, nullptr, nullptr);
                pa_stream_set_moved_callback(stream_, nullptr, nullptr);
                pa_stream_disconnect(stream_);
                pa_stream_unref(stream_);
            }
            if (context_) {
                pa_context_set_state_callback(context_, nullptr, nullptr);
                pa_context_set_subscribe_callback(context_, nullptr, nullptr);
                pa_context_disconnect(context_);
                pa_context_unref(context_);
            }
        }
        pa_threaded_mainloop_stop(loop_);
        pa_threaded_mainloop_free(loop_);
    }
    stream_ = nullptr;
    context_ = nullptr;
    loop_ = nullptr;
    havePacket_ = false;
    packet_ = SoundPacket();
    pieces_.clear();
    bufferedBytes_ = 0;
    broken_ = false;
    away_ = false;
    moveUnchecked_ = false;
    taking_ = false;
    clock_.restart(0);
}

} // namespace

std::unique_ptr<SoundSource> createSoundCapture(SoundSourceKind kind, const std::string& sourceName) {
    return std::make_unique<PulseCapture>(kind, sourceName);
}

} // namespace calvorine::platform
