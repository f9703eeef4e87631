// Base of the eight tag handlers: each parses its tag from the stream into an item list
// when it is made and writes the list back on save, keeping what it does not model.
#pragma once

#include "tags/bytestream.h"
#include "tags/tagitems.h"

namespace calvorine::tags {

class TagHandler {
public:
    explicit TagHandler(IByteStream* stream) : stream_(stream) {}
    virtual ~TagHandler() = default;
    TagHandler(const TagHandler&) = delete;
    TagHandler& operator=(const TagHandler&) = delete;

    // Clears the list and parses again; negative when the tag no longer parses.
    virtual int reload() = 0;
    // 0 when the file changed, 1 when there was nothing to do, negative on failure
    // (the file then keeps its old bytes).
    virtual int save() = 0;
    TagItemList& items() { return items_; }

protected:
    IByteStream* stream_;
    TagItemList items_;
};

// What the formats that cannot store album artist, composer, grouping or disc accept.
inline bool isBasicField(int field) {
    return field >= FieldTitle && field <= FieldPicture;
}

} // namespace calvorine::tags
