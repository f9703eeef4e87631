#include "media/RZPlayerClass.h"

#include "platform/codec/calvorine_codec.h"

#include <QEvent>
#include <QPainter>
#include <QWidget>

namespace {

cvcodec_player asPlayer(uintptr_t handle) {
    return reinterpret_cast<cvcodec_player>(handle);
}

} // namespace

// One call of the library with the handle, its result as a bool; nothing without a handle.
#define RZ_PLAYER_CALL(call) return m_handle != 0 && (call) != 0

RZPlayerClass::RZPlayerClass(QObject* parent) : QObject(parent) {}

RZPlayerClass::~RZPlayerClass() {
    destroyHandle();
}

void RZPlayerClass::destroyHandle() {
    if (m_handle == 0) {
        return;
    }
    cvcodec_player player = asPlayer(m_handle);
    cvcodec_player_stop(player);
    cvcodec_player_close(player);
    cvcodec_player_release(player);
    m_handle = 0;
}

void RZPlayerClass::createHandle(bool mode) {
    destroyHandle();
    cvcodec_player player = cvcodec_player_create(mode ? -1 : -3);
    m_handle = reinterpret_cast<uintptr_t>(player);
    if (player) {
        cvcodec_player_set_frame_callback(player, &RZPlayerClass::frameReady, this);
    }
}

bool RZPlayerClass::openSource(int sourceIndex) {
    destroyHandle();
    cvcodec_player player = cvcodec_player_create_source(sourceIndex);
    m_handle = reinterpret_cast<uintptr_t>(player);
    if (player) {
        cvcodec_player_set_frame_callback(player, &RZPlayerClass::frameReady, this);
    }
    m_opened = m_handle != 0;
    return m_opened;
}

bool RZPlayerClass::openFile(const char* pathUtf8, int width, int height, int a, int b) {
    m_opened = cvcodec_player_open(asPlayer(m_handle), pathUtf8, width, height, a, b) != 0;
    if (!m_opened) {
        // The previous file's last picture must not stay on screen under the new name.
        m_image = QImage();
        m_sourceImage = QImage();
        for (const QPointer<QWidget>& window : m_windows) {
            if (window) {
                window->update();
            }
        }
    }
    return m_opened;
}

// Called on the player's thread: the picture is fetched on the GUI thread, once for any
// number of announcements that arrive before it.
void RZPlayerClass::frameReady(void* context) {
    auto* self = static_cast<RZPlayerClass*>(context);
    if (!self->m_framePending.exchange(true)) {
        QMetaObject::invokeMethod(self, "fetchFrame", Qt::QueuedConnection);
    }
}

void RZPlayerClass::fetchFrame() {
    m_framePending = false;
    if (m_handle == 0) {
        return;
    }
    cvcodec_player player = asPlayer(m_handle);
    int32_t width = 0;
    int32_t height = 0;
    if (!cvcodec_player_frame_size(player, &width, &height) || width <= 0 || height <= 0) {
        return;
    }
    QImage image(width, height, QImage::Format_RGB32);
    if (!cvcodec_player_copy_frame(player, image.bits(), image.bytesPerLine(), width, height)) {
        return;
    }
    m_image = image;
    // The main window shows the picture as the file has it; the edits are seen in the
    // second window only.
    if (m_windows[0]) {
        // A picture of another moment must not stay in the main window: none is black.
        QImage source;
        if (cvcodec_player_source_frame_size(player, &width, &height) && width > 0 && height > 0) {
            source = QImage(width, height, QImage::Format_RGB32);
            if (!cvcodec_player_copy_source_frame(player, source.bits(), source.bytesPerLine(), width, height)) {
                source = QImage();
            }
        }
        m_sourceImage = source;
    }
    for (const QPointer<QWidget>& window : m_windows) {
        if (window) {
            window->update();
        }
    }
}

void RZPlayerClass::attachWindow(int which, int windowId) {
    if (m_windows[which]) {
        m_windows[which]->removeEventFilter(this);
    }
    m_windows[which] = windowId != 0 ? QWidget::find(static_cast<WId>(static_cast<unsigned int>(windowId))) : nullptr;
    if (m_windows[which]) {
        m_windows[which]->installEventFilter(this);
        // The shown picture at once, playing or not (a paused player presents nothing new).
        fetchFrame();
        m_windows[which]->update();
    }
}

