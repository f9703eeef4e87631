#include "video_pipeline.h"

#include "codec_table.h"
#include "colour_convert.h"
#include "frame.h"
#include "library_settings.h"
#include "muxer_output.h"
#include "pipeline_thread.h"
#include "platform/system/clock.h"

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
    m_slotUs = std::max<int64_t>(1, av_rescale(1'000'000, m_frameRate.den, m_frameRate.num));
    m_minimumEncodeUs = std::max(0, settings.minimumEncodeUs);

    m_encoder.reset(avcodec_alloc_context3(codec));
    m_packet = libav::makePacket();
    if (!m_encoder || !m_packet)
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

    m_encoderFrames = std::make_unique<FramePool>(format, m_encoder->width, m_encoder->height);
    if (!m_encoderFrames->valid())
        return false;
    // Screen pictures at the output size are converted as they are pushed, straight
    // from the caller's memory into the frame the encoder is handed: the screen's
    // pixels are read once and the converted picture is never copied.
    m_convertOnPush = format == AV_PIX_FMT_YUV420P;
    // Pictures usually arrive at the output size: have a few frames ready (and their
    // pages mapped).
    libav::FramePtr prepared[kPreparedBuffers];
    for (libav::FramePtr& frame : prepared) {
        frame = m_encoderFrames->get();
        if (!frame)
            return false;
    }
    m_stream = output.addStream(m_encoder.get(), entry->aviTag);
    m_output = &output;
    return m_stream != nullptr;
}

FramePool* VideoPipeline::copyPool(AVPixelFormat format, int width, int height) {
    if (!m_copyFrames || !m_copyFrames->matches(format, width, height)) {
        // Pictures of the old pool still queued keep their buffers until encoded.
        if (m_copyFrames)
            m_retiredBuffers += m_copyFrames->made();
        m_copyFrames = std::make_unique<FramePool>(format, width, height);
    }
    return m_copyFrames.get();
}

void VideoPipeline::topUpSpareBuffers() {
    // Taking spare frames out at once makes the pool hold that many free afterwards:
    // it makes new ones only for what it lacks.
    libav::FramePtr spares[kSpareLowMark];
    for (libav::FramePtr& frame : spares)
        frame = m_encoderFrames->get();
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
    if (av_image_get_buffer_size(format, frame.width, frame.height, 1) <= 0)
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
        if (!convertNow) {
            FramePool* pool = copyPool(format, frame.width, frame.height);
            picture.frame = pool->get();
        }
    }
    // The copy or conversion runs outside the lock: the encoder thread and the other
    // callers go on.
    if (convertNow) {
        picture.frame = m_encoderFrames->get();
        if (!picture.frame || !convertBgraToYuv420(frame.planes[0], frame.bytesPerLine[0], frame.width, frame.height,
                                                   picture.frame->data, picture.frame->linesize))
            return false;
    } else {
        if (!picture.frame)
            return false;
        const uint8_t* sources[4] = {frame.planes[0], frame.planes[1], frame.planes[2], frame.planes[3]};
        av_image_copy(picture.frame->data, picture.frame->linesize, sources, frame.bytesPerLine, format, frame.width,
                      frame.height);
    }
    picture.outputUs = outputUs;
    picture.converted = convertNow;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        const bool queueFull = m_queue.size() >= kQueueCapacity;
        if (m_finishing || queueFull) {
            if (queueFull && !m_finishing)
                ++m_dropped;
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
    }
}

libav::FramePtr VideoPipeline::convert(Picture& picture) {
    libav::FramePtr frame = std::move(picture.frame);
    // A copy in the encoder's format and size, with no padding to add, is encoded as it
    // is.
    const bool usable = picture.converted || (frame->format == m_encoder->pix_fmt && frame->width == m_outWidth &&
                                              frame->height == m_outHeight && m_outWidth == m_encoder->width &&
                                              m_outHeight == m_encoder->height);
    if (!usable) {
        libav::FramePtr converted = m_encoderFrames->get();
        if (!converted)
            return {};
        m_scaler = sws_getCachedContext(m_scaler, frame->width, frame->height, AVPixelFormat(frame->format), m_outWidth,
                                        m_outHeight, m_encoder->pix_fmt, SWS_BICUBIC, nullptr, nullptr, nullptr);
        if (!m_scaler)
            return {};
        sws_scale(m_scaler, frame->data, frame->linesize, 0, frame->height, converted->data, converted->linesize);
        frame = std::move(converted);
    }
    padToEven(frame.get());
    return frame;
}

