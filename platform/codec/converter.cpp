#include "converter.h"

#include <chrono>

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
}

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <deque>
#include <functional>
#include <memory>
#include <system_error>

namespace calvorine::codec {

namespace {

int64_t nowMicroseconds() {
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

bool muxerTakesCoverPicture(const AVOutputFormat* format) {
    static const char* const names[] = {"mp3", "mp4", "ipod", "mov", "flac"};
    for (const char* name : names) {
        if (std::strcmp(format->name, name) == 0) {
            return true;
        }
    }
    return false;
}

AVCodecID imageCodecOf(const std::vector<uint8_t>& bytes) {
    if (bytes.size() > 8 && bytes[0] == 0x89 && bytes[1] == 'P' && bytes[2] == 'N' && bytes[3] == 'G') {
        return AV_CODEC_ID_PNG;
    }
    if (bytes.size() > 3 && bytes[0] == 0xff && bytes[1] == 0xd8) {
        return AV_CODEC_ID_MJPEG;
    }
    if (bytes.size() > 2 && bytes[0] == 'B' && bytes[1] == 'M') {
        return AV_CODEC_ID_BMP;
    }
    return AV_CODEC_ID_NONE;
}

// The picture size of an image file's bytes, by decoding it; false when it does not decode.
bool imageSize(const std::vector<uint8_t>& bytes, AVCodecID codecId, int* width, int* height) {
    const AVCodec* codec = avcodec_find_decoder(codecId);
    av::CodecContextPtr decoder(codec ? avcodec_alloc_context3(codec) : nullptr);
    if (!decoder || avcodec_open2(decoder.get(), codec, nullptr) < 0) {
        return false;
    }
    av::PacketPtr packet = av::makePacket();
    av::FramePtr frame = av::makeFrame();
    if (av_new_packet(packet.get(), static_cast<int>(bytes.size())) < 0) {
        return false;
    }
    std::memcpy(packet->data, bytes.data(), bytes.size());
    if (avcodec_send_packet(decoder.get(), packet.get()) < 0) {
        return false;
    }
    avcodec_send_packet(decoder.get(), nullptr);
    if (avcodec_receive_frame(decoder.get(), frame.get()) < 0) {
        return false;
    }
    *width = frame->width;
    *height = frame->height;
    return *width > 0 && *height > 0;
}

int closestSampleRate(const AVCodec* codec, int wanted) {
    if (!codec->supported_samplerates) {
        return wanted;
    }
    int best = codec->supported_samplerates[0];
    for (const int* rate = codec->supported_samplerates; *rate; ++rate) {
        if (std::abs(*rate - wanted) < std::abs(best - wanted)) {
            best = *rate;
        }
    }
    return best;
}

// Chapters are owned by the output context from here on (avformat_free_context frees them).
bool addChapters(AVFormatContext* output, const std::vector<ConversionChapter>& chapters) {
    for (size_t i = 0; i < chapters.size(); ++i) {
        const ConversionChapter& chapter = chapters[i];
        if (chapter.durationUs <= 0) {
            continue;
        }
        auto* added = static_cast<AVChapter*>(av_mallocz(sizeof(AVChapter)));
        if (!added) {
            return false;
        }
        if (av_dynarray_add_nofree(&output->chapters, reinterpret_cast<int*>(&output->nb_chapters), added) < 0) {
            av_free(added);
            return false;
        }
        added->id = static_cast<int64_t>(i + 1);
        added->time_base = AVRational{1, 1000000};
        added->start = chapter.startUs;
        added->end = chapter.startUs + chapter.durationUs;
        if (!chapter.title.empty()) {
            av_dict_set(&added->metadata, "title", chapter.title.c_str(), 0);
        }
    }
    return true;
}

// The source's codec when the format stores it and an encoder for it exists, else the
// format's default codec (NONE when it has none).
AVCodecID codecForOutput(const AVOutputFormat* format, AVCodecID source, AVCodecID formatDefault) {
    if (source != AV_CODEC_ID_NONE && avformat_query_codec(format, source, FF_COMPLIANCE_NORMAL) == 1 &&
        avcodec_find_encoder(source) != nullptr) {
        return source;
    }
    return formatDefault;
}

} // namespace

struct Converter::Impl {
    ConversionSettings settings;
    std::string sourcePath;
    av::InputPtr input;
    int videoIndex = -1;
    int audioIndex = -1;
    // Where the source's timeline begins (an MPEG-TS file often starts past 0): the trim
    // window is counted from here, and the output starts at 0.
    int64_t sourceStartUs = 0;
    av::CodecContextPtr videoDecoder;
    av::CodecContextPtr audioDecoder;

