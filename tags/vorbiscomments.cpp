#include "tags/vorbiscomments.h"

#include <algorithm>
#include <cstring>

namespace calvorine::tags {

namespace {

struct CommentKey {
    const char* key;
    int field;
};
// The first key of each field is the one written. Lyrics are "LYRICS"; "LYRICIST" names
// a person and is kept as an unmodelled comment.
const CommentKey kKeys[] = {
    {"TITLE", FieldTitle},
    {"ARTIST", FieldArtist},
    {"AUTHOR", FieldArtist},
    {"PERFORMER", FieldArtist},
    {"ALBUM", FieldAlbum},
    {"GENRE", FieldGenre},
    {"DATE", FieldYear},
    {"YEAR", FieldYear},
    {"TRACKNUMBER", FieldTrack},
    {"COMMENT", FieldComment},
    {"DESCRIPTION", FieldComment},
    {"COPYRIGHT", FieldCopyright},
    {"LYRICS", FieldLyrics},
    {"UNSYNCEDLYRICS", FieldLyrics},
    {"METADATA_BLOCK_PICTURE", FieldPicture},
};

const char* writtenKey(int field) {
    for (const CommentKey& key : kKeys) {
        if (key.field == field) {
            return key.key;
        }
    }
    return nullptr;
}

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Decoding table: the six-bit value of each character, or one of these.
constexpr int8_t kBase64Invalid = -1;
constexpr int8_t kBase64Skipped = -2; // line breaks
constexpr int8_t kBase64End = -3;     // padding
struct Base64Values {
    int8_t values[256];
    constexpr Base64Values() : values() {
        for (int c = 0; c < 256; ++c) {
            values[c] = kBase64Invalid;
        }
        for (int v = 0; v < 64; ++v) {
            values[static_cast<uint8_t>(kAlphabet[v])] = static_cast<int8_t>(v);
        }
        values['\r'] = kBase64Skipped;
        values['\n'] = kBase64Skipped;
        values['='] = kBase64End;
    }
    constexpr int8_t operator[](uint8_t c) const { return values[c]; }
};
constexpr Base64Values kBase64Values;

// The field a whole comment is read as while its field has no item yet, or -1 when it
// is never read as an item. A picture must hold an image a save can write back; its
// image goes to `image`.
int readableField(const uint8_t* comment, size_t length, std::vector<uint8_t>* image) {
    const void* equals = std::memchr(comment, '=', length);
    if (!equals) {
        return -1;
    }
    const size_t keyLength = static_cast<size_t>(static_cast<const uint8_t*>(equals) - comment);
    const std::string key(reinterpret_cast<const char*>(comment), keyLength);
    const uint8_t* value = comment + keyLength + 1;
    const size_t valueLength = length - keyLength - 1;
    int field = -1;
    for (const CommentKey& k : kKeys) {
        if (equalsIgnoreCase(key, k.key)) {
            field = k.field;
        }
    }
    if (field < 0 || valueLength < 1 || valueLength > kMaxItemBytes) {
        return -1;
    }
    if (field == FieldPicture) {
        std::vector<uint8_t> block;
        std::vector<uint8_t> decoded;
        uint32_t type = 0;
        if (!base64Decode(value, valueLength, block) || !parsePictureBlock(block.data(), block.size(), decoded, type) ||
            imageKindOf(decoded.data(), decoded.size()) == ImageKind::None) {
            return -1;
        }
        if (image) {
            *image = std::move(decoded);
        }
    }
    return field;
}

} // namespace

bool parseVorbisComments(const uint8_t* data, size_t length, TagItemList& items, int slot, std::string& vendor,
                         KeptComments& kept, bool seen[]) {
    if (length < 4) {
        return false;
    }
    const uint32_t vendorLength = readLe32(data);
    if (vendorLength > length - 4) {
        return false;
    }
    vendor.assign(reinterpret_cast<const char*>(data + 4), vendorLength);
    size_t at = 4 + vendorLength;
    if (length - at < 4) {
        return true;
    }
    const uint32_t count = readLe32(data + at);
    at += 4;
    for (uint32_t n = 0; n < count && length - at >= 4; ++n) {
        const uint32_t commentLength = readLe32(data + at);
        if (commentLength > length - at - 4) {
            break;
        }
        const uint8_t* comment = data + at + 4;
        at += 4 + commentLength;
        const void* equals = std::memchr(comment, '=', commentLength);
        if (!equals) {
            break;
        }
        std::vector<uint8_t> image;
        const int field = readableField(comment, commentLength, &image);
        bool taken = false;
        if (field >= 0 && !seen[field]) {
            const size_t valueAt = static_cast<size_t>(static_cast<const uint8_t*>(equals) - comment) + 1;
            if (field == FieldPicture) {
                taken = items.addBinary(slot, field, static_cast<int>(image.size()), image.data()) == 0;
            } else {
                taken = items.addText(TextUtf8, slot, field, comment + valueAt, commentLength - valueAt) == 0;
            }
            seen[field] = taken;
        }
        if (!taken) {
            kept.emplace_back(comment, comment + commentLength);
        }
    }
    return true;
}

std::vector<uint8_t> buildVorbisComments(const TagItemList& items, const KeptComments& kept, std::string vendor,
                                         CommentKind kind) {
    if (vendor.empty()) {
        vendor = kind == CommentKind::Ogg ? "Xiph.Org libVorbis I 20120203 (Omnipresent)"
                                          : "reference libFLAC 1.2.1 20070917";
    }
    std::vector<uint8_t> out;
    putLe32(out, static_cast<uint32_t>(vendor.size()));
    putBytes(out, vendor.data(), vendor.size());
    const size_t countAt = out.size();
    putLe32(out, 0);
    uint32_t count = 0;
    for (int i = 0; i < items.count(); ++i) {
        const TagItem item = items.getItem(i);
        const char* key = writtenKey(item.field);
        if (!key || item.length <= 0 || item.field > FieldPicture) {
            continue;
        }
        std::vector<uint8_t> value;
        if (item.field == FieldPicture) {
            if (kind != CommentKind::Ogg) {
                continue; // as a picture block of its own
            }
            const std::vector<uint8_t> block = buildPictureBlock(item.data, static_cast<size_t>(item.length));
            const std::string text = base64Encode(block.data(), block.size());
            value.assign(text.begin(), text.end());
        } else {
            value = encodeTagText(items.storedText(i), TextUtf8);
        }
        if (value.empty()) {
            continue;
        }
        putLe32(out, static_cast<uint32_t>(std::strlen(key) + 1 + value.size()));
        putText(out, key);
        out.push_back('=');
        out.insert(out.end(), value.begin(), value.end());
        ++count;
    }
    for (const std::vector<uint8_t>& comment : kept) {
        // A further value of a modelled field goes with the field: the item list holds
        // each field's one value, so what was set or cleared is the whole field, and an
        // old second album or genre would stay beside the new one or come back in its
        // place.
        if (readableField(comment.data(), comment.size(), nullptr) >= 0) {
            continue;
        }
        putLe32(out, static_cast<uint32_t>(comment.size()));
        out.insert(out.end(), comment.begin(), comment.end());
        ++count;
    }
    setLe32(out.data() + countAt, count);
    return out;
}

ImageInfo sniffImage(const uint8_t* data, size_t length) {
    ImageInfo info;
    const ImageKind kind = imageKindOf(data, length);
    info.mime = imageMimeType(kind);
    if (kind == ImageKind::Png) {
        size_t at = 8;
        while (at + 8 <= length) {
            const uint32_t chunkLength = readBe32(data + at);
            if (std::memcmp(data + at + 4, "IHDR", 4) == 0) {
                if (at + 8 + 10 <= length) {
                    info.width = readBe32(data + at + 8);
                    info.height = readBe32(data + at + 12);
                    const uint32_t bitDepth = data[at + 16];
                    const uint8_t colourType = data[at + 17];
                    const uint32_t channels = ((colourType & 2) ? 3 : 1) + ((colourType & 4) ? 1 : 0);
                    info.depth = channels * bitDepth;
                }
                break;
            }
            if (chunkLength > length - at - 8) {
                break;
            }
            at += 12 + size_t(chunkLength);
        }
    } else if (kind == ImageKind::Jpeg) {
        size_t at = 2;
        while (at + 4 <= length && data[at] == 0xFF) {
            const uint8_t marker = data[at + 1];
            if (marker == 0xC0) {
                if (at + 9 <= length) {
                    info.height = readBe16(data + at + 5);
                    info.width = readBe16(data + at + 7);
                    info.depth = uint32_t(data[at + 4]) * 3;
                }
                break;
            }
            at += 2 + readBe16(data + at + 2);
        }
    } else if (kind == ImageKind::Gif) {
        if (length >= 11) {
            info.width = readLe16(data + 6);
            info.height = readLe16(data + 8);
            info.depth = (data[10] & 7) + 1;
        }
    } else if (kind == ImageKind::Bmp) {
        if (length >= 30) {
            info.width = readLe32(data + 18);
            info.height = readLe32(data + 22);
            info.depth = data[28];
        }
    }
    return info;
}

std::vector<uint8_t> buildPictureBlock(const uint8_t* image, size_t length) {
    const ImageInfo info = sniffImage(image, length);
    std::vector<uint8_t> out;
    out.reserve(length + 64);
    putBe32(out, 3);
    putBe32(out, static_cast<uint32_t>(std::strlen(info.mime)));
    putText(out, info.mime);
    putBe32(out, 0);
    putBe32(out, info.width);
    putBe32(out, info.height);
    putBe32(out, info.depth);
    putBe32(out, 0);
    putBe32(out, static_cast<uint32_t>(length));
    putBytes(out, image, length);
    return out;
}

bool parsePictureBlock(const uint8_t* data, size_t length, std::vector<uint8_t>& image, uint32_t& pictureType) {
    size_t at = 0;
    auto take32 = [&](uint32_t& value) {
        if (length - at < 4) {
            return false;
        }
        value = readBe32(data + at);
        at += 4;
        return true;
    };
    uint32_t mimeLength = 0;
    uint32_t descriptionLength = 0;
    uint32_t ignored = 0;
    uint32_t dataLength = 0;
    if (!take32(pictureType) || !take32(mimeLength) || mimeLength > length - at) {
        return false;
    }
    at += mimeLength;
    if (!take32(descriptionLength) || descriptionLength > length - at) {
        return false;
    }
    at += descriptionLength;
    if (!take32(ignored) || !take32(ignored) || !take32(ignored) || !take32(ignored) || !take32(dataLength)) {
        return false;
    }
    const size_t n = std::min<size_t>(dataLength, length - at);
    if (n == 0) {
        return false;
    }
    image.assign(data + at, data + at + n);
    return true;
}

std::string base64Encode(const uint8_t* data, size_t length) {
    std::string out((length + 2) / 3 * 4, '=');
    char* put = &out[0];
    size_t i = 0;
    for (; i + 3 <= length; i += 3, put += 4) {
        const uint32_t v = (uint32_t(data[i]) << 16) | (uint32_t(data[i + 1]) << 8) | data[i + 2];
        put[0] = kAlphabet[v >> 18];
        put[1] = kAlphabet[(v >> 12) & 63];
        put[2] = kAlphabet[(v >> 6) & 63];
        put[3] = kAlphabet[v & 63];
    }
    if (i < length) {
        uint32_t v = uint32_t(data[i]) << 16;
        if (i + 1 < length) {
            v |= uint32_t(data[i + 1]) << 8;
        }
        put[0] = kAlphabet[v >> 18];
        put[1] = kAlphabet[(v >> 12) & 63];
        if (i + 1 < length) {
            put[2] = kAlphabet[(v >> 6) & 63];
        }
    }
    return out;
}

bool base64Decode(const uint8_t* text, size_t length, std::vector<uint8_t>& out) {
    out.resize(length / 4 * 3 + 3);
    uint8_t* put = out.data();
    size_t i = 0;
    // Whole groups of four plain characters first, then the general way.
    for (; i + 4 <= length; i += 4) {
        const int8_t a = kBase64Values[text[i]];
        const int8_t b = kBase64Values[text[i + 1]];
        const int8_t c = kBase64Values[text[i + 2]];
        const int8_t d = kBase64Values[text[i + 3]];
        if ((a | b | c | d) < 0) {
            break;
        }
        const uint32_t v = (uint32_t(a) << 18) | (uint32_t(b) << 12) | (uint32_t(c) << 6) | uint32_t(d);
        put[0] = uint8_t(v >> 16);
        put[1] = uint8_t(v >> 8);
        put[2] = uint8_t(v);
        put += 3;
    }
    uint32_t accumulator = 0;
    int bits = 0;
    for (; i < length; ++i) {
        const uint8_t c = text[i];
        const int8_t value = kBase64Values[c];
        if (value >= 0) {
            accumulator = (accumulator << 6) | uint32_t(value);
            bits += 6;
            if (bits >= 8) {
                bits -= 8;
                *put++ = uint8_t(accumulator >> bits);
            }
        } else if (value == kBase64End) {
            break;
        } else if (value == kBase64Invalid) {
            out.clear();
            return false;
        }
    }
    out.resize(static_cast<size_t>(put - out.data()));
    return true;
}

} // namespace calvorine::tags
