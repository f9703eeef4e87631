#include "video_pipeline.h"

#include "codec_table.h"
#include "colour_convert.h"
#include "frame.h"
#include "library_settings.h"
#include "muxer_output.h"
#include "pipeline_thread.h"

extern "C" {
#include <libavutil/imgutils.h>
#include <libavutil/pixdesc.h>
}

#include <algorithm>
#include <cmath>
#include <cstring>

namespace calvorine::codec {

namespace {

const char* const kPresetNames[] = {"ultrafast", "superfast", "veryfast", "faster",  "fast",
                                    "medium",    "slow",      "slower",   "veryslow"};

// Recordings encode faster than real time on ordinary machines at this speed.
constexpr int kDefaultPreset = 2;

const char* presetName(int preset) {
    if (preset < 0 || preset > 8)
        preset = kDefaultPreset;
    return kPresetNames[preset];
}

AVPixelFormat choosePixelFormat(const AVCodec* codec) {
    // 4:2:0 plays everywhere; libx264 would pick 4:4:4 for RGB input by itself.
    return preferredFormat(codec->pix_fmts, AV_PIX_FMT_NONE, AV_PIX_FMT_YUV420P);
}

// Copies a pushed picture into a tightly packed one: one copy per plane when the rows
// already lie back to back (the pushed lines are no longer than the packed ones), row
// by row otherwise.
void copyPicture(const FrameObject& frame, uint8_t* planes[4], int lineSizes[4], AVPixelFormat format) {
    const int planeCount = av_pix_fmt_count_planes(format);
    ptrdiff_t packedLines[4] = {};
    bool packedRows = true;
    for (int i = 0; i < planeCount; ++i) {
        packedLines[i] = lineSizes[i];
        packedRows = packedRows && frame.bytesPerLine[i] == lineSizes[i];
    }
    size_t planeSizes[4] = {};
    if (packedRows && av_image_fill_plane_sizes(planeSizes, format, frame.height, packedLines) >= 0) {
        for (int i = 0; i < planeCount; ++i)
            std::memcpy(planes[i], frame.planes[i], planeSizes[i]);
        return;
    }
    const uint8_t* sources[4] = {frame.planes[0], frame.planes[1], frame.planes[2], frame.planes[3]};
    av_image_copy(planes, lineSizes, sources, frame.bytesPerLine, format, frame.width, frame.height);
}

int clampInt(double value, int low, int high) {
    return std::max(low, std::min(high, int(std::lround(value))));
}

} // namespace

VideoPipeline::~VideoPipeline() {
    finish(0);
    sws_freeContext(m_scaler);
}

bool VideoPipeline::setUpRateControl(const StreamSettings& settings, const char* encoderName, libav::Options& options) {
    const bool byQuality = settings.videoQuality >= 0;
    const int quality = std::min(100, settings.videoQuality);
    const std::string name = encoderName;
    if (name == "libx264" || name == "libx265") {
        options.set("preset", presetName(settings.speedPreset));
        // No look-ahead beyond what the encoder's threads need: a killed recording then
        // loses only the last fragment, not the encoder's backlog too.
        options.set("tune", "zerolatency");
        if (name == "libx264") {
            if (settings.profile == 66)
                options.set("profile", "baseline");
            else if (settings.profile == 77)
                options.set("profile", "main");
            else if (settings.profile == 100)
                options.set("profile", "high");
        } else {
            options.set("x265-params", "log-level=error");
            if (settings.profile == 1)
                options.set("profile", "main");
        }
        if (byQuality)
            options.set("crf", int64_t(clampInt(40.0 - quality * 0.25, 0, 51)));
        else if (settings.videoBitRate > 0)
            m_encoder->bit_rate = settings.videoBitRate;
        return true;
    }
    if (name == "libvpx" || name == "libvpx-vp9") {
        options.set("deadline", "realtime");
        options.set("cpu-used", int64_t(8));
        options.set("lag-in-frames", int64_t(0));
        if (byQuality) {
            options.set("crf", int64_t(clampInt(50.0 - quality * 0.35, 4, 63)));
            m_encoder->bit_rate = name == "libvpx" ? 8000000 : 0;
        } else if (settings.videoBitRate > 0) {
            m_encoder->bit_rate = settings.videoBitRate;
        }
        return true;
    }
    if (byQuality) {
        m_encoder->flags |= AV_CODEC_FLAG_QSCALE;
        m_encoder->global_quality = FF_QP2LAMBDA * clampInt(31.0 - quality * 0.29, 2, 31);
    } else if (settings.videoBitRate > 0) {
        m_encoder->bit_rate = settings.videoBitRate;
    }
    return true;
}

bool VideoPipeline::configure(const StreamSettings& settings, MuxerOutput& output) {
    const CodecEntry* entry = findCodec(settings.videoCodecId);
    if (!entry || !isVideoCodecId(settings.videoCodecId))
        return false;
    const AVCodec* codec = findEncoder(*entry);
    if (!codec || settings.width <= 0 || settings.height <= 0 || settings.width > 16384 || settings.height > 16384)
        return false;
    if (settings.frameRateNumerator > 0 && settings.frameRateDenominator > 0)
        m_frameRate = AVRational{settings.frameRateNumerator, settings.frameRateDenominator};
    av_reduce(&m_frameRate.num, &m_frameRate.den, m_frameRate.num, m_frameRate.den, 1 << 30);

    m_encoder.reset(avcodec_alloc_context3(codec));
    m_picture = libav::makeFrame();
    m_packet = libav::makePacket();
    if (!m_encoder || !m_picture || !m_packet)
        return false;
    const AVPixelFormat format = choosePixelFormat(codec);
    m_padEven = format == AV_PIX_FMT_YUV420P || format == AV_PIX_FMT_YUVJ420P;
    m_outWidth = settings.width;
    m_outHeight = settings.height;
    m_encoder->width = m_padEven ? (settings.width + 1) & ~1 : settings.width;
    m_encoder->height = m_padEven ? (settings.height + 1) & ~1 : settings.height;
    m_encoder->pix_fmt = format;
    m_encoder->time_base = av_inv_q(m_frameRate);
    m_encoder->framerate = m_frameRate;
    m_encoder->sample_aspect_ratio = AVRational{1, 1};
    // A key frame every second: fragments are cut there.
    m_encoder->gop_size = std::max(1, int(std::lround(av_q2d(m_frameRate))));
    m_encoder->max_b_frames = 0;
    m_encoder->thread_count = encoderThreadCount();
    if (output.wantsGlobalHeader())
        m_encoder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;

    libav::Options options;
    setUpRateControl(settings, codec->name, options);
    if (avcodec_open2(m_encoder.get(), codec, options.pointer()) < 0)
        return false;

    m_picture->format = format;
    m_picture->width = m_encoder->width;
    m_picture->height = m_encoder->height;
    if (av_frame_get_buffer(m_picture.get(), 0) < 0)
        return false;
    // Screen pictures at the output size are converted as they are pushed, straight
    // from the caller's memory: the queue holds them in the encoder's format, and the
    // screen's pixels are read once.
    m_convertOnPush = format == AV_PIX_FMT_YUV420P;
    // Pictures usually arrive at the output size: have a few buffers ready (and their
    // pages mapped), so that a push only copies.
    const int expected =
        av_image_get_buffer_size(m_convertOnPush ? AV_PIX_FMT_YUV420P : AV_PIX_FMT_BGR0, m_outWidth, m_outHeight, 1);
    m_expectedPictureBytes = expected > 0 ? size_t(expected) : 0;
    for (size_t i = 0; i < kPreparedBuffers && m_expectedPictureBytes > 0; ++i)
        m_spareBuffers.push_back(makeBuffer(m_expectedPictureBytes, Pages::Mapped));
    m_stream = output.addStream(m_encoder.get(), entry->aviTag);
    m_output = &output;
    return m_stream != nullptr;
}

VideoPipeline::PictureBuffer VideoPipeline::makeBuffer(size_t size, Pages pages) {
    PictureBuffer buffer;
    buffer.bytes.reset(new uint8_t[size]);
    buffer.capacity = size;
    if (pages == Pages::Mapped)
        std::memset(buffer.bytes.get(), 0, size); // fault the pages in now, not in a push
    return buffer;
}

void VideoPipeline::keepBuffer(PictureBuffer buffer) {
    if (buffer.bytes && m_spareBuffers.size() < kPoolLimit)
        m_spareBuffers.push_back(std::move(buffer));
}

void VideoPipeline::topUpSpareBuffers() {
    {
        std::lock_guard<std::mutex> guard(m_lock);
        // The picture about to be encoded holds a buffer too.
        if (m_finishing || m_expectedPictureBytes == 0 || m_spareBuffers.size() >= kSpareLowMark ||
            m_spareBuffers.size() + m_queue.size() + 1 >= kPoolLimit)
            return;
    }
    PictureBuffer buffer = makeBuffer(m_expectedPictureBytes, Pages::Mapped);
    std::lock_guard<std::mutex> guard(m_lock);
    keepBuffer(std::move(buffer));
}

void VideoPipeline::start() {
    m_thread = std::thread([this] { run(); });
}

bool VideoPipeline::push(const FrameObject& frame, int64_t outputUs) {
    const AVPixelFormat format = pixelFormatFromCode(frame.pixelFormat);
    if (format == AV_PIX_FMT_NONE || frame.width <= 0 || frame.height <= 0)
        return false;
    int minimumLines[4] = {};
    if (av_image_fill_linesizes(minimumLines, format, frame.width) < 0)
        return false;
    const int planes = av_pix_fmt_count_planes(format);
    for (int i = 0; i < planes; ++i) {
        if (!frame.planes[i] || frame.bytesPerLine[i] < minimumLines[i])
            return false;
    }
    const bool convertNow = m_convertOnPush && (format == AV_PIX_FMT_BGR0 || format == AV_PIX_FMT_BGRA) &&
                            frame.width == m_outWidth && frame.height == m_outHeight;
    const AVPixelFormat stored = convertNow ? AV_PIX_FMT_YUV420P : format;
    const int size = av_image_get_buffer_size(stored, frame.width, frame.height, 1);
    if (size <= 0)
        return false;

    Picture picture;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        if (m_finishing || !m_thread.joinable())
            return false;
        if (m_queue.size() >= kQueueCapacity) {
            ++m_dropped;
            return false;
        }
        if (!m_spareBuffers.empty()) {
            picture.buffer = std::move(m_spareBuffers.back());
            m_spareBuffers.pop_back();
        }
    }
    // The copy runs outside the lock: the encoder thread and the other callers go on.
    // Only a picture of another size than the output's (or a pool drained by several
    // callers at once) needs a new buffer here.
    if (picture.buffer.capacity < size_t(size))
        picture.buffer = makeBuffer(size_t(size), Pages::Unmapped);
    picture.outputUs = outputUs;
    picture.format = stored;
    picture.width = frame.width;
    picture.height = frame.height;
    av_image_fill_arrays(picture.planes, picture.lineSizes, picture.buffer.bytes.get(), stored, frame.width,
                         frame.height, 1);
    if (!convertNow)
        copyPicture(frame, picture.planes, picture.lineSizes, format);
    else if (!convertBgraToYuv420(frame.planes[0], frame.bytesPerLine[0], frame.width, frame.height, picture.planes,
                                  picture.lineSizes)) {
        std::lock_guard<std::mutex> guard(m_lock);
        keepBuffer(std::move(picture.buffer));
        return false;
    }
    {
        std::lock_guard<std::mutex> guard(m_lock);
        const bool queueFull = m_queue.size() >= kQueueCapacity;
        if (m_finishing || queueFull) {
            if (queueFull && !m_finishing)
                ++m_dropped;
            keepBuffer(std::move(picture.buffer));
            return false;
        }
        m_queue.push_back(std::move(picture));
    }
    m_wake.notify_one();
    return true;
}

