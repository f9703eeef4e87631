// Entries of the start-up series and the start-up scope token.
#include "library_settings.h"

#include "calvorine_codec.h"
#include "handle_kinds.h"

extern "C" {
#include <libavutil/log.h>
}

#include <atomic>
#include <mutex>

namespace calvorine::codec {

namespace {

std::atomic<int> g_automaticThreads{1};
std::atomic<int> g_hardwareAcceleration{0};
std::atomic<int> g_componentFamilies{0};
std::mutex g_folderLock;
std::string g_dataFolder;

// Until the program chooses, only errors reach standard error.
const bool g_quietByDefault = [] {
    av_log_set_level(AV_LOG_ERROR);
    return true;
}();

struct TokenObject : HandleObject {
    static constexpr HandleKind kKind = HandleKind::Token;
    TokenObject() : HandleObject(kKind) {}
};

} // namespace

int encoderThreadCount() {
    return g_automaticThreads.load() ? 0 : 1;
}

std::string dataFolder() {
    std::lock_guard<std::mutex> guard(g_folderLock);
    return g_dataFolder;
}

} // namespace calvorine::codec

namespace codec = calvorine::codec;

extern "C" CVCODEC_API int cvcodec_enable_components(int family, int on) {
    if (family != 0 && family != 1)
        return 0;
    if (on)
        codec::g_componentFamilies |= 1 << family;
    return 1;
}

extern "C" CVCODEC_API int cvcodec_set_threading(int, int automatic) {
    codec::g_automaticThreads = automatic ? 1 : 0;
    return 1;
}

extern "C" CVCODEC_API int cvcodec_set_hardware_acceleration(int on) {
    codec::g_hardwareAcceleration = on ? 1 : 0;
    return 1;
}

extern "C" CVCODEC_API int cvcodec_set_log_level(int level) {
    static const int kLevels[] = {AV_LOG_QUIET, AV_LOG_ERROR, AV_LOG_WARNING, AV_LOG_INFO, AV_LOG_DEBUG};
    if (level < 0 || level > 4)
        return 0;
    av_log_set_level(kLevels[level]);
    return 1;
}

extern "C" CVCODEC_API int cvcodec_set_data_folder(const char* folderUtf8) {
    if (!folderUtf8)
        return 0;
    std::lock_guard<std::mutex> guard(codec::g_folderLock);
    codec::g_dataFolder = folderUtf8;
    return 1;
}

extern "C" CVCODEC_API cvcodec_token cvcodec_start_scope_begin(void) {
    return codec::toHandle<cvcodec_token>(new codec::TokenObject);
}

extern "C" CVCODEC_API int cvcodec_start_scope_end(cvcodec_token token) {
    auto* object = codec::fromHandle<codec::TokenObject>(token);
    if (!object)
        return 0;
    delete object;
    return 1;
}
