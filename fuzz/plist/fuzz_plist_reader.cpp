// Feeds arbitrary bytes to the property-list reader. The first byte picks how they are
// wrapped, so that the runs get deep into both readers from an empty corpus: as they
// are, behind the binary header, inside a "plist" element, or as the objects of a
// binary list with a trailer made to point into them.
#include "media/PlistReader.h"

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

namespace {

void appendBigEndian(std::string& out, uint64_t value, int width) {
    for (int i = width - 1; i >= 0; --i)
        out.push_back(char((value >> (8 * i)) & 0xFF));
}

std::string present(const uint8_t* data, size_t size) {
    const uint8_t mode = size > 0 ? data[0] % 4 : 0;
    const std::string rest(reinterpret_cast<const char*>(data) + (size > 0 ? 1 : 0), size > 0 ? size - 1 : 0);
    switch (mode) {
    case 1:
        return "bplist00" + rest;
    case 2:
        return "<?xml version=\"1.0\"?><plist version=\"1.0\">" + rest + "</plist>";
    case 3: {
        if (rest.size() < 3)
            return rest;
        const uint8_t shape = uint8_t(rest[0]);
        const std::string body = rest.substr(1);
        std::string out = "bplist00" + body;
        // The last quarter-ish of the body serves as the offset table.
        const uint64_t tableOffset = 8 + body.size() - body.size() * (shape & 0x3F) / 256;
        out.append(6, '\0');
        out.push_back(char(1 + ((shape >> 6) & 1)));
        out.push_back(char(1 + ((shape >> 7) & 1)));
        appendBigEndian(out, 0, 8);
        appendBigEndian(out, 0, 8);
        appendBigEndian(out, tableOffset, 8);
        return out;
    }
    default:
        return rest;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input = present(data, size);
    Plist::Dictionary dict;
    try {
        Plist::readPlist(input.data(), int64_t(input.size()), dict);
    } catch (const std::runtime_error&) {
    } catch (const boost::bad_any_cast&) {
    }
    return 0;
}
