// Every object handed out as a handle begins with a kind tag, so that an entry given a
// 0 handle or a handle of another kind answers 0 instead of touching the wrong object.
// Internal to the codec library.
#pragma once

#include <cstdint>

namespace calvorine::codec {

enum class HandleKind : uint32_t {
    Dead = 0,
    Params = 0x50415241,   // "PARA"
    Recorder = 0x5245434f, // "RECO"
    Frame = 0x4652414d,    // "FRAM"
    Track = 0x54524143,    // "TRAC"
    Blob = 0x424c4f42,     // "BLOB"
    Token = 0x544f4b4e,    // "TOKN"
};

// Base of every handle object. The tag is cleared on destruction so that a handle used
// after its release is refused in the common case.
struct HandleObject {
    explicit HandleObject(HandleKind kind) : handleKind(kind) {}
    HandleObject(const HandleObject&) = delete;
    HandleObject& operator=(const HandleObject&) = delete;
    ~HandleObject() { handleKind = HandleKind::Dead; }

    volatile HandleKind handleKind;
};

// The object behind a public handle, or null for 0 or a handle of another kind.
template <typename Object, typename Handle> Object* fromHandle(Handle handle) {
    if (!handle)
        return nullptr;
    auto* object = reinterpret_cast<Object*>(handle);
    if (object->handleKind != Object::kKind)
        return nullptr;
    return object;
}

template <typename Handle, typename Object> Handle toHandle(Object* object) {
    return reinterpret_cast<Handle>(object);
}

} // namespace calvorine::codec
