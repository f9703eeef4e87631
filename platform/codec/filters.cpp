#include "filters.h"

extern "C" {
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
}

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>

namespace calvorine::codec {

namespace {

// A value inside a filter's option list, then inside the graph text: two levels of
// escaping, so that paths and texts with ':', ',', quotes or brackets stay one value.
std::string escapeValue(const std::string& value) {
    std::string option;
    for (char c : value) {
        if (c == '\\' || c == ':' || c == '\'') {
            option += '\\';
        }
        option += c;
    }
    std::string graph;
    for (char c : option) {
        if (c == '\\' || c == '\'' || c == '[' || c == ']' || c == ',' || c == ';') {
            graph += '\\';
        }
        graph += c;
    }
    return graph;
}

std::string colourText(uint32_t argb, int extraAlpha = 255) {
    char text[32];
    const double alpha = ((argb >> 24) & 0xff) / 255.0 * std::clamp(extraAlpha, 0, 255) / 255.0;
    std::snprintf(text, sizeof text, "0x%06X@%.3f", argb & 0xffffff, alpha);
    return text;
}

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6f", value);
    return text;
}

int even(double value) {
    return std::max(2, static_cast<int>(value / 2.0) * 2);
}

// A size the output shape gives: the nearest whole pixel, at least 2. It is not made even
// here, so the player shows an odd-sized picture at its own size; the converter rounds
// what it encodes to even sizes itself.
int shapePixels(double value) {
    return std::max(2, static_cast<int>(std::lround(value)));
}

bool fullRect(const double rect[4]) {
    return rect[0] <= 0.0001 && rect[1] <= 0.0001 && rect[2] >= 0.9999 && rect[3] >= 0.9999;
}

// Ratio terms (16:9, 4:3) give a shape only; anything larger is a size in pixels.
bool shapeIsPixelSize(int width, int height) {
    return width >= 64 && height >= 64;
}

// Frames the turned picture (w x h) into the output shape; returns the final size and,
// through scaleTo, the size the picture is scaled to before padding.
void frameIntoShape(const VideoEdit& edit, int w, int h, int* outWidth, int* outHeight, int* scaleWidth,
                    int* scaleHeight) {
    *outWidth = *scaleWidth = w;
    *outHeight = *scaleHeight = h;
    if (edit.shapeWidth <= 0 || edit.shapeHeight <= 0) {
        return;
    }
    const double shape = static_cast<double>(edit.shapeWidth) / edit.shapeHeight;
    if (shapeIsPixelSize(edit.shapeWidth, edit.shapeHeight)) {
        *outWidth = std::max(2, edit.shapeWidth);
        *outHeight = std::max(2, edit.shapeHeight);
        if (edit.pad) {
            const double fit = std::min(static_cast<double>(*outWidth) / w, static_cast<double>(*outHeight) / h);
            *scaleWidth = std::min(*outWidth, shapePixels(w * fit));
            *scaleHeight = std::min(*outHeight, shapePixels(h * fit));
        } else {
            *scaleWidth = *outWidth;
            *scaleHeight = *outHeight;
        }
        return;
    }
    if (edit.pad) {
        *outWidth = shapePixels(std::max<double>(w, h * shape));
        *outHeight = shapePixels(std::max<double>(h, w / shape));
    } else {
        *outWidth = *scaleWidth = std::max(2, w);
        *outHeight = *scaleHeight = shapePixels(w / shape);
    }
}

bool readableFile(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        return false;
    }
    std::fclose(file);
    return true;
}

