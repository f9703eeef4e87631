#include "media/PlistReader.h"

#include <pugixml.hpp>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <limits>
#include <locale.h>
#include <stdexcept>

#include <sys/stat.h>

namespace Plist {
namespace {

// Nested containers deeper than this are refused rather than risking the stack; the
// profile catalogue nests five levels.
constexpr int kMaxDepth = 512;
// Binary lists may share one object from many places, so a small file can describe an
// exponentially large tree. The catalogue has a few thousand values.
constexpr uint64_t kMaxBinaryValues = uint64_t(1) << 20;
// Property lists are configuration files; anything bigger is not one.
constexpr int64_t kMaxDataSize = int64_t(256) << 20;
// Seconds from 1970-01-01 to 2001-01-01, the epoch of binary dates.
constexpr double kBinaryDateEpoch = 978307200.0;

[[noreturn]] void fail(const std::string& message) {
    throw std::runtime_error(message);
}

// Well-formed UTF-8 (what converts to UTF-16): no overlongs, no surrogates, nothing
// above U+10FFFF.
bool isUtf8(const std::string& text) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const auto* end = p + text.size();
    while (p < end) {
        const unsigned char lead = *p;
        int length = 0;
        uint32_t code = 0;
        if (lead < 0x80) {
            ++p;
            continue;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            code = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            code = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            code = lead & 0x07;
        } else {
            return false;
        }
        if (end - p < length)
            return false;
        for (int i = 1; i < length; ++i) {
            if ((p[i] & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (p[i] & 0x3F);
        }
        if ((length == 3 && (code < 0x800 || (code >= 0xD800 && code <= 0xDFFF))) ||
            (length == 4 && (code < 0x10000 || code > 0x10FFFF))) {
            return false;
        }
        p += length;
    }
    return true;
}

// ---------------------------------------------------------------------------------
// XML

int64_t parseXmlInteger(const char* text) {
    // Like atoi (leading blanks skipped, reading stops at the first non-digit, no digits
    // reads as 0), but a value that does not fit is refused instead of wrapping.
    const char* p = text;
    while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\v' || *p == '\f')
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    const uint64_t limit =
        negative ? uint64_t(std::numeric_limits<int64_t>::max()) + 1 : uint64_t(std::numeric_limits<int64_t>::max());
    uint64_t value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        const unsigned digit = unsigned(*p - '0');
        if (value > (limit - digit) / 10)
            fail(std::string("Plist: XML integer out of range ") + text);
        value = value * 10 + digit;
    }
    if (!negative)
        return int64_t(value);
    return value == uint64_t(std::numeric_limits<int64_t>::max()) + 1 ? std::numeric_limits<int64_t>::min()
                                                                      : -int64_t(value);
}

double parseXmlReal(const char* text) {
    // atof, but always with "." as the decimal mark: the program runs under the user's
    // locale, where "29.97" could otherwise read as 29.
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    return strtod_l(text, nullptr, cLocale);
}

int base64Value(char c) {
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}

Data decodeBase64(const char* text) {
    Data bytes;
    int group[4];
    int filled = 0;
    for (const char* p = text; *p; ++p) {
        if (*p == '=') {
            // Padding ends the data; a partial group yields what its characters carry.
            if (filled == 2) {
                bytes.push_back(char((group[0] << 2) | (group[1] >> 4)));
            } else if (filled == 3) {
                bytes.push_back(char((group[0] << 2) | (group[1] >> 4)));
                bytes.push_back(char(((group[1] & 0x0F) << 4) | (group[2] >> 2)));
            }
            return bytes;
        }
        const int value = base64Value(*p);
        if (value < 0)
            continue; // line breaks and blanks may stand anywhere
        group[filled++] = value;
        if (filled == 4) {
            bytes.push_back(char((group[0] << 2) | (group[1] >> 4)));
            bytes.push_back(char(((group[1] & 0x0F) << 4) | (group[2] >> 2)));
            bytes.push_back(char(((group[2] & 0x03) << 6) | group[3]));
            filled = 0;
        }
    }
    return bytes;
}

pugi::xml_node nextElement(pugi::xml_node node) {
    while (node && node.type() != pugi::node_element)
        node = node.next_sibling();
    return node;
}

boost::any convertXml(const pugi::xml_node& node, int depth);

Dictionary convertXmlDictionary(const pugi::xml_node& node, int depth) {
    Dictionary dict;
    pugi::xml_node child = nextElement(node.first_child());
    while (child) {
        if (std::strcmp(child.name(), "key") != 0)
            fail("Plist: XML dictionary key expected but not found");
        const std::string key = child.child_value();
        const pugi::xml_node value = nextElement(child.next_sibling());
        if (!value)
            fail("Plist: XML dictionary value expected for key " + key + "but not found");
        if (std::strcmp(value.name(), "key") == 0)
            fail("Plist: XML dictionary value expected for key " + key + "but found another key node");
        dict[key] = convertXml(value, depth + 1);
        child = nextElement(value.next_sibling());
    }
    return dict;
}

boost::any convertXml(const pugi::xml_node& node, int depth) {
    if (depth > kMaxDepth)
        fail("Plist: nesting too deep");
    const char* name = node.name();
    if (std::strcmp(name, "dict") == 0)
        return convertXmlDictionary(node, depth);
    if (std::strcmp(name, "array") == 0) {
        Array array;
        for (pugi::xml_node child = nextElement(node.first_child()); child; child = nextElement(child.next_sibling()))
            array.push_back(convertXml(child, depth + 1));
        return array;
    }
    if (std::strcmp(name, "string") == 0)
        return std::string(node.child_value());
    if (std::strcmp(name, "integer") == 0)
        return parseXmlInteger(node.child_value());
    if (std::strcmp(name, "real") == 0)
        return parseXmlReal(node.child_value());
    if (std::strcmp(name, "false") == 0)
        return false;
    if (std::strcmp(name, "true") == 0)
        return true;
    if (std::strcmp(name, "data") == 0)
        return decodeBase64(node.child_value());
    if (std::strcmp(name, "date") == 0) {
        PlistDate date;
        date.setFromXmlText(node.child_value());
        return date;
    }
    fail(std::string("Plist: XML unknown node type ") + name);
}

void readXml(const char* data, int64_t size, Dictionary& dict) {
    pugi::xml_document document;
    const pugi::xml_parse_result result = document.load_buffer(data, size_t(size));
    if (!result)
        fail(std::string("Plist: XML parsed with error ") + result.description());
    const pugi::xml_node root = nextElement(document.child("plist").first_child());
    if (!root)
        fail("Plist: XML root object not found");
    dict = boost::any_cast<Dictionary>(convertXml(root, 0));
}

// ---------------------------------------------------------------------------------
// Binary

class BinaryReader {
public:
    BinaryReader(const unsigned char* data, uint64_t size) : m_data(data) {
        // Header, at least one object and one offset entry, and the 32-byte trailer.
        if (size < 8 + 32)
            fail("Plist: binary data too short");
        const unsigned char* trailer = data + size - 32;
        m_offsetWidth = trailer[6];
        m_referenceWidth = trailer[7];
        m_tableOffset = readNumber(trailer + 24, 8);
        if (m_offsetWidth == 0)
            fail("Plist: offset width of 0");
        if (m_referenceWidth == 0)
            fail("Plist: object reference width of 0");
        if (m_offsetWidth > 8 || m_referenceWidth > 8)
            fail("Plist: offset or reference width above 8 bytes");
        if (m_tableOffset > size - 32)
            fail("Plist: offset table out of bounds");
        m_regionSize = m_tableOffset;
        const uint64_t entries = (size - 32 - m_tableOffset) / m_offsetWidth;
        m_offsets.reserve(entries);
        for (uint64_t i = 0; i < entries; ++i)
            m_offsets.push_back(readNumber(data + m_tableOffset + i * m_offsetWidth, m_offsetWidth));
        m_onPath.assign(entries, false);
    }

