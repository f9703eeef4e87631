// The device object on PulseAudio. A threaded main loop keeps a subscription to the
// server: every source, sink and server event refreshes a cache (under a mutex) that the
// getters read. The lists the indexes refer to are copied from the cache at creation and
// at each refreshDevices, on the caller's thread, so the names handed out stay valid in
// between. Setters queue their request on the main loop and return.
#pragma once

#include "platform/audiodev/audio_device.h"

#include <memory>

namespace calvorine::audiodev {

class PulseDevice final : public IAudioDevice {
public:
    // Null when no server answers within `timeoutMs`.
    static PulseDevice* create(int timeoutMs);
    ~PulseDevice();

    int deviceCount() override;
    int reservedSlot1() override { return -1; }
    int lineCount(int device) override;
    const char16_t* deviceName(int device) override;
    int reservedSlot4() override { return -1; }
    const char16_t* lineName(int device, int line) override;
    int reservedSlot6() override { return -1; }
    int reservedSlot7() override { return -1; }
    int reservedSlot8() override { return -1; }
    int reservedSlot9() override { return -1; }
    int reservedSlot10() override { return -1; }
    int reservedSlot11() override { return -1; }
    int currentPlaybackLine(int* device, int* line) override;
    int currentCaptureLine(int* device, int* line) override;
    int reservedSlot14() override { return -1; }
    int selectCaptureLine(int device, int line) override;
    int playbackVolume(int device, int line) override;
    int captureVolume(int device, int line) override;
    int playbackMute(int device, int line) override;
    int captureMute(int device, int line) override;
    int setPlaybackVolume(int device, int line, int volume) override;
    int setCaptureVolume(int device, int line, int volume) override;
    int setPlaybackMute(int device, int line, int mute) override;
    int setCaptureMute(int device, int line, int mute) override;
    int devicesChanged() override;
    int refreshDevices() override;

    struct Private;

private:
    PulseDevice();
    std::unique_ptr<Private> d;
};

} // namespace calvorine::audiodev
