#include "platform/audiodev/pulse_device.h"

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace calvorine::audiodev {

namespace {

constexpr int kConnectTimeoutMs = 1000;
// refreshDevices waits this long at most for the server's lists.
constexpr int kRefreshTimeoutMs = 500;

std::u16string utf16FromUtf8(const std::string& text) {
    std::u16string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        uint32_t code = 0xFFFD;
        size_t length = 1;
        if (c < 0x80) {
            code = c;
        } else if ((c >> 5) == 0x6 && i + 1 < text.size()) {
            code = ((c & 0x1Fu) << 6) | (static_cast<unsigned char>(text[i + 1]) & 0x3Fu);
            length = 2;
        } else if ((c >> 4) == 0xE && i + 2 < text.size()) {
            code = ((c & 0x0Fu) << 12) | ((static_cast<unsigned char>(text[i + 1]) & 0x3Fu) << 6) |
                   (static_cast<unsigned char>(text[i + 2]) & 0x3Fu);
            length = 3;
        } else if ((c >> 3) == 0x1E && i + 3 < text.size()) {
            code = ((c & 0x07u) << 18) | ((static_cast<unsigned char>(text[i + 1]) & 0x3Fu) << 12) |
                   ((static_cast<unsigned char>(text[i + 2]) & 0x3Fu) << 6) |
                   (static_cast<unsigned char>(text[i + 3]) & 0x3Fu);
            length = 4;
        }
        if (code >= 0x10000 && code <= 0x10FFFF) {
            code -= 0x10000;
            out.push_back(char16_t(0xD800 + (code >> 10)));
            out.push_back(char16_t(0xDC00 + (code & 0x3FF)));
        } else {
            out.push_back(char16_t(code));
        }
        i += length;
    }
    return out;
}

struct Port {
    std::string name;
    std::string description;
    bool operator==(const Port& other) const { return name == other.name && description == other.description; }
};

// What the server last told about one source or sink.
struct Node {
    std::string name;
    std::string description;
    bool monitor = false;
    std::vector<Port> ports;
    std::string activePort;
    pa_cvolume volume{};
    bool mute = false;

    bool sameInputs(const Node& other) const { return ports == other.ports && activePort == other.activePort; }
};

// A device as the indexes see it between refreshes.
struct DeviceEntry {
    std::string nodeName;
    std::u16string name;
    std::vector<std::string> portNames; // empty: the node itself is the one line
    std::vector<std::u16string> lineNames;
};

template <typename Info> Node nodeFrom(const Info* info, bool monitor) {
    Node node;
    node.name = info->name ? info->name : "";
    node.description = info->description ? info->description : "";
    node.monitor = monitor;
    for (uint32_t i = 0; i < info->n_ports; ++i) {
        const auto* port = info->ports[i];
        node.ports.push_back({port->name ? port->name : "", port->description ? port->description : ""});
    }
    if (info->active_port && info->active_port->name) {
        node.activePort = info->active_port->name;
    }
    node.volume = info->volume;
    node.mute = info->mute != 0;
    return node;
}

int volumePercent(const pa_cvolume& volume) {
    if (!pa_cvolume_valid(&volume)) {
        return -1;
    }
    const uint64_t percent = uint64_t(pa_cvolume_avg(&volume)) * 100 / PA_VOLUME_NORM;
    return int(std::min<uint64_t>(percent, 100));
}

} // namespace

struct PulseDevice::Private {
    pa_threaded_mainloop* loop = nullptr;
    pa_context* context = nullptr;

    std::mutex cacheMutex; // guards everything below up to `changed`
    std::map<uint32_t, Node> sources;
    std::map<uint32_t, Node> sinks;
    std::string defaultSource;
    std::string defaultSink;
    std::atomic<bool> changed{false};

    // The caller's thread only.
    std::vector<DeviceEntry> captureDevices;
    std::vector<DeviceEntry> playbackDevices;

    ~Private() { disconnect(); }

