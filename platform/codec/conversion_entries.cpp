// The conversion and media-information entries of codec_playback.h.
#include "calvorine_codec.h"
#include "codec_playback.h"

#include "codec_table.h"
#include "converter.h"
#include "encoder_params.h"
#include "handle_calls.h"
#include "media_info.h"
#include "muxer_table.h"
#include "playback_av.h"

#include <algorithm>
#include <atomic>
#include <cstring>

namespace calvorine::codec {

namespace {

struct ConverterObject : HandleObject {
    static constexpr HandleKind kKind = static_cast<HandleKind>(0x434f4e56); // "CONV"
    explicit ConverterObject(bool tagsOnly) : HandleObject(kKind), tagsOnly(tagsOnly) {}
    bool tagsOnly;
    Converter converter;
    int64_t rangeStartUs = 0;
    int64_t rangeLengthUs = 0;
};

struct InfoObject : HandleObject {
    static constexpr HandleKind kKind = static_cast<HandleKind>(0x494e464f); // "INFO"
    InfoObject() : HandleObject(kKind) {}
    MediaInfo info;
};

const char* const kPresets[] = {"ultrafast", "superfast", "veryfast", "faster",  "fast",
                                "medium",    "slow",      "slower",   "veryslow"};

std::string profileName(AVCodecID codec, int32_t profile) {
    if (codec == AV_CODEC_ID_H264) {
        switch (profile) {
        case 66:
            return "baseline";
        case 77:
            return "main";
        case 100:
            return "high";
        default:
            return {};
        }
    }
    if (codec == AV_CODEC_ID_HEVC) {
        return profile == 1 ? "main" : (profile == 2 ? "main10" : std::string());
    }
    return {};
}

// The first of the codec's encoders this build of the libraries has ("" if none).
std::string availableEncoder(const CodecEntry& codec) {
    for (const char* name : codec.encoders) {
        if (name && avcodec_find_encoder_by_name(name)) {
            return name;
        }
    }
    return {};
}

void chooseCodecs(const StreamSettings& stream, ConversionSettings& s) {
    s.videoCodecFromSource = stream.videoCodecId == 0;
    s.audioCodecFromSource = stream.audioCodecId == 0;
    if (const CodecEntry* video = findCodec(stream.videoCodecId)) {
        s.videoCodec = video->avId;
        s.videoEncoderName = availableEncoder(*video);
        s.videoProfile = profileName(video->avId, stream.profile);
        if (stream.speedPreset >= 0 && stream.speedPreset <= 8 &&
            (video->avId == AV_CODEC_ID_H264 || video->avId == AV_CODEC_ID_HEVC)) {
            s.videoPreset = kPresets[stream.speedPreset];
        }
    }
    if (const CodecEntry* audio = findCodec(stream.audioCodecId)) {
        s.audioCodec = audio->avId;
        s.audioEncoderName = stream.audioEncoderName.empty() ? availableEncoder(*audio) : stream.audioEncoderName;
    }
}

void copyStreamShape(const StreamSettings& stream, ConversionSettings& s) {
    s.width = stream.width;
    s.height = stream.height;
    s.frameRateNum = stream.frameRateNumerator;
    s.frameRateDen = stream.frameRateDenominator > 0 ? stream.frameRateDenominator : 1;
    s.videoBitRate = stream.videoBitRate;
    if (stream.videoQuality >= 0 && stream.videoBitRate <= 0) {
        // Quality in percent (higher is better) as a constant-rate factor: 100 gives 18,
        // visually lossless for H.264; 0 gives 40.
        s.quality = std::clamp(40 - stream.videoQuality * 22 / 100, 0, 51);
    }
    s.sampleRate = stream.sampleRate;
    s.channels = stream.channels;
    s.audioBitRate = stream.audioBitRate;
}

WatermarkEdit watermarkFrom(const WatermarkSettings& mark) {
    WatermarkEdit w;
    w.imagePath = mark.imagePath;
    w.imageAlpha = mark.imageAlpha;
    w.imageX = mark.imageX;
    w.imageY = mark.imageY;
    w.imageScaleWidthPercent = mark.imageScaleWidth;
    w.imageScaleHeightPercent = mark.imageScaleHeight;
    w.text = mark.text;
    w.textAlpha = mark.textAlpha;
    w.textX = mark.textX;
    w.textY = mark.textY;
    w.fontName = mark.font;
    w.fontSizePoints = mark.fontSize;
    w.textColour = mark.colour;
    w.shadowColour = mark.shadowColour;
    w.outlineColour = mark.outlineColour;
    w.shadowOffset = mark.shadowOffset;
    w.outlineSize = mark.outlineSize;
    return w;
}

SubtitleEdit subtitlesFrom(const SubtitleSettings& sub) {
    SubtitleEdit s;
    s.file = sub.file;
    s.streamIndex = sub.stream;
    s.fontName = sub.font;
    s.fontSizePoints = sub.fontSize;
    s.colour = sub.colour;
    s.outlineColour = sub.outlineColour;
    s.outlineSize = sub.outlineSize;
    s.shadowColour = sub.shadowColour;
    s.shadowOffset = sub.shadowOffset;
    // A style left at zero (a conversion request that only chose the subtitles) would
    // burn invisible text: zero alpha, size and colour stand for the usual style.
    s.alpha = sub.alpha > 0 ? sub.alpha : 255;
    if (s.fontSizePoints <= 0) {
        s.fontSizePoints = 18;
    }
    if (s.colour == 0) {
        s.colour = 0xffffffff;
    }
    s.bold = sub.bold != 0;
    s.italic = sub.italic != 0;
    s.underline = sub.underline != 0;
    s.strikeOut = sub.strikeout != 0;
    return s;
}

VideoEdit pictureEditFrom(const EncoderParams& p) {
    VideoEdit v;
    v.rotationDegrees = p.picture.rotationDegrees;
    v.mirrored = p.picture.mirrored != 0;
    std::copy(p.picture.rect, p.picture.rect + 4, v.rect);
    v.shapeWidth = p.picture.shapeWidth;
    v.shapeHeight = p.picture.shapeHeight;
    v.pad = p.picture.padding != 0;
    v.padColour = p.picture.padColour;
    v.brightness = p.adjust.brightness;
    v.saturationPercent = p.adjust.saturation;
    v.contrastPercent = p.adjust.contrast;
    v.hueDegrees = p.adjust.hue;
    // A speed of 0 was never meant: it stands for the unchanged 100%.
    v.speedPercent = p.rates.videoSpeed > 0 ? p.rates.videoSpeed : 100;
    v.watermarks[0] = watermarkFrom(p.watermark);
    v.subtitles = subtitlesFrom(p.subtitle);
    v.subtitlesOn = !p.subtitle.file.empty() || p.subtitle.stream >= 0;
    return v;
}

// The encoder parameter object as the converter reads it.
ConversionSettings settingsFrom(const EncoderParams& p, bool tagsOnly) {
    ConversionSettings s;
    s.copyStreams = tagsOnly;
    chooseCodecs(p.stream, s);
    copyStreamShape(p.stream, s);
    s.video = pictureEditFrom(p);

    AudioEdit& a = s.audio;
    a.volumePercent = p.rates.first > 0 ? p.rates.first : 100;
    a.effectVolumePercent = p.rates.third > 0 ? p.rates.third : 100;
    a.speedPercent = p.rates.audioSpeed > 0 ? p.rates.audioSpeed : 100;

    for (const auto& tag : p.tags) {
        if (tag.first == "cover_image") {
            s.cover.assign(tag.second.begin(), tag.second.end());
        } else {
            s.tags.push_back(tag);
        }
    }
    for (const Chapter& chapter : p.chapters) {
        s.chapters.push_back(ConversionChapter{chapter.startUs, chapter.durationUs, chapter.title});
    }
    return s;
}

int openConverter(cvcodec_converter handle, const char* source, const char* destination, const char* muxer,
                  cvcodec_params params) {
    auto* c = fromHandle<ConverterObject>(handle);
    if (!c || !source || !destination) {
        return 0;
    }
    ConversionSettings settings;
    if (auto* p = fromHandle<EncoderParams>(params)) {
        settings = settingsFrom(*p, c->tagsOnly);
    } else {
        settings.copyStreams = c->tagsOnly;
    }
    std::string muxerName;
    if (muxer && *muxer) {
        const MuxerEntry* entry = findMuxer(muxer);
        muxerName = entry ? entry->avName : muxer;
    }
    return c->converter.open(source, destination, muxerName.c_str(), settings) ? 1 : 0;
}

} // namespace

} // namespace calvorine::codec

