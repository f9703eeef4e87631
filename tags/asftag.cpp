#include "tags/asftag.h"

#include "tags/id3v2tag.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace calvorine::tags {

namespace {

using Guid = uint8_t[16];

// GUIDs in their stored (mixed-endian) byte order.
const Guid kHeaderGuid = {0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                          0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
const Guid kFilePropertiesGuid = {0xA1, 0xDC, 0xAB, 0x8C, 0x47, 0xA9, 0xCF, 0x11,
                                  0x8E, 0xE4, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65};
const Guid kHeaderExtensionGuid = {0xB5, 0x03, 0xBF, 0x5F, 0x2E, 0xA9, 0xCF, 0x11,
                                   0x8E, 0xE3, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65};
const Guid kContentDescriptionGuid = {0x33, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                                      0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
const Guid kExtendedDescriptionGuid = {0x40, 0xA4, 0xD0, 0xD2, 0x07, 0xE3, 0xD2, 0x11,
                                       0x97, 0xF0, 0x00, 0xA0, 0xC9, 0x5E, 0xA8, 0x50};
const Guid kMetadataLibraryGuid = {0x94, 0x1C, 0x23, 0x44, 0x98, 0x94, 0xD1, 0x49,
                                   0xA1, 0x41, 0x1D, 0x13, 0x4E, 0x45, 0x70, 0x54};
const Guid kPaddingGuid = {0x74, 0xD4, 0x06, 0x18, 0xDF, 0xCA, 0x09, 0x45,
                           0xA4, 0xBA, 0x9A, 0xAB, 0xCB, 0x96, 0xAA, 0xE8};
const Guid kDataGuid = {0x36, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11, 0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
const Guid kExtensionReservedGuid = {0x11, 0xD2, 0xD3, 0xAB, 0xBA, 0xA9, 0xCF, 0x11,
                                     0x8E, 0xE6, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65};

constexpr size_t kObjectHeader = 24;
constexpr int64_t kMaxHeaderBytes = 256 * 1024 * 1024;
constexpr size_t kMax16 = 0xFFFF;
// Space a rewritten header leaves (as a Padding Object) for the next save to grow into,
// and how much a shrinking header may leave before the file is rewritten.
constexpr int64_t kNewPadding = 1024;
constexpr int64_t kMaxKeptPadding = 16 * 1024;

bool isGuid(const uint8_t* p, const Guid guid) {
    return std::memcmp(p, guid, 16) == 0;
}

// Where the header's objects end when the first `count` of them, from offset 30, are
// walked: each at least an object header long and inside the header.
size_t countedObjectsEnd(const std::vector<uint8_t>& header, uint32_t count) {
    size_t offset = 30;
    for (uint32_t n = 0; n < count && offset + kObjectHeader <= header.size(); ++n) {
        const uint64_t objectSize = readLe64(header.data() + offset + 16);
        if (objectSize < kObjectHeader || objectSize > header.size() - offset) {
            break;
        }
        offset += static_cast<size_t>(objectSize);
    }
    return offset;
}

// The offset of the Data Object reached by walking whole objects from `offset`, or -1
// when the walk leaves the file (or the largest header read) before reaching one.
int64_t dataObjectFrom(IByteStream* stream, int64_t offset, int64_t fileSize) {
    uint8_t head[kObjectHeader];
    while (offset + int64_t(kObjectHeader) <= std::min(fileSize, kMaxHeaderBytes) &&
           readAt(stream, offset, head, kObjectHeader)) {
        if (isGuid(head, kDataGuid)) {
            return offset;
        }
        const uint64_t objectSize = readLe64(head + 16);
        if (objectSize < kObjectHeader || objectSize > uint64_t(fileSize - offset)) {
            return -1;
        }
        offset += static_cast<int64_t>(objectSize);
    }
    return -1;
}

enum AttributeType : uint16_t {
    TypeString = 0,
    TypeBytes = 1,
    TypeBool = 2,
    TypeDword = 3,
    TypeQword = 4,
    TypeWord = 5
};

struct Attribute {
    const char16_t* name;
    int field;
};
const Attribute kAttributes[] = {
    {u"WM/AlbumTitle", FieldAlbum},
    {u"WM/Genre", FieldGenre},
    {u"WM/GenreID", FieldGenre},
    {u"WM/Year", FieldYear},
    {u"WM/TrackNumber", FieldTrack},
    {u"WM/Track", FieldTrack},
    {u"WM/ProviderCopyright", FieldCopyright},
    {u"WM/Lyrics", FieldLyrics},
    {u"WM/Picture", FieldPicture},
};

const char16_t* writtenName(int field) {
    switch (field) {
    case FieldAlbum:
        return u"WM/AlbumTitle";
    case FieldGenre:
        return u"WM/Genre";
    case FieldYear:
        return u"WM/Year";
    case FieldTrack:
        return u"WM/TrackNumber";
    case FieldLyrics:
        return u"WM/Lyrics";
    case FieldPicture:
        return u"WM/Picture";
    default:
        return nullptr;
    }
}

uint64_t numberValue(const uint8_t* value, size_t length) {
    uint64_t n = 0;
    for (size_t i = 0; i < length && i < 8; ++i) {
        n |= uint64_t(value[i]) << (8 * i);
    }
    return n;
}

int parseInt(const std::u16string& text) {
    long n = 0;
    size_t i = 0;
    bool any = false;
    while (i < text.size() && text[i] >= u'0' && text[i] <= u'9' && n < 1000000) {
        n = n * 10 + (text[i++] - u'0');
        any = true;
    }
    return any ? static_cast<int>(n) : -1;
}

std::vector<uint8_t> pictureValue(const uint8_t* image, size_t length) {
    std::vector<uint8_t> value;
    value.push_back(3);
    putLe32(value, static_cast<uint32_t>(length));
    const char* mime = imageMimeType(imageKindOf(image, length));
    for (const char* p = mime; *p; ++p) {
        putLe16(value, uint16_t(*p));
    }
    putLe16(value, 0);
    putLe16(value, 0); // empty description
    putBytes(value, image, length);
    return value;
}

// Where the image of a WM/Picture value starts and how long it is: behind the type,
// the length and the two zero-terminated strings (MIME type, description), cut to what
// the value holds; false when nothing is left for it.
bool pictureImage(const uint8_t* value, size_t length, size_t& at, size_t& imageLength) {
    if (length <= 5) {
        return false;
    }
    const uint32_t dataLength = readLe32(value + 1);
    at = 5;
    for (int strings = 0; strings < 2; ++strings) {
        while (at + 1 < length && (value[at] || value[at + 1])) {
            at += 2;
        }
        at += 2;
    }
    if (at >= length) {
        return false;
    }
    imageLength = std::min<size_t>(dataLength, length - at);
    return imageLength > 0;
}

// A text, number, track or genre attribute as an item of `list`; false when its value
// does not serve.
bool decodeValue(TagItemList& list, const std::u16string& name, int field, uint16_t type, const uint8_t* value,
                 size_t length) {
    const bool numeric = type == TypeDword || type == TypeQword || type == TypeWord || type == TypeBool;
    if (field == FieldTrack) {
        if (numeric) {
            return list.addNumber(SlotAsf,
                                  static_cast<int>(numberValue(value, length)) + (name == u"WM/Track" ? 1 : 0)) == 0;
        }
        if (type != TypeString) {
            return false;
        }
        const std::u16string text = utf16FromBytes(value, length, false);
        if (name == u"WM/Track") {
            const int n = parseInt(text);
            return n >= 0 && list.addNumber(SlotAsf, n + 1) == 0;
        }
        return list.addUtf16(SlotAsf, field, text) == 0;
    }
    if (field == FieldGenre && name == u"WM/GenreID" && numeric) {
        return list.addGenreByIndex(static_cast<int>(numberValue(value, length)), SlotAsf) == 0;
    }
    if (type == TypeString) {
        return list.addUtf16(SlotAsf, field, utf16FromBytes(value, length, false)) == 0;
    }
    if (numeric) {
        const std::string digits = std::to_string(numberValue(value, length));
        return list.addUtf16(SlotAsf, field, std::u16string(digits.begin(), digits.end())) == 0;
    }
    return false;
}

} // namespace

AsfTag::AsfTag(IByteStream* stream, int& result) : TagHandler(stream) {
    result = reload();
}

int AsfTag::reload() {
    items_.clear();
    keptObjects_.clear();
    keptExtensionObjects_.clear();
    keptDescriptors_.clear();
    keptLibraryRecords_.clear();
    extraPictureDescriptors_.clear();
    extraPictureRecords_.clear();
    rating_.clear();
    extensionReserved_.clear();
    coverValue_.clear();
    coverImage_.clear();
    hadDescriptions_ = false;
    walkedWhole_ = false;
    uint8_t top[30];
    if (!stream_ || !readAt(stream_, 0, top, 30) || !isGuid(top, kHeaderGuid)) {
        return -1;
    }
    const uint64_t size = readLe64(top + 16);
    const uint32_t count = readLe32(top + 24);
    const int64_t fileSize = stream_->size();
    if (size < 30 || count == 0 || int64_t(size) > fileSize || int64_t(size) > kMaxHeaderBytes) {
        return -1;
    }
    headerSize_ = static_cast<int64_t>(size);
    std::vector<uint8_t> header = readRange(stream_, 0, headerSize_);
    if (static_cast<int64_t>(header.size()) != headerSize_) {
        return -1;
    }
    // A header whose counted objects do not end at its stated size (an uncounted object
    // running on past it, say) ends, for players, where the Data Object begins: when a
    // walk of whole objects leads there, all of them are read as the header's and a save
    // rewrites that whole span, counting and sizing them right. Without a Data Object to
    // reach the file does not play, and the stated size is kept to.
    uint32_t objects = count;
    const size_t countedEnd = countedObjectsEnd(header, count);
    if (countedEnd != header.size()) {
        const int64_t dataAt = dataObjectFrom(stream_, int64_t(countedEnd), fileSize);
        if (dataAt >= 0) {
            headerSize_ = dataAt;
            header = readRange(stream_, 0, headerSize_);
            if (static_cast<int64_t>(header.size()) != headerSize_) {
                return -1;
            }
            objects = UINT32_MAX; // every object up to the data
        }
    }

    bool seen[FieldPicture + 1] = {};
    bool extensionWhole = true;
    size_t offset = 30;
    for (uint32_t n = 0; n < objects && offset + kObjectHeader <= header.size(); ++n) {
        const uint8_t* object = header.data() + offset;
        const uint64_t objectSize = readLe64(object + 16);
        if (objectSize < kObjectHeader || objectSize > header.size() - offset) {
            break;
        }
        const size_t end = offset + static_cast<size_t>(objectSize);
        if (isGuid(object, kContentDescriptionGuid) && objectSize >= kObjectHeader + 10) {
            readContentDescription(header, offset, end, seen);
        } else if (isGuid(object, kExtendedDescriptionGuid) && objectSize >= kObjectHeader + 2) {
            readExtendedDescription(header, offset, end, seen);
        } else if (isGuid(object, kHeaderExtensionGuid) && objectSize >= kObjectHeader + 22) {
            extensionWhole = readHeaderExtension(header, offset, end, seen) && extensionWhole;
        } else if (!isGuid(object, kPaddingGuid)) {
            keptObjects_.emplace_back(object, object + objectSize);
        }
        offset = end;
    }
    // A save writes back only the objects read here: one that a wrong size hid (the
    // walk stopped short of the header's end) would be lost with it.
    walkedWhole_ = extensionWhole && offset == header.size();
    return 0;
}

void AsfTag::readContentDescription(const std::vector<uint8_t>& header, size_t offset, size_t end, bool seen[]) {
    hadDescriptions_ = true;
    const uint8_t* object = header.data() + offset;
    size_t at = offset + kObjectHeader + 10;
    const int fields[5] = {FieldTitle, FieldArtist, FieldCopyright, FieldComment, -1};
    for (int i = 0; i < 5; ++i) {
        const size_t length = readLe16(object + kObjectHeader + 2 * i);
        if (length > end - at) {
            break;
        }
        if (fields[i] < 0) {
            rating_.assign(header.begin() + static_cast<std::ptrdiff_t>(at),
                           header.begin() + static_cast<std::ptrdiff_t>(at + length));
        } else if (!seen[fields[i]] && length >= 2) {
            seen[fields[i]] =
                items_.addUtf16(SlotAsf, fields[i], utf16FromBytes(header.data() + at, length, false)) == 0;
        }
        at += length;
    }
}

void AsfTag::readExtendedDescription(const std::vector<uint8_t>& header, size_t offset, size_t end, bool seen[]) {
    hadDescriptions_ = true;
    const uint16_t descriptors = readLe16(header.data() + offset + kObjectHeader);
    size_t at = offset + kObjectHeader + 2;
    for (uint16_t d = 0; d < descriptors && at + 2 <= end; ++d) {
        const size_t first = at;
        const size_t nameLength = readLe16(header.data() + at);
        if (nameLength > end - at - 2 || end - at - 2 - nameLength < 4) {
            break;
        }
        const std::u16string name = utf16FromBytes(header.data() + at + 2, nameLength, false);
        at += 2 + nameLength;
        const uint16_t type = readLe16(header.data() + at);
        const size_t valueLength = readLe16(header.data() + at + 2);
        at += 4;
        if (valueLength > end - at) {
            break;
        }
        const AttributeUse use = decodeAttribute(name, type, header.data() + at, valueLength, int64_t(at), seen);
        if (use != AttributeUse::Taken) {
            (use == AttributeUse::Keep ? keptDescriptors_ : extraPictureDescriptors_)
                .emplace_back(header.begin() + static_cast<std::ptrdiff_t>(first),
                              header.begin() + static_cast<std::ptrdiff_t>(at + valueLength));
        }
        at += valueLength;
    }
}

bool AsfTag::readHeaderExtension(const std::vector<uint8_t>& header, size_t offset, size_t end, bool seen[]) {
    hadDescriptions_ = true;
    const uint8_t* object = header.data() + offset;
    extensionReserved_.assign(object + kObjectHeader, object + kObjectHeader + 18);
    const uint32_t dataSize = readLe32(object + kObjectHeader + 18);
    const size_t extensionEnd = std::min(end, offset + 46 + size_t(dataSize));
    size_t at = offset + 46;
    while (at + kObjectHeader <= extensionEnd) {
        const uint8_t* inner = header.data() + at;
        const uint64_t innerSize = readLe64(inner + 16);
        if (innerSize < kObjectHeader || innerSize > extensionEnd - at) {
            break;
        }
        const size_t innerEnd = at + static_cast<size_t>(innerSize);
        if (isGuid(inner, kMetadataLibraryGuid) && innerSize >= kObjectHeader + 2) {
            readMetadataLibrary(header, at, innerEnd, seen);
        } else {
            keptExtensionObjects_.emplace_back(inner, inner + innerSize);
        }
        at = innerEnd;
    }
    return at == end;
}

void AsfTag::readMetadataLibrary(const std::vector<uint8_t>& header, size_t offset, size_t end, bool seen[]) {
    const uint16_t records = readLe16(header.data() + offset + kObjectHeader);
    size_t r = offset + kObjectHeader + 2;
    for (uint16_t k = 0; k < records && r + 12 <= end; ++k) {
        const uint8_t* record = header.data() + r;
        const size_t nameLength = readLe16(record + 4);
        const uint16_t type = readLe16(record + 6);
        const uint32_t dataLength = readLe32(record + 8);
        if (nameLength > end - r - 12 || dataLength > end - r - 12 - nameLength) {
            break;
        }
        const std::u16string name = utf16FromBytes(record + 12, nameLength, false);
        const size_t valueAt = r + 12 + nameLength;
        const size_t recordEnd = valueAt + dataLength;
        const AttributeUse use =
            decodeAttribute(name, type, header.data() + valueAt, dataLength, int64_t(valueAt), seen);
        if (use != AttributeUse::Taken) {
            (use == AttributeUse::Keep ? keptLibraryRecords_ : extraPictureRecords_)
                .emplace_back(header.begin() + static_cast<std::ptrdiff_t>(r),
                              header.begin() + static_cast<std::ptrdiff_t>(recordEnd));
        }
        r = recordEnd;
    }
}

AsfTag::AttributeUse AsfTag::decodeAttribute(const std::u16string& name, uint16_t type, const uint8_t* value,
                                             size_t length, int64_t valueOffset, bool seen[]) {
    if (name == u"ID3") {
        lendEmbeddedId3(valueOffset, length, seen);
        return AttributeUse::Keep;
    }
    int field = -1;
    for (const Attribute& attribute : kAttributes) {
        if (name == attribute.name) {
            field = attribute.field;
        }
    }
    if (field < 0 || length < 1 || length > kMaxItemBytes) {
        return AttributeUse::Keep;
    }
    size_t imageAt = 0;
    size_t imageLength = 0;
    const bool image = field == FieldPicture && type == TypeBytes && pictureImage(value, length, imageAt, imageLength);
    if (seen[field]) {
        // A further value of a field already read (a second WM/Genre, say) that would
        // read as the field is not kept: the item list holds the field's one value, so
        // a save that sets or clears the field takes all of it. A further picture (a
        // back cover) stays beside the cover.
        if (field == FieldPicture) {
            return image ? AttributeUse::ExtraPicture : AttributeUse::Keep;
        }
        TagItemList scratch;
        return decodeValue(scratch, name, field, type, value, length) ? AttributeUse::Taken : AttributeUse::Keep;
    }
    bool taken = false;
    if (field == FieldPicture) {
        taken = image && items_.addBinary(SlotAsf, field, static_cast<int>(imageLength), value + imageAt) == 0;
        if (taken && imageKindOf(value + imageAt, imageLength) == ImageKind::None) {
            coverValue_.assign(value, value + length);
            coverImage_.assign(value + imageAt, value + imageAt + imageLength);
        }
    } else {
        taken = decodeValue(items_, name, field, type, value, length);
    }
    seen[field] = taken;
    return taken ? AttributeUse::Taken : AttributeUse::Keep;
}

void AsfTag::lendEmbeddedId3(int64_t valueOffset, size_t length, bool seen[]) {
    // An ID3v2 tag kept inside an attribute lends its items to fields not yet set.
    WindowStream window(stream_, valueOffset, static_cast<int64_t>(length));
    int result = 0;
    Id3v2Tag embedded(&window, result, SlotAsf);
    for (int i = 0; i < embedded.items().count(); ++i) {
        const TagItem item = embedded.items().getItem(i);
        if (item.field >= 0 && item.field <= FieldPicture && !seen[item.field]) {
            seen[item.field] = items_.addItem(SlotAsf, item.field, item.type, item.length, item.data) == 0;
        }
    }
}

int AsfTag::save() {
    if (!stream_ || !walkedWhole_) {
        return -1; // refused: the header holds objects that were not read
    }
    items_.reduce(isBasicField, &coverImage_);
    if (items_.count() == 0 && !hadDescriptions_) {
        return 1;
    }
    Pieces pieces;
    if (!collectPieces(pieces)) {
        return -1; // longer than ASF can say; refused, not cut
    }
    std::vector<uint8_t> header;
    header.insert(header.end(), kHeaderGuid, kHeaderGuid + 16);
    putLe64(header, 0);
    putLe32(header, static_cast<uint32_t>(keptObjects_.size() + 3));
    header.push_back(1);
    header.push_back(2);
    size_t filePropertiesAt = 0;
    for (const std::vector<uint8_t>& object : keptObjects_) {
        if (isGuid(object.data(), kFilePropertiesGuid) && object.size() >= 48) {
            filePropertiesAt = header.size();
        }
        header.insert(header.end(), object.begin(), object.end());
    }
    appendDescriptions(header, pieces);
    if (!appendHeaderExtension(header, pieces)) {
        return -1;
    }
    const int64_t newSize = finishHeader(header, filePropertiesAt);
    if (replaceFileRange(stream_, 0, headerSize_, header.data(), newSize) != 0) {
        return -1;
    }
    headerSize_ = newSize;
    hadDescriptions_ = true;
    return 0;
}

bool AsfTag::collectPieces(Pieces& pieces) const {
    for (int i = 0; i < items_.count(); ++i) {
        const TagItem item = items_.getItem(i);
        const int contentIndex = item.field == FieldTitle       ? 0
                                 : item.field == FieldArtist    ? 1
                                 : item.field == FieldCopyright ? 2
                                 : item.field == FieldComment   ? 3
                                                                : -1;
        if (contentIndex >= 0) {
            pieces.strings[contentIndex] = utf16ToBytes(items_.storedText(i), false, true);
            if (pieces.strings[contentIndex].size() > kMax16) {
                return false; // longer than ASF can say; refused, not cut
            }
            continue;
        }
        const char16_t* name = writtenName(item.field);
        if (!name) {
            continue;
        }
        std::vector<uint8_t> value;
        uint16_t type = TypeString;
        if (item.field == FieldPicture) {
            value = isKeptPicture(item, coverImage_) ? coverValue_
                                                     : pictureValue(item.data, static_cast<size_t>(item.length));
            type = TypeBytes;
            if (value.size() > kMax16) {
                pieces.libraryPicture = std::move(value);
                continue;
            }
        } else {
            value = utf16ToBytes(items_.storedText(i), false, true);
            if (value.size() > kMax16) {
                return false;
            }
        }
        const std::vector<uint8_t> nameBytes = utf16ToBytes(name, false, true);
        putLe16(pieces.descriptors, static_cast<uint16_t>(nameBytes.size()));
        pieces.descriptors.insert(pieces.descriptors.end(), nameBytes.begin(), nameBytes.end());
        putLe16(pieces.descriptors, type);
        putLe16(pieces.descriptors, static_cast<uint16_t>(value.size()));
        pieces.descriptors.insert(pieces.descriptors.end(), value.begin(), value.end());
        ++pieces.descriptorCount;
    }
    // Pictures beyond the cover stay beside a cover; without one the first of them would
    // read back as the cover that was cleared.
    bool& hasCover = pieces.hasCover;
    for (int i = 0; i < items_.count(); ++i) {
        hasCover = hasCover || items_.getItem(i).field == FieldPicture;
    }
    using Values = const std::vector<std::vector<uint8_t>>*;
    const std::vector<std::vector<uint8_t>> none;
    for (Values list : {Values(&keptDescriptors_), hasCover ? &extraPictureDescriptors_ : &none}) {
        for (const std::vector<uint8_t>& kept : *list) {
            pieces.descriptors.insert(pieces.descriptors.end(), kept.begin(), kept.end());
            ++pieces.descriptorCount;
        }
    }
    return pieces.descriptorCount <= kMax16;
}

void AsfTag::appendDescriptions(std::vector<uint8_t>& header, const Pieces& pieces) const {
    // Content Description.
    std::vector<uint8_t> rating = rating_.size() >= 2 ? rating_ : std::vector<uint8_t>{};
    header.insert(header.end(), kContentDescriptionGuid, kContentDescriptionGuid + 16);
    size_t contentBytes = kObjectHeader + 10 + rating.size();
    for (const auto& s : pieces.strings) {
        contentBytes += s.size();
    }
    putLe64(header, contentBytes);
    for (const auto& s : pieces.strings) {
        putLe16(header, static_cast<uint16_t>(s.size()));
    }
    putLe16(header, static_cast<uint16_t>(rating.size()));
    for (const auto& s : pieces.strings) {
        header.insert(header.end(), s.begin(), s.end());
    }
    header.insert(header.end(), rating.begin(), rating.end());

    // Extended Content Description.
    header.insert(header.end(), kExtendedDescriptionGuid, kExtendedDescriptionGuid + 16);
    putLe64(header, kObjectHeader + 2 + pieces.descriptors.size());
    putLe16(header, static_cast<uint16_t>(pieces.descriptorCount));
    header.insert(header.end(), pieces.descriptors.begin(), pieces.descriptors.end());
}

bool AsfTag::appendHeaderExtension(std::vector<uint8_t>& header, const Pieces& pieces) const {
    using Values = const std::vector<std::vector<uint8_t>>*;
    const std::vector<std::vector<uint8_t>> none;
    const bool hasCover = pieces.hasCover;
    // Header Extension with its kept objects and one Metadata Library.
    std::vector<uint8_t> extension;
    for (const std::vector<uint8_t>& object : keptExtensionObjects_) {
        extension.insert(extension.end(), object.begin(), object.end());
    }
    const std::vector<std::vector<uint8_t>>& extraRecords = hasCover ? extraPictureRecords_ : none;
    const size_t recordCount =
        keptLibraryRecords_.size() + extraRecords.size() + (pieces.libraryPicture.empty() ? 0 : 1);
    if (recordCount > kMax16) {
        return false;
    }
    if (recordCount > 0) {
        std::vector<uint8_t> library;
        library.insert(library.end(), kMetadataLibraryGuid, kMetadataLibraryGuid + 16);
        putLe64(library, 0);
        putLe16(library, static_cast<uint16_t>(recordCount));
        if (!pieces.libraryPicture.empty()) {
            const std::vector<uint8_t> nameBytes = utf16ToBytes(u"WM/Picture", false, true);
            putLe16(library, 0);
            putLe16(library, 0);
            putLe16(library, static_cast<uint16_t>(nameBytes.size()));
            putLe16(library, TypeBytes);
            putLe32(library, static_cast<uint32_t>(pieces.libraryPicture.size()));
            library.insert(library.end(), nameBytes.begin(), nameBytes.end());
            library.insert(library.end(), pieces.libraryPicture.begin(), pieces.libraryPicture.end());
        }
        for (Values records : {Values(&keptLibraryRecords_), &extraRecords}) {
            for (const std::vector<uint8_t>& record : *records) {
                library.insert(library.end(), record.begin(), record.end());
            }
        }
        setLe64(library.data() + 16, library.size());
        extension.insert(extension.end(), library.begin(), library.end());
    }
    header.insert(header.end(), kHeaderExtensionGuid, kHeaderExtensionGuid + 16);
    putLe64(header, 46 + extension.size());
    if (extensionReserved_.size() == 18) {
        header.insert(header.end(), extensionReserved_.begin(), extensionReserved_.end());
    } else {
        header.insert(header.end(), kExtensionReservedGuid, kExtensionReservedGuid + 16);
        putLe16(header, 6);
    }
    putLe32(header, static_cast<uint32_t>(extension.size()));
    header.insert(header.end(), extension.begin(), extension.end());

    return true;
}

int64_t AsfTag::finishHeader(std::vector<uint8_t>& header, size_t filePropertiesAt) const {
    // Fill the old header's size exactly when the new one fits it; otherwise leave
    // fresh padding for the next save.
    const int64_t spare = headerSize_ - static_cast<int64_t>(header.size());
    const int64_t padding = spare == 0                                                      ? 0
                            : (spare >= int64_t(kObjectHeader) && spare <= kMaxKeptPadding) ? spare
                                                                                            : kNewPadding;
    if (padding > 0) {
        header.insert(header.end(), kPaddingGuid, kPaddingGuid + 16);
        putLe64(header, static_cast<uint64_t>(padding));
        header.insert(header.end(), static_cast<size_t>(padding) - kObjectHeader, 0);
        setLe32(header.data() + 24, static_cast<uint32_t>(keptObjects_.size() + 4));
    }
    const int64_t newSize = static_cast<int64_t>(header.size());
    setLe64(header.data() + 16, static_cast<uint64_t>(newSize));
    if (filePropertiesAt) {
        uint8_t* fileSizeField = header.data() + filePropertiesAt + 40;
        setLe64(fileSizeField, static_cast<uint64_t>(int64_t(readLe64(fileSizeField)) + newSize - headerSize_));
    }
    return newSize;
}

} // namespace calvorine::tags
