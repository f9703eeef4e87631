// The 128-byte ID3v1 (and 1.1) block at the end of mp3, aac, ape and flac files.
#pragma once

#include "tags/taghandler.h"

namespace calvorine::tags {

class Id3v1Tag : public TagHandler {
public:
    // audioType: the file type whose audio the block follows (FileMp3, FileAac and
    // FileApe have their audio checked); -1 when not known.
    Id3v1Tag(IByteStream* stream, int& result, int audioType = -1);
    int reload() override;
    int save() override;

    // True when the stream ends in an ID3v1 block: its last 128 bytes start with "TAG",
    // do not end an APE tag, and are not part of the audio frames.
    static bool present(IByteStream* stream, int audioType = -1);
    // How many blocks end the stream one behind the other (0 when none): older blocks
    // left in front of the last would each read as the tag once those behind it are
    // gone, so a save replaces or removes them all.
    static int64_t blocksAtEnd(IByteStream* stream, int audioType = -1);

private:
    // The 128 bytes of a block holding the items (track first: it decides whether the
    // comment has 28 or 30 bytes).
    void fillBlock(uint8_t block[]) const;

    int audioType_;
};

} // namespace calvorine::tags
