// Tags of an ASF (WMA) file: the Content Description, the Extended Content Description
// and the Metadata Library inside the Header Extension, all in the Header Object.
#pragma once

#include "tags/taghandler.h"

namespace calvorine::tags {

class AsfTag : public TagHandler {
public:
    // result -1 when the stream does not start with an ASF Header Object.
    AsfTag(IByteStream* stream, int& result);
    int reload() override;
    // Rebuilds the Header Object. Refuses (-1, file unchanged) text longer than ASF's
    // 16-bit lengths can hold, and a header whose objects could not be read to its end.
    int save() override;

private:
    // What reading makes of an attribute: an item (or nothing, for a further value of a
    // field already read), something kept as it is, or a picture beyond the cover.
    enum class AttributeUse { Taken, Keep, ExtraPicture };

    // The objects of the Header Object that hold tags, from `offset` to `end` of the
    // header's bytes; seen[field] is set once a field has its item.
    void readContentDescription(const std::vector<uint8_t>& header, size_t offset, size_t end, bool seen[]);
    void readExtendedDescription(const std::vector<uint8_t>& header, size_t offset, size_t end, bool seen[]);
    // False when the Header Extension's objects do not end where it does.
    bool readHeaderExtension(const std::vector<uint8_t>& header, size_t offset, size_t end, bool seen[]);
    void readMetadataLibrary(const std::vector<uint8_t>& header, size_t offset, size_t end, bool seen[]);
    AttributeUse decodeAttribute(const std::u16string& name, uint16_t type, const uint8_t* value, size_t length,
                                 int64_t valueOffset, bool seen[]);
    void lendEmbeddedId3(int64_t valueOffset, size_t length, bool seen[]);

    // What a save writes from the item list: the Content Description strings (title,
    // author, copyright, description), the Extended Content Description entries, and a
    // cover too large for them (it goes into the Metadata Library).
    struct Pieces {
        std::vector<uint8_t> strings[4];
        std::vector<uint8_t> descriptors;
        uint32_t descriptorCount = 0;
        std::vector<uint8_t> libraryPicture;
        bool hasCover = false;
    };
    // The steps of a save; false where a value is longer than ASF's 16-bit sizes say.
    bool collectPieces(Pieces& pieces) const;
    void appendDescriptions(std::vector<uint8_t>& header, const Pieces& pieces) const;
    bool appendHeaderExtension(std::vector<uint8_t>& header, const Pieces& pieces) const;
    // Pads the new header (filling the old one's size when it fits), sets its size and
    // the File Properties' file size; the new header size.
    int64_t finishHeader(std::vector<uint8_t>& header, size_t filePropertiesAt) const;

    int64_t headerSize_ = 0; // the span a save rewrites: the header and any uncounted objects behind it
    bool hadDescriptions_ = false;
    bool walkedWhole_ = false;                               // every object of the header (and its extension) was read
    std::vector<std::vector<uint8_t>> keptObjects_;          // top-level objects other than ours, whole
    std::vector<std::vector<uint8_t>> keptExtensionObjects_; // inside the Header Extension, not Metadata Library
    std::vector<std::vector<uint8_t>> keptDescriptors_;      // Extended Content Description entries, whole
    std::vector<std::vector<uint8_t>> keptLibraryRecords_;   // Metadata Library records, whole
    // WM/Picture values beyond the cover (a back cover, say), whole, where they were.
    std::vector<std::vector<uint8_t>> extraPictureDescriptors_;
    std::vector<std::vector<uint8_t>> extraPictureRecords_;
    std::vector<uint8_t> rating_;            // Content Description rating, UTF-16LE with terminator
    std::vector<uint8_t> extensionReserved_; // 18 bytes of the old Header Extension
    // The cover's whole WM/Picture value when its image is of a type a save cannot name:
    // written back as it was while the picture item still holds coverImage_.
    std::vector<uint8_t> coverValue_;
    std::vector<uint8_t> coverImage_;
};

} // namespace calvorine::tags
