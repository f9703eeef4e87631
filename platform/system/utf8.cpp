#include "utf8.h"

#include <cstring>

namespace calvorine::platform {

bool isValidUtf8(const char* bytes, std::size_t length) {
    if (!bytes) {
        return false;
    }
    const auto* p = reinterpret_cast<const unsigned char*>(bytes);
    std::size_t i = 0;
    while (i < length) {
        const unsigned char lead = p[i];
        if (lead < 0x80) {
            ++i;
            continue;
        }
        std::size_t extra;
        // The smallest code point each length may carry, to refuse overlong forms.
        unsigned minimum;
        unsigned codePoint;
        if (lead >= 0xC2 && lead <= 0xDF) {
            extra = 1;
            minimum = 0x80;
            codePoint = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            extra = 2;
            minimum = 0x800;
            codePoint = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            extra = 3;
            minimum = 0x10000;
            codePoint = lead & 0x07;
        } else {
            return false; // stray continuation byte, C0/C1 (always overlong), or F5..FF
        }
        if (length - i <= extra) {
            return false; // cut short by the end of the text
        }
        for (std::size_t k = 1; k <= extra; ++k) {
            const unsigned char next = p[i + k];
            if ((next & 0xC0) != 0x80) {
                return false;
            }
            codePoint = (codePoint << 6) | (next & 0x3F);
        }
        if (codePoint < minimum || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
            return false;
        }
        i += extra + 1;
    }
    return true;
}

bool isValidUtf8(const char* text) {
    return text && isValidUtf8(text, std::strlen(text));
}

} // namespace calvorine::platform
