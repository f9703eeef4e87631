#include "tags/id3v1tag.h"

#include "tags/apetag.h"
#include "tags/probes.h"

#include <cstring>

namespace calvorine::tags {

namespace {

constexpr int kBlockBytes = 128;

struct Slot {
    int field;
    int offset;
    int width;
};
const Slot kTextSlots[] = {{FieldTitle, 3, 30}, {FieldArtist, 33, 30}, {FieldAlbum, 63, 30}, {FieldYear, 93, 4}};

int leadingNumber(const std::u16string& text) {
    long value = 0;
    size_t i = 0;
    while (i < text.size() && text[i] == u' ') {
        ++i;
    }
    bool any = false;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9' && value < 100000; ++i) {
        value = value * 10 + (text[i] - u'0');
        any = true;
    }
    return any ? static_cast<int>(value) : -1;
}

} // namespace

Id3v1Tag::Id3v1Tag(IByteStream* stream, int& result, int audioType) : TagHandler(stream), audioType_(audioType) {
    result = reload();
}

bool Id3v1Tag::present(IByteStream* stream, int audioType) {
    const int64_t size = stream ? stream->size() : -1;
    uint8_t mark[3];
    // An APE tag that ends the file may hold "TAG" 128 bytes from the end (its own header
    // does when the tag is 131 bytes long); the block is then part of that tag. Audio
    // frames that run into the block (the last bytes of a frame may well read "TAG")
    // make it audio.
    return size >= kBlockBytes && readAt(stream, size - kBlockBytes, mark, 3) && std::memcmp(mark, "TAG", 3) == 0 &&
           !ApeTag::footerEndsAt(stream, size) && !audioRunsInto(stream, audioType, size - kBlockBytes, size);
}

int64_t Id3v1Tag::blocksAtEnd(IByteStream* stream, int audioType) {
    if (!present(stream, audioType)) {
        return 0;
    }
    // The run of blocks in front of the last: each starts with "TAG" and is not the end
    // of an APE tag. Audio frames can reach only into its front (the audio comes before
    // the tags), so only there are blocks checked for audio, one at a time: a long run
    // costs a read a block, not a walk of the frames a block.
    const int64_t size = stream->size();
    int64_t blocks = 1;
    uint8_t mark[3];
    while (size - blocks * kBlockBytes >= kBlockBytes && readAt(stream, size - (blocks + 1) * kBlockBytes, mark, 3) &&
           std::memcmp(mark, "TAG", 3) == 0 && !ApeTag::footerEndsAt(stream, size - blocks * kBlockBytes)) {
        ++blocks;
    }
    while (blocks > 1 &&
           audioRunsInto(stream, audioType, size - blocks * kBlockBytes, size - (blocks - 1) * kBlockBytes)) {
        --blocks;
    }
    return blocks;
}

int Id3v1Tag::reload() {
    items_.clear();
    if (!stream_) {
        return -1;
    }
    if (!present(stream_, audioType_)) {
        return 0;
    }
    uint8_t block[kBlockBytes];
    if (!readAt(stream_, stream_->size() - kBlockBytes, block, kBlockBytes)) {
        return 0;
    }
    for (const Slot& slot : kTextSlots) {
        items_.addText(TextAnsi, SlotId3v1, slot.field, block + slot.offset, static_cast<size_t>(slot.width));
    }
    size_t commentBytes = 30;
    if (block[125] == 0) {
        commentBytes = 28;
        if (block[126] != 0) {
            items_.addNumber(SlotId3v1, block[126]);
        }
    }
    while (commentBytes > 0 && (block[97 + commentBytes - 1] == ' ' || block[97 + commentBytes - 1] == 0)) {
        --commentBytes;
    }
    items_.addText(TextAnsi, SlotId3v1, FieldComment, block + 97, commentBytes);
    items_.addGenreByIndex(block[127], SlotId3v1);
    return 0;
}

void Id3v1Tag::fillBlock(uint8_t block[]) const {
    std::memset(block, 0, kBlockBytes);
    std::memcpy(block, "TAG", 3);
    block[125] = ' ';
    block[127] = 255;
    // The track decides whether the comment has 28 or 30 bytes, so it goes first.
    for (int i = 0; i < items_.count(); ++i) {
        if (items_.getItem(i).field == FieldTrack) {
            const int track = leadingNumber(items_.text(i));
            if (track >= 0 && track <= 255) {
                block[126] = static_cast<uint8_t>(track);
                block[125] = 0;
            }
        }
    }
    for (int i = 0; i < items_.count(); ++i) {
        const int field = items_.getItem(i).field;
        const std::u16string text = items_.text(i);
        if (field == FieldGenre) {
            const int index = genreIndexFromName(text);
            block[127] = static_cast<uint8_t>(index < 0 ? 12 : index);
            continue;
        }
        std::vector<uint8_t> ansi = encodeTagText(text, TextAnsi);
        if (field == FieldComment) {
            // The comment is filled with spaces, which a reader takes off again.
            while (!ansi.empty() && ansi.back() == ' ') {
                ansi.pop_back();
            }
        }
        if (ansi.empty()) {
            continue; // nothing to write: the field stays as an empty one reads
        }
        int offset = -1;
        size_t width = 0;
        uint8_t fill = 0;
        if (field == FieldComment) {
            offset = 97;
            width = block[125] == 0 ? 28 : 30;
            fill = ' ';
        } else {
            for (const Slot& slot : kTextSlots) {
                if (slot.field == field) {
                    offset = slot.offset;
                    width = static_cast<size_t>(slot.width);
                }
            }
        }
        if (offset < 0) {
            continue;
        }
        // Windows-1252 has one byte per character, so a plain cut never splits one.
        const size_t n = ansi.size() < width ? ansi.size() : width;
        std::memcpy(block + offset, ansi.data(), n);
        std::memset(block + offset + n, fill, width - n);
    }
}

int Id3v1Tag::save() {
    if (!stream_) {
        return -1;
    }
    const int64_t size = stream_->size();
    if (size < 0) {
        return -1;
    }
    // The new block, or nothing when no item is left, takes the place of every block
    // that ends the file.
    const int64_t start = size - blocksAtEnd(stream_, audioType_) * kBlockBytes;
    items_.reduce([](int field) { return field >= FieldTitle && field <= FieldComment; });
    if (items_.count() == 0) {
        if (start == size) {
            return 1;
        }
        return replaceFileRange(stream_, start, size - start, nullptr, 0) == 0 ? 0 : -1;
    }

    uint8_t block[kBlockBytes];
    fillBlock(block);
    if (block[124] == 0 && block[125] == ' ' && block[126] == 0) {
        block[125] = 0;
    }
    return replaceFileRange(stream_, start, size - start, block, kBlockBytes) == 0 ? 0 : -1;
}

} // namespace calvorine::tags
