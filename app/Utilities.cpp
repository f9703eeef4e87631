#include "app/Utilities.h"

#include "platform/system/clock.h"
#include "platform/system/os_version.h"
#include "platform/system/utf8.h"
#include "tags/tagitems.h"

#include <QFont>
#include <QWidget>

#include <algorithm>
#include <cstring>

#ifndef CALVORINE_PRODUCT_VERSION
#define CALVORINE_PRODUCT_VERSION ""
#endif

// ---- MD5 (RFC 1321) ----

namespace {

inline uint32_t rotateLeft(uint32_t x, int n) {
    return (x << n) | (x >> (32 - n));
}

// Per-round shift amounts and the sine-derived constants of RFC 1321, section 3.4.
const int kShifts[64] = {7,  12, 17, 22, 7,  12, 17, 22, 7,  12, 17, 22, 7,  12, 17, 22, 5,  9,  14, 20, 5,  9,
                         14, 20, 5,  9,  14, 20, 5,  9,  14, 20, 4,  11, 16, 23, 4,  11, 16, 23, 4,  11, 16, 23,
                         4,  11, 16, 23, 6,  10, 15, 21, 6,  10, 15, 21, 6,  10, 15, 21, 6,  10, 15, 21};
const uint32_t kSines[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391};

void encodeLittleEndian(unsigned char* out, const uint32_t* in, std::size_t words) {
    for (std::size_t i = 0; i < words; ++i) {
        out[i * 4] = static_cast<unsigned char>(in[i] & 0xff);
        out[i * 4 + 1] = static_cast<unsigned char>((in[i] >> 8) & 0xff);
        out[i * 4 + 2] = static_cast<unsigned char>((in[i] >> 16) & 0xff);
        out[i * 4 + 3] = static_cast<unsigned char>((in[i] >> 24) & 0xff);
    }
}

} // namespace

MD5::MD5() {
    m_state[0] = 0x67452301;
    m_state[1] = 0xefcdab89;
    m_state[2] = 0x98badcfe;
    m_state[3] = 0x10325476;
    m_bitCount[0] = m_bitCount[1] = 0;
    std::memset(m_buffer, 0, sizeof(m_buffer));
    std::memset(m_digest, 0, sizeof(m_digest));
}

MD5::MD5(const std::string& bytes) : MD5() {
    update(bytes.data(), bytes.size());
    finalize();
}

void MD5::update(const char* bytes, std::size_t count) {
    update(reinterpret_cast<const unsigned char*>(bytes), count);
}

void MD5::update(const unsigned char* bytes, std::size_t count) {
    if (m_finalized || count == 0) {
        return;
    }
    std::size_t index = (m_bitCount[0] >> 3) & 0x3f;
    // The bit count is kept in two 32-bit words; count * 8 may exceed 32 bits.
    const uint64_t addedBits = static_cast<uint64_t>(count) << 3;
    const uint32_t low = m_bitCount[0] + static_cast<uint32_t>(addedBits);
    if (low < m_bitCount[0]) {
        ++m_bitCount[1];
    }
    m_bitCount[0] = low;
    m_bitCount[1] += static_cast<uint32_t>(addedBits >> 32);

    const std::size_t firstPart = 64 - index;
    std::size_t i = 0;
    if (count >= firstPart) {
        std::memcpy(&m_buffer[index], bytes, firstPart);
        transform(m_buffer);
        for (i = firstPart; i + 63 < count; i += 64) {
            transform(&bytes[i]);
        }
        index = 0;
    }
    std::memcpy(&m_buffer[index], &bytes[i], count - i);
}

void MD5::finalize() {
    if (m_finalized) {
        return;
    }
    static const unsigned char padding[64] = {0x80};
    unsigned char bits[8];
    encodeLittleEndian(bits, m_bitCount, 2);
    const std::size_t index = (m_bitCount[0] >> 3) & 0x3f;
    const std::size_t padLength = index < 56 ? 56 - index : 120 - index;
    update(padding, padLength);
    update(bits, 8);
    encodeLittleEndian(m_digest, m_state, 4);
    std::memset(m_buffer, 0, sizeof(m_buffer));
    m_bitCount[0] = m_bitCount[1] = 0;
    m_finalized = true;
}