void VideoPipeline::run() {
    for (;;) {
        Picture picture;
        {
            std::unique_lock<std::mutex> guard(m_lock);
            m_wake.wait(guard, [this] { return !m_queue.empty() || m_finishing; });
            if (m_queue.empty())
                return;
            picture = std::move(m_queue.front());
            m_queue.pop_front();
        }
        // Before the encoding, so that the callers find a buffer while it runs.
        topUpSpareBuffers();
        encodePicture(picture);
        std::lock_guard<std::mutex> guard(m_lock);
        keepBuffer(std::move(picture.buffer));
    }
}

bool VideoPipeline::convert(Picture& picture) {
    if (av_frame_make_writable(m_picture.get()) < 0)
        return false;
    if (picture.format == m_encoder->pix_fmt && picture.width == m_outWidth && picture.height == m_outHeight) {
        // Already in the encoder's format (converted when it was pushed).
        const uint8_t* sources[4] = {picture.planes[0], picture.planes[1], picture.planes[2], picture.planes[3]};
        av_image_copy(m_picture->data, m_picture->linesize, sources, picture.lineSizes, picture.format, picture.width,
                      picture.height);
        padToEven();
        return true;
    }
    m_scaler = sws_getCachedContext(m_scaler, picture.width, picture.height, picture.format, m_outWidth, m_outHeight,
                                    m_encoder->pix_fmt, SWS_BICUBIC, nullptr, nullptr, nullptr);
    if (!m_scaler)
        return false;
    sws_scale(m_scaler, picture.planes, picture.lineSizes, 0, picture.height, m_picture->data, m_picture->linesize);
    padToEven();
    return true;
}

