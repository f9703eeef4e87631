// How strongly one frequency sounds in decoded samples (the Goertzel filter): how the
// recording tests tell a tone from silence, and one source's tone from another's.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <utility>
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

// The moments (seconds) where a steady tone goes missing between two moments: 10 ms
// windows whose strength falls below half the tone's usual (median) strength there.
// Empty also when the span holds no tone at all: the caller checks that first.
inline std::vector<double> toneDropouts(const std::vector<int16_t>& samples, int rateHz, double frequencyHz,
                                        double fromSeconds, double toSeconds) {
    const int window = rateHz / 100;
    const int end = std::min(int(toSeconds * rateHz), int(samples.size()));
    std::vector<std::pair<int, double>> strengths;
    for (int at = std::max(0, int(fromSeconds * rateHz)); at + window <= end; at += window) {
        strengths.emplace_back(at, toneStrength(samples.data() + at, window, rateHz, frequencyHz));
    }
    std::vector<double> sorted;
    for (const auto& s : strengths) {
        sorted.push_back(s.second);
    }
    std::vector<double> missing;
    if (sorted.empty()) {
        return missing;
    }
    std::nth_element(sorted.begin(), sorted.begin() + std::ptrdiff_t(sorted.size() / 2), sorted.end());
    const double usual = sorted[sorted.size() / 2];
    for (const auto& s : strengths) {
        if (s.second < usual / 2) {
            missing.push_back(s.first / double(rateHz));
        }
    }
    return missing;
}

} // namespace soundtest
