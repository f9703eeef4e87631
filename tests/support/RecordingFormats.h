// The output formats the recording tests and the recording benchmark hand to the engine,
// made in one place so that every caller records what it names.
#pragma once

#include "media/OutputFormatSetting.h"
#include "platform/codec/calvorine_codec.h"

namespace testformats {

// The AAC sound of a video recording; no channels means a recording without sound.
struct AacSound {
    int channels = 2;
    int sampleRateHz = 44100;
    int bitRateKbps = 128;
};
constexpr AacSound kNoSound{0, 0, 0};

// MP4 with H.264 at the capture size, the bit rate ruling (no quality), and AAC sound:
// stereo at 44.1 kHz and 128 kbit/s unless the caller asks for other sound or none.
inline OutputFormatSetting h264AacFormat(int frameRate, int videoBitRateKbps = 2000, AacSound sound = AacSound()) {
    OutputFormatSetting format;
    format.container = "mp4";
    format.extension = "mp4";
    format.videoCodec = "H264";
    format.videoCodecId = CVCODEC_H264;
    format.frameRateNum = frameRate;
    format.frameRateDen = 1;
    format.videoBitRate = videoBitRateKbps;
    format.quality = -1;
    if (sound.channels > 0) {
        format.audioCodec = "AAC";
        format.audioCodecId = CVCODEC_AAC;
        format.channels = sound.channels;
        format.sampleRate = sound.sampleRateHz;
        format.audioBitRate = sound.bitRateKbps;
    }
    return format;
}

// Sound only, stereo at 44.1 kHz and 128 kbit/s, in the codec and container given.
inline OutputFormatSetting soundOnlyFormat(const QString& container, const QString& extension, const QString& codec,
                                           int codecId) {
    OutputFormatSetting format;
    format.audioOnly = true;
    format.container = container;
    format.extension = extension;
    format.audioCodec = codec;
    format.audioCodecId = codecId;
    format.channels = 2;
    format.sampleRate = 44100;
    format.audioBitRate = 128;
    return format;
}

// A picture at the capture size with sound, stereo at 44.1 kHz and 128 kbit/s, in the
// codecs and container given.
inline OutputFormatSetting videoFormat(const QString& container, const QString& extension, const QString& videoCodec,
                                       int videoCodecId, const QString& audioCodec, int audioCodecId) {
    OutputFormatSetting format = h264AacFormat(30);
    format.container = container;
    format.extension = extension;
    format.videoCodec = videoCodec;
    format.videoCodecId = videoCodecId;
    format.audioCodec = audioCodec;
    format.audioCodecId = audioCodecId;
    return format;
}

// AAC in an .m4a file (the "ipod" muxer).
inline OutputFormatSetting aacOnlyFormat() {
    return soundOnlyFormat("ipod", "m4a", "AAC", CVCODEC_AAC);
}

} // namespace testformats
