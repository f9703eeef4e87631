// How clean a steady tone is: a sine (amplitude, phase and offset by least squares, its
// frequency searched near the one expected) fitted to a block of samples, and what is
// left over against the tone. A sample left out or doubled, a click, a gap or a buzz
// all stay in the residual; a tone resampled smoothly does not. Used by the recording
// tests and by the sound-purity benchmark.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace soundtest {

struct SineFit {
    double frequencyHz = 0;
    double amplitude = 0;   // of the fitted sine, full scale 1
    double residualDb = 0;  // the energy left over against the sine's, in dB
    double residualRms = 0; // full scale 1
};

namespace detail {

// The energy left over after fitting a*cos + b*sin + c at one frequency; the sine's
// amplitude through `amplitude`.
inline double leftOver(const int16_t* samples, int count, int rateHz, double frequencyHz, double& amplitude) {
    double scc = 0, sss = 0, scs = 0, sc = 0, ss = 0, xc = 0, xs = 0, x1 = 0, xx = 0;
    const double step = 2.0 * M_PI * frequencyHz / rateHz;
    // The oscillator turns by a rotation per sample (recomputed now and then to keep
    // its rounding from growing).
    const double cs = std::cos(step);
    const double sn = std::sin(step);
    double c = 1.0;
    double s = 0.0;
    for (int i = 0; i < count; ++i) {
        if (i % 1024 == 0) {
            c = std::cos(step * i);
            s = std::sin(step * i);
        }
        const double x = samples[i] / 32768.0;
        scc += c * c;
        sss += s * s;
        scs += c * s;
        sc += c;
        ss += s;
        xc += x * c;
        xs += x * s;
        x1 += x;
        xx += x * x;
        const double nc = c * cs - s * sn;
        s = s * cs + c * sn;
        c = nc;
    }
    // Normal equations of [c s 1]: solved by Cramer's rule.
    const double n = count;
    const double m[3][3] = {{scc, scs, sc}, {scs, sss, ss}, {sc, ss, n}};
    const double r[3] = {xc, xs, x1};
    auto det = [](const double a[3][3]) {
        return a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) - a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0]) +
               a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]);
    };
    const double d = det(m);
    if (std::abs(d) < 1e-12) {
        amplitude = 0;
        return xx;
    }
    double coefficient[3];
    for (int k = 0; k < 3; ++k) {
        double a[3][3];
        for (int i = 0; i < 3; ++i) {
            for (int j = 0; j < 3; ++j) {
                a[i][j] = j == k ? r[i] : m[i][j];
            }
        }
        coefficient[k] = det(a) / d;
    }
    amplitude = std::hypot(coefficient[0], coefficient[1]);
    return std::max(0.0, xx - (coefficient[0] * r[0] + coefficient[1] * r[1] + coefficient[2] * r[2]));
}

} // namespace detail

// The best sine within searchHz of frequencyHz (searched to a thousandth of a hertz).
inline SineFit fitSine(const int16_t* samples, int count, int rateHz, double frequencyHz, double searchHz = 4.0) {
    SineFit fit;
    if (count <= 16) {
        return fit;
    }
    double amplitude = 0;
    double best = frequencyHz;
    double bestLeft = -1;
    const double coarse = std::min(0.25, searchHz);
    for (double f = frequencyHz - searchHz; f <= frequencyHz + searchHz + 1e-9; f += coarse) {
        const double left = detail::leftOver(samples, count, rateHz, f, amplitude);
        if (bestLeft < 0 || left < bestLeft) {
            bestLeft = left;
            best = f;
        }
    }
    // Golden-section search around the best step.
    double lo = best - coarse;
    double hi = best + coarse;
    const double g = (std::sqrt(5.0) - 1) / 2;
    double a = hi - g * (hi - lo);
    double b = lo + g * (hi - lo);
    double la = detail::leftOver(samples, count, rateHz, a, amplitude);
    double lb = detail::leftOver(samples, count, rateHz, b, amplitude);
    while (hi - lo > 0.001) {
        if (la < lb) {
            hi = b;
            b = a;
            lb = la;
            a = hi - g * (hi - lo);
            la = detail::leftOver(samples, count, rateHz, a, amplitude);
        } else {
            lo = a;
            a = b;
            la = lb;
            b = lo + g * (hi - lo);
            lb = detail::leftOver(samples, count, rateHz, b, amplitude);
        }
    }
    fit.frequencyHz = (lo + hi) / 2;
    const double left = detail::leftOver(samples, count, rateHz, fit.frequencyHz, fit.amplitude);
    const double toneEnergy = fit.amplitude * fit.amplitude / 2 * count;
    fit.residualRms = std::sqrt(left / count);
    fit.residualDb = toneEnergy > 0 ? 10 * std::log10(std::max(left, 1e-20) / toneEnergy) : 0;
    return fit;
}

} // namespace soundtest
