// Shared FFmpeg helpers of the conversion, information and player modules: owning
// pointers for the libav objects, time conversion, frame-to-BGRA conversion and the BMP
// encoding of pictures handed out as blocks. Internal to the codec library.
#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavfilter/avfilter.h>
#include <libavformat/avformat.h>
#include <libavutil/avutil.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace calvorine::codec::av {

struct FormatInputDeleter {
    void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};
struct CodecContextDeleter {
    void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct FrameDeleter {
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct PacketDeleter {
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
struct FilterGraphDeleter {
    void operator()(AVFilterGraph* graph) const { avfilter_graph_free(&graph); }
};
struct SwsDeleter {
    void operator()(SwsContext* context) const { sws_freeContext(context); }
};
struct SwrDeleter {
    void operator()(SwrContext* context) const { swr_free(&context); }
};

using InputPtr = std::unique_ptr<AVFormatContext, FormatInputDeleter>;
using CodecContextPtr = std::unique_ptr<AVCodecContext, CodecContextDeleter>;
using FramePtr = std::unique_ptr<AVFrame, FrameDeleter>;
using PacketPtr = std::unique_ptr<AVPacket, PacketDeleter>;
using FilterGraphPtr = std::unique_ptr<AVFilterGraph, FilterGraphDeleter>;
using SwsPtr = std::unique_ptr<SwsContext, SwsDeleter>;
using SwrPtr = std::unique_ptr<SwrContext, SwrDeleter>;

inline FramePtr makeFrame() { return FramePtr(av_frame_alloc()); }
inline PacketPtr makePacket() { return PacketPtr(av_packet_alloc()); }

// While set, every open below gives up at once (library-wide).
void setOpenInterrupted(bool on);

// Opens a file for reading and reads its stream information; null on failure (a missing
// file, a file that is not media, a file too damaged to show any stream).
InputPtr openInput(const char* pathUtf8);

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
