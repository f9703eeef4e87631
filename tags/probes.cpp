#include "tags/probes.h"

#include "tags/flactag.h"
#include "tags/tagitems.h"

#include <cstring>

namespace calvorine::tags {

namespace {

const int kMpegBitRates[5][16] = {
    {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0}, // MPEG-1 Layer I
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},    // MPEG-1 Layer II
    {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0},     // MPEG-1 Layer III
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0},    // MPEG-2/2.5 Layer I
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},         // MPEG-2/2.5 Layer II, III
};
const int kMpegSampleRates[3][3] = {{44100, 48000, 32000}, {22050, 24000, 16000}, {11025, 12000, 8000}};
const int kAdtsSampleRates[12] = {96000, 88200, 64000, 48000, 44100, 32000, 24000, 22050, 16000, 12000, 11025, 8000};

bool sameStream(const AudioFrameInfo& a, const AudioFrameInfo& b) {
    return a.version == b.version && a.sampleRateHz == b.sampleRateHz && a.channels == b.channels &&
           a.samplesPerFrame == b.samplesPerFrame;
}

// Looks for two consecutive frames of the same stream, then the file's end, an ID3v1 or
// APE tag, or a third frame.
template <int HeaderBytes, typename Parse>
int64_t probeFrames(IByteStream* stream, int offsets, const char* tagMark, Parse parse) {
    if (!stream) {
        return -1;
    }
    const int64_t start = audioStartAfterId3v2(stream);
    BufferedReadStream reader(stream);
    const size_t markLength = std::strlen(tagMark);
    for (int d = 0; d < offsets; ++d) {
        const int64_t first = start + d;
        uint8_t header[HeaderBytes];
        AudioFrameInfo h1;
        if (reader.seek(first) != first || reader.read(header, HeaderBytes) != HeaderBytes) {
            return -1;
        }
        if (parse(header, h1) != 0) {
            continue;
        }
        const int64_t second = first + h1.frameBytes;
        AudioFrameInfo h2;
        if (reader.seek(second) != second || reader.read(header, HeaderBytes) != HeaderBytes ||
            parse(header, h2) != 0 || !sameStream(h1, h2)) {
            continue;
        }
        const int64_t third = second + h2.frameBytes;
        if (reader.seek(third) != third) {
            continue;
        }
        const int got = reader.read(header, HeaderBytes);
        if (got < 4 || std::memcmp(header, "TAG", 3) == 0 ||
            (got >= static_cast<int>(markLength) && std::memcmp(header, tagMark, markLength) == 0)) {
            return first;
        }
        AudioFrameInfo h3;
        if (got == HeaderBytes && parse(header, h3) == 0 && sameStream(h1, h3)) {
            return first;
        }
    }
    return -1;
}

// Frames are followed from a point where the stream is known to be in step: its first
// frame when that is near the block, else the first place in the last stretch before
// the block where three frames of one stream follow each other.
constexpr int64_t kFollowFromFirst = 64 * 1024;
constexpr int64_t kResyncStretch = 3 * 8192;

template <int HeaderBytes, typename Parse>
bool framesRunInto(IByteStream* stream, int64_t first, int64_t blockStart, int64_t end, Parse parse) {
    if (first < 0) {
        return false;
    }
    if (first >= blockStart) {
        return first < end;
    }
    BufferedReadStream reader(stream);
    // The frame at `at` when it is one of the stream (`reference`, when given), and
    // lies before `end`.
    auto frameAt = [&](int64_t at, const AudioFrameInfo* reference, AudioFrameInfo& info) {
        uint8_t header[HeaderBytes];
        return at + HeaderBytes <= end && reader.seek(at) == at && reader.read(header, HeaderBytes) == HeaderBytes &&
               parse(header, info) == 0 && (!reference || sameStream(*reference, info));
    };
    int64_t at = first;
    if (blockStart - first > kFollowFromFirst) {
        at = -1;
        for (int64_t candidate = blockStart - kResyncStretch; candidate < blockStart && at < 0; ++candidate) {
            AudioFrameInfo a;
            AudioFrameInfo b;
            AudioFrameInfo c;
            if (frameAt(candidate, nullptr, a) && frameAt(candidate + a.frameBytes, &a, b) &&
                frameAt(candidate + a.frameBytes + b.frameBytes, &a, c)) {
                at = candidate;
            }
        }
        if (at < 0) {
            return false;
        }
    }
    AudioFrameInfo reference;
    if (!frameAt(at, nullptr, reference)) {
        return false;
    }
    for (;;) {
        AudioFrameInfo info;
        if (!frameAt(at, &reference, info)) {
            return false; // the frames stop before the block: what follows is not theirs
        }
        if (at >= blockStart) {
            return true;
        }
        const int64_t next = at + info.frameBytes;
        if (next == end) {
            return true;
        }
        if (next > end) {
            return false; // a frame cut short by the block, as in a cut file given a tag
        }
        at = next;
    }
}

} // namespace

