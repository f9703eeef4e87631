// Metadata items of an MP4/M4A file: moov/udta/meta/ilst (and item atoms placed straight
// in udta), rewritten as one new udta with chunk offsets kept right.
#pragma once

#include "tags/taghandler.h"

namespace calvorine::tags {

struct Mp4Atom;

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
    // The steps of reading: the top-level walk to moov (noting the fragment boxes), moov's
    // udta (false without one), a meta atom's ilst, and one item's payload (false when it
    // does not serve, so that the atom is kept as it is; seen[field] once it has one).
    bool findMoov();
    bool findUdta(const std::vector<uint8_t>& moov, Mp4Atom& udta);
    void readMeta(const std::vector<uint8_t>& moov, const Mp4Atom& meta, bool seen[]);
    bool decodeItem(const uint8_t* type, int field, const uint8_t* payload, size_t length, bool direct, bool seen[]);

    // The steps of a save: the new ilst (written[] tells which fields it holds), the new
    // udta around it (empty when nothing is left for it), its padding (false when it
    // grows past what a 32-bit size says), moov's new size, and the chunk offsets that
    // move with the media.
    std::vector<uint8_t> buildItemList(bool written[]) const;
    std::vector<uint8_t> buildUdta(const std::vector<uint8_t>& ilst, const bool written[]) const;
    bool padUdta(std::vector<uint8_t>& udta) const;
    ByteEdit moovSizeEdit(int64_t newMoovSize) const;
    // Adds the stco/co64 entries behind moov's start, moved by delta, to `edits`; false
    // when an entry no longer fits, or when the media behind moov would move while a
    // track's chunk-offset table cannot be reached.
    bool shiftChunkOffsets(int64_t delta, std::vector<ByteEdit>& edits);
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
    bool topLevelWhole_ = true; // the top-level walk reached the end of the file

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