void VideoPipeline::padToEven() {
    if (!m_padEven)
        return;
    // Repeat the last column and row into the padding so the edge does not bleed a
    // stripe of another colour when scaled by a player.
    uint8_t* luma = m_picture->data[0];
    const int stride = m_picture->linesize[0];
    if (m_outWidth < m_encoder->width) {
        for (int y = 0; y < m_outHeight; ++y)
            luma[y * stride + m_outWidth] = luma[y * stride + m_outWidth - 1];
    }
    if (m_outHeight < m_encoder->height)
        std::memcpy(luma + m_outHeight * stride, luma + (m_outHeight - 1) * stride, size_t(m_encoder->width));
}

void VideoPipeline::encodePicture(Picture& picture) {
    // Place the picture on the constant frame-rate grid of the output.
    const int64_t index = av_rescale_q_rnd(picture.outputUs, AVRational{1, 1000000}, av_inv_q(m_frameRate),
                                           AVRounding(AV_ROUND_NEAR_INF | AV_ROUND_PASS_MINMAX));
    if (m_hasPicture && index < m_nextIndex)
        return; // a second picture for a slot already filled
    if (m_hasPicture) {
        // The screen did not change in between: repeat the last picture.
        for (; m_nextIndex < index; ++m_nextIndex) {
            m_picture->pts = m_nextIndex;
            send(m_picture.get());
        }
    }
    if (!convert(picture))
        return;
    m_hasPicture = true;
    // The first picture also fills the slots since the start, so that picture and
    // sound begin together.
    for (; m_nextIndex <= index; ++m_nextIndex) {
        m_picture->pts = m_nextIndex;
        send(m_picture.get());
    }
}

void VideoPipeline::send(AVFrame* frame) {
    encodeAndWrite(m_encoder.get(), frame, m_packet.get(), *m_output, m_stream);
}

void VideoPipeline::finish(int64_t endUs) {
    if (!endPipelineThread(m_lock, m_wake, m_finishing, m_thread))
        return;
    if (!m_encoder)
        return;
    if (m_hasPicture) {
        // Hold the last picture until the recording's end.
        const int64_t endIndex = av_rescale_q_rnd(endUs, AVRational{1, 1000000}, av_inv_q(m_frameRate),
                                                  AVRounding(AV_ROUND_DOWN | AV_ROUND_PASS_MINMAX));
        for (; m_nextIndex < endIndex; ++m_nextIndex) {
            m_picture->pts = m_nextIndex;
            send(m_picture.get());
        }
    }
    send(nullptr);
}

uint64_t VideoPipeline::dropped() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_dropped;
}

size_t VideoPipeline::queued() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return m_queue.size();
}

} // namespace calvorine::codec
