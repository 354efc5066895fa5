#include "dsp/clsDSP.h"
#include "platform/Error.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

using namespace lctune;

namespace {

template <typename F> void expectError(F&& call, const char* message) {
    try {
        call();
        ADD_FAILURE() << "no error raised, expected " << message;
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), 32000);
        EXPECT_STREQ(e.what(), message);
    }
}

void makeReady(clsDSP& dsp, int32_t rate, int16_t channels = 1) {
    dsp.samplerate(rate);
    dsp.Channels(channels);
}

std::vector<int16_t> sine(double hz, double rate, double amplitude, size_t count) {
    std::vector<int16_t> s(count);
    for (size_t i = 0; i < count; ++i)
        s[i] = static_cast<int16_t>(
            std::lround(amplitude * std::sin(2 * std::numbers::pi * hz * double(i) / rate)));
    return s;
}

} // namespace

TEST(DSP, RejectedWritesRaise32000AndChangeNothing) {
    clsDSP dsp;
    expectError([&] { dsp.samplerate(0); }, "invalid samplerate");
    expectError([&] { dsp.samplerate(96001); }, "invalid samplerate");
    expectError([&] { dsp.Channels(0); }, "invalid channels");
    expectError([&] { dsp.Channels(3); }, "invalid channels");
    EXPECT_EQ(dsp.samplerate(), 0);
    EXPECT_EQ(dsp.Channels(), 0);

    makeReady(dsp, 44100, 2);
    dsp.EqualizerBandGainDB(2, 6);
    expectError([&] { dsp.samplerate(-44100); }, "invalid samplerate");
    expectError([&] { dsp.Channels(-1); }, "invalid channels");
    expectError([&] { dsp.EqualizerBands(11); }, "Out Of Bounds!");
    expectError([&] { dsp.EqualizerBands(0); }, "Out Of Bounds!");
    expectError([&] { dsp.EqualizerBandGainDB(7, 3); }, "Out Of Bounds!");
    expectError([&] { (void)dsp.EqualizerBandGainDB(-1); }, "Out Of Bounds!");
    expectError([&] { (void)dsp.EqualizerBandFrequency(7); }, "Out Of Bounds!");
    EXPECT_EQ(dsp.samplerate(), 44100);
    EXPECT_EQ(dsp.Channels(), 2);
    EXPECT_EQ(dsp.EqualizerBands(), 7);
    EXPECT_EQ(dsp.EqualizerBandGainDB(2), 6.0f);
    EXPECT_EQ(dsp.EqualizerBandFrequency(6), 14700);
    EXPECT_EQ(dsp.samplerate(), 44100);
    dsp.samplerate(1);
    dsp.samplerate(96000);
}

TEST(DSP, DoesNothingUntilRateAndChannelsAreBothSet) {
    clsDSP dsp;
    dsp.EffectsUsed(7);
    dsp.EqualizerBandGainDB(0, 12);
    const auto original = sine(100, 44100, 20000, 5120);
    auto s = original;
    dsp.ProcessSamples(s);
    dsp.均衡处理子程序(s);
    dsp.后期周相_ProcessSamples(s);
    EXPECT_EQ(s, original);
    dsp.samplerate(44100);
    dsp.ProcessSamples(s);
    dsp.均衡处理子程序(s);
    EXPECT_EQ(s, original);
    EXPECT_EQ(dsp.echoLineLength(), 0);
    dsp.Channels(1);
    dsp.ProcessSamples(s);
    EXPECT_NE(s, original);
    EXPECT_EQ(dsp.echoLineLength(), 4410);
}

TEST(DSP, NoEffectBitsAndFlatEqualiserLeaveBlocksUnchanged) {
    clsDSP dsp;
    makeReady(dsp, 88200);
    dsp.EffectsUsed(8 | 16 | 1024); // unknown bits are ignored
    auto s = sine(440, 88200, 32767, 5120);
    s[0] = -32768;
    const auto original = s;
    dsp.ProcessSamples(s);
    dsp.均衡处理子程序(s);
    dsp.后期均衡_ProcessSamples(s);
    EXPECT_EQ(s, original);
}

