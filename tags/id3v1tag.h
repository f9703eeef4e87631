// The 128-byte ID3v1 (and 1.1) block at the end of mp3, aac, ape and flac files.
#pragma once

#include "tags/taghandler.h"

namespace calvorine::tags {

class Id3v1Tag : public TagHandler {
public:
    Id3v1Tag(IByteStream* stream, int& result);
    int reload() override;
    int save() override;

    // True when the stream ends in an ID3v1 block.
    static bool present(IByteStream* stream);
};

} // namespace calvorine::tags