bool RZPlayerClass::eventFilter(QObject* watched, QEvent* event) {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || (widget != m_windows[0] && widget != m_windows[1])) {
        return QObject::eventFilter(watched, event);
    }
    if (event->type() == QEvent::Show) {
        // A window shown again gets the picture the player shows now, paused or at the end.
        fetchFrame();
        return QObject::eventFilter(watched, event);
    }
    if (event->type() != QEvent::Paint) {
        return QObject::eventFilter(watched, event);
    }
    QPainter painter(widget);
    const QRect area = widget->rect();
    painter.fillRect(area, Qt::black);
    const QImage& picture = widget == m_windows[0] ? m_sourceImage : m_image;
    if (picture.isNull()) {
        return true; // nothing open: an empty (black) preview
    }
    QSize fitted = picture.size().scaled(area.size(), Qt::KeepAspectRatio);
    QRect target(QPoint(0, 0), fitted);
    target.moveCenter(area.center());
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, picture);
    return true;
}

bool RZPlayerClass::play() {
    RZ_PLAYER_CALL(cvcodec_player_play(asPlayer(m_handle)));
}
bool RZPlayerClass::pause() {
    RZ_PLAYER_CALL(cvcodec_player_pause(asPlayer(m_handle)));
}
bool RZPlayerClass::stop() {
    RZ_PLAYER_CALL(cvcodec_player_stop(asPlayer(m_handle)));
}
bool RZPlayerClass::close() {
    RZ_PLAYER_CALL(cvcodec_player_close(asPlayer(m_handle)));
}
bool RZPlayerClass::seek(uint64_t timeUs) {
    RZ_PLAYER_CALL(cvcodec_player_seek(asPlayer(m_handle), timeUs));
}
bool RZPlayerClass::beginAsyncSeek(uint64_t value) {
    RZ_PLAYER_CALL(cvcodec_player_begin_async_seek(asPlayer(m_handle), value));
}
bool RZPlayerClass::endAsyncSeek() {
    RZ_PLAYER_CALL(cvcodec_player_end_async_seek(asPlayer(m_handle)));
}
bool RZPlayerClass::step(int direction) {
    RZ_PLAYER_CALL(cvcodec_player_step(asPlayer(m_handle), direction));
}
bool RZPlayerClass::showCurrentFrame() {
    RZ_PLAYER_CALL(cvcodec_player_show_current_frame(asPlayer(m_handle)));
}
bool RZPlayerClass::repaint() {
    RZ_PLAYER_CALL(cvcodec_player_repaint(asPlayer(m_handle)));
}
bool RZPlayerClass::isAtEnd() const {
    RZ_PLAYER_CALL(cvcodec_player_is_at_end(asPlayer(m_handle)));
}
bool RZPlayerClass::isPaused() const {
    RZ_PLAYER_CALL(cvcodec_player_is_paused(asPlayer(m_handle)));
}
bool RZPlayerClass::hasVideo() const {
    RZ_PLAYER_CALL(cvcodec_player_has_video(asPlayer(m_handle)));
}
bool RZPlayerClass::hasAudio() const {
    RZ_PLAYER_CALL(cvcodec_player_has_audio(asPlayer(m_handle)));
}

bool RZPlayerClass::hasStreams() const {
    return hasAudio() || hasVideo();
}

uint64_t RZPlayerClass::duration() const {
    return m_handle != 0 ? cvcodec_player_duration(asPlayer(m_handle)) : 0;
}

uint64_t RZPlayerClass::position() const {
    return m_handle != 0 ? cvcodec_player_position(asPlayer(m_handle)) : 0;
}

uint64_t RZPlayerClass::frameTime() const {
    return m_handle != 0 ? cvcodec_player_frame_time(asPlayer(m_handle)) : 0;
}

