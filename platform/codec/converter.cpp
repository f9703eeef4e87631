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

    // The work's own state, from its start to its end.
    Converter* owner = nullptr;
    int64_t windowStart = 0;
    int64_t windowEnd = INT64_MAX;
    int64_t lastVideoEndUs = 0;
    av::PacketPtr packet;
    av::PacketPtr encoded;
    av::FramePtr frame;
    av::FramePtr filtered;
    std::deque<av::PacketPtr> heldBack; // read by the seek to check where it landed

    // The steps of open().
    bool openInputAndOutput(const char* destination, const char* muxer, const std::atomic<bool>* interrupted);
    bool addCopiedStreams();
    bool setUpVideo();
    void chooseVideoSizeAndRate(const AVStream* stream, int* width, int* height);
    bool openVideoEncoder(const AVCodec* encoder, int width, int height);
    std::string videoChainFor(const AVStream* stream, int width, int height) const;
    bool setUpAudio();
    bool addTagsCoverAndChapters();

    // The steps of the work.
    bool writeCover();
    int readPacket(AVPacket* into);
    void noteFirstPacket();
    bool encodeFrame(bool video, AVFrame* frame);
    bool drainGraph(bool video);
    bool takeFrame(bool video);
    bool configureGraph(bool video, const AVStream* stream);
    bool decode(AVCodecContext* decoder, const AVPacket* from, bool video);
    bool copyPackets();
    bool copyPacket(int64_t* offsetUs);
    bool transcodePackets();
    bool drainEncoders();
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
    if (!impl->openInputAndOutput(destination, muxer, &m_openInterrupted) || !impl->addCopiedStreams() ||
        !impl->setUpVideo() || !impl->setUpAudio()) {
        return false;
    }
    if (!impl->videoStream && !impl->audioStream && impl->copyMap.empty()) {
        return false;
    }
    if (!impl->addTagsCoverAndChapters()) {
        return false;
    }
    AVFormatContext* input = impl->input.get();
    AVFormatContext* output = impl->output.get();
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

bool Converter::Impl::openInputAndOutput(const char* destination, const char* muxer,
                                         const std::atomic<bool>* interrupted) {
    input = av::openInput(sourcePath.c_str(), interrupted);
    if (!input) {
        return false;
    }
    AVFormatContext* context = nullptr;
    if (avformat_alloc_output_context2(&context, nullptr, (muxer && *muxer) ? muxer : nullptr, destination) < 0 ||
        !context) {
        return false;
    }
    output.reset(context);
    return true;
}

bool Converter::Impl::addCopiedStreams() {
    if (!settings.copyStreams) {
        return true;
    }
    AVFormatContext* in = input.get();
    AVFormatContext* out = output.get();
    for (unsigned i = 0; i < in->nb_streams; ++i) {
        const AVStream* source = in->streams[i];
        const AVMediaType type = source->codecpar->codec_type;
        if ((type != AVMEDIA_TYPE_VIDEO && type != AVMEDIA_TYPE_AUDIO && type != AVMEDIA_TYPE_SUBTITLE) ||
            (source->disposition & AV_DISPOSITION_ATTACHED_PIC) ||
            avformat_query_codec(out->oformat, source->codecpar->codec_id, FF_COMPLIANCE_NORMAL) != 1) {
            continue;
        }
        AVStream* copy = avformat_new_stream(out, nullptr);
        if (!copy || avcodec_parameters_copy(copy->codecpar, source->codecpar) < 0) {
            return false;
        }
        copy->codecpar->codec_tag = 0;
        copy->time_base = source->time_base;
        copy->disposition = source->disposition;
        copyMap.resize(in->nb_streams, -1);
        copyMap[i] = copy->index;
    }
    return !copyMap.empty();
}

