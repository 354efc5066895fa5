#include "core/Error.h"
#include "dsp/clsDSP.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

using namespace lctune;
using namespace lctune::test;

namespace {

void makeReady(clsDSP& dsp, int32_t rate, int16_t channels = 1) {
    dsp.samplerate(rate);
    dsp.Channels(channels);
}

int64_t nonZero(std::span<const int16_t> s) {
    return std::count_if(s.begin(), s.end(), [](int16_t v) { return v != 0; });
}

} // namespace

TEST(DSP, RejectedWritesRaise32000AndChangeNothing) {
    clsDSP dsp;
    expectError([&] { dsp.samplerate(0); }, 32000, "invalid samplerate");
    expectError([&] { dsp.Channels(3); }, 32000, "invalid channels");
    EXPECT_EQ(dsp.samplerate(), 0);
    EXPECT_EQ(dsp.Channels(), 0);

    makeReady(dsp, 44100, 2);
    dsp.EqualizerBandGainDB(2, 6);
    expectError([&] { dsp.samplerate(96001); }, 32000, "invalid samplerate");
    expectError([&] { dsp.Channels(0); }, 32000, "invalid channels");
    expectError([&] { dsp.EqualizerBands(11); }, 32000, "Out Of Bounds!");
    expectError([&] { dsp.EqualizerBands(0); }, 32000, "Out Of Bounds!");
    expectError([&] { dsp.EqualizerBandGainDB(7, 3); }, 32000, "Out Of Bounds!");
    expectError([&] { (void)dsp.EqualizerBandFrequency(-1); }, 32000, "Out Of Bounds!");
    EXPECT_EQ(dsp.samplerate(), 44100);
    EXPECT_EQ(dsp.Channels(), 2);
    EXPECT_EQ(dsp.EqualizerBands(), 7);
    EXPECT_EQ(dsp.EqualizerBandGainDB(2), 6.0f);
    EXPECT_EQ(dsp.EqualizerBandFrequency(6), 14700);
}

TEST(DSP, LeavesBlocksAloneUntilReadyAndWithoutEffectsOrGains) {
    clsDSP dsp;
    dsp.EffectsUsed(7);
    dsp.EqualizerBandGainDB(0, 12);
    const auto original = sine(100, 44100, 20000, 5120);
    auto s = original;
    dsp.ProcessSamples(s);
    dsp.均衡处理子程序(s);
    dsp.后期周相_ProcessSamples(s);
    dsp.samplerate(44100); // the channel count is still missing
    dsp.ProcessSamples(s);
    dsp.均衡处理子程序(s);
    EXPECT_EQ(s, original);
    EXPECT_EQ(dsp.echoLineLength(), 0);

    clsDSP idle;
    makeReady(idle, 88200);
    idle.EffectsUsed(8 | 1024); // unknown bits are ignored
    s[0] = -32768;
    s[1] = 32767;
    const auto edge = s;
    idle.ProcessSamples(s);
    idle.均衡处理子程序(s); // all band gains 0
    idle.后期均衡_ProcessSamples(s);
    EXPECT_EQ(s, edge);
}

TEST(DSP, AmplifierMultipliesInSinglePrecisionAndClips) {
    clsDSP dsp;
    makeReady(dsp, 44100);
    dsp.EffectsUsed(clsDSP::kAmplifier); // AmplifyDB 3: x 1.4125
    std::vector<int16_t> s{1000, -1000, 30000, -30000, 0, 7};
    dsp.ProcessSamples(s);
    EXPECT_EQ(s, (std::vector<int16_t>{1413, -1413, 32767, -32768, 0, 10}));

    std::vector<int16_t> p{1000, -200};
    clsDSP::amplify(p, 50, clsDSP::GainUnit::Percent);
    EXPECT_EQ(p, (std::vector<int16_t>{500, -100}));
    clsDSP::amplify(p, 2.5f, clsDSP::GainUnit::Factor);
    EXPECT_EQ(p, (std::vector<int16_t>{1250, -250}));
}

TEST(DSP, EchoRepeatsFallByTheGainEveryDelay) {
    clsDSP dsp;
    makeReady(dsp, 44100);
    dsp.EffectsUsed(clsDSP::kEcho);
    ASSERT_EQ(dsp.echoLineLength(), 4410);
    // Fed in blocks of 5120 as the capture delivers them: the line carries over.
    std::vector<int16_t> stream(5120 * 4, 0);
    stream[0] = 10000;
    for (size_t b = 0; b < 4; ++b)
        dsp.ProcessSamples(std::span(stream).subspan(b * 5120, 5120));
    const int16_t expected[] = {10000, 4000, 1600, 640, 256};
    for (size_t k = 0; k < 5; ++k)
        EXPECT_EQ(stream[k * 4410], expected[k]) << "repeat " << k;
    EXPECT_EQ(nonZero(stream), 5);

    // Stereo: the line counts samples of the interleaved stream, so the repeat comes after half
    // the delay in frames, on the same channel.
    clsDSP stereo;
    makeReady(stereo, 44100, 2);
    stereo.EffectsUsed(clsDSP::kEcho);
    std::vector<int16_t> s(10000, 0);
    s[1] = 10000;
    stereo.ProcessSamples(s);
    EXPECT_EQ(s[1 + 4410], 4000);
}

