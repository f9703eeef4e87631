// Entries of the encoder parameter object. Each setter stores its values unchanged.
#include "encoder_params.h"

#include "calvorine_codec.h"
#include "track.h"

namespace calvorine::codec {

void EncoderParams::setTag(const std::string& key, std::string value) {
    for (auto& entry : tags) {
        if (entry.first == key) {
            entry.second = std::move(value);
            return;
        }
    }
    tags.emplace_back(key, std::move(value));
}

const std::string* EncoderParams::tag(const std::string& key) const {
    for (const auto& entry : tags) {
        if (entry.first == key)
            return &entry.second;
    }
    return nullptr;
}

namespace {

std::string text(const char* value) {
    return value ? std::string(value) : std::string();
}

} // namespace

} // namespace calvorine::codec

using calvorine::codec::EncoderParams;
using calvorine::codec::fromHandle;

// One setter: finds the object behind the handle, then runs the statement on `p`.
#define CVCODEC_SETTER(function, parameters, statement)                                                                \
    extern "C" CVCODEC_API int function(cvcodec_params handle, parameters) {                                           \
        EncoderParams* p = fromHandle<EncoderParams>(handle);                                                          \
        if (!p)                                                                                                        \
            return 0;                                                                                                  \
        statement;                                                                                                     \
        return 1;                                                                                                      \
    }
#define CVCODEC_PAIR(a, b) a, b
#define CVCODEC_QUAD(a, b, c, d) a, b, c, d

using calvorine::codec::text;

extern "C" CVCODEC_API cvcodec_params cvcodec_params_create(void) {
    return calvorine::codec::toHandle<cvcodec_params>(new EncoderParams);
}

extern "C" CVCODEC_API int cvcodec_params_release(cvcodec_params handle) {
    EncoderParams* p = fromHandle<EncoderParams>(handle);
    if (!p)
        return 0;
    delete p;
    return 1;
}

CVCODEC_SETTER(cvcodec_params_set_video_codec, int32_t v, p->stream.videoCodecId = v)
CVCODEC_SETTER(cvcodec_params_set_audio_codec, int32_t v, p->stream.audioCodecId = v)
CVCODEC_SETTER(cvcodec_params_set_audio_encoder_name, const char* v, p->stream.audioEncoderName = text(v))
CVCODEC_SETTER(cvcodec_params_set_speed_preset, int32_t v, p->stream.speedPreset = v)
CVCODEC_SETTER(cvcodec_params_set_minimum_encode_time, int32_t v, p->stream.minimumEncodeUs = v)
CVCODEC_SETTER(cvcodec_params_set_profile, int32_t v, p->stream.profile = v)
CVCODEC_SETTER(cvcodec_params_set_video_size, CVCODEC_PAIR(int32_t w, int32_t h), p->stream.width = w;
               p->stream.height = h)
CVCODEC_SETTER(cvcodec_params_set_frame_rate, CVCODEC_PAIR(int32_t n, int32_t d), p->stream.frameRateNumerator = n;
               p->stream.frameRateDenominator = d)
CVCODEC_SETTER(cvcodec_params_set_video_bit_rate, int32_t v, p->stream.videoBitRate = v)
CVCODEC_SETTER(cvcodec_params_set_video_quality, int32_t v, p->stream.videoQuality = v)
CVCODEC_SETTER(cvcodec_params_set_channels, int32_t v, p->stream.channels = v)
CVCODEC_SETTER(cvcodec_params_set_sample_rate, int32_t v, p->stream.sampleRate = v)
CVCODEC_SETTER(cvcodec_params_set_audio_bit_rate, int32_t v, p->stream.audioBitRate = v)
CVCODEC_SETTER(cvcodec_params_set_track_mixing, int32_t v, p->mixTracks = v != 0)

extern "C" CVCODEC_API int cvcodec_params_add_mix_track(cvcodec_params handle, cvcodec_track track) {
    EncoderParams* p = fromHandle<EncoderParams>(handle);
    auto* t = fromHandle<calvorine::codec::TrackObject>(track);
    if (!p || !t)
        return 0;
    for (const auto& state : p->mixTrackList) {
        if (state == t->state)
            return 1;
    }
    p->mixTrackList.push_back(t->state);
    return 1;
}

