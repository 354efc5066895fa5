#include "dsp/IIRFilter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <limits>
#include <numbers>
#include <vector>

using namespace lctune;

namespace {

// |H(e^iw)| of the biquad with the filter's own coefficients.
double magnitudeAt(const IIRFilter& f, double hz, double rate) {
    const auto c = f.coefficients();
    const std::complex<double> z1 = std::polar(1.0, -2 * std::numbers::pi * hz / rate);
    const std::complex<double> z2 = z1 * z1;
    return std::abs((double(c.b0) + double(c.b1) * z1 + double(c.b2) * z2) /
                    (1.0 + double(c.a1) * z1 + double(c.a2) * z2));
}

std::vector<int16_t> sine(double hz, double rate, double amplitude, size_t count) {
    std::vector<int16_t> s(count);
    for (size_t i = 0; i < count; ++i)
        s[i] = static_cast<int16_t>(
            std::lround(amplitude * std::sin(2 * std::numbers::pi * hz * double(i) / rate)));
    return s;
}

// Amplitude of the component at hz, by projection over a stretch of whole periods.
double amplitudeAt(const std::vector<int16_t>& s, size_t from, size_t count, double hz, double rate) {
    double c = 0, d = 0;
    for (size_t i = from; i < from + count; ++i) {
        const double a = 2 * std::numbers::pi * hz * double(i) / rate;
        c += s[i] * std::cos(a);
        d += s[i] * std::sin(a);
    }
    return 2 * std::hypot(c, d) / double(count);
}

std::vector<int16_t> extremes() {
    return {0, 1, -1, 32767, -32768, 12345, -20000, 32766, -32767};
}

} // namespace

TEST(IIRFilter, PeakingGainAtTheCentreFollowsTheClosedForm) {
    const double rate = 44100;
    for (float gain : {-12.0f, -6.0f, 3.0f, 12.0f}) {
        for (float centre : {80.0f, 1000.0f, 6165.19f}) {
            IIRFilter f;
            f.CreateBiquadIIR(IIRFilter::Peaking, gain, centre, float(rate), 1.3034f);
            const double expected = std::pow(10.0, gain / 20.0);
            EXPECT_NEAR(magnitudeAt(f, centre, rate), expected, 2e-3 * expected)
                << gain << " dB at " << centre;
            // Far from the centre the peak leaves the signal alone.
            if (centre == 1000.0f) {
                EXPECT_NEAR(magnitudeAt(f, 5.0, rate), 1.0, 2e-3);
            }
        }
    }
}

TEST(IIRFilter, PeakingGainShowsInTheFilteredSamples) {
    // 1102.5 Hz at 44100 per second has a period of exactly 40 samples.
    const double rate = 44100, hz = 1102.5;
    IIRFilter f;
    f.CreateBiquadIIR(IIRFilter::Peaking, 6.0f, float(hz), float(rate), 1.0f);
    auto s = sine(hz, rate, 8000, 8000);
    // Filtered in two calls: the memory carries over, so the result is one continuous signal.
    f.ProcessSamples_16bit(std::span(s).first(3000));
    f.ProcessSamples_16bit(std::span(s).subspan(3000));
    EXPECT_NEAR(amplitudeAt(s, 4000, 4000, hz, rate), 8000 * std::pow(10.0, 6.0 / 20.0), 8.0);
}

TEST(IIRFilter, OtherTypesHaveTheirCookbookShapes) {
    const double rate = 48000;
    IIRFilter f;
    f.CreateBiquadIIR(IIRFilter::LowPass, 0, 1000, float(rate), 1);
    EXPECT_NEAR(magnitudeAt(f, 0, rate), 1.0, 1e-5);
    EXPECT_NEAR(magnitudeAt(f, rate / 2, rate), 0.0, 1e-5);
    f.CreateBiquadIIR(IIRFilter::HighPass, 0, 1000, float(rate), 1);
    EXPECT_NEAR(magnitudeAt(f, 0, rate), 0.0, 1e-5);
    EXPECT_NEAR(magnitudeAt(f, rate / 2, rate), 1.0, 1e-5);
    f.CreateBiquadIIR(IIRFilter::BandPass, 0, 1000, float(rate), 1);
    EXPECT_NEAR(magnitudeAt(f, 1000, rate), 1.0, 1e-4);
    EXPECT_NEAR(magnitudeAt(f, 50, rate), 0.0, 0.1);
}

TEST(IIRFilter, PeakingAtZeroDecibelsPassesSamplesUnchanged) {
    IIRFilter f;
    f.CreateBiquadIIR(IIRFilter::Peaking, 0, 454.81f, 44100, 1.3034f);
    EXPECT_FALSE(f.passesThrough());
    auto s = extremes();
    auto wave = sine(454.81, 44100, 32767, 5000);
    s.insert(s.end(), wave.begin(), wave.end());
    const auto before = s;
    f.ProcessSamples_16bit(s);
    EXPECT_EQ(s, before);
}

