#include "dsp/IIRFilter.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <limits>
#include <numbers>
#include <vector>

using namespace lctune;
using namespace lctune::test;

namespace {

// |H(e^iw)| of the biquad with the filter's own coefficients.
double magnitudeAt(const IIRFilter& f, double hz, double rate) {
    const auto c = f.coefficients();
    const std::complex<double> z1 = std::polar(1.0, -2 * std::numbers::pi * hz / rate), z2 = z1 * z1;
    return std::abs((double(c.b0) + double(c.b1) * z1 + double(c.b2) * z2) /
                    (1.0 + double(c.a1) * z1 + double(c.a2) * z2));
}

// Every extreme of the sample range, then a full-scale sine.
std::vector<int16_t> extremes() {
    std::vector<int16_t> s{0, 1, -1, 32767, -32768, 12345, -20000, 32766, -32767};
    const auto wave = sine(454.81, 44100, 32767, 3000);
    s.insert(s.end(), wave.begin(), wave.end());
    return s;
}

} // namespace

TEST(IIRFilter, GainsAtTheCentreAndTheEdgesFollowTheClosedForms) {
    const double rate = 44100;
    for (float gain : {-12.0f, -6.0f, 3.0f, 12.0f}) {
        for (float centre : {80.0f, 1000.0f, 6165.19f}) {
            IIRFilter f;
            f.CreateBiquadIIR(IIRFilter::Peaking, gain, centre, float(rate), 1.3034f);
            const double expected = std::pow(10.0, gain / 20.0); // A squared
            EXPECT_NEAR(magnitudeAt(f, centre, rate), expected, 2e-3 * expected)
                << gain << " dB at " << centre;
        }
    }
    IIRFilter f;
    f.CreateBiquadIIR(IIRFilter::LowPass, 0, 1000, 48000, 1);
    EXPECT_NEAR(magnitudeAt(f, 0, 48000), 1.0, 1e-5);
    EXPECT_NEAR(magnitudeAt(f, 24000, 48000), 0.0, 1e-5);
    f.CreateBiquadIIR(IIRFilter::HighPass, 0, 1000, 48000, 1);
    EXPECT_NEAR(magnitudeAt(f, 0, 48000), 0.0, 1e-5);
    EXPECT_NEAR(magnitudeAt(f, 24000, 48000), 1.0, 1e-5);
    f.CreateBiquadIIR(IIRFilter::BandPass, 0, 1000, 48000, 1);
    EXPECT_NEAR(magnitudeAt(f, 1000, 48000), 1.0, 1e-4);
}

TEST(IIRFilter, FiltersBlocksAsOneContinuousSignalAndSaturates) {
    // 1102.5 Hz at 44100 per second: exactly 40 samples a period. +6 dB at the centre.
    IIRFilter f;
    f.CreateBiquadIIR(IIRFilter::Peaking, 6.0f, 1102.5f, 44100, 1.0f);
    auto s = sine(1102.5, 44100, 8000, 8000);
    f.ProcessSamples_16bit(std::span(s).first(3000));
    f.ProcessSamples_16bit(std::span(s).subspan(3000));
    double c = 0, d = 0;
    for (size_t i = 4000; i < 8000; ++i) {
        c += s[i] * std::cos(2 * std::numbers::pi * double(i) / 40);
        d += s[i] * std::sin(2 * std::numbers::pi * double(i) / 40);
    }
    EXPECT_NEAR(2 * std::hypot(c, d) / 4000, 8000 * std::pow(10.0, 6.0 / 20.0), 8.0);

    f.GainDB(12);
    auto loud = sine(1102.5, 44100, 30000, 4000);
    f.ProcessSamples_16bit(loud);
    EXPECT_EQ(*std::max_element(loud.begin(), loud.end()), 32767);
    EXPECT_EQ(*std::min_element(loud.begin(), loud.end()), -32768);
}