    Dictionary readRoot() { return boost::any_cast<Dictionary>(convert(0, 0)); }

private:
    static uint64_t readNumber(const unsigned char* p, unsigned width) {
        uint64_t value = 0;
        for (unsigned i = 0; i < width; ++i)
            value = (value << 8) | p[i];
        return value;
    }

    // Every byte the objects are read from passes here: a range that leaves the object
    // region is refused.
    const unsigned char* range(uint64_t start, uint64_t length) const {
        if (start > m_regionSize || length > m_regionSize - start)
            fail("Out of bounds getRange");
        return m_data + start;
    }

    struct Sized {
        uint64_t count;
        uint64_t contentStart;
    };

    // Count of a data, string, array or dictionary object: the marker's low nibble, or
    // an integer object after the marker when the nibble is 15.
    Sized sizeOf(uint64_t offset, unsigned char marker) const {
        const unsigned nibble = marker & 0x0F;
        if (nibble != 15)
            return {nibble, offset + 1};
        const unsigned char intMarker = *range(offset + 1, 1);
        const unsigned power = intMarker & 0x0F;
        if ((intMarker >> 4) != 0x1 || power > 3)
            fail("Plist: object count is not an integer");
        const uint64_t width = uint64_t(1) << power;
        const uint64_t count = readNumber(range(offset + 2, width), unsigned(width));
        return {count, offset + 2 + width};
    }