TEST(DSP, AmplifierMultipliesAndClips) {
    clsDSP dsp;
    makeReady(dsp, 44100);
    dsp.EffectsUsed(clsDSP::kAmplifier);
    EXPECT_EQ(dsp.AmplifyDB(), 3);
    std::vector<int16_t> s{1000, -1000, 30000, -30000, 0, 7};
    dsp.ProcessSamples(s);
    EXPECT_EQ(s, (std::vector<int16_t>{1413, -1413, 32767, -32768, 0, 10}));

    std::vector<int16_t> p{1000, -200};
    clsDSP::amplify(p, 50, clsDSP::GainUnit::Percent);
    EXPECT_EQ(p, (std::vector<int16_t>{500, -100}));
    clsDSP::amplify(p, 2.5f, clsDSP::GainUnit::Factor);
    EXPECT_EQ(p, (std::vector<int16_t>{1250, -250}));
    clsDSP::amplify(p, std::numeric_limits<float>::infinity(), clsDSP::GainUnit::Factor);
    EXPECT_EQ(p, (std::vector<int16_t>{32767, -32768}));
}

TEST(DSP, EchoRepeatsFallByTheGainEveryDelay) {
    clsDSP dsp;
    makeReady(dsp, 44100);
    dsp.EffectsUsed(clsDSP::kEcho);
    EXPECT_EQ(dsp.EchoLength(), 100);
    EXPECT_EQ(dsp.EchoAmp(), 0.4f);
    EXPECT_EQ(dsp.echoLineLength(), 4410);

    // Fed in blocks of 5120, as the capture delivers them: the line carries over.
    std::vector<int16_t> stream(5120 * 4, 0);
    stream[0] = 10000;
    for (size_t b = 0; b < 4; ++b)
        dsp.ProcessSamples(std::span(stream).subspan(b * 5120, 5120));
    const int16_t expected[] = {10000, 4000, 1600, 640};
    for (size_t k = 0; k < 4; ++k)
        EXPECT_EQ(stream[k * 4410], expected[k]) << "repeat " << k;
    size_t nonZero = 0;
    for (int16_t v : stream)
        nonZero += v != 0;
    EXPECT_EQ(nonZero, 5u);
    EXPECT_EQ(stream[4 * 4410], 256);
}

TEST(DSP, EchoSettingsRebuildTheLineSilentAndStayInRange) {
    clsDSP dsp;
    dsp.EchoAmp(1.5f);
    EXPECT_EQ(dsp.EchoAmp(), 0.9f);
    dsp.EchoAmp(-0.5f);
    EXPECT_EQ(dsp.EchoAmp(), -0.5f);
    makeReady(dsp, 8000);
    dsp.EffectsUsed(clsDSP::kEcho);

    // A delay shorter than one sample echoes after one sample.
    dsp.EchoLength(0);
    EXPECT_EQ(dsp.echoLineLength(), 1);
    std::vector<int16_t> s{10000, 0, 0};
    dsp.ProcessSamples(s);
    EXPECT_EQ(s, (std::vector<int16_t>{10000, -5000, 2500}));
    dsp.EchoLength(-50);
    EXPECT_EQ(dsp.echoLineLength(), 1);

    // A new setting restarts the echo silent.
    dsp.EchoLength(1);
    std::vector<int16_t> quiet(20, 0);
    dsp.ProcessSamples(quiet);
    EXPECT_EQ(quiet, std::vector<int16_t>(20, 0));

    // A gain beyond -1 is allowed; its repeats saturate rather than wrap around.
    dsp.EchoAmp(-3.0f);
    dsp.EchoLength(1); // 8 samples at 8000 per second
    std::vector<int16_t> loud(17, 0);
    loud[0] = -32768;
    dsp.ProcessSamples(loud);
    EXPECT_EQ(loud[8], 32767);
    EXPECT_EQ(loud[16], -32768);

    // A delay of absurd length is held at a minute.
    dsp.EchoLength(INT32_MAX);
    EXPECT_EQ(dsp.echoLineLength(), 8000 * clsDSP::kMaxEchoSeconds);
}

TEST(DSP, StereoStreamsShareOneEchoLine) {
    clsDSP dsp;
    makeReady(dsp, 44100, 2);
    dsp.EffectsUsed(clsDSP::kEcho);
    // The line counts samples of the interleaved stream: the echo comes 4410 elements later,
    // that is after 2205 frames, half the set delay.
    std::vector<int16_t> s(10000, 0);
    s[1] = 10000; // right channel of the first frame
    dsp.ProcessSamples(s);
    EXPECT_EQ(s[1 + 4410], 4000);
    EXPECT_EQ(s[1 + 8820], 1600);
}