    libav::OutputContextPtr output;
    av::CodecContextPtr videoEncoder;
    av::CodecContextPtr audioEncoder;
    AVStream* videoStream = nullptr;
    AVStream* audioStream = nullptr;
    AVStream* coverStream = nullptr;
    FilterGraph videoGraph;
    FilterGraph audioGraph;
    std::string videoChain;
    AVRational frameRate{0, 1};
    bool videoDone = false;
    bool audioDone = false;
    std::vector<int> copyMap; // source stream -> output stream, -1 = left out
};

Converter::~Converter() {
    stop();
    close();
}

uint64_t Converter::durationUs() const {
    auto [start, length] = range();
    if (length <= 0) {
        length = m_sourceDurationUs - start;
    }
    return static_cast<uint64_t>(std::max<int64_t>(1, length));
}

bool Converter::open(const char* source, const char* destination, const char* muxer,
                     const ConversionSettings& settings) {
    close();
    if (!source || !destination || !*destination) {
        return false;
    }
    auto impl = std::make_unique<Impl>();
    impl->settings = settings;
    impl->sourcePath = source;
    impl->input = av::openInput(source, &m_openInterrupted);
    if (!impl->input) {
        return false;
    }
    AVFormatContext* input = impl->input.get();
    AVFormatContext* output = nullptr;
    if (avformat_alloc_output_context2(&output, nullptr, (muxer && *muxer) ? muxer : nullptr, destination) < 0 ||
        !output) {
        return false;
    }
    impl->output.reset(output);

    if (settings.copyStreams) {
        for (unsigned i = 0; i < input->nb_streams; ++i) {
            const AVStream* source = input->streams[i];
            const AVMediaType type = source->codecpar->codec_type;
            if ((type != AVMEDIA_TYPE_VIDEO && type != AVMEDIA_TYPE_AUDIO && type != AVMEDIA_TYPE_SUBTITLE) ||
                (source->disposition & AV_DISPOSITION_ATTACHED_PIC) ||
                avformat_query_codec(output->oformat, source->codecpar->codec_id, FF_COMPLIANCE_NORMAL) != 1) {
                continue;
            }
            AVStream* copy = avformat_new_stream(output, nullptr);
            if (!copy || avcodec_parameters_copy(copy->codecpar, source->codecpar) < 0) {
                return false;
            }
            copy->codecpar->codec_tag = 0;
            copy->time_base = source->time_base;
            copy->disposition = source->disposition;
            impl->copyMap.resize(input->nb_streams, -1);
            impl->copyMap[i] = copy->index;
        }
        if (impl->copyMap.empty()) {
            return false;
        }
    }

    // Video.
    const int videoIndex = av::findStream(input, AVMEDIA_TYPE_VIDEO);
    AVCodecID videoCodec = settings.videoCodec;
    if (settings.videoCodecFromSource && videoIndex >= 0) {
        videoCodec = codecForOutput(output->oformat, input->streams[videoIndex]->codecpar->codec_id,
                                    output->oformat->video_codec);
    }
    if (videoCodec == AV_CODEC_ID_NONE && !settings.videoEncoderName.empty()) {
        videoCodec = AV_CODEC_ID_H264;
    }
    if (!settings.copyStreams && videoIndex >= 0 && videoCodec != AV_CODEC_ID_NONE &&
        output->oformat->video_codec != AV_CODEC_ID_NONE) {
        const AVStream* stream = input->streams[videoIndex];
        const AVCodec* encoder = settings.videoEncoderName.empty()
                                     ? avcodec_find_encoder(videoCodec)
                                     : avcodec_find_encoder_by_name(settings.videoEncoderName.c_str());
        impl->videoDecoder = av::openDecoder(stream);
        if (!encoder || !impl->videoDecoder) {
            return false;
        }
        int width = 0;
        int height = 0;
        editedPictureSize(settings.video, stream->codecpar->width, stream->codecpar->height, &width, &height);
        if (settings.width > 0 && settings.height > 0) {
            width = settings.width;
            height = settings.height;
        }
        width = std::max(2, width & ~1);
        height = std::max(2, height & ~1);
        AVRational rate{settings.frameRateNum, std::max(1, settings.frameRateDen)};
        if (rate.num <= 0) {
            rate = av_guess_frame_rate(input, const_cast<AVStream*>(stream), nullptr);
        }
        if (rate.num <= 0 || rate.den <= 0) {
            rate = AVRational{25, 1};
        }
        impl->frameRate = rate;
        impl->videoEncoder.reset(avcodec_alloc_context3(encoder));
        AVCodecContext* enc = impl->videoEncoder.get();
        enc->width = width;
        enc->height = height;
        enc->time_base = av_inv_q(rate);
        enc->framerate = rate;
        enc->sample_aspect_ratio = AVRational{1, 1};
        enc->pix_fmt = AV_PIX_FMT_YUV420P;
        if (encoder->pix_fmts) {
            enc->pix_fmt = encoder->pix_fmts[0];
            for (const AVPixelFormat* f = encoder->pix_fmts; *f != AV_PIX_FMT_NONE; ++f) {
                if (*f == AV_PIX_FMT_YUV420P) {
                    enc->pix_fmt = *f;
                }
            }
        }
        if (settings.quality >= 0 && settings.videoBitRate <= 0) {
            if (av_opt_set_double(enc->priv_data, "crf", std::clamp(settings.quality, 0, 51), 0) < 0) {
                enc->flags |= AV_CODEC_FLAG_QSCALE;
                enc->global_quality = FF_QP2LAMBDA * std::clamp(settings.quality, 1, 31);
            }
        } else if (settings.videoBitRate > 0) {
            enc->bit_rate = settings.videoBitRate;
        }
        // An option the encoder refuses would give another file than the one asked for.
        if (!settings.videoPreset.empty() &&
            av_opt_set(enc->priv_data, "preset", settings.videoPreset.c_str(), 0) < 0) {
            std::fprintf(stderr, "calvorine_codec: the encoder refuses the preset %s\n", settings.videoPreset.c_str());
            return false;
        }
        if (!settings.videoProfile.empty() &&
            av_opt_set(enc->priv_data, "profile", settings.videoProfile.c_str(), 0) < 0) {
            std::fprintf(stderr, "calvorine_codec: the encoder refuses the profile %s\n",
                         settings.videoProfile.c_str());
            return false;
        }
        if (output->oformat->flags & AVFMT_GLOBALHEADER) {
            enc->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        }
        if (avcodec_open2(enc, encoder, nullptr) < 0) {
            return false;
        }
        impl->videoStream = avformat_new_stream(output, nullptr);
        if (!impl->videoStream || avcodec_parameters_from_context(impl->videoStream->codecpar, enc) < 0) {
            return false;
        }
        impl->videoStream->time_base = enc->time_base;
        impl->videoStream->avg_frame_rate = rate;
        impl->videoIndex = videoIndex;

        std::string chain =
            videoFilterChain(settings.video, stream->codecpar->width, stream->codecpar->height, impl->sourcePath);
        chain.erase(chain.size() - 5);
        int editedWidth = 0;
        int editedHeight = 0;
        editedPictureSize(settings.video, stream->codecpar->width, stream->codecpar->height, &editedWidth,
                          &editedHeight);
        if (editedWidth != width || editedHeight != height) {
            chain += ",scale=" + std::to_string(width) + ":" + std::to_string(height) + ",setsar=1";
        }
        // A constant frame rate at the encoder's rate: the speed change and variable-rate
        // sources otherwise give the encoder clashing timestamps.
        chain += ",fps=" + std::to_string(rate.num) + "/" + std::to_string(rate.den) + "[out]";
        impl->videoChain = chain;
    }

    // Audio.
    const int audioIndex = av::findStream(input, AVMEDIA_TYPE_AUDIO);
    AVCodecID audioCodec = settings.audioCodec;
    if (settings.audioCodecFromSource && audioIndex >= 0) {
        audioCodec = codecForOutput(output->oformat, input->streams[audioIndex]->codecpar->codec_id,
                                    output->oformat->audio_codec);
    }
    if (audioCodec == AV_CODEC_ID_NONE && !settings.audioEncoderName.empty()) {
        audioCodec = AV_CODEC_ID_AAC;
    }
    if (!settings.copyStreams && audioIndex >= 0 && audioCodec != AV_CODEC_ID_NONE &&
        output->oformat->audio_codec != AV_CODEC_ID_NONE) {
        const AVStream* stream = input->streams[audioIndex];
        const AVCodec* encoder = settings.audioEncoderName.empty()
                                     ? avcodec_find_encoder(audioCodec)
                                     : avcodec_find_encoder_by_name(settings.audioEncoderName.c_str());
        if (!encoder) {
            encoder = avcodec_find_encoder(audioCodec);
        }
        impl->audioDecoder = av::openDecoder(stream);
        if (!encoder || !impl->audioDecoder) {
            return false;
        }
        impl->audioEncoder.reset(avcodec_alloc_context3(encoder));
        AVCodecContext* enc = impl->audioEncoder.get();
        const int wantedRate = settings.sampleRate > 0 ? settings.sampleRate : stream->codecpar->sample_rate;
        enc->sample_rate = closestSampleRate(encoder, wantedRate > 0 ? wantedRate : 44100);
        const int channels =
            settings.channels > 0 ? settings.channels : std::clamp(stream->codecpar->ch_layout.nb_channels, 1, 2);
        av_channel_layout_default(&enc->ch_layout, channels);
        enc->sample_fmt = encoder->sample_fmts ? encoder->sample_fmts[0] : AV_SAMPLE_FMT_FLTP;
        enc->time_base = AVRational{1, enc->sample_rate};
        if (settings.audioBitRate > 0) {
            enc->bit_rate = settings.audioBitRate;
        }
        if (output->oformat->flags & AVFMT_GLOBALHEADER) {
            enc->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        }
        if (avcodec_open2(enc, encoder, nullptr) < 0) {
            return false;
        }
        impl->audioStream = avformat_new_stream(output, nullptr);
        if (!impl->audioStream || avcodec_parameters_from_context(impl->audioStream->codecpar, enc) < 0) {
            return false;
        }
        impl->audioStream->time_base = enc->time_base;
        impl->audioIndex = audioIndex;
    }
    if (!impl->videoStream && !impl->audioStream && impl->copyMap.empty()) {
        return false;
    }

    // Tags, cover and chapters travel in the container too; the audio-tag library may
    // rewrite them afterwards in the form the format's players know best.
    for (const auto& tag : settings.tags) {
        if (!tag.second.empty() && tag.first != "cover_image") {
            av_dict_set(&output->metadata, tag.first.c_str(), tag.second.c_str(), 0);
        }
    }
    const AVCodecID coverCodec = imageCodecOf(settings.cover);
    int coverWidth = 0;
    int coverHeight = 0;
    if (coverCodec != AV_CODEC_ID_NONE && muxerTakesCoverPicture(output->oformat) &&
        imageSize(settings.cover, coverCodec, &coverWidth, &coverHeight)) {
        impl->coverStream = avformat_new_stream(output, nullptr);
        if (impl->coverStream) {
            impl->coverStream->codecpar->width = coverWidth;
            impl->coverStream->codecpar->height = coverHeight;
            impl->coverStream->disposition = AV_DISPOSITION_ATTACHED_PIC;
            impl->coverStream->codecpar->codec_type = AVMEDIA_TYPE_VIDEO;
            impl->coverStream->codecpar->codec_id = coverCodec;
            impl->coverStream->time_base = AVRational{1, 90000};
        }
    }
    if (!addChapters(output, settings.chapters)) {
        return false;
    }
    m_sourceDurationUs = av::durationUs(input);
    impl->sourceStartUs = av::startOffsetUs(input);
    m_destination = destination;
    if (!(output->oformat->flags & AVFMT_NOFILE) && avio_open(&output->pb, destination, AVIO_FLAG_WRITE) < 0) {
        return false;
    }
    m_impl = impl.release();
    m_done = false;
    m_stopped = false;
    m_failed = false;
    m_stopRequested = false;
    m_positionUs = 0;
    return true;
}

void Converter::setRange(int64_t startUs, int64_t lengthUs) {
    std::lock_guard<std::mutex> lock(m_rangeLock);
    m_startUs = std::max<int64_t>(0, startUs);
    m_lengthUs = std::max<int64_t>(0, lengthUs);
}

std::pair<int64_t, int64_t> Converter::range() const {
    std::lock_guard<std::mutex> lock(m_rangeLock);
    return {m_startUs, m_lengthUs};
}

bool Converter::start() {
    if (!m_impl || m_thread.joinable()) {
        return false;
    }
    m_startedAtUs = nowMicroseconds();
    m_firstPacketDelayUs = 0;
    try {
        m_thread = std::thread([this] { work(); });
    } catch (const std::system_error&) {
        // No thread to be had: not started, so close() removes the opened output.
        return false;
    }
    return true;
}

bool Converter::stop() {
    if (!m_impl) {
        return false;
    }
    m_stopRequested = true;
    return true;
}

void Converter::close() {
    std::lock_guard<std::mutex> lock(m_closeMutex);
    const bool started = m_thread.joinable();
    if (started) {
        m_thread.join();
    }
    if (m_impl && !started) {
        // Opened but never started: the empty file the open created goes too.
        if (m_impl->output && m_impl->output->pb) {
            avio_closep(&m_impl->output->pb);
        }
        std::remove(m_destination.c_str());
    }
    delete m_impl;
    m_impl = nullptr;
}

namespace {

// Sends one frame (null drains) and writes whatever packets come out.
bool encodeAndWrite(AVCodecContext* encoder, AVFrame* frame, AVFormatContext* output, AVStream* stream,
                    AVPacket* packet, const std::function<void()>& onPacket) {
    int result = avcodec_send_frame(encoder, frame);
    if (result < 0 && result != AVERROR_EOF) {
        return false;
    }
    for (;;) {
        result = avcodec_receive_packet(encoder, packet);
        if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) {
            return true;
        }
        if (result < 0) {
            return false;
        }
        av_packet_rescale_ts(packet, encoder->time_base, stream->time_base);
        packet->stream_index = stream->index;
        onPacket();
        if (av_interleaved_write_frame(output, packet) < 0) {
            return false;
        }
    }
}

// True when a failed read means the end of the source rather than a read error.
bool endOfInput(const AVFormatContext* input, int result) {
    if (result != AVERROR_EOF) {
        return false;
    }
    return !(input->pb && input->pb->error < 0 && input->pb->error != AVERROR_EOF);
}

} // namespace

void Converter::work() {
    Impl& d = *m_impl;
    AVFormatContext* input = d.input.get();
    AVFormatContext* output = d.output.get();
    const auto [windowStart, windowLength] = range();
    const int64_t windowEnd = windowLength > 0 ? windowStart + windowLength : INT64_MAX;
    bool failed = false;
    bool headerWritten = false;
    int64_t lastVideoEndUs = 0;

    auto firstPacket = [this] {
        if (m_firstPacketDelayUs.load() == 0) {
            m_firstPacketDelayUs = std::max<int64_t>(1, nowMicroseconds() - m_startedAtUs);
        }
    };

    av::PacketPtr packet = av::makePacket();
    av::PacketPtr encoded = av::makePacket();
    av::FramePtr frame = av::makeFrame();
    av::FramePtr filtered = av::makeFrame();

    if (avformat_write_header(output, nullptr) < 0) {
        failed = true;
    } else {
        headerWritten = true;
    }
    if (!failed && d.coverStream) {
        const std::vector<uint8_t>& cover = d.settings.cover;
        if (av_new_packet(packet.get(), static_cast<int>(cover.size())) == 0) {
            std::memcpy(packet->data, cover.data(), cover.size());
            packet->stream_index = d.coverStream->index;
            packet->flags |= AV_PKT_FLAG_KEY;
            failed = av_interleaved_write_frame(output, packet.get()) < 0;
        } else {
            failed = true;
        }
        av_packet_unref(packet.get());
    }
    std::deque<av::PacketPtr> heldBack;
    if (!failed && windowStart > 0) {
        const int videoIndex = d.videoIndex >= 0 ? d.videoIndex : av::findStream(input, AVMEDIA_TYPE_VIDEO);
        heldBack = av::seekToKeyFrame(input, videoIndex, windowStart + d.sourceStartUs, d.sourceStartUs);
    }
    // The next packet of the source: first those the seek read to check where it landed.
    auto readPacket = [&](AVPacket* into) -> int {
        if (heldBack.empty()) {
            return av_read_frame(input, into);
        }
        av_packet_move_ref(into, heldBack.front().get());
        heldBack.pop_front();
        return 0;
    };
    d.videoDone = !d.videoEncoder;
    d.audioDone = !d.audioEncoder;

    // Pulls everything the graph has and encodes it.
    auto drainVideoGraph = [&]() -> bool {
        for (;;) {
            const int result = d.videoGraph.pull(filtered.get());
            if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) {
                return true;
            }
            if (result < 0) {
                return false;
            }
            filtered->pts = av_rescale_q(filtered->pts, d.videoGraph.outputTimeBase(), d.videoEncoder->time_base);
            filtered->pict_type = AV_PICTURE_TYPE_NONE;
            const bool ok =
                encodeAndWrite(d.videoEncoder.get(), filtered.get(), output, d.videoStream, encoded.get(), firstPacket);
            av_frame_unref(filtered.get());
            if (!ok) {
                return false;
            }
        }
    };
    auto drainAudioGraph = [&]() -> bool {
        for (;;) {
            const int result = d.audioGraph.pull(filtered.get());
            if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) {
                return true;
            }
            if (result < 0) {
                return false;
            }
            filtered->pts = av_rescale_q(filtered->pts, d.audioGraph.outputTimeBase(), d.audioEncoder->time_base);
            const bool ok =
                encodeAndWrite(d.audioEncoder.get(), filtered.get(), output, d.audioStream, encoded.get(), firstPacket);
            av_frame_unref(filtered.get());
            if (!ok) {
                return false;
            }
        }
    };

    // One decoded frame of the source: kept when it lies in the window, shifted so the
    // window starts at 0, and sent through its graph.
    auto takeFrame = [&](bool video) -> bool {
        const AVStream* stream = input->streams[video ? d.videoIndex : d.audioIndex];
        const int64_t sourceTimestamp = av::toMicroseconds(frame->best_effort_timestamp, stream->time_base);
        if (sourceTimestamp == AV_NOPTS_VALUE) {
            return true;
        }
        const int64_t timestamp = sourceTimestamp - d.sourceStartUs;
        if (timestamp >= windowEnd) {
            (video ? d.videoDone : d.audioDone) = true;
            return true;
        }
        if (timestamp < windowStart) {
            return true;
        }
        m_positionUs = std::max(m_positionUs.load(), timestamp - windowStart);
        if (video) {
            const int64_t frameUs = av_rescale(1000000, d.frameRate.den, std::max(1, d.frameRate.num));
            lastVideoEndUs = std::max(lastVideoEndUs, timestamp - windowStart + frameUs);
        }
        frame->pts = av::fromMicroseconds(timestamp - windowStart, stream->time_base);
        if (video) {
            if (!d.videoGraph.isConfigured() &&
                !d.videoGraph.configureVideo(d.videoChain, frame->width, frame->height,
                                             static_cast<AVPixelFormat>(frame->format), stream->time_base,
                                             frame->sample_aspect_ratio, d.videoEncoder->pix_fmt)) {
                return false;
            }
            return d.videoGraph.push(frame.get()) && drainVideoGraph();
        }
        if (!d.audioGraph.isConfigured()) {
            const AVCodecContext* enc = d.audioEncoder.get();
            const bool fixedFrames = !(enc->codec->capabilities & AV_CODEC_CAP_VARIABLE_FRAME_SIZE);
            if (!d.audioGraph.configureAudio(audioFilterChain(d.settings.audio), frame->sample_rate,
                                             static_cast<AVSampleFormat>(frame->format), frame->ch_layout,
                                             stream->time_base, enc->sample_fmt, enc->sample_rate,
                                             enc->ch_layout.nb_channels, fixedFrames ? enc->frame_size : 0)) {
                return false;
            }
        }
        return d.audioGraph.push(frame.get()) && drainAudioGraph();
    };

    auto decode = [&](AVCodecContext* decoder, const AVPacket* input, bool video) -> bool {
        if (avcodec_send_packet(decoder, input) < 0 && input) {
            return true; // a damaged packet: skip it, as players do
        }
        for (;;) {
            const int result = avcodec_receive_frame(decoder, frame.get());
            if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) {
                return true;
            }
            if (result < 0) {
                return true;
            }
            const bool ok = takeFrame(video);
            av_frame_unref(frame.get());
            if (!ok) {
                return false;
            }
        }
    };

    if (!d.copyMap.empty()) {
        d.videoDone = d.audioDone = true;
        int64_t offsetUs = AV_NOPTS_VALUE;
        while (!failed && !m_stopRequested) {
            const int result = readPacket(packet.get());
            if (result == AVERROR(EAGAIN)) {
                continue;
            }
            if (result < 0) {
                failed = !endOfInput(input, result);
                break;
            }
            const int target =
                packet->stream_index < static_cast<int>(d.copyMap.size()) ? d.copyMap[packet->stream_index] : -1;
            const AVStream* source = input->streams[packet->stream_index];
            const int64_t stamp = packet->dts != AV_NOPTS_VALUE ? packet->dts : packet->pts;
            const int64_t sourceTimeUs = av::toMicroseconds(stamp, source->time_base);
            if (target < 0 || sourceTimeUs == AV_NOPTS_VALUE) {
                av_packet_unref(packet.get());
                continue;
            }
            if (offsetUs == AV_NOPTS_VALUE) {
                // The whole file keeps its own timeline, from 0 at its first picture or
                // sound; a window starts where the first packet (the key frame the
                // window's start needs) is shown. A decode time would leave the pictures
                // reordered after it starting late.
                const int64_t shownUs = av::toMicroseconds(packet->pts, source->time_base);
                offsetUs = windowStart == 0 ? d.sourceStartUs : shownUs != AV_NOPTS_VALUE ? shownUs : sourceTimeUs;
            }
            const int64_t timeUs = sourceTimeUs - d.sourceStartUs;
            if (timeUs >= windowEnd) {
                av_packet_unref(packet.get());
                continue;
            }
            m_positionUs = std::max(m_positionUs.load(), timeUs - windowStart);
            const int64_t shift = av::fromMicroseconds(offsetUs, source->time_base);
            if (packet->pts != AV_NOPTS_VALUE) {
                packet->pts -= shift;
            }
            if (packet->dts != AV_NOPTS_VALUE) {
                packet->dts -= shift;
            }
            if (packet->dts != AV_NOPTS_VALUE && packet->dts < 0 && packet->pts != AV_NOPTS_VALUE && packet->pts < 0) {
                av_packet_unref(packet.get());
                continue;
            }
            av_packet_rescale_ts(packet.get(), source->time_base, output->streams[target]->time_base);
            packet->stream_index = target;
            packet->pos = -1;
            firstPacket();
            if (av_interleaved_write_frame(output, packet.get()) < 0) {
                failed = true;
            }
            av_packet_unref(packet.get());
        }
    }

    while (!failed && !m_stopRequested && !(d.videoDone && d.audioDone)) {
        const int result = readPacket(packet.get());
        if (result == AVERROR(EAGAIN)) {
            continue;
        }
        if (result < 0) {
            // The end of the file (a truncated file ends early: what was read is kept); a
            // source that can no longer be read fails the job instead of ending it short.
            failed = !endOfInput(input, result);
            break;
        }
        if (packet->stream_index == d.videoIndex && !d.videoDone) {
            failed = !decode(d.videoDecoder.get(), packet.get(), true);
        } else if (packet->stream_index == d.audioIndex && !d.audioDone) {
            failed = !decode(d.audioDecoder.get(), packet.get(), false);
        }
        av_packet_unref(packet.get());
    }

    if (!failed && !m_stopRequested) {
        if (d.videoEncoder) {
            failed = !decode(d.videoDecoder.get(), nullptr, true);
            if (!failed && d.videoGraph.isConfigured()) {
                const AVStream* stream = input->streams[d.videoIndex];
                failed =
                    !(d.videoGraph.close(av::fromMicroseconds(lastVideoEndUs, stream->time_base)) && drainVideoGraph());
            }
            failed = failed ||
                     !encodeAndWrite(d.videoEncoder.get(), nullptr, output, d.videoStream, encoded.get(), firstPacket);
        }
        if (!failed && d.audioEncoder) {
            failed = !decode(d.audioDecoder.get(), nullptr, false);
            if (!failed && d.audioGraph.isConfigured()) {
                failed = !(d.audioGraph.push(nullptr) && drainAudioGraph());
            }
            failed = failed ||
                     !encodeAndWrite(d.audioEncoder.get(), nullptr, output, d.audioStream, encoded.get(), firstPacket);
        }
        // Nothing of the window was written: the range lies past the end, or nothing decoded.
        if (!failed && m_firstPacketDelayUs.load() == 0) {
            failed = true;
        }
    }
    if (headerWritten && !m_stopRequested && !failed && av_write_trailer(output) < 0) {
        failed = true;
    }
    // The file is complete and closed before anyone is told, so tags can be written into
    // it. The close writes the last buffered bytes and may be where the disk reports a
    // lost write: a file that did not close is not whole.
    if (output->pb && avio_closep(&output->pb) < 0) {
        failed = true;
    }
    if (m_stopRequested || failed) {
        std::remove(m_destination.c_str());
    }
    if (m_stopRequested) {
        m_stopped = true;
    } else {
        if (!failed) {
            m_positionUs = static_cast<int64_t>(durationUs());
        }
        m_failed = failed;
        m_done = true;
    }
}

} // namespace calvorine::codec
