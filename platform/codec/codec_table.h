// The one place where this library's codec ids, pixel format codes and sample format
// codes meet libav's numbers. Internal to the codec library.
#pragma once

extern "C" {
#include <libavcodec/codec_id.h>
#include <libavutil/pixfmt.h>
#include <libavutil/samplefmt.h>
}

#include <cstdint>

struct AVCodec;

namespace calvorine::codec {

struct CodecEntry {
    int32_t id;              // this library's codec id
    AVCodecID avId;          // libav's codec
    const char* encoders[3]; // encoders to try in order (null-terminated); empty = libav's default
    uint32_t aviTag;         // four-character code for AVI and similar containers, 0 = muxer's own
};

// The entry of a codec id, or null for an id not in the table.
const CodecEntry* findCodec(int32_t id);

// True for ids of video codecs: those below 0x10000 and the four-character codes
// ("H265", "XVID", "DX50").
bool isVideoCodecId(int32_t id);

// The first of the entry's encoders this libav has, else libav's default encoder of the
// codec; null when it has none.
const AVCodec* findEncoder(const CodecEntry& entry);

// `wanted` when the encoder takes it or names no formats, else the first it offers. The
// list ends with `listEnd`.
template <typename Format> Format preferredFormat(const Format* offered, Format listEnd, Format wanted) {
    if (!offered)
        return wanted;
    for (const Format* format = offered; *format != listEnd; ++format) {
        if (*format == wanted)
            return wanted;
    }
    return offered[0];
}

// libav's pixel format for a frame pixel format code; AV_PIX_FMT_NONE when unknown.
AVPixelFormat pixelFormatFromCode(int32_t code);

// libav's packed sample format for a sample format code; AV_SAMPLE_FMT_NONE when unknown.
AVSampleFormat sampleFormatFromCode(int32_t code);

// Bytes of one sample of one channel for a sample format code; 0 when unknown.
int bytesPerSampleOfCode(int32_t code);

} // namespace calvorine::codec