    uint64_t referenceAt(uint64_t position) const {
        return readNumber(range(position, m_referenceWidth), m_referenceWidth);
    }

    // Start of a list of `count` references, checked to lie within the objects.
    uint64_t referenceList(const Sized& sized, uint64_t lists) const {
        if (sized.count > m_regionSize / m_referenceWidth / lists)
            fail("Out of bounds getRange");
        range(sized.contentStart, sized.count * lists * m_referenceWidth);
        return sized.contentStart;
    }

    boost::any convert(uint64_t object, int depth) {
        if (object >= m_offsets.size())
            fail("Plist: object reference out of range");
        if (m_onPath[object])
            fail("Plist: object reference cycle");
        if (depth > kMaxDepth)
            fail("Plist: nesting too deep");
        if (++m_values > kMaxBinaryValues)
            fail("Plist: too many values");
        m_onPath[object] = true;
        boost::any value = convertObject(m_offsets[object], depth);
        m_onPath[object] = false;
        return value;
    }

    boost::any convertObject(uint64_t offset, int depth) {
        const unsigned char marker = *range(offset, 1);
        switch (marker >> 4) {
        case 0x0:
            return convertSimple(marker);
        case 0x1:
            return convertInteger(offset, marker);
        case 0x2:
            return convertReal(offset, marker);
        case 0x3:
            return convertDate(offset);
        case 0x4: {
            const Sized sized = sizeOf(offset, marker);
            const auto* bytes = reinterpret_cast<const char*>(range(sized.contentStart, sized.count));
            return Data(bytes, bytes + sized.count);
        }
        case 0x5: {
            const Sized sized = sizeOf(offset, marker);
            const auto* bytes = reinterpret_cast<const char*>(range(sized.contentStart, sized.count));
            return std::string(bytes, size_t(sized.count));
        }
        case 0xA:
            return convertArray(offset, marker, depth);
        case 0xD:
            return convertDictionary(offset, marker, depth);
        default:
            fail("This type is not supported");
        }
    }

    static boost::any convertSimple(unsigned char marker) {
        switch (marker) {
        case 0x08:
            return false;
        case 0x09:
            return true;
        case 0x00:
            fail("Plist: null byte encountered, unsure how to parse");
        case 0x0F:
            fail("Plist: fill byte encountered, unsure how to parse");
        default:
            fail(std::string("Plist: unknown header ") + char(marker));
        }
    }

    boost::any convertInteger(uint64_t offset, unsigned char marker) const {
        const unsigned power = marker & 0x0F;
        if (power > 3)
            fail("Plist: integer wider than 8 bytes");
        const unsigned width = 1u << power;
        const uint64_t raw = readNumber(range(offset + 1, width), width);
        // 1-, 2- and 4-byte integers are unsigned; 8 bytes are two's complement.
        int64_t value;
        std::memcpy(&value, &raw, sizeof value);
        return value;
    }

    boost::any convertReal(uint64_t offset, unsigned char marker) const {
        const unsigned power = marker & 0x0F;
        if (power == 2) {
            const uint32_t raw = uint32_t(readNumber(range(offset + 1, 4), 4));
            float value;
            std::memcpy(&value, &raw, sizeof value);
            return double(value);
        }
        if (power == 3)
            return readDouble(offset + 1);
        fail("Plist: real of unsupported size");
    }