CVCODEC_SETTER(cvcodec_params_set_rate_first, int32_t v, p->rates.first = v)
CVCODEC_SETTER(cvcodec_params_set_video_speed, int32_t v, p->rates.videoSpeed = v)
CVCODEC_SETTER(cvcodec_params_set_audio_speed, int32_t v, p->rates.audioSpeed = v)
CVCODEC_SETTER(cvcodec_params_set_rate_third, int32_t v, p->rates.third = v)
CVCODEC_SETTER(cvcodec_params_set_apply_edits, int32_t v, p->rates.applyEdits = v)

CVCODEC_SETTER(cvcodec_params_set_shape, CVCODEC_PAIR(int32_t w, int32_t h), p->picture.shapeWidth = w;
               p->picture.shapeHeight = h)
CVCODEC_SETTER(cvcodec_params_set_rotation, int32_t v, p->picture.rotationDegrees = v)
CVCODEC_SETTER(cvcodec_params_set_mirror, int32_t v, p->picture.mirrored = v)
CVCODEC_SETTER(cvcodec_params_set_padding, CVCODEC_PAIR(int32_t on, uint32_t argb), p->picture.padding = on;
               p->picture.padColour = argb)
CVCODEC_SETTER(cvcodec_params_set_picture_rect, CVCODEC_QUAD(double x, double y, double w, double h),
               p->picture.rect[0] = x;
               p->picture.rect[1] = y; p->picture.rect[2] = w; p->picture.rect[3] = h)

CVCODEC_SETTER(cvcodec_params_set_brightness, int32_t v, p->adjust.brightness = v)
CVCODEC_SETTER(cvcodec_params_set_adjust_second, int32_t v, p->adjust.second = v)
CVCODEC_SETTER(cvcodec_params_set_saturation, int32_t v, p->adjust.saturation = v)
CVCODEC_SETTER(cvcodec_params_set_contrast, int32_t v, p->adjust.contrast = v)
CVCODEC_SETTER(cvcodec_params_set_hue, int32_t v, p->adjust.hue = v)

CVCODEC_SETTER(cvcodec_params_set_stream_choice_first, int32_t v, p->subtitle.streamChoiceFirst = v)
CVCODEC_SETTER(cvcodec_params_set_audio_track_index, int32_t v, p->subtitle.audioTrackIndex = v)
CVCODEC_SETTER(cvcodec_params_set_subtitle_stream, int32_t v, p->subtitle.stream = v)
CVCODEC_SETTER(cvcodec_params_set_subtitle_file, const char* v, p->subtitle.file = text(v))
CVCODEC_SETTER(cvcodec_params_set_subtitle_none, int32_t v, p->subtitle.none = v)
CVCODEC_SETTER(cvcodec_params_set_subtitle_alpha, int32_t v, p->subtitle.alpha = v)
CVCODEC_SETTER(cvcodec_params_set_subtitle_scale, CVCODEC_PAIR(int32_t h, int32_t v), p->subtitle.scaleHorizontal = h;
               p->subtitle.scaleVertical = v)
CVCODEC_SETTER(cvcodec_params_set_subtitle_style_value, int64_t v, p->subtitle.styleValue = v)
CVCODEC_SETTER(cvcodec_params_set_subtitle_font, const char* v, p->subtitle.font = text(v))
CVCODEC_SETTER(cvcodec_params_set_subtitle_bold, int32_t v, p->subtitle.bold = v)
CVCODEC_SETTER(cvcodec_params_set_subtitle_italic, int32_t v, p->subtitle.italic = v)
CVCODEC_SETTER(cvcodec_params_set_subtitle_underline, int32_t v, p->subtitle.underline = v)
CVCODEC_SETTER(cvcodec_params_set_subtitle_strikeout, int32_t v, p->subtitle.strikeout = v)
CVCODEC_SETTER(cvcodec_params_set_subtitle_font_size, int32_t v, p->subtitle.fontSize = v)
CVCODEC_SETTER(cvcodec_params_set_subtitle_colour, uint32_t v, p->subtitle.colour = v)
CVCODEC_SETTER(cvcodec_params_set_subtitle_shadow_colour, uint32_t v, p->subtitle.shadowColour = v)
CVCODEC_SETTER(cvcodec_params_set_subtitle_outline_colour, uint32_t v, p->subtitle.outlineColour = v)
CVCODEC_SETTER(cvcodec_params_set_subtitle_shadow_offset, double v, p->subtitle.shadowOffset = v)
CVCODEC_SETTER(cvcodec_params_set_subtitle_outline_size, double v, p->subtitle.outlineSize = v)

