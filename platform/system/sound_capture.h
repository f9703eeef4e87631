// Sound capture: the system sound (what the default output device plays, read from its
// monitor) or a microphone (the default input or a named one), through the PulseAudio
// client library, which PipeWire desktops serve as well. The server sends the sound
// every 40 ms or so (each message wakes the library's event thread, so fewer of them cost
// less); the reader gets it in pieces of at most 10 ms, as a reader polling every 10 ms
// expects.
//
// A source object belongs to the thread that reads it (open, reads and close on one
// thread); the library's own event thread stays inside the implementation.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

namespace calvorine::platform {

enum class SoundSourceKind {
    SystemSound = 1, // the monitor of the default output
    Microphone = 2,  // the default input, or the one named at creation
};

// Sample formats by the numbers the codec library's audio frames use.
enum class SampleFormat : int {
    Unsigned8 = 0,
    Signed16 = 1,
    Signed32 = 2,
    Float32 = 3,
    Float64 = 4,
};

struct SoundFormat {
    int sampleRateHz = 0;
    int channels = 0;
    SampleFormat sampleFormat = SampleFormat::Float32;
    int bitsPerSample = 0;
    uint32_t channelMask = 0; // speaker bits: 0x3 front left and right, 0x4 front centre
    int bytesPerFrame = 0;    // one sample of every channel
};

// One fragment of captured sound. A fragment flagged silent stands for a stretch the
// server had no sound for: its length counts, its bytes do not (the reader must use
// silence in their place; a source of ours hands out zeros there).
struct SoundPacket {
    const uint8_t* data = nullptr;
    int frameCount = 0;
    bool silent = false;
    // Its first frame was captured about backlogFrames / rate seconds ago. Sound a
    // device hands out ahead of time has a backlog below its frame count, down to below
    // zero: its frames belong to moments still to come.
    int backlogFrames = 0;
    // The frames the source held when the packet was read, its own included: from a
    // device that delivers as it captures, all were captured by then, so its first frame
    // is at least this old on the machine's clock, whatever the device's clock says (0
    // when the source does not tell). A device that hands out sound ahead of time holds
    // its future too: then the backlog, far below this, tells the packet's age.
    int bufferedFrames = 0;
};

// How old the next packet of a capture is, by the stream's own clock: its frames follow
// one another from the moment it was connected, so a frame cannot be older than its place
// in the stream allows. Some devices hand out sound ahead of time (a sine source gives two
// seconds at once, the second one of them belonging to the future), and this clock is
// what tells so: the buffer alone would take those frames for captured already.
//
// The clock is held to what the buffer shows both ways. Sound newer than its place (the
// device paused or lost some) moves the clock on at once. A device whose own clock runs
// fast (a null output of a sound server runs a tenth of a millisecond a second fast) puts
// more frames in the stream than the machine's time allows, and its packets would look
// further ahead of their time every minute, until real-time sound was taken for sound
// handed out ahead of time. So while the capture holds no more than kNearUs (the device
// delivers as it captures), a packet found ahead of what the buffer shows moves the clock
// back toward the buffer by at most kFollowPpm of the time since the last packet: that
// keeps up with any device's clock, and leaves a source that hands out seconds at once
// (its packets come one right after the other, the buffer full) as far ahead as it is.
class StreamClock {
public:
    static constexpr int64_t kNearUs = 100'000;
    static constexpr int64_t kFollowPpm = 1000;

    void restart(int64_t nowUs) {
        originUs_ = nowUs;
        lastUs_ = nowUs;
        positionFrames_ = 0;
    }
    // The age in frames of the next packet's first frame, read at nowUs while the
    // capture holds bufferedFrames (that packet's own included); below zero for frames
    // that belong to moments still to come.
    int64_t ageFrames(int64_t nowUs, int64_t bufferedFrames, int rateHz) {
        int64_t age = (nowUs - originUs_) * rateHz / 1'000'000 - positionFrames_;
        if (age > bufferedFrames) {
            originUs_ += (age - bufferedFrames) * 1'000'000 / rateHz;
            age = bufferedFrames;
        } else if (age < bufferedFrames && bufferedFrames * 1'000'000 / rateHz <= kNearUs) {
            const int64_t backUs =
                std::min((bufferedFrames - age) * 1'000'000 / rateHz, (nowUs - lastUs_) * kFollowPpm / 1'000'000);
            originUs_ -= backUs;
            age = (nowUs - originUs_) * rateHz / 1'000'000 - positionFrames_;
        }
        lastUs_ = nowUs;
        return age;
    }
    // The packet whose age was asked is handed out.
    void taken(int frames) { positionFrames_ += frames; }

private:
    int64_t originUs_ = 0;
    int64_t lastUs_ = 0;
    int64_t positionFrames_ = 0;
};

// What a capture loop reads from. The sound-server capture below implements it; tests
// put their own sources behind it.
class SoundSource {
public:
    virtual ~SoundSource() = default;

    // Connects and starts capturing; false (see lastError) when there is no sound
    // server or no such device.
    virtual bool open() = 0;
    virtual SoundFormat format() const = 0;

    // Frames in the next fragment, 0 when none is ready yet, -1 when the stream has
    // failed (server gone, device removed).
    virtual int nextPacketFrames() = 0;
    // The next fragment; valid until releasePacket. False when none is ready.
    virtual bool readPacket(SoundPacket& packet) = 0;
    virtual bool releasePacket() = 0;

    // True while the server has moved the capture off the device it was opened on: that
    // device went away (a microphone pulled out), and what is read now comes from the
    // server's default device; false again once the capture is back on its own device
    // (the source moves it back when a device of that name comes again).
    virtual bool deviceAway() const { return false; }

    // The kind of device a microphone capture keeps to (see createSoundCapture), known
    // once it has been opened; a capture made to take over from another one is given the
    // other's kind before it opens, so that it, too, opens only a device of that kind.
    enum class DeviceKind { Unknown, Input, OutputMonitor };
    virtual DeviceKind deviceKind() const { return DeviceKind::Unknown; }
    virtual void keepToDeviceKind(DeviceKind kind) { (void)kind; }

    // A flag another thread sets to make a connect or a lookup that waits on the server
    // (one that hangs) give up at once; null for none.
    virtual void setGiveUp(const std::atomic<bool>* flag) { (void)flag; }

    // Stops the stream and disconnects. Also done by the destructor; open() may follow
    // (the server or the device came back).
    virtual void close() = 0;
    virtual std::string lastError() const = 0;
};

// A capture from the sound server. sourceName chooses a microphone by its server name,
// or the output whose monitor is the system sound; empty means the default input or the
// default output. A microphone keeps to the kind of device it was first opened on: a
// microphone is not taken over to the monitor of an output, nor the other way round.
std::unique_ptr<SoundSource> createSoundCapture(SoundSourceKind kind, const std::string& sourceName = {});

} // namespace calvorine::platform