bool Converter::Impl::setUpVideo() {
    AVFormatContext* in = input.get();
    AVFormatContext* out = output.get();
    const int index = av::findStream(in, AVMEDIA_TYPE_VIDEO);
    AVCodecID codec = settings.videoCodec;
    if (settings.videoCodecFromSource && index >= 0) {
        codec = codecForOutput(out->oformat, in->streams[index]->codecpar->codec_id, out->oformat->video_codec);
    }
    if (codec == AV_CODEC_ID_NONE && !settings.videoEncoderName.empty()) {
        codec = AV_CODEC_ID_H264;
    }
    if (settings.copyStreams || index < 0 || codec == AV_CODEC_ID_NONE ||
        out->oformat->video_codec == AV_CODEC_ID_NONE) {
        return true; // no picture to encode
    }
    const AVStream* stream = in->streams[index];
    const AVCodec* encoder = settings.videoEncoderName.empty()
                                 ? avcodec_find_encoder(codec)
                                 : avcodec_find_encoder_by_name(settings.videoEncoderName.c_str());
    videoDecoder = av::openDecoder(stream);
    if (!encoder || !videoDecoder) {
        return false;
    }
    int width = 0;
    int height = 0;
    chooseVideoSizeAndRate(stream, &width, &height);
    if (!openVideoEncoder(encoder, width, height)) {
        return false;
    }
    videoStream = avformat_new_stream(out, nullptr);
    if (!videoStream || avcodec_parameters_from_context(videoStream->codecpar, videoEncoder.get()) < 0) {
        return false;
    }
    videoStream->time_base = videoEncoder->time_base;
    videoStream->avg_frame_rate = frameRate;
    videoIndex = index;
    videoChain = videoChainFor(stream, width, height);
    return true;
}

// The edited picture's size unless a size is asked for (even, for 4:2:0), and the asked
// rate, else the source's, else 25.
void Converter::Impl::chooseVideoSizeAndRate(const AVStream* stream, int* width, int* height) {
    editedPictureSize(settings.video, stream->codecpar->width, stream->codecpar->height, width, height);
    if (settings.width > 0 && settings.height > 0) {
        *width = settings.width;
        *height = settings.height;
    }
    *width = std::max(2, *width & ~1);
    *height = std::max(2, *height & ~1);
    AVRational rate{settings.frameRateNum, std::max(1, settings.frameRateDen)};
    if (rate.num <= 0) {
        rate = av_guess_frame_rate(input.get(), const_cast<AVStream*>(stream), nullptr);
    }
    if (rate.num <= 0 || rate.den <= 0) {
        rate = AVRational{25, 1};
    }
    frameRate = rate;
}

bool Converter::Impl::openVideoEncoder(const AVCodec* encoder, int width, int height) {
    videoEncoder.reset(avcodec_alloc_context3(encoder));
    AVCodecContext* enc = videoEncoder.get();
    enc->width = width;
    enc->height = height;
    enc->time_base = av_inv_q(frameRate);
    enc->framerate = frameRate;
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
    if (!settings.videoPreset.empty() && av_opt_set(enc->priv_data, "preset", settings.videoPreset.c_str(), 0) < 0) {
        std::fprintf(stderr, "calvorine_codec: the encoder refuses the preset %s\n", settings.videoPreset.c_str());
        return false;
    }
    if (!settings.videoProfile.empty() && av_opt_set(enc->priv_data, "profile", settings.videoProfile.c_str(), 0) < 0) {
        std::fprintf(stderr, "calvorine_codec: the encoder refuses the profile %s\n", settings.videoProfile.c_str());
        return false;
    }
    if (output->oformat->flags & AVFMT_GLOBALHEADER) {
        enc->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    }
    return avcodec_open2(enc, encoder, nullptr) >= 0;
}

std::string Converter::Impl::videoChainFor(const AVStream* stream, int width, int height) const {
    std::string chain = videoFilterChain(settings.video, stream->codecpar->width, stream->codecpar->height, sourcePath);
    chain.erase(chain.size() - 5);
    int editedWidth = 0;
    int editedHeight = 0;
    editedPictureSize(settings.video, stream->codecpar->width, stream->codecpar->height, &editedWidth, &editedHeight);
    if (editedWidth != width || editedHeight != height) {
        chain += ",scale=" + std::to_string(width) + ":" + std::to_string(height) + ",setsar=1";
    }
    // A constant frame rate at the encoder's rate: the speed change and variable-rate
    // sources otherwise give the encoder clashing timestamps.
    return chain + ",fps=" + std::to_string(frameRate.num) + "/" + std::to_string(frameRate.den) + "[out]";
}

