#include "playback_av.h"

extern "C" {
#include <libavutil/imgutils.h>
}

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>

namespace calvorine::codec::av {

namespace {
std::atomic<bool> g_openInterrupted{false};

int openInterruptCallback(void* opaque) {
    const auto* own = static_cast<const std::atomic<bool>*>(opaque);
    return g_openInterrupted.load() || (own && own->load()) ? 1 : 0;
}
// The picture and sound streams, whose extents make a file's length.
bool countsForLength(const AVStream* stream) {
    const AVMediaType type = stream->codecpar->codec_type;
    return (type == AVMEDIA_TYPE_VIDEO || type == AVMEDIA_TYPE_AUDIO) &&
           !(stream->disposition & AV_DISPOSITION_ATTACHED_PIC);
}

// The same file opened once more, by the same kind of demuxer and with the same
// interruption, for a read through it that leaves `input` where it is.
InputPtr openSecondReader(const AVFormatContext* input, const char* pathUtf8) {
    AVFormatContext* raw = avformat_alloc_context();
    if (!raw) {
        return nullptr;
    }
    raw->interrupt_callback = input->interrupt_callback;
    if (avformat_open_input(&raw, pathUtf8, input->iformat, nullptr) < 0) {
        return nullptr;
    }
    return InputPtr(raw);
}

// A file that starts late but tells no extents of its streams (Matroska states only its own
// duration, which counts from 0): each stream's extent is taken from where its last packets
// end, read by a second reader from the last key frame on, so that `input` stays at the start.
// A stream whose end cannot be read keeps its extent unknown.
void readStreamExtents(AVFormatContext* input, const char* pathUtf8, const std::atomic<bool>* interrupt) {
    if (input->start_time == AV_NOPTS_VALUE || input->start_time == 0 || input->duration == AV_NOPTS_VALUE) {
        return;
    }
    bool unknown = false;
    for (unsigned i = 0; i < input->nb_streams; ++i) {
        const AVStream* stream = input->streams[i];
        if (countsForLength(stream)) {
            if (stream->start_time == AV_NOPTS_VALUE) {
                return;
            }
            unknown = unknown || stream->duration == AV_NOPTS_VALUE || stream->duration < 0;
        }
    }
    if (!unknown) {
        return;
    }
    InputPtr reader = openSecondReader(input, pathUtf8);
    if (!reader || reader->nb_streams != input->nb_streams) {
        return;
    }
    // The latest the stated duration can mean (counted from 0 or from the start).
    const int64_t latestUs = input->start_time + input->duration;
    if (avformat_seek_file(reader.get(), -1, INT64_MIN, latestUs, latestUs, 0) < 0) {
        return;
    }
    std::vector<int64_t> ends(input->nb_streams, AV_NOPTS_VALUE);
    PacketPtr packet = makePacket();
    for (int guard = 0; packet && guard < 1000000 && av_read_frame(reader.get(), packet.get()) >= 0; ++guard) {
        const unsigned index = static_cast<unsigned>(packet->stream_index);
        const int64_t at = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
        if (index < input->nb_streams && at != AV_NOPTS_VALUE) {
            ends[index] = std::max(ends[index], at + std::max<int64_t>(0, packet->duration));
        }
        av_packet_unref(packet.get());
        if (interrupt && interrupt->load()) {
            return;
        }
    }
    for (unsigned i = 0; i < input->nb_streams; ++i) {
        AVStream* stream = input->streams[i];
        const AVRational readBase = reader->streams[i]->time_base;
        if (!countsForLength(stream) || ends[i] == AV_NOPTS_VALUE ||
            (stream->duration != AV_NOPTS_VALUE && stream->duration >= 0)) {
            continue;
        }
        const int64_t end = av_rescale_q(ends[i], readBase, stream->time_base);
        if (end > stream->start_time) {
            stream->duration = end - stream->start_time;
        }
    }
}

// A stream without an index (raw AAC in ADTS frames, say) states no length: the demuxer
// guesses one from the bit rate of its first packets, which is far out when those are
// quiet ones. Its frames are counted instead, by a second reader, so that `input` stays at
// the start. Each counted stream gets the extent of its packets; a guess is kept where a
// stream cannot be read to its end.
void countStreamLengths(AVFormatContext* input, const char* pathUtf8, const std::atomic<bool>* interrupt) {
    if (input->duration_estimation_method != AVFMT_DURATION_FROM_BITRATE) {
        return;
    }
    InputPtr reader = openSecondReader(input, pathUtf8);
    // Packets read before the streams are looked into carry no durations.
    if (!reader || avformat_find_stream_info(reader.get(), nullptr) < 0 || reader->nb_streams != input->nb_streams) {
        return;
    }
    std::vector<int64_t> firsts(input->nb_streams, AV_NOPTS_VALUE);
    std::vector<int64_t> lengths(input->nb_streams, 0);
    PacketPtr packet = makePacket();
    int result = 0;
    while (packet && (result = av_read_frame(reader.get(), packet.get())) >= 0) {
        const unsigned index = static_cast<unsigned>(packet->stream_index);
        if (index < input->nb_streams && packet->duration > 0) {
            lengths[index] += packet->duration;
            if (firsts[index] == AV_NOPTS_VALUE && packet->pts != AV_NOPTS_VALUE) {
                firsts[index] = packet->pts;
            }
        }
        av_packet_unref(packet.get());
        if (interrupt && interrupt->load()) {
            return;
        }
    }
    if (!packet || result != AVERROR_EOF) {
        return;
    }
    int64_t longestUs = 0;
    for (unsigned i = 0; i < input->nb_streams; ++i) {
        AVStream* stream = input->streams[i];
        if (!countsForLength(stream) || lengths[i] <= 0) {
            continue;
        }
        const AVRational readBase = reader->streams[i]->time_base;
        stream->duration = av_rescale_q(lengths[i], readBase, stream->time_base);
        const int64_t firstUs = firsts[i] == AV_NOPTS_VALUE ? 0 : toMicroseconds(firsts[i], readBase);
        longestUs = std::max(longestUs, firstUs + toMicroseconds(lengths[i], readBase));
    }
    if (longestUs > 0) {
        input->duration = longestUs - startOffsetUs(input);
        input->duration_estimation_method = AVFMT_DURATION_FROM_STREAM;
    }
}

} // namespace

void setOpenInterrupted(bool on) {
    g_openInterrupted = on;
}

InputPtr openInput(const char* pathUtf8, const std::atomic<bool>* interrupt) {
    if (!pathUtf8 || !*pathUtf8 || g_openInterrupted.load() || (interrupt && interrupt->load())) {
        return nullptr;
    }
    AVFormatContext* raw = avformat_alloc_context();
    if (!raw) {
        return nullptr;
    }
    raw->interrupt_callback.callback = openInterruptCallback;
    raw->interrupt_callback.opaque = const_cast<std::atomic<bool>*>(interrupt);
    if (avformat_open_input(&raw, pathUtf8, nullptr, nullptr) < 0) {
        return nullptr;
    }
    InputPtr input(raw);
    if (avformat_find_stream_info(input.get(), nullptr) < 0 || input->nb_streams == 0) {
        return nullptr;
    }
    readStreamExtents(input.get(), pathUtf8, interrupt);
    countStreamLengths(input.get(), pathUtf8, interrupt);
    return input;
}

CodecContextPtr openDecoder(const AVStream* stream, int threadCount) {
    const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
    if (!codec) {
        return nullptr;
    }
    CodecContextPtr context(avcodec_alloc_context3(codec));
    if (!context || avcodec_parameters_to_context(context.get(), stream->codecpar) < 0) {
        return nullptr;
    }
    context->pkt_timebase = stream->time_base;
    context->thread_count = threadCount;
    if (avcodec_open2(context.get(), codec, nullptr) < 0) {
        return nullptr;
    }
    return context;
}

int64_t toMicroseconds(int64_t timestamp, AVRational timeBase) {
    if (timestamp == AV_NOPTS_VALUE) {
        return AV_NOPTS_VALUE;
    }
    return av_rescale_q(timestamp, timeBase, AVRational{1, 1000000});
}

int64_t fromMicroseconds(int64_t microseconds, AVRational timeBase) {
    return av_rescale_q(microseconds, AVRational{1, 1000000}, timeBase);
}

int64_t startOffsetUs(const AVFormatContext* input) {
    return input && input->start_time != AV_NOPTS_VALUE ? input->start_time : 0;
}

int64_t durationUs(const AVFormatContext* input) {
    if (!input) {
        return 0;
    }
    const int64_t stated = input->duration != AV_NOPTS_VALUE ? std::max<int64_t>(0, input->duration) : 0;
    const int64_t startUs = startOffsetUs(input);
    if (startUs == 0) {
        return stated;
    }
    int64_t endUs = AV_NOPTS_VALUE;
    for (unsigned i = 0; i < input->nb_streams; ++i) {
        const AVStream* stream = input->streams[i];
        if (!countsForLength(stream)) {
            continue;
        }
        if (stream->start_time == AV_NOPTS_VALUE || stream->duration == AV_NOPTS_VALUE || stream->duration < 0) {
            return stated; // an extent unknown: the file's own word is all there is
        }
        endUs = std::max(endUs, toMicroseconds(stream->start_time + stream->duration, stream->time_base));
    }
    return endUs == AV_NOPTS_VALUE ? stated : std::max<int64_t>(0, endUs - startUs);
}

std::deque<PacketPtr> seekToKeyFrame(AVFormatContext* input, int videoIndex, int64_t targetUs, int64_t fileStartUs) {
    std::deque<PacketPtr> held;
    // The key frame must be shown no later than the target, or be the stream's first.
    int64_t latestKeyUs = targetUs;
    if (videoIndex >= 0) {
        const AVStream* stream = input->streams[videoIndex];
        latestKeyUs = std::max(targetUs, toMicroseconds(stream->start_time, stream->time_base));
    }
    int64_t stepUs = 1000000;
    for (int64_t seekUs = targetUs;; seekUs = std::max(fileStartUs, seekUs - stepUs), stepUs *= 2) {
        held.clear();
        const bool atStart = seekUs <= fileStartUs;
        const bool sought = avformat_seek_file(input, -1, INT64_MIN, seekUs, seekUs, 0) >= 0;
        if (videoIndex < 0 && (sought || atStart)) {
            return held;
        }
        for (bool reading = sought && videoIndex >= 0; reading;) {
            PacketPtr packet = makePacket();
            if (!packet || av_read_frame(input, packet.get()) < 0) {
                break; // nothing to read there: try further back
            }
            const bool video = packet->stream_index == videoIndex;
            const int64_t shownUs = toMicroseconds(packet->pts, input->streams[packet->stream_index]->time_base);
            const bool usable =
                (packet->flags & AV_PKT_FLAG_KEY) != 0 && (shownUs == AV_NOPTS_VALUE || shownUs <= latestKeyUs);
            held.push_back(std::move(packet));
            if (video && usable) {
                return held;
            }
            reading = !video;
        }
        if (atStart) {
            // Sought by time, a file without an index may not even land on its first
            // pictures: its first bytes are where they are.
            held.clear();
            if ((input->iformat->flags & AVFMT_NO_BYTE_SEEK) || av_seek_frame(input, -1, 0, AVSEEK_FLAG_BYTE) < 0) {
                avformat_seek_file(input, -1, INT64_MIN, seekUs, seekUs, 0);
            }
            return held;
        }
    }
}

int findStream(const AVFormatContext* input, AVMediaType type) {
    for (unsigned i = 0; i < input->nb_streams; ++i) {
        const AVStream* stream = input->streams[i];
        if (stream->codecpar->codec_type == type && !(stream->disposition & AV_DISPOSITION_ATTACHED_PIC)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int findCoverStream(const AVFormatContext* input) {
    for (unsigned i = 0; i < input->nb_streams; ++i) {
        if (input->streams[i]->disposition & AV_DISPOSITION_ATTACHED_PIC) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool frameToBgra(const AVFrame* frame, SwsPtr& scaler, BgraImage& image) {
    if (!frame || frame->width <= 0 || frame->height <= 0) {
        return false;
    }
    if (frame->format == AV_PIX_FMT_BGRA) {
        image.width = frame->width;
        image.height = frame->height;
        image.pixels.resize(static_cast<size_t>(image.width) * image.height * 4);
        for (int y = 0; y < frame->height; ++y) {
            std::memcpy(image.pixels.data() + static_cast<size_t>(y) * image.width * 4,
                        frame->data[0] + static_cast<ptrdiff_t>(y) * frame->linesize[0],
                        static_cast<size_t>(image.width) * 4);
        }
        return true;
    }
    SwsContext* context =
        sws_getCachedContext(scaler.release(), frame->width, frame->height, static_cast<AVPixelFormat>(frame->format),
                             frame->width, frame->height, AV_PIX_FMT_BGRA, SWS_BILINEAR, nullptr, nullptr, nullptr);
    scaler.reset(context);
    if (!context) {
        return false;
    }
    image.width = frame->width;
    image.height = frame->height;
    // The scaler's vector code writes past the last row when a row is not a whole number
    // of its blocks (16 bytes past a 60 x 60 picture): the pixels get room for that, which
    // stays allocated but outside the picture.
    const size_t bytes = static_cast<size_t>(image.width) * image.height * 4;
    const size_t scalerSlack = 256;
    image.pixels.resize(bytes + scalerSlack);
    uint8_t* planes[4] = {image.pixels.data(), nullptr, nullptr, nullptr};
    int strides[4] = {image.width * 4, 0, 0, 0};
    sws_scale(context, frame->data, frame->linesize, 0, frame->height, planes, strides);
    image.pixels.resize(bytes);
    return true;
}

namespace {
void putLe16(uint8_t* at, uint16_t value) {
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
}
void putLe32(uint8_t* at, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        at[i] = static_cast<uint8_t>(value >> (8 * i));
    }
}
} // namespace

uint8_t* encodeBmp(const BgraImage& image, uint32_t* sizeOut) {
    if (image.empty()) {
        return nullptr;
    }
    const uint32_t rowBytes = (static_cast<uint32_t>(image.width) * 3 + 3) & ~3u;
    const uint32_t dataBytes = rowBytes * static_cast<uint32_t>(image.height);
    const uint32_t total = 54 + dataBytes;
    auto* block = static_cast<uint8_t*>(std::calloc(total, 1));
    if (!block) {
        return nullptr;
    }
    block[0] = 'B';
    block[1] = 'M';
    putLe32(block + 2, total);
    putLe32(block + 10, 54);
    putLe32(block + 14, 40);
    putLe32(block + 18, static_cast<uint32_t>(image.width));
    putLe32(block + 22, static_cast<uint32_t>(image.height));
    putLe16(block + 26, 1);
    putLe16(block + 28, 24);
    putLe32(block + 34, dataBytes);
    putLe32(block + 38, 2835);
    putLe32(block + 42, 2835);
    for (int y = 0; y < image.height; ++y) {
        const uint8_t* source = image.pixels.data() + static_cast<size_t>(y) * image.width * 4;
        uint8_t* target = block + 54 + static_cast<size_t>(image.height - 1 - y) * rowBytes;
        for (int x = 0; x < image.width; ++x) {
            target[x * 3 + 0] = source[x * 4 + 0];
            target[x * 3 + 1] = source[x * 4 + 1];
            target[x * 3 + 2] = source[x * 4 + 2];
        }
    }
    if (sizeOut) {
        *sizeOut = total;
    }
    return block;
}

std::string errorText(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

} // namespace calvorine::codec::av