void RZPlayerClass::videoSize(int* width, int* height) const {
    const bool valid = m_handle != 0;
    if (width) {
        *width = valid ? cvcodec_player_video_width(asPlayer(m_handle)) : 0;
    }
    if (height) {
        *height = valid ? cvcodec_player_video_height(asPlayer(m_handle)) : 0;
    }
}

void RZPlayerClass::displaySize(int* width, int* height) const {
    const bool valid = m_handle != 0;
    if (width) {
        *width = valid ? cvcodec_player_display_width(asPlayer(m_handle)) : 0;
    }
    if (height) {
        *height = valid ? cvcodec_player_display_height(asPlayer(m_handle)) : 0;
    }
}

bool RZPlayerClass::setVideoWindow(int windowId) {
    if (m_handle == 0) {
        return false;
    }
    // The player first: it makes the unedited picture that the window then fetches.
    const bool set = cvcodec_player_set_video_window(asPlayer(m_handle), windowId) != 0;
    attachWindow(0, windowId);
    return set;
}

bool RZPlayerClass::setSecondVideoWindow(int windowId) {
    if (m_handle == 0) {
        return false;
    }
    const bool set = cvcodec_player_set_second_video_window(asPlayer(m_handle), windowId) != 0;
    attachWindow(1, windowId);
    return set;
}

bool RZPlayerClass::setInterval(uint64_t intervalUs) {
    RZ_PLAYER_CALL(cvcodec_player_set_interval(asPlayer(m_handle), intervalUs));
}
bool RZPlayerClass::setOpenMode(int mode) {
    RZ_PLAYER_CALL(cvcodec_player_set_open_mode(asPlayer(m_handle), mode));
}
bool RZPlayerClass::setAudioOnly(int on) {
    RZ_PLAYER_CALL(cvcodec_player_set_audio_only(asPlayer(m_handle), on));
}

unsigned char* RZPlayerClass::audioBlock(int kind) {
    return m_handle != 0 ? cvcodec_player_level_block(asPlayer(m_handle), kind) : nullptr;
}

bool RZPlayerClass::releaseAudioBlock(unsigned char* block) {
    RZ_PLAYER_CALL(cvcodec_player_release_level_block(asPlayer(m_handle), block));
}

unsigned char* RZPlayerClass::snapshot(int a, int b, int c) {
    return m_handle != 0 ? cvcodec_player_snapshot(asPlayer(m_handle), a, b, c) : nullptr;
}

bool RZPlayerClass::releaseSnapshot(unsigned char* block) {
    RZ_PLAYER_CALL(cvcodec_player_release_snapshot(asPlayer(m_handle), block));
}

bool RZPlayerClass::beginUpdate() {
    RZ_PLAYER_CALL(cvcodec_player_begin_update(asPlayer(m_handle)));
}
bool RZPlayerClass::endUpdate() {
    RZ_PLAYER_CALL(cvcodec_player_end_update(asPlayer(m_handle)));
}
bool RZPlayerClass::setRotation(int degrees) {
    RZ_PLAYER_CALL(cvcodec_player_set_rotation(asPlayer(m_handle), degrees));
}
bool RZPlayerClass::setMirrored(int on) {
    RZ_PLAYER_CALL(cvcodec_player_set_mirrored(asPlayer(m_handle), on));
}
bool RZPlayerClass::setPad(int enabled, int colour) {
    RZ_PLAYER_CALL(cvcodec_player_set_pad(asPlayer(m_handle), enabled, static_cast<uint32_t>(colour)));
}
bool RZPlayerClass::setPictureRect(double x, double y, double width, double height) {
    RZ_PLAYER_CALL(cvcodec_player_set_picture_rect(asPlayer(m_handle), x, y, width, height));
}
bool RZPlayerClass::setOutputSize(int width, int height) {
    RZ_PLAYER_CALL(cvcodec_player_set_output_size(asPlayer(m_handle), width, height));
}
bool RZPlayerClass::setBrightness(int value) {
    RZ_PLAYER_CALL(cvcodec_player_set_brightness(asPlayer(m_handle), value));
}
bool RZPlayerClass::setSaturation(int value) {
    RZ_PLAYER_CALL(cvcodec_player_set_saturation(asPlayer(m_handle), value));
}
bool RZPlayerClass::setHue(int value) {
    RZ_PLAYER_CALL(cvcodec_player_set_hue(asPlayer(m_handle), value));
}
bool RZPlayerClass::setContrast(int value) {
    RZ_PLAYER_CALL(cvcodec_player_set_contrast(asPlayer(m_handle), value));
}

