// APEv2 tag at the end of ape, mp3 and aac files (before a trailing ID3v1 block).
#pragma once

#include "tags/taghandler.h"

namespace calvorine::tags {

class ApeTag : public TagHandler {
public:
    // audioType: the file type (FileMp3, FileAac, FileApe) whose audio the tag follows,
    // which tells an ID3v1 block behind the tag from audio bytes; -1 when not known.
    ApeTag(IByteStream* stream, int& result, int audioType = -1);
    int reload() override;
    // Refuses (-1, file unchanged) a tag larger than an APE tag may be.
    int save() override;

    // True when an APE tag footer ends at `end`: the 128 bytes before it are then no
    // ID3v1 block, whatever they start with.
    static bool footerEndsAt(IByteStream* stream, int64_t end);

private:
    struct Location {
        int64_t end = 0;   // where the tag (or the file's audio) ends: before an ID3v1 block
        int64_t start = 0; // the tag's first byte, header included
        int64_t total = 0; // 0 when there is no tag
        uint32_t version = 0;
        uint32_t tagSize = 0; // items and footer
        uint32_t itemCount = 0;
    };
    bool locate(Location& location);
    // The steps of a save: the items (false when one is larger than a tag can hold), and
    // the removal of the tag with those stacked in front of it when no item is left (the
    // save's result, or kKeepEmptyTag when an empty tag must stay).
    bool buildItems(std::vector<uint8_t>& itemBytes, uint32_t& count) const;
    static constexpr int kKeepEmptyTag = 2;
    int removeTags(const Location& location, int64_t size, const std::vector<uint8_t>& trailer);
    // The tag whose footer ends at `end` (total 0 when there is none).
    bool locateEndingAt(int64_t end, Location& location);

    // Whole items not read into the list, in file order, with the field each would be
    // read as once its field has no item (-1: never).
    struct Kept {
        int readsAs;
        std::vector<uint8_t> bytes;
    };
    std::vector<Kept> kept_;
    int audioType_;
};

} // namespace calvorine::tags