bool Converter::Impl::setUpAudio() {
    AVFormatContext* in = input.get();
    AVFormatContext* out = output.get();
    const int index = av::findStream(in, AVMEDIA_TYPE_AUDIO);
    AVCodecID codec = settings.audioCodec;
    if (settings.audioCodecFromSource && index >= 0) {
        codec = codecForOutput(out->oformat, in->streams[index]->codecpar->codec_id, out->oformat->audio_codec);
    }
    if (codec == AV_CODEC_ID_NONE && !settings.audioEncoderName.empty()) {
        codec = AV_CODEC_ID_AAC;
    }
    if (settings.copyStreams || index < 0 || codec == AV_CODEC_ID_NONE ||
        out->oformat->audio_codec == AV_CODEC_ID_NONE) {
        return true; // no sound to encode
    }
    const AVStream* stream = in->streams[index];
    const AVCodec* encoder = settings.audioEncoderName.empty()
                                 ? avcodec_find_encoder(codec)
                                 : avcodec_find_encoder_by_name(settings.audioEncoderName.c_str());
    if (!encoder) {
        encoder = avcodec_find_encoder(codec);
    }
    audioDecoder = av::openDecoder(stream);
    if (!encoder || !audioDecoder) {
        return false;
    }
    audioEncoder.reset(avcodec_alloc_context3(encoder));
    AVCodecContext* enc = audioEncoder.get();
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
    if (out->oformat->flags & AVFMT_GLOBALHEADER) {
        enc->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    }
    if (avcodec_open2(enc, encoder, nullptr) < 0) {
        return false;
    }
    audioStream = avformat_new_stream(out, nullptr);
    if (!audioStream || avcodec_parameters_from_context(audioStream->codecpar, enc) < 0) {
        return false;
    }
    audioStream->time_base = enc->time_base;
    audioIndex = index;
    return true;
}

// Tags, cover and chapters travel in the container too; the audio-tag library may
// rewrite them afterwards in the form the format's players know best.
bool Converter::Impl::addTagsCoverAndChapters() {
    AVFormatContext* out = output.get();
    for (const auto& tag : settings.tags) {
        if (!tag.second.empty() && tag.first != "cover_image") {
            av_dict_set(&out->metadata, tag.first.c_str(), tag.second.c_str(), 0);
        }
    }
    const AVCodecID coverCodec = imageCodecOf(settings.cover);
    int coverWidth = 0;
    int coverHeight = 0;
    if (coverCodec != AV_CODEC_ID_NONE && muxerTakesCoverPicture(out->oformat) &&
        imageSize(settings.cover, coverCodec, &coverWidth, &coverHeight)) {
        coverStream = avformat_new_stream(out, nullptr);
        if (coverStream) {
            coverStream->codecpar->width = coverWidth;
            coverStream->codecpar->height = coverHeight;
            coverStream->disposition = AV_DISPOSITION_ATTACHED_PIC;
            coverStream->codecpar->codec_type = AVMEDIA_TYPE_VIDEO;
            coverStream->codecpar->codec_id = coverCodec;
            coverStream->time_base = AVRational{1, 90000};
        }
    }
    return addChapters(out, settings.chapters);
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
    d.owner = this;
    const auto [windowStart, windowLength] = range();
    d.windowStart = windowStart;
    d.windowEnd = windowLength > 0 ? windowStart + windowLength : INT64_MAX;
    d.lastVideoEndUs = 0;
    d.packet = av::makePacket();
    d.encoded = av::makePacket();
    d.frame = av::makeFrame();
    d.filtered = av::makeFrame();

    const bool headerWritten = avformat_write_header(d.output.get(), nullptr) >= 0;
    bool failed = !headerWritten || !d.writeCover();
    if (!failed && windowStart > 0) {
        const int videoIndex = d.videoIndex >= 0 ? d.videoIndex : av::findStream(d.input.get(), AVMEDIA_TYPE_VIDEO);
        d.heldBack = av::seekToKeyFrame(d.input.get(), videoIndex, windowStart + d.sourceStartUs, d.sourceStartUs);
    }
    d.videoDone = !d.videoEncoder;
    d.audioDone = !d.audioEncoder;
    if (!failed && !d.copyMap.empty()) {
        failed = !d.copyPackets();
    }
    if (!failed) {
        failed = !d.transcodePackets();
    }
    if (!failed && !m_stopRequested) {
        failed = !d.drainEncoders();
    }
    finishOutput(headerWritten, failed);
}

