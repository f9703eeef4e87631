#include "tags/flactag.h"

#include "tags/probes.h"

#include <algorithm>
#include <cstring>

namespace calvorine::tags {

namespace {

constexpr uint8_t kStreamInfo = 0;
constexpr uint8_t kPadding = 1;
constexpr uint8_t kVorbisComment = 4;
constexpr uint8_t kPicture = 6;
constexpr uint8_t kLastKnownType = kPicture;
constexpr uint8_t kInvalidType = 127; // also what the first byte of an audio frame reads as
constexpr uint32_t kMaxBlockBody = (1u << 24) - 1;
constexpr int64_t kNewPadding = 4096;
constexpr int64_t kMaxKeptPadding = 64 * 1024;

// One metadata block as the walk finds it: where its body starts and how long it is.
struct BlockSpan {
    uint8_t type;
    bool last;
    int64_t bodyAt;
    uint32_t length;
};

// The "fLaC" marker behind a leading ID3v2 tag (zero bytes and an old 8-byte "FLAC"
// header may stand in front of it), or -1 when the stream is not native FLAC ("OggS",
// Ogg FLAC, included).
int64_t findMarker(IByteStream* stream, BufferedReadStream& reader) {
    const int64_t start = audioStartAfterId3v2(stream);
    int64_t at = start;
    while (at < start + 4096) {
        uint8_t head[8];
        if (reader.seek(at) != at || reader.read(head, 1) != 1) {
            return -1;
        }
        if (head[0] == 0) {
            ++at;
            continue;
        }
        if (reader.read(head + 1, 7) < 3) {
            return -1;
        }
        if (std::memcmp(head, "fLaC", 4) == 0) {
            return at;
        }
        if (std::memcmp(head, "FLAC", 4) == 0 && head[4] == 1) {
            at += 8;
            continue;
        }
        return -1;
    }
    return -1;
}

// Whether a STREAMINFO body describes a stream: a sample rate FLAC can hold and at least
// four bits per sample.
bool validStreamInfo(const uint8_t* body) {
    const uint32_t sampleRate = (uint32_t(body[10]) << 12) | (uint32_t(body[11]) << 4) | (body[12] >> 4);
    const int bitsPerSample = (((body[12] & 1) << 4) | (body[13] >> 4)) + 1;
    return sampleRate >= 1 && sampleRate <= 655350 && bitsPerSample >= 4;
}

// Walks the metadata blocks from behind the marker up to the last-block flag. Without
// that flag the walk must stop where the audio begins: at a block type no stream uses
// (what the first byte of a frame reads as) or one longer than the file. `end` becomes
// the end of the last block walked, `streamInfo` the first block's body; false without
// a valid STREAMINFO first. `sound`, when given, becomes false when a later block is a
// second STREAMINFO or of a type no encoder writes: the chain is then damaged (a length
// that runs on into other bytes, read as headers), however it happens to end.
bool walkBlocks(BufferedReadStream& reader, int64_t marker, int64_t fileSize, std::vector<BlockSpan>& spans,
                int64_t& end, std::vector<uint8_t>& streamInfo, bool* sound = nullptr) {
    if (sound) {
        *sound = true;
    }
    int64_t offset = marker + 4;
    bool last = false;
    while (!last && offset + 4 <= fileSize) {
        uint8_t header[4];
        if (reader.seek(offset) != offset || reader.read(header, 4) != 4) {
            break;
        }
        const uint8_t type = header[0] & 0x7F;
        const uint32_t length = readBe24(header + 1);
        if (type == kInvalidType || int64_t(length) > fileSize - offset - 4) {
            break;
        }
        if (spans.empty()) {
            streamInfo.resize(length);
            if (type != kStreamInfo || length < 34 ||
                reader.read(streamInfo.data(), static_cast<int>(length)) != static_cast<int>(length) ||
                !validStreamInfo(streamInfo.data())) {
                break;
            }
        } else if (sound && (type == kStreamInfo || type > kLastKnownType)) {
            *sound = false;
        }
        last = (header[0] & 0x80) != 0;
        spans.push_back({type, last, offset + 4, length});
        offset += 4 + int64_t(length);
    }
    end = offset;
    return !spans.empty();
}

// CRC-8 (polynomial 0x07) of a frame header and CRC-16 (polynomial 0x8005) of a whole
// frame, both most significant bit first from 0.
uint8_t crc8(const uint8_t* data, size_t length) {
    uint8_t crc = 0;
    for (size_t i = 0; i < length; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit) {
            crc = static_cast<uint8_t>((crc & 0x80) ? (crc << 1) ^ 0x07 : crc << 1);
        }
    }
    return crc;
}

struct Crc16Table {
    uint16_t values[256];
    constexpr Crc16Table() : values() {
        for (int byte = 0; byte < 256; ++byte) {
            uint16_t crc = static_cast<uint16_t>(byte << 8);
            for (int bit = 0; bit < 8; ++bit) {
                crc = static_cast<uint16_t>((crc & 0x8000) ? (crc << 1) ^ 0x8005 : crc << 1);
            }
            values[byte] = crc;
        }
    }
};
constexpr Crc16Table kCrc16;

uint16_t crc16(const uint8_t* data, size_t length) {
    uint16_t crc = 0;
    for (size_t i = 0; i < length; ++i) {
        crc = static_cast<uint16_t>((crc << 8) ^ kCrc16.values[(crc >> 8) ^ data[i]]);
    }
    return crc;
}

// Whether a frame header starts at p (sync code, no reserved value, its CRC-8 right).
bool frameHeaderAt(const uint8_t* p, size_t available) {
    if (available < 6 || p[0] != 0xFF || (p[1] & 0xFE) != 0xF8) {
        return false;
    }
    const int blockSizeCode = p[2] >> 4;
    const int sampleRateCode = p[2] & 0x0F;
    if (blockSizeCode == 0 || sampleRateCode == 15 || (p[3] >> 4) > 10 || (p[3] & 1)) {
        return false;
    }
    // The frame or sample number, coded as UTF-8 is: its first byte says how many follow.
    size_t at = 4;
    int following = 0;
    for (uint8_t mask = 0x80; (p[at] & mask) && mask > 1; mask >>= 1) {
        ++following;
    }
    if (following == 1 || p[at] == 0xFF) {
        return false;
    }
    following = following == 0 ? 0 : following - 1;
    for (int i = 1; i <= following; ++i) {
        if (at + i >= available || (p[at + i] & 0xC0) != 0x80) {
            return false;
        }
    }
    at += 1 + following;
    at += blockSizeCode == 6 ? 1 : blockSizeCode == 7 ? 2 : 0;
    at += sampleRateCode == 12 ? 1 : (sampleRateCode == 13 || sampleRateCode == 14) ? 2 : 0;
    return at < available && crc8(p, at) == p[at];
}

// The start of a frame that ends exactly at `end` of the buffer (its CRC-16 over the
// frame is in its last two bytes), searched back from the end; -1 when none does.
int64_t frameEndingAt(const std::vector<uint8_t>& bytes, size_t end) {
    constexpr int kCandidates = 16; // headers tried: a real last frame is among the first
    constexpr size_t kSmallestFrame = 8;
    if (end < kSmallestFrame) {
        return -1;
    }
    const uint16_t stored = static_cast<uint16_t>((bytes[end - 2] << 8) | bytes[end - 1]);
    int tried = 0;
    for (size_t p = end - kSmallestFrame + 1; p-- > 0 && tried < kCandidates;) {
        if (frameHeaderAt(bytes.data() + p, end - p)) {
            ++tried;
            if (crc16(bytes.data() + p, end - p - 2) == stored) {
                return static_cast<int64_t>(p);
            }
        }
    }
    return -1;
}

} // namespace

