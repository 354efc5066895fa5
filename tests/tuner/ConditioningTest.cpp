#include "TunerFixture.h"

#include <gtest/gtest.h>

using namespace lctune;
using lctune::test::TunerFixture;

namespace {
constexpr double kTwoThirds = 32767.0 / 3.0 * 2.0;
}

TEST(Amplify, SilentBlockUsesFullScaleAsPeak) {
    TunerFixture f;
    SampleBlock zeros(100, 0);
    f.tuner.放大子程序(zeros);
    EXPECT_DOUBLE_EQ(f.tuner.blockGain(), kTwoThirds / 32767);
    EXPECT_EQ(zeros, SampleBlock(100, 0));
    f.tuner.求正负峰值(zeros);
    EXPECT_EQ(f.tuner.peakPositive(), 0);
    EXPECT_EQ(f.tuner.peakNegative(), 0);
}

TEST(Amplify, LastSampleIsNeitherExaminedNorScaled) {
    TunerFixture f;
    SampleBlock b{0, 0, 0, 12000};
    f.tuner.放大子程序(b);
    EXPECT_DOUBLE_EQ(f.tuner.blockGain(), kTwoThirds / 32767);
    EXPECT_EQ(b, (SampleBlock{0, 0, 0, 12000}));
    f.tuner.求正负峰值(b);
    EXPECT_EQ(f.tuner.peakPositive(), 0);
    EXPECT_EQ(f.tuner.peakNegative(), 0);
}

TEST(Amplify, ScalesLargestMagnitudeToTwoThirdsOfFullScale) {
    TunerFixture f;
    SampleBlock b{100, -32768, 16384, 5, 7};
    f.tuner.放大子程序(b);
    EXPECT_DOUBLE_EQ(f.tuner.blockGain(), kTwoThirds / 32768);
    EXPECT_EQ(b[1], -21845); // -21844.67 rounded
    EXPECT_EQ(b[2], 10922);  // 10922.33
    EXPECT_EQ(b[0], 67);     // 66.66
    EXPECT_EQ(b[4], 7);      // untouched
    f.tuner.求正负峰值(b);
    EXPECT_EQ(f.tuner.peakPositive(), 10922);
    EXPECT_EQ(f.tuner.peakNegative(), -21845);
}

TEST(LowPass, CoefficientOnePassesSamplesThroughButLimitsMinusFullScale) {
    TunerFixture f;
    f.settings.filterCoefficient = 100;
    SampleBlock b{5, -32768, 32767, -3, 9, 11, 13, 15};
    f.tuner.低通滤波(b);
    // One sample shorter; outputs for j = 0 … L-4, then three zeros.
    EXPECT_EQ(b, (SampleBlock{5, -32767, 32767, -3, 0, 0, 0}));
}

TEST(LowPass, HalfCoefficientSmoothsThroughFourStages) {
    TunerFixture f; // coefficient 50 -> c = 0.5
    SampleBlock b(10, 0);
    b[0] = 1600;
    f.tuner.低通滤波(b);
    // Stage by stage for the impulse: s1 = 800, s2 = 400, s3 = 200, s4 = 100, and so on.
    ASSERT_EQ(b.size(), 9u);
    EXPECT_EQ(b[0], 100);
    // j = 1: s1 = 400, s2 = 400, s3 = 300, s4 = 200.
    EXPECT_EQ(b[1], 200);
    EXPECT_EQ(b[6], 0);
    EXPECT_EQ(b[7], 0);
    EXPECT_EQ(b[8], 0);
}

TEST(Infrasound, ConstantBlockStartsNearItsValueAndDecays) {
    TunerFixture f;
    SampleBlock b(2000, 10000);
    f.tuner.滤掉次声波(b);
    ASSERT_EQ(b.size(), 1999u);
    // The third stage is still 0 after the first sample, so the output equals the input there.
    EXPECT_EQ(b[0], 10000);
    for (size_t j = 1; j + 3 < b.size(); ++j)
        EXPECT_LE(b[j], b[j - 1]) << j;
    EXPECT_LT(b[1995], 200);
    EXPECT_EQ(b[1996], 0);
    EXPECT_EQ(b[1997], 0);
    EXPECT_EQ(b[1998], 0);
}

TEST(Infrasound, OutputIsLimitedSymmetrically) {
    TunerFixture f;
    // A swing from full negative to full positive makes d exceed 32767 once the stages lag.
    SampleBlock b(400, -32768);
    for (size_t i = 200; i < 400; ++i)
        b[i] = 32767;
    f.tuner.滤掉次声波(b);
    EXPECT_EQ(*std::max_element(b.begin(), b.end()), 32767);
    EXPECT_EQ(*std::min_element(b.begin(), b.end()), -32767);
}

TEST(Filters, BothTogetherLeaveTwoFewerSamplesEndingInZeros) {
    TunerFixture f;
    SampleBlock b = test::sine(200.45, 8000, 5120);
    f.tuner.滤掉次声波(b);
    f.tuner.低通滤波(b);
    ASSERT_EQ(b.size(), 5118u);
    EXPECT_EQ(b[5115], 0);
    EXPECT_EQ(b[5116], 0);
    EXPECT_EQ(b[5117], 0);
    // The second filter did not read the first one's trailing zeros: its last real output is
    // the smoothed signal, not a decay towards them.
    EXPECT_NE(b[5114], 0);
}

TEST(Filters, TinyBlocksNeitherCrashNorReadOutOfBounds) {
    TunerFixture f;
    for (size_t n = 0; n <= 5; ++n) {
        SampleBlock a(n, 1234);
        f.tuner.滤掉次声波(a);
        EXPECT_EQ(a.size(), n == 0 ? 0 : n - 1);
        for (size_t i = 0; i < a.size(); ++i)
            EXPECT_EQ(a[i], n == 5 && i == 0 ? 1234 : 0) << n;
        SampleBlock b(n, 1234);
        f.tuner.低通滤波(b);
        EXPECT_EQ(b.size(), n == 0 ? 0 : n - 1);
        SampleBlock c(n, 1234);
        f.tuner.放大子程序(c);
        f.tuner.求正负峰值(c);
    }
}
