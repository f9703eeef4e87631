#include "tags/flactag.h"

#include "tags/probes.h"

#include <cstring>

namespace calvorine::tags {

namespace {

constexpr uint8_t kStreamInfo = 0;
constexpr uint8_t kPadding = 1;
constexpr uint8_t kVorbisComment = 4;
constexpr uint8_t kPicture = 6;
constexpr uint8_t kInvalidType = 127; // also what the first byte of an audio frame reads as
constexpr uint32_t kMaxBlockBody = (1u << 24) - 1;
constexpr int64_t kNewPadding = 4096;
constexpr int64_t kMaxKeptPadding = 64 * 1024;

} // namespace

FlacTag::FlacTag(IByteStream* stream, int& result) : TagHandler(stream) {
    result = reload();
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
    int64_t start = audioStartAfterId3v2(stream_);
    BufferedReadStream reader(stream_);
    int64_t at = start;
    markerOffset_ = -1;
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
            markerOffset_ = at;
            break;
        }
        if (std::memcmp(head, "FLAC", 4) == 0 && head[4] == 1) {
            at += 8;
            continue;
        }
        return -1; // "OggS" (Ogg FLAC) or anything else
    }
    if (markerOffset_ < 0) {
        return -1;
    }

    const int64_t fileSize = stream_->size();
    int64_t offset = markerOffset_ + 4;
    bool streamInfoValid = false;
    bool last = false;
    bool seen[FieldPicture + 1] = {};
    bool frontCover = false;
    std::vector<uint8_t> coverBlock; // the block the cover was read from
    while (!last && offset + 4 <= fileSize) {
        uint8_t header[4];
        if (reader.seek(offset) != offset || reader.read(header, 4) != 4) {
            break;
        }
        const uint8_t type = header[0] & 0x7F;
        const uint32_t length = readBe24(header + 1);
        // Without the last-block flag the walk must stop where the audio begins.
        if (type == kInvalidType || int64_t(length) > fileSize - offset - 4) {
            break;
        }
        if (!streamInfoValid) {
            if (type != kStreamInfo || length < 34) {
                break;
            }
        }
        last = (header[0] & 0x80) != 0;
        std::vector<uint8_t> body(length);
        if (length > 0 && reader.read(body.data(), static_cast<int>(length)) != static_cast<int>(length)) {
            break;
        }
        offset += 4 + int64_t(length);
        if (type == kStreamInfo && !streamInfoValid) {
            const uint32_t sampleRate = (uint32_t(body[10]) << 12) | (uint32_t(body[11]) << 4) | (body[12] >> 4);
            const int bitsPerSample = (((body[12] & 1) << 4) | (body[13] >> 4)) + 1;
            if (sampleRate < 1 || sampleRate > 655350 || bitsPerSample < 4) {
                break;
            }
            streamInfoValid = true;
            otherBlocks_.push_back({type, std::move(body)});
        } else if (type == kVorbisComment) {
            hadTagBlocks_ = true;
            std::string vendor;
            parseVorbisComments(body.data(), body.size(), items_, SlotFlac, vendor, keptComments_, seen);
            if (vendor_.empty()) {
                vendor_ = vendor;
            }
        } else if (type == kPicture) {
            hadTagBlocks_ = true;
            std::vector<uint8_t> image;
            uint32_t pictureType = 0;
            // Only an image a save writes back becomes the item; any other picture (a
            // WebP cover, say) stays a block of its own, or the next save would drop it.
            const bool readable = body.size() >= 4 && body.size() <= kMaxItemBytes &&
                                  parsePictureBlock(body.data(), body.size(), image, pictureType) &&
                                  imageKindOf(image.data(), image.size()) != ImageKind::None;
            const bool isFront = pictureType == 3;
            if (readable && (!seen[FieldPicture] || (isFront && !frontCover))) {
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
            } else {
                keptPictures_.push_back({readable, std::move(body)});
            }
        } else if (type != kPadding) {
            otherBlocks_.push_back({type, std::move(body)});
        }
    }
    if (!streamInfoValid) {
        return -1;
    }
    areaLength_ = offset - markerOffset_;
    return 0;
}

int FlacTag::save() {
    if (!stream_) {
        return -1;
    }
    items_.reduce(isBasicField);
    if (items_.count() == 0 && !hadTagBlocks_ && keptComments_.empty() && keptPictures_.empty()) {
        return 1;
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
    // Fill the old space exactly when the blocks fit it, with a padding block of what is
    // left; otherwise the file is rewritten with fresh padding.
    int64_t padding = -1;
    const int64_t spare = areaLength_ - content;
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
    if (replaceFileRange(stream_, markerOffset_, areaLength_, area.data(), static_cast<int64_t>(area.size())) != 0) {
        return -1;
    }
    areaLength_ = static_cast<int64_t>(area.size());
    hadTagBlocks_ = true;
    return 0;
}

} // namespace calvorine::tags