FlacTag::FlacTag(IByteStream* stream, int& result) : TagHandler(stream) {
    result = reload();
}

bool FlacTag::streamCovers(IByteStream* stream, int64_t blockStart, int64_t end) {
    if (!stream || blockStart < 0 || end <= blockStart) {
        return false;
    }
    BufferedReadStream reader(stream);
    const int64_t marker = findMarker(stream, reader);
    std::vector<BlockSpan> spans;
    int64_t framesStart = 0;
    std::vector<uint8_t> streamInfo;
    if (marker < 0 || !walkBlocks(reader, marker, stream->size(), spans, framesStart, streamInfo)) {
        return false;
    }
    if (blockStart < framesStart) {
        return true; // metadata, not a tag behind the stream
    }
    // Frames back from `end`, one ending where the next begins, until one covers the
    // block's start: tiny frames (of silence, say) may all lie inside the block.
    const uint32_t maxFrame = readBe24(streamInfo.data() + 7);
    const int64_t window = maxFrame > 0 ? int64_t(maxFrame) + 16 : int64_t(1) << 20;
    const int64_t from = std::max(framesStart, blockStart - window);
    const std::vector<uint8_t> bytes = readRange(stream, from, end - from);
    if (static_cast<int64_t>(bytes.size()) != end - from) {
        return false;
    }
    size_t frameEnd = bytes.size();
    for (int frames = 0; frames < 256; ++frames) {
        const int64_t start = frameEndingAt(bytes, frameEnd);
        if (start < 0) {
            return false;
        }
        if (from + start <= blockStart) {
            return true;
        }
        frameEnd = static_cast<size_t>(start);
    }
    return false;
}

