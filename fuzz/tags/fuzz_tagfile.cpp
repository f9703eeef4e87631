// Arbitrary bytes through the tag-file object: type detection over every format, the
// program's clear-add-save sequence, then a second open of the result. A save that fails
// must leave every byte as it was; whether it succeeded or not, the file must open again
// as the same type; when it succeeded, the same sequence on the reopened file must
// succeed and leave every byte as it was.
#include "tags/audiotagfile.h"
#include "tags/bytestream.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

using namespace calvorine::tags;

namespace {

// Clears every tag and writes one text item per field; the result of the save.
int clearAddSave(IAudioTagFile* file) {
    file->clearAll();
    const char16_t text[] = u"(17) title";
    for (int field = 0; field <= FieldDisc; ++field) {
        if (field != FieldPicture) {
            file->addItem(-1, field, TagValueText, sizeof text - 2, text);
        }
    }
    return file->save();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemoryStream stream(std::vector<uint8_t>(data, data + size));
    IAudioTagFile* file = createAudioTagFile();
    if (file->attach(&stream) == 0) {
        for (int i = 0; i < file->itemCount(); ++i) {
            file->getItem(i);
        }
        const int firstType = file->fileType();
        const std::vector<uint8_t> before = stream.bytes();
        const bool saved = clearAddSave(file) >= 0;
        if (!saved && stream.bytes() != before) {
            abort(); // a save that fails leaves every byte as it was
        }
        file->close();
        if (file->attach(&stream) != 0 || file->fileType() != firstType) {
            abort(); // what was written (or kept) opens again, as the same kind of file
        }
        if (saved) {
            const std::vector<uint8_t> written = stream.bytes();
            if (clearAddSave(file) < 0 || stream.bytes() != written) {
                abort(); // a second identical save must change nothing
            }
        }
    }
    releaseAudioTagFile(file);
    return 0;
}
