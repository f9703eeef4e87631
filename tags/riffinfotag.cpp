#include "tags/riffinfotag.h"

#include <algorithm>
#include <cstring>

namespace calvorine::tags {

namespace {

// Space a rewritten INFO chunk leaves behind it (as a JUNK chunk) for the next one to
// grow into, and how much a shrinking chunk may leave before the file is rewritten.
constexpr int64_t kNewPadding = 1024;
constexpr int64_t kMaxKeptPadding = 16 * 1024;

struct InfoId {
    const char* id;
    int field;
};
const InfoId kReadIds[] = {
    {"INAM", FieldTitle},   {"TITL", FieldTitle},   {"IART", FieldArtist},    {"IPRD", FieldAlbum},
    {"IGNR", FieldGenre},   {"GENR", FieldGenre},   {"ICRD", FieldYear},      {"YEAR", FieldYear},
    {"IPRT", FieldTrack},   {"ITRK", FieldTrack},   {"TRCK", FieldTrack},     {"ICMT", FieldComment},
    {"COMM", FieldComment}, {"CMNT", FieldComment}, {"ICOP", FieldCopyright},
};
const char* const kWriteIds[] = {"INAM", "IART", "IPRD", "IGNR", "ICRD", "IPRT", "ICMT", "ICOP"};

// INFO text is in the system's code page, which here is the locale's: UTF-8, as ffmpeg,
// mutagen and current players write and read it. A text that is not valid UTF-8 comes
// from an older file written in Windows-1252 and reads as such.
constexpr int kReadCode = TextDetect;
constexpr int kWriteCode = TextUtf8;

int fieldOfId(const uint8_t* id) {
    for (const InfoId& entry : kReadIds) {
        if (std::memcmp(id, entry.id, 4) == 0) {
            return entry.field;
        }
    }
    return -1;
}

} // namespace

RiffInfoTag::RiffInfoTag(IByteStream* stream, int& result) : TagHandler(stream) {
    result = reload();
}

int RiffInfoTag::reload() {
    items_.clear();
    kept_.clear();
    listOffset_ = 0;
    listLength_ = 0;
    junkLength_ = 0;
    appendAt_ = 0;
    padBeforeAppend_ = false;
    damaged_ = false;
    moreLists_.clear();
    junkId_ = "JUNK";
    uint8_t header[12];
    if (!stream_ || !readAt(stream_, 0, header, 12) || std::memcmp(header, "RIFF", 4) != 0 ||
        std::memcmp(header + 8, "WAVE", 4) != 0) {
        return -1;
    }
    const int64_t fileSize = stream_->size();
    const uint32_t riffSize = readLe32(header + 4);
    // Streamed files leave the size 0 or 0xFFFFFFFF; a size beyond the file is a lie too.
    riffEnd_ = (riffSize == 0 || riffSize == 0xFFFFFFFFu || 8 + int64_t(riffSize) > fileSize) ? fileSize
                                                                                              : 8 + int64_t(riffSize);
    // The INFO chunk may never land inside the 12-byte RIFF header.
    riffEnd_ = std::max<int64_t>(riffEnd_, 12);
    BufferedReadStream reader(stream_);
    int64_t offset = 12;
    while (offset + 8 <= riffEnd_) {
        uint8_t chunk[12];
        if (reader.seek(offset) != offset || reader.read(chunk, 8) != 8) {
            break;
        }
        const int64_t size = readLe32(chunk + 4);
        const int64_t end = offset + 8 + size;
        if (end > riffEnd_) {
            // A chunk cut short (or a size that lies): whatever is written behind it lies
            // inside its declared bytes, where no reader looks. Such a file is not written.
            damaged_ = true;
            break;
        }
        if (std::memcmp(chunk, "LIST", 4) == 0 && size >= 4 && reader.read(chunk + 8, 4) == 4 &&
            std::memcmp(chunk + 8, "INFO", 4) == 0) {
            // Readers show the items of every INFO chunk; the first one is rewritten and
            // the others go, so that what was saved is all that reads back.
            const int64_t length = 8 + size + ((size & 1) && end < riffEnd_ ? 1 : 0);
            if (listOffset_ == 0) {
                listOffset_ = offset;
                listLength_ = length;
            } else {
                moreLists_.push_back({offset, length});
            }
        }
        offset = end + (size & 1);
    }
    // A new chunk starts where the next one would; when the last chunk is odd and its pad
    // byte is missing, the pad is written first so that readers find the new chunk.
    appendAt_ = std::min(offset, riffEnd_);
    padBeforeAppend_ = offset > riffEnd_;
    if (listOffset_ == 0) {
        return 0;
    }
    uint8_t junk[8];
    const int64_t junkAt = listOffset_ + listLength_;
    if (junkAt + 8 <= riffEnd_ && readAt(stream_, junkAt, junk, 8) &&
        (std::memcmp(junk, "JUNK", 4) == 0 || std::memcmp(junk, "PAD ", 4) == 0)) {
        const int64_t size = readLe32(junk + 4);
        if (junkAt + 8 + size <= riffEnd_) {
            junkLength_ = 8 + size + ((size & 1) && junkAt + 8 + size < riffEnd_ ? 1 : 0);
            junkId_.assign(reinterpret_cast<const char*>(junk), 4);
        }
    }
    bool seen[FieldCopyright + 1] = {};
    readItems(listOffset_, listLength_, seen);
    for (const std::pair<int64_t, int64_t>& more : moreLists_) {
        readItems(more.first, more.second, seen);
    }
    return 0;
}

void RiffInfoTag::readItems(int64_t offset, int64_t length, bool* seen) {
    const std::vector<uint8_t> list = readRange(stream_, offset, length);
    size_t at = 12;
    const size_t listEnd = list.size() >= 8 ? std::min<size_t>(list.size(), 8 + readLe32(list.data() + 4)) : 0;
    while (at + 8 <= listEnd) {
        const uint8_t* sub = list.data() + at;
        const size_t size = readLe32(sub + 4);
        if (size > listEnd - at - 8) {
            break;
        }
        const size_t next = at + 8 + size + (size & 1);
        const int field = fieldOfId(sub);
        // The first usable item of a field is taken; a second one is dropped (kept, it
        // would take the field's place once the first is removed); what is not usable
        // (unknown ids, empty or oversized text) is kept as it is.
        const bool usable = field >= 0 && size >= 1 && size <= static_cast<size_t>(kMaxItemBytes) &&
                            !decodeTagText(kReadCode, sub + 8, size).empty();
        if (usable && !seen[field]) {
            seen[field] = items_.addText(kReadCode, SlotRiffInfo, field, sub + 8, size) == 0;
        }
        if (!usable) {
            const size_t keptEnd = std::min(next, listEnd);
            std::vector<uint8_t> whole(sub, list.data() + keptEnd);
            if (whole.size() & 1) {
                whole.push_back(0);
            }
            kept_.push_back(std::move(whole));
        }
        at = next;
    }
}

std::vector<uint8_t> RiffInfoTag::buildInfoList() const {
    std::vector<uint8_t> chunk;
    putText(chunk, "LIST");
    putLe32(chunk, 0);
    putText(chunk, "INFO");
    for (int i = 0; i < items_.count(); ++i) {
        const TagItem item = items_.getItem(i);
        std::vector<uint8_t> text = encodeTagText(items_.storedText(i), kWriteCode);
        if (text.empty() || text.size() > kMaxItemBytes) {
            continue;
        }
        text.push_back(0);
        if (text.size() & 1) {
            text.push_back(0);
        }
        putText(chunk, kWriteIds[item.field]);
        putLe32(chunk, static_cast<uint32_t>(text.size()));
        chunk.insert(chunk.end(), text.begin(), text.end());
    }
    for (const std::vector<uint8_t>& kept : kept_) {
        chunk.insert(chunk.end(), kept.begin(), kept.end());
    }
    return chunk;
}

int64_t RiffInfoTag::padToOldSpace(std::vector<uint8_t>& chunk, bool empty) const {
    // The chunk and the JUNK behind it are one space: filled exactly when the new chunk
    // fits, else given fresh padding. A chunk of the old one's length leaves the JUNK as
    // it is, so that saving what was read changes nothing.
    const bool sameLength = !empty && static_cast<int64_t>(chunk.size()) == listLength_;
    const int64_t space = listLength_ + (sameLength ? 0 : junkLength_);
    if (!empty) {
        const int64_t spare = space - static_cast<int64_t>(chunk.size());
        const int64_t padding = spare == 0 ? 0 : (spare >= 8 && spare <= kMaxKeptPadding) ? spare : kNewPadding;
        if (padding > 0) {
            putText(chunk, junkId_.c_str()); // the padding keeps its name
            putLe32(chunk, static_cast<uint32_t>(padding - 8));
            chunk.insert(chunk.end(), static_cast<size_t>(padding - 8), 0);
        }
    }
    return space;
}

int RiffInfoTag::save() {
    if (!stream_) {
        return -1;
    }
    items_.reduce([](int field) { return field >= FieldTitle && field <= FieldCopyright; });
    std::vector<uint8_t> chunk = buildInfoList();
    const bool empty = chunk.size() == 12;
    if (empty && listOffset_ == 0) {
        return 1;
    }
    if (damaged_ && listOffset_ == 0) {
        return -1; // refused: the file keeps every byte
    }
    if (empty) {
        chunk.clear();
    } else {
        setLe32(chunk.data() + 4, static_cast<uint32_t>(chunk.size() - 8));
    }

    const int64_t space = padToOldSpace(chunk, empty);
    if (listOffset_ == 0 && padBeforeAppend_) {
        chunk.insert(chunk.begin(), 0);
    }
    const int64_t offset = listOffset_ ? listOffset_ : appendAt_;
    int64_t removed = 0;
    for (const std::pair<int64_t, int64_t>& more : moreLists_) {
        removed += more.second;
    }
    const int64_t newRiffSize = riffEnd_ - 8 + static_cast<int64_t>(chunk.size()) - space - removed;
    if (newRiffSize > 0xFFFFFFFFll || newRiffSize < 4) {
        return -1; // RIFF cannot say that size
    }
    std::vector<ByteEdit> edits(2);
    edits[0].offset = 4;
    edits[0].oldLength = 4;
    putLe32(edits[0].bytes, static_cast<uint32_t>(newRiffSize));
    edits[1].offset = offset;
    edits[1].oldLength = space;
    edits[1].bytes = std::move(chunk);
    for (const std::pair<int64_t, int64_t>& more : moreLists_) {
        ByteEdit remove;
        remove.offset = more.first;
        remove.oldLength = more.second;
        edits.push_back(std::move(remove));
    }
    if (applyByteEdits(stream_, std::move(edits)) != 0) {
        return -1;
    }
    return reload() < 0 ? -1 : 0;
}

} // namespace calvorine::tags
