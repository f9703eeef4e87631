// A stand-in for the audio-device library with devices and lines the test sets up, and
// a log of the setters it was called with. Built as a shared library of the same two
// entries; the test steers it through the fake* entries.
#include "platform/audiodev/audio_device.h"

#include <string>
#include <vector>

#define FAKE_API extern "C" __attribute__((visibility("default")))

namespace {

struct FakeLine {
    std::u16string name;
};
struct FakeDeviceEntry {
    std::u16string name;
    std::vector<FakeLine> lines;
};

struct FakeState {
    std::vector<FakeDeviceEntry> devices;
    int captureStatus = 0;
    int captureDevice = 0;
    int captureLine = 0;
    int captureVolume = 50;
    int captureMute = 0;
    int playbackStatus = 0;
    int playbackVolume = 70;
    int playbackMute = 0;
    int changed = 0;
    int refreshes = 0;
    bool createFails = false;
    std::string log;
};

FakeState& state() {
    static FakeState s;
    return s;
}

// "~" stands for an empty name.
std::u16string utf16(const std::string& text) {
    return text == "~" ? std::u16string() : std::u16string(text.begin(), text.end());
}

void note(const std::string& call, int a, int b, int c) {
    state().log += call + " " + std::to_string(a) + " " + std::to_string(b) + " " + std::to_string(c) + ";";
}

class FakeDevice final : public IAudioDevice {
public:
    int deviceCount() override { return int(state().devices.size()); }
    int reservedSlot1() override { return -1; }
    int lineCount(int device) override { return valid(device) ? int(state().devices[device].lines.size()) : -1; }
    const char16_t* deviceName(int device) override {
        return valid(device) ? state().devices[device].name.c_str() : nullptr;
    }
    int reservedSlot4() override { return -1; }
    const char16_t* lineName(int device, int line) override {
        if (!valid(device) || line < 0 || line >= int(state().devices[device].lines.size())) {
            return nullptr;
        }
        return state().devices[device].lines[line].name.c_str();
    }
    int reservedSlot6() override { return -1; }
    int reservedSlot7() override { return -1; }
    int reservedSlot8() override { return -1; }
    int reservedSlot9() override { return -1; }
    int reservedSlot10() override { return -1; }
    int reservedSlot11() override { return -1; }
    int currentPlaybackLine(int* device, int* line) override {
        *device = 0;
        *line = 0;
        return state().playbackStatus;
    }
    int currentCaptureLine(int* device, int* line) override {
        if (state().captureStatus == 0) {
            *device = state().captureDevice;
            *line = state().captureLine;
        }
        return state().captureStatus;
    }
    int reservedSlot14() override { return -1; }
    int selectCaptureLine(int device, int line) override {
        note("selectCaptureLine", device, line, 0);
        state().captureDevice = device;
        state().captureLine = line;
        return 0;
    }
    int playbackVolume(int, int) override { return state().playbackVolume; }
    int captureVolume(int, int) override { return state().captureVolume; }
    int playbackMute(int, int) override { return state().playbackMute; }
    int captureMute(int, int) override { return state().captureMute; }
    int setPlaybackVolume(int device, int line, int volume) override {
        note("setPlaybackVolume", device, line, volume);
        state().playbackVolume = volume;
        return 0;
    }
    int setCaptureVolume(int device, int line, int volume) override {
        note("setCaptureVolume", device, line, volume);
        state().captureVolume = volume;
        return 0;
    }
    int setPlaybackMute(int device, int line, int mute) override {
        note("setPlaybackMute", device, line, mute);
        state().playbackMute = mute;
        return 0;
    }
    int setCaptureMute(int device, int line, int mute) override {
        note("setCaptureMute", device, line, mute);
        state().captureMute = mute;
        return 0;
    }
    int devicesChanged() override { return state().changed; }
    int refreshDevices() override {
        ++state().refreshes;
        state().changed = 0;
        return 0;
    }

private:
    static bool valid(int device) { return device >= 0 && device < int(state().devices.size()); }
};

} // namespace

FAKE_API IAudioDevice* CreateDevice() {
    return state().createFails ? nullptr : new FakeDevice;
}

FAKE_API void DestroyDevice(IAudioDevice* device) {
    note("DestroyDevice", 0, 0, 0);
    delete static_cast<FakeDevice*>(device);
}

// "Desk:Mic,Aux|Dock:|~:~" : devices separated by "|", each "name:line,line" ("Dock"
// has no lines; "~" is an empty name).
FAKE_API void fakeSetDevices(const char* layout) {
    state().devices.clear();
    std::string text = layout;
    size_t start = 0;
    while (start <= text.size() && !text.empty()) {
        const size_t end = text.find('|', start);
        const std::string part = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        const size_t colon = part.find(':');
        FakeDeviceEntry device;
        device.name = utf16(part.substr(0, colon));
        std::string lines = colon == std::string::npos ? std::string() : part.substr(colon + 1);
        size_t lineStart = 0;
        while (lineStart < lines.size()) {
            const size_t comma = lines.find(',', lineStart);
            device.lines.push_back(
                {utf16(lines.substr(lineStart, comma == std::string::npos ? std::string::npos : comma - lineStart))});
            if (comma == std::string::npos) {
                break;
            }
            lineStart = comma + 1;
        }
        state().devices.push_back(device);
        if (end == std::string::npos) {
            break;
        }
        start = end + 1;
    }
}

FAKE_API void fakeSetCapture(int status, int device, int line, int volume, int mute) {
    state().captureStatus = status;
    state().captureDevice = device;
    state().captureLine = line;
    state().captureVolume = volume;
    state().captureMute = mute;
}

FAKE_API void fakeSetPlayback(int status, int volume, int mute) {
    state().playbackStatus = status;
    state().playbackVolume = volume;
    state().playbackMute = mute;
}

FAKE_API void fakeSetChanged(int changed) {
    state().changed = changed;
}

FAKE_API void fakeSetCreateFails(int fails) {
    state().createFails = fails != 0;
}

FAKE_API int fakeRefreshes() {
    return state().refreshes;
}

// The setters called since the last take, "name device line value;" each.
FAKE_API const char* fakeTakeLog() {
    static std::string taken;
    taken = state().log;
    state().log.clear();
    return taken.c_str();
}