TEST(IIRFilter, OutputSaturatesBeyondFullScale) {
    IIRFilter f;
    f.CreateBiquadIIR(IIRFilter::Peaking, 12, 1102.5f, 44100, 1);
    auto s = sine(1102.5, 44100, 30000, 4000);
    f.ProcessSamples_16bit(s);
    int16_t hi = 0, lo = 0;
    for (int16_t v : s)
        hi = std::max(hi, v), lo = std::min(lo, v);
    EXPECT_EQ(hi, 32767);
    EXPECT_EQ(lo, -32768);
}

TEST(IIRFilter, DisabledFilterLeavesSamplesAndMemoryAlone) {
    IIRFilter f, reference;
    f.CreateBiquadIIR(IIRFilter::LowPass, 0, 500, 44100, 1);
    reference.CreateBiquadIIR(IIRFilter::LowPass, 0, 500, 44100, 1);
    f.Enabled(false);
    auto s = sine(3000, 44100, 20000, 500);
    const auto before = s;
    f.ProcessSamples_16bit(s);
    EXPECT_EQ(s, before);
    f.Enabled(true);
    auto a = before, b = before;
    f.ProcessSamples_16bit(a);
    reference.ProcessSamples_16bit(b);
    EXPECT_EQ(a, b);
    EXPECT_NE(a, before);
}

TEST(IIRFilter, UnconfiguredFilterSilencesAndPropertyWritesNeedARate) {
    IIRFilter f;
    EXPECT_TRUE(f.Enabled());
    std::vector<int16_t> s{1000, -1000, 32767};
    f.ProcessSamples_16bit(s);
    EXPECT_EQ(s, (std::vector<int16_t>{0, 0, 0}));
    std::vector<uint8_t> b{0, 200, 255};
    f.ProcessSamples_8bit(b);
    EXPECT_EQ(b, (std::vector<uint8_t>{128, 128, 128}));

    // Without a rate a write only stores the value.
    f.Frequency(1000);
    f.GainDB(6);
    f.Bandwidth(1);
    EXPECT_EQ(f.Frequency(), 1000.0f);
    EXPECT_EQ(f.coefficients().b0, 0.0f);

    // With a rate the stored settings take effect, with the type of the last CreateBiquadIIR (0).
    f.samplerate(44100);
    EXPECT_NEAR(magnitudeAt(f, 0, 44100), 1.0, 1e-5);
    f.CreateBiquadIIR(IIRFilter::Peaking, 6, 1000, 44100.4f, 1);
    EXPECT_EQ(f.samplerate(), 44100);
    EXPECT_EQ(f.IIRType(), IIRFilter::Peaking);
    f.GainDB(12);
    EXPECT_NEAR(magnitudeAt(f, 1000, 44100), std::pow(10.0, 12 / 20.0), 0.01);
}

TEST(IIRFilter, RecomputingClearsTheMemory) {
    IIRFilter f, fresh;
    f.CreateBiquadIIR(IIRFilter::Peaking, 9, 700, 44100, 1);
    auto warm = sine(700, 44100, 20000, 300);
    f.ProcessSamples_16bit(warm);
    f.Frequency(800);
    fresh.CreateBiquadIIR(IIRFilter::Peaking, 9, 800, 44100, 1);
    auto a = sine(900, 44100, 10000, 300), b = a;
    f.ProcessSamples_16bit(a);
    fresh.ProcessSamples_16bit(b);
    EXPECT_EQ(a, b);
}

TEST(IIRFilter, EightBitSamplesCentreOn128) {
    IIRFilter f;
    f.CreateBiquadIIR(IIRFilter::Peaking, 0, 1000, 8000, 1);
    std::vector<uint8_t> b{128, 0, 1, 127, 129, 255, 200};
    const auto before = b;
    f.ProcessSamples_8bit(b);
    EXPECT_EQ(b, before);
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
        {"infinite gain", IIRFilter::Peaking, 1e30f, 1000, 44100, 1},
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
        std::vector<uint8_t> b{0, 77, 128, 255};
        f.ProcessSamples_8bit(b);
        EXPECT_EQ(b, (std::vector<uint8_t>{0, 77, 128, 255})) << c.what;
    }
}

TEST(IIRFilter, RunawayFilterNeverWritesGarbage) {
    // A negative bandwidth puts the poles outside the unit circle: the memory grows without
    // bound. The output must stay within range and the filter must keep running.
    IIRFilter f;
    f.CreateBiquadIIR(IIRFilter::Peaking, 6, 1000, 44100, -3);
    auto s = sine(1000, 44100, 20000, 20000);
    f.ProcessSamples_16bit(s);
    const auto k = f.coefficients();
    for (float v : {k.b0, k.b1, k.b2, k.a1, k.a2})
        EXPECT_TRUE(std::isfinite(v));
    // Samples are valid 16-bit values by construction; the point is that no NaN turned them to a
    // constant 0 for the rest of the stream.
    int nonZero = 0;
    for (size_t i = s.size() - 1000; i < s.size(); ++i)
        nonZero += s[i] != 0;
    EXPECT_GT(nonZero, 500);
}
