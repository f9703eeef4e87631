#include "pipeline_thread.h"

#include "muxer_output.h"

namespace calvorine::codec {

bool endPipelineThread(std::mutex& lock, std::condition_variable& wake, bool& finishing, std::thread& thread) {
    {
        std::lock_guard<std::mutex> guard(lock);
        if (finishing && !thread.joinable())
            return false;
        finishing = true;
    }
    wake.notify_all();
    if (!thread.joinable())
        return false;
    thread.join();
    return true;
}

bool encodeAndWrite(AVCodecContext* encoder, const AVFrame* frame, AVPacket* packet, MuxerOutput& output,
                    AVStream* stream, int64_t ptsShift) {
    if (output.failed())
        return false;
    const int sent = avcodec_send_frame(encoder, frame);
    // A second drain finds the encoder already drained: nothing is lost then.
    if (sent < 0 && !(frame == nullptr && sent == AVERROR_EOF)) {
        output.fail("encoding", sent);
        return false;
    }
    for (;;) {
        const int received = avcodec_receive_packet(encoder, packet);
        if (received == AVERROR(EAGAIN) || received == AVERROR_EOF)
            return true;
        if (received < 0) {
            output.fail("encoding", received);
            return false;
        }
        packet->pts += ptsShift;
        packet->dts += ptsShift;
        const bool written = output.write(packet, stream, encoder->time_base);
        av_packet_unref(packet);
        if (!written)
            return false;
    }
}

} // namespace calvorine::codec
