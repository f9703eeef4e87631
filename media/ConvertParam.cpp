#include "media/ConvertParam.h"

#include "app/AppGlobals.h"
#include "media/OutputFormatSetting.h"

#include <QDebug>

#include <cstdlib>
#include <cstring>
#include <utility>

namespace {

constexpr int32_t kH264 = CVCODEC_H264;
constexpr int32_t kH265 = CVCODEC_H265;
constexpr int32_t kAac = CVCODEC_AAC;
constexpr int32_t kDefaultSampleRate = 44100;
constexpr int32_t kDefaultChannels = 2;

char* copyText(const char* text) {
    if (!text)
        return nullptr;
    const size_t length = std::strlen(text);
    auto* copy = static_cast<char*>(std::malloc(length + 1));
    if (copy)
        std::memcpy(copy, text, length + 1);
    return copy;
}

// Font names of vertical fonts begin with "@"; the encoder takes the plain name.
std::string plainFontName(const std::string& name) {
    return !name.empty() && name[0] == '@' ? name.substr(1) : name;
}

void setEncoderPair(cvcodec_params params, int32_t videoCodecId) {
    if (videoCodecId == kH264) {
        cvcodec_params_set_speed_preset(params, 2);
        cvcodec_params_set_profile(params, 66);
    } else if (videoCodecId == kH265) {
        cvcodec_params_set_speed_preset(params, 2);
        cvcodec_params_set_profile(params, 1);
    }
}

void setFrameRate(cvcodec_params params, const ConvertParam& param) {
    if (param.frameRateHundredths != 0)
        cvcodec_params_set_frame_rate(params, param.frameRateHundredths, 100);
    else if (param.frameRateNumerator != 0)
        cvcodec_params_set_frame_rate(params, param.frameRateNumerator, param.frameRateDenominator);
}

void setAudioStream(cvcodec_params params, const ConvertParam& param) {
    cvcodec_params_set_channels(params, param.channels != 0 ? param.channels : kDefaultChannels);
    cvcodec_params_set_sample_rate(params, param.sampleRate != 0 ? param.sampleRate : kDefaultSampleRate);
    if (param.audioBitRate != 0)
        cvcodec_params_set_audio_bit_rate(params, param.audioBitRate * 1000);
}

} // namespace

ConvertParam::ConvertParam() = default;

ConvertParam::ConvertParam(const ConvertParam& other) {
    copyFrom(other);
}

ConvertParam& ConvertParam::operator=(const ConvertParam& other) {
    if (this != &other)
        copyFrom(other);
    return *this;
}

ConvertParam::~ConvertParam() {
    std::free(name);
    std::free(coverBuffer);
}

void ConvertParam::setName(const char* formatName) {
    char* copy = copyText(formatName);
    std::free(name);
    name = copy;
}

void ConvertParam::setCover(const void* bytes, int32_t size) {
    uint8_t* copy = nullptr;
    if (bytes && size > 0) {
        copy = static_cast<uint8_t*>(std::malloc(size_t(size)));
        if (copy)
            std::memcpy(copy, bytes, size_t(size));
    }
    std::free(coverBuffer);
    coverBuffer = copy;
    coverSize = copy ? size : 0;
}

void ConvertParam::copyFrom(const ConvertParam& other) {
    setName(other.name);
    videoCodecId = other.videoCodecId;
    videoWidth = other.videoWidth;
    videoHeight = other.videoHeight;
    frameRateHundredths = other.frameRateHundredths;
    containerFlag = other.containerFlag;
    frameRateNumerator = other.frameRateNumerator;
    frameRateDenominator = other.frameRateDenominator;
    videoBitRate = other.videoBitRate;
    videoQuality = other.videoQuality;
    audioCodecId = other.audioCodecId;
    sampleRate = other.sampleRate;
    channels = other.channels;
    std::memcpy(audioReserved, other.audioReserved, sizeof audioReserved);
    audioBitRate = other.audioBitRate;
    audioQuality = other.audioQuality;
    crop = other.crop;
    subtitle = other.subtitle;
    subtitleStyle = other.subtitleStyle;
    textWatermark = other.textWatermark;
    imageWatermark = other.imageWatermark;
    trimStartUs = other.trimStartUs;
    trimReserved = other.trimReserved;
    trimLengthUs = other.trimLengthUs;
    std::memcpy(encoderValues, other.encoderValues, sizeof encoderValues);
    tags = other.tags;
    std::memcpy(rates, other.rates, sizeof rates);
    setCover(other.coverBuffer, other.coverSize);
    alternativeOpen = other.alternativeOpen;
    tagsOnly = other.tagsOnly;
    lastValue = other.lastValue;
}

