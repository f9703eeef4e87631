#include "codec_table.h"

#include "calvorine_codec.h"

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace calvorine::codec {

namespace {

constexpr uint32_t fourcc(char a, char b, char c, char d) {
    return uint32_t(uint8_t(a)) | uint32_t(uint8_t(b)) << 8 | uint32_t(uint8_t(c)) << 16 | uint32_t(uint8_t(d)) << 24;
}

// Ordered as the id enumeration of calvorine_codec.h.
const CodecEntry kCodecs[] = {
    {CVCODEC_MPEG1, AV_CODEC_ID_MPEG1VIDEO, {"mpeg1video"}, 0},
    {CVCODEC_MPEG2, AV_CODEC_ID_MPEG2VIDEO, {"mpeg2video"}, 0},
    {CVCODEC_H263, AV_CODEC_ID_H263, {"h263"}, 0},
    {CVCODEC_MJPEG, AV_CODEC_ID_MJPEG, {"mjpeg"}, 0},
    {CVCODEC_MPEG4, AV_CODEC_ID_MPEG4, {"mpeg4"}, 0},
    {CVCODEC_MSMPEG4V3, AV_CODEC_ID_MSMPEG4V3, {"msmpeg4"}, 0},
    {CVCODEC_WMV1, AV_CODEC_ID_WMV1, {"wmv1"}, 0},
    {CVCODEC_WMV2, AV_CODEC_ID_WMV2, {"wmv2"}, 0},
    {CVCODEC_FLV1, AV_CODEC_ID_FLV1, {"flv"}, 0},
    {CVCODEC_DV, AV_CODEC_ID_DVVIDEO, {"dvvideo"}, 0},
    {CVCODEC_H264, AV_CODEC_ID_H264, {"libx264"}, 0},
    {CVCODEC_THEORA, AV_CODEC_ID_THEORA, {"libtheora"}, 0},
    {CVCODEC_VC1, AV_CODEC_ID_VC1, {}, 0},
    {CVCODEC_WMV3, AV_CODEC_ID_WMV3, {}, 0},
    {CVCODEC_VP8, AV_CODEC_ID_VP8, {"libvpx"}, 0},
    {CVCODEC_VP9, AV_CODEC_ID_VP9, {"libvpx-vp9"}, 0},
    {CVCODEC_DIVX, AV_CODEC_ID_MPEG4, {"mpeg4"}, fourcc('D', 'X', '5', '0')},
    {CVCODEC_XVID, AV_CODEC_ID_MPEG4, {"libxvid", "mpeg4"}, fourcc('X', 'V', 'I', 'D')},
    {CVCODEC_H265, AV_CODEC_ID_HEVC, {"libx265"}, 0},
    {CVCODEC_PCM_S16LE, AV_CODEC_ID_PCM_S16LE, {"pcm_s16le"}, 0},
    {CVCODEC_PCM_S16BE, AV_CODEC_ID_PCM_S16BE, {"pcm_s16be"}, 0},
    {CVCODEC_PCM_S24BE, AV_CODEC_ID_PCM_S24BE, {"pcm_s24be"}, 0},
    {CVCODEC_ADPCM_IMA_QT, AV_CODEC_ID_ADPCM_IMA_QT, {"adpcm_ima_qt"}, 0},
    {CVCODEC_ADPCM_SWF, AV_CODEC_ID_ADPCM_SWF, {"adpcm_swf"}, 0},
    {CVCODEC_AMR_NB, AV_CODEC_ID_AMR_NB, {"libopencore_amrnb"}, 0},
    {CVCODEC_MP2, AV_CODEC_ID_MP2, {"mp2"}, 0},
    {CVCODEC_MP3, AV_CODEC_ID_MP3, {"libmp3lame"}, 0},
    {CVCODEC_AAC, AV_CODEC_ID_AAC, {"aac"}, 0},
    {CVCODEC_AC3, AV_CODEC_ID_AC3, {"ac3"}, 0},
    {CVCODEC_VORBIS, AV_CODEC_ID_VORBIS, {"libvorbis", "vorbis"}, 0},
    {CVCODEC_WMAV1, AV_CODEC_ID_WMAV1, {"wmav1"}, 0},
    {CVCODEC_WMAV2, AV_CODEC_ID_WMAV2, {"wmav2"}, 0},
    {CVCODEC_FLAC, AV_CODEC_ID_FLAC, {"flac"}, 0},
    {CVCODEC_ALAC, AV_CODEC_ID_ALAC, {"alac"}, 0},
    {CVCODEC_WMAPRO, AV_CODEC_ID_WMAPRO, {}, 0},
};

} // namespace

const CodecEntry* findCodec(int32_t id) {
    for (const CodecEntry& entry : kCodecs) {
        if (entry.id == id)
            return &entry;
    }
    return nullptr;
}

bool isVideoCodecId(int32_t id) {
    const CodecEntry* entry = findCodec(id);
    return entry && avcodec_get_type(entry->avId) == AVMEDIA_TYPE_VIDEO;
}

AVPixelFormat pixelFormatFromCode(int32_t code) {
    switch (code) {
    case CVCODEC_PIXEL_YUV420P:
        return AV_PIX_FMT_YUV420P;
    case CVCODEC_PIXEL_RGB24:
        return AV_PIX_FMT_RGB24;
    case CVCODEC_PIXEL_BGR24:
        return AV_PIX_FMT_BGR24;
    case CVCODEC_PIXEL_ARGB:
        return AV_PIX_FMT_ARGB;
    case CVCODEC_PIXEL_RGBA:
        return AV_PIX_FMT_RGBA;
    case CVCODEC_PIXEL_ABGR:
        return AV_PIX_FMT_ABGR;
    // The alpha byte of a screen bitmap is undefined: read it as padding.
    case CVCODEC_PIXEL_BGRA:
        return AV_PIX_FMT_BGR0;
    default:
        return AV_PIX_FMT_NONE;
    }
}

AVSampleFormat sampleFormatFromCode(int32_t code) {
    switch (code) {
    case CVCODEC_SAMPLE_U8:
        return AV_SAMPLE_FMT_U8;
    case CVCODEC_SAMPLE_S16:
        return AV_SAMPLE_FMT_S16;
    case CVCODEC_SAMPLE_S32:
        return AV_SAMPLE_FMT_S32;
    case CVCODEC_SAMPLE_FLOAT:
        return AV_SAMPLE_FMT_FLT;
    case CVCODEC_SAMPLE_DOUBLE:
        return AV_SAMPLE_FMT_DBL;
    default:
        return AV_SAMPLE_FMT_NONE;
    }
}

int bytesPerSampleOfCode(int32_t code) {
    AVSampleFormat format = sampleFormatFromCode(code);
    return format == AV_SAMPLE_FMT_NONE ? 0 : av_get_bytes_per_sample(format);
}

const AVCodec* findEncoder(const CodecEntry& entry) {
    for (const char* name : entry.encoders) {
        if (!name)
            break;
        if (const AVCodec* codec = avcodec_find_encoder_by_name(name))
            return codec;
    }
    return avcodec_find_encoder(entry.avId);
}

} // namespace calvorine::codec
