// Feeds arbitrary bytes to one tag parser through an in-memory stream, then saves a
// changed list and parses the result again. A save that fails must leave every byte as
// it was. Where the build asks for it (SECOND_SAVE),
// a save that succeeded must be stable: parse, save again and parse once more, and
// neither the bytes nor the items change. The parser is chosen at build time.
#include "tags/apetag.h"
#include "tags/asftag.h"
#include "tags/flactag.h"
#include "tags/id3v1tag.h"
#include "tags/id3v2tag.h"
#include "tags/mp4tag.h"
#include "tags/oggvorbistag.h"
#include "tags/riffinfotag.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <type_traits>
#include <vector>

using namespace calvorine::tags;

namespace {

// A valid start of the format, so that the fuzzer spends its inputs behind the
// signature checks as well as on them.
template <typename Handler> std::vector<uint8_t> validStart() {
    if constexpr (std::is_same_v<Handler, OggVorbisTag>) {
        std::vector<uint8_t> page = {'O', 'g', 'g', 'S', 0, 2, 0, 0, 0, 0,  0, 0,   0,   0,   1,   0,   0,  0,
                                     0,   0,   0,   0,   0, 0, 0, 0, 1, 30, 1, 'v', 'o', 'r', 'b', 'i', 's'};
        page.resize(page.size() + 23, 1);
        return page;
    } else if constexpr (std::is_same_v<Handler, FlacTag>) {
        std::vector<uint8_t> head = {'f', 'L', 'a', 'C', 0, 0, 0, 34,   16,   0,    16,
                                     0,   0,   0,   0,   0, 0, 0, 0x0A, 0xC4, 0x42, 0xF0};
        head.resize(head.size() + 16, 0);
        return head;
    } else if constexpr (std::is_same_v<Handler, AsfTag>) {
        return {0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11, 0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
    } else if constexpr (std::is_same_v<Handler, RiffInfoTag>) {
        return {'R', 'I', 'F', 'F', 0xFF, 0xFF, 0xFF, 0xFF, 'W', 'A', 'V', 'E'};
    } else if constexpr (std::is_same_v<Handler, Id3v2Tag>) {
        return {'I', 'D', '3', 3, 0, 0};
    } else {
        return {};
    }
}

bool sameItems(const TagItemList& a, const TagItemList& b) {
    if (a.count() != b.count()) {
        return false;
    }
    for (int i = 0; i < a.count(); ++i) {
        const TagItem x = a.getItem(i);
        const TagItem y = b.getItem(i);
        if (x.slot != y.slot || x.field != y.field || x.type != y.type || a.bytes(i) != b.bytes(i)) {
            return false;
        }
    }
    return true;
}

// After a save that succeeded: what was written parses, and saving what was read back
// changes no byte and reads back the same items.
template <typename Handler> void checkSaved(Handler& handler, const MemoryStream& stream) {
    if (handler.reload() < 0) {
        abort(); // what we wrote must parse again
    }
#if SECOND_SAVE
    const std::vector<uint8_t> written = stream.bytes();
    const TagItemList readBack = handler.items();
    if (handler.save() < 0 || stream.bytes() != written) {
        abort();
    }
    if (handler.reload() < 0 || !sameItems(handler.items(), readBack)) {
        abort();
    }
#else
    (void)stream;
#endif
}

// Saves; a save that fails must leave every byte as it was, one that succeeds is checked.
template <typename Handler> void saveAndCheck(Handler& handler, const MemoryStream& stream) {
    const std::vector<uint8_t> before = stream.bytes();
    if (handler.save() >= 0) {
        checkSaved(handler, stream);
    } else if (stream.bytes() != before) {
        abort();
    }
}

template <typename Handler> void exercise(const uint8_t* data, size_t size) {
    std::vector<uint8_t> bytes;
    if (size > 0 && (data[0] & 1)) {
        bytes = validStart<Handler>();
        ++data;
        --size;
    }
    bytes.insert(bytes.end(), data, data + size);
    MemoryStream stream(std::move(bytes));
    int result = 0;
    Handler handler(&stream, result);
    if (result < 0) {
        return;
    }
    TagItemList& items = handler.items();
    for (int i = 0; i < items.count(); ++i) {
        const TagItem item = items.getItem(i);
        if (item.length < 0 || (item.length > 0 && !item.data)) {
            abort();
        }
    }
    const char16_t title[] = u"fuzzed \U0001F3B5";
    items.addItem(0, FieldTitle, TagValueText, sizeof title - 2, title);
    const uint8_t png[] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 0};
    items.addItem(0, FieldPicture, TagValueBinary, sizeof png, png);
    saveAndCheck(handler, stream);
    handler.items().clear();
    saveAndCheck(handler, stream);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    exercise<TAG_HANDLER>(data, size);
    return 0;
}