int32_t speedPercent(const ConvertParam& param) {
    return param.rates[1] != 0 ? param.rates[1] : 100;
}

void fillFormatParams(ConvertParam& param, const OutputFormatSetting& format, QSize captureSize) {
    param.videoCodecId = param.videoWidth = param.videoHeight = 0;
    param.frameRateHundredths = param.containerFlag = 0;
    param.frameRateNumerator = param.frameRateDenominator = 0;
    param.videoBitRate = param.videoQuality = 0;
    param.audioCodecId = param.sampleRate = param.channels = 0;
    param.audioReserved[0] = param.audioReserved[1] = param.audioReserved[2] = 0;
    param.audioBitRate = param.audioQuality = 0;
    param.crop = VECropSettings();
    param.crop.carried[1] = 0;
    param.crop.padEnabled = 0;
    param.crop.padColour = 0;
    for (int i = 0; i < 4; ++i)
        param.crop.pictureRect[i] = param.crop.cropRect[i] = 0.0;
    param.subtitle = VESubtitleTrack();
    param.subtitleStyle = SubtitleStyleParam();
    param.imageWatermark = WatermarkImageSettings(); // no path, scales 100, alpha 255
    param.trimStartUs = param.trimReserved = param.trimLengthUs = 0;
    // The speed and volume values go back to their neutral defaults rather than to 0:
    // a speed or volume of 0 would stall or silence a conversion made from this record.
    const int32_t neutralValues[5] = {0, 0, 100, 100, 0};
    std::memcpy(param.encoderValues, neutralValues, sizeof neutralValues);
    param.rates[0] = param.rates[1] = param.rates[2] = 100;
    param.tags.clear();

    const QByteArray name = format.container.toLower().toUtf8();
    param.setName(name.constData());
    qDebug() << "------format:" << name;

    param.videoCodecId = format.audioOnly ? -1 : format.videoCodecId;
    param.audioCodecId = format.audioCodecId;
    const QString container = format.container;
    param.containerFlag = container.compare("AVI", Qt::CaseInsensitive) == 0 ||
                                  container.compare("mpegts", Qt::CaseInsensitive) == 0 ||
                                  container.compare("MPEG1VIDEO", Qt::CaseInsensitive) == 0
                              ? 1
                              : 0;
    if (format.audioOnly) {
        param.videoWidth = 0;
        param.videoHeight = 0;
    } else {
        param.videoWidth = format.width != 0 ? format.width : captureSize.width();
        param.videoHeight = format.height != 0 ? format.height : captureSize.height();
    }
    param.videoBitRate = format.videoBitRate;
    param.frameRateNumerator = format.frameRateNum;
    param.frameRateDenominator = format.frameRateDen;
    param.videoQuality = format.quality;
    param.channels = format.channels;
    param.sampleRate = format.sampleRate;
    param.frameRateHundredths = 0;
    param.audioBitRate = format.audioBitRate;
    if (format.audioCodec == "OGG" && format.sampleRate < 32000 && format.audioBitRate > 160)
        param.audioBitRate = 160;
    param.audioQuality = format.quality;
}

void fillFormatParams(ConvertParam& param) {
    const QSize capture = QRecordAreaInfo::instance()->areaSize();
    if (g_currentFormat) {
        fillFormatParams(param, *g_currentFormat, capture);
    } else {
        qWarning() << "fillFormatParams: no current output format";
        param = ConvertParam();
    }
}

void configureStream(cvcodec_params params, const ConvertParam& param) {
    cvcodec_params_set_video_codec(params, param.videoCodecId);
    cvcodec_params_set_audio_codec(params, param.audioCodecId);
    setEncoderPair(params, param.videoCodecId);
    cvcodec_params_set_video_size(params, param.videoWidth, param.videoHeight);
    setFrameRate(params, param);
    qDebug() << "VideoQuality---------------------->:" << param.videoQuality;
    if (param.videoQuality == -1) {
        if (param.videoBitRate != 0)
            cvcodec_params_set_video_bit_rate(params, param.videoBitRate * 1000);
    } else {
        cvcodec_params_set_video_quality(params, param.videoQuality);
    }
    setAudioStream(params, param);
}

