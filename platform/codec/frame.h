// The frame object: one video picture (referring to the caller's pixels until pushed)
// or one run of audio samples (copied). Internal to the codec library.
#pragma once

#include "audio_chunk.h"
#include "handle_kinds.h"
#include "level_block.h"

#include <cstdint>

namespace calvorine::codec {

struct FrameObject : HandleObject {
    static constexpr HandleKind kKind = HandleKind::Frame;
    FrameObject() : HandleObject(kKind) {}

    // Video.
    int32_t pixelFormat = -1;
    int32_t width = 0;
    int32_t height = 0;
    const uint8_t* planes[4] = {};
    int32_t bytesPerLine[4] = {};

    // Audio (the chunk's timestamp is the frame's).
    int32_t sampleFormat = -1;
    int32_t sampleRate = 0;
    int32_t channels = 0;
    uint32_t channelMask = 0;
    AudioChunk audio;

    bool hasTimestamp = false;
    int64_t timestampUs = 0;

    LevelBlockSet levelBlocks;

    // The audio samples ready for a recorder or a track; false when the frame holds
    // none or its format is incomplete.
    bool audioChunk(AudioChunk& out) const;
};

} // namespace calvorine::codec
