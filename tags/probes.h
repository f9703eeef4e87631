// Recognising MPEG audio, ADTS and Monkey's Audio streams, which carry no container
// signature of their own.
#pragma once

#include "tags/bytestream.h"

namespace calvorine::tags {

struct AudioFrameInfo {
    int version = 0; // 1 MPEG-1, 2 MPEG-2, 25 MPEG-2.5; 4 for ADTS (MPEG-4) and 2 (MPEG-2)
    int layer = 0;
    int sampleRateHz = 0;
    int channels = 0;
    int bitRateKbps = 0;
    int frameBytes = 0;
    int samplesPerFrame = 0;
};

// Length of the ID3v2 tag whose header stands at `at` (header, body and a footer where
// the version has one and "3DI" stands there); -1 when no tag of version 2.2 to 2.4
// with a sync-safe size begins there.
int64_t id3v2TagLength(IByteStream* stream, int64_t at);

// Length of a leading ID3v2 tag (header, body and footer), with the stream positioned
// behind it; -1 when the stream does not start with one (of version 2.2 to 2.4, with a
// sync-safe size).
int64_t skipId3v2Tag(IByteStream* stream);

// Where the audio proper begins: behind a leading ID3v2 tag, at 0 without one. Leaves
// the stream positioned there when there is a tag.
int64_t audioStartAfterId3v2(IByteStream* stream);

int parseMpegFrameHeader(const uint8_t header[4], AudioFrameInfo& info);
int parseAdtsFrameHeader(const uint8_t header[7], AudioFrameInfo& info);

// Offset of the first audio frame, or -1.
int64_t probeMpegAudio(IByteStream* stream);
int64_t probeAdts(IByteStream* stream);
int64_t probeMonkeysAudio(IByteStream* stream);

// True when the audio of a FileMp3 (MPEG audio) or FileAac (ADTS) stream runs into
// [blockStart, end): the stream begins there, a frame of it begins there, or a frame
// that begins before it ends exactly at `end`; for FileApe, when the stream begins there
// or its descriptor counts bytes past blockStart (and no further than the file goes);
// for FileFlac, when its metadata or its frames cover them (FlacTag::streamCovers).
// Those bytes are then audio, whatever they look like. False for other types and for
// streams the probe refuses.
bool audioRunsInto(IByteStream* stream, int audioType, int64_t blockStart, int64_t end);

} // namespace calvorine::tags
