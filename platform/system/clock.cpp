#include "clock.h"

#include <chrono>
#include <ctime>
#include <thread>

namespace calvorine::platform {

int64_t monotonicMicroseconds() {
    timespec ts{};
    // CLOCK_MONOTONIC never jumps with the wall clock; seconds and nanoseconds are
    // combined without an intermediate product that could overflow.
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000000 + ts.tv_nsec / 1000;
}

void sleepForMicroseconds(int64_t microseconds) {
    if (microseconds > 0) {
        std::this_thread::sleep_for(std::chrono::microseconds(microseconds));
    }
}

} // namespace calvorine::platform