std::string MD5::hexdigest() const {
    if (!m_finalized) {
        return std::string();
    }
    static const char digits[] = "0123456789abcdef";
    std::string text;
    text.reserve(32);
    for (unsigned char byte : m_digest) {
        text.push_back(digits[byte >> 4]);
        text.push_back(digits[byte & 0x0f]);
    }
    return text;
}

void MD5::transform(const unsigned char block[64]) {
    uint32_t words[16];
    for (int i = 0; i < 16; ++i) {
        words[i] = static_cast<uint32_t>(block[i * 4]) | (static_cast<uint32_t>(block[i * 4 + 1]) << 8) |
                   (static_cast<uint32_t>(block[i * 4 + 2]) << 16) | (static_cast<uint32_t>(block[i * 4 + 3]) << 24);
    }
    uint32_t a = m_state[0];
    uint32_t b = m_state[1];
    uint32_t c = m_state[2];
    uint32_t d = m_state[3];
    for (int i = 0; i < 64; ++i) {
        uint32_t f;
        int g;
        if (i < 16) {
            f = (b & c) | (~b & d);
            g = i;
        } else if (i < 32) {
            f = (b & d) | (c & ~d);
            g = (5 * i + 1) % 16;
        } else if (i < 48) {
            f = b ^ c ^ d;
            g = (3 * i + 5) % 16;
        } else {
            f = c ^ (b | ~d);
            g = (7 * i) % 16;
        }
        const uint32_t next = d;
        d = c;
        c = b;
        b = b + rotateLeft(a + f + kSines[i] + words[g], kShifts[i]);
        a = next;
    }
    m_state[0] += a;
    m_state[1] += b;
    m_state[2] += c;
    m_state[3] += d;
}

// ---- the rest ----

QString formatFileSize(int64_t bytes) {
    const int64_t kilo = 1024;
    const int64_t mega = kilo * 1024;
    const int64_t giga = mega * 1024;
    if (bytes > giga) {
        return QString::asprintf("%.2f GB", static_cast<double>(bytes) / static_cast<double>(giga));
    }
    if (bytes > mega) {
        return QString::asprintf("%.2f MB", static_cast<double>(bytes) / static_cast<double>(mega));
    }
    if (bytes > kilo) {
        return QString::asprintf("%.2f KB", static_cast<double>(bytes) / static_cast<double>(kilo));
    }
    return QStringLiteral("%1 B").arg(bytes < 0 ? 0 : bytes);
}

int64_t getMicroseconds() {
    return calvorine::platform::monotonicMicroseconds();
}

void sleepMicroseconds(int64_t microseconds) {
    calvorine::platform::sleepForMicroseconds((microseconds / 1000) * 1000);
}

bool isValidUtf8(const char* text) {
    return text != nullptr && calvorine::platform::isValidUtf8(text);
}

QString toWideString(const std::string& text) {
    const char* bytes = text.c_str(); // up to the first NUL
    const size_t length = std::strlen(bytes);
    if (length == 0) {
        return QString();
    }
    if (isValidUtf8(bytes)) {
        return QString::fromUtf8(bytes, int(length));
    }
    const std::u16string wide = calvorine::tags::cp1252ToUtf16(reinterpret_cast<const uint8_t*>(bytes), length);
    return QString::fromUtf16(wide.data(), int(wide.size()));
}

QString getFileProductVersion() {
    static const QString version = [] {
        const QString built = QStringLiteral(CALVORINE_PRODUCT_VERSION);
        return built.isEmpty() ? QStringLiteral("2.0.2") : built;
    }();
    return version;
}

QString getWindowsVersionText() {
    return QString::fromStdString(calvorine::platform::osVersionText(calvorine::platform::readOsVersion()));
}

void setWidgetFont(QWidget* widget, int pixelSize) {
    if (widget == nullptr) {
        return;
    }
    QFont font = widget->font();
    font.setFamily(QStringLiteral("Tahoma"));
    font.setPixelSize(pixelSize);
    widget->setFont(font);
}

int alphaFromPercent(int percent) {
    const int clamped = std::min(100, std::max(0, percent));
    return (clamped * 255 + 50) / 100;
}

int percentFromAlpha(int alpha) {
    const int clamped = std::min(255, std::max(0, alpha));
    return (clamped * 100 + 127) / 255;
}

int64_t storedMicroseconds(const QString& text, int64_t upperUs) {
    bool ok = false;
    const qlonglong value = text.trimmed().toLongLong(&ok, 10);
    return ok && value >= 0 && value <= upperUs ? int64_t(value) : 0;
}