namespace {

void configureCrop(cvcodec_params params, const ConvertParam& param) {
    const VECropSettings& crop = param.crop;
    const int32_t mode = crop.aspectMode;
    const int32_t angle = crop.rotation;
    const bool turned = angle % 180 != 0;
    if (mode == 2 && turned)
        cvcodec_params_set_shape(params, crop.ratioHeight, crop.ratioWidth);
    else
        cvcodec_params_set_shape(params, crop.ratioWidth, crop.ratioHeight);
    cvcodec_params_set_rotation(params, angle);
    cvcodec_params_set_mirror(params, crop.mirrored);
    if (crop.padEnabled != 0 && crop.cropMode == 1 && mode != 2) {
        if (turned)
            cvcodec_params_set_shape(params, param.videoHeight, param.videoWidth);
        else
            cvcodec_params_set_shape(params, param.videoWidth, param.videoHeight);
        cvcodec_params_set_padding(params, 0, uint32_t(crop.padColour));
        cvcodec_params_set_picture_rect(params, crop.cropRect[0], crop.cropRect[1], crop.cropRect[2], crop.cropRect[3]);
    } else {
        cvcodec_params_set_padding(params, mode == 2 ? 0 : crop.padEnabled, uint32_t(crop.padColour));
        cvcodec_params_set_picture_rect(params, crop.pictureRect[0], crop.pictureRect[1], crop.pictureRect[2],
                                        crop.pictureRect[3]);
    }
}

void configureSubtitles(cvcodec_params params, const ConvertParam& param) {
    const VESubtitleTrack& selection = param.subtitle;
    cvcodec_params_set_stream_choice_first(params, selection.first);
    cvcodec_params_set_audio_track_index(params, selection.audioTrack);
    const int32_t n = selection.subtitleChoice;
    const int32_t k = selection.fourth;
    if (k >= n)
        cvcodec_params_set_subtitle_stream(params, n - 1);
    else if (k + 1 < n)
        cvcodec_params_set_subtitle_file(params, selection.data.c_str());
    else
        cvcodec_params_set_subtitle_none(params, 1);

    const SubtitleStyleParam& style = param.subtitleStyle;
    cvcodec_params_set_subtitle_alpha(params, style.alpha);
    cvcodec_params_set_subtitle_scale(params, style.scaleHorizontal, style.scaleVertical);
    cvcodec_params_set_subtitle_style_value(params, int64_t(style.styleValue) * 1000);
    cvcodec_params_set_subtitle_font(params, plainFontName(style.fontName).c_str());
    cvcodec_params_set_subtitle_bold(params, style.bold);
    cvcodec_params_set_subtitle_italic(params, style.italic);
    cvcodec_params_set_subtitle_underline(params, style.underline);
    cvcodec_params_set_subtitle_strikeout(params, style.strikeout);
    cvcodec_params_set_subtitle_font_size(params, style.fontSize);
    cvcodec_params_set_subtitle_colour(params, uint32_t(style.fontColour));
    cvcodec_params_set_subtitle_shadow_colour(params, uint32_t(style.shadowColour));
    cvcodec_params_set_subtitle_outline_colour(params, uint32_t(style.outlineColour));
    cvcodec_params_set_subtitle_shadow_offset(params, style.shadowOffsetThousandths / 1000.0);
    cvcodec_params_set_subtitle_outline_size(params, style.outlineSizeThousandths / 1000.0);
}

void configureWatermarks(cvcodec_params params, const ConvertParam& param) {
    const TextWatermarkParam& text = param.textWatermark;
    const WatermarkImageSettings& image = param.imageWatermark;
    if (!text.text.empty())
        cvcodec_params_set_watermark_text(params, text.text.c_str());
    cvcodec_params_set_watermark_font(params, plainFontName(text.fontName).c_str());
    if (!image.imagePath.empty())
        cvcodec_params_set_watermark_image(params, image.imagePath.c_str());
    cvcodec_params_set_watermark_enabled(params, 1);
    cvcodec_params_set_watermark_image_value(params, image.pathPassThrough[1]);
    cvcodec_params_set_watermark_text_alpha(params, text.alpha);
    cvcodec_params_set_watermark_text_scale(params, text.scaleHorizontal, text.scaleVertical);
    cvcodec_params_set_watermark_font_size(params, text.fontSize);
    cvcodec_params_set_watermark_bold(params, text.bold);
    cvcodec_params_set_watermark_italic(params, text.italic);
    cvcodec_params_set_watermark_underline(params, text.underline);
    cvcodec_params_set_watermark_strikeout(params, text.strikeout);
    cvcodec_params_set_watermark_colour(params, uint32_t(text.fontColour));
    cvcodec_params_set_watermark_shadow_colour(params, uint32_t(text.shadowColour));
    cvcodec_params_set_watermark_outline_colour(params, uint32_t(text.outlineColour));
    cvcodec_params_set_watermark_shadow_offset(params, text.shadowOffsetThousandths / 1000.0);
    cvcodec_params_set_watermark_outline_size(params, text.outlineSizeThousandths / 1000.0);
    cvcodec_params_set_watermark_text_position(params, text.xThousandths / 1000.0, text.yThousandths / 1000.0);
    cvcodec_params_set_watermark_text_selected(params, text.selected);
    cvcodec_params_set_watermark_image_alpha(params, image.alpha);
    cvcodec_params_set_watermark_image_scale(params, int32_t(image.widthScalePercent),
                                             int32_t(image.heightScalePercent));
    cvcodec_params_set_watermark_image_position(params, image.scalePassThrough[0] / 1000.0,
                                                image.scalePassThrough[1] / 1000.0);
}

void configureTags(cvcodec_params params, const VEAudioTagInfo& tags) {
    const std::pair<const char*, const std::string*> texts[] = {
        {"title", &tags.title},        {"artist", &tags.artist},   {"album_artist", &tags.album_artist},
        {"composer", &tags.composer},  {"album", &tags.album},     {"genre", &tags.genre},
        {"track", &tags.track},        {"year", &tags.year},       {"date", &tags.date},
        {"grouping", &tags.grouping},  {"comment", &tags.comment}, {"disc", &tags.disc},
        {"copyright", &tags.copyright}};
    for (const auto& entry : texts)
        cvcodec_params_set_tag(params, entry.first, entry.second->c_str());
    if (!tags.cover_image.empty()) {
        // The cover is the record's own bytes, all of them.
        cvcodec_blob blob = cvcodec_blob_create(tags.cover_image.data(), int32_t(tags.cover_image.size()));
        cvcodec_params_set_tag_bytes(params, "cover_image", blob);
        cvcodec_blob_release(blob);
    }
}

} // namespace

