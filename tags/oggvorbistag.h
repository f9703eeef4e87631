// The comment header of the Vorbis stream in an Ogg file.
#pragma once

#include "tags/taghandler.h"
#include "tags/vorbiscomments.h"

namespace calvorine::tags {

struct OggPageHeader;

class OggVorbisTag : public TagHandler {
public:
    // result -1 when the stream holds no Ogg Vorbis stream.
    OggVorbisTag(IByteStream* stream, int& result);
    int reload() override;
    // Repacks the comment and setup headers into new pages in place of the old ones and
    // renumbers the stream's later pages when the page count changes.
    int save() override;

private:
    struct Packet {
        std::vector<uint8_t> bytes;
        int firstPage = 0; // indexes into pages_
        int lastPage = 0;
        bool endsPage = false; // the page's last segment ends this packet
    };
    struct PageInfo {
        int64_t offset;
        int64_t length;
        uint32_t serial;
        uint32_t sequence;
        uint8_t headerType;
    };

    // The steps of reading: the first page behind a leading ID3v2 tag (-1 without one in
    // the first 4 KiB), and the packets (or their parts) a page of the stream carries,
    // whose bytes it returns.
    int64_t firstPageOffset();
    int64_t takePackets(const OggPageHeader& page, const std::vector<uint8_t>& body, int pageIndex, Packet& current,
                        bool& inPacket);

    // The steps of a save: the new comment packet; the region's pages of other streams
    // (kept, behind the new pages) and the count and bytes of ours; padding that lets the
    // new pages take the old ones' place; new sequence numbers for the stream's later
    // pages (false when a page cannot be read).
    std::vector<uint8_t> buildCommentPacket() const;
    bool collectRegionPages(int firstPage, int lastPage, std::vector<uint8_t>& others, int& oldPages,
                            int64_t& oldOurBytes) const;
    static void padToOldPages(std::vector<uint8_t>& comment, size_t setupLength, int64_t oldOurBytes, int oldPages);
    bool renumberLaterPages(int64_t regionEnd, int64_t change, std::vector<ByteEdit>& edits) const;

    uint32_t serial_ = 0;
    std::vector<PageInfo> pages_; // every page from the identification page to the last header page
    std::vector<Packet> packets_; // the header packets of the Vorbis stream, at most three
    bool hasComment_ = false;
    std::string vendor_;
    KeptComments keptComments_;
};

} // namespace calvorine::tags