bool RZPlayerClass::selectWatermark(int index) {
    RZ_PLAYER_CALL(cvcodec_player_select_watermark(asPlayer(m_handle), index));
}
bool RZPlayerClass::setWatermarkImage(const char* path) {
    RZ_PLAYER_CALL(cvcodec_player_set_watermark_image(asPlayer(m_handle), path));
}
bool RZPlayerClass::setWatermarkImage2(const char* path) {
    RZ_PLAYER_CALL(cvcodec_player_set_watermark_image2(asPlayer(m_handle), path));
}
bool RZPlayerClass::setWatermarkImageMode(int value) {
    RZ_PLAYER_CALL(cvcodec_player_set_watermark_image_mode(asPlayer(m_handle), value));
}
bool RZPlayerClass::setWatermarkImagePos(double x, double y) {
    RZ_PLAYER_CALL(cvcodec_player_set_watermark_image_pos(asPlayer(m_handle), x, y));
}
bool RZPlayerClass::setWatermarkImageScale(int width, int height) {
    RZ_PLAYER_CALL(cvcodec_player_set_watermark_image_scale(asPlayer(m_handle), width, height));
}
bool RZPlayerClass::setWatermarkImageParam(int value) {
    RZ_PLAYER_CALL(cvcodec_player_set_watermark_image_param(asPlayer(m_handle), value));
}
bool RZPlayerClass::setWatermarkImageAlpha(int alpha) {
    RZ_PLAYER_CALL(cvcodec_player_set_watermark_image_alpha(asPlayer(m_handle), alpha));
}
bool RZPlayerClass::setWatermarkImageFlag(int value) {
    RZ_PLAYER_CALL(cvcodec_player_set_watermark_image_flag(asPlayer(m_handle), value));
}
bool RZPlayerClass::setWatermarkImageShown(int on) {
    RZ_PLAYER_CALL(cvcodec_player_set_watermark_image_shown(asPlayer(m_handle), on));
}
bool RZPlayerClass::setWatermarkImageFactors(double a, double b) {
    RZ_PLAYER_CALL(cvcodec_player_set_watermark_image_factors(asPlayer(m_handle), a, b));
}
bool RZPlayerClass::setWatermarkImageKind(int value) {
    RZ_PLAYER_CALL(cvcodec_player_set_watermark_image_kind(asPlayer(m_handle), value));
}
bool RZPlayerClass::setWatermarkImageRect(double x, double y, double width, double height) {
    RZ_PLAYER_CALL(cvcodec_player_set_watermark_image_rect(asPlayer(m_handle), x, y, width, height));
}
bool RZPlayerClass::setWatermarkImageRange(uint64_t start, uint64_t end) {
    RZ_PLAYER_CALL(cvcodec_player_set_watermark_image_range(asPlayer(m_handle), start, end));
}
bool RZPlayerClass::setWatermarkImageTimes(int a, int b, int c, int d) {
    RZ_PLAYER_CALL(cvcodec_player_set_watermark_image_times(asPlayer(m_handle), a, b, c, d));
}
bool RZPlayerClass::setWatermarkText(const char* text) {
    RZ_PLAYER_CALL(cvcodec_player_set_watermark_text(asPlayer(m_handle), text));
}
bool RZPlayerClass::setWatermarkTextOff(int value) {
    RZ_PLAYER_CALL(cvcodec_player_set_watermark_text_off(asPlayer(m_handle), value));
}
bool RZPlayerClass::setWatermarkTextAlpha(int alpha) {
    RZ_PLAYER_CALL(cvcodec_player_set_watermark_text_alpha(asPlayer(m_handle), alpha));
}
bool RZPlayerClass::setWatermarkTextPos(double x, double y) {
    RZ_PLAYER_CALL(cvcodec_player_set_watermark_text_pos(asPlayer(m_handle), x, y));
}
bool RZPlayerClass::setWatermarkTextParam(int value) {
    RZ_PLAYER_CALL(cvcodec_player_set_watermark_text_param(asPlayer(m_handle), value));
}
bool RZPlayerClass::setWatermarkTextBold(int on) {
    RZ_PLAYER_CALL(cvcodec_player_set_watermark_text_bold(asPlayer(m_handle), on));
}
bool RZPlayerClass::setWatermarkTextSize(int points) {
    RZ_PLAYER_CALL(cvcodec_player_set_watermark_text_size(asPlayer(m_handle), points));
}
bool RZPlayerClass::setWatermarkTextFont(const char* font) {
    RZ_PLAYER_CALL(cvcodec_player_set_watermark_text_font(asPlayer(m_handle), font));
}
bool RZPlayerClass::setWatermarkTextColor(int colour) {
    RZ_PLAYER_CALL(cvcodec_player_set_watermark_text_color(asPlayer(m_handle), static_cast<uint32_t>(colour)));
}
bool RZPlayerClass::setWatermarkOutlineColor(int colour) {
    RZ_PLAYER_CALL(cvcodec_player_set_watermark_outline_color(asPlayer(m_handle), static_cast<uint32_t>(colour)));
}
bool RZPlayerClass::setWatermarkOutlineSize(double value) {
    RZ_PLAYER_CALL(cvcodec_player_set_watermark_outline_size(asPlayer(m_handle), value));
}
bool RZPlayerClass::setWatermarkShadowColor(int colour) {
    RZ_PLAYER_CALL(cvcodec_player_set_watermark_shadow_color(asPlayer(m_handle), static_cast<uint32_t>(colour)));
}
bool RZPlayerClass::setWatermarkShadowOffset(double value) {
    RZ_PLAYER_CALL(cvcodec_player_set_watermark_shadow_offset(asPlayer(m_handle), value));
}
bool RZPlayerClass::setWatermarkTextItalic(int on) {
    RZ_PLAYER_CALL(cvcodec_player_set_watermark_text_italic(asPlayer(m_handle), on));
}
bool RZPlayerClass::setWatermarkTextUnderline(int on) {
    RZ_PLAYER_CALL(cvcodec_player_set_watermark_text_underline(asPlayer(m_handle), on));
}
bool RZPlayerClass::setWatermarkTextStrikeOut(int on) {
    RZ_PLAYER_CALL(cvcodec_player_set_watermark_text_strikeout(asPlayer(m_handle), on));
}
bool RZPlayerClass::setWatermarkTextScale(int width, int height) {
    RZ_PLAYER_CALL(cvcodec_player_set_watermark_text_scale(asPlayer(m_handle), width, height));
}
bool RZPlayerClass::setWatermarkTextShown(int on) {
    RZ_PLAYER_CALL(cvcodec_player_set_watermark_text_shown(asPlayer(m_handle), on));
}
bool RZPlayerClass::setWatermarkTextSelected(int on) {
    RZ_PLAYER_CALL(cvcodec_player_set_watermark_text_selected(asPlayer(m_handle), on));
}
bool RZPlayerClass::setWatermarkTextSpacingH(double value) {
    RZ_PLAYER_CALL(cvcodec_player_set_watermark_text_spacing_h(asPlayer(m_handle), value));
}
bool RZPlayerClass::setWatermarkTextSpacingV(double value) {
    RZ_PLAYER_CALL(cvcodec_player_set_watermark_text_spacing_v(asPlayer(m_handle), value));
}
bool RZPlayerClass::setWatermarkTextRange(uint64_t start, uint64_t end) {
    RZ_PLAYER_CALL(cvcodec_player_set_watermark_text_range(asPlayer(m_handle), start, end));
}
bool RZPlayerClass::refreshWatermark() {
    RZ_PLAYER_CALL(cvcodec_player_refresh_watermark(asPlayer(m_handle)));
}

