// Edit settings turned into libavfilter graphs. The converter and the player's live
// preview describe an edit with the same records, so a preview shows what a conversion
// will write. Internal to the codec library.
#pragma once

#include "playback_av.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace calvorine::codec {

struct WatermarkEdit {
    std::string imagePath;
    int imageAlpha = 255;
    double imageX = 0.0; // fractions of the picture
    double imageY = 0.0;
    int imageScaleWidthPercent = 100;
    int imageScaleHeightPercent = 100;
    // With both factors above 0 the image covers that share of the picture's width and
    // height (its own size and scale then count for nothing), drawing only the part of
    // the image that imageRect names (x, y, width, height as fractions of the image).
    double imageFactors[2] = {0.0, 0.0};
    double imageRect[4] = {0.0, 0.0, 1.0, 1.0};

    std::string text;
    int textAlpha = 255;
    double textX = 0.0;
    double textY = 0.0;
    std::string fontName;
    int fontSizePoints = 28;
    uint32_t textColour = 0xffffffff;
    uint32_t shadowColour = 0x80000000;
    uint32_t outlineColour = 0xff000000;
    double shadowOffset = 0.5;
    double outlineSize = 1.0;

    // Display ranges in microseconds of the source; an end not after the start shows the
    // part all the time (see editShownAt).
    uint64_t imageStartUs = 0;
    uint64_t imageEndUs = 0;
    uint64_t textStartUs = 0;
    uint64_t textEndUs = 0;

    bool empty() const { return imagePath.empty() && text.empty(); }
};

struct SubtitleEdit {
    std::string file;     // an external subtitle file, burned in when set
    int streamIndex = -1; // else the source's subtitle stream (0-based among subtitles)
    std::string fontName;
    int fontSizePoints = 18;
    uint32_t colour = 0xffffffff;
    uint32_t outlineColour = 0xff000000;
    double outlineSize = 1.0;
    uint32_t shadowColour = 0x80000000;
    double shadowOffset = 0.5;
    int alpha = 255; // of the whole text
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    int positionCode = 0; // 0 bottom, 16 top, 32 middle
    double margin = 0.05;
};

struct VideoEdit {
    // Orientation and framing. The picture rectangle (fractions of the source) is cut
    // out, turned and mirrored, then fitted to the output shape.
    int rotationDegrees = 0;
    bool mirrored = false;
    double rect[4] = {0.0, 0.0, 1.0, 1.0};
    int shapeWidth = 0; // output shape: an aspect ratio or a size; 0 keeps the picture's
    int shapeHeight = 0;
    bool pad = false; // fill the rest of the shape (else the picture is stretched)
    uint32_t padColour = 0xff000000;

    int brightness = 0; // -255..255
    int saturationPercent = 100;
    int contrastPercent = 100;
    int hueDegrees = 0;

    WatermarkEdit watermarks[3];
    SubtitleEdit subtitles;
    bool subtitlesOn = false;

    int speedPercent = 100;

    bool operator==(const VideoEdit& other) const;
    bool operator!=(const VideoEdit& other) const { return !(*this == other); }
};

struct AudioEdit {
    int volumePercent = 100;       // 0..200
    int effectVolumePercent = 100; // a second factor (the sound effect's)
    int speedPercent = 100;
    std::vector<std::pair<double, double>> equaliser; // (frequency Hz, gain dB)

    bool operator==(const AudioEdit& other) const;
    bool operator!=(const AudioEdit& other) const { return !(*this == other); }
};

// The edit as shown at a time: watermark parts outside their display ranges left out.
// visibleParts receives a mask of the parts shown (two bits per watermark).
VideoEdit editShownAt(const VideoEdit& edit, uint64_t timeUs, unsigned* visibleParts);

// The size the video chain produces from a source picture (before the encoder's own
// even-size rounding).
void editedPictureSize(const VideoEdit& edit, int sourceWidth, int sourceHeight, int* width, int* height);

// Filter chains in libavfilter's text form ("null"/"anull" when nothing changes).
// sourcePath is the file whose subtitle streams are burned in.
std::string videoFilterChain(const VideoEdit& edit, int sourceWidth, int sourceHeight, const std::string& sourcePath);
std::string audioFilterChain(const AudioEdit& edit);

// One configured graph: frames go in at the source, come out at the sink.
class FilterGraph {
public:
    // A video graph for frames of the given form, giving frames in outputFormat.
    bool configureVideo(const std::string& chain, int width, int height, AVPixelFormat inputFormat, AVRational timeBase,
                        AVRational sampleAspect, AVPixelFormat outputFormat);
    // An audio graph giving samples of the given form (sampleRate/channels 0 = keep).
    bool configureAudio(const std::string& chain, int sampleRate, AVSampleFormat inputFormat,
                        const AVChannelLayout& layout, AVRational timeBase, AVSampleFormat outputFormat, int outputRate,
                        int outputChannels, int outputFrameSize);
    bool isConfigured() const { return static_cast<bool>(m_graph); }
    void reset();

    // Null flushes the graph. False on a graph error.
    bool push(AVFrame* frame);
    // Ends the input at the given time (in the source's time base), so that the last
    // frame keeps its full duration.
    bool close(int64_t endPts);
    // 0 with a frame, AVERROR(EAGAIN) when more input is needed, AVERROR_EOF at the end.
    int pull(AVFrame* frame);
    AVRational outputTimeBase() const;

private:
    // A fresh graph with its source (given its arguments) and its sink; on failure none.
    bool startGraph(const char* sourceFilter, const char* sourceArguments, const char* sinkFilter);
    bool finish(const std::string& chain);

    av::FilterGraphPtr m_graph;
    AVFilterContext* m_source = nullptr;
    AVFilterContext* m_sink = nullptr;
};

} // namespace calvorine::codec
