#include "utf8_path.h"

#include "platform/system/utf8.h"

#include <cstring>

namespace calvorine::codec {

bool isUsablePath(const char* pathUtf8) {
    if (!pathUtf8 || !*pathUtf8 || !calvorine::platform::isValidUtf8(pathUtf8))
        return false;
    for (const char* at = pathUtf8; *at; ++at) {
        if (static_cast<unsigned char>(*at) < 0x20)
            return false;
    }
    return true;
}

} // namespace calvorine::codec
