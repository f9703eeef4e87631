// The description of one encoding job: output format, stream parameters, crop and
// rotation, subtitles, watermarks, trim, speed and volume values, tags and cover. The
// recorder fills one from the current output format and hands its stream part to the
// codec library's parameter object; the converter hands all of it.
#pragma once

#include "app/QRecordAreaInfo.h"
#include "media/VEEditConfig.h"
#include "platform/codec/calvorine_codec.h"

#include <QSize>

#include <cstdint>
#include <string>

struct OutputFormatSetting;

// The subtitle text style of a conversion (all 0 by default).
struct SubtitleStyleParam {
    int32_t alpha = 0;
    int32_t scaleHorizontal = 0;
    int32_t scaleVertical = 0;
    int32_t styleValue = 0;
    std::string fontName;
    int32_t fontSize = 0;
    int32_t bold = 0;
    int32_t italic = 0;
    int32_t underline = 0;
    int32_t strikeout = 0;
    int32_t fontColour = 0;
    int32_t shadowColour = 0;
    int32_t outlineColour = 0;
    int32_t shadowOffsetThousandths = 0;
    int32_t outlineSizeThousandths = 0;
};

// The text watermark of a conversion.
struct TextWatermarkParam {
    std::string text;
    int32_t alpha = 255;
    int32_t scaleHorizontal = 100;
    int32_t scaleVertical = 100;
    int32_t xThousandths = 0;
    int32_t yThousandths = 0;
    int32_t shown = 1;
    int32_t selected = 1;
    std::string fontName;
    int32_t fontSize = 28;
    int32_t bold = 0;
    int32_t italic = 0;
    int32_t underline = 0;
    int32_t strikeout = 0;
    int32_t fontColour = -1;
    int32_t shadowColour = int32_t(0x80000000);
    int32_t outlineColour = int32_t(0xff000000);
    int32_t shadowOffsetThousandths = 0;
    int32_t outlineSizeThousandths = 800;
};

struct ConvertParam {
    ConvertParam();
    ConvertParam(const ConvertParam& other);
    ConvertParam& operator=(const ConvertParam& other);
    ~ConvertParam();

    // Replaces the format name (a malloc'ed copy; null for none).
    void setName(const char* formatName);
    // Replaces the cover buffer by a malloc'ed copy of the bytes.
    void setCover(const void* bytes, int32_t size);

    char* name = nullptr; // lower-case UTF-8 muxer name, owned (malloc)

    int32_t videoCodecId = 0; // -1 no video; 28 H.264; "H265"
    int32_t videoWidth = 0;   // 0 = capture size
    int32_t videoHeight = 0;
    int32_t frameRateHundredths = 0; // 0 = use the pair below
    int32_t containerFlag = 0;       // 1 for "AVI", "mpegts", "MPEG1VIDEO"
    int32_t frameRateNumerator = 0;
    int32_t frameRateDenominator = 0;
    int32_t videoBitRate = 0; // kbit/s
    int32_t videoQuality = 0; // -1 = use the bit rate

    int32_t audioCodecId = 0; // -1 no audio; 0x15002 AAC
    int32_t sampleRate = 0;   // 0 = 44,100
    int32_t channels = 0;     // 0 = 2
    int32_t audioReserved[3] = {0, 0, 0};
    int32_t audioBitRate = 0; // kbit/s
    int32_t audioQuality = 0;

    VECropSettings crop;
    VESubtitleTrack subtitle;
    SubtitleStyleParam subtitleStyle;
    TextWatermarkParam textWatermark;
    WatermarkImageSettings imageWatermark;

    int64_t trimStartUs = 0;
    int64_t trimReserved = 0;
    int64_t trimLengthUs = 0; // 0 = to the end

    int32_t encoderValues[5] = {0, 0, 100, 100, 0};
    // The tags; the cover travels as the bytes of tags.cover_image with their count.
    VEAudioTagInfo tags;
    int32_t rates[3] = {100, 100, 100}; // the second is the speed in percent

    uint8_t* coverBuffer = nullptr; // owned (malloc), null when none
    int32_t coverSize = 0;

    bool alternativeOpen = false;
    bool tagsOnly = false;
    int32_t lastValue = -1;

private:
    void copyFrom(const ConvertParam& other);
};

// The speed in percent, 100 for a record that holds none (0).
int32_t speedPercent(const ConvertParam& param);

// Fills the record from an output format; a format size of 0 takes the capture size.
void fillFormatParams(ConvertParam& param, const OutputFormatSetting& format, QSize captureSize);
// The same from the current output format and the recording settings' capture size
// (the record is only reset when no format is current).
void fillFormatParams(ConvertParam& param);

// Stream settings of a recording into the codec library's parameter object.
void configureStream(cvcodec_params params, const ConvertParam& param);
// Every setting of a conversion into the codec library's parameter object.
void configureParams(cvcodec_params params, const ConvertParam& param);