// The filters that size an image watermark: a share of the picture (factors above 0,
// cut to the part its rectangle names) or its own size times its scale.
std::string imageSizing(const WatermarkEdit& mark, int pictureWidth, int pictureHeight) {
    const double* f = mark.imageFactors;
    if (!(f[0] > 0.0 && f[1] > 0.0) || pictureWidth <= 0 || pictureHeight <= 0) {
        return ",scale=iw*" + number(std::max(1, mark.imageScaleWidthPercent) / 100.0) + ":ih*" +
               number(std::max(1, mark.imageScaleHeightPercent) / 100.0);
    }
    // A rectangle that is not a part of the image (empty, outside, not a number) draws
    // the whole image.
    const double* r = mark.imageRect;
    const bool usable = r[0] >= 0.0 && r[1] >= 0.0 && r[2] > 0.0 && r[3] > 0.0 && r[0] + r[2] <= 1.0 + 1e-9 &&
                        r[1] + r[3] <= 1.0 + 1e-9;
    std::string steps;
    if (usable && !fullRect(r)) {
        steps +=
            ",crop=w=iw*" + number(r[2]) + ":h=ih*" + number(r[3]) + ":x=iw*" + number(r[0]) + ":y=ih*" + number(r[1]);
    }
    const int width = std::max(1, static_cast<int>(std::lround(pictureWidth * std::min(f[0], 1.0))));
    const int height = std::max(1, static_cast<int>(std::lround(pictureHeight * std::min(f[1], 1.0))));
    return steps + ",scale=" + std::to_string(width) + ":" + std::to_string(height);
}

void turnedCropSize(const VideoEdit& edit, int sourceWidth, int sourceHeight, int* w, int* h) {
    int width = sourceWidth;
    int height = sourceHeight;
    if (!fullRect(edit.rect)) {
        const double x = std::clamp(edit.rect[0], 0.0, 1.0);
        const double y = std::clamp(edit.rect[1], 0.0, 1.0);
        width = even(sourceWidth * std::clamp(edit.rect[2], 0.0, 1.0 - x));
        height = even(sourceHeight * std::clamp(edit.rect[3], 0.0, 1.0 - y));
    }
    if (edit.rotationDegrees % 180 != 0) {
        std::swap(width, height);
    }
    *w = width;
    *h = height;
}

} // namespace

bool VideoEdit::operator==(const VideoEdit& o) const {
    auto sameWatermark = [](const WatermarkEdit& a, const WatermarkEdit& b) {
        return a.imagePath == b.imagePath && a.imageAlpha == b.imageAlpha && a.imageX == b.imageX &&
               a.imageY == b.imageY && a.imageScaleWidthPercent == b.imageScaleWidthPercent &&
               a.imageScaleHeightPercent == b.imageScaleHeightPercent &&
               std::equal(a.imageFactors, a.imageFactors + 2, b.imageFactors) &&
               std::equal(a.imageRect, a.imageRect + 4, b.imageRect) && a.text == b.text &&
               a.textAlpha == b.textAlpha && a.textX == b.textX && a.textY == b.textY && a.fontName == b.fontName &&
               a.fontSizePoints == b.fontSizePoints && a.textColour == b.textColour &&
               a.shadowColour == b.shadowColour && a.outlineColour == b.outlineColour &&
               a.shadowOffset == b.shadowOffset && a.outlineSize == b.outlineSize && a.imageStartUs == b.imageStartUs &&
               a.imageEndUs == b.imageEndUs && a.textStartUs == b.textStartUs && a.textEndUs == b.textEndUs;
    };
    for (int i = 0; i < 3; ++i) {
        if (!sameWatermark(watermarks[i], o.watermarks[i])) {
            return false;
        }
    }
    const SubtitleEdit& s = subtitles;
    const SubtitleEdit& t = o.subtitles;
    return rotationDegrees == o.rotationDegrees && mirrored == o.mirrored && std::equal(rect, rect + 4, o.rect) &&
           shapeWidth == o.shapeWidth && shapeHeight == o.shapeHeight && pad == o.pad && padColour == o.padColour &&
           brightness == o.brightness && saturationPercent == o.saturationPercent &&
           contrastPercent == o.contrastPercent && hueDegrees == o.hueDegrees && subtitlesOn == o.subtitlesOn &&
           s.file == t.file && s.streamIndex == t.streamIndex && s.fontName == t.fontName &&
           s.fontSizePoints == t.fontSizePoints && s.colour == t.colour && s.outlineColour == t.outlineColour &&
           s.outlineSize == t.outlineSize && s.positionCode == t.positionCode && s.margin == t.margin &&
           s.shadowColour == t.shadowColour && s.shadowOffset == t.shadowOffset && s.alpha == t.alpha &&
           s.bold == t.bold && s.italic == t.italic && s.underline == t.underline && s.strikeOut == t.strikeOut &&
           speedPercent == o.speedPercent;
}

bool AudioEdit::operator==(const AudioEdit& o) const {
    return volumePercent == o.volumePercent && effectVolumePercent == o.effectVolumePercent &&
           speedPercent == o.speedPercent && equaliser == o.equaliser;
}

