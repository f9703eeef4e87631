// Entries of the byte blob: an owned copy of some bytes.
#include "calvorine_codec.h"
#include "handle_kinds.h"

#include <cstdint>
#include <vector>

namespace calvorine::codec {

struct BlobObject : HandleObject {
    static constexpr HandleKind kKind = HandleKind::Blob;
    BlobObject() : HandleObject(kKind) {}
    std::vector<uint8_t> bytes;
};

} // namespace calvorine::codec

using calvorine::codec::BlobObject;
using calvorine::codec::fromHandle;

extern "C" CVCODEC_API cvcodec_blob cvcodec_blob_create(const void* data, int32_t size) {
    if (size < 0 || (size > 0 && !data))
        return nullptr;
    auto* blob = new BlobObject;
    const auto* bytes = static_cast<const uint8_t*>(data);
    blob->bytes.assign(bytes, bytes + size);
    return calvorine::codec::toHandle<cvcodec_blob>(blob);
}

extern "C" CVCODEC_API int cvcodec_blob_release(cvcodec_blob handle) {
    BlobObject* blob = fromHandle<BlobObject>(handle);
    if (!blob)
        return 0;
    delete blob;
    return 1;
}

extern "C" CVCODEC_API const void* cvcodec_blob_data(cvcodec_blob handle) {
    BlobObject* blob = fromHandle<BlobObject>(handle);
    return blob ? blob->bytes.data() : nullptr;
}

extern "C" CVCODEC_API int32_t cvcodec_blob_size(cvcodec_blob handle) {
    BlobObject* blob = fromHandle<BlobObject>(handle);
    return blob ? int32_t(blob->bytes.size()) : 0;
}
