#include "tags/oggvorbistag.h"

#include "tags/probes.h"

#include <ogg/ogg.h>

#include <algorithm>
#include <cstring>

namespace calvorine::tags {

// One Ogg page's header as read: where it is, its fields and its lacing values.
struct OggPageHeader {
    int64_t offset = 0;
    uint8_t headerType = 0;
    uint32_t serial = 0;
    uint32_t sequence = 0;
    uint8_t lacing[255];
    int segments = 0;
    int64_t headerBytes = 0;
    int64_t bodyBytes = 0;
    int64_t end() const { return offset + headerBytes + bodyBytes; }
};

namespace {

constexpr int64_t kMaxHeaderBytes = 64 * 1024 * 1024;
// Zero bytes behind the comment packet's framing bit (which readers stop at) leave room
// for the next save to rewrite the pages in place.
constexpr size_t kNewPadding = 1024;
constexpr int64_t kMaxKeptPadding = 16 * 1024;
constexpr uint8_t kContinued = 0x01;
constexpr uint8_t kBeginOfStream = 0x02;
constexpr uint8_t kEndOfStream = 0x04;

using PageHeader = OggPageHeader;

bool readPageHeader(IByteStream* stream, int64_t offset, int64_t fileSize, PageHeader& page) {
    uint8_t header[27];
    if (offset + 27 > fileSize || !readAt(stream, offset, header, 27) || std::memcmp(header, "OggS", 4) != 0 ||
        header[4] != 0) {
        return false;
    }
    page.offset = offset;
    page.headerType = header[5];
    page.serial = readLe32(header + 14);
    page.sequence = readLe32(header + 18);
    page.segments = header[26];
    if (page.segments > 0 && stream->read(page.lacing, page.segments) != page.segments) {
        return false;
    }
    page.headerBytes = 27 + page.segments;
    page.bodyBytes = 0;
    for (int i = 0; i < page.segments; ++i) {
        page.bodyBytes += page.lacing[i];
    }
    return page.end() <= fileSize;
}

void setPageChecksum(std::vector<uint8_t>& page, size_t headerBytes) {
    ogg_page view;
    view.header = page.data();
    view.header_len = static_cast<long>(headerBytes);
    view.body = page.data() + headerBytes;
    view.body_len = static_cast<long>(page.size() - headerBytes);
    ogg_page_checksum_set(&view);
}

// Lays packets into pages of at most 255 segments each. Pages on which no packet ends
// carry granule position -1, as Ogg asks.
std::vector<uint8_t> buildPages(const std::vector<const std::vector<uint8_t>*>& packets, uint32_t serial,
                                uint32_t firstSequence, bool endOfStream, int& pageCount) {
    struct Segment {
        uint8_t value;
        bool endsPacket;
        size_t packet;
        size_t offset;
    };
    std::vector<Segment> segments;
    for (size_t p = 0; p < packets.size(); ++p) {
        const size_t length = packets[p]->size();
        size_t offset = 0;
        for (size_t n = 0; n < length / 255; ++n, offset += 255) {
            segments.push_back({255, false, p, offset});
        }
        segments.push_back({uint8_t(length % 255), true, p, offset});
    }
    std::vector<uint8_t> out;
    pageCount = 0;
    size_t next = 0;
    bool continued = false;
    while (next < segments.size()) {
        const size_t count = std::min<size_t>(255, segments.size() - next);
        std::vector<uint8_t> page;
        putText(page, "OggS");
        page.push_back(0);
        const bool lastPage = next + count == segments.size();
        page.push_back(uint8_t((continued ? kContinued : 0) | (lastPage && endOfStream ? kEndOfStream : 0)));
        bool anyEnds = false;
        for (size_t i = next; i < next + count; ++i) {
            anyEnds = anyEnds || segments[i].endsPacket;
        }
        putLe64(page, anyEnds ? 0 : ~uint64_t(0));
        putLe32(page, serial);
        putLe32(page, firstSequence + static_cast<uint32_t>(pageCount));
        putLe32(page, 0);
        page.push_back(uint8_t(count));
        for (size_t i = next; i < next + count; ++i) {
            page.push_back(segments[i].value);
        }
        const size_t headerBytes = page.size();
        for (size_t i = next; i < next + count; ++i) {
            const Segment& s = segments[i];
            putBytes(page, packets[s.packet]->data() + s.offset, s.value);
        }
        setPageChecksum(page, headerBytes);
        out.insert(out.end(), page.begin(), page.end());
        continued = !segments[next + count - 1].endsPacket;
        next += count;
        ++pageCount;
    }
    return out;
}

// The bytes and page count buildPages gives for packets of these lengths.
int64_t pagedSize(const std::vector<size_t>& lengths, int& pageCount) {
    int64_t segments = 0;
    int64_t body = 0;
    for (size_t length : lengths) {
        segments += static_cast<int64_t>(length / 255 + 1);
        body += static_cast<int64_t>(length);
    }
    pageCount = static_cast<int>((segments + 254) / 255);
    return body + segments + 27 * int64_t(pageCount);
}

bool isVorbisHeader(const std::vector<uint8_t>& packet, uint8_t type) {
    return packet.size() >= 7 && packet[0] == type && std::memcmp(packet.data() + 1, "vorbis", 6) == 0;
}

} // namespace

OggVorbisTag::OggVorbisTag(IByteStream* stream, int& result) : TagHandler(stream) {
    result = reload();
}

int OggVorbisTag::reload() {
    items_.clear();
    pages_.clear();
    packets_.clear();
    keptComments_.clear();
    vendor_.clear();
    hasComment_ = false;
    if (!stream_) {
        return -1;
    }
    const int64_t fileSize = stream_->size();
    int64_t offset = firstPageOffset();
    if (offset < 0) {
        return -1;
    }

    bool found = false;
    Packet current;
    bool inPacket = false;
    int64_t headerBytes = 0;
    PageHeader page;
    while (packets_.size() < 3 && readPageHeader(stream_, offset, fileSize, page)) {
        if (!found) {
            if (!(page.headerType & kBeginOfStream)) {
                return -1; // past the stream starts without finding Vorbis
            }
            uint8_t id[7];
            if (page.bodyBytes >= 7 && readAt(stream_, offset + page.headerBytes, id, 7) && id[0] == 1 &&
                std::memcmp(id + 1, "vorbis", 6) == 0) {
                found = true;
                serial_ = page.serial;
            }
        }
        if (found && page.serial == serial_) {
            const int pageIndex = static_cast<int>(pages_.size());
            pages_.push_back({offset, page.end() - offset, page.serial, page.sequence, page.headerType});
            std::vector<uint8_t> body = readRange(stream_, offset + page.headerBytes, page.bodyBytes);
            if (static_cast<int64_t>(body.size()) != page.bodyBytes) {
                break;
            }
            headerBytes += takePackets(page, body, pageIndex, current, inPacket);
            if (headerBytes > kMaxHeaderBytes) {
                break;
            }
        } else if (found) {
            pages_.push_back({offset, page.end() - offset, page.serial, page.sequence, page.headerType});
        }
        offset = page.end();
    }
    if (!found) {
        return -1;
    }
    if (packets_.size() >= 2 && isVorbisHeader(packets_[1].bytes, 3)) {
        hasComment_ = true;
        const std::vector<uint8_t>& packet = packets_[1].bytes;
        bool seen[FieldPicture + 1] = {};
        parseVorbisComments(packet.data() + 7, packet.size() - 7, items_, SlotOggVorbis, vendor_, keptComments_, seen);
    }
    return 0;
}

int64_t OggVorbisTag::firstPageOffset() {
    int64_t start = audioStartAfterId3v2(stream_);
    std::vector<uint8_t> head(4096 + 3);
    if (stream_->seek(start) != start) {
        return -1;
    }
    const int got = stream_->read(head.data(), static_cast<int>(head.size()));
    for (int i = 0; i + 4 <= got; ++i) {
        if (std::memcmp(head.data() + i, "OggS", 4) == 0) {
            return start + i;
        }
    }
    return -1;
}

int64_t OggVorbisTag::takePackets(const OggPageHeader& page, const std::vector<uint8_t>& body, int pageIndex,
                                  Packet& current, bool& inPacket) {
    int64_t headerBytes = 0;
    size_t at = 0;
    for (int s = 0; s < page.segments && packets_.size() < 3; ++s) {
        if (!inPacket) {
            current = Packet{};
            current.firstPage = pageIndex;
            inPacket = true;
        }
        current.bytes.insert(current.bytes.end(), body.begin() + static_cast<std::ptrdiff_t>(at),
                             body.begin() + static_cast<std::ptrdiff_t>(at + page.lacing[s]));
        at += page.lacing[s];
        headerBytes += page.lacing[s];
        if (page.lacing[s] < 255) {
            current.lastPage = pageIndex;
            current.endsPage = s + 1 == page.segments;
            packets_.push_back(std::move(current));
            inPacket = false;
        }
    }
    return headerBytes;
}

int OggVorbisTag::save() {
    if (!stream_) {
        return -1;
    }
    items_.reduce(isBasicField);
    if (items_.count() == 0 && !hasComment_ && keptComments_.empty()) {
        return 1;
    }
    // The identification header must sit alone on its page, and the packets replaced
    // must end their last page: Vorbis starts audio on a fresh page.
    if (packets_.empty() || !packets_[0].endsPage || packets_[0].firstPage != packets_[0].lastPage) {
        return -1;
    }
    const size_t replacedCount = hasComment_ ? 2 : 1;
    if (packets_.size() < 1 + replacedCount || !packets_[replacedCount].endsPage) {
        return -1;
    }
    const int firstPage = packets_[1].firstPage;
    const int lastPage = packets_[replacedCount].lastPage;
    if (firstPage != packets_[0].lastPage + 1) {
        return -1;
    }
    std::vector<uint8_t> comment = buildCommentPacket();
    std::vector<const std::vector<uint8_t>*> packets{&comment};
    packets.push_back(&packets_[replacedCount].bytes);

    // Pages of other streams inside the region keep their bytes, behind the new pages:
    // ahead of them they would part the comment from the identification header, and the
    // next save would have to refuse the file.
    std::vector<uint8_t> others;
    int oldPages = 0;
    int64_t oldOurBytes = 0;
    if (!collectRegionPages(firstPage, lastPage, others, oldPages, oldOurBytes)) {
        return -1;
    }
    int newPages = 0;
    const bool endOfStream = (pages_[lastPage].headerType & kEndOfStream) != 0;
    const uint32_t firstSequence = pages_[packets_[0].lastPage].sequence + 1;
    padToOldPages(comment, packets_[replacedCount].bytes.size(), oldOurBytes, oldPages);
    std::vector<uint8_t> region = buildPages(packets, serial_, firstSequence, endOfStream, newPages);
    region.insert(region.end(), others.begin(), others.end());

    const int64_t regionStart = pages_[firstPage].offset;
    const int64_t regionEnd = pages_[lastPage].offset + pages_[lastPage].length;
    std::vector<ByteEdit> edits(1);
    edits[0].offset = regionStart;
    edits[0].oldLength = regionEnd - regionStart;
    edits[0].bytes = std::move(region);
    // Later pages of the stream follow on in sequence: renumber them, page by page.
    if (newPages != oldPages && !renumberLaterPages(regionEnd, int64_t(newPages) - oldPages, edits)) {
        return -1;
    }
    if (applyByteEdits(stream_, std::move(edits)) != 0) {
        return -1;
    }
    reload();
    return 0;
}

std::vector<uint8_t> OggVorbisTag::buildCommentPacket() const {
    std::vector<uint8_t> comment;
    comment.push_back(3);
    putText(comment, "vorbis");
    const std::vector<uint8_t> list = buildVorbisComments(items_, keptComments_, vendor_, CommentKind::Ogg);
    comment.insert(comment.end(), list.begin(), list.end());
    comment.push_back(1); // framing bit
    return comment;
}

bool OggVorbisTag::collectRegionPages(int firstPage, int lastPage, std::vector<uint8_t>& others, int& oldPages,
                                      int64_t& oldOurBytes) const {
    for (int i = firstPage; i <= lastPage; ++i) {
        if (pages_[i].serial != serial_) {
            const std::vector<uint8_t> bytes = readRange(stream_, pages_[i].offset, pages_[i].length);
            if (static_cast<int64_t>(bytes.size()) != pages_[i].length) {
                return false;
            }
            others.insert(others.end(), bytes.begin(), bytes.end());
        } else {
            ++oldPages;
            oldOurBytes += pages_[i].length;
        }
    }
    return true;
}

void OggVorbisTag::padToOldPages(std::vector<uint8_t>& comment, size_t setupLength, int64_t oldOurBytes, int oldPages) {
    int newPages = 0;
    const size_t bareLength = comment.size();
    std::vector<size_t> lengths{bareLength, setupLength};
    // Pad the packet so that its pages take exactly the old pages' place, when they fit.
    const int64_t spare = oldOurBytes - pagedSize(lengths, newPages);
    bool fitted = spare == 0 && newPages == oldPages;
    if (!fitted && spare > 0 && spare <= kMaxKeptPadding) {
        // Every 255 bytes of packet take one more lacing value.
        const int64_t estimate = spare * 255 / 256;
        for (int64_t padding = estimate + 2; padding >= std::max<int64_t>(0, estimate - 600) && !fitted; --padding) {
            lengths[0] = bareLength + static_cast<size_t>(padding);
            fitted = pagedSize(lengths, newPages) == oldOurBytes && newPages == oldPages;
        }
    }
    comment.resize(fitted ? lengths[0] : bareLength + kNewPadding, 0);
}

bool OggVorbisTag::renumberLaterPages(int64_t regionEnd, int64_t change, std::vector<ByteEdit>& edits) const {
    const int64_t fileSize = stream_->size();
    int64_t offset = regionEnd;
    PageHeader page;
    while (offset < fileSize) {
        if (!readPageHeader(stream_, offset, fileSize, page)) {
            // Lost sync: find the next capture pattern.
            uint8_t probe[4096 + 3];
            const int64_t chunk = std::min<int64_t>(sizeof probe, fileSize - offset - 1);
            if (chunk < 4 || !readAt(stream_, offset + 1, probe, chunk)) {
                break;
            }
            int64_t found = -1;
            for (int64_t i = 0; i + 4 <= chunk; ++i) {
                if (std::memcmp(probe + i, "OggS", 4) == 0) {
                    found = offset + 1 + i;
                    break;
                }
            }
            offset = found >= 0 ? found : offset + 1 + chunk - 3;
            continue;
        }
        if (page.serial == serial_) {
            std::vector<uint8_t> bytes = readRange(stream_, offset, page.end() - offset);
            if (static_cast<int64_t>(bytes.size()) != page.end() - offset) {
                return false;
            }
            setLe32(bytes.data() + 18, static_cast<uint32_t>(int64_t(page.sequence) + change));
            setPageChecksum(bytes, static_cast<size_t>(page.headerBytes));
            ByteEdit edit;
            edit.offset = offset + 18;
            edit.oldLength = 8;
            edit.bytes.assign(bytes.begin() + 18, bytes.begin() + 26);
            edits.push_back(std::move(edit));
        }
        offset = page.end();
    }
    return true;
}

} // namespace calvorine::tags