TEST(IIRFilter, PeakingAtZeroDecibelsPassesSamplesUnchanged) {
    IIRFilter f;
    f.CreateBiquadIIR(IIRFilter::Peaking, 0, 454.81f, 44100, 1.3034f);
    EXPECT_FALSE(f.passesThrough());
    auto s = extremes();
    const auto before = s;
    f.ProcessSamples_16bit(s);
    EXPECT_EQ(s, before);
    std::vector<uint8_t> b{128, 0, 1, 127, 129, 255, 200};
    f.ProcessSamples_8bit(b);
    EXPECT_EQ(b, (std::vector<uint8_t>{128, 0, 1, 127, 129, 255, 200}));
}

TEST(IIRFilter, DisabledOrUnconfiguredFilters) {
    IIRFilter f, reference;
    f.CreateBiquadIIR(IIRFilter::LowPass, 0, 500, 44100, 1);
    reference.CreateBiquadIIR(IIRFilter::LowPass, 0, 500, 44100, 1);
    f.Enabled(false);
    const auto before = sine(3000, 44100, 20000, 500);
    auto a = before, b = before;
    f.ProcessSamples_16bit(a);
    EXPECT_EQ(a, before) << "disabled: untouched";
    f.Enabled(true);
    f.ProcessSamples_16bit(a);
    reference.ProcessSamples_16bit(b);
    EXPECT_EQ(a, b) << "disabled: memory untouched too";

    // A new filter silences until configured; without a rate, writes only store.
    IIRFilter fresh;
    std::vector<int16_t> x{1000, -1000, 32767};
    fresh.ProcessSamples_16bit(x);
    EXPECT_EQ(x, (std::vector<int16_t>{0, 0, 0}));
    fresh.GainDB(12);
    fresh.Frequency(1000);
    EXPECT_EQ(fresh.coefficients().b0, 0.0f);
    // Once a rate is set, every property write recomputes the coefficients.
    fresh.CreateBiquadIIR(IIRFilter::Peaking, 0, 50, 44100.4f, 1);
    EXPECT_EQ(fresh.samplerate(), 44100);
    fresh.Frequency(1000);
    fresh.GainDB(12);
    EXPECT_NEAR(magnitudeAt(fresh, 1000, 44100), std::pow(10.0, 12 / 20.0), 0.01);
}

TEST(IIRFilter, SettingsWithoutAMeaningfulFilterPassSamplesThrough) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Case {
        const char* what;
        int32_t type;
        float gain, freq, rate, bw;
    } cases[] = {
        {"unknown type", 7, 6, 1000, 44100, 1},
        {"negative type", -1, 6, 1000, 44100, 1},
        {"frequency 0 (sn = 0)", IIRFilter::Peaking, 6, 0, 44100, 1},
        {"frequency at half the rate", IIRFilter::LowPass, 6, 22050, 44100, 1},
        {"rate 0", IIRFilter::Peaking, 6, 1000, 0, 1},
        {"NaN gain", IIRFilter::Peaking, nan, 1000, 44100, 1},
        {"NaN bandwidth", IIRFilter::HighPass, 0, 1000, 44100, nan},
        {"overflowing gain", IIRFilter::Peaking, 1e30f, 1000, 44100, 1},
    };
    for (const Case& c : cases) {
        IIRFilter f;
        f.CreateBiquadIIR(c.type, c.gain, c.freq, c.rate, c.bw);
        EXPECT_TRUE(f.passesThrough()) << c.what;
        const auto k = f.coefficients();
        for (float v : {k.b0, k.b1, k.b2, k.a1, k.a2})
            EXPECT_TRUE(std::isfinite(v)) << c.what;
        auto s = extremes();
        const auto before = s;
        f.ProcessSamples_16bit(s);
        EXPECT_EQ(s, before) << c.what;
    }

    // Poles outside the unit circle (a negative bandwidth) run the memory to infinity; the filter
    // restarts from rest instead of turning every later sample into NaN, that is silence.
    IIRFilter runaway;
    runaway.CreateBiquadIIR(IIRFilter::Peaking, 6, 1000, 44100, -3);
    auto s = sine(1000, 44100, 20000, 20000);
    runaway.ProcessSamples_16bit(s);
    EXPECT_GT(std::count_if(s.end() - 1000, s.end(), [](int16_t v) { return v != 0; }), 500);
}
