#include "muxer_output.h"

#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace calvorine::codec {

namespace {

// A killed recording loses its unfinished fragment and what is still on its way to the
// muxer (a frame or two): a third of a second keeps the loss under half a second. Each
// fragment costs about 170 bytes of boxes, 1.4 % of an AAC 128 kbit/s recording.
constexpr int64_t kFragmentMicroseconds = 333333;

} // namespace

bool MuxerOutput::create(const MuxerEntry& muxer, const std::string& pathUtf8) {
    AVFormatContext* context = nullptr;
    if (avformat_alloc_output_context2(&context, nullptr, muxer.avName, pathUtf8.c_str()) < 0 || !context)
        return false;
    m_context.reset(context);
    m_muxer = &muxer;
    m_path = pathUtf8;
    return true;
}

bool MuxerOutput::wantsGlobalHeader() const {
    return m_context && (m_context->oformat->flags & AVFMT_GLOBALHEADER);
}

AVStream* MuxerOutput::addStream(const AVCodecContext* encoder, uint32_t codecTag) {
    AVStream* stream = avformat_new_stream(m_context.get(), nullptr);
    if (!stream || avcodec_parameters_from_context(stream->codecpar, encoder) < 0)
        return nullptr;
    stream->time_base = encoder->time_base;
    if (encoder->codec_type == AVMEDIA_TYPE_VIDEO)
        stream->avg_frame_rate = encoder->framerate;
    // AVI-style containers name the codec by a four-character code of their own.
    if (codecTag && std::strcmp(m_muxer->avName, "avi") == 0)
        stream->codecpar->codec_tag = codecTag;
    return stream;
}

bool MuxerOutput::start() {
    if (!(m_context->oformat->flags & AVFMT_NOFILE)) {
        if (avio_open(&m_context->pb, m_path.c_str(), AVIO_FLAG_WRITE) < 0)
            return false;
    }
    libav::Options options;
    if (m_muxer->fragmented) {
        // Short fragments, each flushed, so that a killed recording keeps all but its last
        // half second. They are cut by length, not at the key frames (a second apart): a
        // fragment may start between two, as players allow.
        options.set("movflags", "+empty_moov+default_base_moof");
        options.set("frag_duration", int64_t(kFragmentMicroseconds));
    }
    // Write every finished piece through to the file at once instead of collecting it
    // in the output buffer.
    options.set("flush_packets", int64_t(1));
    if (avformat_write_header(m_context.get(), options.pointer()) < 0) {
        // Nothing usable was written: leave no empty file behind.
        if (!(m_context->oformat->flags & AVFMT_NOFILE)) {
            avio_closep(&m_context->pb);
            std::remove(m_path.c_str());
        }
        return false;
    }
    m_started = true;
    noteWholeLength();
    return true;
}

void MuxerOutput::noteWholeLength() {
    // Every piece is flushed as it is written, so the position is what the file holds.
    if (m_muxer->fragmented && m_context->pb && m_context->pb->error >= 0)
        m_wholeLength = avio_tell(m_context->pb);
}

bool MuxerOutput::write(AVPacket* packet, AVStream* stream, AVRational encoderTimeBase) {
    std::lock_guard<std::mutex> guard(m_lock);
    if (!m_started || m_failed)
        return false;
    av_packet_rescale_ts(packet, encoderTimeBase, stream->time_base);
    packet->stream_index = stream->index;
    // A fragmented file keeps each track's samples apart until its fragment is written,
    // so it needs no interleaving here; waiting for the other track (the sound lags the
    // picture by the mixer's wait for late sources) would hold the picture back by as
    // much, and a killed recording would lose that too.
    int result = 0;
    if (m_muxer->fragmented) {
        result = av_write_frame(m_context.get(), packet);
        av_packet_unref(packet);
    } else {
        result = av_interleaved_write_frame(m_context.get(), packet);
    }
    if (result < 0) {
        // A full or vanished disk: the rest of the recording cannot be kept. What was
        // written up to here may still play.
        m_writeFailed = true;
        failLocked("writing", result);
        return false;
    }
    noteWholeLength();
    return true;
}

void MuxerOutput::fail(const char* what, int error) {
    std::lock_guard<std::mutex> guard(m_lock);
    failLocked(what, error);
}

void MuxerOutput::failLocked(const char* what, int error) {
    if (m_failed.exchange(true))
        return;
    char reason[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(error, reason, sizeof reason);
    std::fprintf(stderr, "calvorine_codec: %s %s failed (%s); the recording ends here\n", what, m_path.c_str(), reason);
}

bool MuxerOutput::finish() {
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_started) {
        // The trailer writes the index or the sizes of several formats: a file whose
        // trailer or last buffered bytes did not reach the disk is not whole.
        const int trailer = av_write_trailer(m_context.get());
        if (trailer < 0) {
            m_writeFailed = true;
            failLocked("finishing", trailer);
        }
        m_started = false;
        if (m_context && m_context->pb && !(m_context->oformat->flags & AVFMT_NOFILE)) {
            const int closed = avio_closep(&m_context->pb);
            if (closed < 0) {
                m_writeFailed = true;
                failLocked("closing", closed);
            }
        }
        // A full disk takes the part of a fragment that still fitted, and players read a
        // cut fragment box as a broken file (or jump through its sizes to wrong places).
        // Cutting the file back to its last whole fragment, which needs no space, leaves
        // it as a killed recording leaves it: everything up to there plays.
        if (m_writeFailed && m_wholeLength > 0 && ::truncate(m_path.c_str(), m_wholeLength) != 0)
            std::fprintf(stderr, "calvorine_codec: %s could not be cut back to its last whole piece\n", m_path.c_str());
        m_finished = !m_failed;
    }
    m_context.reset();
    return m_finished;
}

} // namespace calvorine::codec
