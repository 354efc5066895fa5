#include "dsp/clsFourier.h"
#include "platform/Error.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

using namespace lctune;

namespace {

// Expects the call to fail with the given number and message.
template <typename F> void expectError(F&& call, int32_t number, const char* message) {
    try {
        call();
        ADD_FAILURE() << "no error raised, expected " << number;
    } catch (const Error& e) {
        EXPECT_EQ(e.number(), number);
        EXPECT_STREQ(e.what(), message);
    }
}

const char* const kSizeMessage = "Number of samples must be a positive value of the form 2 ^ n";
const char* const kIndexMessage = "Index out of range or number of samples unknown";

// The transform with the + sign and no scaling, straight from its definition.
std::vector<std::complex<double>> naiveDft(const std::vector<std::complex<double>>& x) {
    const size_t n = x.size();
    std::vector<std::complex<double>> out(n);
    for (size_t j = 0; j < n; ++j) {
        std::complex<double> sum = 0;
        for (size_t k = 0; k < n; ++k) {
            const double angle =
                2 * std::numbers::pi * static_cast<double>((j * k) % n) / static_cast<double>(n);
            sum += x[k] * std::complex<double>(std::cos(angle), std::sin(angle));
        }
        out[j] = sum;
    }
    return out;
}

double blackman(int32_t k, int32_t n) {
    const double t = (k - 1) * 2 * std::numbers::pi / (n - 1);
    return 0.42 - 0.5 * std::cos(t) + 0.08 * std::cos(2 * t);
}

// A deterministic mixture of tones and an offset, with imaginary parts on every third input.
double testReal(int32_t k) {
    return 9000 * std::sin(0.37 * k) + 4000 * std::cos(1.9 * k) + 300 + (k % 7) * 11;
}
double testImag(int32_t k) {
    return 2500 * std::cos(0.11 * k * k);
}

} // namespace

TEST(Fourier, MatchesTheDefinitionForEverySizeWithAndWithoutWindow) {
    for (bool window : {false, true}) {
        for (int32_t n = 2; n <= 1024; n *= 2) {
            clsFourier fft;
            fft.NumberOfSamples(n);
            fft.WithTimeWindow(window);
            std::vector<std::complex<double>> stored(static_cast<size_t>(n));
            for (int32_t k = 1; k <= n; ++k) {
                fft.RealIn(k, testReal(k));
                const double re = window ? testReal(k) * blackman(k, n) : testReal(k) / 2;
                double im = 0;
                if (k % 3 == 0) {
                    fft.ImagIn(k, testImag(k));
                    im = testImag(k);
                }
                stored[static_cast<size_t>(k - 1)] = {re, im};
            }
            const auto expected = naiveDft(stored);
            double scale = 1;
            for (const auto& v : expected)
                scale = std::max(scale, std::abs(v));
            for (int32_t j = 1; j <= n; ++j) {
                const auto& e = expected[static_cast<size_t>(j - 1)];
                SCOPED_TRACE(testing::Message() << "N=" << n << " window=" << window << " j=" << j);
                EXPECT_NEAR(fft.RealOut(j), e.real(), 1e-9 * scale);
                EXPECT_NEAR(fft.ImagOut(j), e.imag(), 1e-9 * scale);
                EXPECT_NEAR(fft.ComplexOut(j), std::abs(e), 1e-9 * scale);
            }
        }
    }
}

TEST(Fourier, BlackmanWeightsAreZeroAtBothEndsAndOneInTheMiddle) {
    for (int32_t n : {2, 8, 1024}) {
        clsFourier fft;
        fft.NumberOfSamples(n);
        fft.WithTimeWindow(true);
        // With a single non-zero input the output at bin 1 is that input's stored value.
        for (int32_t k : {1, n}) {
            fft.RealIn(k, 1000.0);
            EXPECT_EQ(fft.RealOut(1), 0.0) << "N=" << n << " k=" << k;
            fft.RealIn(k, 0.0);
        }
    }
    clsFourier fft;
    fft.NumberOfSamples(1024);
    fft.WithTimeWindow(true);
    fft.RealIn(512, 1.0);
    EXPECT_NEAR(fft.RealOut(1), blackman(512, 1024), 1e-15);
    EXPECT_NEAR(fft.RealOut(1), 1.0, 1e-4);
}

