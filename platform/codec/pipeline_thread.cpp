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

void encodeAndWrite(AVCodecContext* encoder, const AVFrame* frame, AVPacket* packet, MuxerOutput& output,
                    AVStream* stream, int64_t ptsShift) {
    if (avcodec_send_frame(encoder, frame) < 0)
        return;
    while (avcodec_receive_packet(encoder, packet) == 0) {
        packet->pts += ptsShift;
        packet->dts += ptsShift;
        output.write(packet, stream, encoder->time_base);
        av_packet_unref(packet);
    }
}

} // namespace calvorine::codec
