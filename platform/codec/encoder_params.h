// The encoder parameter object: every setting of one encoding job, stored as given. The
// recorder reads the stream settings; the converter reads the rest. Internal to the
// codec library; the entries of calvorine_codec.h reach it.
#pragma once

#include "handle_kinds.h"

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace calvorine::codec {

struct TrackState;

struct Chapter {
    int64_t startUs = 0;
    int64_t durationUs = 0;
    std::string title;
};

struct StreamSettings {
    int32_t videoCodecId = -1;
    int32_t audioCodecId = -1;
    std::string audioEncoderName;
    int32_t speedPreset = -1; // -1 = the library's choice
    int32_t profile = -1;     // -1 = the encoder's default
    int32_t width = 0;
    int32_t height = 0;
    int32_t frameRateNumerator = 0;
    int32_t frameRateDenominator = 0;
    int32_t videoBitRate = 0;  // bits per second
    int32_t videoQuality = -1; // percent; -1 = use the bit rate
    int32_t channels = 0;
    int32_t sampleRate = 0;
    int32_t audioBitRate = 0; // bits per second
    // Every picture handed to the video encoder takes at least this long (microseconds):
    // a slow machine's encoder, for trying the pacing; 0 = as fast as it goes.
    int32_t minimumEncodeUs = 0;
};

struct RateSettings {
    int32_t first = 100;
    int32_t videoSpeed = 100;
    int32_t audioSpeed = 100;
    int32_t third = 100;
    int32_t applyEdits = 0;
};

struct PictureSettings {
    int32_t shapeWidth = 0;
    int32_t shapeHeight = 0;
    int32_t rotationDegrees = 0;
    int32_t mirrored = 0;
    int32_t padding = 0;
    uint32_t padColour = 0xff000000;
    double rect[4] = {0.0, 0.0, 1.0, 1.0};
};

struct AdjustSettings {
    int32_t brightness = 0;
    int32_t second = 0;
    int32_t saturation = 100;
    int32_t contrast = 100;
    int32_t hue = 0;
};

struct SubtitleSettings {
    int32_t streamChoiceFirst = 0;
    int32_t audioTrackIndex = 0;
    int32_t stream = -1; // -1 = none chosen
    std::string file;
    int32_t none = 0;
    int32_t alpha = 255;
    int32_t scaleHorizontal = 100;
    int32_t scaleVertical = 100;
    int64_t styleValue = 0;
    std::string font;
    int32_t bold = 0;
    int32_t italic = 0;
    int32_t underline = 0;
    int32_t strikeout = 0;
    int32_t fontSize = 18;
    uint32_t colour = 0xffffffff;
    uint32_t shadowColour = 0x80000000;
    uint32_t outlineColour = 0xff000000;
    double shadowOffset = 0.5;
    double outlineSize = 1.0;
};

struct WatermarkSettings {
    std::string text;
    std::string font;
    std::string imagePath;
    int32_t enabled = 0;
    int32_t imageValue = 0;
    int32_t textAlpha = 255;
    int32_t textScaleHorizontal = 100;
    int32_t textScaleVertical = 100;
    int32_t fontSize = 28;
    int32_t bold = 0;
    int32_t italic = 0;
    int32_t underline = 0;
    int32_t strikeout = 0;
    uint32_t colour = 0xffffffff;
    uint32_t shadowColour = 0x80000000;
    uint32_t outlineColour = 0xff000000;
    double shadowOffset = 0.0;
    double outlineSize = 0.8;
    double textX = 0.0;
    double textY = 0.0;
    int32_t textSelected = 1;
    int32_t imageAlpha = 255;
    int32_t imageScaleWidth = 100;
    int32_t imageScaleHeight = 100;
    double imageX = 0.0;
    double imageY = 0.0;
};

struct EncoderParams : HandleObject {
    static constexpr HandleKind kKind = HandleKind::Params;
    EncoderParams() : HandleObject(kKind) {}

    StreamSettings stream;
    bool mixTracks = false;
    std::vector<std::shared_ptr<TrackState>> mixTrackList;
    RateSettings rates;
    PictureSettings picture;
    AdjustSettings adjust;
    SubtitleSettings subtitle;
    WatermarkSettings watermark;
    std::vector<std::pair<std::string, std::string>> tags; // in the order set; a key once
    std::vector<Chapter> chapters;

    void setTag(const std::string& key, std::string value);
    // The value of a tag, or null when it was never set.
    const std::string* tag(const std::string& key) const;
};

} // namespace calvorine::codec