double RZPlayerClass::watermarkTextX() const {
    return m_handle != 0 ? cvcodec_player_watermark_text_x(asPlayer(m_handle)) : 0.0;
}
double RZPlayerClass::watermarkTextY() const {
    return m_handle != 0 ? cvcodec_player_watermark_text_y(asPlayer(m_handle)) : 0.0;
}
double RZPlayerClass::watermarkTextWidth() const {
    return m_handle != 0 ? cvcodec_player_watermark_text_width(asPlayer(m_handle)) : 0.0;
}
double RZPlayerClass::watermarkTextHeight() const {
    return m_handle != 0 ? cvcodec_player_watermark_text_height(asPlayer(m_handle)) : 0.0;
}
double RZPlayerClass::watermarkImageX() const {
    return m_handle != 0 ? cvcodec_player_watermark_image_x(asPlayer(m_handle)) : 0.0;
}
double RZPlayerClass::watermarkImageY() const {
    return m_handle != 0 ? cvcodec_player_watermark_image_y(asPlayer(m_handle)) : 0.0;
}
double RZPlayerClass::watermarkImageWidth() const {
    return m_handle != 0 ? cvcodec_player_watermark_image_width(asPlayer(m_handle)) : 0.0;
}
double RZPlayerClass::watermarkImageHeight() const {
    return m_handle != 0 ? cvcodec_player_watermark_image_height(asPlayer(m_handle)) : 0.0;
}

