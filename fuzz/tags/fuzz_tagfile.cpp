// Arbitrary bytes through the tag-file object: type detection over every format, the
// program's clear-add-save sequence, then a second open of the result.
#include "tags/audiotagfile.h"
#include "tags/bytestream.h"

#include <cstddef>
#include <cstdint>
#include <vector>

using namespace calvorine::tags;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemoryStream stream(std::vector<uint8_t>(data, data + size));
    IAudioTagFile* file = createAudioTagFile();
    if (file->attach(&stream) == 0) {
        for (int i = 0; i < file->itemCount(); ++i) {
            file->getItem(i);
        }
        file->clearAll();
        const char16_t text[] = u"(17) title";
        for (int field = 0; field <= FieldDisc; ++field) {
            if (field != FieldPicture) {
                file->addItem(-1, field, TagValueText, sizeof text - 2, text);
            }
        }
        file->save();
        file->close();
        file->attach(&stream);
    }
    releaseAudioTagFile(file);
    return 0;
}
