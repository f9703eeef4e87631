// What the picture and the sound pipelines of a recording share: ending the one thread
// that feeds an encoder, and handing an encoder's packets to the output. Internal to
// the codec library.
#pragma once

#include "libav_objects.h"

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

namespace calvorine::codec {

class MuxerOutput;

// Marks the pipeline finishing (under its lock), wakes its thread and waits for it to
// end. True for the call that ended a started thread, which then finishes the encoding;
// false when the thread never started or another call ended it. Calls are serialised
// by the owner.
bool endPipelineThread(std::mutex& lock, std::condition_variable& wake, bool& finishing, std::thread& thread);

// Sends a frame to the encoder (null drains it) and writes every packet it has ready,
// their times moved by ptsShift first. An encoder error marks the output failed; false
// once the output has failed. On the thread that owns the encoder.
bool encodeAndWrite(AVCodecContext* encoder, const AVFrame* frame, AVPacket* packet, MuxerOutput& output,
                    AVStream* stream, int64_t ptsShift = 0);

} // namespace calvorine::codec