TEST(DSP, EchoSettingsRestartTheLineAndStayInRange) {
    clsDSP dsp;
    dsp.EchoAmp(1.5f);
    EXPECT_EQ(dsp.EchoAmp(), 0.9f);
    dsp.EchoAmp(-0.5f);
    EXPECT_EQ(dsp.EchoAmp(), -0.5f);
    makeReady(dsp, 8000);
    dsp.EffectsUsed(clsDSP::kEcho);

    // A delay below one sample echoes after one sample.
    for (int32_t ms : {0, -50}) {
        dsp.EchoLength(ms);
        EXPECT_EQ(dsp.echoLineLength(), 1);
        std::vector<int16_t> s{10000, 0, 0};
        dsp.ProcessSamples(s);
        EXPECT_EQ(s, (std::vector<int16_t>{10000, -5000, 2500}));
    }
    // A new setting restarts the echo silent.
    dsp.EchoLength(1);
    std::vector<int16_t> quiet(20, 0);
    dsp.ProcessSamples(quiet);
    EXPECT_EQ(nonZero(quiet), 0);

    // A gain beyond -1 is accepted; its repeats saturate instead of wrapping around.
    dsp.EchoAmp(-3.0f);
    std::vector<int16_t> loud(17, 0); // line of 8 samples
    loud[0] = -32768;
    dsp.ProcessSamples(loud);
    EXPECT_EQ(loud[8], 32767);
    EXPECT_EQ(loud[16], -32768);

    dsp.EchoLength(INT32_MAX);
    EXPECT_EQ(dsp.echoLineLength(), 8000 * clsDSP::kMaxEchoSeconds);
}

TEST(DSP, AllThreeEffectsRunAsAmplifierEchoPhaseShift) {
    // 30000 amplified clips to 32767 before the echo repeats 0.4 of it (13107); the other order
    // would repeat 0.4 of 30000 and amplify that.
    clsDSP all, phaseOnly;
    makeReady(all, 44100);
    makeReady(phaseOnly, 44100);
    all.EffectsUsed(7);
    std::vector<int16_t> a(5000, 0), b(5000, 0);
    a[0] = 30000;
    all.ProcessSamples(a);
    b[0] = 32767;
    b[4410] = 13107;
    phaseOnly.后期周相_ProcessSamples(b);
    EXPECT_EQ(a, b);
    EXPECT_NE(b[1], 0) << "the phase shifter rings after the pulse";
}

TEST(DSP, BandCentresRunLogarithmicallyFrom80HzToAThirdOfTheRate) {
    clsDSP dsp;
    makeReady(dsp, 44100);
    const double at44100[] = {80, 190.75, 454.81, 1084.44, 2585.68, 6165.19, 14700};
    for (int32_t i = 0; i < 7; ++i) {
        EXPECT_NEAR(dsp.bandFilter(i).Frequency(), at44100[i], 0.006) << "band " << i;
        EXPECT_EQ(dsp.EqualizerBandFrequency(i), std::lround(at44100[i]));
        EXPECT_NEAR(dsp.bandFilter(i).Bandwidth(), 1.3034, 5e-5);
        EXPECT_EQ(dsp.bandFilter(i).IIRType(), IIRFilter::Peaking);
    }
    dsp.samplerate(88200);
    const double at88200[] = {80, 214.11, 573.03, 1533.62, 4104.51, 10985.11, 29400};
    for (int32_t i = 0; i < 7; ++i) {
        EXPECT_NEAR(dsp.bandFilter(i).Frequency(), at88200[i], 0.006) << "band " << i;
        EXPECT_NEAR(dsp.bandFilter(i).Bandwidth(), 1.47668, 5e-5);
    }
}