int FlacTag::reload() {
    items_.clear();
    otherBlocks_.clear();
    keptPictures_.clear();
    keptComments_.clear();
    vendor_.clear();
    hadTagBlocks_ = false;
    if (!stream_) {
        return -1;
    }
    leadEnd_ = audioStartAfterId3v2(stream_);
    BufferedReadStream reader(stream_);
    markerOffset_ = findMarker(stream_, reader);
    std::vector<BlockSpan> spans;
    int64_t end = 0;
    std::vector<uint8_t> streamInfo;
    if (markerOffset_ < 0 ||
        !walkBlocks(reader, markerOffset_, stream_->size(), spans, end, streamInfo, &chainSound_)) {
        return -1;
    }
    bool seen[FieldPicture + 1] = {};
    bool frontCover = false;
    std::vector<uint8_t> coverBlock; // the block the cover was read from
    for (const BlockSpan& span : spans) {
        std::vector<uint8_t> body(span.length);
        if (span.length > 0 && (reader.seek(span.bodyAt) != span.bodyAt ||
                                reader.read(body.data(), static_cast<int>(span.length)) != int(span.length))) {
            end = span.bodyAt - 4;
            break;
        }
        if (span.type == kVorbisComment) {
            readCommentBlock(body, seen);
        } else if (span.type == kPicture) {
            readPictureBlock(std::move(body), seen, frontCover, coverBlock);
        } else if (span.type != kPadding) {
            otherBlocks_.push_back({span.type, std::move(body)});
        }
    }
    areaLength_ = end - markerOffset_;
    return 0;
}

void FlacTag::readCommentBlock(const std::vector<uint8_t>& body, bool seen[]) {
    hadTagBlocks_ = true;
    std::string vendor;
    parseVorbisComments(body.data(), body.size(), items_, SlotFlac, vendor, keptComments_, seen);
    if (vendor_.empty()) {
        vendor_ = vendor;
    }
}

void FlacTag::readPictureBlock(std::vector<uint8_t> body, bool seen[], bool& frontCover,
                               std::vector<uint8_t>& coverBlock) {
    hadTagBlocks_ = true;
    std::vector<uint8_t> image;
    uint32_t pictureType = 0;
    // Only an image a save writes back becomes the item; any other picture (a WebP
    // cover, say) stays a block of its own, or the next save would drop it.
    const bool readable = body.size() >= 4 && body.size() <= kMaxItemBytes &&
                          parsePictureBlock(body.data(), body.size(), image, pictureType) &&
                          imageKindOf(image.data(), image.size()) != ImageKind::None;
    const bool isFront = pictureType == 3;
    if (!readable || (seen[FieldPicture] && (!isFront || frontCover))) {
        keptPictures_.push_back({readable, std::move(body)});
        return;
    }
    if (seen[FieldPicture]) {
        // The earlier picture was not the front cover: it stays a picture block.
        for (int i = 0; i < items_.count(); ++i) {
            if (items_.getItem(i).field == FieldPicture) {
                items_.removeAt(i);
                break;
            }
        }
        keptPictures_.insert(keptPictures_.begin(), {true, std::move(coverBlock)});
    }
    coverBlock = body;
    items_.addBinary(SlotFlac, FieldPicture, static_cast<int>(image.size()), image.data());
    seen[FieldPicture] = true;
    frontCover = isFront;
}