TEST(DSP, AllThreeEffectsRunAsAmplifierEchoPhaseShift) {
    // 30000 amplified by 3 dB clips to 32767 before the echo sees it, so the repeat is 0.4 of
    // 32767; an echo before the amplifier would repeat 0.4 of 30000 and then amplify it.
    clsDSP dsp;
    makeReady(dsp, 44100);
    dsp.EffectsUsed(clsDSP::kAmplifier | clsDSP::kEcho);
    std::vector<int16_t> s(5000, 0);
    s[0] = 30000;
    dsp.ProcessSamples(s);
    EXPECT_EQ(s[0], 32767);
    EXPECT_EQ(s[4410], 13107);

    // With all three, the result is the phase shifter applied to that.
    clsDSP all, phaseOnly;
    makeReady(all, 44100);
    makeReady(phaseOnly, 44100);
    all.EffectsUsed(7);
    std::vector<int16_t> a(5000, 0), b(5000, 0);
    a[0] = b[0] = 30000;
    all.ProcessSamples(a);
    b[0] = 32767;
    b[4410] = 13107;
    phaseOnly.后期周相_ProcessSamples(b);
    EXPECT_EQ(a, b);
    EXPECT_NE(b[1], 0) << "the phase shifter rings after the pulse";
}

TEST(DSP, BandCentresAreLogarithmicFrom80HzToAThirdOfTheRate) {
    clsDSP dsp;
    makeReady(dsp, 44100);
    const double expected44[] = {80, 190.75, 454.81, 1084.44, 2585.68, 6165.19, 14700};
    for (int32_t i = 0; i < 7; ++i) {
        EXPECT_NEAR(dsp.bandFilter(i).Frequency(), expected44[i], 0.006) << "band " << i;
        EXPECT_EQ(dsp.EqualizerBandFrequency(i), std::lround(expected44[i]));
        EXPECT_NEAR(dsp.bandFilter(i).Bandwidth(), 1.3034, 5e-5);
        EXPECT_EQ(dsp.bandFilter(i).IIRType(), IIRFilter::Peaking);
        EXPECT_EQ(dsp.bandFilter(i).samplerate(), 44100);
    }

    makeReady(dsp, 88200);
    // top = 29400; ratio 367.5 spread over six steps.
    for (int32_t i = 0; i < 7; ++i) {
        const double want = 80 * std::pow(29400.0 / 80.0, i / 6.0);
        EXPECT_NEAR(dsp.bandFilter(i).Frequency(), want, want * 1e-6) << "band " << i;
        EXPECT_NEAR(dsp.bandFilter(i).Bandwidth(), std::log(367.5) / 4, 1e-5);
    }
    EXPECT_EQ(dsp.EqualizerBandFrequency(0), 80);
    EXPECT_EQ(dsp.EqualizerBandFrequency(6), 29400);
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
    EXPECT_NEAR(dsp.bandFilter(1).Frequency(), 80 * std::pow(14700.0 / 80, 0.25), 0.01);
    auto s = sine(300, 44100, 20000, 4000);
    const auto original = s;
    dsp.均衡处理子程序(s);
    EXPECT_EQ(s, original);

    // One band sits at 80 Hz and is a working filter.
    dsp.EqualizerBands(1);
    EXPECT_EQ(dsp.EqualizerBandFrequency(0), 80);
    EXPECT_FALSE(dsp.bandFilter(0).passesThrough());
    dsp.EqualizerBandGainDB(0, 12);
    auto low = sine(80, 44100, 4000, 44100);
    dsp.均衡处理子程序(low);
    int16_t peak = 0;
    for (size_t i = 22050; i < low.size(); ++i)
        peak = std::max(peak, low[i]);
    EXPECT_NEAR(peak, 4000 * std::pow(10.0, 12 / 20.0), 40);
}

