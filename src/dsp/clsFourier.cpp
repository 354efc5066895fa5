#include "dsp/clsFourier.h"

#include "core/Error.h"

#include <chrono>
#include <cmath>

namespace lctune {

namespace {

constexpr int32_t kBadSize = 380;
constexpr int32_t kBadIndex = 381;
const char* const kBadSizeMessage = "Number of samples must be a positive value of the form 2 ^ n";
const char* const kBadIndexMessage = "Index out of range or number of samples unknown";

int64_t counterNow() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

int32_t bitReversed(int32_t a, int32_t bits) {
    int32_t r = 0;
    for (int32_t i = 0; i < bits; ++i) {
        r = 2 * r + (a % 2);
        a /= 2;
    }
    return r;
}

} // namespace

clsFourier::clsFourier()
    : counterFrequency_(1000000000), pi_(4.0 * std::atan(1.0)), twoPi_(2.0 * pi_), data_(1) {}

void clsFourier::NumberOfSamples(int32_t nuNumSam) {
    if (nuNumSam < 2 || (nuNumSam & (nuNumSam - 1)) != 0) throw Error(kBadSize, kBadSizeMessage);
    data_.assign(static_cast<size_t>(nuNumSam), Complex{});
    sizeUnknown_ = false;
    lastIndex_ = nuNumSam - 1;
    bits_ = static_cast<int32_t>(std::nearbyint(std::log(static_cast<double>(nuNumSam)) / std::log(2.0)));
    dirty_ = true;

    reversed_.resize(static_cast<size_t>(nuNumSam));
    for (int32_t a = 0; a < nuNumSam; ++a)
        reversed_[static_cast<size_t>(a)] = bitReversed(a, bits_);
    weights_.clear();
    if (window_) buildWindow();
}

void clsFourier::WithTimeWindow(bool nuTimeWindow) {
    window_ = nuTimeWindow;
    if (window_ && !sizeUnknown_ && weights_.empty()) buildWindow();
}

// Blackman: 0.42 - 0.5 cos t + 0.08 cos 2t, written as (1 - cos t)(0.34 - 0.16 cos t), which is
// the same polynomial in cos t but comes out exactly zero at both end points instead of leaving a
// rounding residue of about 1e-17 there.
void clsFourier::buildWindow() {
    const int32_t n = lastIndex_ + 1;
    weights_.resize(static_cast<size_t>(n));
    for (int32_t k = 1; k <= n; ++k) {
        const double theta = (k - 1) * twoPi_ / (n - 1);
        const double c = std::cos(theta);
        weights_[static_cast<size_t>(k - 1)] = (1.0 - c) * (0.34 - 0.16 * c);
    }
    weights_.front() = 0.0;
    weights_.back() = 0.0;
}

void clsFourier::checkIndex(int32_t index) const {
    if (sizeUnknown_ || index < 1 || index > lastIndex_ + 1) throw Error(kBadIndex, kBadIndexMessage);
}

int32_t clsFourier::position(int32_t index) const {
    checkIndex(index);
    return reversed_[static_cast<size_t>(index - 1)];
}

void clsFourier::RealIn(int32_t index, double nuValueIn) {
    Complex& d = data_[static_cast<size_t>(position(index))];
    d.re = window_ ? nuValueIn * weights_[static_cast<size_t>(index - 1)] : nuValueIn / 2.0;
    d.im = 0.0;
    dirty_ = true;
}

void clsFourier::ImagIn(int32_t index, double nuValueIn) {
    data_[static_cast<size_t>(position(index))].im = nuValueIn;
    dirty_ = true;
}

// Each stage evaluates one sine pair and turns the twiddle by a recurrence:
// w <- w (cos t + i sin t) with t = 2 pi / size, using c_re = 2 sin^2(t/2) = 1 - cos t and
// c_im = sin t, which loses less precision than multiplying by cos t directly.
void clsFourier::transformIfDirty() const {
    if (!dirty_) return;
    dirty_ = false;
    startCount_ = counterNow();

    const int32_t n = lastIndex_ + 1;
    Complex* d = data_.data();
    int32_t half = 1;
    do {
        const int32_t size = 2 * half;
        const double angle = pi_ / size;
        const double s = std::sin(angle);
        const double cRe = 2.0 * s * s;
        const double cIm = std::sin(2.0 * angle);
        for (int32_t m = 0; m <= lastIndex_; m += size) {
            double wRe = 1.0;
            double wIm = 0.0;
            for (int32_t k = m; k < m + half; ++k) {
                Complex& x = d[k];
                Complex& y = d[k + half];
                const double tRe = wRe * y.re - wIm * y.im;
                const double tIm = wRe * y.im + wIm * y.re;
                y.re = x.re - tRe;
                y.im = x.im - tIm;
                x.re += tRe;
                x.im += tIm;
                const double oldRe = wRe;
                wRe = wRe - (cRe * wRe + cIm * wIm);
                wIm = wIm + oldRe * cIm - wIm * cRe;
            }
        }
        half = size;
    } while (n - 1 >= half);

    endCount_ = counterNow();
}

double clsFourier::RealOut(int32_t index) const {
    checkIndex(index);
    transformIfDirty();
    return data_[static_cast<size_t>(index - 1)].re;
}

double clsFourier::ImagOut(int32_t index) const {
    checkIndex(index);
    transformIfDirty();
    return data_[static_cast<size_t>(index - 1)].im;
}

double clsFourier::ComplexOut(int32_t index) const {
    checkIndex(index);
    transformIfDirty();
    const Complex& c = data_[static_cast<size_t>(index - 1)];
    return std::sqrt(c.re * c.re + c.im * c.im);
}

float clsFourier::Timing() const {
    return static_cast<float>(static_cast<double>(endCount_ - startCount_) /
                              static_cast<double>(counterFrequency_) * 1000.0);
}

} // namespace lctune
