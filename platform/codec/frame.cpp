// Entries of the frame object.
#include "frame.h"

#include "calvorine_codec.h"
#include "codec_table.h"

#include <cstring>
#include <vector>

namespace calvorine::codec {

bool FrameObject::audioChunk(AudioChunk& out) const {
    if (audio.sampleCount <= 0 || audio.format == AV_SAMPLE_FMT_NONE || audio.channels <= 0 || audio.sampleRate <= 0)
        return false;
    out = audio;
    out.timestampUs = timestampUs;
    return true;
}

namespace {

// One sample of any supported packed format as a signed 16-bit value.
int16_t sampleAsS16(AVSampleFormat format, const uint8_t* at) {
    switch (format) {
    case AV_SAMPLE_FMT_U8:
        return int16_t((int(*at) - 128) << 8);
    case AV_SAMPLE_FMT_S16: {
        int16_t v;
        std::memcpy(&v, at, 2);
        return v;
    }
    case AV_SAMPLE_FMT_S32: {
        int32_t v;
        std::memcpy(&v, at, 4);
        return int16_t(v >> 16);
    }
    case AV_SAMPLE_FMT_FLT:
    case AV_SAMPLE_FMT_DBL: {
        double v;
        if (format == AV_SAMPLE_FMT_FLT) {
            float f;
            std::memcpy(&f, at, 4);
            v = f;
        } else {
            std::memcpy(&v, at, 8);
        }
        v = v > 1.0 ? 1.0 : (v < -1.0 ? -1.0 : v);
        return int16_t(v * 32767.0);
    }
    default:
        return 0;
    }
}

} // namespace

} // namespace calvorine::codec

using calvorine::codec::FrameObject;
using calvorine::codec::fromHandle;

#define CVCODEC_FRAME(handle)                                                                                          \
    FrameObject* f = fromHandle<FrameObject>(handle);                                                                  \
    if (!f)                                                                                                            \
        return 0;

extern "C" CVCODEC_API cvcodec_frame cvcodec_frame_create(void) {
    return calvorine::codec::toHandle<cvcodec_frame>(new FrameObject);
}

extern "C" CVCODEC_API int cvcodec_frame_release(cvcodec_frame frame) {
    CVCODEC_FRAME(frame)
    delete f;
    return 1;
}

extern "C" CVCODEC_API int cvcodec_frame_set_pixel_format(cvcodec_frame frame, int32_t pixelFormat) {
    CVCODEC_FRAME(frame)
    if (calvorine::codec::pixelFormatFromCode(pixelFormat) == AV_PIX_FMT_NONE)
        return 0;
    f->pixelFormat = pixelFormat;
    return 1;
}

extern "C" CVCODEC_API int cvcodec_frame_set_size(cvcodec_frame frame, int32_t width, int32_t height) {
    CVCODEC_FRAME(frame)
    if (width <= 0 || height <= 0 || width > 16384 || height > 16384)
        return 0;
    f->width = width;
    f->height = height;
    return 1;
}

extern "C" CVCODEC_API int cvcodec_frame_set_plane(cvcodec_frame frame, int32_t plane, const void* pixels,
                                                   int32_t bytesPerLine) {
    CVCODEC_FRAME(frame)
    if (plane < 0 || plane > 3 || bytesPerLine <= 0)
        return 0;
    f->planes[plane] = static_cast<const uint8_t*>(pixels);
    f->bytesPerLine[plane] = bytesPerLine;
    return 1;
}

extern "C" CVCODEC_API int cvcodec_frame_set_sample_format(cvcodec_frame frame, int32_t sampleFormat) {
    CVCODEC_FRAME(frame)
    AVSampleFormat format = calvorine::codec::sampleFormatFromCode(sampleFormat);
    if (format == AV_SAMPLE_FMT_NONE)
        return 0;
    if (f->audio.format != format) {
        f->audio.data.clear();
        f->audio.sampleCount = 0;
    }
    f->sampleFormat = sampleFormat;
    f->audio.format = format;
    return 1;
}

extern "C" CVCODEC_API int cvcodec_frame_set_sample_rate(cvcodec_frame frame, int32_t hertz) {
    CVCODEC_FRAME(frame)
    if (hertz <= 0 || hertz > 768000)
        return 0;
    f->sampleRate = hertz;
    f->audio.sampleRate = hertz;
    return 1;
}

extern "C" CVCODEC_API int cvcodec_frame_set_channels(cvcodec_frame frame, int32_t channels) {
    CVCODEC_FRAME(frame)
    if (channels <= 0 || channels > 16)
        return 0;
    if (f->audio.channels != channels) {
        f->audio.data.clear();
        f->audio.sampleCount = 0;
    }
    f->channels = channels;
    f->audio.channels = channels;
    return 1;
}

extern "C" CVCODEC_API int cvcodec_frame_set_channel_mask(cvcodec_frame frame, uint32_t mask, int32_t) {
    CVCODEC_FRAME(frame)
    f->channelMask = mask;
    f->audio.channelMask = mask;
    return 1;
}

extern "C" CVCODEC_API int cvcodec_frame_set_samples(cvcodec_frame frame, const void* data, int32_t sampleCount) {
    CVCODEC_FRAME(frame)
    if (f->audio.format == AV_SAMPLE_FMT_NONE || f->audio.channels <= 0 || sampleCount < 0 ||
        (sampleCount > 0 && !data))
        return 0;
    const size_t bytes =
        size_t(sampleCount) * size_t(f->audio.channels) * size_t(av_get_bytes_per_sample(f->audio.format));
    const auto* begin = static_cast<const uint8_t*>(data);
    f->audio.data.assign(begin, begin + bytes);
    f->audio.sampleCount = sampleCount;
    return 1;
}

extern "C" CVCODEC_API int cvcodec_frame_set_timestamp(cvcodec_frame frame, int64_t timestampUs) {
    CVCODEC_FRAME(frame)
    f->hasTimestamp = true;
    f->timestampUs = timestampUs;
    return 1;
}

extern "C" CVCODEC_API uint8_t* cvcodec_frame_level_block(cvcodec_frame frame, int32_t) {
    FrameObject* f = fromHandle<FrameObject>(frame);
    if (!f || f->audio.sampleCount <= 0 || f->audio.format == AV_SAMPLE_FMT_NONE)
        return nullptr;
    const size_t count = size_t(f->audio.sampleCount) * size_t(f->audio.channels);
    const int bytes = av_get_bytes_per_sample(f->audio.format);
    std::vector<int16_t> samples(count);
    for (size_t i = 0; i < count; ++i)
        samples[i] = calvorine::codec::sampleAsS16(f->audio.format, f->audio.data.data() + i * size_t(bytes));
    return f->levelBlocks.keep(
        calvorine::codec::makeLevelBlock(samples.data(), count, f->audio.channels, f->audio.sampleRate));
}

extern "C" CVCODEC_API int cvcodec_frame_release_level_block(cvcodec_frame frame, uint8_t* block) {
    CVCODEC_FRAME(frame)
    return f->levelBlocks.release(block) ? 1 : 0;
}
