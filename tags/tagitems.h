// Tag items in their common form (field ids, UTF-16LE text), text conversions between
// the formats' encodings, the genre table and the system language.
#pragma once

#include "tags/audiotagfile.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace calvorine::tags {

// Text encoding codes used when text enters or leaves an item list.
enum TextCode : int {
    TextDetect = 0, // UTF-8 when valid, else ANSI
    TextAnsi = 1,   // Windows-1252
    TextUtf8 = 2,
    TextUtf16Le = 3,
    TextUtf16Be = 4,
};

class TagItemList {
public:
    int count() const { return static_cast<int>(items_.size()); }
    // All return 0 or -1.
    int addItem(int slot, int field, int type, int length, const void* data);
    int setItem(int index, int slot, int field, int type, int length, const void* data);
    TagItem getItem(int index) const;
    int removeAt(int index);
    void clear() { items_.clear(); }
    // Text of `length` bytes (it may end earlier at its terminator) in the given code.
    int addText(int code, int slot, int field, const uint8_t* bytes, size_t length);
    int addUtf16(int slot, int field, const std::u16string& text);
    int addBinary(int slot, int field, int length, const void* data);
    int addGenreByIndex(int index, int slot);
    int addNumber(int slot, int number);
    int addTrackOfTotal(int number, int total);

    // The text of a text item (empty for binary or bad index).
    std::u16string text(int index) const;
    // The text a save writes for a text item: `text`, but for a genre that reading back
    // (which rewrites genre references) would change, a form that reads back as it is.
    std::u16string storedText(int index) const;
    const std::vector<uint8_t>& bytes(int index) const { return items_[static_cast<size_t>(index)].data; }

    // Keeps, in list order, only items accepted by `allowed`, with a non-zero length,
    // pictures that are PNG, MNG, JPEG, GIF or BMP (or are exactly `keptPicture`: a cover
    // of another type that the file held and a save writes back as it was), and the
    // first item of each field.
    template <typename Allowed> void reduce(Allowed allowed, const std::vector<uint8_t>* keptPicture = nullptr);

private:
    struct Item {
        int slot;
        int field;
        int type;
        int length;
        std::vector<uint8_t> data; // length bytes and three zero bytes
    };
    static int makeItem(Item& item, int slot, int field, int type, int length, const void* data);
    void reduceImpl(bool (*allowed)(int field, const void* context), const void* context,
                    const std::vector<uint8_t>* keptPicture);

    std::vector<Item> items_;
};

template <typename Allowed> void TagItemList::reduce(Allowed allowed, const std::vector<uint8_t>* keptPicture) {
    reduceImpl([](int field, const void* context) { return (*static_cast<const Allowed*>(context))(field); }, &allowed,
               keptPicture);
}

// Text conversions. Invalid input never fails: undecodable bytes become U+FFFD.
std::u16string utf8ToUtf16(const uint8_t* bytes, size_t length);
std::string utf16ToUtf8(const std::u16string& text);
std::u16string cp1252ToUtf16(const uint8_t* bytes, size_t length);
// Characters without a Windows-1252 form become "?".
std::string utf16ToCp1252(const std::u16string& text);
std::u16string utf16FromBytes(const uint8_t* bytes, size_t length, bool bigEndian);
std::vector<uint8_t> utf16ToBytes(const std::u16string& text, bool bigEndian, bool withTerminator);
// Reads any code of TextCode up to its terminator or the length.
std::u16string decodeTagText(int code, const uint8_t* bytes, size_t length);
// The text in the given code (without terminator); code 0 is not an output code.
std::vector<uint8_t> encodeTagText(const std::u16string& text, int code);

// Rewrites ID3 genre references such as (17) into genre names.
std::u16string parseGenreText(const std::u16string& text);
// A text that parseGenreText turns into `text`: `text` itself when the rewrite leaves it
// alone, else with each "(" doubled and a trailing space repeated.
std::u16string genreTextToStore(const std::u16string& text);
int genreIndexFromName(const std::u16string& name);
const char* genreName(int index); // null outside 0-147
constexpr int kGenreCount = 148;

// ISO 639-2 three-letter code of the system language (from the locale).
const char* systemIso639Language();

// Pictures: the image kinds the tags can name.
enum class ImageKind { None, Png, Jpeg, Gif, Bmp };
ImageKind imageKindOf(const uint8_t* data, size_t length);
// True for a picture item of another image type whose bytes are `kept` (a cover the
// file held, written back as it was).
bool isKeptPicture(const TagItem& item, const std::vector<uint8_t>& kept);
const char* imageMimeType(ImageKind kind); // "image/jpeg" for None

// Big- and little-endian field access.
inline uint32_t readBe32(const uint8_t* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}
inline uint32_t readBe24(const uint8_t* p) {
    return (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2];
}
inline uint16_t readBe16(const uint8_t* p) {
    return uint16_t((p[0] << 8) | p[1]);
}
inline uint64_t readBe64(const uint8_t* p) {
    return (uint64_t(readBe32(p)) << 32) | readBe32(p + 4);
}
inline uint16_t readLe16(const uint8_t* p) {
    return uint16_t(p[0] | (p[1] << 8));
}
inline uint32_t readLe32(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
inline uint64_t readLe64(const uint8_t* p) {
    return uint64_t(readLe32(p)) | (uint64_t(readLe32(p + 4)) << 32);
}

inline void putBe32(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(uint8_t(v >> 24));
    out.push_back(uint8_t(v >> 16));
    out.push_back(uint8_t(v >> 8));
    out.push_back(uint8_t(v));
}
inline void putBe24(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(uint8_t(v >> 16));
    out.push_back(uint8_t(v >> 8));
    out.push_back(uint8_t(v));
}
inline void putBe16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(uint8_t(v >> 8));
    out.push_back(uint8_t(v));
}
inline void putLe16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}
inline void putLe32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(uint8_t(v >> (8 * i)));
    }
}
inline void putLe64(std::vector<uint8_t>& out, uint64_t v) {
    for (int i = 0; i < 8; ++i) {
        out.push_back(uint8_t(v >> (8 * i)));
    }
}
inline void setBe32(uint8_t* p, uint32_t v) {
    p[0] = uint8_t(v >> 24);
    p[1] = uint8_t(v >> 16);
    p[2] = uint8_t(v >> 8);
    p[3] = uint8_t(v);
}
inline void setLe32(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        p[i] = uint8_t(v >> (8 * i));
    }
}
inline void setLe64(uint8_t* p, uint64_t v) {
    for (int i = 0; i < 8; ++i) {
        p[i] = uint8_t(v >> (8 * i));
    }
}
inline void putBytes(std::vector<uint8_t>& out, const void* data, size_t length) {
    const auto* p = static_cast<const uint8_t*>(data);
    out.insert(out.end(), p, p + length);
}
inline void putText(std::vector<uint8_t>& out, const char* text) {
    while (*text) {
        out.push_back(uint8_t(*text++));
    }
}

// ASCII comparison without regard to case.
inline bool equalsIgnoreCase(const std::string& a, const char* b) {
    size_t i = 0;
    for (; i < a.size(); ++i) {
        char x = a[i];
        char y = b[i];
        if (y == 0) {
            return false;
        }
        x = (x >= 'A' && x <= 'Z') ? char(x + 32) : x;
        y = (y >= 'A' && y <= 'Z') ? char(y + 32) : y;
        if (x != y) {
            return false;
        }
    }
    return b[i] == 0;
}

// Largest value a handler reads into one item; bigger values are skipped.
constexpr int64_t kMaxItemBytes = 8 * 1024 * 1024;

} // namespace calvorine::tags