// Ends the output: its trailer when the work went well, the file closed either way, and
// removed when it failed or was stopped.
void Converter::finishOutput(bool headerWritten, bool failed) {
    AVFormatContext* output = m_impl->output.get();
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

// The cover goes first, as the one packet of its stream; false when it could not be
// written.
bool Converter::Impl::writeCover() {
    if (!coverStream) {
        return true;
    }
    const std::vector<uint8_t>& cover = settings.cover;
    bool written = false;
    if (av_new_packet(packet.get(), static_cast<int>(cover.size())) == 0) {
        std::memcpy(packet->data, cover.data(), cover.size());
        packet->stream_index = coverStream->index;
        packet->flags |= AV_PKT_FLAG_KEY;
        written = av_interleaved_write_frame(output.get(), packet.get()) >= 0;
    }
    av_packet_unref(packet.get());
    return written;
}

// The next packet of the source: first those the seek read to check where it landed.
int Converter::Impl::readPacket(AVPacket* into) {
    if (heldBack.empty()) {
        return av_read_frame(input.get(), into);
    }
    av_packet_move_ref(into, heldBack.front().get());
    heldBack.pop_front();
    return 0;
}

void Converter::Impl::noteFirstPacket() {
    if (owner->m_firstPacketDelayUs.load() == 0) {
        owner->m_firstPacketDelayUs = std::max<int64_t>(1, nowMicroseconds() - owner->m_startedAtUs);
    }
}

// Sends one frame to its encoder (null drains it) and writes what comes out.
bool Converter::Impl::encodeFrame(bool video, AVFrame* from) {
    return encodeAndWrite(video ? videoEncoder.get() : audioEncoder.get(), from, output.get(),
                          video ? videoStream : audioStream, encoded.get(), [this] { noteFirstPacket(); });
}

// Pulls everything the graph has and encodes it.
bool Converter::Impl::drainGraph(bool video) {
    FilterGraph& graph = video ? videoGraph : audioGraph;
    const AVCodecContext* encoder = video ? videoEncoder.get() : audioEncoder.get();
    for (;;) {
        const int result = graph.pull(filtered.get());
        if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) {
            return true;
        }
        if (result < 0) {
            return false;
        }
        filtered->pts = av_rescale_q(filtered->pts, graph.outputTimeBase(), encoder->time_base);
        if (video) {
            filtered->pict_type = AV_PICTURE_TYPE_NONE;
        }
        const bool ok = encodeFrame(video, filtered.get());
        av_frame_unref(filtered.get());
        if (!ok) {
            return false;
        }
    }
}

// One decoded frame of the source: kept when it lies in the window, shifted so the
// window starts at 0, and sent through its graph.
bool Converter::Impl::takeFrame(bool video) {
    const AVStream* stream = input->streams[video ? videoIndex : audioIndex];
    const int64_t sourceTimestamp = av::toMicroseconds(frame->best_effort_timestamp, stream->time_base);
    if (sourceTimestamp == AV_NOPTS_VALUE) {
        return true;
    }
    const int64_t timestamp = sourceTimestamp - sourceStartUs;
    if (timestamp >= windowEnd) {
        (video ? videoDone : audioDone) = true;
        return true;
    }
    if (timestamp < windowStart) {
        return true;
    }
    owner->m_positionUs = std::max(owner->m_positionUs.load(), timestamp - windowStart);
    if (video) {
        const int64_t frameUs = av_rescale(1000000, frameRate.den, std::max(1, frameRate.num));
        lastVideoEndUs = std::max(lastVideoEndUs, timestamp - windowStart + frameUs);
    }
    frame->pts = av::fromMicroseconds(timestamp - windowStart, stream->time_base);
    if (!configureGraph(video, stream)) {
        return false;
    }
    return (video ? videoGraph : audioGraph).push(frame.get()) && drainGraph(video);
}

// The graph is set up from the first decoded frame, whose size and formats it takes.
bool Converter::Impl::configureGraph(bool video, const AVStream* stream) {
    if (video) {
        return videoGraph.isConfigured() ||
               videoGraph.configureVideo(videoChain, frame->width, frame->height,
                                         static_cast<AVPixelFormat>(frame->format), stream->time_base,
                                         frame->sample_aspect_ratio, videoEncoder->pix_fmt);
    }
    if (audioGraph.isConfigured()) {
        return true;
    }
    const AVCodecContext* enc = audioEncoder.get();
    const bool fixedFrames = !(enc->codec->capabilities & AV_CODEC_CAP_VARIABLE_FRAME_SIZE);
    return audioGraph.configureAudio(audioFilterChain(settings.audio), frame->sample_rate,
                                     static_cast<AVSampleFormat>(frame->format), frame->ch_layout, stream->time_base,
                                     enc->sample_fmt, enc->sample_rate, enc->ch_layout.nb_channels,
                                     fixedFrames ? enc->frame_size : 0);
}

