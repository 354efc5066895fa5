#pragma once
// Discrete Fourier transform of N = 2^n complex values: an in-place radix-2 decimation-in-time FFT.
//
// Inputs go in one at a time by 1-based index, straight to their bit-reversed positions, so the
// transform needs no reordering pass. Real inputs are either weighted by a symmetric Blackman
// window over the N points or halved. The transform is lazy: the first read after an input
// changed computes the whole spectrum, later reads are lookups.
//
// The twiddles turn in the positive direction and nothing is scaled by 1/N:
//   out[j] = sum over n of x[n] * e^(+2 pi i j n / N).
// The transform overwrites the stored inputs, so a new batch of inputs must be written before the
// next transform.
//
// Errors: 380 for a size that is not 2^n with n >= 1, 381 for an index outside 1..N or any indexed
// access before the size is set. A failing call changes nothing. Single-threaded.

#include <cstdint>
#include <vector>

namespace lctune {

class clsFourier {
public:
    clsFourier();

    /// N, a power of two of at least 2. Clears every input (also when N does not change).
    void NumberOfSamples(int32_t nuNumSam);
    /// Whether RealIn weights its values with the Blackman window (off: values are halved).
    void WithTimeWindow(bool nuTimeWindow);

    /// Real part of input k (1..N); also clears that input's imaginary part.
    void RealIn(int32_t index, double nuValueIn);
    /// Imaginary part of input k (1..N), stored as given. Must follow RealIn for the same index.
    void ImagIn(int32_t index, double nuValueIn);

    /// Output k (1..N) in natural order; the first read after an input changed transforms.
    double RealOut(int32_t index) const;
    double ImagOut(int32_t index) const;
    /// Magnitude of output k.
    double ComplexOut(int32_t index) const;

    /// Milliseconds the last transform took; 0 before the first.
    float Timing() const;

private:
    struct Complex {
        double re = 0;
        double im = 0;
    };

    int32_t position(int32_t index) const;
    void checkIndex(int32_t index) const;
    void transformIfDirty() const;
    void buildWindow();

    mutable int64_t startCount_ = 0;
    mutable int64_t endCount_ = 0;
    int64_t counterFrequency_ = 0;
    bool sizeUnknown_ = true;
    mutable bool dirty_ = false;
    bool window_ = false;
    int32_t lastIndex_ = 0;
    int32_t bits_ = 0;
    double pi_ = 0;
    double twoPi_ = 0;
    mutable std::vector<Complex> data_;

    // Caches derived from N alone, so writing an input costs no trigonometry.
    std::vector<int32_t> reversed_;
    std::vector<double> weights_;
};

} // namespace lctune
