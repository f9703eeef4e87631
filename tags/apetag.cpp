#include "tags/apetag.h"

#include "tags/id3v1tag.h"

#include <cstring>

namespace calvorine::tags {

namespace {

constexpr uint32_t kMaxTagSize = 16 * 1024 * 1024 + 32;
constexpr uint32_t kMaxItems = 65536;
constexpr uint32_t kHasHeader = 0x80000000u;
constexpr uint32_t kIsHeader = 0x20000000u;

struct Key {
    int field;
    const char* name;
};
const Key kKeys[] = {
    {FieldTitle, "Title"},     {FieldArtist, "Artist"},
    {FieldAlbum, "Album"},     {FieldGenre, "Genre"},
    {FieldYear, "Year"},       {FieldTrack, "Track"},
    {FieldComment, "Comment"}, {FieldCopyright, "Copyright"},
    {FieldLyrics, "Lyrics"},   {FieldPicture, "Cover Art (front)"},
};

bool sameKey(const std::string& a, const char* b) {
    return equalsIgnoreCase(a, b);
}

bool isCoverKey(const std::string& key) {
    if (key.size() < 9 || !sameKey(key.substr(0, 9), "Cover Art")) {
        return false;
    }
    return key.size() == 9 || key[9] == ' ' || key[9] == '(';
}

int fieldOfKey(const std::string& key) {
    for (const Key& k : kKeys) {
        if (k.field != FieldPicture && sameKey(key, k.name)) {
            return k.field;
        }
    }
    return isCoverKey(key) ? FieldPicture : -1;
}

bool readBlock(IByteStream* stream, int64_t offset, bool wantHeader, uint32_t& version, uint32_t& size, uint32_t& count,
               uint32_t& flags) {
    uint8_t block[32];
    if (offset < 0 || !readAt(stream, offset, block, 32) || std::memcmp(block, "APETAGEX", 8) != 0) {
        return false;
    }
    version = readLe32(block + 8);
    size = readLe32(block + 12);
    count = readLe32(block + 16);
    flags = readLe32(block + 20);
    return version <= 2000 && size >= 32 && size <= kMaxTagSize && count <= kMaxItems &&
           ((flags & kIsHeader) != 0) == wantHeader;
}

void putBlock(std::vector<uint8_t>& out, uint32_t size, uint32_t count, uint32_t flags) {
    putText(out, "APETAGEX");
    putLe32(out, 2000);
    putLe32(out, size);
    putLe32(out, count);
    putLe32(out, flags);
    out.insert(out.end(), 8, 0);
}

} // namespace

ApeTag::ApeTag(IByteStream* stream, int& result, int audioType) : TagHandler(stream), audioType_(audioType) {
    result = reload();
}

bool ApeTag::footerEndsAt(IByteStream* stream, int64_t end) {
    uint32_t version = 0;
    uint32_t tagSize = 0;
    uint32_t count = 0;
    uint32_t flags = 0;
    return stream && end >= 32 && readBlock(stream, end - 32, false, version, tagSize, count, flags);
}

bool ApeTag::locate(Location& location) {
    location = Location{};
    const int64_t size = stream_->size();
    if (size < 0) {
        return false;
    }
    // In front of every ID3v1 block that ends the file, not only the last one.
    return locateEndingAt(size - 128 * Id3v1Tag::blocksAtEnd(stream_, audioType_), location);
}

bool ApeTag::locateEndingAt(int64_t end, Location& location) {
    location = Location{};
    location.end = end;
    location.start = location.end;
    uint32_t flags = 0;
    if (!readBlock(stream_, location.end - 32, false, location.version, location.tagSize, location.itemCount, flags)) {
        return true;
    }
    int64_t total = location.tagSize + ((flags & kHasHeader) ? 32 : 0);
    if (total > location.end) {
        return true;
    }
    if (flags & kHasHeader) {
        uint32_t headerFlags = 0;
        if (!readBlock(stream_, location.end - total, true, location.version, location.tagSize, location.itemCount,
                       headerFlags) ||
            location.tagSize + int64_t(32) != total) {
            // A header that disagrees with its footer: the footer alone describes the tag.
            total = location.tagSize;
        }
    }
    location.start = location.end - total;
    location.total = total;
    return true;
}

int ApeTag::reload() {
    items_.clear();
    kept_.clear();
    if (!stream_) {
        return -1;
    }
    Location location;
    if (!locate(location) || location.total == 0) {
        return 0;
    }
    const int64_t itemsStart = location.end - location.tagSize;
    const std::vector<uint8_t> body = readRange(stream_, itemsStart, int64_t(location.tagSize) - 32);
    const int textCode = location.version < 2000 ? TextDetect : TextUtf8;
    bool seen[FieldPicture + 1] = {};
    bool frontCover = false;
    std::vector<uint8_t> coverItem; // the whole item the cover was read from
    size_t offset = 0;
    for (uint32_t n = 0; n < location.itemCount && offset + 8 < body.size(); ++n) {
        const uint32_t valueSize = readLe32(body.data() + offset);
        const uint8_t* keyStart = body.data() + offset + 8;
        const void* zero = std::memchr(keyStart, 0, body.size() - offset - 8);
        if (!zero) {
            break;
        }
        const size_t keyLength = static_cast<size_t>(static_cast<const uint8_t*>(zero) - keyStart);
        const size_t valueStart = offset + 8 + keyLength + 1;
        if (valueSize > body.size() - valueStart) {
            break;
        }
        const size_t itemEnd = valueStart + valueSize;
        const std::string key(reinterpret_cast<const char*>(keyStart), keyLength);
        const uint8_t* value = body.data() + valueStart;
        // The field the item is read as while its field has no item yet (-1: never). A
        // cover must hold a name and an image a save can write back.
        int readsAs = -1;
        size_t skip = 0;
        const int field = fieldOfKey(key);
        if (field >= 0 && valueSize >= 1 && valueSize <= kMaxItemBytes) {
            const void* nameEnd = field == FieldPicture ? std::memchr(value, 0, valueSize) : nullptr;
            skip = nameEnd ? static_cast<size_t>(static_cast<const uint8_t*>(nameEnd) - value) + 1 : 0;
            if (field != FieldPicture ||
                (nameEnd && valueSize > skip && imageKindOf(value + skip, valueSize - skip) != ImageKind::None)) {
                readsAs = field;
            }
        }
        bool taken = false;
        if (readsAs == FieldPicture) {
            const bool isFront = sameKey(key, "Cover Art (front)");
            // A later front cover wins over an earlier other cover.
            if (!seen[readsAs] || (isFront && !frontCover)) {
                if (seen[readsAs]) {
                    // The earlier cover was not the front one: it stays an item of its own.
                    for (int i = 0; i < items_.count(); ++i) {
                        if (items_.getItem(i).field == FieldPicture) {
                            items_.removeAt(i);
                            break;
                        }
                    }
                    kept_.push_back({FieldPicture, std::move(coverItem)});
                }
                coverItem.assign(body.begin() + static_cast<std::ptrdiff_t>(offset),
                                 body.begin() + static_cast<std::ptrdiff_t>(itemEnd));
                items_.addBinary(SlotApe, readsAs, static_cast<int>(valueSize - skip), value + skip);
                seen[readsAs] = true;
                frontCover = isFront;
                taken = true;
            }
        } else if (readsAs >= 0 && !seen[readsAs]) {
            taken = items_.addText(textCode, SlotApe, readsAs, value, valueSize) == 0;
            seen[readsAs] = taken;
            readsAs = taken ? readsAs : -1;
        }
        if (!taken) {
            kept_.push_back({readsAs, std::vector<uint8_t>(body.begin() + static_cast<std::ptrdiff_t>(offset),
                                                           body.begin() + static_cast<std::ptrdiff_t>(itemEnd))});
        }
        offset = itemEnd;
    }
    return 0;
}

int ApeTag::save() {
    if (!stream_) {
        return -1;
    }
    items_.reduce(isBasicField);
    std::vector<uint8_t> itemBytes;
    uint32_t count = 0;
    if (!buildItems(itemBytes, count)) {
        return -1;
    }
    Location location;
    if (!locate(location)) {
        return -1;
    }
    const int64_t size = stream_->size();
    // A trailing ID3v1 block rides along, so that the change ends at the end of the file
    // and can be made without moving anything.
    std::vector<uint8_t> trailer = readRange(stream_, location.end, size - location.end);
    if (count == 0) {
        if (location.total == 0) {
            return 1;
        }
        const int removed = removeTags(location, size, trailer);
        if (removed != kKeepEmptyTag) {
            return removed;
        }
    }
    if (itemBytes.size() + 32 > kMaxTagSize || count > kMaxItems) {
        return -1; // an APE tag cannot hold this much; the file stays as it was
    }
    const auto tagSize = static_cast<uint32_t>(itemBytes.size() + 32);
    std::vector<uint8_t> tag;
    tag.reserve(itemBytes.size() + 64 + trailer.size());
    putBlock(tag, tagSize, count, kHasHeader | kIsHeader);
    tag.insert(tag.end(), itemBytes.begin(), itemBytes.end());
    putBlock(tag, tagSize, count, kHasHeader);
    tag.insert(tag.end(), trailer.begin(), trailer.end());
    return replaceFileRange(stream_, location.start, size - location.start, tag.data(),
                            static_cast<int64_t>(tag.size())) == 0
               ? 0
               : -1;
}

bool ApeTag::buildItems(std::vector<uint8_t>& itemBytes, uint32_t& count) const {
    bool written[FieldPicture + 1] = {};
    for (int i = 0; i < items_.count(); ++i) {
        const TagItem item = items_.getItem(i);
        const char* key = nullptr;
        for (const Key& k : kKeys) {
            if (k.field == item.field) {
                key = k.name;
            }
        }
        if (!key) {
            continue;
        }
        std::vector<uint8_t> value;
        uint32_t flags = 0;
        if (item.field == FieldPicture) {
            switch (imageKindOf(item.data, static_cast<size_t>(item.length))) {
            case ImageKind::Png:
                putText(value, "conver.png");
                break;
            case ImageKind::Gif:
                putText(value, "conver.gif");
                break;
            case ImageKind::Bmp:
                putText(value, "conver.bmp");
                break;
            default:
                putText(value, "conver.jpg");
                break;
            }
            value.push_back(0);
            putBytes(value, item.data, static_cast<size_t>(item.length));
            flags = 2; // binary
        } else {
            value = encodeTagText(items_.storedText(i), TextUtf8);
        }
        if (value.size() > kMaxTagSize) {
            return false; // an APE tag cannot hold this much; the file stays as it was
        }
        if (value.empty()) {
            continue;
        }
        putLe32(itemBytes, static_cast<uint32_t>(value.size()));
        putLe32(itemBytes, flags);
        putText(itemBytes, key);
        itemBytes.push_back(0);
        itemBytes.insert(itemBytes.end(), value.begin(), value.end());
        written[item.field] = true;
        ++count;
    }
    for (const Kept& kept : kept_) {
        // A second value of a field that no longer has an item would read back as its
        // item: the field was cleared, so it goes too.
        if (kept.readsAs >= 0 && !written[kept.readsAs]) {
            continue;
        }
        itemBytes.insert(itemBytes.end(), kept.bytes.begin(), kept.bytes.end());
        ++count;
    }

    return true;
}

int ApeTag::removeTags(const Location& location, int64_t size, const std::vector<uint8_t>& trailer) {
    // Tags stacked in front of it go too: each would read as the tag once the one
    // behind it is gone.
    int64_t start = location.start;
    Location earlier;
    while (start >= 32 && locateEndingAt(start, earlier) && earlier.total > 0) {
        start = earlier.start;
    }
    // Cut at `start`, with the blocks behind the tag moved up, the file could end in
    // what reads as more ID3v1 blocks (damaged data, no real ones) with a tag in front
    // of them. An empty tag then stays, so that nothing older comes back.
    WindowStream cut(stream_, 0, start);
    const int64_t blocks = Id3v1Tag::blocksAtEnd(&cut, audioType_);
    if (blocks > 0 && locateEndingAt(start - 128 * blocks, earlier) && earlier.total > 0) {
        return kKeepEmptyTag;
    }
    return replaceFileRange(stream_, start, size - start, trailer.data(), static_cast<int64_t>(trailer.size())) == 0
               ? 0
               : -1;
}

} // namespace calvorine::tags