VideoEdit editShownAt(const VideoEdit& edit, uint64_t timeUs, unsigned* visibleParts) {
    VideoEdit shown = edit;
    unsigned mask = 0;
    for (int i = 0; i < 3; ++i) {
        WatermarkEdit& mark = shown.watermarks[i];
        const bool imageShown =
            mark.imageEndUs <= mark.imageStartUs || (timeUs >= mark.imageStartUs && timeUs < mark.imageEndUs);
        const bool textShown =
            mark.textEndUs <= mark.textStartUs || (timeUs >= mark.textStartUs && timeUs < mark.textEndUs);
        if (!imageShown) {
            mark.imagePath.clear();
        }
        if (!textShown) {
            mark.text.clear();
        }
        mask |= (imageShown ? 1u : 0u) << (2 * i);
        mask |= (textShown ? 2u : 0u) << (2 * i);
    }
    if (visibleParts) {
        *visibleParts = mask;
    }
    return shown;
}

void editedPictureSize(const VideoEdit& edit, int sourceWidth, int sourceHeight, int* width, int* height) {
    int w = 0;
    int h = 0;
    turnedCropSize(edit, sourceWidth, sourceHeight, &w, &h);
    int scaleWidth = 0;
    int scaleHeight = 0;
    frameIntoShape(edit, w, h, width, height, &scaleWidth, &scaleHeight);
}

