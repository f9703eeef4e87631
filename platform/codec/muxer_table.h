// Muxer names as callers give them, and what they mean here. Internal to the codec
// library.
#pragma once

#include <string>

namespace calvorine::codec {

struct MuxerEntry {
    const char* name;   // the name callers pass (compared without regard to case)
    const char* avName; // libav's muxer
    bool fragmented;    // written in flushed fragments (MP4 family)
};

// The entry of a muxer name, or null for an unknown name.
const MuxerEntry* findMuxer(const std::string& name);

} // namespace calvorine::codec