bool FlacTag::metadataEndsAtFrames() const {
    // A frame header where the blocks' stated lengths end; otherwise, when a block runs
    // into the frames, a frame header stands further on, and rewriting the blocks would
    // take the start of the stream with them. Bytes behind the blocks that hold no frame
    // at all lose nothing.
    constexpr int64_t kChunk = 64 * 1024;
    constexpr int64_t kHeaderBytes = 16;
    const int64_t fileSize = stream_->size();
    for (int64_t at = markerOffset_ + areaLength_; at < fileSize; at += kChunk) {
        const std::vector<uint8_t> bytes = readRange(stream_, at, std::min(kChunk + kHeaderBytes, fileSize - at));
        if (bytes.empty()) {
            return false;
        }
        for (size_t i = 0; i < bytes.size() && i < size_t(kChunk); ++i) {
            if (frameHeaderAt(bytes.data() + i, bytes.size() - i)) {
                return at == markerOffset_ + areaLength_ && i == 0;
            }
        }
    }
    return true;
}

int FlacTag::save() {
    if (!stream_) {
        return -1;
    }
    items_.reduce(isBasicField);
    if (items_.count() == 0 && !hadTagBlocks_ && keptComments_.empty() && keptPictures_.empty() && !hasStrayLead()) {
        return 1;
    }
    if (!chainSound_ || !metadataEndsAtFrames()) {
        return -1;
    }
    std::vector<Block> blocks = otherBlocks_;
    blocks.push_back({kVorbisComment, buildVorbisComments(items_, keptComments_, vendor_, CommentKind::Flac)});
    bool hasCover = false;
    for (int i = 0; i < items_.count(); ++i) {
        const TagItem item = items_.getItem(i);
        if (item.field == FieldPicture) {
            blocks.push_back({kPicture, buildPictureBlock(item.data, static_cast<size_t>(item.length))});
            hasCover = true;
        }
    }
    for (const KeptPicture& picture : keptPictures_) {
        // A picture that would read back as the cover goes with it: the cover was cleared.
        if (hasCover || !picture.readable) {
            blocks.push_back({kPicture, picture.body});
        }
    }
    int64_t content = 4;
    for (const Block& block : blocks) {
        if (block.body.size() > kMaxBlockBody) {
            return -1; // FLAC cannot say a block this long; the file stays as it was
        }
        content += 4 + static_cast<int64_t>(block.body.size());
    }
    // Fill the old space (stray bytes in front of the marker included) exactly when the
    // blocks fit it, with a padding block of what is left; otherwise the file is rewritten
    // with fresh padding.
    int64_t padding = -1;
    const int64_t oldSpan = markerOffset_ - leadEnd_ + areaLength_;
    const int64_t spare = oldSpan - content;
    if (spare == 0) {
        padding = -1;
    } else if (spare >= 4 && spare - 4 <= kMaxKeptPadding && spare - 4 <= kMaxBlockBody) {
        padding = spare - 4;
    } else {
        padding = kNewPadding;
    }
    if (padding >= 0) {
        blocks.push_back({kPadding, std::vector<uint8_t>(static_cast<size_t>(padding), 0)});
    }
    std::vector<uint8_t> area;
    area.reserve(static_cast<size_t>(content + padding + 8));
    putText(area, "fLaC");
    for (size_t i = 0; i < blocks.size(); ++i) {
        const bool isLast = i + 1 == blocks.size();
        area.push_back(uint8_t((isLast ? 0x80 : 0) | blocks[i].type));
        putBe24(area, static_cast<uint32_t>(blocks[i].body.size()));
        area.insert(area.end(), blocks[i].body.begin(), blocks[i].body.end());
    }
    if (replaceFileRange(stream_, leadEnd_, oldSpan, area.data(), static_cast<int64_t>(area.size())) != 0) {
        return -1;
    }
    markerOffset_ = leadEnd_;
    areaLength_ = static_cast<int64_t>(area.size());
    hadTagBlocks_ = true;
    return 0;
}

} // namespace calvorine::tags