TEST(Fourier, ImpulsesGiveHalvedFlatAndPositivelyTurningSpectra) {
    const int32_t n = 16;
    clsFourier fft;
    fft.NumberOfSamples(n);
    fft.RealIn(1, 2.0); // stored halved: 1
    for (int32_t j = 1; j <= n; ++j) {
        EXPECT_DOUBLE_EQ(fft.RealOut(j), 1.0);
        EXPECT_DOUBLE_EQ(fft.ImagOut(j), 0.0);
    }

    // The transform overwrote the inputs: a new batch sets all of them.
    for (int32_t k = 1; k <= n; ++k)
        fft.RealIn(k, k == 2 ? 1.0 : 0.0);
    for (int32_t j = 1; j <= n; ++j) {
        const double angle = 2 * std::numbers::pi * (j - 1) / n;
        EXPECT_NEAR(fft.RealOut(j), 0.5 * std::cos(angle), 1e-12);
        EXPECT_NEAR(fft.ImagOut(j), 0.5 * std::sin(angle), 1e-12) << "the twiddles turn the positive way";
    }
}

TEST(Fourier, RealInClearsAnEarlierImaginaryPart) {
    clsFourier fft;
    fft.NumberOfSamples(4);
    fft.ImagIn(1, 5.0);
    fft.RealIn(1, 2.0);
    for (int32_t j = 1; j <= 4; ++j)
        EXPECT_DOUBLE_EQ(fft.ImagOut(j), 0.0);
}

TEST(Fourier, TransformsOncePerBatchAndAgainAfterNewInputs) {
    clsFourier fft;
    EXPECT_EQ(fft.Timing(), 0.0f);
    fft.NumberOfSamples(1024);
    for (int32_t k = 1; k <= 1024; ++k)
        fft.RealIn(k, testReal(k));
    const double first = fft.RealOut(3);
    const float timing = fft.Timing();
    EXPECT_GE(timing, 0.0f);
    // Further reads are lookups: the stored spectrum and the timing stay as they are.
    for (int32_t j = 1; j <= 1024; ++j)
        fft.ComplexOut(j);
    EXPECT_EQ(fft.RealOut(3), first);
    EXPECT_EQ(fft.Timing(), timing);

    // A new batch replaces the inputs, which the transform had overwritten.
    for (int32_t k = 1; k <= 1024; ++k)
        fft.RealIn(k, k == 1 ? 2.0 : 0.0);
    EXPECT_DOUBLE_EQ(fft.RealOut(3), 1.0);
    EXPECT_DOUBLE_EQ(fft.RealOut(1024), 1.0);
}

TEST(Fourier, RejectsSizesThatAreNotPowersOfTwoAndKeepsItsState) {
    for (int32_t bad : {1, 0, -2, -1024, 3, 6, 1000, INT32_MIN}) {
        clsFourier fft;
        expectError([&] { fft.NumberOfSamples(bad); }, 380, kSizeMessage);
        // Still without a size.
        expectError([&] { fft.RealIn(1, 1.0); }, 381, kIndexMessage);
    }
    clsFourier fft;
    fft.NumberOfSamples(4);
    fft.RealIn(1, 2.0);
    expectError([&] { fft.NumberOfSamples(6); }, 380, kSizeMessage);
    // The inputs and the size survive the rejected write.
    EXPECT_DOUBLE_EQ(fft.RealOut(4), 1.0);
    expectError([&] { fft.RealOut(5); }, 381, kIndexMessage);
}

TEST(Fourier, RejectsIndexesOutsideOneToNAndBeforeTheSizeIsKnown) {
    clsFourier fresh;
    expectError([&] { fresh.RealIn(1, 0.0); }, 381, kIndexMessage);
    expectError([&] { fresh.ImagIn(1, 0.0); }, 381, kIndexMessage);
    expectError([&] { (void)fresh.RealOut(1); }, 381, kIndexMessage);
    expectError([&] { (void)fresh.ComplexOut(1); }, 381, kIndexMessage);

    clsFourier fft;
    fft.NumberOfSamples(8);
    fft.RealIn(1, 2.0);
    expectError([&] { (void)fft.ComplexOut(9); }, 381, kIndexMessage);
    expectError([&] { (void)fft.RealOut(0); }, 381, kIndexMessage);
    expectError([&] { (void)fft.ImagOut(-1); }, 381, kIndexMessage);
    expectError([&] { fft.RealIn(9, 5.0); }, 381, kIndexMessage);
    expectError([&] { fft.ImagIn(0, 5.0); }, 381, kIndexMessage);
    // The rejected writes left the inputs alone.
    for (int32_t j = 1; j <= 8; ++j)
        EXPECT_DOUBLE_EQ(fft.RealOut(j), 1.0);

    // Setting the size again starts over with zeros, also at the same size.
    fft.RealIn(1, 2.0);
    fft.NumberOfSamples(8);
    EXPECT_DOUBLE_EQ(fft.ComplexOut(1), 0.0);
}