bool audioRunsInto(IByteStream* stream, int audioType, int64_t blockStart, int64_t end) {
    if (!stream || blockStart < 0 || end <= blockStart) {
        return false;
    }
    if (audioType == FileMp3) {
        return framesRunInto<4>(stream, probeMpegAudio(stream), blockStart, end, parseMpegFrameHeader);
    }
    if (audioType == FileAac) {
        return framesRunInto<7>(stream, probeAdts(stream), blockStart, end, parseAdtsFrameHeader);
    }
    if (audioType == FileApe) {
        // Since version 3.98 the descriptor counts every byte of the stream: descriptor,
        // header, seek table, header data, frame data and terminating data. A count
        // past the end of the file says nothing.
        const int64_t start = probeMonkeysAudio(stream);
        uint8_t descriptor[36];
        if (start < 0 || !readAt(stream, start, descriptor, sizeof descriptor) || readLe16(descriptor + 4) < 3980) {
            return false;
        }
        uint64_t audioEnd = static_cast<uint64_t>(start) + (uint64_t(readLe32(descriptor + 28)) << 32);
        for (int field = 8; field <= 32; field += 4) {
            audioEnd += field == 28 ? 0 : readLe32(descriptor + field);
        }
        const int64_t size = stream->size();
        return start >= blockStart ||
               (audioEnd > static_cast<uint64_t>(blockStart) && size >= 0 && audioEnd <= static_cast<uint64_t>(size));
    }
    if (audioType == FileFlac) {
        return FlacTag::streamCovers(stream, blockStart, end);
    }
    return false;
}

int64_t id3v2TagLength(IByteStream* stream, int64_t at) {
    uint8_t header[10];
    if (!stream || !readAt(stream, at, header, 10) || std::memcmp(header, "ID3", 3) != 0 || header[3] < 2 ||
        header[3] > 4 || ((header[6] | header[7] | header[8] | header[9]) & 0x80)) {
        return -1;
    }
    int64_t length =
        ((header[6] & 0x7F) << 21) | ((header[7] & 0x7F) << 14) | ((header[8] & 0x7F) << 7) | (header[9] & 0x7F);
    length += 10;
    // Only version 2.4 has a footer; an earlier tag with that flag bit set ends at its
    // stated size, and the bytes behind it (audio, as a rule) are not the tag's.
    uint8_t footer[3];
    if (header[3] == 4 && (header[5] & 0x10) && readAt(stream, at + length, footer, 3) &&
        std::memcmp(footer, "3DI", 3) == 0) {
        length += 10;
    }
    return length;
}

int64_t skipId3v2Tag(IByteStream* stream) {
    // Only a header the ID3v2 tag reads (and so rewrites) counts: another one is part of
    // what follows, both before and after a save puts a tag in front of it.
    const int64_t length = id3v2TagLength(stream, 0);
    if (length < 0 || stream->seek(length) != length) {
        return -1;
    }
    return length;
}

int64_t audioStartAfterId3v2(IByteStream* stream) {
    const int64_t length = skipId3v2Tag(stream);
    return length < 0 ? 0 : length;
}