bool RZPlayerClass::selectAudioTrack(int index) {
    RZ_PLAYER_CALL(cvcodec_player_select_audio_track(asPlayer(m_handle), index));
}
bool RZPlayerClass::selectSubtitle(int index) {
    RZ_PLAYER_CALL(cvcodec_player_select_subtitle(asPlayer(m_handle), index));
}
bool RZPlayerClass::setSubtitleFile(const char* path) {
    RZ_PLAYER_CALL(cvcodec_player_set_subtitle_file(asPlayer(m_handle), path));
}
bool RZPlayerClass::setSubtitleOn(int on) {
    RZ_PLAYER_CALL(cvcodec_player_set_subtitle_on(asPlayer(m_handle), on));
}
bool RZPlayerClass::setSubtitleAlpha(int alpha) {
    RZ_PLAYER_CALL(cvcodec_player_set_subtitle_alpha(asPlayer(m_handle), alpha));
}
bool RZPlayerClass::setSubtitleScale(int width, int height) {
    RZ_PLAYER_CALL(cvcodec_player_set_subtitle_scale(asPlayer(m_handle), width, height));
}
bool RZPlayerClass::setSubtitleParams(int a, int b) {
    RZ_PLAYER_CALL(cvcodec_player_set_subtitle_params(asPlayer(m_handle), a, b));
}
bool RZPlayerClass::setSubtitleFont(const char* font) {
    RZ_PLAYER_CALL(cvcodec_player_set_subtitle_font(asPlayer(m_handle), font));
}
bool RZPlayerClass::setSubtitleSize(int points) {
    RZ_PLAYER_CALL(cvcodec_player_set_subtitle_size(asPlayer(m_handle), points));
}
bool RZPlayerClass::setSubtitleBold(int on) {
    RZ_PLAYER_CALL(cvcodec_player_set_subtitle_bold(asPlayer(m_handle), on));
}
bool RZPlayerClass::setSubtitleItalic(int on) {
    RZ_PLAYER_CALL(cvcodec_player_set_subtitle_italic(asPlayer(m_handle), on));
}
bool RZPlayerClass::setSubtitleUnderline(int on) {
    RZ_PLAYER_CALL(cvcodec_player_set_subtitle_underline(asPlayer(m_handle), on));
}
bool RZPlayerClass::setSubtitleStrikeOut(int on) {
    RZ_PLAYER_CALL(cvcodec_player_set_subtitle_strikeout(asPlayer(m_handle), on));
}
bool RZPlayerClass::setSubtitleColor(int colour) {
    RZ_PLAYER_CALL(cvcodec_player_set_subtitle_color(asPlayer(m_handle), static_cast<uint32_t>(colour)));
}
bool RZPlayerClass::setSubtitleShadowColor(int colour) {
    RZ_PLAYER_CALL(cvcodec_player_set_subtitle_shadow_color(asPlayer(m_handle), static_cast<uint32_t>(colour)));
}
bool RZPlayerClass::setSubtitleOutlineColor(int colour) {
    RZ_PLAYER_CALL(cvcodec_player_set_subtitle_outline_color(asPlayer(m_handle), static_cast<uint32_t>(colour)));
}
bool RZPlayerClass::setSubtitleShadowOffset(double value) {
    RZ_PLAYER_CALL(cvcodec_player_set_subtitle_shadow_offset(asPlayer(m_handle), value));
}
bool RZPlayerClass::setSubtitleOutlineSize(double value) {
    RZ_PLAYER_CALL(cvcodec_player_set_subtitle_outline_size(asPlayer(m_handle), value));
}
bool RZPlayerClass::setSubtitlePosition(int code) {
    RZ_PLAYER_CALL(cvcodec_player_set_subtitle_position(asPlayer(m_handle), code));
}
bool RZPlayerClass::setSubtitleSpacingH(double value) {
    RZ_PLAYER_CALL(cvcodec_player_set_subtitle_spacing_h(asPlayer(m_handle), value));
}
bool RZPlayerClass::setSubtitleSpacingV(double value) {
    RZ_PLAYER_CALL(cvcodec_player_set_subtitle_spacing_v(asPlayer(m_handle), value));
}
bool RZPlayerClass::setSubtitleMarginA(double value) {
    RZ_PLAYER_CALL(cvcodec_player_set_subtitle_margin_a(asPlayer(m_handle), value));
}
bool RZPlayerClass::setSubtitleMargin(double value) {
    RZ_PLAYER_CALL(cvcodec_player_set_subtitle_margin(asPlayer(m_handle), value));
}

