// The player entries of codec_playback.h.
#include "calvorine_codec.h"
#include "codec_playback.h"

#include "handle_calls.h"
#include "player.h"
#include "text_extent.h"

#include <algorithm>
#include <cstring>

namespace calvorine::codec {

namespace {

struct PlayerObject : HandleObject {
    static constexpr HandleKind kKind = static_cast<HandleKind>(0x504c4159); // "PLAY"
    PlayerObject() : HandleObject(kKind) {}
    Player player;
    int selectedWatermark = 0;
    int subtitleStreamChoice = -1;
    std::string subtitleFile;
    bool subtitleOn = false;
    // Values the preview keeps for the owner without drawing anything with them.
    int64_t intervalUs = 0;
    int openMode = 0;
    int audioOnly = 0;

    WatermarkEdit& mark() { return player.videoEdit().watermarks[std::clamp(selectedWatermark, 0, 2)]; }
    void applySubtitles() {
        SubtitleEdit& s = player.videoEdit().subtitles;
        s.file = subtitleFile;
        s.streamIndex = subtitleFile.empty() ? subtitleStreamChoice : -1;
        player.videoEdit().subtitlesOn = subtitleOn && (!s.file.empty() || s.streamIndex >= 0);
    }
};

PlayerObject* get(cvcodec_player handle) {
    return fromHandle<PlayerObject>(handle);
}

template <typename Call> auto ask(cvcodec_player handle, Call call) {
    return askObject<PlayerObject>(handle, call);
}

template <typename Call> int succeeds(cvcodec_player handle, Call call) {
    return objectSucceeds<PlayerObject>(handle, call);
}

template <typename Call> int run(cvcodec_player handle, Call call) {
    return runOnObject<PlayerObject>(handle, call);
}

// A setter of the live edits: changes the records, then applies them (at once, or at
// the end of an update group).
template <typename Change> int edit(cvcodec_player handle, Change change) {
    return run(handle, [&](PlayerObject& o) {
        change(o);
        o.player.applyEdits();
    });
}

// A value the library takes without using it: the call succeeds on a live player.
int takenUnused(cvcodec_player handle) {
    return get(handle) ? 1 : 0;
}

// The size of an image file, read with the demuxers (0 x 0 when it cannot be read).
void imageFileSize(const std::string& path, int* width, int* height) {
    *width = *height = 0;
    av::InputPtr input = av::openInput(path.c_str());
    if (input) {
        const int index = av::findStream(input.get(), AVMEDIA_TYPE_VIDEO);
        if (index >= 0) {
            *width = input->streams[index]->codecpar->width;
            *height = input->streams[index]->codecpar->height;
        }
    }
}

enum class Side { Width, Height };

// The selected image watermark's share of the shown picture along one side: its file's
// size scaled by its percentage (0 without a player, a picture or an image).
double watermarkImageShare(PlayerObject* o, Side side) {
    const int display = !o ? 0 : side == Side::Width ? o->player.displayWidth() : o->player.displayHeight();
    if (display <= 0 || o->mark().imagePath.empty()) {
        return 0.0;
    }
    const double* factors = o->mark().imageFactors;
    if (factors[0] > 0.0 && factors[1] > 0.0) {
        return std::min(1.0, side == Side::Width ? factors[0] : factors[1]);
    }
    int width = 0;
    int height = 0;
    imageFileSize(o->mark().imagePath, &width, &height);
    const WatermarkEdit& mark = o->mark();
    const double scaled = side == Side::Width ? width * mark.imageScaleWidthPercent / 100.0
                                              : height * mark.imageScaleHeightPercent / 100.0;
    return std::min(1.0, scaled / display);
}

// The selected text watermark's share of the shown picture along one side, as the filters
// draw it (0 without a player, a picture or a text). Where it cannot be drawn, an
// estimate by the font's usual proportions.
double drawnTextShare(PlayerObject* o, Side side) {
    const int width = o ? o->player.displayWidth() : 0;
    const int height = o ? o->player.displayHeight() : 0;
    if (!o || width <= 0 || height <= 0 || o->mark().text.empty()) {
        return 0.0;
    }
    const WatermarkEdit mark = o->mark();
    int drawnWidth = 0;
    int drawnHeight = 0;
    if (!drawnTextSize(mark, width, height, &drawnWidth, &drawnHeight)) {
        drawnWidth = static_cast<int>(mark.text.size() * mark.fontSizePoints * 0.6);
        drawnHeight = static_cast<int>(mark.fontSizePoints * 1.2);
    }
    return side == Side::Width ? std::min(1.0, double(drawnWidth) / width)
                               : std::min(1.0, double(drawnHeight) / height);
}

} // namespace

} // namespace calvorine::codec