TEST(DSP, EqualiserRunsTheBandsInSeries) {
    clsDSP dsp;
    makeReady(dsp, 44100);
    dsp.EqualizerBandGainDB(2, 6);  // 454.81 Hz
    dsp.EqualizerBandGainDB(5, -6); // 6165.19 Hz
    auto s = sine(454.81, 44100, 5000, 20000);
    auto reference = s;
    dsp.均衡处理子程序(s);

    IIRFilter b2, b5;
    b2.CreateBiquadIIR(IIRFilter::Peaking, 6, dsp.bandFilter(2).Frequency(), 44100,
                       dsp.bandFilter(2).Bandwidth());
    b5.CreateBiquadIIR(IIRFilter::Peaking, -6, dsp.bandFilter(5).Frequency(), 44100,
                       dsp.bandFilter(5).Bandwidth());
    b2.ProcessSamples_16bit(reference);
    b5.ProcessSamples_16bit(reference);
    EXPECT_EQ(s, reference);
}

TEST(DSP, PhaseSweepTakesHalfARateOverSweepRateSamplesEachWay) {
    for (float rate : {1.0f, 2.5f}) {
        clsDSP dsp;
        makeReady(dsp, 44100);
        dsp.PhaseShiftSweepRate(rate);
        const float lo = dsp.sweepMinimum(), hi = dsp.sweepMaximum();
        EXPECT_FLOAT_EQ(lo, 100 * 3.1415927f / 44100);
        EXPECT_FLOAT_EQ(hi, 16 * lo);
        EXPECT_EQ(dsp.sweepValue(), lo);

        // Record the sample counts at which the sweep turns.
        std::vector<int16_t> one(1, 0);
        std::vector<long> turns;
        float previous = dsp.sweepValue();
        bool rising = true;
        for (long n = 1; n <= 200000 && turns.size() < 4; ++n) {
            dsp.后期周相_ProcessSamples(one);
            const float v = dsp.sweepValue();
            EXPECT_GE(v, lo * 0.999f);
            EXPECT_LE(v, hi * 1.001f);
            if ((v < previous) == rising) {
                turns.push_back(n);
                rising = !rising;
            }
            previous = v;
        }
        ASSERT_EQ(turns.size(), 4u);
        // The sweep multiplies in single precision, so the count drifts by a few samples.
        const double each = 44100 / (2.0 * rate);
        const double slack = 2 + each * 5e-4;
        EXPECT_NEAR(turns[0], each, slack);
        for (size_t k = 1; k < turns.size(); ++k)
            EXPECT_NEAR(turns[k] - turns[k - 1], each, slack);
    }
}

TEST(DSP, PhaseSettingsRestartTheSweepButKeepTheMemories) {
    clsDSP a, b;
    makeReady(a, 44100);
    makeReady(b, 44100);
    auto warm = sine(500, 44100, 20000, 3000);
    auto warmB = warm;
    a.后期周相_ProcessSamples(warm);
    b.后期周相_ProcessSamples(warmB);
    EXPECT_NE(a.sweepValue(), a.sweepMinimum());

    a.PhaseShiftWet(0.5f);
    EXPECT_EQ(a.sweepValue(), a.sweepMinimum());
    // A shifter restarted from rest would answer silence with silence; this one still rings.
    std::vector<int16_t> silence(50, 0);
    a.后期周相_ProcessSamples(silence);
    int nonZero = 0;
    for (int16_t v : silence)
        nonZero += v != 0;
    EXPECT_GT(nonZero, 0);
}

TEST(DSP, RunawayPhaseFeedbackRecoversInsteadOfFallingSilent) {
    clsDSP dsp;
    makeReady(dsp, 44100);
    dsp.PhaseShiftFeedback(50.0f);
    auto s = sine(440, 44100, 20000, 20000);
    dsp.后期周相_ProcessSamples(s);
    int nonZero = 0;
    for (size_t i = s.size() - 2000; i < s.size(); ++i)
        nonZero += s[i] != 0;
    EXPECT_GT(nonZero, 1000);

    clsDSP broken;
    makeReady(broken, 44100);
    broken.PhaseShiftFrequency(std::numeric_limits<float>::quiet_NaN());
    auto t = sine(440, 44100, 20000, 1000);
    const auto original = t;
    broken.后期周相_ProcessSamples(t);
    EXPECT_EQ(t, original) << "without a usable sweep the samples pass dry";
}
