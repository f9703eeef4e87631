// Shared FFmpeg helpers of the conversion, information and player modules: owning
// pointers for the demuxer input and filter graphs, time conversion, frame-to-BGRA
// conversion and the BMP encoding of pictures handed out as blocks. Internal to the codec
// library.
#pragma once

#include <atomic>

#include "libav_objects.h"

extern "C" {
#include <libavfilter/avfilter.h>
#include <libavutil/avutil.h>
}

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace calvorine::codec::av {

// The owning pointers the recorder uses serve here too; only a demuxer's input and a
// filter graph, which the recorder never holds, have their own.
using libav::CodecContextPtr;
using libav::FramePtr;
using libav::makeFrame;
using libav::makePacket;
using libav::PacketPtr;
using libav::SwrPtr;
using libav::SwsPtr;

struct FormatInputDeleter {
    void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};
struct FilterGraphDeleter {
    void operator()(AVFilterGraph* graph) const { avfilter_graph_free(&graph); }
};

using InputPtr = std::unique_ptr<AVFormatContext, FormatInputDeleter>;
using FilterGraphPtr = std::unique_ptr<AVFilterGraph, FilterGraphDeleter>;

// While set, every open below gives up at once (library-wide).
void setOpenInterrupted(bool on);

// Opens a file for reading and reads its stream information; null on failure (a missing
// file, a file that is not media, a file too damaged to show any stream). The open gives
// up at once when *interrupt turns true (another thread may set it meanwhile).
InputPtr openInput(const char* pathUtf8, const std::atomic<bool>* interrupt = nullptr);

// A decoder for one stream, opened with the given thread count (0 = libav's choice).
CodecContextPtr openDecoder(const AVStream* stream, int threadCount = 0);

// Microseconds of a timestamp in the given time base; AV_NOPTS_VALUE stays as it is.
int64_t toMicroseconds(int64_t timestamp, AVRational timeBase);
int64_t fromMicroseconds(int64_t microseconds, AVRational timeBase);

// The first stream of the type that is a real picture or sound stream (not a cover
// picture); -1 when none.
int findStream(const AVFormatContext* input, AVMediaType type);

// The cover picture stream (attached picture); -1 when none.
int findCoverStream(const AVFormatContext* input);

// A 32-bit BGRA picture, rows top-down without padding.
struct BgraImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;
    bool empty() const { return width <= 0 || height <= 0; }
};

// Converts a decoded video frame to BGRA through the given (cached) scaler.
bool frameToBgra(const AVFrame* frame, SwsPtr& scaler, BgraImage& image);

// A BMP file in memory (24-bit, bottom-up, the form every reader accepts); the total size
// stands as a 32-bit value at byte 2. Allocated with malloc: give it back with free().
uint8_t* encodeBmp(const BgraImage& image, uint32_t* sizeOut);

// The text of an FFmpeg error code.
std::string errorText(int code);

} // namespace calvorine::codec::av
