// Vorbis comment lists (Ogg Vorbis and FLAC), the FLAC picture structure, image-header
// sniffing and base64.
#pragma once

#include "tags/tagitems.h"

#include <string>

namespace calvorine::tags {

// Kinds of comment list.
enum class CommentKind { Ogg, Flac };

// Comments the item list does not model, kept whole ("KEY=value") in file order.
using KeptComments = std::vector<std::vector<uint8_t>>;

// Reads a list starting at the vendor length. The first comment of each modelled key
// becomes an item of `slot`; other comments go to `kept`. Stops at the first comment
// that does not fit or has no "=". Returns false when even the vendor does not fit.
bool parseVorbisComments(const uint8_t* data, size_t length, TagItemList& items, int slot, std::string& vendor,
                         KeptComments& kept, bool seen[]);

// Vendor length, vendor, count and comments: the items in list order (pictures as
// base64 picture structures for Ogg only), then the kept comments but those a modelled
// field would read (a second ALBUM, say): setting or clearing a field takes all of it.
std::vector<uint8_t> buildVorbisComments(const TagItemList& items, const KeptComments& kept, std::string vendor,
                                         CommentKind kind);

struct ImageInfo {
    const char* mime = "image/jpeg";
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t depth = 0;
};
ImageInfo sniffImage(const uint8_t* data, size_t length);

// Picture structure: type 3, sniffed MIME and dimensions, empty description.
std::vector<uint8_t> buildPictureBlock(const uint8_t* image, size_t length);
// Image bytes of a picture structure (each length checked); false when it does not parse.
bool parsePictureBlock(const uint8_t* data, size_t length, std::vector<uint8_t>& image, uint32_t& pictureType);

std::string base64Encode(const uint8_t* data, size_t length);
// Skips CR and LF, stops at "=", fails on any other character outside the alphabet.
bool base64Decode(const uint8_t* text, size_t length, std::vector<uint8_t>& out);

} // namespace calvorine::tags
