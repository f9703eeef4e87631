// The process's monotonic microsecond clock. The codec library stamps video frames
// with it and the capture threads stamp sound with it, so both share one origin.
// Thread-safe; no state.
#pragma once

#include <cstdint>

namespace calvorine::platform {

// Microseconds since an arbitrary, fixed origin (the boot of the machine). Only
// differences mean anything. Never runs backwards; does not overflow in practice
// (2^63 microseconds are some 292,000 years).
int64_t monotonicMicroseconds();

// Suspends the calling thread for the given microseconds (nothing for values <= 0).
void sleepForMicroseconds(int64_t microseconds);

} // namespace calvorine::platform
