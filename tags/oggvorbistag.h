// The comment header of the Vorbis stream in an Ogg file.
#pragma once

#include "tags/taghandler.h"
#include "tags/vorbiscomments.h"

namespace calvorine::tags {

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

    uint32_t serial_ = 0;
    std::vector<PageInfo> pages_; // every page from the identification page to the last header page
    std::vector<Packet> packets_; // the header packets of the Vorbis stream, at most three
    bool hasComment_ = false;
    std::string vendor_;
    KeptComments keptComments_;
};

} // namespace calvorine::tags