namespace {

// The cut-out part of the picture, then its turn and mirror.
void addCropAndTurnSteps(const VideoEdit& edit, int sourceWidth, int sourceHeight, std::vector<std::string>& steps) {
    if (!fullRect(edit.rect)) {
        const double x = std::clamp(edit.rect[0], 0.0, 1.0);
        const double y = std::clamp(edit.rect[1], 0.0, 1.0);
        const int w = even(sourceWidth * std::clamp(edit.rect[2], 0.0, 1.0 - x));
        const int h = even(sourceHeight * std::clamp(edit.rect[3], 0.0, 1.0 - y));
        steps.push_back("crop=" + std::to_string(w) + ":" + std::to_string(h) + ":" +
                        std::to_string(static_cast<int>(sourceWidth * x)) + ":" +
                        std::to_string(static_cast<int>(sourceHeight * y)));
    }
    switch (((edit.rotationDegrees % 360) + 360) % 360) {
    case 90:
        steps.push_back("transpose=clock");
        break;
    case 180:
        steps.push_back("hflip,vflip");
        break;
    case 270:
        steps.push_back("transpose=cclock");
        break;
    default:
        break;
    }
    if (edit.mirrored) {
        steps.push_back("hflip");
    }
}

// The turned cut-out fitted into the output shape: scaled, then padded to the shape.
void addShapeSteps(const VideoEdit& edit, int sourceWidth, int sourceHeight, std::vector<std::string>& steps) {
    int w = 0;
    int h = 0;
    turnedCropSize(edit, sourceWidth, sourceHeight, &w, &h);
    int outWidth = 0;
    int outHeight = 0;
    int scaleWidth = 0;
    int scaleHeight = 0;
    frameIntoShape(edit, w, h, &outWidth, &outHeight, &scaleWidth, &scaleHeight);
    if (scaleWidth != w || scaleHeight != h) {
        steps.push_back("scale=" + std::to_string(scaleWidth) + ":" + std::to_string(scaleHeight) + ",setsar=1");
    }
    if (outWidth != scaleWidth || outHeight != scaleHeight) {
        char pad[160];
        std::snprintf(pad, sizeof pad, "pad=%d:%d:(ow-iw)/2:(oh-ih)/2:color=0x%06X", outWidth, outHeight,
                      edit.padColour & 0xffffff);
        steps.push_back(pad);
    }
}

void addColourSteps(const VideoEdit& edit, std::vector<std::string>& steps) {
    if (edit.brightness != 0 || edit.contrastPercent != 100 || edit.saturationPercent != 100) {
        steps.push_back("eq=brightness=" + number(std::clamp(edit.brightness, -255, 255) / 255.0) +
                        ":contrast=" + number(std::clamp(edit.contrastPercent, 0, 1000) / 100.0) +
                        ":saturation=" + number(std::clamp(edit.saturationPercent, 0, 300) / 100.0));
    }
    if (edit.hueDegrees != 0) {
        steps.push_back("hue=h=" + std::to_string(edit.hueDegrees));
    }
}

// The subtitles burnt in from their file, or from the source's own stream when no file
// is chosen, drawn in the chosen style.
std::string subtitleStep(const SubtitleEdit& s, const std::string& sourcePath) {
    std::string step = "subtitles=filename=" + escapeValue(s.file.empty() ? sourcePath : s.file);
    if (s.file.empty()) {
        step += ":si=" + std::to_string(s.streamIndex);
    }
    const int alignment = s.positionCode == 16 ? 8 : (s.positionCode == 32 ? 5 : 2);
    // ASS colours are &HAABBGGRR with 0 opaque; the text's own alpha scales them all.
    auto assColour = [&s](uint32_t argb) {
        const int alpha = ((argb >> 24) & 0xff) * std::clamp(s.alpha, 0, 255) / 255;
        char text[16];
        std::snprintf(text, sizeof text, "&H%02X%02X%02X%02X", 255 - alpha, argb & 0xff, (argb >> 8) & 0xff,
                      (argb >> 16) & 0xff);
        return std::string(text);
    };
    char style[320];
    std::snprintf(style, sizeof style,
                  "FontSize=%d,PrimaryColour=%s,OutlineColour=%s,BackColour=%s,Outline=%.1f,Shadow=%.1f,"
                  "Bold=%d,Italic=%d,Underline=%d,StrikeOut=%d,Alignment=%d,MarginV=%d",
                  std::max(1, s.fontSizePoints), assColour(s.colour).c_str(), assColour(s.outlineColour).c_str(),
                  assColour(s.shadowColour).c_str(), s.outlineSize, s.shadowOffset, s.bold ? -1 : 0, s.italic ? -1 : 0,
                  s.underline ? -1 : 0, s.strikeOut ? -1 : 0, alignment,
                  static_cast<int>(std::clamp(s.margin, 0.0, 1.0) * 288));
    std::string forced = style;
    if (!s.fontName.empty()) {
        forced = "FontName=" + s.fontName + "," + forced;
    }
    return step + ":force_style=" + escapeValue(forced);
}

std::string textWatermarkStep(const WatermarkEdit& mark) {
    std::string step = "drawtext=expansion=none:text=" + escapeValue(mark.text) +
                       ":fontsize=" + std::to_string(std::max(1, mark.fontSizePoints)) +
                       ":fontcolor=" + colourText(mark.textColour, mark.textAlpha) + ":x=w*" +
                       number(std::clamp(mark.textX, 0.0, 1.0)) + ":y=h*" + number(std::clamp(mark.textY, 0.0, 1.0));
    if (mark.outlineSize > 0.0) {
        step += ":borderw=" + std::to_string(std::max(1, static_cast<int>(mark.outlineSize))) +
                ":bordercolor=" + colourText(mark.outlineColour, mark.textAlpha);
    }
    if (mark.shadowOffset > 0.0) {
        const int offset = std::max(1, static_cast<int>(std::lround(mark.shadowOffset * 2)));
        step += ":shadowx=" + std::to_string(offset) + ":shadowy=" + std::to_string(offset) +
                ":shadowcolor=" + colourText(mark.shadowColour, mark.textAlpha);
    }
    if (!mark.fontName.empty()) {
        step += ":font=" + escapeValue(mark.fontName);
    }
    return step;
}

// Image watermarks need a second input: each is read by a movie source and laid over
// the chain so far. Gives the graph text that follows the chain.
std::string imageWatermarkOverlays(const VideoEdit& edit, int sourceWidth, int sourceHeight) {
    int pictureWidth = 0;
    int pictureHeight = 0;
    editedPictureSize(edit, sourceWidth, sourceHeight, &pictureWidth, &pictureHeight);
    std::string overlays;
    int index = 0;
    for (const WatermarkEdit& mark : edit.watermarks) {
        // A picture that cannot be read would fail the whole graph, and with it every
        // other edit of the picture: it is left out instead.
        if (mark.imagePath.empty() || !readableFile(mark.imagePath)) {
            continue;
        }
        const std::string label = "wm" + std::to_string(index);
        const std::string base = "base" + std::to_string(index++);
        overlays += "[" + base + "];movie=filename=" + escapeValue(mark.imagePath) +
                    ",format=rgba,colorchannelmixer=aa=" + number(std::clamp(mark.imageAlpha, 0, 255) / 255.0) +
                    imageSizing(mark, pictureWidth, pictureHeight) + "[" + label + "];[" + base + "][" + label +
                    "]overlay=x=W*" + number(std::clamp(mark.imageX, 0.0, 1.0)) + ":y=H*" +
                    number(std::clamp(mark.imageY, 0.0, 1.0)) + ":eof_action=repeat";
    }
    return overlays;
}

} // namespace

