// The LIST/INFO chunk of a RIFF/WAVE file.
#pragma once

#include "tags/taghandler.h"

#include <string>
#include <utility>
#include <vector>

namespace calvorine::tags {

class RiffInfoTag : public TagHandler {
public:
    // result -1 when the stream is not RIFF/WAVE.
    RiffInfoTag(IByteStream* stream, int& result);
    int reload() override;
    int save() override;

private:
    // The steps of a save: the new LIST INFO chunk (items, then the sub-chunks kept),
    // and its padding into the old chunk's space with the JUNK behind it; that space.
    std::vector<uint8_t> buildInfoList() const;
    int64_t padToOldSpace(std::vector<uint8_t>& chunk, bool empty) const;

    int64_t riffEnd_ = 0;          // end of the RIFF data, never past the file's end
    int64_t listOffset_ = 0;       // 0 when there is no INFO chunk
    int64_t listLength_ = 0;       // header and pad byte included
    int64_t junkLength_ = 0;       // a JUNK chunk right behind the INFO chunk: space to grow into
    std::string junkId_ = "JUNK";  // "JUNK" or "PAD "
    int64_t appendAt_ = 0;         // where a new INFO chunk goes when there is none
    bool padBeforeAppend_ = false; // the last chunk is odd and lacks its pad byte
    bool damaged_ = false;         // a chunk runs past the RIFF end before any INFO chunk: no safe place to write
    std::vector<std::vector<uint8_t>> kept_;             // sub-chunks not modelled, whole
    std::vector<std::pair<int64_t, int64_t>> moreLists_; // further INFO chunks (offset, length)

    // Adds the items of the INFO chunk at offset (the first of each field wins).
    void readItems(int64_t offset, int64_t length, bool* seen);
};

} // namespace calvorine::tags