CVCODEC_SETTER(cvcodec_params_set_watermark_text, const char* v, p->watermark.text = text(v))
CVCODEC_SETTER(cvcodec_params_set_watermark_font, const char* v, p->watermark.font = text(v))
CVCODEC_SETTER(cvcodec_params_set_watermark_image, const char* v, p->watermark.imagePath = text(v))
CVCODEC_SETTER(cvcodec_params_set_watermark_enabled, int32_t v, p->watermark.enabled = v)
CVCODEC_SETTER(cvcodec_params_set_watermark_image_value, int32_t v, p->watermark.imageValue = v)
CVCODEC_SETTER(cvcodec_params_set_watermark_text_alpha, int32_t v, p->watermark.textAlpha = v)
CVCODEC_SETTER(cvcodec_params_set_watermark_text_scale, CVCODEC_PAIR(int32_t h, int32_t v),
               p->watermark.textScaleHorizontal = h;
               p->watermark.textScaleVertical = v)
CVCODEC_SETTER(cvcodec_params_set_watermark_font_size, int32_t v, p->watermark.fontSize = v)
CVCODEC_SETTER(cvcodec_params_set_watermark_bold, int32_t v, p->watermark.bold = v)
CVCODEC_SETTER(cvcodec_params_set_watermark_italic, int32_t v, p->watermark.italic = v)
CVCODEC_SETTER(cvcodec_params_set_watermark_underline, int32_t v, p->watermark.underline = v)
CVCODEC_SETTER(cvcodec_params_set_watermark_strikeout, int32_t v, p->watermark.strikeout = v)
CVCODEC_SETTER(cvcodec_params_set_watermark_colour, uint32_t v, p->watermark.colour = v)
CVCODEC_SETTER(cvcodec_params_set_watermark_shadow_colour, uint32_t v, p->watermark.shadowColour = v)
CVCODEC_SETTER(cvcodec_params_set_watermark_outline_colour, uint32_t v, p->watermark.outlineColour = v)
CVCODEC_SETTER(cvcodec_params_set_watermark_shadow_offset, double v, p->watermark.shadowOffset = v)
CVCODEC_SETTER(cvcodec_params_set_watermark_outline_size, double v, p->watermark.outlineSize = v)
CVCODEC_SETTER(cvcodec_params_set_watermark_text_position, CVCODEC_PAIR(double x, double y), p->watermark.textX = x;
               p->watermark.textY = y)
CVCODEC_SETTER(cvcodec_params_set_watermark_text_selected, int32_t v, p->watermark.textSelected = v)
CVCODEC_SETTER(cvcodec_params_set_watermark_image_alpha, int32_t v, p->watermark.imageAlpha = v)
CVCODEC_SETTER(cvcodec_params_set_watermark_image_scale, CVCODEC_PAIR(int32_t w, int32_t h),
               p->watermark.imageScaleWidth = w;
               p->watermark.imageScaleHeight = h)
CVCODEC_SETTER(cvcodec_params_set_watermark_image_position, CVCODEC_PAIR(double x, double y), p->watermark.imageX = x;
               p->watermark.imageY = y)

extern "C" CVCODEC_API int cvcodec_params_set_tag(cvcodec_params handle, const char* key, const char* value) {
    EncoderParams* p = fromHandle<EncoderParams>(handle);
    if (!p || !key || !*key)
        return 0;
    p->setTag(key, text(value));
    return 1;
}

extern "C" CVCODEC_API int cvcodec_params_set_tag_bytes(cvcodec_params handle, const char* key, cvcodec_blob blob) {
    EncoderParams* p = fromHandle<EncoderParams>(handle);
    if (!p || !key || !*key || !blob)
        return 0;
    const auto* bytes = static_cast<const char*>(cvcodec_blob_data(blob));
    const int32_t size = cvcodec_blob_size(blob);
    if (size < 0 || (size > 0 && !bytes))
        return 0;
    p->setTag(key, std::string(bytes ? bytes : "", size_t(size)));
    return 1;
}

extern "C" CVCODEC_API int cvcodec_params_add_chapter(cvcodec_params handle, int64_t startUs, int64_t durationUs,
                                                      const char* title) {
    EncoderParams* p = fromHandle<EncoderParams>(handle);
    if (!p)
        return 0;
    p->chapters.push_back({startUs, durationUs, text(title)});
    return 1;
}