    void disconnect() {
        if (loop) {
            pa_threaded_mainloop_lock(loop);
            if (context) {
                pa_context_set_subscribe_callback(context, nullptr, nullptr);
                pa_context_set_state_callback(context, nullptr, nullptr);
                pa_context_disconnect(context);
                pa_context_unref(context);
                context = nullptr;
            }
            pa_threaded_mainloop_unlock(loop);
            pa_threaded_mainloop_stop(loop);
            pa_threaded_mainloop_free(loop);
            loop = nullptr;
        }
    }

    bool connect(int timeoutMs) {
        loop = pa_threaded_mainloop_new();
        if (!loop || pa_threaded_mainloop_start(loop) < 0) {
            return false;
        }
        pa_threaded_mainloop_lock(loop);
        pa_proplist* properties = pa_proplist_new();
        pa_proplist_sets(properties, PA_PROP_APPLICATION_NAME, "Calvorine Screen Recorder");
        context =
            pa_context_new_with_proplist(pa_threaded_mainloop_get_api(loop), "Calvorine Screen Recorder", properties);
        pa_proplist_free(properties);
        const bool started = context && pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0;
        pa_threaded_mainloop_unlock(loop);
        if (!started) {
            return false;
        }
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            pa_threaded_mainloop_lock(loop);
            const pa_context_state_t state = pa_context_get_state(context);
            pa_threaded_mainloop_unlock(loop);
            if (state == PA_CONTEXT_READY) {
                break;
            }
            if (!PA_CONTEXT_IS_GOOD(state) || std::chrono::steady_clock::now() > deadline) {
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        pa_threaded_mainloop_lock(loop);
        pa_context_set_subscribe_callback(context, &Private::onEvent, this);
        pa_operation_unref(
            pa_context_subscribe(context,
                                 pa_subscription_mask_t(PA_SUBSCRIPTION_MASK_SOURCE | PA_SUBSCRIPTION_MASK_SINK |
                                                        PA_SUBSCRIPTION_MASK_SERVER),
                                 nullptr, nullptr));
        pa_threaded_mainloop_unlock(loop);
        return true;
    }

    // Asks for the whole picture again and waits, a bounded time, for the answers.
    void readEverything(int timeoutMs) {
        pa_threaded_mainloop_lock(loop);
        std::vector<pa_operation*> operations = {pa_context_get_server_info(context, &Private::onServerInfo, this),
                                                 pa_context_get_source_info_list(context, &Private::onSourceInfo, this),
                                                 pa_context_get_sink_info_list(context, &Private::onSinkInfo, this)};
        pa_threaded_mainloop_unlock(loop);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        for (;;) {
            pa_threaded_mainloop_lock(loop);
            const bool done = std::all_of(operations.begin(), operations.end(), [](pa_operation* operation) {
                return !operation || pa_operation_get_state(operation) != PA_OPERATION_RUNNING;
            });
            if (done || std::chrono::steady_clock::now() > deadline) {
                for (pa_operation* operation : operations) {
                    if (operation) {
                        if (!done) {
                            pa_operation_cancel(operation);
                        }
                        pa_operation_unref(operation);
                    }
                }
                pa_threaded_mainloop_unlock(loop);
                return;
            }
            pa_threaded_mainloop_unlock(loop);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }

    static std::vector<DeviceEntry> entriesOf(const std::map<uint32_t, Node>& nodes) {
        std::vector<DeviceEntry> entries;
        for (const auto& item : nodes) {
            const Node& node = item.second;
            if (node.monitor) {
                continue;
            }
            DeviceEntry entry;
            entry.nodeName = node.name;
            if (node.ports.empty()) {
                // The node is its own line: named by its description, the device by its name.
                entry.name = utf16FromUtf8(node.name);
                entry.lineNames.push_back(utf16FromUtf8(node.description));
            } else {
                entry.name = utf16FromUtf8(node.description);
                for (const Port& port : node.ports) {
                    entry.portNames.push_back(port.name);
                    entry.lineNames.push_back(utf16FromUtf8(port.description));
                }
            }
            entries.push_back(std::move(entry));
        }
        return entries;
    }

    void takeSnapshot() {
        std::lock_guard<std::mutex> lock(cacheMutex);
        captureDevices = entriesOf(sources);
        playbackDevices = entriesOf(sinks);
    }

    const DeviceEntry* entry(const std::vector<DeviceEntry>& devices, int device, int line) const {
        if (device < 0 || device >= int(devices.size())) {
            return nullptr;
        }
        const DeviceEntry& e = devices[size_t(device)];
        if (line < 0 || line >= int(e.lineNames.size())) {
            return nullptr;
        }
        return &e;
    }

    // Caller holds cacheMutex.
    static const Node* nodeNamed(const std::map<uint32_t, Node>& nodes, const std::string& name) {
        for (const auto& item : nodes) {
            if (item.second.name == name) {
                return &item.second;
            }
        }
        return nullptr;
    }

    int currentLine(const std::vector<DeviceEntry>& devices, const std::map<uint32_t, Node>& nodes,
                    const std::string& defaultName, int* device, int* line) {
        std::lock_guard<std::mutex> lock(cacheMutex);
        const Node* node = nodeNamed(nodes, defaultName);
        if (!node || node->monitor) {
            return -1;
        }
        for (size_t i = 0; i < devices.size(); ++i) {
            if (devices[i].nodeName != defaultName) {
                continue;
            }
            int found = 0;
            if (!devices[i].portNames.empty()) {
                const auto it = std::find(devices[i].portNames.begin(), devices[i].portNames.end(), node->activePort);
                if (it == devices[i].portNames.end()) {
                    return -1;
                }
                found = int(it - devices[i].portNames.begin());
            }
            if (device) {
                *device = int(i);
            }
            if (line) {
                *line = found;
            }
            return 0;
        }
        return -1;
    }

    int volumeOf(const std::vector<DeviceEntry>& devices, const std::map<uint32_t, Node>& nodes, int device, int line) {
        const DeviceEntry* e = entry(devices, device, line);
        if (!e) {
            return -1;
        }
        std::lock_guard<std::mutex> lock(cacheMutex);
        const Node* node = nodeNamed(nodes, e->nodeName);
        return node ? volumePercent(node->volume) : -1;
    }

    int muteOf(const std::vector<DeviceEntry>& devices, const std::map<uint32_t, Node>& nodes, int device, int line) {
        const DeviceEntry* e = entry(devices, device, line);
        if (!e) {
            return -1;
        }
        std::lock_guard<std::mutex> lock(cacheMutex);
        const Node* node = nodeNamed(nodes, e->nodeName);
        return node ? (node->mute ? 1 : 0) : -1;
    }

    // The new volume keeps the channels' balance; the cache takes it at once so that a
    // getter right after the setter answers with it.
    int setVolume(bool capture, int device, int line, int percent) {
        const DeviceEntry* e = entry(capture ? captureDevices : playbackDevices, device, line);
        if (!e) {
            return -1;
        }
        pa_cvolume volume{};
        {
            std::lock_guard<std::mutex> lock(cacheMutex);
            Node* node = const_cast<Node*>(nodeNamed(capture ? sources : sinks, e->nodeName));
            if (!node || !pa_cvolume_valid(&node->volume)) {
                return -1;
            }
            const pa_volume_t target = pa_volume_t(uint64_t(std::clamp(percent, 0, 100)) * PA_VOLUME_NORM / 100);
            volume = node->volume;
            if (pa_cvolume_max(&volume) == PA_VOLUME_MUTED) {
                pa_cvolume_set(&volume, volume.channels, target);
            } else {
                pa_cvolume_scale(&volume, target);
            }
            node->volume = volume;
        }
        pa_threaded_mainloop_lock(loop);
        pa_operation* operation =
            capture ? pa_context_set_source_volume_by_name(context, e->nodeName.c_str(), &volume, nullptr, nullptr)
                    : pa_context_set_sink_volume_by_name(context, e->nodeName.c_str(), &volume, nullptr, nullptr);
        pa_threaded_mainloop_unlock(loop);
        if (!operation) {
            return -1;
        }
        pa_operation_unref(operation);
        return 0;
    }

    int setMute(bool capture, int device, int line, int mute) {
        const DeviceEntry* e = entry(capture ? captureDevices : playbackDevices, device, line);
        if (!e) {
            return -1;
        }
        {
            std::lock_guard<std::mutex> lock(cacheMutex);
            Node* node = const_cast<Node*>(nodeNamed(capture ? sources : sinks, e->nodeName));
            if (node) {
                node->mute = mute != 0;
            }
        }
        pa_threaded_mainloop_lock(loop);
        pa_operation* operation =
            capture ? pa_context_set_source_mute_by_name(context, e->nodeName.c_str(), mute != 0, nullptr, nullptr)
                    : pa_context_set_sink_mute_by_name(context, e->nodeName.c_str(), mute != 0, nullptr, nullptr);
        pa_threaded_mainloop_unlock(loop);
        if (!operation) {
            return -1;
        }
        pa_operation_unref(operation);
        return 0;
    }

    // ---- main-loop thread ----

    static void onEvent(pa_context* context, pa_subscription_event_type_t type, uint32_t index, void* userdata) {
        auto* self = static_cast<Private*>(userdata);
        const unsigned facility = type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
        const unsigned kind = type & PA_SUBSCRIPTION_EVENT_TYPE_MASK;
        if (facility == PA_SUBSCRIPTION_EVENT_SERVER) {
            pa_operation* operation = pa_context_get_server_info(context, &Private::onServerInfo, self);
            if (operation) {
                pa_operation_unref(operation);
            }
            return;
        }
        const bool isSource = facility == PA_SUBSCRIPTION_EVENT_SOURCE;
        if (!isSource && facility != PA_SUBSCRIPTION_EVENT_SINK) {
            return;
        }
        if (kind == PA_SUBSCRIPTION_EVENT_REMOVE) {
            std::lock_guard<std::mutex> lock(self->cacheMutex);
            auto& nodes = isSource ? self->sources : self->sinks;
            const auto it = nodes.find(index);
            if (it != nodes.end()) {
                if (isSource && !it->second.monitor) {
                    self->changed = true;
                }
                nodes.erase(it);
            }
            return;
        }
        pa_operation* operation =
            isSource ? pa_context_get_source_info_by_index(context, index, &Private::onSourceInfo, self)
                     : pa_context_get_sink_info_by_index(context, index, &Private::onSinkInfo, self);
        if (operation) {
            pa_operation_unref(operation);
        }
    }

    static void onSourceInfo(pa_context*, const pa_source_info* info, int eol, void* userdata) {
        if (eol || !info) {
            return;
        }
        auto* self = static_cast<Private*>(userdata);
        Node node = nodeFrom(info, info->monitor_of_sink != PA_INVALID_INDEX);
        std::lock_guard<std::mutex> lock(self->cacheMutex);
        const auto it = self->sources.find(info->index);
        // A source that comes or changes its inputs is a change of devices; a volume is not.
        if (!node.monitor && (it == self->sources.end() || !it->second.sameInputs(node))) {
            self->changed = true;
        }
        self->sources[info->index] = std::move(node);
    }

    static void onSinkInfo(pa_context*, const pa_sink_info* info, int eol, void* userdata) {
        if (eol || !info) {
            return;
        }
        auto* self = static_cast<Private*>(userdata);
        Node node = nodeFrom(info, false);
        std::lock_guard<std::mutex> lock(self->cacheMutex);
        self->sinks[info->index] = std::move(node);
    }

    static void onServerInfo(pa_context*, const pa_server_info* info, void* userdata) {
        if (!info) {
            return;
        }
        auto* self = static_cast<Private*>(userdata);
        std::lock_guard<std::mutex> lock(self->cacheMutex);
        self->defaultSource = info->default_source_name ? info->default_source_name : "";
        self->defaultSink = info->default_sink_name ? info->default_sink_name : "";
    }
};

PulseDevice::PulseDevice() : d(new Private) {}

PulseDevice::~PulseDevice() = default;

PulseDevice* PulseDevice::create(int timeoutMs) {
    PulseDevice* device = new PulseDevice;
    if (!device->d->connect(timeoutMs)) {
        delete device;
        return nullptr;
    }
    device->refreshDevices();
    return device;
}

int PulseDevice::deviceCount() {
    return int(d->captureDevices.size());
}

int PulseDevice::lineCount(int device) {
    if (device < 0 || device >= int(d->captureDevices.size())) {
        return -1;
    }
    return int(d->captureDevices[size_t(device)].lineNames.size());
}

const char16_t* PulseDevice::deviceName(int device) {
    if (device < 0 || device >= int(d->captureDevices.size())) {
        return nullptr;
    }
    return d->captureDevices[size_t(device)].name.c_str();
}

const char16_t* PulseDevice::lineName(int device, int line) {
    const DeviceEntry* e = d->entry(d->captureDevices, device, line);
    return e ? e->lineNames[size_t(line)].c_str() : nullptr;
}

int PulseDevice::currentPlaybackLine(int* device, int* line) {
    std::string name;
    {
        std::lock_guard<std::mutex> lock(d->cacheMutex);
        name = d->defaultSink;
    }
    return d->currentLine(d->playbackDevices, d->sinks, name, device, line);
}

int PulseDevice::currentCaptureLine(int* device, int* line) {
    std::string name;
    {
        std::lock_guard<std::mutex> lock(d->cacheMutex);
        name = d->defaultSource;
    }
    return d->currentLine(d->captureDevices, d->sources, name, device, line);
}

int PulseDevice::selectCaptureLine(int device, int line) {
    const DeviceEntry* e = d->entry(d->captureDevices, device, line);
    if (!e) {
        return -1;
    }
    pa_threaded_mainloop_lock(d->loop);
    pa_operation* operation = pa_context_set_default_source(d->context, e->nodeName.c_str(), nullptr, nullptr);
    if (operation) {
        pa_operation_unref(operation);
    }
    if (!e->portNames.empty()) {
        operation = pa_context_set_source_port_by_name(d->context, e->nodeName.c_str(),
                                                       e->portNames[size_t(line)].c_str(), nullptr, nullptr);
        if (operation) {
            pa_operation_unref(operation);
        }
    }
    pa_threaded_mainloop_unlock(d->loop);
    // The choice shows at once in the getters.
    std::lock_guard<std::mutex> lock(d->cacheMutex);
    d->defaultSource = e->nodeName;
    if (!e->portNames.empty()) {
        Node* node = const_cast<Node*>(Private::nodeNamed(d->sources, e->nodeName));
        if (node) {
            node->activePort = e->portNames[size_t(line)];
        }
    }
    return 0;
}

int PulseDevice::playbackVolume(int device, int line) {
    return d->volumeOf(d->playbackDevices, d->sinks, device, line);
}

int PulseDevice::captureVolume(int device, int line) {
    return d->volumeOf(d->captureDevices, d->sources, device, line);
}

int PulseDevice::playbackMute(int device, int line) {
    return d->muteOf(d->playbackDevices, d->sinks, device, line);
}

int PulseDevice::captureMute(int device, int line) {
    return d->muteOf(d->captureDevices, d->sources, device, line);
}

int PulseDevice::setPlaybackVolume(int device, int line, int volume) {
    return d->setVolume(false, device, line, volume);
}

int PulseDevice::setCaptureVolume(int device, int line, int volume) {
    return d->setVolume(true, device, line, volume);
}

int PulseDevice::setPlaybackMute(int device, int line, int mute) {
    return d->setMute(false, device, line, mute);
}

int PulseDevice::setCaptureMute(int device, int line, int mute) {
    return d->setMute(true, device, line, mute);
}

int PulseDevice::devicesChanged() {
    return d->changed ? 1 : 0;
}

int PulseDevice::refreshDevices() {
    d->readEverything(kRefreshTimeoutMs);
    d->changed = false;
    d->takeSnapshot();
    return 0;
}

} // namespace calvorine::audiodev

extern "C" {

IAudioDevice* CreateDevice() {
    return calvorine::audiodev::PulseDevice::create(calvorine::audiodev::kConnectTimeoutMs);
}

void DestroyDevice(IAudioDevice* device) {
    delete static_cast<calvorine::audiodev::PulseDevice*>(device);
}
}