bool Converter::Impl::decode(AVCodecContext* decoder, const AVPacket* from, bool video) {
    if (avcodec_send_packet(decoder, from) < 0 && from) {
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
}

// Every stream copied unchanged, packet by packet, within the window; false when the
// source could not be read or the output not written.
bool Converter::Impl::copyPackets() {
    videoDone = audioDone = true;
    int64_t offsetUs = AV_NOPTS_VALUE;
    while (!owner->m_stopRequested) {
        const int result = readPacket(packet.get());
        if (result == AVERROR(EAGAIN)) {
            continue;
        }
        if (result < 0) {
            return endOfInput(input.get(), result);
        }
        const bool written = copyPacket(&offsetUs);
        av_packet_unref(packet.get());
        if (!written) {
            return false;
        }
    }
    return true;
}

// The packet read, moved onto the output's timeline and written; true also for a packet
// left out (another stream, outside the window).
bool Converter::Impl::copyPacket(int64_t* offsetUs) {
    const int target = packet->stream_index < static_cast<int>(copyMap.size()) ? copyMap[packet->stream_index] : -1;
    const AVStream* source = input->streams[packet->stream_index];
    const int64_t stamp = packet->dts != AV_NOPTS_VALUE ? packet->dts : packet->pts;
    const int64_t sourceTimeUs = av::toMicroseconds(stamp, source->time_base);
    if (target < 0 || sourceTimeUs == AV_NOPTS_VALUE) {
        return true;
    }
    if (*offsetUs == AV_NOPTS_VALUE) {
        // The whole file keeps its own timeline, from 0 at its first picture or sound; a
        // window starts where the first packet (the key frame the window's start needs)
        // is shown. A decode time would leave the pictures reordered after it starting
        // late.
        const int64_t shownUs = av::toMicroseconds(packet->pts, source->time_base);
        *offsetUs = windowStart == 0 ? sourceStartUs : shownUs != AV_NOPTS_VALUE ? shownUs : sourceTimeUs;
    }
    const int64_t timeUs = sourceTimeUs - sourceStartUs;
    if (timeUs >= windowEnd) {
        return true;
    }
    owner->m_positionUs = std::max(owner->m_positionUs.load(), timeUs - windowStart);
    const int64_t shift = av::fromMicroseconds(*offsetUs, source->time_base);
    if (packet->pts != AV_NOPTS_VALUE) {
        packet->pts -= shift;
    }
    if (packet->dts != AV_NOPTS_VALUE) {
        packet->dts -= shift;
    }
    if (packet->dts != AV_NOPTS_VALUE && packet->dts < 0 && packet->pts != AV_NOPTS_VALUE && packet->pts < 0) {
        return true;
    }
    av_packet_rescale_ts(packet.get(), source->time_base, output->streams[target]->time_base);
    packet->stream_index = target;
    packet->pos = -1;
    noteFirstPacket();
    return av_interleaved_write_frame(output.get(), packet.get()) >= 0;
}

// The packets of the encoded streams decoded, edited and encoded until both streams
// reach the window's end; false when the source could not be read or a step failed.
bool Converter::Impl::transcodePackets() {
    while (!owner->m_stopRequested && !(videoDone && audioDone)) {
        const int result = readPacket(packet.get());
        if (result == AVERROR(EAGAIN)) {
            continue;
        }
        if (result < 0) {
            // The end of the file (a truncated file ends early: what was read is kept); a
            // source that can no longer be read fails the job instead of ending it short.
            return endOfInput(input.get(), result);
        }
        bool ok = true;
        if (packet->stream_index == videoIndex && !videoDone) {
            ok = decode(videoDecoder.get(), packet.get(), true);
        } else if (packet->stream_index == audioIndex && !audioDone) {
            ok = decode(audioDecoder.get(), packet.get(), false);
        }
        av_packet_unref(packet.get());
        if (!ok) {
            return false;
        }
    }
    return true;
}

// What the decoders, graphs and encoders still hold goes to the file; false when nothing
// of the window was written (the range lies past the end, or nothing decoded).
bool Converter::Impl::drainEncoders() {
    if (videoEncoder) {
        bool ok = decode(videoDecoder.get(), nullptr, true);
        if (ok && videoGraph.isConfigured()) {
            const AVStream* stream = input->streams[videoIndex];
            ok = videoGraph.close(av::fromMicroseconds(lastVideoEndUs, stream->time_base)) && drainGraph(true);
        }
        if (!ok || !encodeFrame(true, nullptr)) {
            return false;
        }
    }
    if (audioEncoder) {
        bool ok = decode(audioDecoder.get(), nullptr, false);
        if (ok && audioGraph.isConfigured()) {
            ok = audioGraph.push(nullptr) && drainGraph(false);
        }
        if (!ok || !encodeFrame(false, nullptr)) {
            return false;
        }
    }
    return owner->m_firstPacketDelayUs.load() != 0;
}

} // namespace calvorine::codec
