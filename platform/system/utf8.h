// UTF-8 validation shared by the application core and the audio-tag library.
// Thread-safe; no state.
#pragma once

#include <cstddef>

namespace calvorine::platform {

// True when the bytes up to the terminating zero are well-formed UTF-8: one- to
// four-byte sequences, no overlong forms, no UTF-16 surrogates (U+D800..U+DFFF), nothing
// above U+10FFFF, no sequence cut short. An empty text is valid; null is not.
bool isValidUtf8(const char* text);

// The same over a byte range that may hold zero bytes (a zero byte is a valid character).
bool isValidUtf8(const char* bytes, std::size_t length);

} // namespace calvorine::platform