int parseMpegFrameHeader(const uint8_t header[4], AudioFrameInfo& info) {
    if (header[0] != 0xFF || header[1] < 0xE0) {
        return -1;
    }
    const int versionBits = (header[1] >> 3) & 3;
    const int layerBits = (header[1] >> 1) & 3;
    const int bitRateIndex = header[2] >> 4;
    const int sampleRateIndex = (header[2] >> 2) & 3;
    const int padding = (header[2] >> 1) & 1;
    const int mode = header[3] >> 6;
    const int emphasis = header[3] & 3;
    if (layerBits == 0 || versionBits == 1 || sampleRateIndex == 3 || bitRateIndex == 0 || bitRateIndex == 15 ||
        emphasis == 2) {
        return -1;
    }
    const int layer = 4 - layerBits;
    const int version = versionBits == 3 ? 1 : (versionBits == 2 ? 2 : 25);
    if (version == 1 && layer == 2) {
        if (mode == 3 ? bitRateIndex > 10
                      : (bitRateIndex == 1 || bitRateIndex == 2 || bitRateIndex == 3 || bitRateIndex == 5)) {
            return -1;
        }
    }
    if (version == 25 && layer == 3 && bitRateIndex > 8) {
        return -1;
    }
    const int table = version == 1 ? layer - 1 : (layer == 1 ? 3 : 4);
    info.version = version;
    info.layer = layer;
    info.bitRateKbps = kMpegBitRates[table][bitRateIndex];
    info.sampleRateHz = kMpegSampleRates[version == 1 ? 0 : (version == 2 ? 1 : 2)][sampleRateIndex];
    info.channels = mode == 3 ? 1 : 2;
    const int factor = layer == 1 ? 48 : ((layer == 2 || version == 1) ? 144 : 72);
    info.frameBytes = factor * info.bitRateKbps * 1000 / info.sampleRateHz + (padding ? (layer == 1 ? 4 : 1) : 0);
    info.samplesPerFrame = factor * 8;
    return info.frameBytes > 4 ? 0 : -1;
}

int parseAdtsFrameHeader(const uint8_t header[7], AudioFrameInfo& info) {
    if (header[0] != 0xFF || header[1] < 0xF0 || ((header[1] >> 1) & 3) != 0) {
        return -1;
    }
    const int sampleRateIndex = (header[2] >> 2) & 0x0F;
    const int channels = ((header[2] & 1) << 2) | (header[3] >> 6);
    const int frameBytes = ((header[3] & 3) << 11) | (header[4] << 3) | (header[5] >> 5);
    const int headerBytes = (header[1] & 1) ? 7 : 9;
    if (sampleRateIndex >= 12 || channels == 0 || frameBytes <= headerBytes) {
        return -1;
    }
    info.version = (header[1] & 0x08) ? 2 : 4;
    info.layer = 0;
    info.sampleRateHz = kAdtsSampleRates[sampleRateIndex];
    info.channels = channels;
    info.frameBytes = frameBytes;
    info.bitRateKbps = static_cast<int>(int64_t(frameBytes) * info.sampleRateHz * 8 / 1024 / 1000);
    info.samplesPerFrame = 1024;
    return 0;
}

int64_t probeMpegAudio(IByteStream* stream) {
    return probeFrames<4>(stream, 1450, "APET", parseMpegFrameHeader);
}

int64_t probeAdts(IByteStream* stream) {
    return probeFrames<7>(stream, 1552, "APETAGE", parseAdtsFrameHeader);
}

int64_t probeMonkeysAudio(IByteStream* stream) {
    if (!stream) {
        return -1;
    }
    const int64_t start = audioStartAfterId3v2(stream);
    BufferedReadStream reader(stream);
    for (int i = 0; i < 4096; ++i) {
        const int64_t offset = start + i;
        uint8_t head[6];
        if (reader.seek(offset) != offset || reader.read(head, 6) != 6) {
            return -1;
        }
        if (std::memcmp(head, "MAC ", 4) != 0) {
            continue;
        }
        const int version = readLe16(head + 4);
        uint8_t fields[8];
        int channels = 0;
        uint32_t sampleRate = 0;
        if (version < 3980) {
            if (reader.seek(offset + 10) != offset + 10 || reader.read(fields, 6) != 6) {
                continue;
            }
            channels = readLe16(fields);
            sampleRate = readLe32(fields + 2);
        } else {
            if (reader.seek(offset + 8) != offset + 8 || reader.read(fields, 4) != 4) {
                continue;
            }
            const uint32_t descriptorBytes = readLe32(fields);
            if (descriptorBytes < 12) {
                continue;
            }
            const int64_t at = offset + descriptorBytes + 16;
            if (reader.seek(at) != at || reader.read(fields, 8) != 8) {
                continue;
            }
            const int bits = readLe16(fields);
            if (bits != 8 && bits != 16 && bits != 24 && bits != 32) {
                continue;
            }
            channels = readLe16(fields + 2);
            sampleRate = readLe32(fields + 4);
        }
        if (channels >= 1 && channels <= 8 && sampleRate >= 1 && sampleRate <= 655350) {
            return offset;
        }
    }
    return -1;
}

} // namespace calvorine::tags
