// The LIST/INFO chunk of a RIFF/WAVE file.
#pragma once

#include "tags/taghandler.h"

namespace calvorine::tags {

class RiffInfoTag : public TagHandler {
public:
    // result -1 when the stream is not RIFF/WAVE.
    RiffInfoTag(IByteStream* stream, int& result);
    int reload() override;
    int save() override;

private:
    int64_t riffEnd_ = 0;                    // end of the RIFF data, never past the file's end
    int64_t listOffset_ = 0;                 // 0 when there is no INFO chunk
    int64_t listLength_ = 0;                 // header and pad byte included
    int64_t junkLength_ = 0;                 // a JUNK chunk right behind the INFO chunk: space to grow into
    std::vector<std::vector<uint8_t>> kept_; // sub-chunks not modelled, whole
};

} // namespace calvorine::tags
