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
    // When moov changes size in a fragmented file, the fragments' absolute offsets
    // (tfra entries, explicit tfhd base offsets) and a sidx in front of moov are moved
    // with them; a file whose indexes cannot be kept right is refused (-1, unchanged).
    int save() override;

private:
    // Adds to `edits` the fragment boxes whose offsets change when moov grows by delta;
    // false when one does not parse or an offset no longer fits.
    bool shiftFragmentOffsets(int64_t delta, std::vector<ByteEdit>& edits);

    // A top-level moof, mfra or sidx: where it is.
    struct FragmentBox {
        int64_t offset;
        int64_t size;
        int64_t header;
    };
    std::vector<FragmentBox> fragmentBoxes_;

    int64_t moovOffset_ = 0;
    int64_t moovSize_ = 0;
    int64_t moovHeader_ = 8; // 16 with a 64-bit size
    int64_t udtaOffset_ = 0;
    int64_t udtaSize_ = 0; // 0 without udta
    // Where a new udta goes: the end of moov's last whole child. A damaged child (one
    // longer than what is left of moov, or one sized "to the end") stays behind it, so
    // that the grown moov does not give it the new atom. (A damaged udta is the tag's.)
    int64_t udtaInsertAt_ = 0;
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
