#include "core/Error.h"
#include "dsp/clsFourier.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

using namespace lctune;
using namespace lctune::test;

namespace {

const char* const kSizeMessage = "Number of samples must be a positive value of the form 2 ^ n";
const char* const kIndexMessage = "Index out of range or number of samples unknown";

double blackman(int32_t k, int32_t n) {
    const double t = (k - 1) * 2 * std::numbers::pi / (n - 1);
    return 0.42 - 0.5 * std::cos(t) + 0.08 * std::cos(2 * t);
}

double testReal(int32_t k) {
    return 9000 * std::sin(0.37 * k) + 4000 * std::cos(1.9 * k) + 300;
}
double testImag(int32_t k) {
    return 2500 * std::cos(0.11 * k * k);
}

} // namespace

// The transform with the + sign and no scaling, straight from its definition, over the inputs as
// stored: windowed or halved real parts, imaginary parts as given.
TEST(Fourier, MatchesANaiveTransformForEverySizeWithAndWithoutWindow) {
    for (bool window : {false, true}) {
        for (int32_t n = 2; n <= 1024; n *= 2) {
            clsFourier fft;
            fft.NumberOfSamples(n);
            fft.WithTimeWindow(window);
            std::vector<std::complex<double>> x(static_cast<size_t>(n));
            for (int32_t k = 1; k <= n; ++k) {
                fft.RealIn(k, testReal(k));
                const bool withImag = k % 3 == 0;
                if (withImag) fft.ImagIn(k, testImag(k));
                x[static_cast<size_t>(k - 1)] = {testReal(k) * (window ? blackman(k, n) : 0.5),
                                                 withImag ? testImag(k) : 0.0};
            }
            for (int32_t j = 1; j <= n; ++j) {
                std::complex<double> e = 0;
                for (int32_t m = 0; m < n; ++m)
                    e += x[static_cast<size_t>(m)] *
                         std::polar(1.0,
                                    2 * std::numbers::pi * static_cast<double>((int64_t(j - 1) * m) % n) / n);
                const double tolerance = 1e-9 * 20000 * n;
                ASSERT_NEAR(fft.RealOut(j), e.real(), tolerance)
                    << "N=" << n << " window=" << window << " j=" << j;
                ASSERT_NEAR(fft.ImagOut(j), e.imag(), tolerance)
                    << "N=" << n << " window=" << window << " j=" << j;
                ASSERT_NEAR(fft.ComplexOut(j), std::abs(e), tolerance);
            }
        }
    }
}

TEST(Fourier, BlackmanEndPointsWeighZeroAndHalvingWithoutWindow) {
    for (int32_t n : {2, 8, 1024}) {
        clsFourier fft;
        fft.NumberOfSamples(n);
        fft.WithTimeWindow(true);
        // One non-zero input: every output equals the stored value.
        for (int32_t k = 1; k <= n; ++k)
            fft.RealIn(k, k == 1 ? 1000.0 : 0.0);
        EXPECT_EQ(fft.RealOut(1), 0.0) << "N=" << n;
        for (int32_t k = 1; k <= n; ++k)
            fft.RealIn(k, k == n ? 1000.0 : 0.0);
        EXPECT_EQ(fft.RealOut(2), 0.0) << "N=" << n;
    }
    clsFourier fft;
    fft.NumberOfSamples(16);
    fft.ImagIn(1, 5.0); // cleared by the RealIn that follows
    fft.RealIn(1, 2.0);
    for (int32_t j = 1; j <= 16; ++j) {
        EXPECT_EQ(fft.RealOut(j), 1.0);
        EXPECT_EQ(fft.ImagOut(j), 0.0);
    }
}

TEST(Fourier, TransformsLazilyOncePerBatchOfInputs) {
    clsFourier fft;
    EXPECT_EQ(fft.Timing(), 0.0f);
    fft.NumberOfSamples(1024);
    for (int32_t k = 1; k <= 1024; ++k)
        fft.RealIn(k, testReal(k));
    const double first = fft.RealOut(3);
    const float timing = fft.Timing();
    EXPECT_GE(timing, 0.0f);
    // Further reads are lookups: nothing is transformed again.
    for (int32_t j = 1; j <= 1024; ++j)
        fft.ComplexOut(j);
    EXPECT_EQ(fft.RealOut(3), first);
    EXPECT_EQ(fft.Timing(), timing);
    // The transform overwrote the inputs; a new batch gives its own spectrum.
    for (int32_t k = 1; k <= 1024; ++k)
        fft.RealIn(k, k == 2 ? 1.0 : 0.0);
    EXPECT_NEAR(fft.RealOut(257), 0.0, 1e-13);
    EXPECT_NEAR(fft.ImagOut(257), 0.5, 1e-13) << "the twiddles turn the positive way";
}

TEST(Fourier, RejectsBadSizesAndIndexesAndKeepsItsState) {
    clsFourier fresh;
    for (int32_t bad : {1, 0, -2, 3, 6, 1000, INT32_MIN})
        expectError([&] { fresh.NumberOfSamples(bad); }, 380, kSizeMessage);
    expectError([&] { fresh.RealIn(1, 0.0); }, 381, kIndexMessage);
    expectError([&] { (void)fresh.ComplexOut(1); }, 381, kIndexMessage);

    clsFourier fft;
    fft.NumberOfSamples(8);
    fft.RealIn(1, 2.0);
    expectError([&] { fft.NumberOfSamples(6); }, 380, kSizeMessage);
    expectError([&] { (void)fft.ComplexOut(9); }, 381, kIndexMessage);
    expectError([&] { (void)fft.RealOut(0); }, 381, kIndexMessage);
    expectError([&] { (void)fft.ImagOut(-1); }, 381, kIndexMessage);
    expectError([&] { fft.RealIn(9, 5.0); }, 381, kIndexMessage);
    expectError([&] { fft.ImagIn(0, 5.0); }, 381, kIndexMessage);
    // Size and inputs survived every rejected call.
    for (int32_t j = 1; j <= 8; ++j)
        EXPECT_EQ(fft.RealOut(j), 1.0);
    // Setting the size again starts over with zeros, also at the same size.
    fft.RealIn(1, 2.0);
    fft.NumberOfSamples(8);
    EXPECT_EQ(fft.ComplexOut(1), 0.0);
}