TEST(DSP, BandCountReplacesFiltersAndResetsGains) {
    clsDSP dsp;
    makeReady(dsp, 44100);
    for (int32_t i = 0; i < 7; ++i)
        dsp.EqualizerBandGainDB(i, 6);
    dsp.EqualizerBands(5);
    EXPECT_EQ(dsp.EqualizerBands(), 5);
    for (int32_t i = 0; i < 5; ++i)
        EXPECT_EQ(dsp.EqualizerBandGainDB(i), 0.0f);
    EXPECT_EQ(dsp.EqualizerBandFrequency(4), 14700);
    auto s = sine(300, 44100, 20000, 4000);
    const auto original = s;
    dsp.均衡处理子程序(s);
    EXPECT_EQ(s, original);

    // A single band sits at 80 Hz and works.
    dsp.EqualizerBands(1);
    EXPECT_EQ(dsp.EqualizerBandFrequency(0), 80);
    dsp.EqualizerBandGainDB(0, 12);
    auto low = sine(80, 44100, 4000, 44100);
    dsp.均衡处理子程序(low);
    EXPECT_NEAR(*std::max_element(low.begin() + 22050, low.end()), 4000 * std::pow(10.0, 12 / 20.0), 40);
}

TEST(DSP, EqualiserRunsTheBandsInSeriesEachClippingOnItsOwn) {
    clsDSP dsp;
    makeReady(dsp, 44100);
    std::array<IIRFilter, 7> bands;
    const float gains[] = {12, -6, 9, 0, 12, -12, 6};
    for (int32_t i = 0; i < 7; ++i) {
        dsp.EqualizerBandGainDB(i, gains[i]);
        const IIRFilter& b = dsp.bandFilter(i);
        bands[static_cast<size_t>(i)].CreateBiquadIIR(IIRFilter::Peaking, gains[i], b.Frequency(), 44100,
                                                      b.Bandwidth());
    }
    // Blocks of every length, from shorter than the band count up, loud enough to clip.
    for (size_t length : {size_t(1), size_t(3), size_t(6), size_t(7), size_t(8), size_t(5120)}) {
        auto s = sine(190.75, 44100, 30000, length), reference = s;
        dsp.均衡处理子程序(s);
        for (IIRFilter& band : bands)
            band.ProcessSamples_16bit(reference);
        ASSERT_EQ(s, reference) << length << " samples";
    }
}

TEST(DSP, PhaseSweepTakesRateOverTwiceSweepRateSamplesEachWay) {
    for (float rate : {1.0f, 2.5f}) {
        clsDSP dsp;
        makeReady(dsp, 44100);
        dsp.PhaseShiftSweepRate(rate);
        const float lo = dsp.sweepMinimum(), hi = dsp.sweepMaximum();
        EXPECT_FLOAT_EQ(lo, 100 * 3.1415927f / 44100);
        EXPECT_FLOAT_EQ(hi, 16 * lo); // four octaves
        std::vector<int16_t> one(1, 0);
        std::vector<long> turns;
        float previous = dsp.sweepValue();
        EXPECT_EQ(previous, lo);
        bool rising = true;
        for (long n = 1; n <= 200000 && turns.size() < 4; ++n) {
            dsp.后期周相_ProcessSamples(one);
            const float v = dsp.sweepValue();
            if ((v < previous) == rising) {
                turns.push_back(n);
                rising = !rising;
            }
            previous = v;
        }
        ASSERT_EQ(turns.size(), 4u);
        // The sweep multiplies in single precision, so the count drifts by a few samples.
        const double each = 44100 / (2.0 * rate), slack = 2 + each * 5e-4;
        EXPECT_NEAR(turns[0], each, slack);
        for (size_t k = 1; k < turns.size(); ++k)
            EXPECT_NEAR(turns[k] - turns[k - 1], each, slack);
    }
}

TEST(DSP, PhaseSettingsRestartTheSweepKeepTheMemoriesAndNeverSilenceTheStream) {
    clsDSP dsp;
    makeReady(dsp, 44100);
    auto warm = sine(500, 44100, 20000, 3000);
    dsp.后期周相_ProcessSamples(warm);
    EXPECT_NE(dsp.sweepValue(), dsp.sweepMinimum());
    dsp.PhaseShiftWet(0.5f);
    EXPECT_EQ(dsp.sweepValue(), dsp.sweepMinimum());
    // A shifter restarted from rest would answer silence with silence; this one still rings.
    std::vector<int16_t> silence(50, 0);
    dsp.后期周相_ProcessSamples(silence);
    EXPECT_GT(nonZero(silence), 0);

    // Feedback far beyond 1 runs the loop to infinity; the shifter restarts instead of going NaN.
    dsp.PhaseShiftFeedback(50.0f);
    auto s = sine(440, 44100, 20000, 20000);
    dsp.后期周相_ProcessSamples(s);
    EXPECT_GT(nonZero(std::span(s).last(2000)), 1000);
    dsp.PhaseShiftFrequency(std::numeric_limits<float>::quiet_NaN());
    auto t = sine(440, 44100, 20000, 1000);
    const auto original = t;
    dsp.后期周相_ProcessSamples(t);
    EXPECT_EQ(t, original) << "without a usable sweep the samples pass dry";
}
