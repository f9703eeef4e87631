// ID3v2 tag at the start of mp3, aac, ape and flac files (reads 2.2, 2.3 and 2.4).
#pragma once

#include "tags/taghandler.h"

#include <string>

namespace calvorine::tags {

class Id3v2Tag : public TagHandler {
public:
    // Parses at once; result is 0 (an absent tag is an empty list) or -1 without a stream.
    // Items get the given slot (an ID3v2 blob inside an ASF attribute lends its items).
    Id3v2Tag(IByteStream* stream, int& result, int slot = SlotId3v2);

    int reload() override;
    // Writes version 2.3, or 2.4 when the file's tag was 2.4 (so that the frames it keeps
    // stay valid), with UTF-16 text. Frames it does not model are written back as they were.
    int save() override;

    int64_t tagLength() const { return tagLength_; }

private:
    struct Frame {
        std::string id;
        uint8_t flags[2];
        std::vector<uint8_t> data;
        int field = -1; // a second value of this field, which a parse takes when it has no other
    };
    struct Candidate; // a frame that can give its field's item
    int parse();
    // Reading the frames: each frame of the tag's body in order, with the candidates for
    // items among them; the content a frame's flags leave to decode (its field, or -1
    // when it is kept as it is: compressed, encrypted, grouped); then one item per field.
    void parseFrames(const std::vector<uint8_t>& body, int version);
    static void readFrames(const std::vector<uint8_t>& body, int version, std::vector<Candidate>& candidates,
                           std::vector<Frame>& frames);
    static int frameContent(const Frame& frame, int version, std::vector<uint8_t>& plain, const uint8_t*& content,
                            size_t& contentSize);
    void chooseItems(const std::vector<Candidate>& candidates, std::vector<Frame>& frames);
    // Writing: the frames of the items and the kept frames (false when one is larger
    // than a tag can say), one item's frame, and the removal of the tag (and of those
    // stacked behind it) when no frame is left.
    void putFrameHeader(std::vector<uint8_t>& frames, const char* id, size_t size, const uint8_t* flags) const;
    bool buildFrames(std::vector<uint8_t>& frames) const;
    bool appendItemFrame(std::vector<uint8_t>& frames, int i) const;
    int removeTags(int64_t oldLength, int64_t fileSize);

    int slot_;
    int64_t tagLength_ = 0;
    int version_ = 3;
    std::vector<Frame> kept_; // frames not modelled by the item list, in file order
    // The cover's frame when its image is of a type a save cannot name: written back as
    // it was while the picture item still holds coverImage_.
    Frame coverFrame_;
    std::vector<uint8_t> coverImage_;
};

} // namespace calvorine::tags
