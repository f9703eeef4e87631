// The library-wide choices of the start-up series. Thread-safe. Internal to the codec
// library.
#pragma once

#include <string>

namespace calvorine::codec {

// Thread count for encoders: 0 lets each encoder use every core.
int encoderThreadCount();
std::string dataFolder();

} // namespace calvorine::codec
