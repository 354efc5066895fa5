// The phase meter against tones of known frequency: exact for steady tones whatever the reference,
// unmoved by decay and harmonics, and silent on silence.

#include "dsp/PhaseFrequencyMeter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

using namespace lctune;

namespace {

constexpr double kRate = 88200;

// A tone with a fundamental at `hz` and two harmonics, its amplitude falling by `decay` a second,
// as 16-bit samples.
std::vector<int16_t> tone(double hz, double seconds, double decay, double harmonics) {
    std::vector<int16_t> s(static_cast<size_t>(seconds * kRate));
    for (size_t i = 0; i < s.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double w = 2 * std::numbers::pi * hz * t;
        const double v = std::sin(w) + harmonics * (0.8 * std::sin(2 * w + 1) + 0.5 * std::sin(3 * w + 2));
        s[i] = static_cast<int16_t>(std::lround(12000 * std::pow(decay, t) * v));
    }
    return s;
}

double cents(double measured, double hz) {
    return 1200 * std::log2(measured / hz);
}

// Measures `samples` block by block, as the summary does, and returns the weighted mean.
double measureBlocks(const std::vector<int16_t>& samples, double reference) {
    PhaseFrequencyMeter meter(kRate, 5120);
    double weighted = 0, weight = 0;
    for (size_t at = 0; at + 5120 <= samples.size(); at += 5120) {
        meter.push(std::span(samples).subspan(at, 5120));
        const auto m = meter.measure(static_cast<int64_t>(at), static_cast<int64_t>(at + 5120), reference);
        if (!m.valid()) continue;
        weighted += m.weight * m.hertz;
        weight += m.weight;
    }
    return weight > 0 ? weighted / weight : 0;
}

} // namespace

TEST(PhaseFrequencyMeter, SteadyTonesComeOutExactWhateverTheReference) {
    for (const double hz : {41.2, 110.0, 440.0 * std::exp2(12 / 1200.0), 1567.98}) {
        const auto samples = tone(hz, 1.0, 1.0, 0.0);
        for (const double off : {-0.06, 0.0, 0.06})
            EXPECT_NEAR(cents(measureBlocks(samples, hz * (1 + off)), hz), 0, 0.02)
                << hz << " Hz, off " << off;
    }
}

TEST(PhaseFrequencyMeter, DecayAndHarmonicsDoNotMoveThePitchAndSilenceHasNone) {
    for (const double hz : {82.41, 196.0, 659.26}) {
        const auto samples = tone(hz, 2.0, 0.05, 1.0); // down to 5 % in a second, rich in harmonics
        EXPECT_NEAR(cents(measureBlocks(samples, hz * 1.01), hz), 0, 0.05) << hz << " Hz";
    }
    PhaseFrequencyMeter meter(kRate, 5120);
    const std::vector<int16_t> silence(5120, 0);
    meter.push(silence);
    EXPECT_FALSE(meter.measure(0, 5120, 440).valid());
    // A stretch the meter no longer holds, or not yet, is no measurement either.
    EXPECT_FALSE(meter.measure(0, 10240, 440).valid());
}
