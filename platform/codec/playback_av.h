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
#include <deque>
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

// Where the file's timeline begins, in microseconds (an MPEG-TS file made by ffmpeg starts
// at 1.4 s, an MP4 may carry an offset in its edit list). Positions, durations and trim
// windows count from here: the first picture or sound of a file is at 0.
int64_t startOffsetUs(const AVFormatContext* input);

// The file's length from its first picture or sound to its last, in microseconds (0 when
// unknown). An MP4's or a Matroska file's own duration counts from 0, so with a start offset
// it would run past the last picture: there the streams' extents give the length (openInput
// reads them from the last packets where the file tells none).
int64_t durationUs(const AVFormatContext* input);

// Seeks to the key frame that the picture at targetUs (microseconds of the file's own
// timeline) is decoded from. A file without an index (MPEG-TS) is sought by time alone and
// may land past that key frame; then the seek steps back, further each time, down to the
// file's start. The packets read to check the landing are returned, to be used first.
std::deque<PacketPtr> seekToKeyFrame(AVFormatContext* input, int videoIndex, int64_t targetUs, int64_t fileStartUs);

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
