// How strongly one frequency sounds in decoded samples (the Goertzel filter): how the
// recording tests tell a tone from silence, and one source's tone from another's.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace soundtest {

// Signed 16-bit mono samples; about 1 for a full-scale sine, 0 for none at all.
inline double toneStrength(const int16_t* samples, int count, int rateHz, double frequencyHz) {
    if (count <= 0) {
        return 0.0;
    }
    const double coefficient = 2.0 * std::cos(2.0 * M_PI * frequencyHz / rateHz);
    double s1 = 0.0;
    double s2 = 0.0;
    for (int i = 0; i < count; ++i) {
        const double s0 = samples[i] / 32768.0 + coefficient * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    const double power = s1 * s1 + s2 * s2 - coefficient * s1 * s2;
    return 2.0 * std::sqrt(std::max(0.0, power)) / count;
}

inline double toneStrength(const std::vector<int16_t>& samples, int rateHz, double frequencyHz) {
    return toneStrength(samples.data(), int(samples.size()), rateHz, frequencyHz);
}

} // namespace soundtest
