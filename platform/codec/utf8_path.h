// Paths handed to the library are UTF-8; this is where they are checked before any
// file is touched. Internal to the codec library.
#pragma once

#include <string>

namespace calvorine::codec {

// True for a non-empty, well-formed UTF-8 path without control characters.
bool isUsablePath(const char* pathUtf8);

} // namespace calvorine::codec
