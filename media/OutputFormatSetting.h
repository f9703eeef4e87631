// One output format ready for the encoder: what the format chooser fills for video
// mode and for audio mode, and what a recording encodes with (the current one is
// g_currentFormat of app/AppGlobals.h). GUI thread only.
#pragma once

#include <QString>

#include <cstdint>

struct OutputFormatSetting {
    bool audioOnly = false; // the profile has no video part
    int32_t quality = -1;   // video quality percent; -1 when the bit rate rules
    QString container;      // muxer name for the profile's extension (the format name)
    QString extension;      // the profile's extension as the catalogue gives it
    QString videoCodec;     // video encoder name; empty for audio-only profiles
    int32_t videoCodecId = -1;
    int32_t width = 0; // 0 x 0: the capture size
    int32_t height = 0;
    int32_t frameRateNum = 0;
    int32_t frameRateDen = 1;
    int32_t videoBitRate = 0; // kbit/s
    QString audioCodec;       // audio encoder name (compared with "OGG")
    int32_t audioCodecId = -1;
    int32_t channels = 0;
    int32_t sampleRate = 0;   // Hz
    int32_t audioBitRate = 0; // kbit/s
};

// The current format's name (its container) and extension; empty texts when no format
// is current.
QString currentFormatName();
QString currentFormatExtension();
