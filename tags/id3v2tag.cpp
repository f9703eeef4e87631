#include "tags/id3v2tag.h"

#include "tags/probes.h"

#include <algorithm>
#include <cstring>

namespace calvorine::tags {

namespace {

// Space a rewritten tag leaves for the next one to grow into, and how much unused
// space a shrinking tag may keep before the file is rewritten smaller.
constexpr int64_t kNewPadding = 1024;
constexpr int64_t kMaxKeptPadding = 16 * 1024;
constexpr int64_t kMaxSyncSafe = (int64_t(1) << 28) - 1;

struct FrameName {
    const char* v3;
    const char* v2;
    int field;
};
const FrameName kFrames[] = {
    {"TIT2", "TT2", FieldTitle},       {"TPE1", "TP1", FieldArtist},   {"TALB", "TAL", FieldAlbum},
    {"TCON", "TCO", FieldGenre},       {"TYER", "TYE", FieldYear},     {"TDRC", nullptr, FieldYear},
    {"TRCK", "TRK", FieldTrack},       {"COMM", "COM", FieldComment},  {"TCOP", "TCR", FieldCopyright},
    {"USLT", "ULT", FieldLyrics},      {"APIC", "PIC", FieldPicture},  {"GEOB", "GEO", FieldPicture},
    {"TPE2", "TP2", FieldAlbumArtist}, {"TCOM", "TCM", FieldComposer}, {"TPOS", "TPA", FieldDisc},
};

int fieldOfFrame(const std::string& id, int version) {
    for (const FrameName& name : kFrames) {
        const char* wanted = version <= 2 ? name.v2 : name.v3;
        if (wanted && id == wanted) {
            return name.field;
        }
    }
    return -1;
}

const char* frameIdForField(int field, int version) {
    switch (field) {
    case FieldTitle:
        return "TIT2";
    case FieldArtist:
        return "TPE1";
    case FieldAlbum:
        return "TALB";
    case FieldGenre:
        return "TCON";
    case FieldYear:
        return version >= 4 ? "TDRC" : "TYER";
    case FieldTrack:
        return "TRCK";
    case FieldComment:
        return "COMM";
    case FieldCopyright:
        return "TCOP";
    case FieldLyrics:
        return "USLT";
    case FieldPicture:
        return "APIC";
    case FieldAlbumArtist:
        return "TPE2";
    case FieldComposer:
        return "TCOM";
    case FieldDisc:
        return "TPOS";
    default:
        return nullptr;
    }
}

uint32_t syncSafe(const uint8_t* p) {
    return (uint32_t(p[0] & 0x7F) << 21) | (uint32_t(p[1] & 0x7F) << 14) | (uint32_t(p[2] & 0x7F) << 7) | (p[3] & 0x7F);
}

void putSyncSafe(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(uint8_t((v >> 21) & 0x7F));
    out.push_back(uint8_t((v >> 14) & 0x7F));
    out.push_back(uint8_t((v >> 7) & 0x7F));
    out.push_back(uint8_t(v & 0x7F));
}

std::vector<uint8_t> removeUnsynchronisation(const uint8_t* data, size_t length) {
    std::vector<uint8_t> out;
    out.reserve(length);
    for (size_t i = 0; i < length; ++i) {
        out.push_back(data[i]);
        if (data[i] == 0xFF && i + 1 < length && data[i + 1] == 0x00) {
            ++i;
        }
    }
    return out;
}

// Length of a string in encoding e starting at p, and of its terminator (0 when the
// string runs to the end).
size_t stringLength(int e, const uint8_t* p, size_t length, size_t& terminator) {
    terminator = 0;
    if (e == 1 || e == 2) {
        for (size_t i = 0; i + 1 < length; i += 2) {
            if (p[i] == 0 && p[i + 1] == 0) {
                terminator = 2;
                return i;
            }
        }
        return length;
    }
    const void* zero = std::memchr(p, 0, length);
    if (zero) {
        terminator = 1;
        return static_cast<size_t>(static_cast<const uint8_t*>(zero) - p);
    }
    return length;
}

std::u16string decodeId3Text(int e, const uint8_t* p, size_t length) {
    if (length >= 2 && p[0] == 0xFF && p[1] == 0xFE) {
        return decodeTagText(TextUtf16Le, p + 2, length - 2);
    }
    if (length >= 2 && p[0] == 0xFE && p[1] == 0xFF) {
        return decodeTagText(TextUtf16Be, p + 2, length - 2);
    }
    if (length >= 3 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF) {
        return decodeTagText(TextUtf8, p + 3, length - 3);
    }
    switch (e) {
    case 0:
        return decodeTagText(TextAnsi, p, length);
    case 1:
        return decodeTagText(TextDetect, p, length);
    case 2:
        return decodeTagText(TextUtf16Be, p, length);
    default:
        return decodeTagText(TextUtf8, p, length);
    }
}

bool startsWithImageMime(const uint8_t* p, size_t length) {
    static const char prefix[] = "image/";
    if (length < 6) {
        return false;
    }
    for (size_t i = 0; i < 6; ++i) {
        if ((p[i] | 0x20) != static_cast<uint8_t>(prefix[i]) && !(prefix[i] == '/' && p[i] == '/')) {
            return false;
        }
    }
    return true;
}

// A modelled frame's value: text, or picture bytes. `preferred` marks the frame a
// field should take when the tag holds several (an empty-descriptor comment, a front
// cover); false when the frame cannot be read.
struct Decoded {
    bool ok = false;
    bool preferred = true;
    bool binary = false;
    std::u16string text;
    std::vector<uint8_t> bytes;
};

Decoded decodeFrame(const std::string& id, int field, const uint8_t* data, size_t length, int version) {
    Decoded out;
    if (length < 1 || length > static_cast<size_t>(kMaxItemBytes)) {
        return out;
    }
    const int e = data[0] <= 3 ? data[0] : 0;
    const uint8_t* p = data + 1;
    size_t left = length - 1;
    size_t terminator = 0;
    if (field == FieldComment || field == FieldLyrics) {
        if (left < 3) {
            return out;
        }
        p += 3;
        left -= 3;
        const size_t description = stringLength(e, p, left, terminator);
        out.preferred = description == 0 || (description == 2 && (e == 1) &&
                                             ((p[0] == 0xFF && p[1] == 0xFE) || (p[0] == 0xFE && p[1] == 0xFF)));
        p += description + terminator;
        left -= description + terminator;
        out.text = decodeId3Text(e, p, left);
        out.ok = true;
        return out;
    }
    if (field == FieldPicture) {
        out.binary = true;
        if (version <= 2 && id == "PIC") {
            if (left < 4) {
                return out;
            }
            p += 3;
            left -= 3;
        } else {
            const size_t mime = stringLength(0, p, left, terminator);
            if (id == "GEOB" || id == "GEO") {
                if (!startsWithImageMime(p, mime)) {
                    return out;
                }
            }
            p += mime + terminator;
            left -= mime + terminator;
        }
        if (id == "GEOB" || id == "GEO") {
            const size_t fileName = stringLength(e, p, left, terminator);
            p += fileName + terminator;
            left -= fileName + terminator;
            out.preferred = false;
        } else {
            if (left < 1) {
                return out;
            }
            out.preferred = p[0] == 3;
            ++p;
            --left;
        }
        const size_t description = stringLength(e, p, left, terminator);
        p += description + terminator;
        left -= description + terminator;
        if (left < 1) {
            return out;
        }
        out.bytes.assign(p, p + left);
        out.ok = true;
        return out;
    }
    out.text = decodeId3Text(e, p, left);
    out.ok = true;
    return out;
}

// The data of an APIC frame that says what a version 2.2 PIC frame says: its three-letter
// image format becomes a MIME type. Empty when the frame is too short.
std::vector<uint8_t> apicFromPic(const std::vector<uint8_t>& pic) {
    std::vector<uint8_t> apic;
    if (pic.size() < 5) {
        return apic;
    }
    apic.push_back(pic[0]);
    putText(apic, "image/");
    for (size_t i = 1; i < 4 && pic[i] != 0 && pic[i] != ' '; ++i) {
        apic.push_back(static_cast<uint8_t>(pic[i] >= 'A' && pic[i] <= 'Z' ? pic[i] + 32 : pic[i]));
    }
    apic.push_back(0);
    apic.insert(apic.end(), pic.begin() + 4, pic.end());
    return apic;
}

} // namespace

Id3v2Tag::Id3v2Tag(IByteStream* stream, int& result, int slot) : TagHandler(stream), slot_(slot) {
    result = parse();
}

int Id3v2Tag::reload() {
    return parse();
}

int Id3v2Tag::parse() {
    items_.clear();
    kept_.clear();
    coverFrame_ = Frame{};
    coverImage_.clear();
    tagLength_ = 0;
    version_ = 3;
    if (!stream_) {
        return -1;
    }
    uint8_t header[10];
    if (!readAt(stream_, 0, header, 10) || std::memcmp(header, "ID3", 3) != 0 || header[3] < 2 || header[3] > 4 ||
        (header[6] | header[7] | header[8] | header[9]) & 0x80) {
        return 0;
    }
    const int version = header[3];
    const uint8_t flags = header[5];
    const int64_t size = syncSafe(header + 6);
    tagLength_ = id3v2TagLength(stream_, 0);
    version_ = version == 4 ? 4 : 3;

    const int64_t fileSize = stream_->size();
    const int64_t available = std::min<int64_t>(size, std::max<int64_t>(0, fileSize - 10));
    std::vector<uint8_t> body = readRange(stream_, 10, available);
    if (version <= 3 && (flags & 0x80)) {
        body = removeUnsynchronisation(body.data(), body.size());
    }
    size_t start = 0;
    if (version >= 3 && (flags & 0x40) && body.size() >= 4) {
        const uint32_t extended = version == 3 ? readBe32(body.data()) : syncSafe(body.data());
        start = version == 3 ? size_t(extended) + 4 : size_t(extended);
        if (start > body.size()) {
            return 0;
        }
    }
    body.erase(body.begin(), body.begin() + static_cast<std::ptrdiff_t>(start));
    parseFrames(body, version);
    return 0;
}

struct Id3v2Tag::Candidate {
    int field;
    Decoded value;
    size_t keptIndex; // where the frame sits among the kept frames when not chosen
};

void Id3v2Tag::parseFrames(const std::vector<uint8_t>& body, int version) {
    std::vector<Candidate> candidates;
    std::vector<Frame> frames;
    readFrames(body, version, candidates, frames);
    chooseItems(candidates, frames);
}

void Id3v2Tag::readFrames(const std::vector<uint8_t>& body, int version, std::vector<Candidate>& candidates,
                          std::vector<Frame>& frames) {
    const size_t headerBytes = version <= 2 ? 6 : 10;
    size_t offset = 0;
    while (offset + headerBytes <= body.size()) {
        const uint8_t* h = body.data() + offset;
        Frame frame;
        size_t frameSize = 0;
        if (version <= 2) {
            frame.id.assign(reinterpret_cast<const char*>(h), 3);
            frameSize = readBe24(h + 3);
            frame.flags[0] = frame.flags[1] = 0;
            if (h[0] == 0 && frameSize == 0) {
                break;
            }
        } else {
            frame.id.assign(reinterpret_cast<const char*>(h), 4);
            frameSize = version == 3 ? readBe32(h + 4) : syncSafe(h + 4);
            frame.flags[0] = h[8];
            frame.flags[1] = h[9];
            if (h[0] == 0 && frameSize == 0 && h[8] == 0 && h[9] == 0) {
                break; // padding
            }
        }
        if (frameSize > body.size() - offset - headerBytes) {
            break;
        }
        const uint8_t* data = h + headerBytes;
        offset += headerBytes + frameSize;
        bool validId = frame.id[0] != 0;
        for (char c : frame.id) {
            validId = validId && ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'));
        }
        if (!validId || frameSize == 0) {
            continue;
        }
        frame.data.assign(data, data + frameSize);

        std::vector<uint8_t> plain;
        const uint8_t* content = data;
        size_t contentSize = frameSize;
        const int field = frameContent(frame, version, plain, content, contentSize);
        if (field >= 0) {
            Decoded value = decodeFrame(frame.id, field, content, contentSize, version);
            if (value.ok) {
                candidates.push_back({field, std::move(value), frames.size()});
            }
        }
        if (version >= 3) {
            frames.push_back(std::move(frame));
        } else {
            // 2.2 frames have no 2.3 form to be kept in; a picture keeps its data, which
            // has one, in case it is the cover.
            Frame unkept;
            if (field == FieldPicture && frame.id == "PIC") {
                unkept.data = apicFromPic(frame.data);
            }
            frames.push_back(std::move(unkept));
        }
    }
}

int Id3v2Tag::frameContent(const Frame& frame, int version, std::vector<uint8_t>& plain, const uint8_t*& content,
                           size_t& contentSize) {
    int field = fieldOfFrame(frame.id, version);
    if (field >= 0 && version == 3 && (frame.flags[1] & 0xE0)) {
        field = -1; // compressed, encrypted or grouped: kept as it is
    }
    if (field >= 0 && version == 4) {
        if (frame.flags[1] & 0x0C) {
            field = -1;
        } else {
            if (frame.flags[1] & 0x02) {
                plain = removeUnsynchronisation(content, contentSize);
                content = plain.data();
                contentSize = plain.size();
            }
            if (frame.flags[1] & 0x01) {
                if (contentSize < 4) {
                    field = -1;
                } else {
                    content += 4;
                    contentSize -= 4;
                }
            }
        }
    }
    return field;
}

void Id3v2Tag::chooseItems(const std::vector<Candidate>& candidates, std::vector<Frame>& frames) {
    // One item per field: the preferred frame, else the first; the others stay frames.
    std::vector<bool> chosen(frames.size(), false);
    for (int field = 0; field <= FieldDisc; ++field) {
        const Candidate* pick = nullptr;
        for (const Candidate& candidate : candidates) {
            // A frame without a value is never the field's item: it stays a frame, the
            // same one wherever it sits.
            const bool empty = candidate.value.binary ? candidate.value.bytes.empty() : candidate.value.text.empty();
            if (candidate.field == field && !empty &&
                (!pick || (candidate.value.preferred && !pick->value.preferred))) {
                pick = &candidate;
            }
        }
        if (!pick) {
            continue;
        }
        chosen[pick->keptIndex] = true;
        const std::vector<uint8_t>& image = pick->value.bytes;
        if (field == FieldPicture && imageKindOf(image.data(), image.size()) == ImageKind::None) {
            Frame& frame = frames[pick->keptIndex];
            if (frame.id.empty() && !frame.data.empty()) {
                frame.id = "APIC";
                frame.flags[0] = frame.flags[1] = 0;
            }
            if (!frame.id.empty()) {
                coverFrame_ = frame;
                coverImage_ = image;
            }
        }
        if (pick->value.binary) {
            items_.addBinary(slot_, field, static_cast<int>(pick->value.bytes.size()), pick->value.bytes.data());
        } else if (!pick->value.text.empty()) {
            items_.addUtf16(slot_, field, pick->value.text);
        }
    }
    for (const Candidate& candidate : candidates) {
        const bool empty = candidate.value.binary ? candidate.value.bytes.empty() : candidate.value.text.empty();
        if (!chosen[candidate.keptIndex] && !empty) {
            frames[candidate.keptIndex].field = candidate.field;
        }
    }
    for (size_t i = 0; i < frames.size(); ++i) {
        if (!chosen[i] && !frames[i].id.empty()) {
            kept_.push_back(std::move(frames[i]));
        }
    }
}

int Id3v2Tag::save() {
    if (!stream_) {
        return -1;
    }
    items_.reduce([](int field) { return field != FieldGrouping && field <= FieldDisc; }, &coverImage_);
    std::vector<uint8_t> frames;
    if (!buildFrames(frames)) {
        return -1;
    }
    const int64_t fileSize = stream_->size();
    if (fileSize < 0) {
        return -1;
    }
    const int64_t oldLength = std::min(tagLength_, fileSize);
    if (frames.empty()) {
        return oldLength == 0 ? 1 : removeTags(oldLength, fileSize);
    }
    int64_t total = 10 + static_cast<int64_t>(frames.size());
    const bool fitsInPlace = oldLength > 0 && total <= oldLength && oldLength - total <= kMaxKeptPadding;
    total = fitsInPlace ? oldLength : total + kNewPadding;
    if (total - 10 > kMaxSyncSafe) {
        return -1; // larger than an ID3v2 tag can say
    }
    std::vector<uint8_t> tag;
    tag.reserve(static_cast<size_t>(total));
    putText(tag, "ID3");
    tag.push_back(static_cast<uint8_t>(version_));
    tag.push_back(0);
    tag.push_back(0);
    putSyncSafe(tag, static_cast<uint32_t>(total - 10));
    tag.insert(tag.end(), frames.begin(), frames.end());
    tag.resize(static_cast<size_t>(total), 0);
    if (replaceFileRange(stream_, 0, oldLength, tag.data(), total) != 0) {
        return -1;
    }
    tagLength_ = total;
    return 0;
}

void Id3v2Tag::putFrameHeader(std::vector<uint8_t>& frames, const char* id, size_t size, const uint8_t* flags) const {
    putText(frames, id);
    if (version_ >= 4) {
        putSyncSafe(frames, static_cast<uint32_t>(size));
    } else {
        putBe32(frames, static_cast<uint32_t>(size));
    }
    frames.push_back(flags ? flags[0] : 0);
    frames.push_back(flags ? flags[1] : 0);
}

bool Id3v2Tag::buildFrames(std::vector<uint8_t>& frames) const {
    auto hasField = [this](int field) {
        for (int i = 0; i < items_.count(); ++i) {
            if (items_.getItem(i).field == field) {
                return true;
            }
        }
        return false;
    };
    // Frames in field order, the order a parse lists them in: a tag read back and saved
    // again comes out the same.
    std::vector<int> order(static_cast<size_t>(items_.count()));
    for (int i = 0; i < items_.count(); ++i) {
        order[static_cast<size_t>(i)] = i;
    }
    std::stable_sort(order.begin(), order.end(),
                     [this](int a, int b) { return items_.getItem(a).field < items_.getItem(b).field; });
    for (const int i : order) {
        if (!appendItemFrame(frames, i)) {
            return false;
        }
    }
    for (const Frame& frame : kept_) {
        // A second value of a field that no longer has an item would read back as its
        // item: the field was cleared, so it goes too.
        if (frame.field >= 0 && !hasField(frame.field)) {
            continue;
        }
        putFrameHeader(frames, frame.id.c_str(), frame.data.size(), frame.flags);
        putBytes(frames, frame.data.data(), frame.data.size());
    }

    return true;
}

bool Id3v2Tag::appendItemFrame(std::vector<uint8_t>& frames, int i) const {
    const TagItem item = items_.getItem(i);
    const char* id = frameIdForField(item.field, version_);
    if (!id || item.length <= 0) {
        return true;
    }
    if (item.length > kMaxSyncSafe / 2) {
        return false;
    }
    const auto length = static_cast<size_t>(item.length);
    if (isKeptPicture(item, coverImage_)) {
        putFrameHeader(frames, coverFrame_.id.c_str(), coverFrame_.data.size(), coverFrame_.flags);
        putBytes(frames, coverFrame_.data.data(), coverFrame_.data.size());
    } else if (item.field == FieldPicture) {
        const char* mime = imageMimeType(imageKindOf(item.data, length));
        putFrameHeader(frames, id, std::strlen(mime) + length + 9, nullptr);
        frames.push_back(1);
        putText(frames, mime);
        frames.push_back(0);
        frames.push_back(3); // front cover
        const uint8_t description[] = {0xFF, 0xFE, 0x65, 0x00, 0x00, 0x00};
        putBytes(frames, description, sizeof description);
        putBytes(frames, item.data, length);
    } else if (item.field == FieldComment || item.field == FieldLyrics) {
        const char* language = systemIso639Language();
        putFrameHeader(frames, id, length + 10, nullptr);
        frames.push_back(1);
        putBytes(frames, language ? language : "eng", 3);
        const uint8_t emptyDescription[] = {0xFF, 0xFE, 0x00, 0x00, 0xFF, 0xFE};
        putBytes(frames, emptyDescription, sizeof emptyDescription);
        putBytes(frames, item.data, length);
    } else {
        std::vector<uint8_t> text(item.data, item.data + length);
        if (item.field == FieldGenre) {
            text = utf16ToBytes(items_.storedText(i), false, false);
            if (text.size() > kMaxSyncSafe / 2) {
                return false;
            }
        }
        putFrameHeader(frames, id, text.size() + 3, nullptr);
        const uint8_t bom[] = {0x01, 0xFF, 0xFE};
        putBytes(frames, bom, sizeof bom);
        putBytes(frames, text.data(), text.size());
    }
    return true;
}

int Id3v2Tag::removeTags(int64_t oldLength, int64_t fileSize) {
    // Tags stacked behind it go too: each would read as the tag once the one in
    // front of it is gone.
    int64_t removed = oldLength;
    int64_t length = 0;
    while (removed + 10 <= fileSize && (length = id3v2TagLength(stream_, removed)) > 0) {
        removed = std::min(fileSize, removed + length);
    }
    if (replaceFileRange(stream_, 0, removed, nullptr, 0) != 0) {
        return -1;
    }
    tagLength_ = 0;
    return 0;
}

} // namespace calvorine::tags
