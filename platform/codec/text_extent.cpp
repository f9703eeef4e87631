#include "text_extent.h"

#include <mutex>
#include <tuple>

namespace calvorine::codec {

namespace {

// What decides the drawn shape; colours and transparency do not.
struct TextShape {
    std::string text;
    std::string fontName;
    int fontSizePoints = 0;
    double outlineSize = 0.0;
    double shadowOffset = 0.0;
    int pictureWidth = 0;
    int pictureHeight = 0;

    bool operator==(const TextShape& o) const {
        return std::tie(text, fontName, fontSizePoints, outlineSize, shadowOffset, pictureWidth, pictureHeight) ==
               std::tie(o.text, o.fontName, o.fontSizePoints, o.outlineSize, o.shadowOffset, o.pictureWidth,
                        o.pictureHeight);
    }
};

constexpr uint8_t kCanvasGrey = 128;

// Draws the text alone at the picture's top left (white, black outline and shadow, all
// opaque, on grey) and takes the bounds of what changed.
bool measure(const TextShape& shape, int* width, int* height) {
    VideoEdit edit;
    WatermarkEdit& mark = edit.watermarks[0];
    mark.text = shape.text;
    mark.fontName = shape.fontName;
    mark.fontSizePoints = shape.fontSizePoints;
    mark.outlineSize = shape.outlineSize;
    mark.shadowOffset = shape.shadowOffset;
    mark.textColour = 0xffffffff;
    mark.outlineColour = 0xff000000;
    mark.shadowColour = 0xff000000;
    FilterGraph graph;
    if (!graph.configureVideo(videoFilterChain(edit, shape.pictureWidth, shape.pictureHeight, std::string()),
                              shape.pictureWidth, shape.pictureHeight, AV_PIX_FMT_RGB24, AVRational{1, 25},
                              AVRational{1, 1}, AV_PIX_FMT_RGB24)) {
        return false;
    }
    av::FramePtr canvas = av::makeFrame();
    av::FramePtr drawn = av::makeFrame();
    if (!canvas || !drawn) {
        return false;
    }
    canvas->format = AV_PIX_FMT_RGB24;
    canvas->width = shape.pictureWidth;
    canvas->height = shape.pictureHeight;
    canvas->pts = 0;
    if (av_frame_get_buffer(canvas.get(), 0) < 0) {
        return false;
    }
    for (int y = 0; y < canvas->height; ++y) {
        std::fill_n(canvas->data[0] + y * canvas->linesize[0], canvas->width * 3, kCanvasGrey);
    }
    if (!graph.push(canvas.get()) || graph.pull(drawn.get()) != 0 || drawn->format != AV_PIX_FMT_RGB24) {
        return false;
    }
    int right = -1;
    int bottom = -1;
    for (int y = 0; y < drawn->height; ++y) {
        const uint8_t* line = drawn->data[0] + y * drawn->linesize[0];
        for (int x = 0; x < drawn->width; ++x) {
            const uint8_t* p = line + 3 * x;
            if (p[0] != kCanvasGrey || p[1] != kCanvasGrey || p[2] != kCanvasGrey) {
                right = std::max(right, x);
                bottom = std::max(bottom, y);
            }
        }
    }
    if (right < 0) {
        return false;
    }
    *width = right + 1;
    *height = bottom + 1;
    return true;
}

} // namespace

bool drawnTextSize(const WatermarkEdit& mark, int pictureWidth, int pictureHeight, int* width, int* height) {
    if (mark.text.empty() || pictureWidth <= 0 || pictureHeight <= 0 || !width || !height) {
        return false;
    }
    const TextShape shape{mark.text,         mark.fontName, mark.fontSizePoints, mark.outlineSize,
                          mark.shadowOffset, pictureWidth,  pictureHeight};
    // The editor asks for the width and then the height of the same text.
    static std::mutex lock;
    static TextShape lastShape;
    static bool lastFound = false;
    static int lastWidth = 0;
    static int lastHeight = 0;
    std::lock_guard<std::mutex> guard(lock);
    if (!(shape == lastShape)) {
        lastShape = shape;
        lastFound = measure(shape, &lastWidth, &lastHeight);
    }
    *width = lastWidth;
    *height = lastHeight;
    return lastFound;
}

} // namespace calvorine::codec