std::string videoFilterChain(const VideoEdit& edit, int sourceWidth, int sourceHeight, const std::string& sourcePath) {
    std::vector<std::string> steps;
    addCropAndTurnSteps(edit, sourceWidth, sourceHeight, steps);
    addShapeSteps(edit, sourceWidth, sourceHeight, steps);
    addColourSteps(edit, steps);
    if (edit.subtitlesOn && (!edit.subtitles.file.empty() || edit.subtitles.streamIndex >= 0)) {
        steps.push_back(subtitleStep(edit.subtitles, sourcePath));
    }
    for (const WatermarkEdit& mark : edit.watermarks) {
        if (!mark.text.empty()) {
            steps.push_back(textWatermarkStep(mark));
        }
    }
    if (edit.speedPercent > 0 && edit.speedPercent != 100) {
        steps.push_back("setpts=PTS*" + number(100.0 / edit.speedPercent));
    }

    std::string chain = "[in]";
    chain += steps.empty() ? std::string("null") : steps.front();
    for (size_t i = 1; i < steps.size(); ++i) {
        chain += "," + steps[i];
    }
    return chain + imageWatermarkOverlays(edit, sourceWidth, sourceHeight) + "[out]";
}

std::string audioFilterChain(const AudioEdit& edit) {
    std::vector<std::string> steps;
    const double volume =
        std::clamp(edit.volumePercent, 0, 200) / 100.0 * std::clamp(edit.effectVolumePercent, 0, 200) / 100.0;
    if (volume != 1.0) {
        steps.push_back("volume=" + number(volume));
    }
    for (const auto& band : edit.equaliser) {
        if (band.first > 0.0 && band.second != 0.0) {
            steps.push_back("equalizer=f=" + number(band.first) + ":t=o:w=1:g=" + number(band.second));
        }
    }
    if (edit.speedPercent > 0 && edit.speedPercent != 100) {
        // atempo takes 0.5..100 per stage; slower rates are made of several stages.
        double tempo = edit.speedPercent / 100.0;
        while (tempo < 0.5) {
            steps.push_back("atempo=0.5");
            tempo /= 0.5;
        }
        steps.push_back("atempo=" + number(tempo));
    }
    std::string chain = "[in]";
    chain += steps.empty() ? std::string("anull") : steps.front();
    for (size_t i = 1; i < steps.size(); ++i) {
        chain += "," + steps[i];
    }
    return chain + "[out]";
}

void FilterGraph::reset() {
    m_graph.reset();
    m_source = nullptr;
    m_sink = nullptr;
}

bool FilterGraph::startGraph(const char* sourceFilter, const char* sourceArguments, const char* sinkFilter) {
    reset();
    m_graph.reset(avfilter_graph_alloc());
    if (!m_graph ||
        avfilter_graph_create_filter(&m_source, avfilter_get_by_name(sourceFilter), "in", sourceArguments, nullptr,
                                     m_graph.get()) < 0 ||
        avfilter_graph_create_filter(&m_sink, avfilter_get_by_name(sinkFilter), "out", nullptr, nullptr,
                                     m_graph.get()) < 0) {
        reset();
        return false;
    }
    return true;
}