using namespace calvorine::codec;

extern "C" {

CVCODEC_API int cvcodec_set_open_interrupt(int32_t on) {
    av::setOpenInterrupted(on != 0);
    return 1;
}

CVCODEC_API cvcodec_converter cvcodec_converter_create(int32_t) {
    return toHandle<cvcodec_converter>(new ConverterObject(false));
}

CVCODEC_API cvcodec_converter cvcodec_converter_create_tags_only(int32_t) {
    return toHandle<cvcodec_converter>(new ConverterObject(true));
}

CVCODEC_API int cvcodec_converter_release(cvcodec_converter handle) {
    auto* c = fromHandle<ConverterObject>(handle);
    if (!c) {
        return 0;
    }
    delete c;
    return 1;
}

CVCODEC_API int cvcodec_converter_open(cvcodec_converter c, const char* source, const char* destination,
                                       const char* muxer, cvcodec_params params) {
    return openConverter(c, source, destination, muxer, params);
}

CVCODEC_API int cvcodec_converter_open_alternative(cvcodec_converter c, const char* source, const char* destination,
                                                   const char* muxer, cvcodec_params params) {
    return openConverter(c, source, destination, muxer, params);
}

CVCODEC_API int cvcodec_converter_set_range(cvcodec_converter handle, int64_t startUs, int64_t lengthUs) {
    return runOnObject<ConverterObject>(handle, [&](ConverterObject& c) { c.converter.setRange(startUs, lengthUs); });
}

CVCODEC_API int cvcodec_converter_start(cvcodec_converter handle) {
    return objectSucceeds<ConverterObject>(handle, [&](ConverterObject& c) { return c.converter.start(); });
}

CVCODEC_API int cvcodec_converter_is_finished(cvcodec_converter handle) {
    return objectSucceeds<ConverterObject>(handle, [&](ConverterObject& c) { return c.converter.isFinished(); });
}

CVCODEC_API int cvcodec_converter_is_stopped(cvcodec_converter handle) {
    return objectSucceeds<ConverterObject>(handle, [&](ConverterObject& c) { return c.converter.isStopped(); });
}

CVCODEC_API int cvcodec_converter_has_failed(cvcodec_converter handle) {
    return objectSucceeds<ConverterObject>(handle, [&](ConverterObject& c) { return c.converter.hasFailed(); });
}

CVCODEC_API int cvcodec_converter_interrupt_open(cvcodec_converter handle) {
    return runOnObject<ConverterObject>(handle, [](ConverterObject& c) { c.converter.interruptOpen(); });
}

CVCODEC_API int cvcodec_info_interrupt_open(cvcodec_info handle) {
    return runOnObject<InfoObject>(handle, [](InfoObject& i) { i.info.interruptOpen(); });
}

CVCODEC_API int cvcodec_converter_stop(cvcodec_converter handle) {
    return objectSucceeds<ConverterObject>(handle, [&](ConverterObject& c) { return c.converter.stop(); });
}

CVCODEC_API int cvcodec_converter_close(cvcodec_converter handle) {
    return runOnObject<ConverterObject>(handle, [&](ConverterObject& c) { c.converter.close(); });
}

CVCODEC_API uint64_t cvcodec_converter_position(cvcodec_converter handle) {
    return askObject<ConverterObject>(handle, [&](ConverterObject& c) { return c.converter.positionUs(); });
}

CVCODEC_API uint64_t cvcodec_converter_duration(cvcodec_converter handle) {
    return askObject<ConverterObject>(handle, [&](ConverterObject& c) { return c.converter.durationUs(); });
}

CVCODEC_API int64_t cvcodec_converter_first_output_delay(cvcodec_converter handle) {
    return askObject<ConverterObject>(handle, [&](ConverterObject& c) { return c.converter.firstPacketDelayUs(); });
}

// ---- Media information ----

CVCODEC_API cvcodec_info cvcodec_info_create(int32_t) {
    return toHandle<cvcodec_info>(new InfoObject());
}

CVCODEC_API int cvcodec_info_close(cvcodec_info handle) {
    return runOnObject<InfoObject>(handle, [&](InfoObject& i) { i.info.close(); });
}

CVCODEC_API int cvcodec_info_release(cvcodec_info handle) {
    auto* i = fromHandle<InfoObject>(handle);
    if (!i) {
        return 0;
    }
    delete i;
    return 1;
}

CVCODEC_API int cvcodec_info_open(cvcodec_info handle, const char* path) {
    return objectSucceeds<InfoObject>(handle, [&](InfoObject& i) { return i.info.open(path); });
}

CVCODEC_API int cvcodec_info_open_alternative(cvcodec_info handle, const char* path) {
    return cvcodec_info_open(handle, path);
}

CVCODEC_API int cvcodec_info_set_open_subtitle(cvcodec_info handle, int32_t) {
    return fromHandle<InfoObject>(handle) ? 1 : 0;
}

CVCODEC_API int cvcodec_info_open_source(cvcodec_info, int32_t) {
    return 0;
}

CVCODEC_API int cvcodec_info_has_picture(cvcodec_info handle) {
    return objectSucceeds<InfoObject>(handle, [&](InfoObject& i) { return i.info.hasPicture(); });
}

CVCODEC_API int32_t cvcodec_info_picture_width(cvcodec_info handle) {
    return askObject<InfoObject>(handle, [&](InfoObject& i) { return i.info.pictureWidth(); });
}

CVCODEC_API int32_t cvcodec_info_picture_height(cvcodec_info handle) {
    return askObject<InfoObject>(handle, [&](InfoObject& i) { return i.info.pictureHeight(); });
}

CVCODEC_API const void* cvcodec_info_tag(cvcodec_info handle, const char* key) {
    return askObject<InfoObject>(handle, [&](InfoObject& i) { return i.info.tag(key); });
}

CVCODEC_API const void* cvcodec_tag_value_data(const void* value) {
    return value ? static_cast<const MediaInfo::CoverValue*>(value)->data : nullptr;
}

CVCODEC_API int32_t cvcodec_tag_value_size(const void* value) {
    return value ? static_cast<const MediaInfo::CoverValue*>(value)->size : 0;
}

CVCODEC_API uint8_t* cvcodec_info_picture(cvcodec_info handle, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t) {
    return askObject<InfoObject>(handle, [&](InfoObject& i) { return i.info.picture(); });
}

CVCODEC_API int cvcodec_info_release_picture(cvcodec_info handle, uint8_t* block) {
    if (!fromHandle<InfoObject>(handle) || !block) {
        return 0;
    }
    MediaInfo::releasePicture(block);
    return 1;
}

CVCODEC_API int32_t cvcodec_picture_size(const uint8_t* block) {
    if (!block || block[0] != 'B' || block[1] != 'M') {
        return 0;
    }
    uint32_t size = 0;
    std::memcpy(&size, block + 2, 4);
    return static_cast<int32_t>(size);
}

CVCODEC_API uint32_t cvcodec_info_subtitle_count(cvcodec_info handle) {
    return askObject<InfoObject>(handle, [&](InfoObject& i) { return i.info.subtitleCount(); });
}

CVCODEC_API int cvcodec_info_select_audio(cvcodec_info handle, int32_t index) {
    return objectSucceeds<InfoObject>(handle, [&](InfoObject& i) { return i.info.selectAudio(index); });
}

CVCODEC_API int cvcodec_info_select_subtitle(cvcodec_info handle, int32_t index) {
    return objectSucceeds<InfoObject>(handle, [&](InfoObject& i) { return i.info.selectSubtitle(index); });
}

CVCODEC_API int cvcodec_info_enable_subtitle(cvcodec_info handle, int32_t) {
    return objectSucceeds<InfoObject>(handle, [&](InfoObject& i) { return i.info.isOpen(); });
}

CVCODEC_API int32_t cvcodec_info_chapter_count(cvcodec_info handle) {
    return askObject<InfoObject>(handle, [&](InfoObject& i) { return i.info.chapterCount(); });
}

CVCODEC_API uint64_t cvcodec_info_chapter_start(cvcodec_info handle, int32_t index) {
    return askObject<InfoObject>(handle, [&](InfoObject& i) { return i.info.chapterStart(index); });
}

CVCODEC_API uint64_t cvcodec_info_chapter_length(cvcodec_info handle, int32_t index) {
    return askObject<InfoObject>(handle, [&](InfoObject& i) { return i.info.chapterLength(index); });
}

CVCODEC_API const char* cvcodec_info_chapter_title(cvcodec_info handle, int32_t index) {
    auto* i = fromHandle<InfoObject>(handle);
    return i ? i->info.chapterTitle(index) : "";
}

CVCODEC_API uint64_t cvcodec_info_duration(cvcodec_info handle) {
    return askObject<InfoObject>(handle, [&](InfoObject& i) { return i.info.durationUs(); });
}

CVCODEC_API int cvcodec_info_has_media(cvcodec_info handle) {
    return objectSucceeds<InfoObject>(handle, [&](InfoObject& i) { return i.info.hasMediaPackets(); });
}

CVCODEC_API int cvcodec_info_has_pictures(cvcodec_info handle) {
    return objectSucceeds<InfoObject>(handle, [&](InfoObject& i) { return i.info.hasPicturePackets(); });
}

} // extern "C"
