// Metadata items of an MP4/M4A file: moov/udta/meta/ilst (and item atoms placed straight
// in udta), rewritten as one new udta with chunk offsets kept right.
#pragma once

#include "tags/taghandler.h"

namespace calvorine::tags {

class Mp4Tag : public TagHandler {
public:
    // result -1 when the stream is not an MP4 file with a moov atom.
    Mp4Tag(IByteStream* stream, int& result);
    int reload() override;
    // Refuses (-1, file unchanged) to move the media of a fragmented file, whose
    // fragments point at absolute offsets.
    int save() override;

private:
    int64_t moovOffset_ = 0;
    int64_t moovSize_ = 0;
    int64_t moovHeader_ = 8; // 16 with a 64-bit size
    int64_t udtaOffset_ = 0;
    int64_t udtaSize_ = 0; // 0 without udta
    // Where a new udta goes: the end of moov's last whole child. A damaged child (one
    // longer than what is left of moov, or one sized "to the end") stays behind it, so
    // that the grown moov does not give it the new atom. (A damaged udta is the tag's.)
    int64_t udtaInsertAt_ = 0;
    bool fragmented_ = false;
    bool laterUdta_ = false;                             // moov holds a second udta, which the first one hides
    std::vector<std::vector<uint8_t>> keptUdtaChildren_; // chapters and the like, whole
    std::vector<std::vector<uint8_t>> keptMetaChildren_; // meta children but hdlr and ilst
    std::vector<std::vector<uint8_t>> keptItems_;        // ilst atoms not modelled, whole
    std::vector<std::vector<uint8_t>> keptCovers_;       // further data atoms of the cover
    // The cover's type and locale words when its image is of a type a save cannot name:
    // written back with it while the picture item still holds coverImage_.
    std::vector<uint8_t> coverTypeAndLocale_;
    std::vector<uint8_t> coverImage_;
};

} // namespace calvorine::tags
