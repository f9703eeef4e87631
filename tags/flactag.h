// VORBIS_COMMENT and PICTURE metadata blocks of a native FLAC stream.
#pragma once

#include "tags/taghandler.h"
#include "tags/vorbiscomments.h"

namespace calvorine::tags {

class FlacTag : public TagHandler {
public:
    // result -1 when the stream is not native FLAC.
    FlacTag(IByteStream* stream, int& result);
    int reload() override;
    // Uses the stream's padding when the new blocks fit it; refuses (-1, file unchanged)
    // a block larger than FLAC can say (16 MiB), such as a cover that big. The blocks are
    // written right behind a leading ID3v2 tag (or at the start): bytes that stood in
    // front of "fLaC" there go, as decoders do not skip them. Refused too when a block
    // runs into the frames (the rewrite would cut the first one), or when the chain holds
    // a second STREAMINFO or a block of an unknown type: its blocks cannot be told apart
    // from what a wrong length ran into, and writing them back leaves a file no decoder
    // reads.
    int save() override;
    // Whether bytes (zeros, an old "FLAC" header) stand between the leading ID3v2 tag, or
    // the start, and "fLaC": a save of any tag of the file must rewrite the blocks then.
    bool hasStrayLead() const { return markerOffset_ > leadEnd_; }
    // Whether the stream's own bytes cover [blockStart, end): its metadata blocks reach
    // past blockStart, or its frames run on to `end` (the last one's CRC-16 says it ends
    // there) from before blockStart. Such bytes are never a tag behind the stream.
    static bool streamCovers(IByteStream* stream, int64_t blockStart, int64_t end);

private:
    // Whether the first frame begins where the metadata blocks' stated lengths end, or no
    // frame follows them at all: false when the last block runs into the frames.
    bool metadataEndsAtFrames() const;
    void readCommentBlock(const std::vector<uint8_t>& body, bool seen[]);
    void readPictureBlock(std::vector<uint8_t> body, bool seen[], bool& frontCover, std::vector<uint8_t>& coverBlock);

    struct Block {
        uint8_t type;
        std::vector<uint8_t> body;
    };
    int64_t leadEnd_ = 0; // end of the leading ID3v2 tag, 0 without one
    int64_t markerOffset_ = 0;
    int64_t areaLength_ = 0; // from the marker to the end of the last metadata block
    bool hadTagBlocks_ = false;
    bool chainSound_ = true;
    std::string vendor_;
    std::vector<Block> otherBlocks_; // STREAMINFO, SEEKTABLE, ... in file order (no padding)
    // PICTURE bodies beyond the cover; readable: one that would be read as the cover
    // once there is no other.
    struct KeptPicture {
        bool readable;
        std::vector<uint8_t> body;
    };
    std::vector<KeptPicture> keptPictures_;
    KeptComments keptComments_;
};

} // namespace calvorine::tags
