#include "playback_av.h"

extern "C" {
#include <libavutil/imgutils.h>
}

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
    image.pixels.resize(static_cast<size_t>(image.width) * image.height * 4);
    uint8_t* planes[4] = {image.pixels.data(), nullptr, nullptr, nullptr};
    int strides[4] = {image.width * 4, 0, 0, 0};
    sws_scale(context, frame->data, frame->linesize, 0, frame->height, planes, strides);
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