void configureParams(cvcodec_params params, const ConvertParam& param) {
    if (!param.tagsOnly) {
        cvcodec_params_set_video_codec(params, param.videoCodecId);
        cvcodec_params_set_audio_codec(params, param.audioCodecId);
        setEncoderPair(params, param.videoCodecId);
        if (param.audioCodecId == kAac)
            cvcodec_params_set_audio_encoder_name(params, "aac");
        if (param.videoWidth != 0 && param.videoHeight != 0)
            cvcodec_params_set_video_size(params, param.videoWidth, param.videoHeight);
        setFrameRate(params, param);
        if (param.videoBitRate != 0)
            cvcodec_params_set_video_bit_rate(params, param.videoBitRate * 1000);
        setAudioStream(params, param);

        // A rate of 0 would stop the conversion: it stands for an unchanged 100 %.
        auto percent = [](int32_t value) { return value != 0 ? value : 100; };
        cvcodec_params_set_rate_first(params, percent(param.rates[0]));
        cvcodec_params_set_video_speed(params, speedPercent(param));
        cvcodec_params_set_audio_speed(params, speedPercent(param));
        cvcodec_params_set_rate_third(params, percent(param.rates[2]));
        cvcodec_params_set_apply_edits(params, 1);

        configureCrop(params, param);
        cvcodec_params_set_brightness(params, param.encoderValues[0]);
        cvcodec_params_set_adjust_second(params, param.encoderValues[1]);
        cvcodec_params_set_saturation(params, param.encoderValues[2]);
        cvcodec_params_set_contrast(params, param.encoderValues[3]);
        cvcodec_params_set_hue(params, param.encoderValues[4]);
        configureSubtitles(params, param);
        configureWatermarks(params, param);
    }
    configureTags(params, param.tags);
}

QString currentFormatName() {
    return g_currentFormat ? g_currentFormat->container : QString();
}

QString currentFormatExtension() {
    return g_currentFormat ? g_currentFormat->extension : QString();
}
