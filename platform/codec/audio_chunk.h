// A run of interleaved audio samples with its time, as frames and tracks hand them to
// the recorder. Internal to the codec library.
#pragma once

extern "C" {
#include <libavutil/samplefmt.h>
}

#include <cstdint>
#include <vector>

namespace calvorine::codec {

struct AudioChunk {
    int64_t timestampUs = 0;                    // caller's clock; the recorder maps it onto the output
    AVSampleFormat format = AV_SAMPLE_FMT_NONE; // packed
    int sampleRate = 0;
    int channels = 0;
    uint64_t channelMask = 0; // 0 = the default layout of the channel count
    int sampleCount = 0;      // per channel
    std::vector<uint8_t> data;
};

} // namespace calvorine::codec