using namespace calvorine::codec;

extern "C" {

CVCODEC_API cvcodec_player cvcodec_player_create(int32_t) {
    return toHandle<cvcodec_player>(new PlayerObject());
}

CVCODEC_API cvcodec_player cvcodec_player_create_source(int32_t) {
    return nullptr;
}

CVCODEC_API int cvcodec_player_release(cvcodec_player handle) {
    PlayerObject* o = get(handle);
    if (!o) {
        return 0;
    }
    delete o;
    return 1;
}

CVCODEC_API int cvcodec_player_open(cvcodec_player handle, const char* path, int32_t, int32_t, int32_t, int32_t) {
    return succeeds(handle, [&](PlayerObject& o) { return o.player.open(path); });
}

CVCODEC_API int cvcodec_player_play(cvcodec_player h) {
    return succeeds(h, [&](PlayerObject& o) { return o.player.play(); });
}

CVCODEC_API int cvcodec_player_pause(cvcodec_player h) {
    return succeeds(h, [&](PlayerObject& o) { return o.player.pause(); });
}

CVCODEC_API int cvcodec_player_stop(cvcodec_player h) {
    return succeeds(h, [&](PlayerObject& o) { return o.player.stop(); });
}

CVCODEC_API int cvcodec_player_close(cvcodec_player h) {
    return run(h, [&](PlayerObject& o) { o.player.close(); });
}

CVCODEC_API int cvcodec_player_seek(cvcodec_player h, uint64_t timeUs) {
    const auto clampedUs = static_cast<int64_t>(std::min<uint64_t>(timeUs, INT64_MAX));
    return succeeds(h, [&](PlayerObject& o) { return o.player.seek(clampedUs); });
}

CVCODEC_API int cvcodec_player_begin_async_seek(cvcodec_player h, uint64_t) {
    return get(h) ? 1 : 0;
}

CVCODEC_API int cvcodec_player_end_async_seek(cvcodec_player h) {
    return get(h) ? 1 : 0;
}

CVCODEC_API int cvcodec_player_step(cvcodec_player h, int32_t direction) {
    PlayerObject* o = get(h);
    return o && direction != 0 && o->player.step(direction) ? 1 : 0;
}

CVCODEC_API int cvcodec_player_show_current_frame(cvcodec_player h) {
    return succeeds(h, [&](PlayerObject& o) { return o.player.showCurrentFrame(); });
}

CVCODEC_API int cvcodec_player_repaint(cvcodec_player h) {
    return run(h, [&](PlayerObject& o) { o.player.repaint(); });
}

CVCODEC_API int cvcodec_player_is_at_end(cvcodec_player h) {
    return succeeds(h, [&](PlayerObject& o) { return o.player.isAtEnd(); });
}

CVCODEC_API int cvcodec_player_is_paused(cvcodec_player h) {
    return succeeds(h, [&](PlayerObject& o) { return o.player.isPaused(); });
}

CVCODEC_API int cvcodec_player_has_video(cvcodec_player h) {
    return succeeds(h, [&](PlayerObject& o) { return o.player.hasVideo(); });
}

CVCODEC_API int cvcodec_player_has_audio(cvcodec_player h) {
    return succeeds(h, [&](PlayerObject& o) { return o.player.hasAudio(); });
}

CVCODEC_API uint64_t cvcodec_player_duration(cvcodec_player h) {
    return ask(h, [&](PlayerObject& o) { return o.player.durationUs(); });
}

CVCODEC_API uint64_t cvcodec_player_position(cvcodec_player h) {
    return ask(h, [&](PlayerObject& o) { return o.player.positionUs(); });
}

CVCODEC_API uint64_t cvcodec_player_frame_time(cvcodec_player h) {
    return ask(h, [&](PlayerObject& o) { return o.player.frameTimeUs(); });
}

CVCODEC_API int32_t cvcodec_player_video_width(cvcodec_player h) {
    return ask(h, [&](PlayerObject& o) { return o.player.videoWidth(); });
}

CVCODEC_API int32_t cvcodec_player_video_height(cvcodec_player h) {
    return ask(h, [&](PlayerObject& o) { return o.player.videoHeight(); });
}

CVCODEC_API int32_t cvcodec_player_display_width(cvcodec_player h) {
    return ask(h, [&](PlayerObject& o) { return o.player.displayWidth(); });
}

CVCODEC_API int32_t cvcodec_player_display_height(cvcodec_player h) {
    return ask(h, [&](PlayerObject& o) { return o.player.displayHeight(); });
}

CVCODEC_API int cvcodec_player_set_video_window(cvcodec_player h, int64_t id) {
    return run(h, [&](PlayerObject& o) { o.player.setWindowId(0, id); });
}

CVCODEC_API int cvcodec_player_set_second_video_window(cvcodec_player h, int64_t id) {
    return run(h, [&](PlayerObject& o) { o.player.setWindowId(1, id); });
}

CVCODEC_API int64_t cvcodec_player_video_window(cvcodec_player h, int32_t which) {
    return ask(h, [&](PlayerObject& o) { return o.player.windowId(which); });
}

CVCODEC_API int cvcodec_player_set_frame_callback(cvcodec_player h, cvcodec_player_frame_callback callback,
                                                  void* context) {
    return run(h, [&](PlayerObject& o) { o.player.setFrameCallback(callback, context); });
}

namespace {

int frameSizeOf(cvcodec_player h, int32_t* width, int32_t* height, Player::Picture which) {
    PlayerObject* o = get(h);
    int w = 0;
    int hgt = 0;
    const bool has = o && o->player.frameSize(&w, &hgt, which);
    if (width) {
        *width = w;
    }
    if (height) {
        *height = hgt;
    }
    return has ? 1 : 0;
}

} // namespace

CVCODEC_API int cvcodec_player_frame_size(cvcodec_player h, int32_t* width, int32_t* height) {
    return frameSizeOf(h, width, height, Player::Picture::Edited);
}

CVCODEC_API int cvcodec_player_copy_frame(cvcodec_player h, void* pixels, int32_t bytesPerLine, int32_t width,
                                          int32_t height) {
    return succeeds(h, [&](PlayerObject& o) { return o.player.copyFrame(pixels, bytesPerLine, width, height); });
}

CVCODEC_API int cvcodec_player_source_frame_size(cvcodec_player h, int32_t* width, int32_t* height) {
    return frameSizeOf(h, width, height, Player::Picture::Source);
}

CVCODEC_API int cvcodec_player_copy_source_frame(cvcodec_player h, void* pixels, int32_t bytesPerLine, int32_t width,
                                                 int32_t height) {
    return succeeds(h, [&](PlayerObject& o) {
        return o.player.copyFrame(pixels, bytesPerLine, width, height, Player::Picture::Source);
    });
}

CVCODEC_API int cvcodec_player_set_interval(cvcodec_player h, uint64_t intervalUs) {
    return run(h, [&](PlayerObject& o) { o.intervalUs = static_cast<int64_t>(intervalUs); });
}

CVCODEC_API int cvcodec_player_set_open_mode(cvcodec_player h, int32_t mode) {
    return run(h, [&](PlayerObject& o) { o.openMode = mode; });
}

CVCODEC_API int cvcodec_player_set_audio_only(cvcodec_player h, int32_t on) {
    return run(h, [&](PlayerObject& o) { o.audioOnly = on; });
}

CVCODEC_API uint8_t* cvcodec_player_level_block(cvcodec_player h, int32_t) {
    return ask(h, [&](PlayerObject& o) { return o.player.levelBlock(); });
}

CVCODEC_API int cvcodec_player_release_level_block(cvcodec_player h, uint8_t* block) {
    return succeeds(h, [&](PlayerObject& o) { return o.player.releaseLevelBlock(block); });
}

CVCODEC_API uint8_t* cvcodec_player_snapshot(cvcodec_player h, int32_t, int32_t, int32_t) {
    return ask(h, [&](PlayerObject& o) { return o.player.snapshot(); });
}

CVCODEC_API int cvcodec_player_release_snapshot(cvcodec_player h, uint8_t* block) {
    if (!get(h) || !block) {
        return 0;
    }
    std::free(block);
    return 1;
}

CVCODEC_API int cvcodec_player_begin_update(cvcodec_player h) {
    return run(h, [&](PlayerObject& o) { o.player.beginUpdate(); });
}

CVCODEC_API int cvcodec_player_end_update(cvcodec_player h) {
    return run(h, [&](PlayerObject& o) { o.player.endUpdate(); });
}

CVCODEC_API int cvcodec_player_select_watermark(cvcodec_player h, int32_t index) {
    PlayerObject* o = get(h);
    if (!o || index < 0 || index > 2) {
        return 0;
    }
    o->selectedWatermark = index;
    return 1;
}

CVCODEC_API int cvcodec_player_refresh_watermark(cvcodec_player h) {
    return get(h) ? 1 : 0;
}

CVCODEC_API int cvcodec_player_set_rotation(cvcodec_player handle, int32_t degrees) {
    return edit(handle, [&](PlayerObject& o) { o.player.videoEdit().rotationDegrees = degrees; });
}

CVCODEC_API int cvcodec_player_set_mirrored(cvcodec_player handle, int32_t on) {
    return edit(handle, [&](PlayerObject& o) { o.player.videoEdit().mirrored = on != 0; });
}

CVCODEC_API int cvcodec_player_set_pad(cvcodec_player handle, int32_t on, uint32_t argb) {
    return edit(handle, [&](PlayerObject& o) {
        o.player.videoEdit().pad = on != 0;
        o.player.videoEdit().padColour = argb;
    });
}

CVCODEC_API int cvcodec_player_set_picture_rect(cvcodec_player handle, double x, double y, double w, double hh) {
    return edit(handle, [&](PlayerObject& o) {
        double* r = o.player.videoEdit().rect;
        r[0] = x;
        r[1] = y;
        r[2] = w;
        r[3] = hh;
    });
}

CVCODEC_API int cvcodec_player_set_output_size(cvcodec_player handle, int32_t w, int32_t hh) {
    return edit(handle, [&](PlayerObject& o) {
        o.player.videoEdit().shapeWidth = w;
        o.player.videoEdit().shapeHeight = hh;
    });
}

CVCODEC_API int cvcodec_player_set_brightness(cvcodec_player handle, int32_t v) {
    return edit(handle, [&](PlayerObject& o) { o.player.videoEdit().brightness = v; });
}

CVCODEC_API int cvcodec_player_set_saturation(cvcodec_player handle, int32_t v) {
    return edit(handle, [&](PlayerObject& o) { o.player.videoEdit().saturationPercent = v; });
}

CVCODEC_API int cvcodec_player_set_hue(cvcodec_player handle, int32_t v) {
    return edit(handle, [&](PlayerObject& o) { o.player.videoEdit().hueDegrees = v; });
}

CVCODEC_API int cvcodec_player_set_contrast(cvcodec_player handle, int32_t v) {
    return edit(handle, [&](PlayerObject& o) { o.player.videoEdit().contrastPercent = v; });
}

CVCODEC_API int cvcodec_player_set_watermark_image(cvcodec_player handle, const char* path) {
    return edit(handle, [&](PlayerObject& o) { o.mark().imagePath = path ? path : ""; });
}

CVCODEC_API int cvcodec_player_set_watermark_image2(cvcodec_player handle, const char*) {
    return takenUnused(handle);
}

CVCODEC_API int cvcodec_player_set_watermark_image_mode(cvcodec_player handle, int32_t) {
    return takenUnused(handle);
}

CVCODEC_API int cvcodec_player_set_watermark_image_pos(cvcodec_player handle, double x, double y) {
    return edit(handle, [&](PlayerObject& o) {
        o.mark().imageX = x;
        o.mark().imageY = y;
    });
}

CVCODEC_API int cvcodec_player_set_watermark_image_scale(cvcodec_player handle, int32_t w, int32_t hh) {
    return edit(handle, [&](PlayerObject& o) {
        o.mark().imageScaleWidthPercent = w;
        o.mark().imageScaleHeightPercent = hh;
    });
}

CVCODEC_API int cvcodec_player_set_watermark_image_param(cvcodec_player handle, int32_t) {
    return takenUnused(handle);
}

CVCODEC_API int cvcodec_player_set_watermark_image_alpha(cvcodec_player handle, int32_t a) {
    return edit(handle, [&](PlayerObject& o) { o.mark().imageAlpha = a; });
}

CVCODEC_API int cvcodec_player_set_watermark_image_flag(cvcodec_player handle, int32_t) {
    return takenUnused(handle);
}

CVCODEC_API int cvcodec_player_set_watermark_image_shown(cvcodec_player handle, int32_t) {
    return takenUnused(handle);
}

CVCODEC_API int cvcodec_player_set_watermark_image_factors(cvcodec_player handle, double a, double b) {
    return edit(handle, [&](PlayerObject& o) {
        o.mark().imageFactors[0] = a;
        o.mark().imageFactors[1] = b;
    });
}

CVCODEC_API int cvcodec_player_set_watermark_image_kind(cvcodec_player handle, int32_t) {
    return takenUnused(handle);
}

CVCODEC_API int cvcodec_player_set_watermark_image_rect(cvcodec_player handle, double x, double y, double w,
                                                        double hh) {
    return edit(handle, [&](PlayerObject& o) {
        o.mark().imageRect[0] = x;
        o.mark().imageRect[1] = y;
        o.mark().imageRect[2] = w;
        o.mark().imageRect[3] = hh;
    });
}

CVCODEC_API int cvcodec_player_set_watermark_image_range(cvcodec_player handle, uint64_t start, uint64_t end) {
    return edit(handle, [&](PlayerObject& o) {
        o.mark().imageStartUs = start;
        o.mark().imageEndUs = end;
    });
}

CVCODEC_API int cvcodec_player_set_watermark_image_times(cvcodec_player handle, int32_t, int32_t, int32_t, int32_t) {
    return takenUnused(handle);
}

CVCODEC_API int cvcodec_player_set_watermark_text(cvcodec_player handle, const char* text) {
    return edit(handle, [&](PlayerObject& o) { o.mark().text = text ? text : ""; });
}

CVCODEC_API int cvcodec_player_set_watermark_text_off(cvcodec_player handle, int32_t on) {
    return edit(handle, [&](PlayerObject& o) {
        if (!on) {
            o.mark().text.clear();
        }
    });
}

CVCODEC_API int cvcodec_player_set_watermark_text_alpha(cvcodec_player handle, int32_t a) {
    return edit(handle, [&](PlayerObject& o) { o.mark().textAlpha = a; });
}

CVCODEC_API int cvcodec_player_set_watermark_text_pos(cvcodec_player handle, double x, double y) {
    return edit(handle, [&](PlayerObject& o) {
        o.mark().textX = x;
        o.mark().textY = y;
    });
}

CVCODEC_API int cvcodec_player_set_watermark_text_param(cvcodec_player handle, int32_t) {
    return takenUnused(handle);
}

CVCODEC_API int cvcodec_player_set_watermark_text_bold(cvcodec_player handle, int32_t) {
    return takenUnused(handle);
}

CVCODEC_API int cvcodec_player_set_watermark_text_size(cvcodec_player handle, int32_t points) {
    return edit(handle, [&](PlayerObject& o) { o.mark().fontSizePoints = points; });
}

CVCODEC_API int cvcodec_player_set_watermark_text_font(cvcodec_player handle, const char* font) {
    return edit(handle, [&](PlayerObject& o) { o.mark().fontName = font ? font : ""; });
}

CVCODEC_API int cvcodec_player_set_watermark_text_color(cvcodec_player handle, uint32_t c) {
    return edit(handle, [&](PlayerObject& o) { o.mark().textColour = c; });
}

CVCODEC_API int cvcodec_player_set_watermark_outline_color(cvcodec_player handle, uint32_t c) {
    return edit(handle, [&](PlayerObject& o) { o.mark().outlineColour = c; });
}

CVCODEC_API int cvcodec_player_set_watermark_outline_size(cvcodec_player handle, double v) {
    return edit(handle, [&](PlayerObject& o) { o.mark().outlineSize = v; });
}

CVCODEC_API int cvcodec_player_set_watermark_shadow_color(cvcodec_player handle, uint32_t c) {
    return edit(handle, [&](PlayerObject& o) { o.mark().shadowColour = c; });
}

CVCODEC_API int cvcodec_player_set_watermark_shadow_offset(cvcodec_player handle, double v) {
    return edit(handle, [&](PlayerObject& o) { o.mark().shadowOffset = v; });
}

CVCODEC_API int cvcodec_player_set_watermark_text_italic(cvcodec_player handle, int32_t) {
    return takenUnused(handle);
}

CVCODEC_API int cvcodec_player_set_watermark_text_underline(cvcodec_player handle, int32_t) {
    return takenUnused(handle);
}

CVCODEC_API int cvcodec_player_set_watermark_text_strikeout(cvcodec_player handle, int32_t) {
    return takenUnused(handle);
}

CVCODEC_API int cvcodec_player_set_watermark_text_scale(cvcodec_player handle, int32_t, int32_t) {
    return takenUnused(handle);
}

CVCODEC_API int cvcodec_player_set_watermark_text_shown(cvcodec_player handle, int32_t) {
    return takenUnused(handle);
}

CVCODEC_API int cvcodec_player_set_watermark_text_selected(cvcodec_player handle, int32_t) {
    return takenUnused(handle);
}

CVCODEC_API int cvcodec_player_set_watermark_text_spacing_h(cvcodec_player handle, double) {
    return takenUnused(handle);
}

CVCODEC_API int cvcodec_player_set_watermark_text_spacing_v(cvcodec_player handle, double) {
    return takenUnused(handle);
}

CVCODEC_API int cvcodec_player_set_watermark_text_range(cvcodec_player handle, uint64_t start, uint64_t end) {
    return edit(handle, [&](PlayerObject& o) {
        o.mark().textStartUs = start;
        o.mark().textEndUs = end;
    });
}

CVCODEC_API int cvcodec_player_select_audio_track(cvcodec_player handle, int32_t) {
    return edit(handle, [](PlayerObject&) {});
}

CVCODEC_API int cvcodec_player_select_subtitle(cvcodec_player handle, int32_t index) {
    return edit(handle, [&](PlayerObject& o) {
        o.subtitleStreamChoice = index;
        o.subtitleFile.clear();
        o.subtitleOn = index >= 0;
        o.applySubtitles();
    });
}

CVCODEC_API int cvcodec_player_set_subtitle_file(cvcodec_player handle, const char* path) {
    return edit(handle, [&](PlayerObject& o) {
        o.subtitleFile = path ? path : "";
        o.subtitleOn = !o.subtitleFile.empty();
        o.applySubtitles();
    });
}

CVCODEC_API int cvcodec_player_set_subtitle_on(cvcodec_player handle, int32_t on) {
    return edit(handle, [&](PlayerObject& o) {
        o.subtitleOn = on != 0;
        o.applySubtitles();
    });
}

CVCODEC_API int cvcodec_player_set_subtitle_alpha(cvcodec_player handle, int32_t a) {
    return edit(handle, [&](PlayerObject& o) { o.player.videoEdit().subtitles.alpha = a; });
}

CVCODEC_API int cvcodec_player_set_subtitle_scale(cvcodec_player handle, int32_t, int32_t) {
    return takenUnused(handle);
}

CVCODEC_API int cvcodec_player_set_subtitle_params(cvcodec_player handle, int32_t, int32_t) {
    return takenUnused(handle);
}

CVCODEC_API int cvcodec_player_set_subtitle_font(cvcodec_player handle, const char* font) {
    return edit(handle, [&](PlayerObject& o) { o.player.videoEdit().subtitles.fontName = font ? font : ""; });
}

CVCODEC_API int cvcodec_player_set_subtitle_size(cvcodec_player handle, int32_t points) {
    return edit(handle, [&](PlayerObject& o) { o.player.videoEdit().subtitles.fontSizePoints = points; });
}

CVCODEC_API int cvcodec_player_set_subtitle_bold(cvcodec_player handle, int32_t on) {
    return edit(handle, [&](PlayerObject& o) { o.player.videoEdit().subtitles.bold = on != 0; });
}

CVCODEC_API int cvcodec_player_set_subtitle_italic(cvcodec_player handle, int32_t on) {
    return edit(handle, [&](PlayerObject& o) { o.player.videoEdit().subtitles.italic = on != 0; });
}

CVCODEC_API int cvcodec_player_set_subtitle_underline(cvcodec_player handle, int32_t on) {
    return edit(handle, [&](PlayerObject& o) { o.player.videoEdit().subtitles.underline = on != 0; });
}

CVCODEC_API int cvcodec_player_set_subtitle_strikeout(cvcodec_player handle, int32_t on) {
    return edit(handle, [&](PlayerObject& o) { o.player.videoEdit().subtitles.strikeOut = on != 0; });
}

CVCODEC_API int cvcodec_player_set_subtitle_color(cvcodec_player handle, uint32_t c) {
    return edit(handle, [&](PlayerObject& o) { o.player.videoEdit().subtitles.colour = c; });
}

CVCODEC_API int cvcodec_player_set_subtitle_shadow_color(cvcodec_player handle, uint32_t c) {
    return edit(handle, [&](PlayerObject& o) { o.player.videoEdit().subtitles.shadowColour = c; });
}

CVCODEC_API int cvcodec_player_set_subtitle_outline_color(cvcodec_player handle, uint32_t c) {
    return edit(handle, [&](PlayerObject& o) { o.player.videoEdit().subtitles.outlineColour = c; });
}

CVCODEC_API int cvcodec_player_set_subtitle_shadow_offset(cvcodec_player handle, double v) {
    return edit(handle, [&](PlayerObject& o) { o.player.videoEdit().subtitles.shadowOffset = v; });
}

CVCODEC_API int cvcodec_player_set_subtitle_outline_size(cvcodec_player handle, double v) {
    return edit(handle, [&](PlayerObject& o) { o.player.videoEdit().subtitles.outlineSize = v; });
}

CVCODEC_API int cvcodec_player_set_subtitle_position(cvcodec_player handle, int32_t code) {
    return edit(handle, [&](PlayerObject& o) { o.player.videoEdit().subtitles.positionCode = code; });
}

CVCODEC_API int cvcodec_player_set_subtitle_spacing_h(cvcodec_player handle, double) {
    return takenUnused(handle);
}

CVCODEC_API int cvcodec_player_set_subtitle_spacing_v(cvcodec_player handle, double) {
    return takenUnused(handle);
}

CVCODEC_API int cvcodec_player_set_subtitle_margin_a(cvcodec_player handle, double) {
    return takenUnused(handle);
}

CVCODEC_API int cvcodec_player_set_subtitle_margin(cvcodec_player handle, double v) {
    return edit(handle, [&](PlayerObject& o) { o.player.videoEdit().subtitles.margin = v; });
}

CVCODEC_API int cvcodec_player_set_audio_track_param(cvcodec_player handle, int32_t) {
    return takenUnused(handle);
}

CVCODEC_API int cvcodec_player_set_background_audio(cvcodec_player handle, const char*) {
    return takenUnused(handle);
}

CVCODEC_API int cvcodec_player_set_background_repeat(cvcodec_player handle, int32_t) {
    return takenUnused(handle);
}

CVCODEC_API int cvcodec_player_set_background_param(cvcodec_player handle, int32_t) {
    return takenUnused(handle);
}

CVCODEC_API int cvcodec_player_set_volume(cvcodec_player handle, int32_t percent) {
    return edit(handle, [&](PlayerObject& o) { o.player.setVolume(percent); });
}

CVCODEC_API int cvcodec_player_set_background_weight(cvcodec_player handle, int32_t) {
    return takenUnused(handle);
}

CVCODEC_API int cvcodec_player_set_background_range(cvcodec_player handle, uint64_t, uint64_t) {
    return takenUnused(handle);
}

CVCODEC_API int cvcodec_player_set_background_range2(cvcodec_player handle, uint64_t, uint64_t) {
    return takenUnused(handle);
}

CVCODEC_API int cvcodec_player_set_effect_volume(cvcodec_player handle, int32_t percent) {
    return edit(handle,
                [&](PlayerObject& o) { o.player.audioEdit().effectVolumePercent = std::clamp(percent, 0, 200); });
}

CVCODEC_API int cvcodec_player_set_effect_param(cvcodec_player handle, int32_t) {
    return takenUnused(handle);
}

CVCODEC_API int cvcodec_player_set_effect_rate(cvcodec_player handle, int32_t percent) {
    return edit(handle, [&](PlayerObject& o) {
        o.player.audioEdit().speedPercent = std::clamp(percent > 0 ? percent : 100, 25, 400);
    });
}

CVCODEC_API int cvcodec_player_set_equalizer(cvcodec_player handle, const double* frequencies, const double* gains,
                                             int32_t count) {
    return edit(handle, [&](PlayerObject& o) {
        auto& bands = o.player.audioEdit().equaliser;
        bands.clear();
        for (int32_t i = 0; frequencies && gains && i < count; ++i) {
            bands.emplace_back(frequencies[i], gains[i]);
        }
    });
}

CVCODEC_API double cvcodec_player_watermark_text_x(cvcodec_player h) {
    return ask(h, [&](PlayerObject& o) { return o.mark().textX; });
}

CVCODEC_API double cvcodec_player_watermark_text_y(cvcodec_player h) {
    return ask(h, [&](PlayerObject& o) { return o.mark().textY; });
}

// The drawn text's box as a fraction of the shown picture, outline and shadow included.
CVCODEC_API double cvcodec_player_watermark_text_width(cvcodec_player h) {
    return drawnTextShare(get(h), Side::Width);
}

CVCODEC_API double cvcodec_player_watermark_text_height(cvcodec_player h) {
    return drawnTextShare(get(h), Side::Height);
}

CVCODEC_API double cvcodec_player_watermark_image_x(cvcodec_player h) {
    return ask(h, [&](PlayerObject& o) { return o.mark().imageX; });
}

CVCODEC_API double cvcodec_player_watermark_image_y(cvcodec_player h) {
    return ask(h, [&](PlayerObject& o) { return o.mark().imageY; });
}

CVCODEC_API double cvcodec_player_watermark_image_width(cvcodec_player h) {
    return watermarkImageShare(get(h), Side::Width);
}

CVCODEC_API double cvcodec_player_watermark_image_height(cvcodec_player h) {
    return watermarkImageShare(get(h), Side::Height);
}

} // extern "C"