bool RZPlayerClass::setAudioTrackParam(int value) {
    RZ_PLAYER_CALL(cvcodec_player_set_audio_track_param(asPlayer(m_handle), value));
}
bool RZPlayerClass::setBackgroundAudio(const char* path) {
    RZ_PLAYER_CALL(cvcodec_player_set_background_audio(asPlayer(m_handle), path));
}
bool RZPlayerClass::setBackgroundRepeat(int on) {
    RZ_PLAYER_CALL(cvcodec_player_set_background_repeat(asPlayer(m_handle), on));
}
bool RZPlayerClass::setBackgroundParam(int value) {
    RZ_PLAYER_CALL(cvcodec_player_set_background_param(asPlayer(m_handle), value));
}
bool RZPlayerClass::setVolume(int percent) {
    RZ_PLAYER_CALL(cvcodec_player_set_volume(asPlayer(m_handle), percent));
}
bool RZPlayerClass::setBackgroundWeight(int percent) {
    RZ_PLAYER_CALL(cvcodec_player_set_background_weight(asPlayer(m_handle), percent));
}
bool RZPlayerClass::setBackgroundRange(uint64_t start, uint64_t end) {
    RZ_PLAYER_CALL(cvcodec_player_set_background_range(asPlayer(m_handle), start, end));
}
bool RZPlayerClass::setBackgroundRange2(uint64_t start, uint64_t end) {
    RZ_PLAYER_CALL(cvcodec_player_set_background_range2(asPlayer(m_handle), start, end));
}
bool RZPlayerClass::setEffectVolume(int percent, int) {
    RZ_PLAYER_CALL(cvcodec_player_set_effect_volume(asPlayer(m_handle), percent));
}
bool RZPlayerClass::setEffectParam(int value) {
    RZ_PLAYER_CALL(cvcodec_player_set_effect_param(asPlayer(m_handle), value));
}
bool RZPlayerClass::setEffectRate(int percent, int) {
    RZ_PLAYER_CALL(cvcodec_player_set_effect_rate(asPlayer(m_handle), percent));
}
bool RZPlayerClass::setEqualizer(const double* frequencies, const double* gains, int count) {
    RZ_PLAYER_CALL(cvcodec_player_set_equalizer(asPlayer(m_handle), frequencies, gains, count));
}
