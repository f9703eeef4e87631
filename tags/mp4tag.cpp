#include "tags/mp4tag.h"

#include "platform/system/utf8.h"

#include <cstring>

namespace calvorine::tags {

// One atom inside a buffer: its header and body bounds.
struct Mp4Atom {
    size_t offset = 0;
    size_t header = 8;
    size_t size = 0;
    const uint8_t* type = nullptr;
    size_t end() const { return offset + size; }
};

namespace {

constexpr int64_t kMaxMoovBytes = 256 * 1024 * 1024;
constexpr int64_t kNewPadding = 1024;
constexpr int64_t kMaxKeptPadding = 64 * 1024;

struct ItemName {
    const char* name; // \xA9 is the copyright sign byte of the QuickTime names
    int field;
};
const ItemName kItems[] = {
    {"\xA9nam", FieldTitle},
    {"\xA9"
     "ART",
     FieldArtist},
    {"\xA9"
     "aut",
     FieldArtist},
    {"\xA9"
     "alb",
     FieldAlbum},
    {"\xA9gen", FieldGenre},
    {"gnre", FieldGenre},
    {"\xA9"
     "day",
     FieldYear},
    {"trkn", FieldTrack},
    {"\xA9"
     "cmt",
     FieldComment},
    {"\xA9"
     "des",
     FieldComment},
    {"\xA9"
     "inf",
     FieldComment},
    {"\xA9"
     "cpy",
     FieldCopyright},
    {"cprt", FieldCopyright},
    {"\xA9lyr", FieldLyrics},
    {"covr", FieldPicture},
    {"aART", FieldAlbumArtist},
    {"\xA9wrt", FieldComposer},
    {"\xA9grp", FieldGrouping},
    {"disk", FieldDisc},
};
const char* const kWritten[] = {"\xA9nam",
                                "\xA9"
                                "ART",
                                "\xA9"
                                "alb",
                                "\xA9gen",
                                "\xA9"
                                "day",
                                "trkn",
                                "\xA9"
                                "cmt",
                                "\xA9"
                                "cpy",
                                "\xA9lyr",
                                "covr",
                                "aART",
                                "\xA9wrt",
                                "\xA9grp",
                                "disk"};

int fieldOfAtom(const uint8_t* type) {
    for (const ItemName& item : kItems) {
        if (std::memcmp(type, item.name, 4) == 0) {
            return item.field;
        }
    }
    return -1;
}

const char* const kTopLevel[] = {"ftyp", "moov", "mdat", "udta", "uuid", "wide",
                                 "free", "junk", "skip", "prfl", "pict", "pnot"};

using Atom = Mp4Atom;

// Reads the atom at `offset` of a buffer that ends at `limit`; false when it does not fit.
bool atomAt(const std::vector<uint8_t>& buffer, size_t offset, size_t limit, Atom& atom) {
    if (limit > buffer.size() || offset + 8 > limit) {
        return false;
    }
    const uint8_t* p = buffer.data() + offset;
    uint64_t size = readBe32(p);
    size_t header = 8;
    if (size == 1) {
        if (offset + 16 > limit) {
            return false;
        }
        size = readBe64(p + 8);
        header = 16;
    } else if (size == 0) {
        size = limit - offset;
    }
    if (size < header || size > limit - offset) {
        return false;
    }
    atom.offset = offset;
    atom.header = header;
    atom.size = static_cast<size_t>(size);
    atom.type = p + 4;
    return true;
}

// A copy of the whole atom, to be written back elsewhere. An atom sized "to the end of
// its parent" gets its size written out: behind it the new tag may no longer end there.
std::vector<uint8_t> copyAtom(const std::vector<uint8_t>& buffer, const Atom& atom) {
    std::vector<uint8_t> copy(buffer.begin() + static_cast<std::ptrdiff_t>(atom.offset),
                              buffer.begin() + static_cast<std::ptrdiff_t>(atom.end()));
    if (readBe32(copy.data()) == 0) {
        setBe32(copy.data(), static_cast<uint32_t>(atom.size));
    }
    return copy;
}

bool isType(const Atom& atom, const char* type) {
    return std::memcmp(atom.type, type, 4) == 0;
}

std::u16string decodeMp4Text(const uint8_t* p, size_t length) {
    if (length >= 2 && p[0] == 0xFF && p[1] == 0xFE) {
        return decodeTagText(TextUtf16Le, p + 2, length - 2);
    }
    if (length >= 2 && p[0] == 0xFE && p[1] == 0xFF) {
        return decodeTagText(TextUtf16Be, p + 2, length - 2);
    }
    return decodeTagText(TextDetect, p, length);
}

bool parseNumberPair(const std::u16string& text, int& number, int& total) {
    number = 0;
    total = 0;
    size_t i = 0;
    bool any = false;
    while (i < text.size() && text[i] >= u'0' && text[i] <= u'9' && number < 100000) {
        number = number * 10 + (text[i++] - u'0');
        any = true;
    }
    if (i < text.size() && text[i] == u'/') {
        ++i;
        while (i < text.size() && text[i] >= u'0' && text[i] <= u'9' && total < 100000) {
            total = total * 10 + (text[i++] - u'0');
        }
    }
    return any && number <= 0xFFFF && total <= 0xFFFF;
}

void putAtomHeader(std::vector<uint8_t>& out, uint32_t size, const char* type) {
    putBe32(out, size);
    putBytes(out, type, 4);
}

// The value of item i as an ilst data atom holds it, and its type flags; false when
// the item has nothing to write (a track that is no number, an empty text).
bool itemValue(const TagItemList& items, int i, std::vector<uint8_t>& value, uint32_t& flags) {
    const TagItem item = items.getItem(i);
    flags = 1; // UTF-8 text
    if (item.field == FieldTrack || item.field == FieldDisc) {
        int number = 0;
        int total = 0;
        if (!parseNumberPair(items.text(i), number, total)) {
            return false;
        }
        putBe16(value, 0);
        putBe16(value, static_cast<uint16_t>(number));
        putBe16(value, static_cast<uint16_t>(total));
        putBe16(value, 0);
        flags = 0;
    } else if (item.field == FieldPicture) {
        putBytes(value, item.data, static_cast<size_t>(item.length));
        switch (imageKindOf(item.data, static_cast<size_t>(item.length))) {
        case ImageKind::Png:
            flags = 14;
            break;
        case ImageKind::Gif:
            flags = 12;
            break;
        case ImageKind::Bmp:
            flags = 27;
            break;
        default:
            flags = 13;
            break;
        }
    } else {
        value = encodeTagText(items.storedText(i), TextUtf8);
    }
    return !value.empty();
}

// Kept atoms of a field the list holds (a second title, say, that the first one hides)
// stay behind the new items, so that they stay hidden. Those of a field the list no
// longer holds go: the field was removed, and they would bring it back.
bool keepsAtom(const std::vector<uint8_t>& atom, const bool written[]) {
    const int field = fieldOfAtom(atom.data() + 4);
    return field < 0 || written[field];
}

// The children of `parent` of one type, added to `out`. False when the walk meets a child
// that does not fit: what lies behind it is unknown. (Fewer than 8 bytes left hold none.)
bool childrenOfType(const std::vector<uint8_t>& buffer, const Atom& parent, const char* type, std::vector<Atom>& out) {
    for (size_t at = parent.offset + parent.header; at < parent.end();) {
        Atom child;
        if (!atomAt(buffer, at, parent.end(), child)) {
            if (at + 8 > parent.end()) {
                return true;
            }
            // A udta running past moov's end is the tag's and is read as far as moov goes.
            return parent.offset == 0 && std::memcmp(buffer.data() + at + 4, "udta", 4) == 0;
        }
        if (isType(child, type)) {
            out.push_back(child);
        }
        at = child.end();
    }
    return true;
}

// One stco or co64 table of moov (read at moovOffset): every entry behind moov's
// contents gets the change of moov's size; false for a table that claims more entries
// than it holds, or a 32-bit entry that would need co64 (refused rather than wrapped).
bool shiftChunkTable(const std::vector<uint8_t>& moov, const Atom& atom, int64_t moovOffset, uint64_t contentsStart,
                     int64_t delta, std::vector<ByteEdit>& edits) {
    const bool wide = isType(atom, "co64");
    const size_t entryBytes = wide ? 8 : 4;
    const size_t bodyAt = atom.offset + atom.header;
    if (atom.size < atom.header + 8) {
        return true;
    }
    const uint32_t count = readBe32(moov.data() + bodyAt + 4);
    if (count > (atom.size - atom.header - 8) / entryBytes) {
        return false;
    }
    ByteEdit edit;
    edit.offset = moovOffset + static_cast<int64_t>(bodyAt + 8);
    edit.oldLength = static_cast<int64_t>(count * entryBytes);
    edit.bytes.assign(moov.begin() + static_cast<std::ptrdiff_t>(bodyAt + 8),
                      moov.begin() + static_cast<std::ptrdiff_t>(bodyAt + 8 + count * entryBytes));
    for (uint32_t e = 0; e < count; ++e) {
        uint8_t* p = edit.bytes.data() + e * entryBytes;
        const uint64_t value = wide ? readBe64(p) : readBe32(p);
        if (value <= contentsStart) {
            continue;
        }
        const uint64_t moved = value + static_cast<uint64_t>(delta);
        if (!wide && moved > 0xFFFFFFFFull) {
            return false;
        }
        if (wide) {
            setBe32(p, static_cast<uint32_t>(moved >> 32));
            setBe32(p + 4, static_cast<uint32_t>(moved));
        } else {
            setBe32(p, static_cast<uint32_t>(moved));
        }
    }
    if (count > 0) {
        edits.push_back(std::move(edit));
    }
    return true;
}

} // namespace

Mp4Tag::Mp4Tag(IByteStream* stream, int& result) : TagHandler(stream) {
    result = reload();
}

int Mp4Tag::reload() {
    items_.clear();
    keptUdtaChildren_.clear();
    keptMetaChildren_.clear();
    keptItems_.clear();
    keptCovers_.clear();
    coverTypeAndLocale_.clear();
    coverImage_.clear();
    udtaOffset_ = 0;
    udtaSize_ = 0;
    laterUdta_ = false;
    fragmentBoxes_.clear();
    if (!stream_ || !findMoov() || moovSize_ > kMaxMoovBytes) {
        return -1;
    }
    const std::vector<uint8_t> moov = readRange(stream_, moovOffset_, moovSize_);
    if (static_cast<int64_t>(moov.size()) != moovSize_) {
        return -1;
    }
    Atom udta;
    if (!findUdta(moov, udta)) {
        return 0;
    }
    udtaOffset_ = moovOffset_ + static_cast<int64_t>(udta.offset);
    udtaSize_ = static_cast<int64_t>(udta.size);
    bool seen[FieldDisc + 1] = {};
    for (size_t at = udta.offset + udta.header; at < udta.end();) {
        Atom child;
        if (!atomAt(moov, at, udta.end(), child)) {
            break;
        }
        at = child.end();
        if (isType(child, "free") || isType(child, "skip")) {
            continue; // padding: space for the next save
        }
        if (isType(child, "meta") && child.size > child.header + 4) {
            readMeta(moov, child, seen);
            continue;
        }
        const int field = fieldOfAtom(child.type);
        const bool taken = field >= 0 && child.size >= 13 && child.size <= 8388620 &&
                           decodeItem(child.type, field, moov.data() + child.offset + 12, child.size - 12, true, seen);
        if (!taken) {
            keptUdtaChildren_.push_back(copyAtom(moov, child));
        }
    }
    return 0;
}

bool Mp4Tag::findMoov() {
    const int64_t fileSize = stream_->size();
    // Top-level walk: find moov, and notice movie fragments.
    int64_t offset = 0;
    bool first = true;
    moovOffset_ = -1;
    while (offset + 8 <= fileSize) {
        uint8_t header[16];
        if (!readAt(stream_, offset, header, 8)) {
            break;
        }
        uint64_t size = readBe32(header);
        int64_t headerBytes = 8;
        bool printable = true;
        for (int i = 4; i < 8; ++i) {
            printable = printable && header[i] >= 0x20 && header[i] < 0x7F;
        }
        if (size == 1) {
            if (!readAt(stream_, offset + 8, header + 8, 8)) {
                break;
            }
            size = readBe64(header + 8);
            headerBytes = 16;
            if ((size >> 63) || size < 16) {
                break;
            }
        } else if (size == 0) {
            size = static_cast<uint64_t>(fileSize - offset);
        } else if (size < 8) {
            break;
        }
        if (first) {
            bool known = false;
            for (const char* type : kTopLevel) {
                known = known || std::memcmp(header + 4, type, 4) == 0;
            }
            if (!known || int64_t(size) > fileSize - offset) {
                return false;
            }
            first = false;
        }
        if (!printable || int64_t(size) > fileSize - offset) {
            break;
        }
        if (std::memcmp(header + 4, "moov", 4) == 0 && moovOffset_ < 0) {
            moovOffset_ = offset;
            moovSize_ = static_cast<int64_t>(size);
            moovHeader_ = headerBytes;
        } else if (std::memcmp(header + 4, "moof", 4) == 0 || std::memcmp(header + 4, "mfra", 4) == 0 ||
                   std::memcmp(header + 4, "sidx", 4) == 0) {
            fragmentBoxes_.push_back({offset, static_cast<int64_t>(size), headerBytes});
        }
        offset += static_cast<int64_t>(size);
    }
    // The walk passed every top-level box, or stopped at media data cut short by the
    // end of the file.
    topLevelWhole_ = offset + 8 > fileSize;
    uint8_t stop[8];
    if (!topLevelWhole_ && readAt(stream_, offset, stop, 8) && std::memcmp(stop + 4, "mdat", 4) == 0 &&
        readBe32(stop) > 8 && int64_t(readBe32(stop)) > fileSize - offset) {
        topLevelWhole_ = true;
    }
    return moovOffset_ >= 0;
}

bool Mp4Tag::findUdta(const std::vector<uint8_t>& moov, Mp4Atom& udta) {
    bool haveUdta = false;
    bool whole = true;
    udtaInsertAt_ = moovOffset_ + moovSize_;
    for (size_t at = static_cast<size_t>(moovHeader_); at < moov.size();) {
        Atom child;
        bool fits = atomAt(moov, at, moov.size(), child);
        if (!fits && at + 8 <= moov.size() && readBe32(moov.data() + at) >= 8 &&
            std::memcmp(moov.data() + at + 4, "udta", 4) == 0) {
            // A udta that runs past the end of moov is read, and replaced, as far as moov
            // goes: the first save leaves a whole one.
            child.offset = at;
            child.header = 8;
            child.size = moov.size() - at;
            child.type = moov.data() + at + 4;
            fits = true;
        }
        if (whole && (!fits || readBe32(moov.data() + at) == 0)) {
            udtaInsertAt_ = moovOffset_ + static_cast<int64_t>(at);
            whole = false;
        }
        if (!fits) {
            break;
        }
        if (isType(child, "udta") && haveUdta) {
            laterUdta_ = true;
        } else if (isType(child, "udta")) {
            udta = child;
            haveUdta = true;
        }
        at = child.end();
    }
    return haveUdta;
}

void Mp4Tag::readMeta(const std::vector<uint8_t>& moov, const Mp4Atom& meta, bool seen[]) {
    for (size_t m = meta.offset + meta.header + 4; m < meta.end();) {
        Atom metaChild;
        if (!atomAt(moov, m, meta.end(), metaChild)) {
            break;
        }
        m = metaChild.end();
        if (isType(metaChild, "hdlr") || isType(metaChild, "free")) {
            continue;
        }
        if (!isType(metaChild, "ilst")) {
            keptMetaChildren_.push_back(copyAtom(moov, metaChild));
            continue;
        }
        for (size_t i = metaChild.offset + metaChild.header; i < metaChild.end();) {
            Atom item;
            if (!atomAt(moov, i, metaChild.end(), item)) {
                break;
            }
            i = item.end();
            const int field = fieldOfAtom(item.type);
            bool taken = false;
            bool firstData = true;
            for (size_t d = item.offset + item.header; d < item.end();) {
                Atom data;
                if (!atomAt(moov, d, item.end(), data)) {
                    break;
                }
                d = data.end();
                if (!isType(data, "data")) {
                    continue;
                }
                if (firstData && data.size > 16) {
                    const uint8_t* value = moov.data() + data.offset + 16;
                    taken = decodeItem(item.type, field, value, data.size - 16, false, seen);
                    if (taken && field == FieldPicture && imageKindOf(value, data.size - 16) == ImageKind::None) {
                        coverTypeAndLocale_.assign(value - 8, value);
                        coverImage_.assign(value, value + (data.size - 16));
                    }
                } else if (!firstData && taken && field == FieldPicture) {
                    keptCovers_.push_back(copyAtom(moov, data));
                }
                firstData = false;
            }
            if (!taken) {
                keptItems_.push_back(copyAtom(moov, item));
            }
        }
    }
}

bool Mp4Tag::decodeItem(const uint8_t* type, int field, const uint8_t* payload, size_t length, bool direct,
                        bool seen[]) {
    if (field < 0 || seen[field] || length < 1 || length > static_cast<size_t>(kMaxItemBytes)) {
        return false;
    }
    bool taken = false;
    if (std::memcmp(type, "gnre", 4) == 0) {
        // The stored number counts from 1: 1 is the first genre of the table.
        taken = length >= 2 && items_.addGenreByIndex((readBe16(payload) & 0xFF) - 1, SlotMp4) == 0;
    } else if (field == FieldTrack || field == FieldDisc) {
        if (length >= 4) {
            const int number = readBe16(payload + 2);
            const int total = length > 5 ? readBe16(payload + 4) : 0;
            const std::string text =
                total ? std::to_string(number) + "/" + std::to_string(total) : std::to_string(number);
            taken = items_.addText(TextAnsi, SlotMp4, field, reinterpret_cast<const uint8_t*>(text.data()),
                                   text.size()) == 0;
        }
    } else if (field == FieldPicture) {
        taken = items_.addBinary(SlotMp4, field, static_cast<int>(length), payload) == 0;
    } else {
        if (std::memcmp(type, "cprt", 4) == 0 && direct) {
            if (length < 3) {
                return false;
            }
            payload += 2; // language of the ISO copyright box
            length -= 2;
        }
        taken = items_.addUtf16(SlotMp4, field, decodeMp4Text(payload, length)) == 0;
    }
    seen[field] = taken;
    return taken;
}

int Mp4Tag::save() {
    if (!stream_) {
        return -1;
    }
    items_.reduce([](int field) { return field >= FieldTitle && field <= FieldDisc; }, &coverImage_);
    bool written[FieldDisc + 1] = {};
    const std::vector<uint8_t> ilst = buildItemList(written);
    std::vector<uint8_t> udta = buildUdta(ilst, written);
    if (udta.empty() && udtaSize_ == 0) {
        return 1;
    }
    if (!udta.empty() && !padUdta(udta)) {
        return -1;
    }
    const int64_t delta = static_cast<int64_t>(udta.size()) - udtaSize_;
    const int64_t newMoovSize = moovSize_ + delta;
    if (moovHeader_ == 8 && newMoovSize > 0xFFFFFFFFll) {
        return -1;
    }
    std::vector<ByteEdit> edits;
    edits.push_back(moovSizeEdit(newMoovSize));
    // Chunk offsets that point behind moov's start move with the media, and so do movie
    // fragments behind moov, whose indexes point at them.
    if (delta != 0 && (!shiftChunkOffsets(delta, edits) || !shiftFragmentOffsets(delta, edits))) {
        return -1;
    }
    ByteEdit udtaEdit;
    udtaEdit.offset = udtaSize_ ? udtaOffset_ : udtaInsertAt_;
    udtaEdit.oldLength = udtaSize_;
    udtaEdit.bytes = std::move(udta);
    edits.push_back(std::move(udtaEdit));
    if (applyByteEdits(stream_, std::move(edits)) != 0) {
        return -1;
    }
    return reload() < 0 ? -1 : 0;
}

std::vector<uint8_t> Mp4Tag::buildItemList(bool written[]) const {
    std::vector<uint8_t> ilst;
    for (int i = 0; i < items_.count(); ++i) {
        const TagItem item = items_.getItem(i);
        std::vector<uint8_t> value;
        uint32_t flags = 1;
        if (!itemValue(items_, i, value, flags)) {
            continue;
        }
        size_t extra = 0;
        if (item.field == FieldPicture) {
            for (const auto& cover : keptCovers_) {
                extra += cover.size();
            }
        }
        written[item.field] = true;
        putAtomHeader(ilst, static_cast<uint32_t>(value.size() + 24 + extra), kWritten[item.field]);
        putAtomHeader(ilst, static_cast<uint32_t>(value.size() + 16), "data");
        if (isKeptPicture(item, coverImage_)) {
            ilst.insert(ilst.end(), coverTypeAndLocale_.begin(), coverTypeAndLocale_.end());
        } else {
            putBe32(ilst, flags);
            putBe32(ilst, 0);
        }
        ilst.insert(ilst.end(), value.begin(), value.end());
        if (item.field == FieldPicture) {
            for (const auto& cover : keptCovers_) {
                ilst.insert(ilst.end(), cover.begin(), cover.end());
            }
        }
    }
    for (const auto& kept : keptItems_) {
        if (keepsAtom(kept, written)) {
            ilst.insert(ilst.end(), kept.begin(), kept.end());
        }
    }
    return ilst;
}

std::vector<uint8_t> Mp4Tag::buildUdta(const std::vector<uint8_t>& ilst, const bool written[]) const {
    std::vector<uint8_t> udta;
    putAtomHeader(udta, 0, "udta");
    auto keptChildren = [this, &udta, written](bool items) {
        for (const auto& kept : keptUdtaChildren_) {
            if ((fieldOfAtom(kept.data() + 4) >= 0) == items && keepsAtom(kept, written)) {
                udta.insert(udta.end(), kept.begin(), kept.end());
            }
        }
    };
    keptChildren(false);
    if (!ilst.empty() || !keptMetaChildren_.empty()) {
        std::vector<uint8_t> meta;
        putAtomHeader(meta, 0, "meta");
        putBe32(meta, 0); // version and flags
        // hdlr: version/flags, pre-defined, handler type, three reserved words (the
        // first "appl") and an empty name: 34 bytes, as its size says.
        putAtomHeader(meta, 34, "hdlr");
        putBe32(meta, 0);
        putBe32(meta, 0);
        putText(meta, "mdir");
        putText(meta, "appl");
        meta.insert(meta.end(), 10, 0);
        for (const auto& kept : keptMetaChildren_) {
            meta.insert(meta.end(), kept.begin(), kept.end());
        }
        putAtomHeader(meta, static_cast<uint32_t>(ilst.size() + 8), "ilst");
        meta.insert(meta.end(), ilst.begin(), ilst.end());
        setBe32(meta.data(), static_cast<uint32_t>(meta.size()));
        udta.insert(udta.end(), meta.begin(), meta.end());
    }
    keptChildren(true);
    // An emptied udta goes, unless a later one would then be read in its place.
    if (udta.size() == 8 && !laterUdta_) {
        udta.clear();
    }
    return udta;
}

bool Mp4Tag::padUdta(std::vector<uint8_t>& udta) const {
    // Padding as a "free" atom: fill the old space when the new atoms fit it.
    const int64_t spare = udtaSize_ - static_cast<int64_t>(udta.size());
    int64_t padding = kNewPadding;
    if (spare == 0) {
        padding = 0;
    } else if (spare >= 8 && spare <= kMaxKeptPadding) {
        padding = spare;
    }
    if (padding > 0) {
        putAtomHeader(udta, static_cast<uint32_t>(padding), "free");
        udta.insert(udta.end(), static_cast<size_t>(padding - 8), 0);
    }
    if (udta.size() > 0xFFFFFFFFu) {
        return false;
    }
    setBe32(udta.data(), static_cast<uint32_t>(udta.size()));
    return true;
}

ByteEdit Mp4Tag::moovSizeEdit(int64_t newMoovSize) const {
    ByteEdit moovSize;
    if (moovHeader_ == 16) {
        moovSize.offset = moovOffset_ + 8;
        moovSize.oldLength = 8;
        putBe32(moovSize.bytes, static_cast<uint32_t>(uint64_t(newMoovSize) >> 32));
        putBe32(moovSize.bytes, static_cast<uint32_t>(newMoovSize));
    } else {
        moovSize.offset = moovOffset_;
        moovSize.oldLength = 4;
        putBe32(moovSize.bytes, static_cast<uint32_t>(newMoovSize));
    }
    return moovSize;
}

bool Mp4Tag::shiftChunkOffsets(int64_t delta, std::vector<ByteEdit>& edits) {
    const std::vector<uint8_t> moov = readRange(stream_, moovOffset_, moovSize_);
    if (static_cast<int64_t>(moov.size()) != moovSize_) {
        return false;
    }
    const uint64_t contentsStart = static_cast<uint64_t>(moovOffset_ + moovHeader_);
    Atom root;
    root.offset = 0;
    root.header = static_cast<size_t>(moovHeader_);
    root.size = moov.size();
    // When anything lies behind moov, the media moves with moov's size: then every track
    // must lead, through atoms that fit, to its chunk-offset table, or the save would move
    // the samples away from offsets it cannot correct. (When moov ends the file only
    // moov's own atoms behind the tag move.)
    const bool mediaMoves = moovOffset_ + moovSize_ < stream_->size();
    std::vector<Atom> traks;
    bool found = childrenOfType(moov, root, "trak", traks);
    for (const Atom& trak : traks) {
        std::vector<Atom> mdia, minf, stbl;
        found = childrenOfType(moov, trak, "mdia", mdia) && !mdia.empty() && found;
        for (const Atom& a : mdia) {
            found = childrenOfType(moov, a, "minf", minf) && found;
        }
        found = found && !minf.empty();
        for (const Atom& a : minf) {
            found = childrenOfType(moov, a, "stbl", stbl) && found;
        }
        found = found && !stbl.empty();
        for (const Atom& table : stbl) {
            std::vector<Atom> offsets;
            found = childrenOfType(moov, table, "stco", offsets) && found;
            childrenOfType(moov, table, "co64", offsets);
            found = found && !offsets.empty();
            for (const Atom& atom : offsets) {
                if (!shiftChunkTable(moov, atom, moovOffset_, contentsStart, delta, edits)) {
                    return false;
                }
            }
        }
        if (mediaMoves && !found) {
            return false;
        }
    }
    if (mediaMoves && !found) {
        return false;
    }
    // A fragmented file (mvex in moov) keeps absolute offsets in its fragments: behind
    // a top-level box the walk could not pass, a fragment would be missed.
    std::vector<Atom> mvex;
    childrenOfType(moov, root, "mvex", mvex);
    return !mediaMoves || mvex.empty() || topLevelWhole_;
}

namespace {

// An absolute file offset of a box that lies behind moov, moved by the change of moov's
// size; false when it no longer fits its field.
bool shiftOffset(uint8_t* field, bool wide, int64_t moovOffset, int64_t delta) {
    const uint64_t value = wide ? readBe64(field) : readBe32(field);
    if (value <= static_cast<uint64_t>(moovOffset)) {
        return true;
    }
    const uint64_t moved = value + static_cast<uint64_t>(delta);
    if (wide) {
        setBe32(field, static_cast<uint32_t>(moved >> 32));
        setBe32(field + 4, static_cast<uint32_t>(moved));
    } else if (moved > 0xFFFFFFFFull) {
        return false;
    } else {
        setBe32(field, static_cast<uint32_t>(moved));
    }
    return true;
}

// tfhd of every traf of a moof: an explicit base data offset is absolute. (With none,
// or with default-base-is-moof, data offsets count from the moof and move with it.)
bool shiftTrackFragmentBases(std::vector<uint8_t>& moof, const Atom& root, int64_t moovOffset, int64_t delta,
                             bool& changed) {
    for (size_t at = root.offset + root.header; at < root.end();) {
        Atom traf;
        if (!atomAt(moof, at, root.end(), traf)) {
            return false;
        }
        at = traf.end();
        if (!isType(traf, "traf")) {
            continue;
        }
        Atom tfhd;
        if (!atomAt(moof, traf.offset + traf.header, traf.end(), tfhd) || !isType(tfhd, "tfhd")) {
            return false; // tfhd comes first in every traf
        }
        const size_t body = tfhd.offset + tfhd.header;
        if (tfhd.size < tfhd.header + 8) {
            return false;
        }
        if (readBe32(moof.data() + body) & 0x000001) {
            if (tfhd.size < tfhd.header + 16) {
                return false;
            }
            shiftOffset(moof.data() + body + 8, true, moovOffset, delta);
            changed = true;
        }
    }
    return true;
}

// tfra entries of an mfra: each names its moof by absolute offset.
bool shiftRandomAccessEntries(std::vector<uint8_t>& mfra, const Atom& root, int64_t moovOffset, int64_t delta) {
    for (size_t at = root.offset + root.header; at < root.end();) {
        Atom tfra;
        if (!atomAt(mfra, at, root.end(), tfra)) {
            return false;
        }
        at = tfra.end();
        if (!isType(tfra, "tfra")) {
            continue;
        }
        const size_t body = tfra.offset + tfra.header;
        if (tfra.size < tfra.header + 16) {
            return false;
        }
        const bool wide = mfra[body] == 1;
        const uint32_t sizes = readBe32(mfra.data() + body + 8);
        const size_t entryBytes = (wide ? 16 : 8) + ((sizes >> 4) & 3) + ((sizes >> 2) & 3) + (sizes & 3) + 3;
        const uint32_t count = readBe32(mfra.data() + body + 12);
        if (count > (tfra.end() - body - 16) / entryBytes) {
            return false;
        }
        for (uint32_t e = 0; e < count; ++e) {
            uint8_t* entry = mfra.data() + body + 16 + e * entryBytes;
            if (!shiftOffset(entry + (wide ? 8 : 4), wide, moovOffset, delta)) {
                return false;
            }
        }
    }
    return true;
}

// A sidx counts from its own end: one in front of moov that indexes what lies behind
// moov gets the change added; one behind moov moves with what it indexes.
bool shiftSegmentIndex(std::vector<uint8_t>& sidx, const Atom& root, int64_t sidxOffset, int64_t moovOffset,
                       int64_t moovEnd, int64_t delta, bool& changed) {
    const size_t body = root.offset + root.header;
    const bool wide = root.size > body && sidx[body] != 0;
    const size_t firstOffsetAt = body + 12 + (wide ? 8 : 4);
    const size_t referencesAt = firstOffsetAt + (wide ? 8 : 4) + 4;
    if (root.size < referencesAt) {
        return false;
    }
    const int64_t anchor = sidxOffset + static_cast<int64_t>(root.size);
    if (anchor > moovOffset) {
        return true;
    }
    const uint64_t firstOffset = wide ? readBe64(sidx.data() + firstOffsetAt) : readBe32(sidx.data() + firstOffsetAt);
    const uint16_t references = readBe16(sidx.data() + referencesAt - 2);
    uint64_t length = 0;
    for (uint16_t r = 0; r < references && referencesAt + 12 * (r + 1) <= root.size; ++r) {
        length += readBe32(sidx.data() + referencesAt + 12 * r) & 0x7FFFFFFF;
    }
    const uint64_t first = static_cast<uint64_t>(anchor) + firstOffset;
    if (first + length <= static_cast<uint64_t>(moovOffset)) {
        return true; // all in front of moov: nothing moves
    }
    if (first < static_cast<uint64_t>(moovEnd)) {
        return false; // moov inside the indexed range: its sizes would no longer hold
    }
    const uint64_t moved = firstOffset + static_cast<uint64_t>(delta);
    if (wide) {
        setBe32(sidx.data() + firstOffsetAt, static_cast<uint32_t>(moved >> 32));
        setBe32(sidx.data() + firstOffsetAt + 4, static_cast<uint32_t>(moved));
    } else if (moved > 0xFFFFFFFFull) {
        return false;
    } else {
        setBe32(sidx.data() + firstOffsetAt, static_cast<uint32_t>(moved));
    }
    changed = true;
    return true;
}

} // namespace

bool Mp4Tag::shiftFragmentOffsets(int64_t delta, std::vector<ByteEdit>& edits) {
    constexpr int64_t kMaxFragmentBoxBytes = 64 * 1024 * 1024;
    for (const FragmentBox& box : fragmentBoxes_) {
        if (box.size > kMaxFragmentBoxBytes) {
            return false;
        }
        // A moof holds its media data's offsets (trun) relative to itself; only the
        // boxes' headers and indexes are read, not the media.
        ByteEdit edit;
        edit.offset = box.offset;
        edit.oldLength = box.size;
        edit.bytes = readRange(stream_, box.offset, box.size);
        if (static_cast<int64_t>(edit.bytes.size()) != box.size) {
            return false;
        }
        Atom root;
        if (!atomAt(edit.bytes, 0, edit.bytes.size(), root)) {
            return false;
        }
        bool changed = false;
        bool ok = true;
        if (isType(root, "moof")) {
            ok = shiftTrackFragmentBases(edit.bytes, root, moovOffset_, delta, changed);
        } else if (isType(root, "mfra")) {
            ok = shiftRandomAccessEntries(edit.bytes, root, moovOffset_, delta);
            changed = true;
        } else {
            ok = shiftSegmentIndex(edit.bytes, root, box.offset, moovOffset_, moovOffset_ + moovSize_, delta, changed);
        }
        if (!ok) {
            return false;
        }
        if (changed) {
            edits.push_back(std::move(edit));
        }
    }
    return true;
}

} // namespace calvorine::tags