bool FilterGraph::configureVideo(const std::string& chain, int width, int height, AVPixelFormat inputFormat,
                                 AVRational timeBase, AVRational sampleAspect, AVPixelFormat outputFormat) {
    if (sampleAspect.num <= 0 || sampleAspect.den <= 0) {
        sampleAspect = AVRational{1, 1};
    }
    char args[256];
    std::snprintf(args, sizeof args, "video_size=%dx%d:pix_fmt=%d:time_base=%d/%d:pixel_aspect=%d/%d", width, height,
                  static_cast<int>(inputFormat), timeBase.num, timeBase.den, sampleAspect.num, sampleAspect.den);
    if (!startGraph("buffer", args, "buffersink")) {
        return false;
    }
    const std::string withFormat =
        chain.substr(0, chain.size() - 5) + ",format=pix_fmts=" + av_get_pix_fmt_name(outputFormat) + "[out]";
    return finish(withFormat);
}

bool FilterGraph::configureAudio(const std::string& chain, int sampleRate, AVSampleFormat inputFormat,
                                 const AVChannelLayout& layout, AVRational timeBase, AVSampleFormat outputFormat,
                                 int outputRate, int outputChannels, int outputFrameSize) {
    char layoutText[128] = {};
    AVChannelLayout inputLayout{};
    if (layout.order == AV_CHANNEL_ORDER_UNSPEC || av_channel_layout_check(&layout) == 0) {
        av_channel_layout_default(&inputLayout, std::max(1, layout.nb_channels));
    } else {
        av_channel_layout_copy(&inputLayout, &layout);
    }
    av_channel_layout_describe(&inputLayout, layoutText, sizeof layoutText);
    av_channel_layout_uninit(&inputLayout);
    char args[320];
    std::snprintf(args, sizeof args, "sample_rate=%d:sample_fmt=%s:channel_layout=%s:time_base=%d/%d", sampleRate,
                  av_get_sample_fmt_name(inputFormat), layoutText, timeBase.num, timeBase.den);
    if (!startGraph("abuffer", args, "abuffersink")) {
        return false;
    }
    std::string format = ",aformat=sample_fmts=" + std::string(av_get_sample_fmt_name(outputFormat));
    if (outputRate > 0) {
        format += ":sample_rates=" + std::to_string(outputRate);
    }
    if (outputChannels > 0) {
        AVChannelLayout out{};
        av_channel_layout_default(&out, outputChannels);
        char outText[128] = {};
        av_channel_layout_describe(&out, outText, sizeof outText);
        av_channel_layout_uninit(&out);
        format += ":channel_layouts=" + std::string(outText);
    }
    if (!finish(chain.substr(0, chain.size() - 5) + format + "[out]")) {
        return false;
    }
    if (outputFrameSize > 0) {
        av_buffersink_set_frame_size(m_sink, static_cast<unsigned>(outputFrameSize));
    }
    return true;
}

bool FilterGraph::finish(const std::string& chain) {
    AVFilterInOut* outputs = avfilter_inout_alloc();
    AVFilterInOut* inputs = avfilter_inout_alloc();
    if (!outputs || !inputs) {
        avfilter_inout_free(&outputs);
        avfilter_inout_free(&inputs);
        reset();
        return false;
    }
    outputs->name = av_strdup("in");
    outputs->filter_ctx = m_source;
    outputs->pad_idx = 0;
    outputs->next = nullptr;
    inputs->name = av_strdup("out");
    inputs->filter_ctx = m_sink;
    inputs->pad_idx = 0;
    inputs->next = nullptr;
    const int parsed = avfilter_graph_parse_ptr(m_graph.get(), chain.c_str(), &inputs, &outputs, nullptr);
    avfilter_inout_free(&outputs);
    avfilter_inout_free(&inputs);
    if (parsed < 0 || avfilter_graph_config(m_graph.get(), nullptr) < 0) {
        reset();
        return false;
    }
    return true;
}

bool FilterGraph::push(AVFrame* frame) {
    return m_source && av_buffersrc_add_frame_flags(m_source, frame, AV_BUFFERSRC_FLAG_KEEP_REF) >= 0;
}

bool FilterGraph::close(int64_t endPts) {
    return m_source && av_buffersrc_close(m_source, endPts, AV_BUFFERSRC_FLAG_PUSH) >= 0;
}

int FilterGraph::pull(AVFrame* frame) {
    if (!m_sink) {
        return AVERROR_EOF;
    }
    return av_buffersink_get_frame(m_sink, frame);
}

AVRational FilterGraph::outputTimeBase() const {
    return m_sink ? av_buffersink_get_time_base(m_sink) : AVRational{1, 1000000};
}

} // namespace calvorine::codec