void VideoPipeline::padToEven(AVFrame* frame) const {
    if (!m_padEven)
        return;
    // Repeat the last column and row into the padding so the edge does not bleed a
    // stripe of another colour when scaled by a player.
    uint8_t* luma = frame->data[0];
    const int stride = frame->linesize[0];
    if (m_outWidth < m_encoder->width) {
        for (int y = 0; y < m_outHeight; ++y)
            luma[y * stride + m_outWidth] = luma[y * stride + m_outWidth - 1];
    }
    if (m_outHeight < m_encoder->height)
        std::memcpy(luma + m_outHeight * stride, luma + (m_outHeight - 1) * stride, size_t(m_encoder->width));
}

bool VideoPipeline::repeatsAffordable() const {
    // Half a slot leaves room for the repeat beside the next new picture.
    return m_encodeUs.load() * 2 <= m_slotUs;
}

void VideoPipeline::encodePicture(Picture& picture) {
    // Place the picture on the constant frame-rate grid of the output.
    const int64_t index = av_rescale_q_rnd(picture.outputUs, AVRational{1, 1000000}, av_inv_q(m_frameRate),
                                           AVRounding(AV_ROUND_NEAR_INF | AV_ROUND_PASS_MINMAX));
    const bool first = !m_picture;
    if (!first && index < m_nextIndex)
        return; // a second picture for a slot already filled
    if (!first && repeatsAffordable()) {
        // The screen did not change in between: repeat the last picture.
        for (; m_nextIndex < index; ++m_nextIndex) {
            m_picture->pts = m_nextIndex;
            send(m_picture.get());
        }
    }
    const int64_t startUs = calvorine::platform::monotonicMicroseconds();
    libav::FramePtr converted = convert(picture);
    if (!converted)
        return;
    // The picture before goes back to its pool once the encoder has let go of it.
    m_picture = std::move(converted);
    // The first picture also fills the slots since the start, so that picture and
    // sound begin together; later ones take their own slot (the slots skipped before
    // it, if any, are left out: the picture before lasts until this one).
    if (!first)
        m_nextIndex = std::max(m_nextIndex, index);
    for (; m_nextIndex <= index; ++m_nextIndex) {
        m_picture->pts = m_nextIndex;
        send(m_picture.get());
    }
    if (first)
        return; // it filled the slots since the start: no measure of one picture
    // Smoothed over about eight pictures: one slow picture does not change the course.
    const int64_t took = calvorine::platform::monotonicMicroseconds() - startUs;
    const int64_t before = m_encodeUs.load();
    m_encodeUs.store(before == 0 ? took : before + (took - before) / 8);
}

void VideoPipeline::send(AVFrame* frame) {
    const int64_t startUs = calvorine::platform::monotonicMicroseconds();
    encodeAndWrite(m_encoder.get(), frame, m_packet.get(), *m_output, m_stream);
    if (frame && m_minimumEncodeUs > 0)
        calvorine::platform::sleepForMicroseconds(m_minimumEncodeUs -
                                                  (calvorine::platform::monotonicMicroseconds() - startUs));
}

void VideoPipeline::finish(int64_t endUs) {
    if (!endPipelineThread(m_lock, m_wake, m_finishing, m_thread))
        return;
    if (!m_encoder)
        return;
    if (m_picture) {
        // Hold the last picture until the recording's end: repeated in every slot, or,
        // for an encoder without the time, once in the last (it lasts to the end).
        const int64_t endIndex = av_rescale_q_rnd(endUs, AVRational{1, 1000000}, av_inv_q(m_frameRate),
                                                  AVRounding(AV_ROUND_DOWN | AV_ROUND_PASS_MINMAX));
        if (!repeatsAffordable())
            m_nextIndex = std::max(m_nextIndex, endIndex - 1);
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

int64_t VideoPipeline::backlogUs() const {
    return int64_t(queued()) * m_encodeUs.load();
}

size_t VideoPipeline::buffersMade() const {
    std::lock_guard<std::mutex> guard(m_lock);
    return (m_encoderFrames ? m_encoderFrames->made() : 0) + m_retiredBuffers +
           (m_copyFrames ? m_copyFrames->made() : 0);
}

} // namespace calvorine::codec