    boost::any convertDate(uint64_t offset) const {
        const double seconds = readDouble(offset + 1) + kBinaryDateEpoch;
        // A date far outside what 64-bit seconds hold (or NaN) cannot be a real one.
        if (!(std::fabs(seconds) < 9.0e18))
            fail("Plist: date out of range");
        return PlistDate(int64_t(seconds));
    }

    double readDouble(uint64_t position) const {
        const uint64_t raw = readNumber(range(position, 8), 8);
        double value;
        std::memcpy(&value, &raw, sizeof value);
        return value;
    }

    boost::any convertArray(uint64_t offset, unsigned char marker, int depth) {
        const Sized sized = sizeOf(offset, marker);
        const uint64_t start = referenceList(sized, 1);
        Array array;
        array.reserve(size_t(sized.count));
        for (uint64_t i = 0; i < sized.count; ++i)
            array.push_back(convert(referenceAt(start + i * m_referenceWidth), depth + 1));
        return array;
    }

    boost::any convertDictionary(uint64_t offset, unsigned char marker, int depth) {
        const Sized sized = sizeOf(offset, marker);
        const uint64_t keys = referenceList(sized, 2);
        const uint64_t values = keys + sized.count * m_referenceWidth;
        Dictionary dict;
        for (uint64_t i = 0; i < sized.count; ++i) {
            const boost::any key = convert(referenceAt(keys + i * m_referenceWidth), depth + 1);
            const std::string* keyText = boost::any_cast<std::string>(&key);
            if (!keyText)
                fail("Error parsing dictionary.  Key can't be parsed as a string");
            dict[*keyText] = convert(referenceAt(values + i * m_referenceWidth), depth + 1);
        }
        return dict;
    }

    const unsigned char* m_data;
    uint64_t m_regionSize = 0;
    std::vector<uint64_t> m_offsets;
    unsigned m_offsetWidth = 0;
    unsigned m_referenceWidth = 0;
    uint64_t m_tableOffset = 0;
    // Objects being converted on the current path: meeting one again is a cycle.
    std::vector<bool> m_onPath;
    uint64_t m_values = 0;
};

} // namespace

const char* vecData(const std::vector<char>& bytes) {
    if (bytes.empty())
        fail("Plist::vecData trying to get pointer to empty std::vector");
    return bytes.data();
}

void readPlist(const char* data, int64_t size, Dictionary& dict) {
    if (!data || size <= 0)
        fail("Plist: Empty plist data");
    if (size >= 8 && std::memcmp(data, "bplist00", 8) == 0) {
        BinaryReader reader(reinterpret_cast<const unsigned char*>(data), uint64_t(size));
        dict = reader.readRoot();
        return;
    }
    readXml(data, size, dict);
}

void readPlist(std::istream& stream, Dictionary& dict) {
    const std::istream::pos_type start = stream.tellg();
    stream.seekg(0, std::ios::end);
    const std::istream::pos_type end = stream.tellg();
    if (start == std::istream::pos_type(-1) || end == std::istream::pos_type(-1) || end - start <= 0)
        fail("Can't read zero length data");
    const int64_t length = int64_t(end - start);
    if (length > kMaxDataSize)
        fail("Plist: data too large");
    stream.seekg(start);
    std::vector<char> bytes(static_cast<size_t>(length));
    stream.read(bytes.data(), length);
    if (stream.gcount() != length)
        fail("Plist: could not read the data");
    readPlist(vecData(bytes), length, dict);
}

void readPlist(const std::string& fileName, Dictionary& dict) {
    if (fileName.empty() || !isUtf8(fileName))
        return;
    // A folder opens like a file here but has no content to read.
    struct stat info {};
    std::ifstream file;
    if (::stat(fileName.c_str(), &info) == 0 && S_ISREG(info.st_mode))
        file.open(fileName, std::ios::in | std::ios::binary);
    if (!file.is_open())
        fail("Can't open file: " + fileName);
    readPlist(file, dict);
}

} // namespace Plist
