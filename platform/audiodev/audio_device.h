// The audio-device library: the program's view of the system mixer, loaded at run time
// ("libcalvorine_audiodev.so" in the application folder) and reached through two C
// entries, "CreateDevice" and "DestroyDevice", and the table of virtual operations of
// the device object they hand out. The order of the operations in the table is part of
// the library's interface: never reorder, insert or remove one (the reserved slots keep
// the places of operations the program does not use).
//
// Recording devices are the system's capture sources (not the monitors of outputs);
// their lines are the inputs of a source (its ports, or the source itself when it has
// none). Playback devices and lines are the outputs, likewise. Indexes refer to the
// lists as read at creation or by the last refreshDevices.
//
// Threads: one thread at a time (the program uses the GUI thread). Getters answer from
// what the library last heard from the system and never wait for the sound server;
// setters send their request and return at once. Results: 32-bit ints, negative on
// failure; texts NUL-terminated UTF-16, valid until the next refreshDevices.
#pragma once

class IAudioDevice {
public:
    virtual int deviceCount() = 0;                                       // 0
    virtual int reservedSlot1() = 0;                                     // 1
    virtual int lineCount(int device) = 0;                               // 2
    virtual const char16_t* deviceName(int device) = 0;                  // 3
    virtual int reservedSlot4() = 0;                                     // 4
    virtual const char16_t* lineName(int device, int line) = 0;          // 5
    virtual int reservedSlot6() = 0;                                     // 6
    virtual int reservedSlot7() = 0;                                     // 7
    virtual int reservedSlot8() = 0;                                     // 8
    virtual int reservedSlot9() = 0;                                     // 9
    virtual int reservedSlot10() = 0;                                    // 10
    virtual int reservedSlot11() = 0;                                    // 11
    virtual int currentPlaybackLine(int* device, int* line) = 0;         // 12: status, 0 = found
    virtual int currentCaptureLine(int* device, int* line) = 0;          // 13: status, 0 = found
    virtual int reservedSlot14() = 0;                                    // 14
    virtual int selectCaptureLine(int device, int line) = 0;             // 15
    virtual int playbackVolume(int device, int line) = 0;                // 16: 0-100
    virtual int captureVolume(int device, int line) = 0;                 // 17: 0-100
    virtual int playbackMute(int device, int line) = 0;                  // 18: 1 muted
    virtual int captureMute(int device, int line) = 0;                   // 19: 1 muted
    virtual int setPlaybackVolume(int device, int line, int volume) = 0; // 20
    virtual int setCaptureVolume(int device, int line, int volume) = 0;  // 21
    virtual int setPlaybackMute(int device, int line, int mute) = 0;     // 22
    virtual int setCaptureMute(int device, int line, int mute) = 0;      // 23
    // Non-zero when recording devices came or went, or changed their inputs, since the
    // last refresh (volume changes do not count).
    virtual int devicesChanged() = 0; // 24
    // Reads the devices again (waiting a bounded time for the system) and clears the
    // changed state.
    virtual int refreshDevices() = 0; // 25

protected:
    // Released through DestroyDevice only.
    ~IAudioDevice() = default;
};

// The two entries as the program resolves them by name.
using CreateDeviceFunction = IAudioDevice* (*)();
using DestroyDeviceFunction = void (*)(IAudioDevice*);

#if defined(CALVORINE_AUDIODEV_BUILDING)
#define CALVORINE_AUDIODEV_API __attribute__((visibility("default")))
#else
#define CALVORINE_AUDIODEV_API
#endif

extern "C" {
// A new device object, or null when the system mixer cannot be reached within a second.
CALVORINE_AUDIODEV_API IAudioDevice* CreateDevice();
// Releases a device object; null is ignored.
CALVORINE_AUDIODEV_API void DestroyDevice(IAudioDevice* device);
}
