// How strongly one frequency sounds in decoded samples (the Goertzel filter): how the
// recording tests tell a tone from silence, and one source's tone from another's; and a
// file's sound as ffmpeg decodes it.
#pragma once

#include "tests/support/RunTool.h"

#include <QString>
#include <QStringList>

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

// Where a steady tone begins in decoded samples (seconds), to about a millisecond: the
// first 5 ms window, in steps of 1 ms, that holds at least half the tone's usual (median)
// strength holds 2.5 ms of it. -1 when no window does.
inline double toneOnset(const std::vector<int16_t>& samples, int rateHz, double frequencyHz) {
    const int window = rateHz / 200;
    const int step = rateHz / 1000;
    std::vector<double> strengths;
    for (int at = 0; at + window <= int(samples.size()); at += step) {
        strengths.push_back(toneStrength(samples.data() + at, window, rateHz, frequencyHz));
    }
    if (strengths.empty()) {
        return -1;
    }
    std::vector<double> sorted = strengths;
    std::nth_element(sorted.begin(), sorted.begin() + std::ptrdiff_t(sorted.size() / 2), sorted.end());
    const double usual = sorted[sorted.size() / 2];
    for (size_t i = 0; i < strengths.size(); ++i) {
        if (usual > 0 && strengths[i] >= usual / 2) {
            return (double(i) * step + window / 2.0) / rateHz;
        }
    }
    return -1;
}

// The file's first sound stream as ffmpeg decodes it, mono 16-bit at the given rate.
inline std::vector<int16_t> decodedMono(const QString& path, int rateHz) {
    const runtool::Result decoded =
        runtool::run(QStringLiteral("ffmpeg"), {"-nostdin", "-v", "error", "-i", path, "-map", "0:a:0", "-ac", "1",
                                                "-ar", QString::number(rateHz), "-f", "s16le", "-"});
    std::vector<int16_t> samples(size_t(decoded.out.size()) / 2);
    std::copy_n(decoded.out.constData(), samples.size() * 2, reinterpret_cast<char*>(samples.data()));
    return samples;
}

// The quarter seconds of decoded samples, from the first to the one before the last, that
// hold less than 0.05 of a steady tone; empty when every one holds it.
inline QStringList quartersWithoutTone(const std::vector<int16_t>& samples, int rateHz, double frequencyHz) {
    const int quarter = rateHz / 4;
    QStringList missing;
    for (int at = 0; at + 2 * quarter <= int(samples.size()); at += quarter) {
        const double strength = toneStrength(samples.data() + at, quarter, rateHz, frequencyHz);
        if (strength < 0.05) {
            missing << QStringLiteral("quarter at %1 s: %2").arg(at / double(rateHz)).arg(strength, 0, 'f', 3);
        }
    }
    return missing;
}

// Where a steady tone is missing from decoded samples: its quarter seconds
// (quartersWithoutTone) and, when those all hold it, 10 ms windows from
// windowsFromSeconds to the last quarter second, or to the end with toTheEnd
// (toneDropouts). Empty when it is whole.
inline QStringList missingTone(const std::vector<int16_t>& samples, int rateHz, double frequencyHz,
                               double windowsFromSeconds, bool toTheEnd = false) {
    QStringList missing = quartersWithoutTone(samples, rateHz, frequencyHz);
    if (missing.isEmpty()) {
        const double seconds = double(samples.size()) / rateHz;
        for (double at :
             toneDropouts(samples, rateHz, frequencyHz, windowsFromSeconds, toTheEnd ? seconds : seconds - 0.25)) {
            missing << QStringLiteral("10 ms at %1 s").arg(at, 0, 'f', 2);
        }
    }
    return missing;
}

} // namespace soundtest
